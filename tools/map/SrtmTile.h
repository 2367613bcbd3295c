#pragma once

#include "tools/map/Heightmap.h"

#include <cstddef>
#include <cstdint>
#include <string>

// SRTM elevation tiles (.hgt): a square of 1201 (3 arc-seconds) or 3601
// (1 arc-second) samples a side, big-endian signed 16-bit metres, the
// northern row first; -32768 marks a void. They carry no header: a file of
// exactly one of those sizes is taken for one.
constexpr int SRTM_VOID = -32768;
bool IsSrtmSize(size_t size);

// The heights, row by row into `sampler` (none: the size alone), voids as
// NaN. True on failure, with `error`.
bool DecodeSrtm(const uint8_t* data, size_t size, Heightmap& out, CGridSampler* sampler, std::string& error);
// The same for a square of any side, from 2 * side * side bytes.
bool DecodeSrtmSide(const uint8_t* data, int side, Heightmap& out, CGridSampler* sampler, std::string& error);

// The south-west corner a tile's name gives ("N36W085.hgt": 36, -85):
// N or S and two digits to 89, E or W and three digits to 179, then the end
// or an extension. Empty on success, else why the name is not a tile's.
std::string SrtmTileName(const std::string& path, int& latitude, int& longitude);

// Puts a decoded tile at its corner: the frame, the latitude of its middle
// and its arc-seconds in metres there.
void PlaceSrtmTile(Heightmap& tile, int latitude, int longitude);
