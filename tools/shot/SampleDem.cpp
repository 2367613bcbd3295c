#include "tools/shot/SampleDem.h"

#include "tools/common/Noise.h"

#include <cmath>

double SampleDemMetres(int x, int y)
{
    const float u = float(x) / 70.0f, v = float(y) / 70.0f;
    // Ridges where the noise crosses zero; the broad noise lifts whole
    // ranges and lets the valleys between them run out flat.
    float range = 0.5f + 0.5f * FractalNoise(u * 0.25f, v * 0.25f, 31, 4, 0.5f);
    float ridges = RidgedNoise(u, v, 17, 6, 0.5f);
    float lift = SmoothStep(0.25f, 0.75f, range);
    return 600.0 + 2300.0 * double(lift * std::pow(ridges, 1.6f)) + 120.0 * double(range);
}

std::vector<uint8_t> SampleSrtmTile()
{
    std::vector<uint8_t> tile(size_t(2) * SAMPLE_DEM_SIDE * SAMPLE_DEM_SIDE);
    for (int y = 0; y < SAMPLE_DEM_SIDE; ++y) {
        for (int x = 0; x < SAMPLE_DEM_SIDE; ++x) {
            bool hole = x >= 200 && x < 204 && y >= 300 && y < 302;
            uint16_t v = uint16_t(hole ? -32768 : int(std::lround(SampleDemMetres(x, y))));
            uint8_t* p = &tile[2 * (size_t(y) * SAMPLE_DEM_SIDE + x)];
            p[0] = uint8_t(v >> 8), p[1] = uint8_t(v);
        }
    }
    return tile;
}
