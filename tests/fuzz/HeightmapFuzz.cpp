// Guards the heightmap decoders (PNG, PGM, BMP, GeoTIFF, SRTM) and the import after them against any bytes: no crash,
// overread, oversized allocation or leak, a grid wholly filled. fuzz_GeoTiff goes straight to the GeoTIFF decoder.
#include "tools/map/ElevationGrid.h"
#include "tools/map/GeoTiff.h"
#include "tools/map/HeightmapReader.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#ifdef FUZZ_GEOTIFF_ONLY
#define FUZZ_DECODE DecodeGeoTiff
#else
#define FUZZ_DECODE DecodeHeightmap
#endif

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Heightmap map;
    std::string error;
    if (FUZZ_DECODE(data, size, map, nullptr, error))
        return 0;
    // A grid of at most 33 x 33 over the whole picture, as an import over the vertex cap lays one.
    const uint32_t columns = uint32_t(std::min(map.width, 33)), rows = uint32_t(std::min(map.height, 33));
    auto step = [](int samples, uint32_t lines) { return lines > 1 ? (samples - 1.0) / (lines - 1.0) : 1.0; };
    CGridSampler grid(SourceWindow{0, 0, map.width, map.height}, columns, rows, step(map.width, columns),
                      step(map.height, rows));
    if (FUZZ_DECODE(data, size, map, &grid, error))
        return 0;
    if (!grid.Complete() || grid.Values().size() != size_t(columns) * rows ||
        FillVoids(grid.Values(), int(columns), int(rows)) < 0 ||
        std::any_of(grid.Values().begin(), grid.Values().end(), [](float v) { return std::isnan(v); }))
        __builtin_trap();
    return 0;
}
