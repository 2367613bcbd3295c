#pragma once

#include "world/MapFile.h"

#include <cstdint>
#include <vector>

// What the texture of a tile is chosen from.
struct TileStats {
    float meanHeight = 0.0f;  // 0 = lowest sample of the map, 1 = highest
    float maxHeight = 0.0f;
    float meanSlope = 0.0f;   // rise over run in world units, averaged over the cells
    float maxSlope = 0.0f;
};

// The lowest sample of a map and the span up to its highest (at least 1),
// against which tile heights are measured.
struct HeightSpan {
    float low = 0.0f;
    float range = 1.0f;
};
HeightSpan SpanOf(const MapFileData& map);

// Measures tile (tx, ty) of a map whose heights are filled in; the span is
// the whole map's, found once by the caller.
TileStats MeasureTile(const MapFileData& map, uint32_t tx, uint32_t ty, const HeightSpan& span);
TileStats MeasureTile(const MapFileData& map, uint32_t tx, uint32_t ty);

// The terrain texture (an index into the ladder of TerrainTextures.h) for a
// tile: sand low down, grass and meadow above, snow on high flat ground,
// rock wherever it is steep. Neighbouring tiles of similar ground get
// neighbouring rungs, whose textures blend into each other.
uint8_t ChooseTileTexture(const TileStats& stats);

// Ground next to rock becomes scree, next to snowy rock bare rock, and so
// on: a ring one rung down around every rocky tile, so that cliffs meet the
// grass through their own debris rather than with a hard edge. Water stays.
std::vector<uint8_t> SoftenTileEdges(const std::vector<uint8_t>& tiles, uint32_t width, uint32_t height);

// Fills the texture table with the whole ladder and the tile map with a
// choice for every tile, edges softened.
void AssignTileTextures(MapFileData& map);
