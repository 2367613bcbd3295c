#pragma once

#include <cstdint>
#include <vector>

// The file formats the game reads (BMP, the map file) store their numbers
// little-endian, whatever the machine's own order.
inline uint16_t ReadU16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
inline uint32_t ReadU32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

// Appends the low `bytes` bytes of v, least significant first.
inline void AppendLE(std::vector<uint8_t>& out, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}
