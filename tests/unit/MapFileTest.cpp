// Guards the map file: header fields and derived sizes, light bytes in place, the gap before the tile map, texture
// paths, every hostile file (each fault, truncation in each part, wrapping sizes) refused before anything is built.
#include "tests/support/TempDir.h"
#include "tests/support/TestMaps.h"
#include "world/Map.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <tuple>

namespace {

// Validates exactly `size` bytes in an allocation of that size, so that any
// read past the end is caught under AddressSanitizer.
std::vector<std::string> ValidateExact(const std::vector<uint8_t>& bytes, size_t size, MapFileData* out = nullptr)
{
    std::unique_ptr<uint8_t[]> copy(new uint8_t[size + 1]);
    std::copy(bytes.begin(), bytes.begin() + long(size), copy.get());
    return ValidateMapFile(copy.get(), size, out);
}

}  // namespace

TEST(MapFile, HeaderFieldsAndDerivedSizes)
{
    MapFileData one = TestMap(1, 1, 1, 8, 100);
    one.textureNumbers = {7};
    one.tileMap = {0};
    one.heights = {10, 20, 30, 40};
    std::vector<uint8_t> bytes = EncodeMapFile(one);
    ASSERT_EQ(bytes.size(), 32u + 4 + 1 + 4);  // the samples right after the 1-byte tile map
    EXPECT_EQ(bytes[37], 10);
    CMap map;
    LoadTestGrid(map, one);
    EXPECT_TRUE(map.vertexCount == 4 && map.triangleCount == 2);
    EXPECT_EQ(std::vector<float>(map.vertices.begin(), map.vertices.end()),
              (std::vector<float>{0, 0, 10, 8, 0, 20, 0, 8, 30, 8, 8, 40}));  // z unscaled

    MapFileData file = TestMap(3, 2, 4, 16, 50);
    file.header.extraWord = 0xDEADBEEF;
    file.header.lightWord = 0x00010203;
    EXPECT_EQ(EncodeMapFile(file).size(), 32u + 4 * 2 + 6 + 117);
    LoadTestGrid(map, file);
    EXPECT_EQ((std::vector<uint64_t>{map.columns, map.rows, map.vertexCount, map.triangleCount, map.tileMap.size(),
                                     map.textureCount, map.extraWord}),
              (std::vector<uint64_t>{13, 9, 117, 192, 6, 2, 0xDEADBEEF}));
    EXPECT_EQ(map.cellSize, 16.0f);
    EXPECT_FLOAT_EQ(map.heightScale, 0.5f);
    ExpectNear(map.lightDir, Vec3(257.0039f, 2.0078f, 0.011765f), 1e-3f);  // the bytes taken in place, not shifted down

    for (auto [number, path] :
         {std::pair{7u, "Data/Tex0007.bmp"}, {0u, "Data/Tex0000.bmp"}, {12345u, "Data/Tex12345.bmp"}})
        EXPECT_EQ(MapTexturePath(number), path);
}

TEST(MapFile, GapBeforeTheTileMapAndTrailingBytesAreSkipped)
{
    MapFileData file = TestMap(2, 1, 1, 4, 100);
    file.header.tileMapOffset = 100;
    file.tileMap = {1, 0};
    file.heights = {0, 10, 20, 30, 40, 50};
    std::vector<uint8_t> bytes = EncodeMapFile(file);
    ASSERT_EQ(bytes.size(), 100u + 2 + 6);
    std::fill(bytes.begin() + 40, bytes.begin() + 100, 0xEE);  // not a valid tile byte: never read as one
    bytes.push_back(0xEE);
    CTempDir dir;
    dir.Write("Data/gap.raw", bytes);
    MapFileData read;
    std::string fault;
    ASSERT_FALSE(ReadMapFile("Data/gap.raw", read, fault)) << fault;
    EXPECT_EQ(read.tileMap, file.tileMap);
    EXPECT_EQ(read.heights, file.heights);
    EXPECT_EQ(read.textureNumbers, (std::vector<uint32_t>{1, 2}));
}

TEST(MapFile, HostileFilesAreRefusedBeforeAnythingIsBuilt)
{
    const std::vector<uint8_t> good = EncodeMapFile(TestMap(3, 2, 4, 16, 50));  // 40-byte table, 6 tiles, 117 samples
    using Edit = std::function<void(std::vector<uint8_t>&)>;
    const std::pair<Edit, std::string> cases[] = {
        {[](auto& b) { b.resize(31); }, "map file is shorter than its 32-byte header"},
        {[](auto& b) { b.resize(38); }, "map file is truncated in the texture table"},
        {[](auto& b) { b.resize(45); }, "map file is truncated in the tile map"},
        {[](auto& b) { b.pop_back(); }, "map file is truncated in the height samples"},
        {[](auto& b) { b = WithLE(b, 20, 0, 2); }, "cell size is 0"},
        {[](auto& b) { b = WithLE(b, 16, 0, 2); }, "subdivisions is 0"},
        {[](auto& b) { b = WithLE(b, 4, 0); }, "width is 0"},
        {[](auto& b) { b = WithLE(b, 8, 0); }, "height is 0"},
        {[](auto& b) { b = WithLE(b, 18, 0, 2); }, "texture count is 0"},
        {[](auto& b) { b[44] = 2; }, "tile 4 uses texture 2 of a table of 2"},
        {[](auto& b) { b = WithLE(b, 0, uint32_t(b.size() + 1)); },
         "tile map offset 164 is beyond the end of the file (163 bytes)"},
        {[](auto& b) { b = WithLE(b, 0, uint32_t(b.size())); }, "map file is truncated in the tile map"},
        {[](auto& b) { b = WithLE(b, 4, 4097), b = WithLE(b, 8, 4096), b = WithLE(b, 16, 1, 2); },
         "map is too large: 4098 x 4097 vertices (at most 16777216 in all)"},
    };
    CTempDir dir;
    for (const auto& [edit, fault] : cases) {
        SCOPED_TRACE(fault);
        std::vector<uint8_t> bytes = good;
        edit(bytes);
        std::vector<std::string> faults = ValidateExact(bytes, bytes.size());
        ASSERT_FALSE(faults.empty());
        EXPECT_EQ(faults.front(), fault);
        EXPECT_LT(fault.size(), 120u);  // SDL 1.2 cuts longer texts

        dir.Write("Data/map1.raw", bytes);
        CMap map;
        std::string err = CaptureStderrOf([&] { EXPECT_TRUE(map.Load("Data/map1.raw")); });
        EXPECT_EQ(err, "Unable to load Data/map1.raw: " + fault + "\n");
        EXPECT_EQ(SDL_GetError(), fault);
        EXPECT_TRUE(map.vertexCount == 0 && map.vertices.empty() && map.tileMap.empty() && map.textures.empty())
            << "something was built";
    }
    CMap map;
    std::string err = CaptureStderrOf([&] { EXPECT_TRUE(map.Load("Data/none.raw")); });
    EXPECT_EQ(err, "Unable to load Data/none.raw: cannot open the map file: No such file or directory\n");
}

// Sizes whose products wrap in 32 or 64 bits must be seen as too large, not
// as the small number they wrap to; 4096 x 4096 vertices, exactly 2^24, is not.
TEST(MapFile, SizeProductsThatWrapAreTooLarge)
{
    const std::tuple<uint32_t, uint16_t, std::string> cases[] = {
        // square maps: tiles a side, subdivisions
        {2048, 64, "131073 x 131073"},
        {65537, 65535, "4294967296 x 4294967296"},
        {0xFFFFFFFFu, 65535, "281470681677826 x 281470681677826"},
        {4096, 1, "4097 x 4097"},
        {4095, 1, ""}};
    for (const auto& [tiles, subdivisions, vertices] : cases) {
        MapFileData map = TestMap(1, 1, 1, 1, 1);
        map.header.width = map.header.height = tiles;
        map.header.subdivisions = subdivisions;
        map.tileMap.assign(vertices.empty() ? size_t(tiles) * tiles : 1, 0);
        map.heights.assign(vertices.empty() ? map.Columns() * size_t(map.Rows()) : 64, 1);
        std::vector<uint8_t> bytes = EncodeMapFile(map);
        std::vector<std::string> faults = ValidateMapFile(bytes.data(), bytes.size(), nullptr);
        EXPECT_EQ(faults.empty() ? "" : faults.front(),
                  vertices.empty() ? "" : "map is too large: " + vertices + " vertices (at most 16777216 in all)");
    }
}
