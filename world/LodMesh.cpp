#include "world/LodMesh.h"

#include "world/Map.h"

#include <algorithm>

// What every vertex of one node shares.
struct CLodMesh::Place {
    const CMap& map;
    const CTerrainLod& lod;
    uint32_t depth;
    bool morphs;  // false for the root, which has no coarser mesh
    uint32_t x0, x1, y0, y1;
    float morph;
    Edge west, east, north, south;
    int64_t anchorX, anchorY;  // the tile texture coordinates count from
};

void CLodMesh::Clear(const Vec3& at)
{
    origin = at;
    skirtTriangles = 0;
    vertices.clear();
    for (std::vector<uint32_t>& list : indices)
        list.clear();
}

size_t CLodMesh::TriangleCount() const
{
    size_t count = 0;
    for (const std::vector<uint32_t>& list : indices)
        count += list.size() / 3;
    return count;
}

TerrainVertex CLodMesh::Vertex(const Place& p, uint32_t col, uint32_t row, uint32_t bandTop, uint16_t entry) const
{
    const CMap& map = p.map;
    const CTerrainLod& lod = p.lod;
    const size_t index = size_t(row) * map.columns + col;
    float h = map.vertices[3 * index + 2];
    Vec3 normal = map.Normal(index);
    const float n = float(map.subdivisions);
    TerrainVertex v;
    if (entry == CTerrainLod::MIXED) {
        v.s = float(col) * map.overview.ScaleS();
        v.t = float(row) * map.overview.ScaleT();
    } else {
        // Counted from the anchor tile: whole turns of the texture from the
        // full grid's, the same texels, and continuous over cells that span
        // tiles. s runs from the tile's left edge less 2; the full grid's t
        // restarts at each row's top and falls by 1/n to the next, so a
        // coarser cell runs t up by 1/n a row instead, over the same band
        // of the texture each row shows.
        const int64_t ax = p.anchorX * map.subdivisions, ay = p.anchorY * map.subdivisions;
        v.s = float(int64_t(col) - 2 - ax) / n;
        v.t = p.depth == 0 ? float(2 * (int64_t(bandTop) - ay) - (int64_t(row) - ay)) / n
                           : float(int64_t(row) - 1 - ay) / n;
    }
    const float m = col == p.x0   ? p.west.morph
                    : col == p.x1 ? p.east.morph
                    : row == p.y0 ? p.north.morph
                    : row == p.y1 ? p.south.morph
                                  : p.morph;
    if (p.morphs && m > 0.0f) {
        const uint32_t up = p.depth + 1;
        if (!CTerrainLod::OnDepth(col, up, lod.cellsAcross) || !CTerrainLod::OnDepth(row, up, lod.cellsDown)) {
            CoarseCorners corners;
            lod.Corners(up, col, row, corners);
            float coarse = 0.0f;
            Vec3 coarseNormal;
            for (uint32_t i = 0; i < corners.count; ++i) {
                const size_t c = corners.vertex[i];
                const float w = corners.weight[i];
                coarse += w * map.vertices[3 * c + 2];
                coarseNormal += map.Normal(c) * w;
            }
            // Normals blend unnormalised: lighting is linear in them, so the
            // blended vertex is lit as the coarse triangle would be.
            h += m * (coarse - h);
            normal += (coarseNormal - normal) * m;
        }
        if (p.depth == 0 && entry != CTerrainLod::MIXED)
            v.t += m * (float(int64_t(row) - 1 - p.anchorY * map.subdivisions) / n - v.t);
    }
    v.normal = normal;
    v.position = Vec3(float(col) * map.cellSize - origin.x, -float(row) * map.cellSize - origin.y,
                      h * map.heightScale - origin.z);
    return v;
}

void CLodMesh::Skirt(const TerrainVertex& a, const TerrainVertex& b, float depth, const Vec3& outward, uint16_t entry)
{
    TerrainVertex a2 = a, b2 = b;
    a2.position.z -= depth;
    b2.position.z -= depth;
    const uint32_t base = uint32_t(vertices.size());
    vertices.insert(vertices.end(), {a, b, a2, b2});
    // Facing out of the node: a crack is seen from the neighbour's side.
    const bool ccw = Dot(Cross(a2.position - a.position, b.position - a.position), outward) >= 0.0f;
    const uint32_t order[2][6] = {{0, 1, 2, 1, 3, 2}, {0, 2, 1, 1, 2, 3}};
    std::vector<uint32_t>& list = indices[entry == CTerrainLod::MIXED ? OVERVIEW : entry];
    for (uint32_t k : order[ccw])
        list.push_back(base + k);
    skirtTriangles += 2;
}

void CLodMesh::AddNode(const CMap& map, const LodNode& node, const std::vector<LodCover>& cover, uint32_t frame)
{
    const CTerrainLod& lod = map.lod;
    const uint32_t d = node.depth, step = 1u << d;
    Place p{map, lod, d, d + 1 < lod.depths.size(), 0, 0, 0, 0, node.morph, {}, {}, {}, {}, 0, 0};
    lod.NodeCells(d, node.index, p.x0, p.x1, p.y0, p.y1);
    const uint32_t parentSide = CTerrainLod::LEAF_CELLS << (d + 1);
    p.anchorX = p.x0 / parentSide * parentSide / map.subdivisions;
    p.anchorY = p.y0 / parentSide * parentSide / map.subdivisions;

    // Each edge from the leaves just outside it.
    const uint32_t leavesAcross = lod.depths[0].across, L = CTerrainLod::LEAF_CELLS;
    // Each node's vertices move by its own morph, so it always looks as its
    // parent or children will when they take its place; but on an edge
    // with a sibling of the same depth both take the smaller morph, and
    // none while the sibling is split: none when either splits, whole when
    // they merge into their parent. Elsewhere an edge meets its neighbour's
    // exactly only at the same depth and morph.
    const uint32_t i = node.index % lod.depths[d].across, j = node.index / lod.depths[d].across;
    auto edge = [&](bool exists, bool sibling, uint32_t lx0, uint32_t lx1, uint32_t ly0, uint32_t ly1) {
        Edge e{node.morph, 0.0f};
        float neighbourBound = -1.0f;
        for (uint32_t ly = ly0; exists && ly <= ly1; ++ly)
            for (uint32_t lx = lx0; lx <= lx1; ++lx) {
                const LodCover& c = cover[size_t(ly) * leavesAcross + lx];
                if (c.frame != frame)
                    continue;
                if (sibling)
                    e.morph = c.depth == d ? std::min(node.morph, c.morph) : c.depth < d ? 0.0f : e.morph;
                if (c.drawn && (c.depth != d || (!sibling && c.morph != node.morph)))
                    neighbourBound = std::max(neighbourBound, c.bound);
            }
        // Deep enough for both sides' errors, and a step more for the
        // slivers where a finer edge's vertex meets a coarser edge.
        if (neighbourBound >= 0.0f)
            e.skirt = node.bound + neighbourBound + map.heightScale;
        return e;
    };
    const uint32_t lx0 = p.x0 / L, lx1 = (p.x1 - 1) / L, ly0 = p.y0 / L, ly1 = (p.y1 - 1) / L;
    p.west = edge(p.x0 > 0, i % 2 == 1, lx0 - 1, lx0 - 1, ly0, ly1);
    p.east = edge(p.x1 < lod.cellsAcross, i % 2 == 0, lx1 + 1, lx1 + 1, ly0, ly1);
    p.north = edge(p.y0 > 0, j % 2 == 1, lx0, lx1, ly0 - 1, ly0 - 1);
    p.south = edge(p.y1 < lod.cellsDown, j % 2 == 0, lx0, lx1, ly1 + 1, ly1 + 1);
    const float west = p.west.skirt, east = p.east.skirt, north = p.north.skirt, south = p.south.skirt;

    auto entryOf = [&](uint32_t col, uint32_t bandTop) { return lod.CellTexture(map, d, col >> d, bandTop >> d); };
    for (uint32_t top = p.y0; top < p.y1; top += step) {
        const uint32_t bottom = std::min(top + step, p.y1);
        // Runs of cells with one texture share their vertices.
        for (uint32_t col = p.x0; col < p.x1;) {
            const uint16_t entry = entryOf(col, top);
            uint32_t end = std::min(col + step, p.x1);
            while (end < p.x1 && entryOf(end, top) == entry)
                end = std::min(end + step, p.x1);
            const uint32_t base = uint32_t(vertices.size());
            uint32_t across = 0;
            for (uint32_t row : {top, bottom}) {
                across = 0;
                for (uint32_t c = col;; c = std::min(c + step, end)) {
                    vertices.push_back(Vertex(p, c, row, top, entry));
                    ++across;
                    if (c == end)
                        break;
                }
            }
            std::vector<uint32_t>& list = indices[entry == CTerrainLod::MIXED ? OVERVIEW : entry];
            for (uint32_t k = 0; k + 1 < across; ++k) {
                const uint32_t topLeft = base + k, bottomLeft = base + across + k;
                for (uint32_t corner : {topLeft, bottomLeft, bottomLeft + 1, topLeft, bottomLeft + 1, topLeft + 1})
                    list.push_back(corner);
            }
            col = end;
        }
    }

    // Skirts along the edges that meet another depth.
    for (uint32_t top = p.y0; top < p.y1; top += step) {
        const uint32_t bottom = std::min(top + step, p.y1);
        if (west > 0.0f) {
            const uint16_t entry = entryOf(p.x0, top);
            Skirt(Vertex(p, p.x0, top, top, entry), Vertex(p, p.x0, bottom, top, entry), west, Vec3(-1, 0, 0), entry);
        }
        if (east > 0.0f) {
            const uint16_t entry = entryOf(p.x1 - 1, top);
            Skirt(Vertex(p, p.x1, top, top, entry), Vertex(p, p.x1, bottom, top, entry), east, Vec3(1, 0, 0), entry);
        }
    }
    const uint32_t lastTop = p.y0 + (p.y1 - 1 - p.y0) / step * step;
    for (uint32_t col = p.x0; col < p.x1; col += step) {
        const uint32_t next = std::min(col + step, p.x1);
        if (north > 0.0f) {
            const uint16_t entry = entryOf(col, p.y0);
            Skirt(Vertex(p, col, p.y0, p.y0, entry), Vertex(p, next, p.y0, p.y0, entry), north, Vec3(0, 1, 0), entry);
        }
        if (south > 0.0f) {
            const uint16_t entry = entryOf(col, lastTop);
            Skirt(Vertex(p, col, p.y1, lastTop, entry), Vertex(p, next, p.y1, lastTop, entry), south, Vec3(0, -1, 0),
                  entry);
        }
    }
}
