#pragma once

#include "tools/map/HeightmapReader.h"

#include <vector>

// Heights in metres, row by row, NaN where the source holds no height: the
// common ground of the elevation decoders (SRTM, GeoTIFF).

// Each void takes the mean of its filled four-neighbours, nearest voids
// first, so a hole closes from its rim inwards. Returns the number filled;
// -1 when every height is a void.
long FillVoids(std::vector<float>& metres, int width, int height);

// Stores heights without voids as samples from the lowest (0) to the
// highest (maxValue), `step` metres apart, or in 65535 steps when the range
// needs more of them or `step` is 0.
void StoreElevation(const std::vector<float>& metres, int width, int height, double step, Heightmap& out);
