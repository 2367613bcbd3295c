#include "tests/support/TestMaps.h"
#include "world/Map.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

uint8_t Bumpy(uint32_t col, uint32_t row) { return uint8_t((col * 37 + row * 101 + col * row * 13) % 251); }

Vec3 NormalOf(const CMap& map, uint32_t v)
{
    return Vec3(map.normals[3 * v], map.normals[3 * v + 1], map.normals[3 * v + 2]);
}

void ExpectVecNear(const Vec3& seen, const Vec3& want, float tolerance = 1e-5f)
{
    EXPECT_NEAR(seen.x, want.x, tolerance);
    EXPECT_NEAR(seen.y, want.y, tolerance);
    EXPECT_NEAR(seen.z, want.z, tolerance);
}

} // namespace

TEST(MapGrid, HeightAtVerticesBetweenThemAndOnTheEdges)
{
    CMap map;
    LoadTestGrid(map, TestMap(3, 2, 2, 10, 50, 0, Bumpy));  // 7 x 5 vertices, k = 0.5
    ASSERT_EQ(map.columns, 7u);
    const float k = 0.5f;
    for (uint32_t row = 0; row < map.rows; ++row)
        for (uint32_t col = 0; col < map.columns; ++col)
            EXPECT_FLOAT_EQ(map.GetHeight(col * 10.0f, row * 10.0f), Bumpy(col, row) * k) << col << ", " << row;

    // Halfway along a row: the mean; in the middle of a cell: the mean of four.
    EXPECT_FLOAT_EQ(map.GetHeight(15.0f, 20.0f), (Bumpy(1, 2) + Bumpy(2, 2)) * 0.5f * k);
    EXPECT_FLOAT_EQ(map.GetHeight(25.0f, 5.0f),
                    (Bumpy(2, 0) + Bumpy(3, 0) + Bumpy(2, 1) + Bumpy(3, 1)) * 0.25f * k);

    // The far edges are inside: the last column, the last row, the far corner.
    EXPECT_FLOAT_EQ(map.GetHeight(60.0f, 15.0f), (Bumpy(6, 1) + Bumpy(6, 2)) * 0.5f * k);
    EXPECT_FLOAT_EQ(map.GetHeight(35.0f, 40.0f), (Bumpy(3, 4) + Bumpy(4, 4)) * 0.5f * k);
    EXPECT_FLOAT_EQ(map.GetHeight(60.0f, 40.0f), Bumpy(6, 4) * k);
    EXPECT_TRUE(map.Contains(60.0f, 40.0f));

    // Just outside, and not a number.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (auto [x, y] : {std::pair{-0.001f, 5.0f}, {5.0f, -0.001f}, {60.01f, 5.0f}, {5.0f, 40.01f}, {nan, 5.0f},
                        {5.0f, nan}, {1e30f, 5.0f}, {-std::numeric_limits<float>::infinity(), 5.0f}}) {
        EXPECT_EQ(map.GetHeight(x, y), 0.0f) << x << ", " << y;
        EXPECT_FALSE(map.Contains(x, y)) << x << ", " << y;
    }

    // Heights scale with the file's value: 50 gives 0.5, so a sample of 200 stands at 100.
    CMap tall;
    LoadTestGrid(tall, TestMap(1, 1, 1, 4, 50, 200));
    EXPECT_FLOAT_EQ(tall.GetHeight(2.0f, 2.0f), 100.0f);
    // Ground at height 0 is still ground, though GetHeight cannot tell it from nothing.
    CMap flat;
    LoadTestGrid(flat, TestMap(1, 1, 1, 4, 50, 0));
    EXPECT_EQ(flat.GetHeight(2.0f, 2.0f), 0.0f);
    EXPECT_TRUE(flat.Contains(2.0f, 2.0f));
    // A map never loaded has no ground at all.
    CMap empty;
    EXPECT_EQ(empty.GetHeight(0.0f, 0.0f), 0.0f);
    EXPECT_FALSE(empty.Contains(0.0f, 0.0f));
}

TEST(MapGrid, NormalsOfFlatAndSlopedGround)
{
    CMap flat;
    LoadTestGrid(flat, TestMap(2, 2, 3, 5, 100, 77));
    for (uint32_t v = 0; v < flat.vertexCount; ++v) {
        flat.VertexNormal(int32_t(v));
        ExpectVecNear(NormalOf(flat, v), Vec3(0, 0, 1));
    }

    // Rising one step per column with d = 1: inner vertices (-1, 0, 1) / sqrt 2.
    CMap slope;
    LoadTestGrid(slope, TestMap(2, 2, 2, 1, 100, 0, [](uint32_t col, uint32_t) { return uint8_t(col); }));
    const float r = 1.0f / std::sqrt(2.0f);
    uint32_t inner = 2 * slope.columns + 2;
    slope.VertexNormal(int32_t(inner));
    ExpectVecNear(NormalOf(slope, inner), Vec3(-r, 0, r));

    // Cells on the grid only: not before it, not wrapping past the last column or row.
    Vec3 acc;
    EXPECT_TRUE(slope.CellNormal(0, acc));
    EXPECT_FALSE(slope.CellNormal(-1, acc));
    EXPECT_FALSE(slope.CellNormal(int32_t(slope.columns - 1), acc));
    EXPECT_FALSE(slope.CellNormal(int32_t(slope.columns * (slope.rows - 1)), acc));
    EXPECT_FALSE(slope.CellNormal(int32_t(slope.vertexCount), acc));
    ExpectVecNear(acc, Vec3(-r, 0, r));  // only the one cell counted
}

TEST(MapGrid, EdgeAndCornerVerticesAverageOnlyTheirOwnCells)
{
    CMap map;
    LoadTestGrid(map, TestMap(2, 2, 2, 3, 100, 0, Bumpy));  // 5 x 5 vertices
    const int32_t c = int32_t(map.columns);
    auto cell = [&](int32_t a) {
        Vec3 n;
        EXPECT_TRUE(map.CellNormal(a, n)) << a;
        return n;
    };
    auto mean = [](std::initializer_list<Vec3> cells) {
        Vec3 sum;
        for (const Vec3& n : cells)
            sum = Vec3(sum.x + n.x, sum.y + n.y, sum.z + n.z);
        float inv = 1.0f / float(cells.size());
        Vec3 m(sum.x * inv, sum.y * inv, sum.z * inv);
        Normalize(m);
        return m;
    };
    struct {
        int32_t v;
        Vec3 want;
    } cases[] = {
        {0, cell(0)},                                          // corner: its one cell, unchanged
        {c - 1, cell(c - 2)},                                  // top-right corner
        {c * c - 1, cell(c * c - c - 2)},                      // far corner
        {2 * c, mean({cell(c), cell(2 * c)})},                 // left edge: no cell of the row before
        {3 * c - 1, mean({cell(2 * c - 2), cell(3 * c - 2)})}, // right edge: no cell of the next row
        {2, mean({cell(1), cell(2)})},                         // top edge
        {2 * c + 2, mean({cell(c + 1), cell(c + 2), cell(2 * c + 1), cell(2 * c + 2)})},
    };
    for (const auto& k : cases) {
        map.VertexNormal(k.v);
        ExpectVecNear(NormalOf(map, uint32_t(k.v)), k.want);
    }
}

// Placement and texture coordinates are checked on the drawn list (WorldTest);
// here that each corner of a later tile carries its own vertex's height and
// normal, x and y relative to the tile's own translation.
TEST(MapGrid, TileFansCarryTheirVertexsHeightAndNormal)
{
    CMap map;
    LoadTestGrid(map, TestMap(2, 2, 4, 10, 50, 0, Bumpy));  // n = 4, d = 10, k = 0.5
    std::vector<TerrainFanVertex> fans;
    map.TileFans(1, 1, fans);
    ASSERT_EQ(fans.size(), 4u * 16);
    for (const TerrainFanVertex& v : fans) {
        uint32_t col = 4 + uint32_t(std::lround(v.position.x / 10.0f));
        uint32_t row = 4 + uint32_t(std::lround(1.0f - v.position.y / 10.0f));
        SCOPED_TRACE(std::to_string(col) + ", " + std::to_string(row));
        EXPECT_FLOAT_EQ(v.position.z, Bumpy(col, row) * 0.5f);
        Vec3 n = NormalOf(map, row * map.columns + col);
        EXPECT_EQ(v.normal.x, n.x);
        EXPECT_EQ(v.normal.y, n.y);
        EXPECT_EQ(v.normal.z, n.z);
    }
}
