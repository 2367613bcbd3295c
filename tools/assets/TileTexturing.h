#pragma once

#include "world/MapFile.h"

#include <cstdint>
#include <vector>

// What the material of a tile corner is chosen from: the ground within half
// a tile of it.
struct CornerStats {
    float meanHeight = 0.0f;  // 0 = lowest sample of the map, 1 = highest
    float maxHeight = 0.0f;
    float meanSlope = 0.0f;  // rise over run in world units, averaged over the cells
    float maxSlope = 0.0f;
    float lowShare = 0.0f;  // share of the samples at the map's lowest level
};

// The lowest sample of a map and the span up to its highest (at least 1),
// against which heights are measured.
struct HeightSpan {
    float low = 0.0f;
    float range = 1.0f;
};
HeightSpan SpanOf(const MapFileData& map);

// Measures the ground around tile corner (cx, cy), that is vertex
// (cx * subdivisions, cy * subdivisions), of a map whose heights are filled
// in; the span is the whole map's, found once by the caller. `rise` is a
// height step over a cell, 0 for the map's own scale as drawn.
CornerStats MeasureCorner(const MapFileData& map, uint32_t cx, uint32_t cy, const HeightSpan& span, float rise = 0.0f);

// Water on the levelled lowest ground, grass up to the high slopes, rock
// where it is steep or high, snow on the highest ground that is not too
// steep to hold it.
uint8_t ChooseCornerMaterial(const CornerStats& stats);

// A material for each of the (width + 1) x (height + 1) tile corners, row
// by row. Without `lowestIsWater`, the levelled lowest ground is land: a
// valley floor above the sea.
std::vector<uint8_t> ClassifyCorners(const MapFileData& map, bool lowestIsWater = true);

// Real land, whose heights are metres: what a height step and a cell
// measure, and the height above which snow lies.
struct RealGround {
    double lowMetres = 0.0;   // of height 0
    double stepMetres = 0.0;  // one height step
    double cellMetres = 0.0;
    double snowLineMetres = 0.0;
};

// For real land measured in metres and true slopes: water where most of the
// ground lies at or below the sea, snow above the snow line where it is not
// too steep to hold it, rock where it is steep or just below the snow line,
// grass elsewhere.
uint8_t ChooseRealMaterial(const CornerStats& metres, double snowLineMetres);

// Makes neighbouring corners (those sharing a tile) differ by at most one
// material, as the split textures need: rock spreads around snow and grass
// around rock, except towards the water, where the higher ground gives way.
void LimitCornerSteps(std::vector<uint8_t>& corners, uint32_t width, uint32_t height);

// Fills the texture table with every texture and the tile map with the
// texture of each tile's corners.
void ApplyCornerMaterials(MapFileData& map, const std::vector<uint8_t>& corners);

// Classifies, limits and applies: textures for a map whose heights come
// from elsewhere.
void AssignTileTextures(MapFileData& map, bool lowestIsWater = true);
// The same for real land, by altitude and true slope.
void AssignRealTextures(MapFileData& map, const RealGround& ground);

// Keeps in the texture table only the textures some tile names, in their
// order, and renumbers the tiles to match.
void KeepNamedTextures(MapFileData& map);
