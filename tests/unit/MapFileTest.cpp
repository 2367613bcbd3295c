#include "tests/support/TempDir.h"
#include "tests/support/TestMaps.h"
#include "world/Map.h"
#include "world/MapFile.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

void PutU32At(std::vector<uint8_t>& bytes, size_t offset, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = uint8_t(v >> (8 * i));
}
void PutU16At(std::vector<uint8_t>& bytes, size_t offset, uint16_t v)
{
    bytes[offset] = uint8_t(v);
    bytes[offset + 1] = uint8_t(v >> 8);
}

// Validates exactly `size` bytes in an allocation of that size, so that any
// read past the end is caught under AddressSanitizer.
std::vector<std::string> ValidateExact(const std::vector<uint8_t>& bytes, size_t size, MapFileData* out = nullptr)
{
    std::unique_ptr<uint8_t[]> copy(new uint8_t[size ? size : 1]);
    if (size)
        memcpy(copy.get(), bytes.data(), size);
    return ValidateMapFile(copy.get(), size, out);
}

// Nothing of a refused map may have been built.
void ExpectNothingBuilt(const CMap& map)
{
    EXPECT_EQ(map.width, 0u);
    EXPECT_EQ(map.columns, 0u);
    EXPECT_EQ(map.vertexCount, 0u);
    EXPECT_TRUE(map.vertices.empty());
    EXPECT_TRUE(map.normals.empty());
    EXPECT_TRUE(map.tileMap.empty());
    EXPECT_TRUE(map.textures.empty());
    EXPECT_EQ(map.terrainList, 0u);
}

} // namespace

TEST(MapFile, HeaderFieldsAndDerivedSizes)
{
    {
        // One tile of one cell: 2 x 2 vertices, the samples right after the 1-byte tile map.
        MapFileData file = TestMap(1, 1, 1, 8, 100);
        file.textureNumbers = {7};
        file.header.textureCount = 1;
        file.tileMap = {0};
        file.heights = {10, 20, 30, 40};
        std::vector<uint8_t> bytes = EncodeMapFile(file);
        ASSERT_EQ(bytes.size(), 32u + 4 + 1 + 4);
        EXPECT_EQ(bytes[37], 10);
        CMap map;
        LoadTestGrid(map, file);
        EXPECT_EQ(map.columns, 2u);
        EXPECT_EQ(map.rows, 2u);
        EXPECT_EQ(map.vertexCount, 4u);
        EXPECT_EQ(map.triangleCount, 2u);
        EXPECT_EQ(map.vertices.size(), 12u);
        EXPECT_EQ(map.vertices[11], 40.0f);  // (1, 1): z unscaled
        EXPECT_EQ(map.vertices[9], 8.0f);    // x = col * cellSize
        EXPECT_EQ(map.vertices[10], 8.0f);   // y = row * cellSize
    }
    {
        MapFileData file = TestMap(3, 2, 4, 16, 50);
        file.header.extraWord = 0xDEADBEEF;
        file.header.spareWord = 0x12345678;
        file.header.lightWord = 0x00010203;
        std::vector<uint8_t> bytes = EncodeMapFile(file);
        EXPECT_EQ(bytes.size(), 32u + 4 * 2 + 6 + 117);
        CMap map;
        LoadTestGrid(map, file);
        EXPECT_EQ(map.columns, 13u);
        EXPECT_EQ(map.rows, 9u);
        EXPECT_EQ(map.vertexCount, 117u);
        EXPECT_EQ(map.triangleCount, 192u);
        EXPECT_EQ(map.tileMap.size(), 6u);
        EXPECT_EQ(map.textures.size(), 2u);
        EXPECT_EQ(map.textureCount, 2u);
        EXPECT_EQ(map.extraWord, 0xDEADBEEFu);
        EXPECT_EQ(map.cellSize, 16.0f);
        EXPECT_FLOAT_EQ(map.heightScale, 0.5f);
        // The light bytes are taken in place, not shifted down.
        EXPECT_NEAR(map.lightDir.x, 257.0039f, 1e-3f);
        EXPECT_NEAR(map.lightDir.y, 2.0078f, 1e-4f);
        EXPECT_NEAR(map.lightDir.z, 0.011765f, 1e-6f);
    }
}

TEST(MapFile, GapBeforeTheTileMapIsSkipped)
{
    MapFileData file = TestMap(2, 1, 1, 4, 100);
    file.header.tileMapOffset = 100;
    file.tileMap = {1, 0};
    std::vector<uint8_t> bytes = EncodeMapFile(file);
    ASSERT_EQ(bytes.size(), 100u + 2 + 6);
    for (size_t i = 40; i < 100; ++i)
        bytes[i] = 0xEE;  // not a valid tile byte: must never be read as one
    for (size_t i = 0; i < 6; ++i)
        bytes[102 + i] = uint8_t(i * 10);
    bytes.push_back(0xEE);  // trailing bytes are ignored too
    MapFileData read;
    std::vector<std::string> faults = ValidateExact(bytes, bytes.size(), &read);
    ASSERT_TRUE(faults.empty()) << faults.front();
    EXPECT_EQ(read.tileMap, (std::vector<uint8_t>{1, 0}));
    EXPECT_EQ(read.heights, (std::vector<uint8_t>{0, 10, 20, 30, 40, 50}));

    // The reader from disk sees the same.
    CTempDir dir;
    dir.Write("Data/gap.raw", bytes);
    MapFileData fromDisk;
    std::string fault;
    ASSERT_FALSE(ReadMapFile("Data/gap.raw", fromDisk, fault)) << fault;
    EXPECT_EQ(fromDisk.tileMap, read.tileMap);
    EXPECT_EQ(fromDisk.heights, read.heights);
    EXPECT_EQ(fromDisk.textureNumbers, (std::vector<uint32_t>{1, 2}));
}

TEST(MapFile, TexturePathsHaveAtLeastFourDigits)
{
    EXPECT_EQ(MapTexturePath(7), "Data/Tex0007.bmp");
    EXPECT_EQ(MapTexturePath(12), "Data/Tex0012.bmp");
    EXPECT_EQ(MapTexturePath(12345), "Data/Tex12345.bmp");
    EXPECT_EQ(MapTexturePath(0), "Data/Tex0000.bmp");
}

TEST(MapFile, HostileFilesAreRefusedBeforeAnythingIsBuilt)
{
    const std::vector<uint8_t> good = EncodeMapFile(TestMap(3, 2, 4, 16, 50));  // 40-byte table, 6 tiles, 117 samples
    const size_t tilesAt = 40, samplesAt = 46;
    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> edit;
        std::string fault;
    } cases[] = {
        {"short header", [](std::vector<uint8_t>& b) { b.resize(31); }, "map file is shorter than its 32-byte header"},
        {"cut table", [](std::vector<uint8_t>& b) { b.resize(38); }, "map file is truncated in the texture table"},
        {"cut tile map", [&](std::vector<uint8_t>& b) { b.resize(tilesAt + 5); }, "map file is truncated in the tile map"},
        {"cut samples", [](std::vector<uint8_t>& b) { b.pop_back(); }, "map file is truncated in the height samples"},
        {"cell size 0", [](std::vector<uint8_t>& b) { PutU16At(b, 20, 0); }, "cell size is 0"},
        {"subdivisions 0", [](std::vector<uint8_t>& b) { PutU16At(b, 16, 0); }, "subdivisions is 0"},
        {"width 0", [](std::vector<uint8_t>& b) { PutU32At(b, 4, 0); }, "width is 0"},
        {"height 0", [](std::vector<uint8_t>& b) { PutU32At(b, 8, 0); }, "height is 0"},
        {"no textures", [](std::vector<uint8_t>& b) { PutU16At(b, 18, 0); }, "texture count is 0"},
        {"tile beyond table", [&](std::vector<uint8_t>& b) { b[tilesAt + 4] = 2; },
         "tile 4 uses texture 2 of a table of 2"},
        {"offset past end", [&](std::vector<uint8_t>& b) { PutU32At(b, 0, uint32_t(b.size() + 1)); },
         "tile map offset 164 is beyond the end of the file (163 bytes)"},
        {"offset at end", [&](std::vector<uint8_t>& b) { PutU32At(b, 0, uint32_t(b.size())); },
         "map file is truncated in the tile map"},
        // Sizes whose products wrap: HostileInputTest.
        {"just over 2^24",
         [](std::vector<uint8_t>& b) {
             PutU32At(b, 4, 4097);
             PutU32At(b, 8, 4096);
             PutU16At(b, 16, 1);
         },
         "map is too large: 4098 x 4097 vertices (at most 16777216 in all)"},
    };
    ASSERT_EQ(good.size(), samplesAt + 117);
    CTempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> bytes = good;
        c.edit(bytes);
        std::vector<std::string> faults = ValidateExact(bytes, bytes.size());
        ASSERT_FALSE(faults.empty());
        EXPECT_EQ(faults.front(), c.fault);
        EXPECT_LT(faults.front().size(), 120u);  // SDL 1.2 cuts longer texts

        dir.Write("Data/map1.raw", bytes);
        CMap map;
        bool failed = true;
        std::string err = CaptureStderrOf([&] { failed = map.Load("Data/map1.raw"); });
        EXPECT_TRUE(failed);
        EXPECT_EQ(err, "Unable to load Data/map1.raw: " + c.fault + "\n");
        EXPECT_EQ(SDL_GetError(), c.fault);
        ExpectNothingBuilt(map);
    }

    CMap map;
    bool failed = false;
    std::string err = CaptureStderrOf([&] { failed = map.Load("Data/none.raw"); });
    EXPECT_TRUE(failed);
    EXPECT_EQ(err, "Unable to load Data/none.raw: cannot open the map file: No such file or directory\n");
    ExpectNothingBuilt(map);
}

TEST(MapFile, EveryTruncationIsRefused)
{
    MapFileData file = TestMap(3, 2, 4, 16, 50);
    file.header.tileMapOffset = 60;  // with a gap, so cuts fall in every part
    std::vector<uint8_t> bytes = EncodeMapFile(file);
    ASSERT_TRUE(ValidateExact(bytes, bytes.size()).empty());
    CTempDir dir;
    for (size_t size = 0; size < bytes.size(); ++size) {
        EXPECT_FALSE(ValidateExact(bytes, size).empty()) << size << " bytes";
        dir.Write("Data/cut.raw", std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(size)));
        MapFileData out;
        std::string fault;
        EXPECT_TRUE(ReadMapFile("Data/cut.raw", out, fault)) << size << " bytes";
        EXPECT_FALSE(fault.empty());
    }
}
