#pragma once

#include <tiffio.h>

#include <cstdint>
#include <string>
#include <vector>

// A GeoTIFF of one band as the tests and the fuzz seeds write it, with a
// predictor when compressed.
struct GeoTiffShape {
    int width = 4, height = 3;
    uint16_t sampleFormat = SAMPLEFORMAT_IEEEFP, bits = 32;  // int16, uint16, int32 or float32
    uint16_t compression = COMPRESSION_NONE;
    int tileSide = 0;                                    // 0: strips of two rows
    uint16_t modelType = 2, linearUnits = 0;             // geographic; units 0: no key
    std::vector<double> pixelScale = {}, tiepoint = {};  // empty: no tag; a tiepoint is raster i, j, k, model x, y, z
    std::string nodata = {};                             // empty: no tag
    std::vector<double> matrix = {};                     // the 16 of a ModelTransformation; empty: no tag
};

// Writes the samples, row by row, to `path`; true on failure.
bool WriteGeoTiff(const std::string& path, const GeoTiffShape& shape, const std::vector<double>& samples);
