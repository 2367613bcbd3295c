// Guards the level of detail: an error below a mesh's distance from the grid, a node coarser than its budget, a region
// drawn twice or not at all, a morph out of budget or jumping, a crack no skirt covers, a height popping in a drive.
#include "tests/support/TestMaps.h"
#include "world/Map.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

namespace {

// Rolling hills with a ridge: smooth enough for coarse meshes, rough enough to need fine ones.
uint8_t HillHeight(uint32_t col, uint32_t row)
{
    const double ridge = std::max(0.0, 60.0 - std::fabs(double(col) - double(row) * 0.7 - 20.0));
    return uint8_t(std::clamp(
        110.0 + 60.0 * std::sin(col / 9.0) * std::cos(row / 13.0) + ridge + (col * 7 + row * 3) % 5, 0.0, 254.0));
}

// The game's projection (90 degrees, 4:3) from eye towards target, z up.
CFrustum LookFrom(const Vec3& eye, const Vec3& target, float farPlane)
{
    const float n = 1.0f, f = farPlane;
    const float projection[16] = {0.75f, 0, 0, 0, 0, 1, 0, 0, 0, 0, (f + n) / (n - f), -1, 0, 0, 2 * f * n / (n - f),
                                  0};
    Vec3 ahead = target - eye, side, up;
    Normalize(ahead);
    side = Cross(ahead, Vec3(0, 0, 1));
    Normalize(side);
    up = Cross(side, ahead);
    const float view[16] = {side.x, up.x, -ahead.x, 0, side.y,          up.y,          -ahead.y,        0,
                            side.z, up.z, -ahead.z, 0, -Dot(side, eye), -Dot(up, eye), Dot(ahead, eye), 1};
    float clip[16];
    MultiplyMatrices(projection, view, clip);
    CFrustum frustum;
    EXPECT_FALSE(frustum.FromClipMatrix(clip));
    return frustum;
}

// What one node draws: its heights at the grid vertices its triangles cover, and the depth of the skirt it hangs on
// each edge (west, east, north, south; 0 for none).
struct Drawn {
    std::map<size_t, float> z;
    float skirt[4] = {};
};

Drawn Surface(const CMap& map, const LodNode& node, const std::vector<LodCover>& cover, uint32_t frame)
{
    CLodMesh mesh;
    mesh.Clear(Vec3(3, -5, 0));
    mesh.AddNode(map, node, cover, frame);
    uint32_t x0, x1, y0, y1;
    map.lod.NodeCells(node.depth, node.index, x0, x1, y0, y1);
    Drawn out;
    for (const std::vector<uint32_t>& list : mesh.indices)
        for (size_t i = 0; i < list.size(); i += 3) {
            Vec3 p[3];
            for (int k = 0; k < 3; ++k) {
                const Vec3 v = mesh.vertices[list[i + k]].position + mesh.origin;
                p[k] = Vec3(std::round(v.x / map.cellSize), std::round(-v.y / map.cellSize), v.z);
            }
            const float area = (p[1].x - p[0].x) * (p[2].y - p[0].y) - (p[2].x - p[0].x) * (p[1].y - p[0].y);
            for (int a = 0; a < 3 && area == 0.0f; ++a)  // a skirt: its drop on the edge it hangs from
                for (int b = 0; b < 3; ++b)
                    if (p[a].x == p[b].x && p[a].y == p[b].y && p[a].z > p[b].z) {
                        const int edge = p[a].x == x0 ? 0 : p[a].x == x1 ? 1 : p[a].y == y0 ? 2 : 3;
                        out.skirt[edge] = std::max(out.skirt[edge], p[a].z - p[b].z);
                    }
            for (int r = int(std::min({p[0].y, p[1].y, p[2].y}));
                 area != 0.0f && r <= std::max({p[0].y, p[1].y, p[2].y}); ++r)
                for (int c = int(std::min({p[0].x, p[1].x, p[2].x})); c <= std::max({p[0].x, p[1].x, p[2].x}); ++c) {
                    float w[3];
                    for (int k = 0; k < 3; ++k) {
                        const Vec3 &a = p[(k + 1) % 3], &b = p[(k + 2) % 3];
                        w[k] = ((b.x - a.x) * (r - a.y) - (c - a.x) * (b.y - a.y)) / area;
                    }
                    if (std::min({w[0], w[1], w[2]}) >= 0.0f)
                        out.z[size_t(r) * map.columns + c] = w[0] * p[0].z + w[1] * p[1].z + w[2] * p[2].z;
                }
        }
    return out;
}

CTerrainLod::Budget Pixels(float pixels) { return {pixels, 8.0f}; }

}  // namespace

TEST(TerrainLod, EachDepthsErrorBoundsItsMeshAgainstTheGrid)
{
    // 130 x 70 cells: the last row and column cut cells short at every depth above 1, and the deepest depths are
    // bounded rather than measured.
    CMap map;
    LoadTestGrid(map, TestMap(13, 7, 10, 10, 150, 0, BumpyHeight));
    const CTerrainLod& lod = map.lod;
    ASSERT_GT(lod.depths.size(), CTerrainLod::EXACT_DEPTHS + 2);
    for (uint32_t d = 1; d < lod.depths.size(); ++d)
        for (uint32_t node = 0; node < lod.depths[d].error.size(); ++node) {
            uint32_t x0, x1, y0, y1;
            lod.NodeCells(d, node, x0, x1, y0, y1);
            float exact = 0, children = 0;
            for (uint32_t r = y0; r <= y1; ++r)
                for (uint32_t c = x0; c <= x1; ++c) {
                    const float h = map.vertices[3 * (size_t(r) * map.columns + c) + 2];
                    exact = std::max(exact, std::fabs(h - lod.CoarseHeight(map, d, c, r)) * map.heightScale);
                    EXPECT_TRUE(h * map.heightScale >= lod.depths[d].zLow[node] &&
                                h * map.heightScale <= lod.depths[d].zHigh[node]);
                }
            for (uint32_t child = 0; child < lod.depths[d - 1].error.size(); ++child) {
                uint32_t cx0, cx1, cy0, cy1;
                lod.NodeCells(d - 1, child, cx0, cx1, cy0, cy1);
                if (cx0 >= x0 && cx1 <= x1 && cy0 >= y0 && cy1 <= y1)
                    children = std::max(children, lod.depths[d - 1].error[child]);
            }
            const float error = lod.depths[d].error[node];
            EXPECT_GE(error, exact - 1e-3f) << "depth " << d << " node " << node << " understates its error";
            if (d <= CTerrainLod::EXACT_DEPTHS) {
                EXPECT_LE(error, std::max(exact, children) + 1e-3f)
                    << "depth " << d << " node " << node << " overstates it";
            }
        }
}

TEST(TerrainLod, SelectionCoversTheViewOnceWithinTheBudget)
{
    CMap map;
    LoadTestGrid(map, TestMap(32, 32, 8, 10, 150, 0, HillHeight));  // 2560 units across
    const Vec3 eye(600, -300, 400);
    const CFrustum frustum = LookFrom(eye, Vec3(1500, -1500, 100), 5000);
    std::vector<LodCover> cover;
    std::map<size_t, uint32_t> coarsest;  // per leaf, the depth drawn at the finest budget so far
    for (float pixels : {0.5f, 2.0f, 8.0f, 32.0f}) {
        std::vector<LodNode> nodes;
        map.lod.Select(frustum, eye, Pixels(pixels), 1, nodes, cover);
        std::vector<int> drawn(cover.size(), 0);
        std::set<uint32_t> depths;
        for (const LodNode& node : nodes) {
            Vec3 lo, hi;
            map.lod.NodeBox(node.depth, node.index, lo, hi);
            const float allowed = Pixels(pixels).Allowed(BoxDistance(eye, lo, hi));
            EXPECT_TRUE(node.depth == 0 || map.lod.depths[node.depth].error[node.index] <= allowed)
                << pixels << " px, depth " << node.depth;
            EXPECT_LE(node.bound, std::max(allowed, map.lod.depths[node.depth].error[node.index]) + 1e-4f);
            depths.insert(node.depth);
            uint32_t x0, x1, y0, y1;
            map.lod.NodeCells(node.depth, node.index, x0, x1, y0, y1);
            const uint32_t L = CTerrainLod::LEAF_CELLS, across = map.lod.depths[0].across;
            for (uint32_t y = y0 / L; y * L < y1; ++y)
                for (uint32_t x = x0 / L; x * L < x1; ++x) {
                    const size_t leaf = size_t(y) * across + x;
                    drawn[leaf] += 1;
                    // A larger budget never draws a leaf's region finer.
                    EXPECT_GE(node.depth, coarsest.count(leaf) ? coarsest[leaf] : 0u) << pixels << " px, leaf " << leaf;
                    coarsest[leaf] = node.depth;
                }
        }
        for (size_t leaf = 0; leaf < drawn.size(); ++leaf) {
            Vec3 lo, hi;
            map.lod.NodeBox(0, uint32_t(leaf), lo, hi);
            EXPECT_EQ(drawn[leaf], frustum.BoxOutside(lo, hi, -map.cellSize) ? drawn[leaf] : 1)
                << pixels << " px, leaf " << leaf;
            EXPECT_LE(drawn[leaf], 1) << "leaf " << leaf << " drawn twice";
        }
        EXPECT_GE(depths.size(), pixels < 1 ? 1u : 3u) << pixels << " px: too few depths to tell anything";
    }
}

TEST(TerrainLod, MorphMovesWithinTheBudgetFromOwnToParentHeights)
{
    // Own error 1, parent's 10: still at 7 (the band's start), half-way at 8.5, the parent's at 10 and beyond.
    EXPECT_EQ(CTerrainLod::Morph(1, 10, 6.9f), 0.0f);
    EXPECT_NEAR(CTerrainLod::Morph(1, 10, 8.5f), 0.5f, 1e-6f);
    EXPECT_EQ(CTerrainLod::Morph(1, 10, 10.0f), 1.0f);
    EXPECT_EQ(CTerrainLod::Morph(9, 10, 9.0f), 0.0f);  // a band shorter than its share: from own error on
    EXPECT_EQ(CTerrainLod::Morph(0, 0, 0.0f), 1.0f);
    for (float own : {0.0f, 1.0f, 8.0f})
        for (float allowed = own; allowed <= 12.0f; allowed += 0.25f) {
            const float m = CTerrainLod::Morph(own, 10, allowed);
            EXPECT_LE((1 - m) * own + m * 10, allowed + 1e-5f) << own << ", " << allowed;
            EXPECT_NEAR(m, CTerrainLod::Morph(own, 10, allowed + 0.01f), 0.02f) << "a jump at " << allowed;
        }
}

TEST(TerrainLod, ADriveNeitherCracksNorPops)
{
    CMap map;
    LoadTestGrid(map, TestMap(32, 32, 8, 10, 150, 0, HillHeight));  // 2560 units across
    const float pixels = 3, step = 3;                               // units the eye moves a frame
    std::vector<float> last;
    std::set<std::pair<uint32_t, uint32_t>> pairs;  // depths that met across an edge
    float worst = 0;
    for (uint32_t frame = 1; frame <= 150; ++frame) {
        const Vec3 eye(400 + step * frame * 0.6f, -400 - step * frame * 0.8f, 300);
        std::vector<LodNode> nodes;
        std::vector<LodCover> cover;
        map.lod.Select(LookFrom(eye, eye + Vec3(500, -500, -150), 4000), eye, Pixels(pixels), frame, nodes, cover);
        std::vector<Drawn> drawn;
        for (const LodNode& node : nodes)
            drawn.push_back(Surface(map, node, cover, frame));
        // Where two nodes meet their edges are one, or both hang skirts deeper than the gap between them.
        for (size_t a = 0; a < nodes.size() && frame % 15 == 0; ++a)
            for (size_t b = 0; b < nodes.size(); ++b) {
                uint32_t ax0, ax1, ay0, ay1, bx0, bx1, by0, by1;
                map.lod.NodeCells(nodes[a].depth, nodes[a].index, ax0, ax1, ay0, ay1);
                map.lod.NodeCells(nodes[b].depth, nodes[b].index, bx0, bx1, by0, by1);
                // b across a's west or north edge (the other two are b's view of a).
                const int edge = ax0 == bx1 && ay0 < by1 && by0 < ay1   ? 0
                                 : ay0 == by1 && ax0 < bx1 && bx0 < ax1 ? 2
                                                                        : -1;
                for (const auto& [v, za] : drawn[a].z) {
                    const auto other = drawn[b].z.find(v);
                    if (edge < 0 || other == drawn[b].z.end())
                        continue;
                    pairs.insert(std::minmax(nodes[a].depth, nodes[b].depth));
                    const float gap = std::fabs(za - other->second);
                    if (nodes[a].depth == nodes[b].depth && nodes[a].morph == nodes[b].morph) {
                        EXPECT_EQ(gap, 0.0f) << "same depth and morph, vertex " << v;
                    } else {
                        EXPECT_GE(drawn[a].skirt[edge], gap) << "depths " << nodes[a].depth << "/" << nodes[b].depth;
                        EXPECT_GE(drawn[b].skirt[edge + 1], gap)
                            << "depths " << nodes[b].depth << "/" << nodes[a].depth;
                    }
                }
            }
        // Each vertex as the node it belongs to draws it (its west and north edges are its own, east and south its
        // neighbours'), so heights on edges between nodes of different morphs are not compared across them.
        std::vector<float> now(size_t(map.columns) * map.rows, NAN);
        for (size_t a = 0; a < nodes.size(); ++a) {
            uint32_t x0, x1, y0, y1;
            map.lod.NodeCells(nodes[a].depth, nodes[a].index, x0, x1, y0, y1);
            for (const auto& [v, z] : drawn[a].z)
                if ((v % map.columns < x1 || v % map.columns == map.columns - 1) &&
                    (v / map.columns < y1 || v / map.columns == map.rows - 1))
                    now[v] = z;
        }
        for (size_t v = 0; v < last.size(); ++v)
            if (!std::isnan(now[v]) && !std::isnan(last[v]))
                worst = std::max(worst, std::fabs(now[v] - last[v]));
        last = now;
    }
    // The allowance grows by pixels * step / 300 a frame, and a morph covers at least the last 30 % of a parent's
    // error with it: a vertex moves by at most pixels * step / 90 a frame, where a pop would move it by a whole level's
    // error.
    EXPECT_LE(worst, 2 * pixels * step / 90) << "a height popped";
    EXPECT_GT(worst, 0.0f) << "nothing morphed: the drive tells nothing";
    EXPECT_GE(pairs.size(), 5u) << "too few pairs of depths met to tell anything";
}
