// Guards how an import lays a source over the map grid and scales it: one vertex per sample, the cap's reduction,
// square cells from uneven spacing, and true proportions kept in the 16-bit cell size and height scale.
#include "tools/shot/SampleDem.h"
#include "tools/assets/TerrainTextures.h"
#include "tools/assets/TileTexturing.h"
#include "tools/map/EarthScale.h"
#include "tools/map/ImportPlan.h"
#include "world/MapFile.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// An elevation model of w x h samples, `metres(x, y)` high, `spacing` metres apart.
template <typename F>
Heightmap Model(int w, int h, double spacingX, double spacingY, F metres)
{
    Heightmap m;
    m.width = w, m.height = h, m.maxValue = 65535, m.elevation = true, m.metresLow = 0.0, m.metresPerValue = 0.25;
    m.spacingX = spacingX, m.spacingY = spacingY;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            m.samples.push_back(uint16_t(std::lround(metres(x, y) * 4.0)));
    return m;
}

ImportPlan Plan(const Heightmap& m, const WorldOptions& options, std::vector<uint8_t>* heights = nullptr)
{
    ImportPlan plan;
    std::string error;
    EXPECT_FALSE(PlanGrid(m, options, plan, error)) << error;
    std::vector<uint8_t> h = PlanHeights(m, options, plan);
    if (heights)
        *heights = h;
    return plan;
}

} // namespace

// Heights 100 .. 354 m, 30 m apart: one step is a metre, a thirtieth of a cell. At cell size 8 the nearest height
// scale is 27 (1.25 % steep), so the nearest good size is 9 with 30, exact; exaggerated twice, 60.
TEST(ImportPlan, TrueScaleKeepsTheSamplesAndTheirProportions)
{
    Heightmap m = Model(25, 9, 30.0, 30.0, [](int x, int y) { return 100.0 + x * 10 + y * 3 - (x == 24 ? 96 : 0); });
    WorldOptions options;
    std::vector<uint8_t> heights;
    ImportPlan plan = Plan(m, options, &heights);
    EXPECT_TRUE(plan.subdivisions == 8 && plan.Columns() == 25 && plan.Rows() == 9 && plan.factor == 1 && plan.trueScale);
    EXPECT_TRUE(plan.cellSize == 9 && plan.heightScale == 30) << plan.cellSize << " " << plan.heightScale;
    EXPECT_NEAR(plan.reliefMetres, 254.0, 1e-6);
    EXPECT_NEAR(plan.ratioError, 0.0, 1e-9);
    EXPECT_NEAR(plan.MetresPerUnit(), 30.0 / 9.0, 1e-9);
    for (int y = 0; y < 9; ++y)  // row 0 the source's top row, step = one metre above the lowest
        for (int x = 0; x < 25; ++x)
            ASSERT_EQ(heights[size_t(y) * 25 + x], 10 * x + 3 * y - (x == 24 ? 96 : 0)) << x << "," << y;

    options.exaggeration = 2.0;
    EXPECT_EQ(Plan(m, options).heightScale, 60u);
    options.cellSizeGiven = true, options.params.cellSize = 100;  // asked-for sizes are kept
    EXPECT_EQ(Plan(m, options).heightScale, 667u);
    options.heightScaleGiven = true, options.params.heightScale = 700;
    EXPECT_NEAR(Plan(m, options).ratioError, 700.0 / 666.667 - 1.0, 1e-4);
}

// Degrees become metres at the latitude; cells are square at the finer spacing, the coarser axis interpolated.
TEST(ImportPlan, UnevenSpacingIsResampledToSquareCells)
{
    Heightmap m = Model(4, 3, 0, 0, [](int, int y) { return 90.0 * y; });
    SpacingFromDegrees(m, 1.0 / 3600, 1.0 / 3600, 45.5, "1 arc-second");
    EXPECT_NEAR(m.spacingY, 30.873, 0.01);  // 111,141.5 m a degree of latitude there
    EXPECT_NEAR(m.spacingX, 21.711, 0.01);  // 78,160 m a degree of longitude
    EXPECT_EQ(m.spacingSource, "1 arc-second at latitude 45.50");

    m.spacingX = 20.0, m.spacingY = 30.0;
    std::vector<uint8_t> heights;
    ImportPlan plan = Plan(m, WorldOptions(), &heights);
    EXPECT_DOUBLE_EQ(plan.stepY, 2.0 / 3.0);
    ASSERT_EQ(plan.Rows(), 7u);
    EXPECT_EQ(plan.padRows, 6 - 3);  // 3 cells of 20 m down, padded to a tile of 6
    EXPECT_EQ(heights[plan.Columns() * 1], 85);   // 2/3 of 127 steps
    EXPECT_EQ(heights[plan.Columns() * 2], 169);
    EXPECT_EQ(heights[plan.Columns() * 3], 254);  // the bottom row, then its copies
    EXPECT_EQ(heights[plan.Columns() * 6], 254);

    m.spacingX = 1.0, m.spacingY = 65.0;  // further apart one way than the grid can honestly draw
    ImportPlan refused;
    std::string error;
    EXPECT_TRUE(PlanGrid(m, WorldOptions(), refused, error));
}

// A source over the game's vertex cap keeps every factor-th sample, the smallest factor that fits.
TEST(ImportPlan, SourcesOverTheCapAreReducedByTheSmallestFactor)
{
    auto planFor = [](int w, int h) {
        Heightmap m;
        m.width = w, m.height = h;
        ImportPlan plan;
        std::string error;
        EXPECT_FALSE(PlanGrid(m, WorldOptions(), plan, error));
        EXPECT_LE(uint64_t(plan.Columns()) * plan.Rows(), MAP_MAX_VERTICES);
        return plan;
    };
    EXPECT_EQ(planFor(4096, 4096).factor, 1u);
    EXPECT_EQ(planFor(4097, 4097).factor, 2u);  // 4097^2 is over 2^24
    EXPECT_EQ(planFor(16385, 16385).factor, 5u);
    ImportPlan wide = planFor(16385, 1024);
    EXPECT_EQ(wide.factor, 2u);
    EXPECT_EQ(wide.Columns(), 8193u);
    Heightmap picture;
    picture.width = 16385, picture.height = 1024;
    EXPECT_NE(DescribePlan(picture, WorldOptions(), wide).find("every 2nd sample"), std::string::npos);
}

// The sample tile at true scale and exaggerated threefold: tile corners on ground steeper than 55 degrees as drawn
// are never grass, and those on the lower valley floors flatter than 10 degrees always are: not water, since the
// lowest ground of this land is far above the sea.
TEST(ImportPlan, RealLandIsTexturedByItsSlopeAsDrawn)
{
    const std::vector<uint8_t> bytes = SampleSrtmTile();
    Heightmap dem;
    std::string error;
    ASSERT_FALSE(DecodeHeightmap(bytes.data(), bytes.size(), dem, error)) << error;
    SpacingFromDegrees(dem, 3.0 / 3600, 3.0 / 3600, 46.5, "");
    for (double exaggeration : {1.0, 3.0}) {
        WorldOptions options;
        options.exaggeration = exaggeration;
        ImportPlan plan = Plan(dem, options);
        MapFileData map = MapForParams({0, plan.tilesAcross, plan.tilesDown, plan.subdivisions, plan.cellSize, plan.heightScale});
        map.heights = PlanHeights(dem, options, plan);
        AssignTileTextures(map, plan.SeaAtLowest());
        int steep = 0, flat = 0;
        for (uint32_t ty = 0; ty < map.header.height; ty += 3)
            for (uint32_t tx = 0; tx < map.header.width; tx += 3) {
                // The mean slope of the land within half a tile of the tile's top-left corner, sample by sample.
                int x = int(tx * 8 * plan.stepX), y = int(ty * 8 * plan.stepY);
                double sum = 0.0, count = 0.0;
                for (int v = std::max(0, y - 3); v <= y + 3; ++v)
                    for (int u = std::max(0, x - 4); u <= x + 4; ++u, ++count)
                        sum += std::hypot((SampleDemMetres(u + 1, v) - SampleDemMetres(u, v)) / dem.spacingX,
                                          (SampleDemMetres(u, v + 1) - SampleDemMetres(u, v)) / dem.spacingY);
                double slope = std::atan(exaggeration * sum / count);
                uint8_t corners[4];
                CornersOfTexture(map.tileMap[ty * map.header.width + tx], corners);
                bool isSteep = slope > 55 * M_PI / 180, isFlat = slope < 10 * M_PI / 180 && SampleDemMetres(x, y) < dem.metresLow + 300;
                steep += isSteep, flat += isFlat;
                EXPECT_TRUE(isSteep ? corners[0] != MAT_GRASS : !isFlat || corners[0] == MAT_GRASS) << tx << "," << ty << " x" << exaggeration;
            }
        EXPECT_GT(steep, exaggeration > 1 ? 100 : 5);
        EXPECT_GT(flat, 100);
    }
}
