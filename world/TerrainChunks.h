#pragma once

#include "math/Frustum.h"

#include <cstdint>
#include <vector>

class CMap;

// How the cells of one grid axis fall into chunks, the pieces the terrain
// is culled and drawn in: small tiles are grouped, several to a chunk;
// a tile longer than a chunk is split into equal parts. A chunk never
// straddles a tile boundary it does not also group.
struct ChunkAxis {
    uint32_t tileCells = 0;      // cells along a tile side
    uint32_t tilesPerChunk = 1;  // when tiles are grouped
    uint32_t partsPerTile = 1;   // when tiles are split
    uint32_t partCells = 0;      // cells in each part of a split tile
    uint32_t cellCount = 0;      // cells along the whole axis
    uint32_t count = 0;          // chunks along the axis

    // tiles tiles of tileCells cells each, in chunks of about targetCells.
    void Setup(uint32_t tiles, uint32_t tileCells, uint32_t targetCells);
    // The cells [first, end) of chunk j.
    void Cells(uint32_t j, uint32_t& first, uint32_t& end) const;
    // The chunk holding cell c; cells past either end count as the last.
    uint32_t ChunkOf(uint32_t c) const;
};

// The terrain's chunks: their layout, the height range each one spans,
// and which of them a frustum can see, nearest first. Needs no GL context.
class CTerrainChunks {
public:
    ChunkAxis across, down;
    float cellSize = 0.0f;
    std::vector<float> zRange;  // lowest then highest drawn height, per chunk

    // The layout for the map's grid, and each chunk's range of drawn
    // heights.
    void Build(const CMap& map);

    // The box the chunk's cells fill in the drawing frame (y negated).
    void Box(uint32_t chunk, Vec3& lo, Vec3& hi) const;

    // The chunks inside or touching the frustum, nearest to its apex
    // first. Only chunks under the frustum's own bounds are looked at, so
    // the work follows what can be seen, not the size of the map.
    void Visible(const CFrustum& frustum, std::vector<uint32_t>& out) const;
    // Sorts chunks by the distance of their boxes' centres from eye.
    void NearestFirst(const Vec3& eye, std::vector<uint32_t>& chunks) const;
};
