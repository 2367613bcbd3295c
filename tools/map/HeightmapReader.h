#pragma once

#include "tools/common/MappedFile.h"
#include "tools/map/Heightmap.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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
