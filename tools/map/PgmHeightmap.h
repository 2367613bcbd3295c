#pragma once

#include "tools/map/Heightmap.h"

// Whether the bytes start like a binary PGM ("P5").
bool IsPgm(const uint8_t* data, size_t size);

// A binary PGM (P5) of 8 or 16 bits, row by row into `sampler` (none: the
// header alone), each sample as stored up to the file's white. True on
// failure, with `error`.
bool DecodePgm(const uint8_t* data, size_t size, Heightmap& out, CGridSampler* sampler, std::string& error);
