#include "world/TerrainChunks.h"

#include "world/Map.h"

#include <algorithm>
#include <cmath>

void ChunkAxis::Setup(uint32_t tiles, uint32_t cells, uint32_t targetCells)
{
    tileCells = cells;
    cellCount = tiles * cells;
    tilesPerChunk = partsPerTile = 1;
    partCells = cells;
    if (cellCount == 0) {
        count = 0;
    } else if (cells <= targetCells) {
        tilesPerChunk = targetCells / cells;
        count = (tiles + tilesPerChunk - 1) / tilesPerChunk;
    } else {
        partsPerTile = (cells + targetCells - 1) / targetCells;
        partCells = (cells + partsPerTile - 1) / partsPerTile;
        count = tiles * partsPerTile;
    }
}

void ChunkAxis::Cells(uint32_t j, uint32_t& first, uint32_t& end) const
{
    if (partsPerTile == 1) {
        first = j * tilesPerChunk * tileCells;
        end = std::min(first + tilesPerChunk * tileCells, cellCount);
    } else {
        uint32_t tileFirst = j / partsPerTile * tileCells, part = j % partsPerTile;
        first = tileFirst + part * partCells;
        end = tileFirst + std::min((part + 1) * partCells, tileCells);
    }
}

uint32_t ChunkAxis::ChunkOf(uint32_t c) const
{
    c = std::min(c, cellCount - 1);
    if (partsPerTile == 1)
        return c / (tilesPerChunk * tileCells);
    return c / tileCells * partsPerTile + c % tileCells / partCells;
}

// About 16 x 16 cells: small enough to cull closely, big enough that each
// draw call carries a few hundred triangles.
constexpr uint32_t CHUNK_TARGET_CELLS = 16;

void CTerrainChunks::Build(const CMap& map)
{
    across.Setup(map.width, map.subdivisions, CHUNK_TARGET_CELLS);
    down.Setup(map.height, map.subdivisions, CHUNK_TARGET_CELLS);
    cellSize = map.cellSize;
    zRange.assign(size_t(across.count) * down.count * 2, 0.0f);
    for (uint32_t cy = 0; cy < down.count; ++cy) {
        uint32_t row0, row1;
        down.Cells(cy, row0, row1);
        for (uint32_t cx = 0; cx < across.count; ++cx) {
            uint32_t col0, col1;
            across.Cells(cx, col0, col1);
            float lo = INFINITY, hi = -INFINITY;
            for (uint32_t row = row0; row <= row1; ++row)
                for (uint32_t col = col0; col <= col1; ++col) {
                    float z = map.vertices[3 * (size_t(row) * map.columns + col) + 2];
                    lo = std::min(lo, z);
                    hi = std::max(hi, z);
                }
            size_t k = 2 * (size_t(cy) * across.count + cx);
            // Scaled as the mesh scales them, so the box holds every vertex.
            zRange[k] = lo * map.heightScale;
            zRange[k + 1] = hi * map.heightScale;
        }
    }
}

void CTerrainChunks::Box(uint32_t chunk, Vec3& lo, Vec3& hi) const
{
    uint32_t col0, col1, row0, row1;
    across.Cells(chunk % across.count, col0, col1);
    down.Cells(chunk / across.count, row0, row1);
    lo = Vec3(float(col0) * cellSize, -float(row1) * cellSize, zRange[2 * size_t(chunk)]);
    hi = Vec3(float(col1) * cellSize, -float(row0) * cellSize, zRange[2 * size_t(chunk) + 1]);
}

void CTerrainChunks::Visible(const CFrustum& frustum, std::vector<uint32_t>& out) const
{
    out.clear();
    if (across.count == 0 || down.count == 0)
        return;
    // The cells under the frustum's bounds, in double: a corner may lie far
    // outside the grid.
    double minX = INFINITY, maxX = -INFINITY, minRow = INFINITY, maxRow = -INFINITY;
    for (const Vec3& c : frustum.corners) {
        minX = std::min(minX, double(c.x));
        maxX = std::max(maxX, double(c.x));
        minRow = std::min(minRow, -double(c.y));
        maxRow = std::max(maxRow, -double(c.y));
    }
    const double d = cellSize;
    if (!(maxX >= 0 && maxRow >= 0 && minX <= across.cellCount * d && minRow <= down.cellCount * d))
        return;
    auto cell = [d](double v) { return uint32_t(std::clamp(std::floor(v / d), 0.0, 4294967295.0)); };
    uint32_t cx0 = across.ChunkOf(cell(minX)), cx1 = across.ChunkOf(cell(maxX));
    uint32_t cy0 = down.ChunkOf(cell(minRow)), cy1 = down.ChunkOf(cell(maxRow));
    // Rounding in the planes must never lose a chunk: a cell's width of slack.
    const float margin = cellSize;
    for (uint32_t cy = cy0; cy <= cy1; ++cy)
        for (uint32_t cx = cx0; cx <= cx1; ++cx) {
            uint32_t chunk = cy * across.count + cx;
            Vec3 lo, hi;
            Box(chunk, lo, hi);
            if (!frustum.BoxOutside(lo, hi, margin))
                out.push_back(chunk);
        }
    NearestFirst(frustum.apex, out);
}

void CTerrainChunks::NearestFirst(const Vec3& eye, std::vector<uint32_t>& chunks) const
{
    std::vector<std::pair<float, uint32_t>> keyed;
    keyed.reserve(chunks.size());
    for (uint32_t chunk : chunks) {
        Vec3 lo, hi;
        Box(chunk, lo, hi);
        Vec3 toCentre = (lo + hi) * 0.5f - eye;
        keyed.emplace_back(Dot(toCentre, toCentre), chunk);
    }
    std::sort(keyed.begin(), keyed.end());
    for (size_t i = 0; i < keyed.size(); ++i)
        chunks[i] = keyed[i].second;
}
