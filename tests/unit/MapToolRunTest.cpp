// The terravell-map binary run as a user would: what it writes must be
// what the game reads, and its verdict on a map must be the game's.
#include "gfx/Bitmap.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestMaps.h"
#include "tools/assets/TerrainGenerator.h"
#include "tools/map/SunDirection.h"
#include "world/Map.h"
#include "world/MapFile.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::string text = ReadText(path);
    return std::vector<uint8_t>(text.begin(), text.end());
}

// Runs the tool in the current directory (a CTempDir).
ToolRun Tool(const std::vector<std::string>& args)
{
    std::string command = "'" TERRAVELL_MAP_TOOL "'";
    for (const std::string& a : args)
        command += " '" + a + "'";
    command += " >tool.out 2>tool.err";
    ToolRun run;
    int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = ReadText("tool.out");
    run.err = ReadText("tool.err");
    return run;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The faults section of an info report, one fault a line.
std::vector<std::string> ListedFaults(const std::string& report)
{
    std::vector<std::string> faults;
    size_t at = report.find("\nfaults\n");
    if (at == std::string::npos)
        return faults;
    std::string rest = report.substr(at + 8);
    for (size_t start = 0, end; (end = rest.find('\n', start)) != std::string::npos; start = end + 1)
        faults.push_back(rest.substr(start + 2, end - start - 2));
    if (faults == std::vector<std::string>{"none"})
        faults.clear();
    return faults;
}

void WriteGrayPng(const std::string& path, int w, int h, const std::vector<uint16_t>& samples)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = uint32_t(w);
    image.height = uint32_t(h);
    image.format = PNG_FORMAT_LINEAR_Y;
    ASSERT_TRUE(png_image_write_to_file(&image, path.c_str(), 0, samples.data(), 0, nullptr));
}

void WritePgm(const std::string& path, int w, int h, int maxValue, const std::vector<uint32_t>& samples)
{
    std::string bytes = "P5\n" + std::to_string(w) + " " + std::to_string(h) + "\n" + std::to_string(maxValue) + "\n";
    for (uint32_t s : samples) {
        if (maxValue > 255)
            bytes += char(s >> 8);
        bytes += char(s & 0xFF);
    }
    std::string error;
    ASSERT_FALSE(WriteFileBytes(path, std::vector<uint8_t>(bytes.begin(), bytes.end()), error)) << error;
}

MapFileData ReadBack(const std::string& path)
{
    MapFileData map;
    std::string fault;
    EXPECT_FALSE(ReadMapFile(path.c_str(), map, fault)) << fault;
    return map;
}

// The expected height of a vertex whose picture value is `v` (0..1).
void ExpectHeight(uint8_t got, double v, const std::string& where)
{
    EXPECT_LE(std::fabs(double(got) - (255.0 * v)), 0.5 + 1e-3) << where << ": " << int(got);
}

} // namespace

TEST(MapToolRun, GeneratedWorldIsWhatTheGameReads)
{
    CTempDir dir;
    ToolRun run = Tool({"generate", "--seed", "11", "--tiles", "5x3", "--subdivisions", "4", "--cell-size", "3",
                        "--height-scale", "50", "--sun-elevation", "20", "-o", "world",
                        "--with-assets=" TERRAVELL_DATA_DIR});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(Has(run.out, "5 x 3 tiles of 4 x 4 cells, 21 x 13 vertices")) << run.out;

    // Exactly the generator's map, read back by the game's reader.
    TerrainParams params;
    params.seed = 11;
    params.tilesAcross = 5;
    params.tilesDown = 3;
    params.subdivisions = 4;
    params.cellSize = 3;
    params.heightScale = 50;
    MapFileData file = ReadBack("world/map1.raw");
    MapFileData made = GenerateTerrain(params);
    EXPECT_EQ(file.heights, made.heights);
    EXPECT_EQ(file.tileMap, made.tileMap);
    EXPECT_EQ(file.textureNumbers, made.textureNumbers);
    EXPECT_NEAR(SunAnglesOfWord(file.header.lightWord).elevation, 20.0, 0.2);

    // Every texture the map names loads in the game's loader; the other
    // assets are the build's, byte for byte.
    for (uint32_t number : file.textureNumbers) {
        std::string path = "world/" + fs::path(MapTexturePath(number)).filename().string();
        SDL_Surface* image = LoadBitmap(path.c_str());
        ASSERT_NE(image, nullptr) << path;
        SDL_FreeSurface(image);
    }
    for (const char* name : {"Font.bmp", "Hud00t.bmp", "Hud00m.bmp", "cliffTop.bmp", "cliffLeft.bmp"})
        EXPECT_EQ(ReadBytes(std::string("world/") + name), ReadBytes(std::string(TERRAVELL_DATA_DIR "/") + name))
            << name;

    // info reads back what was written.
    ToolRun info = Tool({"info", "world/map1.raw"});
    EXPECT_EQ(info.status, 0) << info.out;
    auto [lo, hi] = std::minmax_element(file.heights.begin(), file.heights.end());
    char lightLine[64], rawLine[64];
    snprintf(lightLine, sizeof lightLine, "lightWord      0x%08X\n", file.header.lightWord);
    snprintf(rawLine, sizeof rawLine, "raw            %u .. %u\n", unsigned(*lo), unsigned(*hi));
    for (const char* part : {"width          5 tiles\n", "height         3 tiles\n", "subdivisions   4 cells",
                             "cellSize       3 world units\n", "heightScale    50 (0.50 world units",
                             "columns        21\n", "rows           13\n", "vertexCount    273\n",
                             "triangleCount  480\n", "Data/Tex0001.bmp", "elevation      20.", "\nfaults\n  none\n"})
        EXPECT_TRUE(Has(info.out, part)) << part << "\n" << info.out;
    EXPECT_TRUE(Has(info.out, lightLine)) << info.out;
    EXPECT_TRUE(Has(info.out, rawLine)) << info.out;
    EXPECT_FALSE(Has(info.out, "missing"));

    // The seed reaches the generator: another one gives another landscape.
    params.seed = 12;
    EXPECT_NE(GenerateTerrain(params).heights, file.heights);
}

TEST(MapToolRun, ImportedRampsKeepTheirHeightsAndOrientation)
{
    CTempDir dir;
    // A 16-bit ramp across, 129 x 65 pixels onto 129 x 65 vertices: no resampling.
    std::vector<uint16_t> ramp;
    for (int y = 0; y < 65; ++y)
        for (int x = 0; x < 129; ++x)
            ramp.push_back(uint16_t(x * 500));
    WriteGrayPng("ramp.png", 129, 65, ramp);
    ToolRun run = Tool({"import", "ramp.png", "-o", "png", "--tiles", "16x8"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "129x65, 16-bit grayscale PNG")) << run.out;
    MapFileData png = ReadBack("png/map1.raw");
    ASSERT_EQ(png.Columns(), 129u);
    ASSERT_EQ(png.Rows(), 65u);
    for (uint32_t r : {0u, 31u, 64u})
        for (uint32_t c = 0; c < 129; ++c)
            ExpectHeight(png.heights[r * 129 + c], c * 500 / 65535.0, "png " + std::to_string(c));
    // Sixteen bits survive: neighbouring columns 500/65535 apart still differ.
    EXPECT_LT(png.heights[0], png.heights[128]);

    // An 8-bit PGM bright at the top: the picture's top row is the map's row 0.
    std::vector<uint32_t> falling;
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 5; ++x)
            falling.push_back(uint32_t(255 - 31 * y));
    WritePgm("falling.pgm", 5, 9, 255, falling);
    ASSERT_EQ(Tool({"import", "falling.pgm", "-o", "pgm", "--tiles", "2x2", "--subdivisions", "2"}).status, 0);
    MapFileData pgm = ReadBack("pgm/map1.raw");
    ASSERT_EQ(pgm.heights.size(), 25u);
    for (uint32_t r = 0; r < 5; ++r)  // grid row r samples picture row 2r
        ExpectHeight(pgm.heights[r * 5 + 3], (255 - 62.0 * r) / 255.0, "pgm row " + std::to_string(r));

    // An odd 16-bit PGM: 16 tiles along the longer side, the other side in
    // proportion (22/36 of 16 is 9.8: 10 tiles), and a ramp stays a ramp.
    std::vector<uint32_t> odd;
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x)
            odd.push_back(uint32_t(x * 1800));
    WritePgm("odd.pgm", 37, 23, 65535, odd);
    ASSERT_EQ(Tool({"import", "odd.pgm", "-o", "odd"}).status, 0);
    MapFileData oddMap = ReadBack("odd/map1.raw");
    EXPECT_EQ(oddMap.header.width, 16u);
    EXPECT_EQ(oddMap.header.height, 10u);
    for (uint32_t c = 0; c < 129; ++c)
        ExpectHeight(oddMap.heights[80 * 129 + c], c * 36.0 / 128.0 * 1800.0 / 65535.0, "odd " + std::to_string(c));

    // --stretch spreads the picture's own range over 0..255.
    ASSERT_EQ(Tool({"import", "odd.pgm", "-o", "stretched", "--stretch"}).status, 0);
    MapFileData stretched = ReadBack("stretched/map1.raw");
    EXPECT_EQ(stretched.heights.front(), 0);
    EXPECT_EQ(stretched.heights[128], 255);
}

// The game's loader and info judge a table of files alike: info exits 1
// exactly where CMap::Load refuses, and lists every fault of the
// validation, the first of which is the one the game prints.
TEST(MapToolRun, InfoAndTheGameAgreeOnHostileFiles)
{
    CTempDir dir;
    const MapFileData base = TestMap(2, 2, 2, 4, 100, 30);
    auto with = [&](void (*change)(MapFileData&)) {
        MapFileData m = base;
        change(m);
        return EncodeMapFile(m);
    };
    std::vector<uint8_t> cutInTable = EncodeMapFile(base);
    cutInTable.resize(36);

    // Each fault alone, with the game's line, is MapFileTest's; here the
    // cases info adds a note to or lists several faults for.
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        std::vector<const char*> faults;  // empty: valid
        const char* also;                  // another line info must show
    } cases[] = {
        {"valid", EncodeMapFile(base), {}, "faults\n  none"},
        {"gap before the tile map", with([](MapFileData& m) { m.header.tileMapOffset = 100; }), {},
         "tileMapOffset  100"},
        {"light word 0", with([](MapFileData& m) { m.header.lightWord = 0; }), {}, "only the ambient light"},
        {"ground at height 0", with([](MapFileData& m) { m.heights[7] = 0; }), {}, "raw            0 .. "},
        {"empty", {}, {"map file is shorter than its 32-byte header"}, ""},
        {"no subdivisions, no width", with([](MapFileData& m) { m.header.subdivisions = 0, m.header.width = 0; }),
         {"subdivisions is 0", "width is 0"}, "  width          0 tiles\n"},  // a broken file's header is shown
        {"no textures", with([](MapFileData& m) { m.textureNumbers.clear(); }),
         {"texture count is 0", "tile 0 uses texture 0 of a table of 0"}, ""},
        {"cut in the texture table", cutInTable,
         {"map file is truncated in the texture table", "tile map offset 40 is beyond the end of the file (36 bytes)"},
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::ofstream("case.raw", std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(c.bytes.data()), std::streamsize(c.bytes.size()));
        const bool valid = c.faults.empty();
        ToolRun info = Tool({"info", "case.raw"});
        EXPECT_EQ(info.status, valid ? 0 : 1) << info.out << info.err;
        EXPECT_EQ(info.err, "");
        EXPECT_TRUE(Has(info.out, valid ? "bytes, valid\n" : "bytes, not valid\n")) << info.out;
        EXPECT_TRUE(Has(info.out, c.also)) << info.out;
        std::vector<std::string> listed = ListedFaults(info.out);
        ASSERT_EQ(listed.size(), c.faults.size()) << info.out;
        for (size_t i = 0; i < listed.size(); ++i)
            EXPECT_EQ(listed[i], c.faults[i]);

        MapFileData read;
        std::string fault;
        EXPECT_EQ(!ReadMapFile("case.raw", read, fault), valid) << fault;
        if (!valid) {
            CMap map;
            bool refused = false;
            std::string lines = CaptureStderrOf([&] { refused = map.Load("case.raw"); });
            EXPECT_TRUE(refused);
            EXPECT_EQ(lines, "Unable to load case.raw: " + listed.front() + "\n");
        }
    }
}

TEST(MapToolRun, UsageErrorsAreOneLineWithStatusTwo)
{
    CTempDir dir;
    dir.Write("notes.txt", {'h', 'i', '\n'});
    const struct {
        std::vector<std::string> args;
        int status;
        const char* err;
    } cases[] = {
        {{}, 2, "terravell-map: missing command (see terravell-map --help)\n"},
        {{"paint"}, 2, "terravell-map: unknown command 'paint' (see terravell-map --help)\n"},
        {{"info"}, 2, "terravell-map: info needs a map FILE (see terravell-map info --help)\n"},
        {{"info", "a", "b"}, 2, "terravell-map: info takes one map FILE (see terravell-map info --help)\n"},
        {{"generate", "--tiles", "x", "-o", "w"}, 2,
         "terravell-map: --tiles wants WIDTHxHEIGHT in tiles, e.g. 16x16 (got 'x') (see terravell-map generate "
         "--help)\n"},
        {{"import", "-o", "w"}, 2, "terravell-map: import needs a HEIGHTMAP file (see terravell-map import --help)\n"},
        {{"info", "nothing.raw"}, 1, "terravell-map: cannot read nothing.raw: No such file or directory\n"},
        {{"info", "."}, 1, "terravell-map: cannot read .: not a regular file\n"},
        {{"import", "nothing.png", "-o", "w"}, 1,
         "terravell-map: cannot read nothing.png: No such file or directory\n"},
        {{"import", "notes.txt", "-o", "w"}, 1, "terravell-map: cannot read notes.txt: not a PNG, binary PGM or BMP file\n"},
        {{"generate", "--tiles", "1", "-o", "/proc/terravell"}, 1, "terravell-map: cannot create /proc/terravell"},
        {{"generate", "--tiles", "1", "-o", "w", "--with-assets=/nonexistent"}, 1,
         "terravell-map: cannot copy /nonexistent/Font.bmp: No such file or directory (give the asset folder"},
    };
    for (const auto& c : cases) {
        std::string shown;
        for (const std::string& a : c.args)
            shown += a + " ";
        SCOPED_TRACE(shown);
        ToolRun run = Tool(c.args);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.err.rfind(c.err, 0), 0u) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        if (c.status == 2) {
            EXPECT_EQ(run.out, "");
        }
    }
    for (const char* command : {"--help", "info", "generate", "import"}) {
        ToolRun help = std::string(command) == "--help" ? Tool({"--help"}) : Tool({command, "--help"});
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_EQ(help.out.rfind("usage: terravell-map", 0), 0u) << help.out;
        EXPECT_EQ(help.err, "");
    }
}
