#include "world/TerrainLod.h"

#include "world/Map.h"

#include <algorithm>
#include <cmath>

float BoxDistance(const Vec3& p, const Vec3& lo, const Vec3& hi)
{
    float dx = std::max({lo.x - p.x, 0.0f, p.x - hi.x});
    float dy = std::max({lo.y - p.y, 0.0f, p.y - hi.y});
    float dz = std::max({lo.z - p.z, 0.0f, p.z - hi.z});
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

void CTerrainLod::Build(const CMap& map, const std::vector<uint8_t>& heights)
{
    depths.clear();
    cellsAcross = map.columns > 1 ? map.columns - 1 : 0;
    cellsDown = map.rows > 1 ? map.rows - 1 : 0;
    columns = map.columns;
    cellSize = map.cellSize;
    heightScale = map.heightScale;
    tileSize = float(map.subdivisions) * map.cellSize;
    if (cellsAcross == 0 || cellsDown == 0)
        return;
    BuildLeaves(heights.data());
    std::vector<float> cellError;  // per cell of the depth being built, in height steps
    while (depths.back().across > 1 || depths.back().down > 1)
        BuildDepth(map, heights.data(), uint32_t(depths.size()), cellError);
}

void CTerrainLod::BuildLeaves(const uint8_t* heights)
{
    Depth& leaves = depths.emplace_back();
    leaves.across = (cellsAcross + LEAF_CELLS - 1) / LEAF_CELLS;
    leaves.down = (cellsDown + LEAF_CELLS - 1) / LEAF_CELLS;
    leaves.cellsAcross = cellsAcross;
    leaves.cellsDown = cellsDown;
    const size_t count = size_t(leaves.across) * leaves.down;
    leaves.error.assign(count, 0.0f);
    leaves.mixed.assign(count, 0);
    leaves.zLow.assign(count, 0.0f);
    leaves.zHigh.assign(count, 0.0f);
    for (uint32_t index = 0; index < count; ++index) {
        uint32_t x0, x1, y0, y1;
        NodeCells(0, uint32_t(index), x0, x1, y0, y1);
        uint8_t lo = 255, hi = 0;
        for (uint32_t row = y0; row <= y1; ++row) {
            const uint8_t* line = heights + size_t(row) * columns;
            for (uint32_t col = x0; col <= x1; ++col) {
                lo = std::min(lo, line[col]);
                hi = std::max(hi, line[col]);
            }
        }
        leaves.zLow[index] = float(lo) * heightScale;
        leaves.zHigh[index] = float(hi) * heightScale;
    }
}

void CTerrainLod::BuildDepth(const CMap& map, const uint8_t* heights, uint32_t d, std::vector<float>& cellError)
{
    Depth& cur = depths.emplace_back();
    const Depth& sub = depths[d - 1];
    const uint32_t step = 1u << d;
    cur.across = (sub.across + 1) / 2;
    cur.down = (sub.down + 1) / 2;
    cur.cellsAcross = (cellsAcross + step - 1) / step;
    cur.cellsDown = (cellsDown + step - 1) / step;
    BuildTextures(map, d);
    CellErrors(heights, d, cellError);

    const size_t count = size_t(cur.across) * cur.down;
    cur.error.assign(count, 0.0f);
    cur.mixed.assign(count, 0);
    cur.zLow.assign(count, INFINITY);
    cur.zHigh.assign(count, -INFINITY);
    for (uint32_t j = 0; j < cur.down; ++j)
        for (uint32_t i = 0; i < cur.across; ++i) {
            const uint32_t index = j * cur.across + i;
            uint32_t x0, x1, y0, y1;
            NodeCells(d, index, x0, x1, y0, y1);
            float worst = 0.0f;
            for (uint32_t cy = y0 / step; cy * step < y1; ++cy)
                for (uint32_t cx = x0 / step; cx * step < x1; ++cx) {
                    const size_t cell = size_t(cy) * cur.cellsAcross + cx;
                    worst = std::max(worst, cellError[cell]);
                    cur.mixed[index] |= cur.texture[cell] == MIXED;
                }
            // Never below a child's: a coarser mesh is never drawn where a
            // finer one would not do.
            cur.error[index] = worst * heightScale;
            for (uint32_t q = 0; q < 4; ++q) {
                uint32_t ci = 2 * i + (q & 1), cj = 2 * j + (q >> 1);
                if (ci >= sub.across || cj >= sub.down)
                    continue;
                size_t child = size_t(cj) * sub.across + ci;
                cur.error[index] = std::max(cur.error[index], sub.error[child]);
                cur.zLow[index] = std::min(cur.zLow[index], sub.zLow[child]);
                cur.zHigh[index] = std::max(cur.zHigh[index], sub.zHigh[child]);
            }
        }
}

void CTerrainLod::BuildTextures(const CMap& map, uint32_t d)
{
    // A cell's texture is its quarters' when they agree.
    Depth& cur = depths[d];
    const Depth& sub = depths[d - 1];
    std::vector<uint32_t> tileOf;  // at depth 1: each grid column's tile column, then each row's first tile
    if (d == 1) {
        tileOf.resize(size_t(cellsAcross) + cellsDown);
        for (uint32_t c = 0; c < cellsAcross; ++c)
            tileOf[c] = c / map.subdivisions;
        for (uint32_t r = 0; r < cellsDown; ++r)
            tileOf[cellsAcross + r] = r / map.subdivisions * map.width;
    }
    auto below = [&](uint32_t x, uint32_t y) -> uint16_t {
        if (d == 1)
            return map.tileMap[tileOf[cellsAcross + y] + tileOf[x]];
        return sub.texture[size_t(y) * sub.cellsAcross + x];
    };
    cur.texture.assign(size_t(cur.cellsAcross) * cur.cellsDown, 0);
    for (uint32_t cy = 0; cy < cur.cellsDown; ++cy)
        for (uint32_t cx = 0; cx < cur.cellsAcross; ++cx) {
            uint16_t entry = below(2 * cx, 2 * cy);
            for (uint32_t q = 1; q < 4; ++q) {
                uint32_t sx = 2 * cx + (q & 1), sy = 2 * cy + (q >> 1);
                if (sx < sub.cellsAcross && sy < sub.cellsDown && below(sx, sy) != entry)
                    entry = MIXED;
            }
            cur.texture[size_t(cy) * cur.cellsAcross + cx] = entry;
        }
}

void CTerrainLod::CellErrors(const uint8_t* heights, uint32_t d, std::vector<float>& cellError) const
{
    const Depth& cur = depths[d];
    const uint32_t step = 1u << d, half = step / 2;
    std::vector<float> below;  // the depth below's, which bound the deep depths'
    below.swap(cellError);
    cellError.assign(size_t(cur.cellsAcross) * cur.cellsDown, 0.0f);
    auto h = [&](uint32_t c, uint32_t r) { return float(heights[size_t(r) * columns + c]); };
    const uint32_t fullAcross = cellsAcross / step, fullDown = cellsDown / step;
    const bool exact = d <= EXACT_DEPTHS;
    if (d == 1 || !exact) {
        // Whole cells by their corners and the middles of their edges and
        // of their diagonal. At depth 1 those are all the samples. Deeper,
        // the finer mesh's triangles lie inside this one's, so their
        // difference peaks at those points, and added to the finer cells'
        // errors it bounds this cell's.
        for (uint32_t cy = 0; cy < fullDown; ++cy)
            for (uint32_t cx = 0; cx < fullAcross; ++cx) {
                const uint32_t c0 = cx * step, r0 = cy * step, c1 = c0 + step, r1 = r0 + step;
                const uint32_t cm = c0 + half, rm = r0 + half;
                const float tl = h(c0, r0), tr = h(c1, r0), bl = h(c0, r1), br = h(c1, r1);
                const float top = std::fabs(h(cm, r0) - 0.5f * (tl + tr)),
                            bottom = std::fabs(h(cm, r1) - 0.5f * (bl + br));
                const float left = std::fabs(h(c0, rm) - 0.5f * (tl + bl)),
                            right = std::fabs(h(c1, rm) - 0.5f * (tr + br));
                const float centre = std::fabs(h(cm, rm) - 0.5f * (tl + br));
                const float quarter[4] = {std::max({top, left, centre}), std::max({top, right, centre}),
                                          std::max({left, bottom, centre}), std::max({right, bottom, centre})};
                float worst = 0.0f;
                for (uint32_t q = 0; q < 4; ++q) {
                    const size_t sub = size_t(2 * cy + (q >> 1)) * depths[d - 1].cellsAcross + 2 * cx + (q & 1);
                    worst = std::max(worst, (d == 1 ? 0.0f : below[sub]) + quarter[q]);
                }
                cellError[size_t(cy) * cur.cellsAcross + cx] = worst;
            }
    }
    // Otherwise, and for cells cut short by the grid's last row or column:
    // row by row of the grid inside each band of cells, where each cell's
    // two triangles are two straight lines, from its left edge to where the
    // row crosses its diagonal and on to its right edge.
    std::vector<float> mesh(size_t(cellsAcross) + 1), deviation(size_t(cellsAcross) + 1);
    for (uint32_t cy = 0; cy < cur.cellsDown; ++cy) {
        const uint32_t r0 = cy * step, r1 = std::min(r0 + step, cellsDown);
        const uint32_t first = d == 1 || !exact ? (cy < fullDown ? fullAcross : 0) : 0;  // the cells to measure here
        if (first >= cur.cellsAcross)
            continue;
        const uint8_t* top = heights + size_t(r0) * columns;
        const uint8_t* bottom = heights + size_t(r1) * columns;
        float* worst = &cellError[size_t(cy) * cur.cellsAcross];
        for (uint32_t r = r0; r <= r1; ++r) {
            const float v = float(r - r0) / float(r1 - r0);
            for (uint32_t c0 = first * step; c0 < cellsAcross; c0 += step) {
                const uint32_t w = std::min(step, cellsAcross - c0), split = std::min(w, uint32_t(v * float(w)));
                const float left = top[c0] + (bottom[c0] - top[c0]) * v;
                const float diagonal = top[c0] + (bottom[c0 + w] - top[c0]) * v;
                const float right = top[c0 + w] + (bottom[c0 + w] - top[c0 + w]) * v;
                const float lowSlope = split > 0 ? (diagonal - left) / (v * float(w)) : 0.0f;
                const float highSlope = split < w ? (right - diagonal) / ((1.0f - v) * float(w)) : 0.0f;
                float* out = &mesh[c0];
                for (uint32_t u = 0; u <= split; ++u)
                    out[u] = left + lowSlope * float(u);
                for (uint32_t u = split + 1; u <= w; ++u)
                    out[u] = right - highSlope * float(w - u);
            }
            const uint8_t* line = heights + size_t(r) * columns;
            for (uint32_t c = first * step; c <= cellsAcross; ++c)
                deviation[c] = std::fabs(float(line[c]) - mesh[c]);
            for (uint32_t cx = first; cx < cur.cellsAcross; ++cx) {
                const uint32_t c0 = cx * step, c1 = std::min(c0 + step, cellsAcross);
                float m = worst[cx];
                for (uint32_t c = c0; c <= c1; ++c)
                    m = std::max(m, deviation[c]);
                worst[cx] = m;
            }
        }
    }
}

void CTerrainLod::Corners(uint32_t d, uint32_t col, uint32_t row, CoarseCorners& out) const
{
    const uint32_t step = 1u << d;
    const bool onCol = OnDepth(col, d, cellsAcross), onRow = OnDepth(row, d, cellsDown);
    const uint32_t c0 = col & ~(step - 1), c1 = std::min(c0 + step, cellsAcross);
    const uint32_t r0 = row & ~(step - 1), r1 = std::min(r0 + step, cellsDown);
    auto vertex = [this](uint32_t c, uint32_t r) { return r * columns + c; };
    auto set = [&out](uint32_t i, uint32_t v, float w) {
        out.vertex[i] = v;
        out.weight[i] = w;
    };
    if (onCol && onRow) {
        out.count = 1;
        set(0, vertex(col, row), 1.0f);
        return;
    }
    const float u = onCol ? 0.0f : float(col - c0) / float(c1 - c0);
    const float v = onRow ? 0.0f : float(row - r0) / float(r1 - r0);
    if (onCol || onRow) {
        // On an edge of the coarse mesh: between that edge's two ends.
        out.count = 2;
        set(0, vertex(onCol ? col : c0, onRow ? row : r0), 1.0f - u - v);
        set(1, vertex(onCol ? col : c1, onRow ? row : r1), u + v);
        return;
    }
    // Inside a coarse cell, split like every cell from top-left to
    // bottom-right: (top-left, bottom-left, bottom-right) below the
    // diagonal, (top-left, bottom-right, top-right) above it.
    out.count = 3;
    set(0, vertex(c0, r0), 1.0f - std::max(u, v));
    set(1, vertex(c1, r1), std::min(u, v));
    if (v >= u)
        set(2, vertex(c0, r1), v - u);
    else
        set(2, vertex(c1, r0), u - v);
}

float CTerrainLod::CoarseHeight(const CMap& map, uint32_t d, uint32_t col, uint32_t row) const
{
    CoarseCorners corners;
    Corners(d, col, row, corners);
    float z = 0.0f;
    for (uint32_t i = 0; i < corners.count; ++i)
        z += corners.weight[i] * map.vertices[3 * size_t(corners.vertex[i]) + 2];
    return z;
}

uint16_t CTerrainLod::CellTexture(const CMap& map, uint32_t d, uint32_t col, uint32_t row) const
{
    if (d == 0)
        return map.tileMap[size_t(row / map.subdivisions) * map.width + col / map.subdivisions];
    const Depth& depth = depths[d];
    return depth.texture[size_t(row) * depth.cellsAcross + col];
}

void CTerrainLod::NodeCells(uint32_t d, uint32_t index, uint32_t& x0, uint32_t& x1, uint32_t& y0, uint32_t& y1) const
{
    const uint32_t side = LEAF_CELLS << d, across = depths[d].across;
    x0 = index % across * side;
    y0 = index / across * side;
    x1 = std::min(x0 + side, cellsAcross);
    y1 = std::min(y0 + side, cellsDown);
}

void CTerrainLod::NodeBox(uint32_t d, uint32_t index, Vec3& lo, Vec3& hi) const
{
    uint32_t x0, x1, y0, y1;
    NodeCells(d, index, x0, x1, y0, y1);
    lo = Vec3(float(x0) * cellSize, -float(y1) * cellSize, depths[d].zLow[index]);
    hi = Vec3(float(x1) * cellSize, -float(y0) * cellSize, depths[d].zHigh[index]);
}

float CTerrainLod::Budget::Clear(float distance) const
{
    if (hazeEnd <= hazeStart)
        return 1.0f;
    constexpr float LEAST = 1.0f / 16.0f;
    return std::clamp((hazeEnd - distance) / (hazeEnd - hazeStart), LEAST, 1.0f);
}

float CTerrainLod::Morph(float error, float parentError, float allowed)
{
    // The parent's mesh will do once `allowed` reaches its error. Moving
    // linearly in the allowance from `start`, where this node's own error
    // alone meets it, the blend of the two meshes stays within it too.
    const float start = std::max(error, (1.0f - MORPH_BAND) * parentError);
    if (allowed >= parentError)
        return 1.0f;
    if (allowed <= start)
        return 0.0f;
    return (allowed - start) / (parentError - start);
}

void CTerrainLod::Select(const CFrustum& frustum, const Vec3& eye, const Budget& budget, uint32_t frame,
                         std::vector<LodNode>& out, std::vector<LodCover>& cover) const
{
    out.clear();
    if (depths.empty())
        return;
    cover.resize(size_t(depths[0].across) * depths[0].down);
    Visit(frustum, eye, budget, uint32_t(depths.size() - 1), 0, frame, out, cover);
}

void CTerrainLod::Visit(const CFrustum& frustum, const Vec3& eye, const Budget& budget, uint32_t d, uint32_t index,
                        uint32_t frame, std::vector<LodNode>& out, std::vector<LodCover>& cover) const
{
    Vec3 lo, hi;
    NodeBox(d, index, lo, hi);
    const Depth& depth = depths[d];
    const float allowed = budget.Allowed(BoxDistance(eye, lo, hi));
    const bool whole = d == 0 || Effective(d, index, budget) <= allowed;
    const LodNode node = Drawn(d, index, allowed, budget);
    // Rounding in the planes must never lose a node: a cell's width of slack.
    if (frustum.BoxOutside(lo, hi, cellSize)) {
        Mark(d, index, {frame, whole ? d : d - 1, node.morph, node.bound, false}, cover);
        return;
    }
    if (whole) {
        out.push_back(node);
        Mark(d, index, {frame, d, node.morph, node.bound, true}, cover);
        return;
    }
    const Depth& sub = depths[d - 1];
    const uint32_t i = index % depth.across, j = index / depth.across;
    std::pair<float, uint32_t> children[4];
    uint32_t count = 0;
    for (uint32_t q = 0; q < 4; ++q) {
        uint32_t ci = 2 * i + (q & 1), cj = 2 * j + (q >> 1);
        if (ci >= sub.across || cj >= sub.down)
            continue;
        uint32_t child = cj * sub.across + ci;
        NodeBox(d - 1, child, lo, hi);
        // Nearest first, by insertion.
        const std::pair<float, uint32_t> entry{BoxDistance(eye, lo, hi), child};
        uint32_t k = count++;
        for (; k > 0 && entry < children[k - 1]; --k)
            children[k] = children[k - 1];
        children[k] = entry;
    }
    for (uint32_t k = 0; k < count; ++k)
        Visit(frustum, eye, budget, d - 1, children[k].second, frame, out, cover);
}

float CTerrainLod::Effective(uint32_t d, uint32_t index, const Budget& budget) const
{
    // A node whose cells span tiles of different textures will do no nearer
    // than where tiles look small enough, whatever its heights: as if its
    // error were the one allowed there.
    const Depth& depth = depths[d];
    if (!depth.mixed[index])
        return depth.error[index];
    return std::max(depth.error[index], budget.Allowed(FOCAL_PIXELS * tileSize / budget.mixedTilePixels));
}

LodNode CTerrainLod::Drawn(uint32_t d, uint32_t index, float allowed, const Budget& budget) const
{
    const Depth& depth = depths[d];
    LodNode node{d, index, 0.0f, depth.error[index]};
    if (d + 1 < depths.size()) {
        const Depth& up = depths[d + 1];
        const uint32_t parent = index / depth.across / 2 * up.across + index % depth.across / 2;
        node.morph = Morph(Effective(d, index, budget), Effective(d + 1, parent, budget), allowed);
        node.bound = (1.0f - node.morph) * depth.error[index] + node.morph * up.error[parent];
    }
    return node;
}

void CTerrainLod::Mark(uint32_t d, uint32_t index, const LodCover& what, std::vector<LodCover>& cover) const
{
    const Depth& depth = depths[d];
    const uint32_t leavesAcross = depths[0].across, leavesDown = depths[0].down;
    const uint32_t x0 = index % depth.across << d, y0 = index / depth.across << d;
    const uint32_t x1 = std::min(x0 + (1u << d), leavesAcross) - 1, y1 = std::min(y0 + (1u << d), leavesDown) - 1;
    for (uint32_t y = y0; y <= y1; ++y) {
        const bool rim = y == y0 || y == y1;
        for (uint32_t x = x0; x <= x1; x = rim || x == x1 ? x + 1 : x1)
            cover[size_t(y) * leavesAcross + x] = what;
    }
}

float CTerrainLod::NearestGround(const CMap& map, const Vec3& eye, float limit) const
{
    if (depths.empty())
        return limit;
    float best = limit;
    // Nodes nearer than the best so far, down to the cells of their leaves.
    std::vector<std::pair<uint32_t, uint32_t>> pending{{uint32_t(depths.size() - 1), 0u}};
    while (!pending.empty()) {
        auto [d, index] = pending.back();
        pending.pop_back();
        Vec3 lo, hi;
        NodeBox(d, index, lo, hi);
        if (BoxDistance(eye, lo, hi) >= best)
            continue;
        uint32_t x0, x1, y0, y1;
        NodeCells(d, index, x0, x1, y0, y1);
        if (d > 0) {
            const Depth& sub = depths[d - 1];
            for (uint32_t q = 0; q < 4; ++q) {
                uint32_t ci = 2 * (index % depths[d].across) + (q & 1), cj = 2 * (index / depths[d].across) + (q >> 1);
                if (ci < sub.across && cj < sub.down)
                    pending.push_back({d - 1, cj * sub.across + ci});
            }
            continue;
        }
        auto z = [&](uint32_t c, uint32_t r) { return map.vertices[3 * (size_t(r) * columns + c) + 2] * heightScale; };
        for (uint32_t row = y0; row < y1; ++row)
            for (uint32_t col = x0; col < x1; ++col) {
                const float a = z(col, row), b = z(col + 1, row), c = z(col, row + 1), e = z(col + 1, row + 1);
                const Vec3 cellLo(float(col) * cellSize, -float(row + 1) * cellSize, std::min({a, b, c, e}));
                const Vec3 cellHi(float(col + 1) * cellSize, -float(row) * cellSize, std::max({a, b, c, e}));
                best = std::min(best, BoxDistance(eye, cellLo, cellHi));
            }
    }
    return best;
}
