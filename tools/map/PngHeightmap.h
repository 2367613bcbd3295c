#pragma once

#include "tools/map/Heightmap.h"

// Whether the bytes start with the PNG signature.
bool IsPng(const uint8_t* data, size_t size);

// A PNG of any depth, grey as stored and colour by luminance, row by row
// into `sampler` (none: the header alone). True on failure, with `error`.
bool DecodePng(const uint8_t* data, size_t size, Heightmap& out, CGridSampler* sampler, std::string& error);
