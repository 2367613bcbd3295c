// Guards terravell-map's heightmap decoder (PNG, PGM, BMP, GeoTIFF, SRTM) against any bytes: no crash, no read past the input, no allocation beyond what the input can hold, nothing leaked, and samples that match the size reported. Built a second time as fuzz_GeoTiff, which goes straight to the GeoTIFF decoder so that every mutation is spent on TIFF bytes.
#include "tools/map/GeoTiff.h"
#include "tools/map/HeightmapReader.h"

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
    if (!FUZZ_DECODE(data, size, map, error) && map.samples.size() != size_t(map.width) * size_t(map.height))
        __builtin_trap();
    return 0;
}
