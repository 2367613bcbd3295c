#include "tools/assets/TerrainGenerator.h"
#include "tools/assets/TerrainTextures.h"
#include "tools/assets/TileTexturing.h"
#include "world/MapFile.h"
#include "tools/common/Image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

uint64_t Fnv1a(const std::vector<uint8_t>& bytes)
{
    uint64_t h = 1469598103934665603ull;
    for (uint8_t b : bytes)
        h = (h ^ b) * 1099511628211ull;
    return h;
}

// The ground height in world units at (x, y), bilinear between the four
// samples around the point as the game's height query has it.
float GroundHeight(const MapFileData& map, float x, float y)
{
    const float d = float(map.header.cellSize);
    const uint32_t columns = map.Columns();
    uint32_t c = std::min(uint32_t(x / d), columns - 2), r = std::min(uint32_t(y / d), map.Rows() - 2);
    float fx = x / d - float(c), fy = y / d - float(r);
    auto z = [&](uint32_t cc, uint32_t rr) { return float(map.heights[rr * columns + cc]); };
    float h = ((1 - fx) * z(c, r) + fx * z(c + 1, r)) * (1 - fy) + ((1 - fx) * z(c, r + 1) + fx * z(c + 1, r + 1)) * fy;
    return h * float(map.header.heightScale) * 0.01f;
}

} // namespace

TEST(TerrainGenerator, DefaultWorldIsDeterministicValidAndPinned)
{
    std::vector<uint8_t> first = EncodeMapFile(GenerateTerrain(TerrainParams()));
    std::vector<uint8_t> second = EncodeMapFile(GenerateTerrain(TerrainParams()));
    ASSERT_EQ(first, second);

    MapFileData map;
    std::vector<std::string> faults = ValidateMapFile(first.data(), first.size(), &map);
    ASSERT_TRUE(faults.empty()) << faults.front();
    EXPECT_EQ(map.header.width, 16u);
    EXPECT_EQ(map.header.height, 16u);
    EXPECT_EQ(map.header.subdivisions, 8u);
    EXPECT_EQ(map.Columns(), 129u);
    EXPECT_EQ(map.header.textureCount, unsigned(TERRAIN_TEXTURE_COUNT));
    for (uint8_t t = 0; t < TERRAIN_TEXTURE_COUNT; ++t)
        EXPECT_EQ(map.textureNumbers[t], TerrainTextureNumber(t));

    // An accidental change to the default world shows here; a deliberate one
    // updates the number.
    EXPECT_EQ(Fnv1a(first), 0xfa90b684b260bec0ull) << std::hex << Fnv1a(first);
}

TEST(TerrainGenerator, PlayerLandsOnTheIslandWhereItStartsAndIsReset)
{
    MapFileData file = GenerateTerrain(TerrainParams());
    EXPECT_EQ(std::count(file.heights.begin(), file.heights.end(), uint8_t(0)), 0)
        << "a height of 0 reads as no ground";
    EXPECT_GT(*std::max_element(file.heights.begin(), file.heights.end()), 100) << "mountains, not a plain";

    const uint8_t seaFloor = *std::min_element(file.heights.begin(), file.heights.end());
    const float k = float(file.header.heightScale) * 0.01f;
    for (auto [x, y] : {std::pair{START_X, START_Y}, std::pair{RESET_X, RESET_Y}}) {
        float h = GroundHeight(file, x, y);
        EXPECT_GT(h, (float(seaFloor) + 1.0f) * k) << "land, not the sea floor, at " << x << ", " << y;
        EXPECT_LT(h, DROP_HEIGHT) << x << ", " << y;
    }
}

TEST(TerrainGenerator, OtherParametersGiveOtherValidMaps)
{
    TerrainParams p;
    p.seed = 99;
    p.tilesAcross = 5;
    p.tilesDown = 3;
    p.subdivisions = 4;
    p.cellSize = 20;
    p.heightScale = 250;  // 2.5 units a step: the drop points need a deep bowl
    p.roughness = 1.0f;
    p.lightWord = 0x00000180;
    MapFileData file = GenerateTerrain(p);
    std::vector<uint8_t> bytes = EncodeMapFile(file);
    std::vector<std::string> faults = ValidateMapFile(bytes.data(), bytes.size(), nullptr);
    ASSERT_TRUE(faults.empty()) << faults.front();
    EXPECT_EQ(file.heights.size(), size_t(21 * 13));
    EXPECT_EQ(file.header.lightWord, 0x00000180u);
    EXPECT_NE(bytes, EncodeMapFile(GenerateTerrain(TerrainParams())));

    EXPECT_LT(GroundHeight(file, START_X, START_Y), DROP_HEIGHT);
    EXPECT_LT(GroundHeight(file, RESET_X, RESET_Y), DROP_HEIGHT);
    EXPECT_GT(GroundHeight(file, RESET_X, RESET_Y), 0.0f);
}

TEST(TerrainGenerator, TheShoreOfTheGroundIsTheShoreTheTexturesDraw)
{
    // Wherever a tile's picture shows water the ground is the flat sea
    // floor, and wherever it shows land the ground stands above it: no
    // sand lies flat in the sea, no water climbs a slope.
    MapFileData map = GenerateTerrain(TerrainParams());
    const uint32_t n = map.header.subdivisions, w = map.header.width, columns = map.Columns();
    const uint8_t seaFloor = *std::min_element(map.heights.begin(), map.heights.end());
    int water = 0, land = 0, wrong = 0;
    for (uint32_t r = 0; r < map.Rows(); ++r) {
        for (uint32_t c = 0; c < columns; ++c) {
            uint32_t tx = std::min(c / n, w - 1), ty = std::min(r / n, map.header.height - 1);
            uint8_t corners[4];
            CornersOfTexture(map.tileMap[ty * w + tx], corners);
            bool wet;
            if (*std::max_element(corners, corners + 4) == MAT_WATER)
                wet = true;
            else if (*std::min_element(corners, corners + 4) != MAT_WATER)
                wet = false;
            else {
                uint8_t pattern = 0;
                for (int i = 0; i < 4; ++i)
                    pattern |= uint8_t((corners[i] != MAT_WATER) << i);
                wet = SplitField(pattern, float(c) / n - tx, float(r) / n - ty) <= 0.0f;
            }
            water += wet;
            land += !wet;
            bool sunk = map.heights[r * columns + c] == seaFloor;
            if (wet != sunk && ++wrong <= 5)
                ADD_FAILURE() << "vertex " << c << ", " << r << (wet ? " shows water" : " shows land")
                              << " at height " << int(map.heights[r * columns + c]);
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(water, 5000) << "sea all around";
    EXPECT_GT(land, 5000) << "an island in it";
}

TEST(TileTexturing, CornersPickTheirMaterial)
{
    CornerStats s;
    s.lowShare = 0.8f;
    EXPECT_EQ(ChooseCornerMaterial(s), MAT_WATER) << "levelled lowest ground";
    s.lowShare = 0.2f;
    s.meanHeight = s.maxHeight = 0.02f;
    EXPECT_EQ(ChooseCornerMaterial(s), MAT_GRASS) << "the shore";
    s.meanHeight = s.maxHeight = 0.3f;
    EXPECT_EQ(ChooseCornerMaterial(s), MAT_GRASS);
    s.meanHeight = s.maxHeight = 0.95f;
    EXPECT_EQ(ChooseCornerMaterial(s), MAT_SNOW) << "high and flat";
    s.meanSlope = s.maxSlope = 2.0f;
    EXPECT_EQ(ChooseCornerMaterial(s), MAT_SNOW) << "high up, snow clings to steep ground";
    s.meanSlope = s.maxSlope = 3.0f;
    EXPECT_EQ(ChooseCornerMaterial(s), MAT_ROCK) << "high and very steep";
    s.meanHeight = s.maxHeight = 0.2f;
    EXPECT_EQ(ChooseCornerMaterial(s), MAT_ROCK) << "low and steep";

    // A tilted plane: rise per run in world units, whatever the cell size.
    MapFileData map;
    map.header.width = map.header.height = 1;
    map.header.subdivisions = 2;
    map.header.cellSize = 4;
    map.header.heightScale = 200;  // 2 units a step
    map.heights = {0, 1, 2, 0, 1, 2, 0, 1, 2};
    CornerStats tilted = MeasureCorner(map, 0, 0, SpanOf(map));
    EXPECT_FLOAT_EQ(tilted.meanSlope, 0.5f);
    EXPECT_FLOAT_EQ(tilted.maxSlope, 0.5f);
    EXPECT_FLOAT_EQ(tilted.meanHeight, 0.25f) << "the corner and its neighbours within half a tile";
    EXPECT_FLOAT_EQ(tilted.maxHeight, 0.5f);
    EXPECT_FLOAT_EQ(tilted.lowShare, 0.5f);
}

TEST(TileTexturing, NeighbouringCornersDifferByOneMaterialAtMost)
{
    // 5 x 3 corners (4 x 2 tiles): snow next to grass gets a ring of rock;
    // rock on the water's edge gives way to grass; water stays water.
    std::vector<uint8_t> corners = {
        MAT_GRASS, MAT_GRASS, MAT_GRASS, MAT_GRASS, MAT_WATER,
        MAT_GRASS, MAT_SNOW,  MAT_GRASS, MAT_ROCK,  MAT_WATER,
        MAT_GRASS, MAT_GRASS, MAT_GRASS, MAT_GRASS, MAT_WATER,
    };
    LimitCornerSteps(corners, 4, 2);
    EXPECT_EQ(corners, (std::vector<uint8_t>{
                           MAT_ROCK, MAT_ROCK, MAT_ROCK, MAT_GRASS, MAT_WATER,
                           MAT_ROCK, MAT_SNOW, MAT_ROCK, MAT_GRASS, MAT_WATER,
                           MAT_ROCK, MAT_ROCK, MAT_ROCK, MAT_GRASS, MAT_WATER,
                       }));

    // Each tile takes the texture of its corners, and the texture tells them back.
    MapFileData map;
    map.header.width = 4;
    map.header.height = 2;
    ApplyCornerMaterials(map, corners);
    ASSERT_EQ(map.tileMap.size(), 8u);
    EXPECT_EQ(map.header.textureCount, unsigned(TERRAIN_TEXTURE_COUNT));
    for (uint32_t ty = 0; ty < 2; ++ty) {
        for (uint32_t tx = 0; tx < 4; ++tx) {
            uint8_t back[4];
            CornersOfTexture(map.tileMap[ty * 4 + tx], back);
            EXPECT_EQ(back[0], corners[ty * 5 + tx]) << tx << ", " << ty;
            EXPECT_EQ(back[1], corners[ty * 5 + tx + 1]) << tx << ", " << ty;
            EXPECT_EQ(back[2], corners[ty * 5 + 5 + tx]) << tx << ", " << ty;
            EXPECT_EQ(back[3], corners[ty * 5 + 5 + tx + 1]) << tx << ", " << ty;
        }
    }
    const uint8_t plainRock[4] = {MAT_ROCK, MAT_ROCK, MAT_ROCK, MAT_ROCK};
    EXPECT_EQ(TextureForCorners(plainRock), MAT_ROCK);
}

TEST(TileTexturing, NeighbouringTilesOfTheDefaultWorldAgreeOnTheirCorners)
{
    // Two tiles that share an edge must draw the same materials at both its
    // ends: then their pictures continue into each other (the textures'
    // own test shows that), and no tile's edge shows as a line.
    MapFileData map = GenerateTerrain(TerrainParams());
    const uint32_t w = map.header.width, h = map.header.height;
    int across = 0, mixed = 0, materials[MATERIAL_COUNT] = {};
    for (uint32_t ty = 0; ty < h; ++ty) {
        for (uint32_t tx = 0; tx < w; ++tx) {
            uint8_t a[4], b[4];
            CornersOfTexture(map.tileMap[ty * w + tx], a);
            for (int i = 0; i < 4; ++i)
                ++materials[a[i]];
            mixed += *std::min_element(a, a + 4) != *std::max_element(a, a + 4);
            if (tx + 1 < w) {
                CornersOfTexture(map.tileMap[ty * w + tx + 1], b);
                EXPECT_TRUE(a[1] == b[0] && a[3] == b[2]) << "tiles " << tx << ", " << ty << " and right";
                ++across;
            }
            if (ty + 1 < h) {
                CornersOfTexture(map.tileMap[(ty + 1) * w + tx], b);
                EXPECT_TRUE(a[2] == b[0] && a[3] == b[1]) << "tiles " << tx << ", " << ty << " and below";
                ++across;
            }
        }
    }
    EXPECT_EQ(across, 2 * 16 * 15);
    EXPECT_GT(mixed, 40) << "the shore and the mountains run through the tiles";
    for (int m = 0; m < MATERIAL_COUNT; ++m)
        EXPECT_GT(materials[m], 0) << "material " << m;
}
