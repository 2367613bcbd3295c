// Guards how an import lays a source over the grid: a vertex per sample, the cap's reduction by any ratio, square
// cells from uneven spacing, true proportions in the 16-bit fields, land textured by altitude and slope, smooth voids.
#include "tools/map/ImportPlan.h"
#include "tools/assets/TerrainTextures.h"
#include "tools/assets/TileTexturing.h"
#include "tools/map/EarthScale.h"
#include "tools/map/ElevationGrid.h"
#include "tools/shot/SampleDem.h"
#include "world/MapFile.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// An elevation model of w x h samples, `metres(x, y)` high, `spacing` metres apart.
struct Model {
    Heightmap header;
    std::vector<float> metres;
};
template <typename F>
Model MakeModel(int w, int h, double spacingX, double spacingY, F metres)
{
    Model m;
    m.header.width = w, m.header.height = h, m.header.elevation = true;
    m.header.spacingX = spacingX, m.header.spacingY = spacingY;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            m.metres.push_back(float(metres(x, y)));
    return m;
}

// The import's steps: the grid, the rows through the sampler, the voids, the heights.
ImportPlan Plan(const Model& m, const WorldOptions& options, std::vector<uint8_t>* heights = nullptr)
{
    ImportPlan plan;
    std::string error;
    SourceWindow window;
    EXPECT_FALSE(ResolveRegion(m.header, options, window, error) || PlanGrid(m.header, window, options, plan, error))
        << error;
    CGridSampler grid(window, plan.Columns(), plan.Rows(), plan.stepX, plan.stepY);
    for (int y = 0; y < m.header.height; ++y)
        grid.AddRow(y, &m.metres[size_t(y) * m.header.width], m.header.width);
    FillVoids(grid.Values(), int(plan.Columns()), int(plan.Rows()));
    std::vector<uint8_t> h;
    EXPECT_FALSE(PlanHeights(m.header, grid.Values(), options, plan, h, error)) << error;
    if (heights)
        *heights = h;
    return plan;
}

}  // namespace

// Heights 100 .. 354 m, 30 m apart: one step is a metre, a thirtieth of a cell. At cell size 8 the nearest height
// scale is 27 (1.25 % steep), so the nearest good size is 9 with 30, exact; exaggerated twice, 60.
TEST(ImportPlan, TrueScaleKeepsTheSamplesAndTheirProportions)
{
    Model m = MakeModel(25, 9, 30.0, 30.0, [](int x, int y) { return 100.0 + x * 10 + y * 3 - (x == 24 ? 96 : 0); });
    WorldOptions options;
    std::vector<uint8_t> heights;
    ImportPlan plan = Plan(m, options, &heights);
    EXPECT_TRUE(plan.subdivisions == 8 && plan.Columns() == 25 && plan.Rows() == 9 && plan.reduction == 1 &&
                plan.trueScale);
    EXPECT_TRUE(plan.cellSize == 9 && plan.heightScale == 30) << plan.cellSize << " " << plan.heightScale;
    EXPECT_NEAR(plan.reliefMetres, 254.0, 1e-6);
    EXPECT_NEAR(plan.ratioError, 0.0, 1e-9);
    EXPECT_NEAR(plan.MetresPerUnit(), 30.0 / 9.0, 1e-9);
    for (int y = 0; y < 9; ++y)  // row 0 the source's top row, step = one metre above the lowest
        for (int x = 0; x < 25; ++x)
            ASSERT_EQ(heights[size_t(y) * 25 + x], 10 * x + 3 * y - (x == 24 ? 96 : 0)) << x << "," << y;

    options.exaggeration = 1.5;  // 8 would draw it exactly, but the ground plan stays the true scale's
    EXPECT_TRUE(Plan(m, options).cellSize == 9 && Plan(m, options).heightScale == 45);
    options.exaggeration = 2.0;
    EXPECT_EQ(Plan(m, options).heightScale, 60u);
    options.cellSizeGiven = true, options.params.cellSize = 100;  // asked-for sizes are kept
    EXPECT_EQ(Plan(m, options).heightScale, 667u);
    options.heightScaleGiven = true, options.params.heightScale = 700;
    EXPECT_NEAR(Plan(m, options).ratioError, 700.0 / 666.667 - 1.0, 1e-4);
    options.cellSizeGiven = false, options.exaggeration = 1.0;  // a height scale alone: the cell size follows
    EXPECT_EQ(Plan(m, options).cellSize, 210u);
}

// Degrees become metres at the latitude; cells are square at the finer spacing, the coarser axis interpolated.
TEST(ImportPlan, UnevenSpacingIsResampledToSquareCells)
{
    Model m = MakeModel(4, 3, 0, 0, [](int, int y) { return 90.0 * y; });
    SpacingFromDegrees(m.header, 1.0 / 3600, 1.0 / 3600, 45.5, "1 arc-second");
    EXPECT_NEAR(m.header.spacingY, 30.873, 0.01);  // 111,141.5 m a degree of latitude there
    EXPECT_NEAR(m.header.spacingX, 21.711, 0.01);  // 78,160 m a degree of longitude
    EXPECT_EQ(m.header.spacingSource, "1 arc-second at latitude 45.50");

    m.header.spacingX = 20.0, m.header.spacingY = 30.0;
    std::vector<uint8_t> heights;
    ImportPlan plan = Plan(m, WorldOptions(), &heights);
    EXPECT_DOUBLE_EQ(plan.stepY, 2.0 / 3.0);
    ASSERT_EQ(plan.Rows(), 7u);
    EXPECT_EQ(plan.padRows, 6 - 3);              // 3 cells of 20 m down, padded to a tile of 6
    EXPECT_EQ(heights[plan.Columns() * 1], 85);  // 2/3 of 127 steps
    EXPECT_EQ(heights[plan.Columns() * 2], 169);
    EXPECT_EQ(heights[plan.Columns() * 3], 254);  // the bottom row, then its copies
    EXPECT_EQ(heights[plan.Columns() * 6], 254);

    m.header.spacingX = 1.0, m.header.spacingY = 65.0;  // further apart one way than the grid can honestly draw
    ImportPlan refused;
    std::string error;
    EXPECT_TRUE(PlanGrid(m.header, SourceWindow{0, 0, 4, 3}, WorldOptions(), refused, error));
}

// A source over the game's vertex cap is resampled by any ratio to the largest grid that fits: an SRTM1 tile at 46.5
// degrees north (square cells at its finer spacing would need 18.8 M vertices) and a 10000 x 8000 picture keep more
// than 99 % of the cap, where whole-number reductions kept 28 % and 53 %.
TEST(ImportPlan, SourcesOverTheCapKeepTheWholeVertexBudget)
{
    auto planFor = [](int w, int h, double sx, double sy) {
        Heightmap m;
        m.width = w, m.height = h, m.spacingX = sx, m.spacingY = sy;
        ImportPlan plan;
        std::string error;
        EXPECT_FALSE(PlanGrid(m, SourceWindow{0, 0, w, h}, WorldOptions(), plan, error));
        const uint64_t vertices = uint64_t(plan.Columns()) * plan.Rows();
        EXPECT_TRUE(vertices <= MAP_MAX_VERTICES && vertices > MAP_MAX_VERTICES * 0.99)
            << w << "x" << h << ": " << vertices;
        return plan;
    };
    EXPECT_EQ(planFor(4096, 4096, 0, 0).reduction, 1.0);
    ImportPlan srtm = planFor(3601, 3601, 21.28, 30.88);
    EXPECT_NEAR(srtm.stepX, srtm.stepY * 30.88 / 21.28, 1e-9);  // square cells
    EXPECT_NEAR(srtm.reduction, 1.059, 0.002);
    Heightmap picture;
    picture.width = 10000, picture.height = 8000;
    ImportPlan wide = planFor(10000, 8000, 0, 0);
    EXPECT_NE(DescribePlan(picture, WorldOptions(), wide).find("resampled to one vertex per 2.184 samples"),
              std::string::npos)
        << DescribePlan(picture, WorldOptions(), wide);
}

// Made-up land in metres, 30 m apart, west to east: sea floor to -56 m, a gentle shore up to 490 m, a cliff, then a
// plateau above 3,200 m. Below the sea is water, the plateau snow under a 3,000 m snow line, the cliff rock and the
// shore grass, by true slope, so exaggerating the heights changes nothing; under a 3,500 m snow line the plateau is
// bare rock; at 36.5 degrees north the snow line lies far above it all, and the plateau is grass.
TEST(ImportPlan, RealLandIsTexturedByAltitudeAndTrueSlope)
{
    auto metres = [](int x, int) {
        return x < 48    ? -200.0 + 3 * x
               : x < 96  ? 10.0 * (x - 47)
               : x < 120 ? 490.0 + 113 * (x - 95)
                         : 3200.0 + 2 * (x - 120);
    };
    const Model m = MakeModel(193, 49, 30.0, 30.0, metres);
    std::vector<uint8_t> firstTiles;
    for (double exaggeration : {1.0, 3.0}) {
        for (double snowLine : {3000.0, SnowLineAt(36.5), 3500.0}) {
            WorldOptions options;
            options.exaggeration = exaggeration;
            std::vector<uint8_t> heights;
            ImportPlan plan = Plan(m, options, &heights);
            ASSERT_EQ(plan.subdivisions, 8);
            MapFileData map =
                MapForParams({0, plan.tilesAcross, plan.tilesDown, plan.subdivisions, plan.cellSize, plan.heightScale});
            map.heights = heights;
            AssignRealTextures(map, RealGround{plan.lowMetres, plan.stepMetres, plan.cellMetres, snowLine});
            if (firstTiles.empty())
                firstTiles = map.tileMap;
            for (uint32_t tx = 0; tx < map.header.width; ++tx) {
                uint8_t corners[4];
                CornersOfTexture(map.tileMap[map.header.width * 3 + tx], corners);
                const int x = int(tx) * 8;  // the tile's left corner, a tile clear of each change of ground
                const int want = x < 40              ? MAT_WATER
                                 : x > 48 && x < 88  ? MAT_GRASS
                                 : x > 96 && x < 112 ? MAT_ROCK
                                 : x > 128           ? (snowLine == 3000.0   ? MAT_SNOW
                                                        : snowLine == 3500.0 ? MAT_ROCK
                                                                             : MAT_GRASS)
                                                     : int(corners[0]);
                EXPECT_EQ(corners[0], want)
                    << "x " << x << ", snow line " << snowLine << ", exaggeration " << exaggeration;
            }
            EXPECT_TRUE(snowLine != 3000.0 || map.tileMap == firstTiles) << "exaggeration " << exaggeration;
        }
    }
    EXPECT_NEAR(SnowLineAt(36.5), 4020.0, 1.0);
}

// A 200 x 300 hole cut out of the made-up mountains fills as a membrane over its rim: every filled height is the mean
// of its four neighbours (no bands running in from the rim, no seam where they meet), and it keeps near the surface
// it was cut from.
TEST(ImportPlan, VoidsFillSmoothlyAgainstTheSurfaceCutAway)
{
    const int w = 400, h = 500;
    std::vector<float> truth(size_t(w) * h), cut;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            truth[size_t(y) * w + x] = float(SampleDemMetres(x + 300, y + 200));
    cut = truth;
    for (int y = 100; y < 400; ++y)
        std::fill(cut.begin() + y * w + 100, cut.begin() + y * w + 300, NAN);
    ASSERT_EQ(FillVoids(cut, w, h), 200 * 300);
    double worst = 0.0, squares = 0.0;
    for (int y = 100; y < 400; ++y)
        for (int x = 100; x < 300; ++x) {
            const size_t i = size_t(y) * w + x;
            worst = std::max(worst, std::fabs(4.0 * cut[i] - cut[i - 1] - cut[i + 1] - cut[i - w] - cut[i + w]));
            squares += (cut[i] - truth[i]) * (cut[i] - truth[i]);
        }
    EXPECT_LT(worst, 0.05);
    EXPECT_LT(std::sqrt(squares / (200 * 300)),
              365.0);  // 356 m; bands from the rim inwards gave 375 m, and seams of 1,200 m
    std::vector<float> none(16, NAN), extreme = {3e38f, NAN, NAN, -3e38f, NAN, 3e38f};  // relaxing past them overflowed
    EXPECT_EQ(FillVoids(none, 4, 4), -1);
    EXPECT_EQ(FillVoids(extreme, 3, 2), 3);
    EXPECT_TRUE(std::all_of(extreme.begin(), extreme.end(), [](float v) { return std::isfinite(v); }));
}
