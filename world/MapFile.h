#pragma once

#include "base/GameFacts.h"
#include "math/Vec3.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The map file: a 32-byte little-endian header, the texture table, the
// tile map at tileMapOffset, then the height samples right after it.
struct MapHeader {
    uint32_t tileMapOffset = 0;
    uint32_t width = 0;   // tiles per tile row
    uint32_t height = 0;  // tile rows
    uint32_t extraWord = 0;
    uint16_t subdivisions = 0;  // grid cells per tile side
    uint16_t textureCount = 0;
    uint16_t cellSize = 0;     // world units between vertices
    uint16_t heightScale = 0;  // hundredths of a unit per height step
    uint32_t spareWord = 0;
    uint32_t lightWord = 0;  // light direction bytes: x 16-23, y 8-15, z 0-7
};

struct MapFileData {
    MapHeader header;
    std::vector<uint32_t> textureNumbers;
    std::vector<uint8_t> tileMap;  // width x height texture-table indices
    std::vector<uint8_t> heights;  // columns x rows samples

    uint32_t Columns() const { return header.width * header.subdivisions + 1; }
    uint32_t Rows() const { return header.height * header.subdivisions + 1; }
};

constexpr uint32_t MAP_HEADER_BYTES = 32;

// Reads and checks a whole map file held in memory. Returns every fault
// found (empty for a valid file); `out` is filled only when there is none.
std::vector<std::string> ValidateMapFile(const uint8_t* data, size_t size, MapFileData* out);

// The header fields of a file at least 32 bytes long, as they stand, valid
// or not (for reports on broken files); true, and nothing read, for a
// shorter one.
bool ParseMapHeader(const uint8_t* data, size_t size, MapHeader& out);

// Reads a map file from disk; true on failure, with `fault` set, when it
// cannot be opened or is not valid. Reads only the header, the texture table, the
// tile map and the height samples, never the rest.
bool ReadMapFile(const char* path, MapFileData& out, std::string& fault);

// Serialises a map. A tileMapOffset of 0 places the tile map right after
// the texture table; a larger one leaves a zero-filled gap.
std::vector<uint8_t> EncodeMapFile(const MapFileData& map);

// The light direction the game takes from the header's light word: each
// byte is masked in place, not shifted down, then scaled by 1/255.
Vec3 LightDirFromWord(uint32_t lightWord);

// Which entry's picture each texture-table entry shows, as the game loads
// them: -1 for an entry no tile names (it is never loaded; a tile byte can
// name only the first 256), and for a number repeated among the named
// entries, the first of them (the picture is loaded once).
std::vector<int32_t> TextureSources(const std::vector<uint8_t>& tileMap, const std::vector<uint32_t>& textureNumbers);

// The path of terrain texture `number` ("Data\Tex%04d.bmp", the platform's
// separator): at least four digits, more when the number has them.
std::string MapTexturePath(uint32_t number);
