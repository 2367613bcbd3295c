// The map tool's own parts: sun directions, option parsing, heightmap
// readers and the resampler, without running the binary.
#include "tests/support/TempDir.h"
#include "tools/map/HeightmapReader.h"
#include "tools/map/Resampler.h"
#include "tools/map/SunDirection.h"
#include "tools/map/WorldOptions.h"
#include "world/MapFile.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Pgm(int w, int h, int maxValue, const std::vector<uint32_t>& samples)
{
    std::string head = "P5\n# made by a test\n" + std::to_string(w) + " " + std::to_string(h) + "\n" +
                       std::to_string(maxValue) + "\n";
    std::vector<uint8_t> bytes(head.begin(), head.end());
    for (uint32_t s : samples) {
        if (maxValue > 255)
            bytes.push_back(uint8_t(s >> 8));
        bytes.push_back(uint8_t(s));
    }
    return bytes;
}

// Grayscale PNG through libpng's simplified writer; 16-bit samples are
// written as they are.
std::vector<uint8_t> Png(int w, int h, bool sixteen, const std::vector<uint16_t>& samples)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = uint32_t(w);
    image.height = uint32_t(h);
    image.format = sixteen ? PNG_FORMAT_LINEAR_Y : PNG_FORMAT_GRAY;
    std::vector<uint8_t> eight(samples.begin(), samples.end());
    const void* pixels = sixteen ? static_cast<const void*>(samples.data()) : eight.data();
    png_alloc_size_t size = 0;
    EXPECT_TRUE(png_image_write_to_memory(&image, nullptr, &size, 0, pixels, 0, nullptr));
    std::vector<uint8_t> bytes(size);
    EXPECT_TRUE(png_image_write_to_memory(&image, bytes.data(), &size, 0, pixels, 0, nullptr));
    bytes.resize(size);
    return bytes;
}

// Decodes and expects success.
Heightmap Decoded(const std::vector<uint8_t>& bytes)
{
    Heightmap map;
    std::string error;
    EXPECT_FALSE(DecodeHeightmap(bytes.data(), bytes.size(), map, error)) << error;
    return map;
}

std::string Refusal(const std::vector<uint8_t>& bytes)
{
    Heightmap map;
    std::string error;
    EXPECT_TRUE(DecodeHeightmap(bytes.data(), bytes.size(), map, error));
    return error;
}

bool Parse(Command command, std::vector<std::string> args, WorldOptions& out, std::string& error)
{
    return ParseWorldOptions(command, args, out, error);
}

} // namespace

// Words the file can hold come back as themselves; others go to the
// nearest direction the game's decoding can produce.
TEST(MapToolSun, NearestLightWordRespectsTheGamesDecoding)
{
    for (uint32_t word : {0x000001FFu, 0x000005E2u, 0x000000FFu, 0x00020A00u, 0x00000164u}) {
        SunAngles s = SunAnglesOfWord(word);
        uint32_t back = NearestLightWord(s.elevation, s.azimuth);
        EXPECT_LT(AngleBetween(s, SunAnglesOfWord(back)), 1e-3) << std::hex << word << " -> " << back;
    }
    // The highest sun at azimuth 90 is y byte 1, z byte 255: 44.9 degrees.
    EXPECT_EQ(NearestLightWord(60.0, 90.0), 0x000001FFu);
    EXPECT_NEAR(SunAnglesOfWord(0x1FF).elevation, 44.89, 0.01);
    // Closer to the zenith than to 44.9, and a sun behind the y axis:
    // straight up, written with the longest z.
    EXPECT_EQ(NearestLightWord(70.0, 90.0), 0x000000FFu);
    EXPECT_EQ(NearestLightWord(30.0, 270.0), 0x000000FFu);
    EXPECT_TRUE(SunAnglesOfWord(0xFF).overhead);

    // The x byte counts about 257 times its value: any non-zero x byte
    // lays the light almost flat along +x.
    SunAngles flat = SunAnglesOfWord(0x00010203);
    EXPECT_NEAR(flat.azimuth, std::atan2(2.0078, 257.0039) * 180.0 / M_PI, 1e-3);
    EXPECT_LT(flat.elevation, 0.01);
    // No direction at all, and bits 24-31 are not read.
    EXPECT_TRUE(SunAnglesOfWord(0).none);
    EXPECT_TRUE(SunAnglesOfWord(0xFF000000u).none);
}

// The plain "--name value" forms reach the map through the binary in
// MapToolRunTest; here the rest.
TEST(MapToolOptions, AcceptsTheDocumentedFormsAndFillsTheParameters)
{
    WorldOptions o;
    std::string error;
    ASSERT_FALSE(Parse(Command::Generate, {"--tiles=5x3", "--roughness", "0.25", "-o", "out", "--with-assets=/somewhere"},
                       o, error))
        << error;
    EXPECT_EQ(o.params.tilesAcross, 5u);
    EXPECT_EQ(o.params.tilesDown, 3u);
    EXPECT_FLOAT_EQ(o.params.roughness, 0.25f);
    EXPECT_EQ(o.assetDir, "/somewhere");
    EXPECT_FALSE(o.sunGiven);
    EXPECT_EQ(o.params.lightWord, TerrainParams().lightWord);

    // One sun angle given: the other is the default world's; azimuth wraps.
    ASSERT_FALSE(Parse(Command::Import, {"in.png", "--sun-elevation", "10", "-o", "d"}, o, error));
    EXPECT_NEAR(SunAnglesOfWord(o.params.lightWord).elevation, 10.0, 0.2);
    ASSERT_FALSE(Parse(Command::Generate, {"--sun-azimuth", "-270", "--sun-elevation", "10", "-o", "d"}, o, error));
    EXPECT_DOUBLE_EQ(o.sunAzimuth, 90.0);
}

TEST(MapToolOptions, RefusesBadArgumentsWithOneLine)
{
    const struct {
        Command command;
        std::vector<std::string> args;
        const char* error;
    } cases[] = {
        {Command::Generate, {}, "missing -o DIR"},
        {Command::Generate, {"-o", "d", "--stretch"}, "unknown option --stretch"},
        {Command::Import, {"a.png", "-o", "d", "--seed", "3"}, "unknown option --seed"},
        {Command::Import, {"-o", "d"}, "import needs a HEIGHTMAP file"},
        {Command::Import, {"a.png", "b.png", "-o", "d"}, "unexpected argument 'b.png'"},
        {Command::Generate, {"-o", "d", "--tiles", "16by16"}, "--tiles wants WIDTHxHEIGHT in tiles, e.g. 16x16 (got '16by16')"},
        {Command::Generate, {"-o", "d", "--tiles", "0x4"}, "--tiles wants"},
        {Command::Generate, {"-o", "d", "--cell-size", "0"}, "--cell-size wants a whole number from 1 to 65535 (got '0')"},
        {Command::Generate, {"-o", "d", "--height-scale", "65536"}, "--height-scale wants a whole number"},
        {Command::Generate, {"-o", "d", "--roughness", "1.5"}, "--roughness wants a number from 0 to 1"},
        {Command::Generate, {"-o", "d", "--roughness", "nan"}, "--roughness wants"},
        {Command::Generate, {"-o", "d", "--sun-elevation", "-5"}, "--sun-elevation wants degrees from 0 to 90"},
        {Command::Generate, {"-o", "d", "--seed"}, "--seed needs a value"},
        {Command::Generate, {"-o", "d", "--seed", "4294967296"}, "--seed wants"},
        // 4097 x 4097 vertices is one row and column past what the game reads.
        {Command::Generate, {"-o", "d", "--tiles", "4096x4096", "--subdivisions", "1"}, "a grid of 4097 x 4097 vertices is more than"},
        {Command::Generate, {"-o", "d", "--tiles", "4294967295x1", "--subdivisions", "65535"},
         "a grid of 281470681677826 x 65536 vertices"},
    };
    for (const auto& c : cases) {
        WorldOptions o;
        std::string error;
        EXPECT_TRUE(ParseWorldOptions(c.command, c.args, o, error)) << c.error;
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << "got: " << error;
        EXPECT_EQ(error.find('\n'), std::string::npos);
    }
    // The largest grid the game reads is accepted.
    WorldOptions o;
    std::string error;
    EXPECT_FALSE(Parse(Command::Generate, {"-o", "d", "--tiles", "4095x4095", "--subdivisions", "1"}, o, error));
}

// Each format gives the samples as stored, top row first, white = maxValue.
TEST(MapToolHeightmap, ReadsPgmPngAndBmpAsStored)
{
    Heightmap pgm8 = Decoded(Pgm(3, 2, 255, {0, 10, 20, 30, 40, 255}));
    EXPECT_EQ(pgm8.width, 3);
    EXPECT_EQ(pgm8.height, 2);
    EXPECT_EQ(pgm8.maxValue, 255u);
    EXPECT_EQ(pgm8.samples, (std::vector<uint16_t>{0, 10, 20, 30, 40, 255}));
    EXPECT_EQ(pgm8.format, "8-bit binary PGM");

    // A 10-bit maximum is stored in two bytes; a stray value above it is white.
    Heightmap pgm16 = Decoded(Pgm(2, 2, 1023, {0, 512, 1023, 2000}));
    EXPECT_EQ(pgm16.maxValue, 1023u);
    EXPECT_EQ(pgm16.samples, (std::vector<uint16_t>{0, 512, 1023, 1023}));
    EXPECT_DOUBLE_EQ(pgm16.At(1, 0), 512.0 / 1023.0);

    Heightmap png8 = Decoded(Png(3, 1, false, {7, 128, 255}));
    EXPECT_EQ(png8.format, "8-bit grayscale PNG");
    EXPECT_EQ(png8.maxValue, 255u);
    EXPECT_EQ(png8.samples, (std::vector<uint16_t>{7, 128, 255}));

    // BMP by luminance, in 16 bits: grey stays exact, colour keeps its fraction.
    Image picture(2, 2);
    picture.Set(0, 0, 200, 100, 50);
    picture.Set(1, 0, 255, 255, 255);
    picture.Set(0, 1, 0, 0, 0);
    picture.Set(1, 1, 90, 90, 90);
    Heightmap bmp = Decoded(EncodeBmp(picture));
    EXPECT_EQ(bmp.maxValue, 65535u);
    EXPECT_NEAR(bmp.At(0, 0), (0.299 * 200 + 0.587 * 100 + 0.114 * 50) / 255.0, 1e-4);
    EXPECT_DOUBLE_EQ(bmp.At(1, 0), 1.0);
    EXPECT_DOUBLE_EQ(bmp.At(0, 1), 0.0);
    EXPECT_DOUBLE_EQ(bmp.At(1, 1), 90.0 / 255.0);
}

TEST(MapToolHeightmap, RefusesDamagedAndForeignFilesWithAReason)
{
    std::vector<uint8_t> pgm = Pgm(4, 4, 255, std::vector<uint32_t>(16, 9));
    std::vector<uint8_t> cut(pgm.begin(), pgm.end() - 1);
    EXPECT_EQ(Refusal(cut), "PGM pixel data is truncated (15 of 16 bytes)");
    std::string text = "P5 4 4";
    EXPECT_EQ(Refusal(std::vector<uint8_t>(text.begin(), text.end())), "PGM header is malformed or cut short");
    text = "P5 4 4 70000\n";
    EXPECT_EQ(Refusal(std::vector<uint8_t>(text.begin(), text.end())), "PGM maximum value 70000 is outside 1 to 65535");
    text = "P5 0 4 255\n";
    EXPECT_EQ(Refusal(std::vector<uint8_t>(text.begin(), text.end())), "image has no pixels (0x4)");
    text = "P5 99999999 99999999 255\n";
    EXPECT_NE(Refusal(std::vector<uint8_t>(text.begin(), text.end())).find("is too large"), std::string::npos);
    text = "P2 2 1 255\n0 1\n";
    EXPECT_EQ(Refusal(std::vector<uint8_t>(text.begin(), text.end())),
              "only binary grayscale PGM (P5) is read; this is a P2 file");
    text = "GIF89a";
    EXPECT_EQ(Refusal(std::vector<uint8_t>(text.begin(), text.end())), "not a PNG, binary PGM or BMP file");
    EXPECT_EQ(Refusal({}), "not a PNG, binary PGM or BMP file");

    // A PNG cut anywhere is refused through libpng's error path, never a crash.
    std::vector<uint8_t> png = Png(16, 16, true, std::vector<uint16_t>(256, 300));
    for (size_t keep : {size_t(8), size_t(20), size_t(40), png.size() / 2, png.size() - 13}) {
        std::vector<uint8_t> part(png.begin(), png.begin() + keep);
        EXPECT_EQ(Refusal(part).rfind("PNG: ", 0), 0u) << keep;
    }
    // A PNG that claims more pixels than allowed is refused before decoding.
    std::vector<uint8_t> wide = Png(1, 1, false, {5});
    wide[17] = 0x01, wide[19] = 0x00;  // width 65536
    uLong crc = crc32(0, wide.data() + 12, 17);  // IHDR's type and data
    for (int i = 0; i < 4; ++i)
        wide[29 + i] = uint8_t(crc >> (24 - 8 * i));
    EXPECT_EQ(Refusal(wide), "image of 65536x1 is too large (sides up to 16385, 2^27 pixels in all)");

    // The game's BMP checks apply: an 8-bit BMP is refused with its reason.
    std::vector<uint8_t> bmp = EncodeBmp(SolidImage(2, 2, 1, 2, 3));
    bmp[28] = 8;
    EXPECT_NE(Refusal(bmp).find("found 8 bits per pixel"), std::string::npos);

    Heightmap map;
    std::string error;
    EXPECT_TRUE(ReadHeightmap("/nonexistent/heights.png", map, error));
    EXPECT_EQ(error, "No such file or directory");
}

// Corner pixels land on corner vertices; in between, bilinear weights.
TEST(MapToolResample, BilinearOnOddSizesAndHeightsNeverZero)
{
    Heightmap picture;
    picture.width = 3;
    picture.height = 2;
    picture.maxValue = 255;
    picture.samples = {0, 100, 50, 200, 0, 255};
    std::vector<float> v = ResampleBilinear(picture, 5, 3);
    const float want[15] = {0,   50, 100, 75,     50,     //
                            100, 75, 50,  101.25, 152.5,  //
                            200, 100, 0,  127.5,  255};
    ASSERT_EQ(v.size(), 15u);
    for (int i = 0; i < 15; ++i)
        EXPECT_NEAR(v[i] * 255.0f, want[i], 1e-3) << "vertex " << i;

    // One pixel fills the grid; a one-vertex side samples the middle.
    Heightmap dot;
    dot.width = dot.height = 1;
    dot.samples = {51};
    EXPECT_EQ(ResampleBilinear(dot, 3, 2), std::vector<float>(6, 0.2f));
    EXPECT_NEAR(ResampleBilinear(picture, 1, 1)[0] * 255.0f, 50.0f, 1e-3);  // between 100 and 0

    std::vector<uint8_t> h = QuantiseHeights({0.0f, 0.5f, 1.0f, -1.0f, 2.0f}, false);
    EXPECT_EQ(h, (std::vector<uint8_t>{0, 128, 255, 0, 255}));
    EXPECT_EQ(QuantiseHeights({0.25f, 0.5f, 0.75f}, true), (std::vector<uint8_t>{0, 128, 255}));
    // A flat picture is not stretched into a division by zero.
    EXPECT_EQ(QuantiseHeights({0.5f, 0.5f}, true), (std::vector<uint8_t>{128, 128}));
}
