#pragma once

#include "tools/map/Heightmap.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Whether the bytes start like a TIFF: classic or BigTIFF, either byte order.
bool IsTiff(const uint8_t* data, size_t size);

// A GeoTIFF elevation model: one band of int16, uint16, int32 or float32
// heights in metres, in strips or tiles, compressed as libtiff can decode,
// handed to `sampler` row by row, the northern row first (none: the header
// alone). Nodata and non-finite samples are voids (NaN). The spacing is the
// length of a step along a row and down a column, from the pixel scale or
// the transformation, in degrees or a known linear unit; a turned grid is
// drawn as stored. True on failure, with `error`.
bool DecodeGeoTiff(const uint8_t* data, size_t size, Heightmap& out, CGridSampler* sampler, std::string& error);
