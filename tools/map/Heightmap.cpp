#include "tools/map/Heightmap.h"

namespace {

std::string SizeText(uint64_t w, uint64_t h) { return std::to_string(w) + "x" + std::to_string(h); }

}  // namespace

std::string CheckHeightmapSize(uint64_t w, uint64_t h)
{
    if (w < 1 || h < 1)
        return "image has no pixels (" + SizeText(w, h) + ")";
    if (w > uint64_t(HEIGHTMAP_MAX_SIDE) || h > uint64_t(HEIGHTMAP_MAX_SIDE) || w * h > HEIGHTMAP_MAX_PIXELS)
        return "image of " + SizeText(w, h) + " is too large (sides up to " + std::to_string(HEIGHTMAP_MAX_SIDE) +
               ", 2^27 pixels in all)";
    return std::string();
}

void DescribePicture(Heightmap& out, int w, int h, uint32_t maxValue, const std::string& format)
{
    out.width = w;
    out.height = h;
    out.maxValue = maxValue;
    out.format = format;
}
