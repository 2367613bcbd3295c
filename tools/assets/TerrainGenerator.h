#pragma once

#include "base/GameFacts.h"
#include "world/MapFile.h"

#include <cstdint>
#include <vector>

class CProgress;

// What a generated landscape is made from. The defaults are the default
// world's map1.raw: 1024 units across, a summit about 340 units high, all of
// it inside the 1000-unit far plane from the middle. The game lights the
// unscaled samples, so a height step of 1.8 units draws the mountains
// steeper than they are shaded: slopes facing away from the sun stay lit.
struct TerrainParams {
    uint32_t seed = DEFAULT_MAP_SEED;
    uint32_t tilesAcross = DEFAULT_MAP_TILES_ACROSS;
    uint32_t tilesDown = DEFAULT_MAP_TILES_DOWN;
    uint16_t subdivisions = DEFAULT_MAP_SUBDIVISIONS;
    uint16_t cellSize = DEFAULT_MAP_CELL_SIZE;        // world units between vertices
    uint16_t heightScale = DEFAULT_MAP_HEIGHT_SCALE;  // hundredths of a world unit per height step
    float roughness = DEFAULT_MAP_ROUGHNESS;          // 0 smooth .. 1 craggy: the gain of the octaves
    uint32_t lightWord = DEFAULT_MAP_LIGHT_WORD;
};

// Heights in [0, 1] (0 the levelled sea floor), columns x rows, row by row:
// an island with a spit to the start and reset points, ridged mountains
// inland under one summit, plateaus, slopes no steeper than loose ground
// holds, and erosion. Each stage goes to `progress`, when there is one.
std::vector<float> GenerateHeightField(const TerrainParams& params, CProgress* progress = nullptr);

// A map with the header these parameters give and nothing else filled in:
// for heights that come from elsewhere.
MapFileData MapForParams(const TerrainParams& params);

// The whole map: heights quantised to 1..255 (the sea floor a few steps up),
// a material for every tile corner (the island kept off the map's edge but
// for the spit, the start and reset points on land), the shore shaped to
// the one the textures draw, the ground under the start and reset points
// kept below the drop height, and each tile's texture from its corners.
MapFileData GenerateTerrain(const TerrainParams& params, CProgress* progress = nullptr);
