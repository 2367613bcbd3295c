#pragma once

#include <cstdint>
#include <vector>

// A 3 arc-second SRTM tile of made-up mountains, as the tests and the
// README's picture import it: ridges about 6 km apart rising to some
// 2,900 m, broad valleys between them near 600 m, and a void to fill.
constexpr int SAMPLE_DEM_SIDE = 1201;
std::vector<uint8_t> SampleSrtmTile();

// Its height in metres at sample (x, y), before it is stored.
double SampleDemMetres(int x, int y);
