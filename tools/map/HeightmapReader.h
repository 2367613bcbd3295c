#pragma once

#include "tools/common/MappedFile.h"
#include "tools/map/GridSampler.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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
    bool elevation = false;       // the values are metres
    double spacingX = 0.0;        // metres between neighbouring samples across and down; 0: unknown
    double spacingY = 0.0;
    std::string spacingSource;    // how the spacing was found, or why it was not
    SourceFrame frame;
    bool latitudeKnown = false;   // of the source's middle
    double latitude = 0.0;
    int srtmSide = 0;             // an SRTM tile's side, when decoded as one
};

// Large enough for the usual 2^n + 1 terrain sizes up to 16385; the pixel
// bound keeps any one decode within reason.
constexpr int HEIGHTMAP_MAX_SIDE = 16385;
constexpr uint64_t HEIGHTMAP_MAX_PIXELS = uint64_t(1) << 27;

// Empty when a picture of that size may be read; else the reason it may not.
std::string CheckHeightmapSize(uint64_t width, uint64_t height);

// Reads a PNG (grayscale of any depth; colour by luminance), a binary PGM
// (P5, 8 or 16 bit), a 24-bit BMP (by luminance), a GeoTIFF, told apart by
// their first bytes, or an SRTM .hgt tile, known by its size. With
// `sampler` null only the header is read; otherwise every row goes to it,
// top row first: a picture's samples as stored (0 to maxValue, no gamma,
// since they are heights, not light), an elevation model's metres with NaN
// for voids. True on failure, with `error` saying why.
bool DecodeHeightmap(const uint8_t* data, size_t size, Heightmap& out, CGridSampler* sampler, std::string& error);

// The header of a file, mapped into `file` for the decoding to come: an SRTM
// tile also takes its corner, and so its latitude, from its name.
bool ReadHeightmap(const std::string& path, CMappedFile& file, Heightmap& out, std::string& error);

// Every sample of a small file, row by row, as DecodeHeightmap gives them.
bool DecodeWhole(const uint8_t* data, size_t size, Heightmap& out, std::vector<float>& values, std::string& error);
