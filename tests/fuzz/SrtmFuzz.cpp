// Guards terravell-map's SRTM reader and void filling against any heights: a real tile is 2.9 MB, more than a fuzzer
// builds, so the input is read as the largest square it holds, and every void must be filled.
#include "tools/map/ElevationGrid.h"
#include "tools/map/SrtmTile.h"

#include <algorithm>
#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const int side = int(std::sqrt(double(size / 2)));
    Heightmap map;
    std::string error;
    CGridSampler grid(SourceWindow{0, 0, side, side}, uint32_t(side), uint32_t(side), 1.0, 1.0);
    if (side > 0 && !DecodeSrtmSide(data, side, map, &grid, error) &&
        (grid.Values().size() != size_t(side) * size_t(side) || FillVoids(grid.Values(), side, side) < 0 ||
         std::any_of(grid.Values().begin(), grid.Values().end(), [](float v) { return std::isnan(v); })))
        __builtin_trap();
    return 0;
}
