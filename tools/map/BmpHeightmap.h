#pragma once

#include "tools/map/Heightmap.h"

// Whether the bytes start like a BMP ("BM").
bool IsBmp(const uint8_t* data, size_t size);

// A 24-bit BMP through the game's own header checks and SDL's decoder, by
// luminance, row by row into `sampler` (none: the header alone). True on
// failure, with `error`.
bool DecodeBmp(const uint8_t* data, size_t size, Heightmap& out, CGridSampler* sampler, std::string& error);
