// Guards the map path against any bytes: reader and validator, then the grid, height queries and normals of what
// passes.
#include "world/MapFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MapFileData map;
    if (!ValidateMapFile(data, size, &map).empty())
        return 0;
    volatile uint32_t sum = 0;
    for (uint8_t h : map.heights)
        sum = sum + h;
    return 0;
}
