#pragma once

#include "tools/map/HeightmapReader.h"

#include <cstdint>
#include <vector>

// Samples the picture at every vertex of a columns x rows grid, the
// picture's corner pixels on the grid's corner vertices, by bilinear
// interpolation: values 0 (black) to 1 (white), row by row.
std::vector<float> ResampleBilinear(const Heightmap& picture, uint32_t columns, uint32_t rows);

// The same with grid line i at picture coordinate i * step along each axis;
// lines beyond the picture take its edge.
std::vector<float> ResampleSteps(const Heightmap& picture, uint32_t columns, uint32_t rows, double stepX,
                                 double stepY);

// Height samples 0..255 from values 0..1, the full range: the game stands
// on height 0 as on any other. With `stretch` the lowest value maps to 0
// and the highest to 255; otherwise black is 0 and white 255.
std::vector<uint8_t> QuantiseHeights(const std::vector<float>& values, bool stretch);
