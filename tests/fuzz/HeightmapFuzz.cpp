// Guards terravell-map's heightmap decoder (PNG, PGM, BMP) against any bytes: no crash, no read past the input, no allocation beyond what the input can hold, and samples that match the size reported.
#include "tools/map/HeightmapReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Heightmap map;
    std::string error;
    if (!DecodeHeightmap(data, size, map, error) && map.samples.size() != size_t(map.width) * size_t(map.height))
        __builtin_trap();
    return 0;
}
