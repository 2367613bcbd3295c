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
    EXPECT_EQ(Fnv1a(first), 0x886b6b899e3e5d13ull) << std::hex << Fnv1a(first);
}

TEST(TerrainGenerator, PlayerLandsWhereItStartsAndIsReset)
{
    MapFileData file = GenerateTerrain(TerrainParams());
    EXPECT_EQ(std::count(file.heights.begin(), file.heights.end(), uint8_t(0)), 0)
        << "a height of 0 reads as no ground";
    EXPECT_GT(*std::max_element(file.heights.begin(), file.heights.end()), 100) << "mountains, not a plain";

    for (auto [x, y] : {std::pair{START_X, START_Y}, std::pair{RESET_X, RESET_Y}}) {
        float h = GroundHeight(file, x, y);
        EXPECT_GT(h, 0.0f) << x << ", " << y;
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

TEST(TileTexturing, GroundPicksItsRung)
{
    TileStats s;
    EXPECT_EQ(ChooseTileTexture(s), TEX_WATER) << "flat ground at the lowest level";
    s.meanHeight = s.maxHeight = 0.2f;
    EXPECT_EQ(ChooseTileTexture(s), TEX_GRASS);
    s.meanHeight = s.maxHeight = 0.95f;
    EXPECT_EQ(ChooseTileTexture(s), TEX_SNOW) << "high and flat";
    s.meanSlope = s.maxSlope = 2.0f;
    EXPECT_EQ(ChooseTileTexture(s), TEX_ROCK) << "high and steep";
    s.meanHeight = s.maxHeight = 0.2f;
    EXPECT_EQ(ChooseTileTexture(s), TEX_ROCK) << "low and steep";

    // Ground next to rock turns to scree, next to snow to snowy rock; water
    // stays water, and nothing is lowered.
    std::vector<uint8_t> tiles = {TEX_GRASS, TEX_ROCK, TEX_WATER, TEX_SAND, TEX_MEADOW, TEX_SNOW};
    std::vector<uint8_t> soft = SoftenTileEdges(tiles, 3, 2);
    EXPECT_EQ(soft, (std::vector<uint8_t>{TEX_SCREE, TEX_ROCK, TEX_WATER, TEX_SAND, TEX_ROCK_SNOW, TEX_SNOW}));

    // A tilted plane: rise per run in world units, whatever the cell size.
    MapFileData map;
    map.header.width = map.header.height = 1;
    map.header.subdivisions = 2;
    map.header.cellSize = 4;
    map.header.heightScale = 200;  // 2 units a step
    map.heights = {0, 1, 2, 0, 1, 2, 0, 1, 2};
    TileStats tilted = MeasureTile(map, 0, 0);
    EXPECT_FLOAT_EQ(tilted.meanSlope, 0.5f);
    EXPECT_FLOAT_EQ(tilted.maxSlope, 0.5f);
    EXPECT_FLOAT_EQ(tilted.meanHeight, 0.5f);
    EXPECT_FLOAT_EQ(tilted.maxHeight, 1.0f);
}

TEST(TileTexturing, NeighbouringLandTilesOfTheDefaultWorldRarelyMeetWithAHardEdge)
{
    // Where land meets water a crisp edge is natural; on land the ladder's
    // blends and the scree around rock should leave few.
    // The colour each texture has from afar, its mean.
    float mean[TERRAIN_TEXTURE_COUNT][3] = {};
    for (uint8_t t = 0; t < TERRAIN_TEXTURE_COUNT; ++t) {
        Image tex = GenerateTerrainTexture(t, 32);
        for (size_t i = 0; i < tex.rgb.size(); ++i)
            mean[t][i % 3] += float(tex.rgb[i]) / (32.0f * 32.0f);
    }
    auto hard = [&](int a, int b) {
        float d = 0.0f;
        for (int k = 0; k < 3; ++k)
            d = std::max(d, std::fabs(mean[a][k] - mean[b][k]));
        return d > 50.0f;
    };
    MapFileData map = GenerateTerrain(TerrainParams());
    const uint32_t w = map.header.width, h = map.header.height;
    int edges = 0, pairs = 0;
    for (uint32_t ty = 0; ty < h; ++ty) {
        for (uint32_t tx = 0; tx < w; ++tx) {
            int t = map.tileMap[ty * w + tx];
            for (int n : {tx + 1 < w ? int(map.tileMap[ty * w + tx + 1]) : -1,
                          ty + 1 < h ? int(map.tileMap[(ty + 1) * w + tx]) : -1}) {
                if (t < TEX_SAND || n < TEX_SAND)
                    continue;
                edges += hard(t, n);
                ++pairs;
            }
        }
    }
    EXPECT_GT(pairs, 150);
    EXPECT_LT(edges * 10, pairs) << edges << " hard edges of " << pairs;
}
