#pragma once

#include "tools/map/HeightmapReader.h"

#include <cstddef>
#include <cstdint>
#include <string>

// SRTM elevation tiles (.hgt): a square of 1201 (3 arc-seconds) or 3601
// (1 arc-second) samples a side, big-endian signed 16-bit metres, the
// northern row first; -32768 marks a void. They carry no header: a file of
// exactly one of those sizes is taken for one.
constexpr int SRTM_VOID = -32768;
bool IsSrtmSize(size_t size);
int SrtmArcSeconds(int side);

// Sets a decoded tile's spacing: its arc-seconds in metres at the latitude
// of its middle, given the south-west corner's (null when unknown).
void SetSrtmSpacing(Heightmap& tile, const int* southLatitude);

// The heights, voids filled from their neighbours, as samples from the
// lowest (0) to the highest (maxValue). True on failure, with `error`.
bool DecodeSrtm(const uint8_t* data, size_t size, Heightmap& out, std::string& error);
// The same for a square of any side, from 2 * side * side bytes.
bool DecodeSrtmSide(const uint8_t* data, int side, Heightmap& out, std::string& error);

// The south-west corner a tile's name gives ("N36W085.hgt": 36, -85).
// False when the name has no such corner.
bool SrtmCorner(const std::string& fileName, int& latitude, int& longitude);
