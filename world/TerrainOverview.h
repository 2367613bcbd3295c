#pragma once

#include "math/Vec3.h"

#include <cstdint>
#include <vector>

// The tiles as a distant view shows them, in one picture over the whole
// map: each tile's texture as the mesh lays it on the tile (shifted, and
// in sub-row bands), shrunk to a few texels a side, or, on the biggest
// maps, squares of tiles shrunk to one texel. Cells that span tiles of
// different textures are drawn with it. Needs no GL context.
class CTerrainOverview {
public:
    static constexpr uint32_t MOST_TEXELS = 2048;  // a side of the picture
    static constexpr uint32_t MOST_PER_TILE = 8;   // texels a side of one tile

    uint32_t texelsPerTile = 1;      // a side, when a tile has texels of its own
    uint32_t tilesPerTexel = 1;      // a side, when it has not
    uint32_t width = 0, height = 0;  // the picture, a power of two each way
    uint32_t subdivisions = 1;

    // The picture's layout for a map of tilesAcross x tilesDown tiles.
    void Plan(uint32_t tilesAcross, uint32_t tilesDown, uint32_t cellsPerTile);
    // Texels a side one entry's block has.
    uint32_t BlockSide() const { return texelsPerTile; }
    // The block of a texture (rows bottom-up, three bytes a pixel, red
    // first) as it lies on a tile: BlockSide() squared colours, top row first.
    std::vector<Vec3> Block(const uint8_t* pixels, int w, int h, int pitch) const;
    // The picture, from each tile's entry and each entry's block: RGB bytes,
    // top row first; past the map's last tile the edge repeats.
    std::vector<uint8_t> Picture(const std::vector<uint8_t>& tileMap, uint32_t tilesAcross, uint32_t tilesDown,
                                 const std::vector<std::vector<Vec3>>& blocks) const;
    // Texture coordinates per grid column and row.
    float ScaleS() const;
    float ScaleT() const;
};
