// Guards terravell-map and the other tools' command lines: light words the game cannot decode or nearest to the sun asked for, option parsing and refusals, heightmap decoding (formats, byte order, hostile pictures), resampling and height quantising, what generate and import write against what the game reads, info's verdict and report against the game's, overwriting without --force, and --help, --version and usage errors of every tool.
#include "game/GameFacts.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestMaps.h"
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
#include <filesystem>
#include <map>
#include <cstdlib>
#include <tuple>
#include <sys/wait.h>

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
    std::string head = "P5\n# a comment\n" + std::to_string(w) + " " + std::to_string(h) + "\n" + std::to_string(maxValue) + "\n";
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

// Decodes; the error text, empty on success.
std::string Decode(const std::vector<uint8_t>& bytes, Heightmap& map)
{
    std::string error;
    bool failed = DecodeHeightmap(bytes.data(), bytes.size(), map, error);
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

} // namespace

TEST(MapTool, OptionsParseTheDocumentedFormsAndRefuseTheRest)
{
    WorldOptions o;
    std::string error;
    for (int again = 0; again < 2; ++again) {  // getopt's state starts afresh
        ASSERT_FALSE(ParseWorldOptions(Command::Generate, {"--tiles=5x3", "--roughness", "0.25", "-o", "out", "--with-assets=/x"}, o, error)) << error;
        EXPECT_TRUE(o.params.tilesAcross == 5 && o.params.tilesDown == 3 && o.params.roughness == 0.25f);
        EXPECT_TRUE(o.withAssets && o.assetDir == "/x" && o.params.lightWord == DEFAULT_MAP_LIGHT_WORD);
    }
    // One sun angle given: the other is the default world's; azimuth wraps.
    ASSERT_FALSE(ParseWorldOptions(Command::Generate, {"--sun-azimuth", "-270", "--sun-elevation", "10", "-o", "d"}, o, error));
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
        {{"-o", "d", "--tiles", "4294967295x1", "--subdivisions", "65535"}, "a grid of 281470681677826 x 65536 vertices"},
    };
    for (const auto& [args, want] : refused) {
        EXPECT_TRUE(ParseWorldOptions(Command::Generate, args, o, error)) << want;
        EXPECT_EQ(error.rfind(want, 0), 0u) << "got: " << error;
    }
    EXPECT_FALSE(ParseWorldOptions(Command::Generate, {"-o", "d", "--tiles", "4095x4095", "--subdivisions", "1"}, o, error));
    EXPECT_TRUE(ParseWorldOptions(Command::Import, {"a.png", "-o", "d", "--seed", "3"}, o, error));
    EXPECT_TRUE(ParseWorldOptions(Command::Import, {"-o", "d"}, o, error));
    EXPECT_EQ(error, "import needs a HEIGHTMAP file");
}

// The light-word search passes over rows that cannot win: it must still
// pick the word, ties included, that trying all 2^24 would.
TEST(SunDirection, PrunedSearchFindsTheWordOfTheFullSearch)
{
    for (auto [elevation, azimuth] : {std::pair{0.0, 0.0}, {0.0, 90.0}, {10.0, 90.0}, {44.9, 90.0}, {45.0, 90.0},
                                      {90.0, 0.0}, {30.0, 45.0}, {5.0, 200.0}, {60.0, 300.0}, {1.0, 1.0}}) {
        const double e = elevation * M_PI / 180, a = azimuth * M_PI / 180, want[3] = {std::cos(e) * std::cos(a), std::cos(e) * std::sin(a), std::sin(e)};
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
    const std::pair<std::vector<uint8_t>, std::vector<uint16_t>> read[] = {
        {Pgm(3, 2, 255, {0, 10, 20, 30, 40, 255}), {0, 10, 20, 30, 40, 255}},
        {Pgm(2, 2, 1023, {0, 512, 1023, 2000}), {0, 512, 1023, 1023}},  // two bytes, big-endian; above white is white
        {Png(3, 1, false, {7, 128, 255}), {7, 128, 255}},
        {Png(2, 1, true, {300, 65535}), {300, 65535}},
    };
    for (const auto& [file, samples] : read) {
        ASSERT_EQ(Decode(file, m), "");
        EXPECT_EQ(m.samples, samples);
    }
    EXPECT_DOUBLE_EQ(m.At(0, 0), 300.0 / 65535.0);
    Image picture(2, 1);
    picture.Set(0, 0, 200, 100, 50);
    picture.Set(1, 0, 90, 90, 90);
    ASSERT_EQ(Decode(EncodeBmp(picture), m), "");  // colour by luminance
    EXPECT_NEAR(m.At(0, 0), (0.299 * 200 + 0.587 * 100 + 0.114 * 50) / 255.0, 1e-4);
    EXPECT_DOUBLE_EQ(m.At(1, 0), 90.0 / 255.0);
    // A palette with a transparency chunk: the palette's colours, by luminance.
    std::vector<uint8_t> row = {0, 0, 1}, packed(64);
    uLongf packedSize = packed.size();
    ASSERT_EQ(compress(packed.data(), &packedSize, row.data(), row.size()), Z_OK);
    packed.resize(packedSize);
    ASSERT_EQ(Decode(PngChunks(2, 1, 8, 3, {{"PLTE", {200, 100, 50, 90, 90, 90}}, {"tRNS", {0}}, {"IDAT", packed}, {"IEND", {}}}), m), "");
    EXPECT_NEAR(m.At(0, 0), (0.299 * 200 + 0.587 * 100 + 0.114 * 50) / 255.0, 1e-4);

    auto bytes = [](const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); };
    std::vector<uint8_t> pgm = Pgm(4, 4, 255, std::vector<uint32_t>(16, 9)), png = Png(16, 16, true, std::vector<uint16_t>(256, 300));
    std::vector<uint8_t> bmp = EncodeBmp(SolidImage(2, 2, 1, 2, 3)), wide = PngChunks(65536, 1, 8, 0, {{"IDAT", packed}});
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
        {PngChunks(0, 5, 8, 0, {}), "PNG: Invalid IHDR data (Image width is zero in IHDR)"},  // libpng's own reason kept
    };
    for (const auto& [file, want] : refused)
        EXPECT_EQ(Decode(file, m).rfind(want, 0), 0u) << want;
    for (size_t keep : {size_t(8), size_t(20), size_t(40), png.size() / 2, png.size() - 13})
        EXPECT_EQ(Decode(std::vector<uint8_t>(png.begin(), png.begin() + long(keep)), m).rfind("PNG: ", 0), 0u) << keep;
}

// An SRTM tile: big-endian metres, the northern row first, voids filled from their neighbours, the corner from its name.
TEST(MapTool, SrtmTilesAreReadNorthFirstWithVoidsFilled)
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
    dir.Write("N36W085.hgt", tile);
    Heightmap m;
    std::string error;
    ASSERT_FALSE(ReadHeightmap("N36W085.hgt", m, error)) << error;
    EXPECT_EQ(m.format, "SRTM tile, 3 arc-seconds, heights -299 .. 3300 m, 32 voids filled, south-west corner 36, -85");
    const int low = -299;  // (1, 0); the void at (0, 0) takes the mean of -299 and -298, rounded up
    EXPECT_TRUE(m.width == side && m.height == side && m.maxValue == uint32_t(3300 - low));
    auto at = [&](int x, int y) { return int(m.samples[size_t(y) * side + x]) + low; };
    EXPECT_EQ(at(0, 0), -298);
    EXPECT_EQ(at(5, 5), metres(5, 5));                            // a lone void: the mean of a plane is the plane
    EXPECT_EQ(at(1200, 0), metres(1200, 0));                      // the first row is the north edge
    EXPECT_EQ(at(0, 1200), metres(0, 1200));
    for (int x = 100; x < 110; ++x)
        EXPECT_NEAR(at(x, 51), metres(x, 51), 1) << x;            // a wider hole closes from its rim

    // 3 arc-seconds at 36.5 degrees north: 89,592 and 110,968 m a degree. The relief of 3,599 m makes steps of
    // 14.17 m, 0.1898 of the 74.66 m cells: 152 hundredths at cell size 8.
    ToolRun run = Map({"import", "N36W085.hgt", "-o", "srtm"});
    EXPECT_TRUE(Has(run.out, "spacing: 74.66 m across, 92.47 m down (3 arc-seconds at latitude 36.50)")) << run.out;
    MapFileData imported = ReadBack("srtm/map1.raw");
    EXPECT_EQ(imported.Columns(), 1201u);
    EXPECT_EQ(imported.header.cellSize, 8u);
    EXPECT_EQ(imported.header.heightScale, 152u);
}

TEST(MapTool, GenerateAndImportWriteWhatTheGameReadsAndReplaceNothingUnasked)
{
    CTempDir dir;
    ToolRun run = Map({"generate", "--seed", "11", "--tiles", "5x3", "--subdivisions", "4", "--cell-size", "3",
                       "--height-scale", "50", "--sun-elevation", "20", "-o", "world", "--with-assets=" TERRAVELL_DATA_DIR});
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
    ASSERT_EQ(Map({"generate", "--seed", "12", "--tiles", "5x3", "--subdivisions", "4", "-o", "world", "--force"}).status, 0);
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
        EXPECT_TRUE(run.err.rfind("terravell-map: cannot write w/", 0) == 0 && Has(run.err, ": File too large\n")) << run.err;
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
         "  1   number 1      Data/Tex0001.bmp       2 tiles  the picture of entry 0\n  298 entries no tile names, not loaded by the game: 2, 3,"},
        {EncodeMapFile(TestMap(4, 4, 4, 4, 100, 0)), "", "ground 0.00 (the player drops from 150)\n  reset (50, 50)  ground 0.00"},
        {EncodeMapFile(TestMap(1, 1, 1, 1, 100, 30)), "", "  width          1 tile\n  height         1 tile\n"},
        {{}, "map file is shorter than its 32-byte header", "0 bytes, not valid"},
        {with([](MapFileData& m) { m.header.subdivisions = 0, m.header.width = 0; }), "subdivisions is 0\n  width is 0",
         "  width          0 tiles\n"},
        {with([](MapFileData& m) { m.textureNumbers.clear(); }), "texture count is 0\n  tile 0 uses texture 0 of a table of 0", ""},
        {cut, "map file is truncated in the texture table\n  tile map offset 40 is beyond the end of the file (36 bytes)", ""},
    };
    for (const auto& c : cases) {
        dir.Write("case.raw", c.bytes);
        const bool valid = c.faults.empty();
        ToolRun info = Map({"info", "case.raw"});
        EXPECT_EQ(info.status, valid ? 0 : 1) << info.out << info.err;
        EXPECT_TRUE(Has(info.out, c.also) && Has(info.out, "\nfaults\n  " + (valid ? "none" : c.faults) + "\n")) << info.out;
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
        {"terravell-map", {}, 2, "", "terravell-map: missing command (see terravell-map --help)\n"},
        {"terravell-map", {"info"}, 2, "", "terravell-map: info needs a map FILE (see terravell-map info --help)\n"},
        {"terravell-map", {"info", "none.raw"}, 1, "", "terravell-map: cannot read none.raw: No such file or directory\n"},
        // Refused before a byte is read: a named pipe with no writer, an endless device.
        {"terravell-map", {"info", "pipe"}, 1, "", "terravell-map: cannot read pipe: not a regular file\n"},
        {"terravell-map", {"import", "pipe", "-o", "w"}, 1, "", "terravell-map: cannot read pipe: not a regular file\n"},
        {"terravell-map", {"import", "/dev/zero", "-o", "w"}, 1, "", "terravell-map: cannot read /dev/zero: not a regular file\n"},
        {"terravell-map", {"generate", "-o", "w", "--bogus"}, 2, "", "terravell-map: unknown option --bogus (see terravell-map generate --help)\n"},
        {"terravell-map", {"import", "x.png", "-o", "w", "--stretch=1"}, 2, "", "--stretch takes no value"},
        {"terravell-map", {"generate", "--help"}, 0, "per height step (default " + std::to_string(DEFAULT_MAP_HEIGHT_SCALE) + ")", ""},
        {"terravell-map", {"--version"}, 0, std::string("terravell-map ") + GAME_VERSION + "\n", ""},
        {"terravell-bench", {"--frames", "0"}, 2, "", "terravell-bench: "},
        {"terravell-shot", {"--nope"}, 2, "", "terravell-shot: unknown option --nope (see terravell-shot --help)\n"},
    };
#ifndef __SANITIZE_ADDRESS__  // its shadow memory cannot live under a ceiling
    ToolRun starved = RunTool("terravell-map", {"generate", "--tiles", "512x511", "-o", "starved"}, "prlimit --as=60000000 ");
    EXPECT_TRUE(starved.status == 1 && starved.err == "terravell-map: out of memory while generating a world of 512 x 511 tiles\n") << starved.status << starved.err;
    // 57 bytes whose header promises 805 MB of pixels: refused for what it holds, before anything that size is allocated.
    dir.Write("huge.png", PngChunks(16385, 8191, 16, 2, {{"IDAT", {}}, {"IEND", {}}}));
    ToolRun huge = RunTool("terravell-map", {"import", "huge.png", "-o", "starved"}, "prlimit --as=60000000 ");
    EXPECT_EQ(huge.err, "terravell-map: cannot read huge.png: PNG: Not enough image data\n");
#endif
    for (const auto& c : cases) {
        ToolRun run = RunTool(c.tool, c.args);
        EXPECT_EQ(run.status, c.status) << c.tool << " " << (c.args.empty() ? "" : c.args.back()) << ": " << run.err;
        EXPECT_TRUE(Has(run.out, c.out)) << c.tool << ": " << run.out;
        EXPECT_TRUE(Has(run.err, c.err)) << c.tool << ": " << run.err;
        EXPECT_LE(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
}
