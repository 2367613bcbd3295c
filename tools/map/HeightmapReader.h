#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A grayscale picture read as heights, top row first.
struct Heightmap {
    int width = 0;
    int height = 0;
    uint32_t maxValue = 255;  // the sample value of white
    std::vector<uint16_t> samples;
    std::string format;       // what was read, e.g. "16-bit grayscale PNG"

    // The real size of the land, when the file gives it (an elevation
    // model) or the user does (--pixel-size on a picture).
    bool elevation = false;       // samples measure height: metresLow + sample * metresPerValue
    double metresLow = 0.0;
    double metresPerValue = 1.0;
    double spacingX = 0.0;        // metres between neighbouring samples across and down; 0: unknown
    double spacingY = 0.0;
    std::string spacingSource;    // how the spacing was found, for the report

    // The sample at (x, y) as a fraction of white.
    double At(int x, int y) const { return double(samples[size_t(y) * width + x]) / double(maxValue); }
};

// Large enough for the usual 2^n + 1 terrain sizes up to 16385; the pixel
// bound keeps the samples within 256 MiB.
constexpr int HEIGHTMAP_MAX_SIDE = 16385;
constexpr uint64_t HEIGHTMAP_MAX_PIXELS = uint64_t(1) << 27;

// Empty when a picture of that size may be read; else the reason it may not.
std::string CheckHeightmapSize(uint64_t width, uint64_t height);

// Reads a PNG (grayscale of any depth; colour by luminance), a binary PGM
// (P5, 8 or 16 bit), a 24-bit BMP (by luminance), a GeoTIFF, told apart by
// their first bytes, or an SRTM .hgt tile, known by its size (the
// elevation models' heights from the lowest as 0 to the highest as white). Samples are taken as stored:
// no gamma is applied, since they are heights, not light. True on
// failure, with `error` saying why.
bool ReadHeightmap(const std::string& path, Heightmap& out, std::string& error);
bool DecodeHeightmap(const uint8_t* data, size_t size, Heightmap& out, std::string& error);
