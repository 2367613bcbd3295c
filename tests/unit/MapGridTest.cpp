// Guards the grid: wrong corners or weights in the height query, the far edge or off-grid points mishandled, normals
// flipped or averaged over the wrong cells (computed once per grid, or vertex by vertex).
#include "tests/support/TestMaps.h"
#include "world/Map.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

Vec3 NormalOf(const CMap& map, uint32_t v)
{
    return Vec3(map.normals[3 * v], map.normals[3 * v + 1], map.normals[3 * v + 2]);
}

}  // namespace

TEST(MapGrid, HeightAtVerticesBetweenThemAndOnTheEdges)
{
    CMap map;
    LoadTestGrid(map, TestMap(3, 2, 2, 10, 50, 0, BumpyHeight));  // 7 x 5 vertices, k = 0.5
    const float k = 0.5f;
    for (uint32_t row = 0; row < map.rows; ++row)
        for (uint32_t col = 0; col < map.columns; ++col)
            EXPECT_FLOAT_EQ(map.GetHeight(col * 10.0f, row * 10.0f), BumpyHeight(col, row) * k) << col << ", " << row;
    // Along a row, a cell's middle, 0.1 along x, 0.2 along y, then the far edges (inside) and corner.
    auto h = BumpyHeight;
    const float between[][3] = {{15, 20, (h(1, 2) + h(2, 2)) * 0.5f},
                                {25, 5, (h(2, 0) + h(3, 0) + h(2, 1) + h(3, 1)) * 0.25f},
                                {21, 10, h(2, 1) * 0.9f + h(3, 1) * 0.1f},
                                {20, 12, h(2, 1) * 0.8f + h(2, 2) * 0.2f},
                                {60, 15, (h(6, 1) + h(6, 2)) * 0.5f},
                                {35, 40, (h(3, 4) + h(4, 4)) * 0.5f},
                                {60, 40, float(h(6, 4))}};
    for (const auto& b : between)
        EXPECT_FLOAT_EQ(map.GetHeight(b[0], b[1]), b[2] * k) << b[0] << ", " << b[1];
    EXPECT_TRUE(map.Contains(60.0f, 40.0f));

    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    for (auto [x, y] : {std::pair{-0.001f, 5.0f},
                        {5.0f, -0.001f},
                        {60.01f, 5.0f},
                        {5.0f, 40.01f},
                        {nan, 5.0f},
                        {5.0f, nan},
                        {1e30f, 5.0f},
                        {-inf, 5.0f}}) {
        EXPECT_TRUE(map.GetHeight(x, y) == 0.0f && !map.Contains(x, y)) << x << ", " << y;
    }
    // Ground at height 0 is ground; a map never loaded has none.
    CMap flat, empty;
    LoadTestGrid(flat, TestMap(1, 1, 1, 4, 50, 0));
    EXPECT_TRUE(flat.Contains(2.0f, 2.0f));
    EXPECT_TRUE(!empty.Contains(0.0f, 0.0f) && empty.GetHeight(0.0f, 0.0f) == 0.0f);
}

TEST(MapGrid, NormalsOfFlatSlopedAndEdgeVertices)
{
    CMap flat;
    LoadTestGrid(flat, TestMap(2, 2, 3, 5, 100, 77));
    for (uint32_t v = 0; v < flat.vertexCount; ++v)
        ExpectNear(NormalOf(flat, v), Vec3(0, 0, 1));

    // Rising one step per column with d = 1: inner vertices (-1, 0, 1) / sqrt 2.
    CMap slope;
    LoadTestGrid(slope, TestMap(2, 2, 2, 1, 100, 0, [](uint32_t col, uint32_t) { return uint8_t(col); }));
    const float r = 1.0f / std::sqrt(2.0f);
    ExpectNear(NormalOf(slope, 2 * slope.columns + 2), Vec3(-r, 0, r));
    // Rising along the rows tilts it the other way.
    CMap rows;
    LoadTestGrid(rows, TestMap(2, 2, 2, 1, 100, 0, [](uint32_t, uint32_t row) { return uint8_t(2 * row); }));
    ExpectNear(NormalOf(rows, 2 * rows.columns + 2), Vec3(0, -2, 1) * (1.0f / std::sqrt(5.0f)));

    // Cells on the grid only: not before it, not wrapping past the last column or row.
    Vec3 acc;
    EXPECT_TRUE(slope.CellNormal(0, acc));
    for (int32_t off :
         {-1, int32_t(slope.columns - 1), int32_t(slope.columns * (slope.rows - 1)), int32_t(slope.vertexCount)})
        EXPECT_FALSE(slope.CellNormal(off, acc)) << off;
    ExpectNear(acc, Vec3(-r, 0, r));

    // Edge and corner vertices average only the cells that touch them.
    CMap map;
    LoadTestGrid(map, TestMap(2, 2, 2, 3, 100, 0, BumpyHeight));  // 5 x 5 vertices
    const int32_t c = int32_t(map.columns);
    auto mean = [&](std::initializer_list<int32_t> cells) {
        Vec3 sum;
        for (int32_t a : cells)
            EXPECT_TRUE(map.CellNormal(a, sum));
        sum = sum * (1.0f / float(cells.size()));
        Normalize(sum);
        return sum;
    };
    const std::pair<int32_t, Vec3> cases[] = {
        {0, mean({0})},
        {c - 1, mean({c - 2})},
        {c * c - 1, mean({c * c - c - 2})},
        {2 * c, mean({c, 2 * c})},
        {3 * c - 1, mean({2 * c - 2, 3 * c - 2})},
        {2, mean({1, 2})},
        {2 * c + 2, mean({c + 1, c + 2, 2 * c + 1, 2 * c + 2})},
        {c + 1, mean({0, 1, c, c + 1})},
    };
    for (const auto& [v, want] : cases) {
        ExpectNear(NormalOf(map, uint32_t(v)), want);
        map.VertexNormal(v);
        ExpectNear(NormalOf(map, uint32_t(v)), want);
    }
}
