#pragma once

#include "tools/map/HeightmapReader.h"

#include <cstdint>
#include <vector>

// Samples the picture at every vertex of a columns x rows grid, the
// picture's corner pixels on the grid's corner vertices, by bilinear
// interpolation: values 0 (black) to 1 (white), row by row.
std::vector<float> ResampleBilinear(const Heightmap& picture, uint32_t columns, uint32_t rows);

// Height samples 1..255 from values 0..1: 0 would read as "no ground" to
// the game. With `stretch` the lowest value maps to 1 and the highest to
// 255; otherwise black is 1 and white 255.
std::vector<uint8_t> QuantiseHeights(const std::vector<float>& values, bool stretch);
