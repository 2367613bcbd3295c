// Guards the tools' command lines: light words, option parsing and refusals, heightmap decoding (formats, byte order,
// hostile pictures), what generate and import write against what the game reads, info, --force, --help, --version.
#include "base/GameFacts.h"
#include "tests/support/GeoTiffWriter.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestMaps.h"
#include "tools/assets/TerrainTextures.h"
#include "tools/common/AssetNames.h"
#include "tools/common/FileBytes.h"
#include "tools/map/HeightmapReader.h"
#include "tools/map/SunDirection.h"
#include "tools/map/WorldOptions.h"
#include "world/Map.h"

#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>
#include <zlib.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sys/wait.h>
#include <tuple>

namespace {

struct ToolRun {
    int status = -1;
    std::string out, err;
};

std::string Text(const std::string& path)
{
    std::vector<uint8_t> bytes;
    std::string error;
    return ReadFileBytes(path, bytes, error) ? error : std::string(bytes.begin(), bytes.end());
}

// Runs a tool of the build in the current directory (a CTempDir).
ToolRun RunTool(const std::string& tool, const std::vector<std::string>& args, const std::string& prefix = "")
{
    std::string command = prefix + "'" TERRAVELL_BUILD_DIR "/" + tool + "'";
    for (const std::string& a : args)
        command += " '" + a + "'";
    int raw = std::system((command + " >tool.out 2>tool.err").c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Text("tool.out"), Text("tool.err")};
}
ToolRun Map(const std::vector<std::string>& args) { return RunTool("terravell-map", args); }

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::vector<uint8_t> Pgm(int w, int h, int maxValue, const std::vector<uint32_t>& samples)
{
    std::string head =
        "P5\n# a comment\n" + std::to_string(w) + " " + std::to_string(h) + "\n" + std::to_string(maxValue) + "\n";
    std::vector<uint8_t> bytes(head.begin(), head.end());
    for (uint32_t s : samples) {
        if (maxValue > 255)
            bytes.push_back(uint8_t(s >> 8));
        bytes.push_back(uint8_t(s));
    }
    return bytes;
}

// A grayscale PNG; 16-bit samples are written as they are.
std::vector<uint8_t> Png(int w, int h, bool sixteen, const std::vector<uint16_t>& samples)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = uint32_t(w);
    image.height = uint32_t(h);
    image.format = sixteen ? PNG_FORMAT_LINEAR_Y : PNG_FORMAT_GRAY;
    std::vector<uint8_t> eight(samples.begin(), samples.end()), bytes;
    const void* pixels = sixteen ? static_cast<const void*>(samples.data()) : eight.data();
    png_alloc_size_t size = 0;
    EXPECT_TRUE(png_image_write_to_memory(&image, nullptr, &size, 0, pixels, 0, nullptr));  // the size first
    bytes.resize(size);
    EXPECT_TRUE(png_image_write_to_memory(&image, bytes.data(), &size, 0, pixels, 0, nullptr));
    return bytes;
}

// A PNG put together chunk by chunk, each with its checksum: header
// fields as given, then the other chunks (type and data) in order.
std::vector<uint8_t> PngChunks(uint32_t w, uint32_t h, uint8_t depth, uint8_t type,
                               const std::vector<std::pair<std::string, std::vector<uint8_t>>>& chunks)
{
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    auto add = [&out](const std::string& name, const std::vector<uint8_t>& data) {
        for (int i = 24; i >= 0; i -= 8)
            out.push_back(uint8_t(data.size() >> i));
        size_t start = out.size();
        out.insert(out.end(), name.begin(), name.end());
        out.insert(out.end(), data.begin(), data.end());
        uint32_t crc = uint32_t(crc32(0, out.data() + start, uInt(out.size() - start)));
        for (int i = 24; i >= 0; i -= 8)
            out.push_back(uint8_t(crc >> i));
    };
    add("IHDR", {uint8_t(w >> 24), uint8_t(w >> 16), uint8_t(w >> 8), uint8_t(w), uint8_t(h >> 24), uint8_t(h >> 16),
                 uint8_t(h >> 8), uint8_t(h), depth, type, 0, 0, 0});
    for (const auto& [name, data] : chunks)
        add(name, data);
    return out;
}

// Decodes every sample; the error text, empty on success.
std::string Decode(const std::vector<uint8_t>& bytes, Heightmap& map, std::vector<float>& values)
{
    std::string error;
    bool failed = DecodeWhole(bytes.data(), bytes.size(), map, values, error);
    EXPECT_EQ(failed, !error.empty());
    return error;
}

MapFileData ReadBack(const std::string& path)
{
    MapFileData map;
    std::string fault;
    EXPECT_FALSE(ReadMapFile(path.c_str(), map, fault)) << fault;
    return map;
}

}  // namespace

TEST(MapTool, OptionsParseTheDocumentedFormsAndRefuseTheRest)
{
    WorldOptions o;
    std::string error;
    for (int again = 0; again < 2; ++again) {  // getopt's state starts afresh
        ASSERT_FALSE(ParseWorldOptions(
            Command::Generate, {"--tiles=5x3", "--roughness", "0.25", "-o", "out", "--with-assets=/x"}, o, error))
            << error;
        EXPECT_TRUE(o.params.tilesAcross == 5 && o.params.tilesDown == 3 && o.params.roughness == 0.25f);
        EXPECT_TRUE(o.withAssets && o.assetDir == "/x" && o.params.lightWord == DEFAULT_MAP_LIGHT_WORD);
    }
    // One sun angle given: the other is the default world's; azimuth wraps.
    ASSERT_FALSE(
        ParseWorldOptions(Command::Generate, {"--sun-azimuth", "-270", "--sun-elevation", "10", "-o", "d"}, o, error));
    EXPECT_DOUBLE_EQ(o.sunAzimuth, 90.0);
    EXPECT_NEAR(SunAnglesOfWord(o.params.lightWord).elevation, 10.0, 0.2);
    // A light word holds few directions: above 44.9 degrees at azimuth 90 the nearest is straight up.
    EXPECT_EQ(NearestLightWord(60.0, 90.0), 0x1FFu);
    EXPECT_EQ(NearestLightWord(70.0, 90.0), 0xFFu);

    const std::pair<std::vector<std::string>, const char*> refused[] = {
        {{}, "missing -o DIR"},
        {{"-o", "d", "--stretch"}, "unknown option --stretch"},
        {{"-o", "d", "--tiles", "16by16"}, "--tiles wants WIDTHxHEIGHT in tiles, e.g. 16x16 (got '16by16')"},
        {{"-o", "d", "--cell-size", "0"}, "--cell-size wants a whole number from 1 to 65535 (got '0')"},
        {{"-o", "d", "--roughness", "nan"}, "--roughness wants a number from 0 to 1"},
        {{"-o", "d", "--sun-elevation", "-5"}, "--sun-elevation wants degrees from 0 to 90"},
        {{"-o", "d", "--seed"}, "--seed needs a value"},
        {{"-o", "d", "--force=yes"}, "--force takes no value"},
        {{"-o", "d", "--tiles", "4096x4096", "--subdivisions", "1"}, "a grid of 4097 x 4097 vertices is more than"},
        {{"-o", "d", "--tiles", "4294967295x1", "--subdivisions", "65535"},
         "a grid of 281470681677826 x 65536 vertices"},
    };
    for (const auto& [args, want] : refused) {
        EXPECT_TRUE(ParseWorldOptions(Command::Generate, args, o, error)) << want;
        EXPECT_EQ(error.rfind(want, 0), 0u) << "got: " << error;
    }
    EXPECT_FALSE(
        ParseWorldOptions(Command::Generate, {"-o", "d", "--tiles", "4095x4095", "--subdivisions", "1"}, o, error));
    EXPECT_TRUE(ParseWorldOptions(Command::Import, {"a.png", "-o", "d", "--seed", "3"}, o, error));
    EXPECT_TRUE(ParseWorldOptions(Command::Import, {"-o", "d"}, o, error));
    EXPECT_EQ(error, "import needs a HEIGHTMAP file");
}

// The light-word search passes over rows that cannot win: it must still
// pick the word, ties included, that trying all 2^24 would.
TEST(SunDirection, PrunedSearchFindsTheWordOfTheFullSearch)
{
    for (auto [elevation, azimuth] : {std::pair{0.0, 0.0},
                                      {0.0, 90.0},
                                      {10.0, 90.0},
                                      {44.9, 90.0},
                                      {45.0, 90.0},
                                      {90.0, 0.0},
                                      {30.0, 45.0},
                                      {5.0, 200.0},
                                      {60.0, 300.0},
                                      {1.0, 1.0}}) {
        const double e = elevation * M_PI / 180, a = azimuth * M_PI / 180,
                     want[3] = {std::cos(e) * std::cos(a), std::cos(e) * std::sin(a), std::sin(e)};
        double best = -2.0, bestLength = 0.0;
        uint32_t bestWord = 0;
        for (uint32_t word = 1; word < (1u << 24); ++word) {
            Vec3 v = LightDirFromWord(word);
            double length2 = double(v.x) * v.x + double(v.y) * v.y + double(v.z) * v.z;
            double cosine = (v.x * want[0] + v.y * want[1] + v.z * want[2]) / std::sqrt(length2);
            if (cosine > best + 1e-12 || (cosine > best - 1e-12 && length2 > bestLength))
                best = std::fmax(best, cosine), bestLength = length2, bestWord = word;
        }
        EXPECT_EQ(NearestLightWord(elevation, azimuth), bestWord) << elevation << " " << azimuth;
    }
}

// Each format gives the samples as stored, top row first, white = maxValue;
// damaged or foreign files are refused with a reason, never a crash.
TEST(MapTool, HeightmapsAreReadAsStoredAndHostileOnesRefused)
{
    Heightmap m;
    std::vector<float> v;
    const std::pair<std::vector<uint8_t>, std::vector<float>> read[] = {
        {Pgm(3, 2, 255, {0, 10, 20, 30, 40, 255}), {0, 10, 20, 30, 40, 255}},
        {Pgm(2, 2, 1023, {0, 512, 1023, 2000}), {0, 512, 1023, 1023}},  // two bytes, big-endian; above white is white
        {Png(3, 1, false, {7, 128, 255}), {7, 128, 255}},
        {Png(2, 1, true, {300, 65535}), {300, 65535}},
    };
    for (const auto& [file, samples] : read) {
        ASSERT_EQ(Decode(file, m, v), "");
        EXPECT_EQ(v, samples);
    }
    EXPECT_EQ(m.maxValue, 65535u);
    Image picture(2, 1);
    picture.Set(0, 0, 200, 100, 50);
    picture.Set(1, 0, 90, 90, 90);
    ASSERT_EQ(Decode(EncodeBmp(picture), m, v), "");  // colour by luminance
    EXPECT_NEAR(v[0] / m.maxValue, (0.299 * 200 + 0.587 * 100 + 0.114 * 50) / 255.0, 1e-4);
    EXPECT_EQ(v[1], 90 * 257);
    // A palette with a transparency chunk: the palette's colours, by luminance.
    std::vector<uint8_t> row = {0, 0, 1}, packed(64);
    uLongf packedSize = packed.size();
    ASSERT_EQ(compress(packed.data(), &packedSize, row.data(), row.size()), Z_OK);
    packed.resize(packedSize);
    ASSERT_EQ(Decode(PngChunks(2, 1, 8, 3,
                               {{"PLTE", {200, 100, 50, 90, 90, 90}}, {"tRNS", {0}}, {"IDAT", packed}, {"IEND", {}}}),
                     m, v),
              "");
    EXPECT_NEAR(v[0] / m.maxValue, (0.299 * 200 + 0.587 * 100 + 0.114 * 50) / 255.0, 1e-4);

    auto bytes = [](const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); };
    std::vector<uint8_t> pgm = Pgm(4, 4, 255, std::vector<uint32_t>(16, 9)),
                         png = Png(16, 16, true, std::vector<uint16_t>(256, 300));
    std::vector<uint8_t> bmp = EncodeBmp(SolidImage(2, 2, 1, 2, 3)),
                         wide = PngChunks(65536, 1, 8, 0, {{"IDAT", packed}});
    bmp[28] = 8;
    std::vector<uint8_t> voids(2 * 1201 * 1201, 0);
    for (size_t i = 0; i < voids.size(); i += 2)
        voids[i] = 0x80;  // -32768, big-endian
    const std::pair<std::vector<uint8_t>, const char*> refused[] = {
        {std::vector<uint8_t>(pgm.begin(), pgm.end() - 1), "PGM pixel data is truncated (15 of 16 bytes)"},
        {bytes("P5 4 4"), "PGM header is malformed or cut short"},
        {bytes("P5 4 4 70000\n"), "PGM maximum value 70000 is outside 1 to 65535"},
        {bytes("P5 0 4 255\n"), "image has no pixels (0x4)"},
        {bytes("P5 99999999 99999999 255\n"), "image of 99999999x99999999 is too large"},
        {bytes("P2 2 1 255\n0 1\n"), "only binary grayscale PGM (P5) is read; this is a P2 file"},
        {bytes("GIF89a"), "not a PNG, binary PGM, BMP, GeoTIFF or SRTM .hgt file"},
        {{}, "not a PNG, binary PGM, BMP, GeoTIFF or SRTM .hgt file"},
        {voids, "SRTM tile holds only voids"},
        {wide, "image of 65536x1 is too large (sides up to 16385, 2^27 pixels in all)"},
        {bmp, "expected a 24-bit uncompressed BMP, found 8 bits per pixel"},
        {PngChunks(0, 5, 8, 0, {}),
         "PNG: Invalid IHDR data (Image width is zero in IHDR)"},  // libpng's own reason kept
    };
    for (const auto& [file, want] : refused)
        EXPECT_EQ(Decode(file, m, v).rfind(want, 0), 0u) << want;
    for (size_t keep : {size_t(8), size_t(20), size_t(40), png.size() / 2, png.size() - 13})
        EXPECT_EQ(Decode(std::vector<uint8_t>(png.begin(), png.begin() + long(keep)), m, v).rfind("PNG: ", 0), 0u)
            << keep;
}

// An SRTM tile: big-endian metres, the northern row first, voids filled from their neighbours, the corner from its
// name. An SRTM tile south of the equator and west of Greenwich: big-endian metres, the northern row first, voids left
// for the filling, the corner and the latitude from its name; --region in degrees takes a window at full resolution.
TEST(MapTool, SrtmTilesAreReadNorthFirstAndPlacedByTheirName)
{
    CTempDir dir;
    const int side = 1201;
    auto metres = [](int x, int y) { return x + 2 * y - 300; };  // below the sea in the north-west
    std::vector<uint8_t> tile(2 * side * side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            bool hole = (x == 5 && y == 5) || (x == 0 && y == 0) || (x >= 100 && x < 110 && y >= 50 && y < 53);
            uint16_t v = uint16_t(hole ? -32768 : metres(x, y));
            tile[2 * size_t(y * side + x)] = uint8_t(v >> 8), tile[2 * size_t(y * side + x) + 1] = uint8_t(v);
        }
    dir.Write("S23W044.hgt", tile);
    Heightmap m;
    CMappedFile file;
    std::vector<float> v;
    std::string error;
    ASSERT_FALSE(ReadHeightmap("S23W044.hgt", file, m, error)) << error;
    EXPECT_EQ(m.format, "SRTM tile, 3 arc-seconds, south-west corner -23, -44");
    EXPECT_TRUE(m.latitudeKnown && m.latitude == -22.5 && m.frame.originX == -44 && m.frame.originY == -22);
    ASSERT_EQ(Decode(tile, m, v), "");
    auto at = [&](int x, int y) { return v[size_t(y) * side + x]; };
    EXPECT_TRUE(std::isnan(at(0, 0)) && std::isnan(at(105, 51)));
    EXPECT_EQ(at(1200, 0), metres(1200, 0));  // the first row is the north edge
    EXPECT_EQ(at(0, 1200), metres(0, 1200));

    // 3 arc-seconds at 22.5 degrees south: 102,896 and 110,737 m a degree. The relief of 3,599 m makes steps of
    // 14.17 m, 0.1653 of the 85.75 m cells: 132 hundredths at cell size 8, 0.18 % steep.
    ToolRun run = Map({"import", "S23W044.hgt", "-o", "srtm"});
    EXPECT_TRUE(Has(run.out, "spacing: 85.75 m across, 92.28 m down (3 arc-seconds at latitude -22.50)")) << run.out;
    MapFileData imported = ReadBack("srtm/map1.raw");
    EXPECT_TRUE(imported.Columns() == 1201 && imported.header.cellSize == 8 && imported.header.heightScale == 132)
        << run.out;
    EXPECT_TRUE(Has(run.out, "snow above 5175 m (the snow line at its latitude)")) << run.out;
    // Only the textures the tiles name, each the picture the whole set has for its tiles of 6 cells.
    EXPECT_EQ(std::set<uint8_t>(imported.tileMap.begin(), imported.tileMap.end()).size(), imported.header.textureCount);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("srtm"), {}), imported.header.textureCount + 1);
    const std::vector<Image> all = GenerateTerrainTextures(TERRAIN_TEXTURE_SIZE, imported.header.subdivisions);
    for (uint8_t t = 0; t < TERRAIN_TEXTURE_COUNT; ++t)
        if (std::count(imported.textureNumbers.begin(), imported.textureNumbers.end(), TerrainTextureNumber(t))) {
            const std::vector<uint8_t> want = EncodeBmp(all[t]);
            EXPECT_TRUE(Text("srtm/" + TerrainTextureFileName(TerrainTextureNumber(t))) ==
                        std::string(want.begin(), want.end()))
                << int(t);
        }
    // A quarter degree square from 43.75 W, 22 S: samples 300 .. 600 across and 0 .. 300 down, one vertex each.
    run = Map({"import", "S23W044.hgt", "-o", "part", "--region", "-43.75,-22.25,-43.5,-22deg"});
    EXPECT_TRUE(
        Has(run.out, "region: samples 300 .. 600 across and 0 .. 300 down, 301 x 301 of the file's 1201 x 1201"))
        << run.out;
    EXPECT_TRUE(Has(run.out, "grid: 302 x 323 vertices in 43 x 46 tiles of 7 x 7 cells, resampled to square cells"))
        << run.out;
}

// Crafted files and asked-for scales: every figure comes from the file, or a line says why not; what the map cannot
// draw is refused with one line and status 1. No tile spacing for data not decoded as a tile, none from names that
// are not a tile's, a turned grid's pixel size from its columns' lengths, flat land reported as it is.
TEST(MapTool, CraftedFilesGiveTheRightFigureOrOneLine)
{
    CTempDir dir;
    dir.Write("flat.hgt", std::vector<uint8_t>(2 * 1201 * 1201, 1));  // 257 m everywhere
    for (const char* name : {"N46E010", "N91E000", "N90E000", "X36W085", "N10E181", "N-5E010"})
        std::filesystem::create_symlink("flat.hgt", std::string(name) + ".hgt");
    const std::string header = "P5\n#" + std::string(2402 - 21, ' ') + "\n1201 1200\n65535\n";  // an SRTM tile's size
    std::vector<uint8_t> pgm(header.begin(), header.end());
    for (int i = 0; i < 1201 * 1200 * 2; ++i)
        pgm.push_back(uint8_t(i * 7 / 1201));
    dir.Write("N36W085.pgm", pgm);
    auto tiff = [](const std::string& name, uint16_t format, uint16_t bits, std::vector<double> scale,
                   std::vector<double> matrix, double high) {
        std::vector<double> samples(49 * 33);
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = i % 49 == 48 ? high : double(i % 49 + i / 49);
        GeoTiffShape shape{49, 33, format, bits,  COMPRESSION_NONE,
                           0,  1,  9001,   scale, scale.empty() ? std::vector<double>{} : std::vector<double>(6, 0.0)};
        shape.matrix = matrix;
        EXPECT_FALSE(WriteGeoTiff(name, shape, samples));
    };
    const double r = 30 * std::sqrt(0.5);
    tiff("turned45.tif", SAMPLEFORMAT_INT, 16, {}, {r, r, 0, 0, r, -r, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, 60);
    tiff("turned90.tif", SAMPLEFORMAT_INT, 16, {}, {0, 30, 0, 0, 30, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, 60);
    tiff("sheared.tif", SAMPLEFORMAT_INT, 16, {}, {30, 10, 0, 0, 0, -30, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, 60);
    tiff("tiny.tif", SAMPLEFORMAT_INT, 16, {1e-300, 1e-300, 0}, {}, 60);
    tiff("huge.tif", SAMPLEFORMAT_INT, 16, {1e308, 1e308, 0}, {}, 60);
    tiff("int32.tif", SAMPLEFORMAT_INT, 32, {30, 30, 0}, {}, 2147483647);
    tiff("float.tif", SAMPLEFORMAT_IEEEFP, 32, {30, 30, 0}, {}, 3e38);
    tiff("dem.tif", SAMPLEFORMAT_INT, 16, {30, 30, 0}, {}, 60);
    const struct {
        std::vector<std::string> args;
        int status;
        std::string want;  // a part of what it prints, out and err
    } cases[] = {
        // clang-format off
        {{"N46E010.hgt"}, 0, "257 .. 257 m\nspacing: 63.97 m across, 92.63 m down (3 arc-seconds at latitude 46.50)"},
        {{"N46E010.hgt"}, 0, "heights: 257.0 .. 257.0 m, a relief of 0.0 m"},
        {{"N91E000.hgt"}, 0, "scale: unknown: the name N91E000.hgt is not a tile's: latitudes run to 89 and"},
        {{"N90E000.hgt"}, 0, "the name N90E000.hgt is not a tile's: latitudes run to 89"},
        {{"N10E181.hgt"}, 0, "the name N10E181.hgt is not a tile's: latitudes run to 89 and longitudes to 179"},
        {{"X36W085.hgt"}, 0, "the name X36W085.hgt is not a tile's (like N46E010.hgt), so its latitude and"},
        {{"N-5E010.hgt"}, 0, "the name N-5E010.hgt is not a tile's (like N46E010.hgt)"},
        {{"N36W085.pgm"}, 0, "16-bit binary PGM\ngrid: 1201 x 1201 vertices in 150 x 150 tiles of 8 x 8 cells, one per "
                             "source sample; the last 1 row padded"},
        {{"N36W085.pgm"}, 0, "scale: unknown: the file gives no pixel size"},
        {{"turned45.tif"}, 0, "spacing: 30.00 m across, 30.00 m down (pixel size 30 m, from the file; the grid is "
                              "turned 45.0 degrees from north"},
        {{"turned90.tif"}, 0, "30.00 m down (pixel size 30 m, from the file; the grid is turned 90.0 degrees"},
        {{"sheared.tif"}, 0, "scale: unknown: the file's grid is sheared: its rows and columns are not square"},
        {{"tiny.tif"}, 1, "terravell-map: cannot import tiny.tif: samples 1e-300 m apart across and 1e-300 m down "
                          "(pixel size 1e-300 m, from the file) are outside 0.001 to 1e+06 m\n"},
        {{"huge.tif"}, 1, "samples 1e+308 m apart across and 1e+308 m down (pixel size 1e+308 m, from the file) are"},
        {{"int32.tif"}, 1, "cannot import int32.tif: heights 0 .. 2.14748e+09 m reach beyond 100 km of the sea: not"},
        {{"float.tif"}, 1, "cannot import float.tif: heights 0 .. 3e+38 m reach beyond 100 km"},
        {{"dem.tif", "--tiles", "4x4"}, 0, "the source stretched over them: a cell 1.5 times as long across as down"},
        {{"N36W085.pgm", "--pixel-size", "0.001"}, 1, "terravell-map: cannot import N36W085.pgm: a height step "
                                                      "2.58e+05 times a cell (258 m over 0.001 m cells"},
        {{"N36W085.pgm", "--pixel-size", "1000000"}, 0, "cell size 116, height scale 3; ratio error +0.24%"},
        {{"dem.tif", "--height-scale", "1", "--exaggeration", "100"}, 1, "can draw with the --height-scale\n"},
        {{"dem.tif", "--region", "40,30,60,40"}, 0, "region: samples 40 .. 48 across and 30 .. 32 down, 9 x 3 of the"},
        {{"dem.tif", "--region", "300,-300,600,-600m", "--snow-line", "50"}, 0, "region: samples 9 .. 20 across"},
        {{"dem.tif", "--region", "300,-300,600,-600m"}, 0, "heights: 18.0 .. 40.0 m"},
        {{"dem.tif", "--snow-line", "50"}, 0, "textures: water at and below the sea, snow above 50 m (--snow-line)"},
        {{"dem.tif", "--region", "100,0,120,9"}, 1, "cannot import dem.tif: the region, samples 100 .. 120 across and "
                                                    "0 .. 9 down, lies outside the file's 49 x 33\n"},
        {{"dem.tif", "--region", "0,0,1,1deg"}, 1, "the region is given in degrees but the file is laid out in metres: "
                                                   "give it in samples\n"},
        // clang-format on
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"import", "-o", "w", "--force"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        ToolRun run = Map(args);
        EXPECT_EQ(run.status, c.status) << c.args[0] << ": " << run.err;
        EXPECT_TRUE(Has(run.out + run.err, c.want)) << c.want << "\n-- got:\n" << run.out << run.err;
        EXPECT_LE(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
}

TEST(MapTool, GenerateAndImportWriteWhatTheGameReadsAndReplaceNothingUnasked)
{
    CTempDir dir;
    ToolRun run =
        Map({"generate", "--seed", "11", "--tiles", "5x3", "--subdivisions", "4", "--cell-size", "3", "--height-scale",
             "50", "--sun-elevation", "20", "-o", "world", "--with-assets=" TERRAVELL_DATA_DIR});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "5 x 3 tiles of 4 x 4 cells, 21 x 13 vertices, 60 x 36 world units")) << run.out;
    MapFileData file = ReadBack("world/map1.raw"), made = GenerateTerrain(TerrainParams{11, 5, 3, 4, 3, 50});
    EXPECT_TRUE(file.heights == made.heights && file.tileMap == made.tileMap);
    EXPECT_NEAR(SunAnglesOfWord(file.header.lightWord).elevation, 20.0, 0.2);
    // The other assets are the build's; the README walkthrough plays a world made so.
    EXPECT_EQ(Text("world/" + HudMaskFileName(0)), Text(TERRAVELL_DATA_DIR "/" + HudMaskFileName(0)));
    EXPECT_TRUE(Has(Map({"info", "world/map1.raw"}).out, "heightScale    50 (0.50 world units per height step)"));

    // A second run leaves the world alone unless told to replace it.
    run = Map({"generate", "--seed", "12", "-o", "world"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "terravell-map: world/map1.raw already exists (use --force to replace it)\n");
    EXPECT_EQ(ReadBack("world/map1.raw").heights, file.heights);
    ASSERT_EQ(
        Map({"generate", "--seed", "12", "--tiles", "5x3", "--subdivisions", "4", "-o", "world", "--force"}).status, 0);
    EXPECT_NE(ReadBack("world/map1.raw").heights, file.heights) << "the seed does not reach the generator";

    // A PGM bright at the top, black 0 and white 255: the picture's top row is the map's row 0.
    std::vector<uint32_t> falling(5 * 9), odd(37 * 23);
    for (size_t i = 0; i < falling.size(); ++i)
        falling[i] = uint32_t(255 - 31 * (i / 5));
    dir.Write("falling.pgm", Pgm(5, 9, 255, falling));
    run = Map({"import", "falling.pgm", "-o", "pgm", "--tiles", "2x2", "--subdivisions", "2"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "5x9, 8-bit binary PGM")) << run.out;
    MapFileData pgm = ReadBack("pgm/map1.raw");
    for (uint32_t r = 0; r < 5; ++r)  // grid row r samples picture row 2r
        EXPECT_EQ(pgm.heights[r * 5 + 3], 255 - 62 * r) << r;

    // Without --tiles, one vertex per pixel, tiles of 7 cells leaving one
    // column and one row to crop; --stretch spreads the range.
    for (size_t i = 0; i < odd.size(); ++i)
        odd[i] = uint32_t(1000 + i % 37 * 1000);
    dir.Write("odd.pgm", Pgm(37, 23, 65535, odd));
    run = Map({"import", "odd.pgm", "-o", "odd", "--stretch"});
    EXPECT_TRUE(Has(run.out, "grid: 36 x 22 vertices in 5 x 3 tiles of 7 x 7 cells, one per source sample; the last 1 "
                             "column cropped; the last 1 row cropped\nheights: lowest 0, highest 255; cell size 29"))
        << run.out;
    MapFileData stretched = ReadBack("odd/map1.raw");
    ASSERT_EQ(stretched.Columns(), 36u);
    for (uint32_t c = 0; c < 36; ++c)
        EXPECT_EQ(stretched.heights[36 * 21 + c], std::lround(c * 255 / 35.0)) << c;
}

// A disk that fills part-way (a file-size limit fails writes as a full disk does) costs nothing: the old world stays
// byte for byte with no stray files, and the line gives the system's reason. First the map fails, then a sky face
// after the map and the textures were written.
TEST(MapTool, AFailedWriteLeavesTheOldWorldWhole)
{
    CTempDir dir;
    const std::string assets = "--with-assets=" TERRAVELL_DATA_DIR;
    ASSERT_EQ(Map({"generate", "-o", "w", assets}).status, 0);
    auto snapshot = [] {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator("w"))
            files[entry.path().filename()] = Text(entry.path());
        return files;
    };
    const auto before = snapshot();
    for (const char* blocks : {"16", "600"}) {
        ToolRun run = RunTool("terravell-map", {"generate", "--seed", "9", "--force", "-o", "w", assets},
                              std::string("trap '' XFSZ; ulimit -f ") + blocks + "; ");
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.rfind("terravell-map: cannot write w/", 0) == 0 && Has(run.err, ": File too large\n"))
            << run.err;
        EXPECT_TRUE(snapshot() == before) << blocks;
    }
}

// info's verdict is the game's: it exits 1 exactly where the game's reader
// refuses, listing every fault, the first of which is the one the game prints.
TEST(MapTool, InfoAndTheGameAgree)
{
    CTempDir dir;
    const MapFileData base = TestMap(2, 2, 2, 4, 100, 30);
    auto with = [&](void (*change)(MapFileData&)) {
        MapFileData m = base;
        change(m);
        return EncodeMapFile(m);
    };
    std::vector<uint8_t> cut = EncodeMapFile(base);
    cut.resize(36);
    const struct {
        std::vector<uint8_t> bytes;
        std::string faults, also;  // the faults listed (none: valid), and a line info must show
    } cases[] = {
        {with([](MapFileData& m) { m.header.tileMapOffset = 100; }), "", "tileMapOffset  100"},
        {with([](MapFileData& m) { m.header.lightWord = 0; }), "", "only the ambient light"},
        {with([](MapFileData& m) { m.textureNumbers.assign(300, 1), m.header.textureCount = 300; }), "",
         "  1   number 1      Data/Tex0001.bmp       2 tiles  the picture of entry 0\n  298 entries no tile names, not "
         "loaded by the game: 2, 3,"},
        {EncodeMapFile(TestMap(4, 4, 4, 4, 100, 0)), "",
         "ground 0.00 (the player drops from 150)\n  reset (50, 50)  ground 0.00"},
        {EncodeMapFile(TestMap(1, 1, 1, 1, 100, 30)), "", "  width          1 tile\n  height         1 tile\n"},
        {{}, "map file is shorter than its 32-byte header", "0 bytes, not valid"},
        {with([](MapFileData& m) { m.header.subdivisions = 0, m.header.width = 0; }), "subdivisions is 0\n  width is 0",
         "  width          0 tiles\n"},
        {with([](MapFileData& m) { m.textureNumbers.clear(); }),
         "texture count is 0\n  tile 0 uses texture 0 of a table of 0", ""},
        {cut,
         "map file is truncated in the texture table\n  tile map offset 40 is beyond the end of the file (36 bytes)",
         ""},
    };
    for (const auto& c : cases) {
        dir.Write("case.raw", c.bytes);
        const bool valid = c.faults.empty();
        ToolRun info = Map({"info", "case.raw"});
        EXPECT_EQ(info.status, valid ? 0 : 1) << info.out << info.err;
        EXPECT_TRUE(Has(info.out, c.also) && Has(info.out, "\nfaults\n  " + (valid ? "none" : c.faults) + "\n"))
            << info.out;
        MapFileData read;
        std::string fault;
        EXPECT_EQ(ReadMapFile("case.raw", read, fault), !valid);
        EXPECT_EQ(fault, c.faults.substr(0, c.faults.find('\n')));
    }
}

// Every tool: --help and --version exit 0, a bad option exits 2 with one line.
TEST(MapTool, EveryToolsCommandLine)
{
    CTempDir dir;
    ASSERT_EQ(mkfifo("pipe", 0600), 0);
    const struct {
        std::string tool;
        std::vector<std::string> args;
        int status;
        std::string out, err;  // a part of each
    } cases[] = {
        // clang-format off
        {"terravell-map", {}, 2, "", "terravell-map: missing command (see terravell-map --help)\n"},
        {"terravell-map", {"info"}, 2, "", "terravell-map: info needs a map FILE (see terravell-map info --help)\n"},
        {"terravell-map", {"info", "none.raw"}, 1, "", "cannot read none.raw: No such file or directory\n"},
        // Refused before a byte is read: a named pipe with no writer, an endless device.
        {"terravell-map", {"info", "pipe"}, 1, "", "terravell-map: cannot read pipe: not a regular file\n"},
        {"terravell-map", {"import", "pipe", "-o", "w"}, 1, "", "cannot read pipe: not a regular file\n"},
        {"terravell-map", {"import", "/dev/zero", "-o", "w"}, 1, "", "cannot read /dev/zero: not a regular file\n"},
        {"terravell-map", {"generate", "-o", "w", "--bogus"}, 2, "",
         "terravell-map: unknown option --bogus (see terravell-map generate --help)\n"},
        {"terravell-map", {"import", "x.png", "-o", "w", "--stretch=1"}, 2, "", "--stretch takes no value"},
        {"terravell-map", {"generate", "--help"}, 0,
         "per height step (default " + std::to_string(DEFAULT_MAP_HEIGHT_SCALE) + ")", ""},
        // clang-format on
        {"terravell-map", {"--version"}, 0, std::string("terravell-map ") + GAME_VERSION + "\n", ""},
        {"terravell-bench", {"--frames", "0"}, 2, "", "terravell-bench: "},
        {"terravell-shot", {"--nope"}, 2, "", "terravell-shot: unknown option --nope (see terravell-shot --help)\n"},
        // The game: its text, and a WORLD or --start it cannot use refused with 1 before any window opens.
        {"terravell", {"--help"}, 0, "usage: terravell [--start X,Y] [--detail PIXELS] [--view-distance UNITS] [W", ""},
        {"terravell", {"--version"}, 0, std::string("terravell ") + GAME_VERSION + "\n", ""},
        {"terravell", {"--start", "-7.5,1e3", "none"}, 1, "", "terravell: cannot open world 'none': No such file"},
        {"terravell", {"/proc"}, 1, "", "terravell: '/proc' holds no Data folder"},
        {"terravell", {"tool.out"}, 1, "", "terravell: 'tool.out' is not a folder"},
        {"terravell", {"--start", "5;5"}, 1, "", "terravell: --start wants X,Y in world units, e.g. 2400,3100 (got"},
        {"terravell", {"a", "b"}, 1, "", "terravell: unexpected argument 'b'"},
    };
#ifndef __SANITIZE_ADDRESS__  // its shadow memory cannot live under a ceiling
    ToolRun starved =
        RunTool("terravell-map", {"generate", "--tiles", "512x511", "-o", "starved"}, "prlimit --as=60000000 ");
    EXPECT_TRUE(starved.status == 1 &&
                starved.err == "terravell-map: out of memory while generating a world of 512 x 511 tiles\n")
        << starved.status << starved.err;
    // 57 bytes whose header promises 805 MB of pixels: refused for what it holds, before anything that size is
    // allocated.
    dir.Write("huge.png", PngChunks(16385, 8191, 16, 2, {{"IDAT", {}}, {"IEND", {}}}));
    ToolRun huge = RunTool("terravell-map", {"import", "huge.png", "-o", "starved"}, "prlimit --as=60000000 ");
    EXPECT_EQ(huge.err, "terravell-map: cannot read huge.png: PNG: Not enough image data\n");
    // 268 MB of 16-bit samples deflated into 260 KB: streamed into the grid at the vertex cap within 400 MB, where
    // the whole source in memory took 0.8 GB.
    std::vector<uint8_t> row(1 + 2 * 16385, 0), packed(1 << 16), idat;
    z_stream z{};
    ASSERT_EQ(deflateInit(&z, 9), Z_OK);
    for (int y = 0, flush = Z_NO_FLUSH; flush != Z_FINISH; ++y) {
        flush = y + 1 == 8191 ? Z_FINISH : Z_NO_FLUSH;
        z.next_in = row.data(), z.avail_in = uInt(row.size());
        do {
            z.next_out = packed.data(), z.avail_out = uInt(packed.size());
            deflate(&z, flush);
            idat.insert(idat.end(), packed.data(), z.next_out);
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    dir.Write("bomb.png", PngChunks(16385, 8191, 16, 0, {{"IDAT", idat}, {"IEND", {}}}));
    ToolRun bomb = RunTool("terravell-map", {"import", "bomb.png", "-o", "bomb"}, "prlimit --as=400000000 ");
    EXPECT_TRUE(bomb.status == 0 && Has(bomb.out, "grid: 5790 x 2892 vertices")) << bomb.out << bomb.err;
#endif
    for (const auto& c : cases) {
        ToolRun run = RunTool(c.tool, c.args);
        EXPECT_EQ(run.status, c.status) << c.tool << " " << (c.args.empty() ? "" : c.args.back()) << ": " << run.err;
        EXPECT_TRUE(Has(run.out, c.out)) << c.tool << ": " << run.out;
        EXPECT_TRUE(Has(run.err, c.err)) << c.tool << ": " << run.err;
        EXPECT_LE(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
}
