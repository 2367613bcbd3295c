#pragma once

#include "tools/map/GridSampler.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Where a georeferenced source lies: sample (col, row) is at model
// coordinates origin + col * column + row * rowStep, in degrees of
// longitude and latitude or in metres.
struct SourceFrame {
    bool known = false;
    bool geographic = false;
    double originX = 0.0, originY = 0.0;
    double columnX = 0.0, columnY = 0.0;  // one step along a row
    double rowX = 0.0, rowY = 0.0;        // one step down a column
    double metresPerUnit = 1.0;           // of a frame in linear units
};

// What a heightmap file says about itself, read before its samples: the
// samples themselves go to a CGridSampler as they are decoded.
struct Heightmap {
    int width = 0;
    int height = 0;
    uint32_t maxValue = 255;  // a picture's white; elevation models give metres
    std::string format;       // what was read, e.g. "16-bit grayscale PNG"

    // The real size of the land, when the file gives it (an elevation
    // model) or the user does (--pixel-size on a picture).
    bool elevation = false;  // the values are metres
    double spacingX = 0.0;   // metres between neighbouring samples across and down; 0: unknown
    double spacingY = 0.0;
    std::string spacingSource;  // how the spacing was found, or why it was not
    SourceFrame frame;
    bool latitudeKnown = false;  // of the source's middle
    double latitude = 0.0;
    int srtmSide = 0;  // an SRTM tile's side, when decoded as one
};

// Large enough for the usual 2^n + 1 terrain sizes up to 16385; the pixel
// bound keeps any one decode within reason.
constexpr int HEIGHTMAP_MAX_SIDE = 16385;
constexpr uint64_t HEIGHTMAP_MAX_PIXELS = uint64_t(1) << 27;

// Empty when a picture of that size may be read; else the reason it may not.
std::string CheckHeightmapSize(uint64_t width, uint64_t height);

// Size, white and format of a picture; its samples go to the sampler.
void DescribePicture(Heightmap& out, int w, int h, uint32_t maxValue, const std::string& format);

// Grey of a colour pixel, in the units of its channels.
inline double Luminance(double r, double g, double b) { return 0.299 * r + 0.587 * g + 0.114 * b; }
