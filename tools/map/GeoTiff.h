#pragma once

#include "tools/map/HeightmapReader.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Whether the bytes start like a TIFF: classic or BigTIFF, either byte order.
bool IsTiff(const uint8_t* data, size_t size);

// A GeoTIFF elevation model: one band of int16, uint16, int32 or float32
// heights in metres, in strips or tiles, compressed as libtiff can decode.
// Nodata and non-finite samples are voids, filled from their neighbours;
// the heights become samples from the lowest (0) to the highest (maxValue),
// the northern row first. The spacing comes from the pixel scale when the
// file gives one in degrees or in a known linear unit. True on failure,
// with `error`.
bool DecodeGeoTiff(const uint8_t* data, size_t size, Heightmap& out, std::string& error);
