#include "world/MapFile.h"

#include <cstdio>

namespace {

uint32_t ReadU32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint16_t ReadU16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

void PutU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}
void PutU16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

} // namespace

std::vector<std::string> ValidateMapFile(const uint8_t* data, size_t size, MapFileData* out)
{
    std::vector<std::string> faults;
    if (size < MAP_HEADER_BYTES) {
        faults.push_back("map file is shorter than its 32-byte header");
        return faults;
    }
    MapHeader h;
    h.tileMapOffset = ReadU32(data + 0);
    h.width = ReadU32(data + 4);
    h.height = ReadU32(data + 8);
    h.extraWord = ReadU32(data + 12);
    h.subdivisions = ReadU16(data + 16);
    h.textureCount = ReadU16(data + 18);
    h.cellSize = ReadU16(data + 20);
    h.heightScale = ReadU16(data + 22);
    h.spareWord = ReadU32(data + 24);
    h.lightWord = ReadU32(data + 28);

    if (h.cellSize == 0)
        faults.push_back("cell size is 0");
    if (h.subdivisions == 0)
        faults.push_back("subdivisions is 0");
    if (h.width == 0)
        faults.push_back("width is 0");
    if (h.height == 0)
        faults.push_back("height is 0");
    if (h.textureCount == 0)
        faults.push_back("texture count is 0");

    // Sizes in 64 bits: nothing below can wrap before it is bounded.
    uint64_t columns = uint64_t(h.width) * h.subdivisions + 1;
    uint64_t rows = uint64_t(h.height) * h.subdivisions + 1;
    uint64_t vertexCount = columns * rows;
    uint64_t tileCount = uint64_t(h.width) * h.height;
    bool sizesKnown = vertexCount <= MAP_MAX_VERTICES;
    if (!sizesKnown)
        faults.push_back("map is too large: " + std::to_string(columns) + " x " + std::to_string(rows) +
                         " vertices (at most 16777216 in all)");

    uint64_t tableEnd = MAP_HEADER_BYTES + 4 * uint64_t(h.textureCount);
    if (tableEnd > size)
        faults.push_back("map file is truncated in the texture table");

    if (h.tileMapOffset > size) {
        faults.push_back("tile map offset " + std::to_string(h.tileMapOffset) + " is beyond the end of the file (" +
                         std::to_string(size) + " bytes)");
    } else if (sizesKnown) {
        uint64_t tileEnd = uint64_t(h.tileMapOffset) + tileCount;
        if (tileEnd > size) {
            faults.push_back("map file is truncated in the tile map");
        } else {
            for (uint64_t i = 0; i < tileCount; ++i) {
                uint8_t t = data[h.tileMapOffset + i];
                if (t >= h.textureCount) {
                    faults.push_back("tile " + std::to_string(i) + " uses texture " + std::to_string(t) +
                                     " of a table of " + std::to_string(h.textureCount));
                    break;
                }
            }
            if (tileEnd + vertexCount > size)
                faults.push_back("map file is truncated in the height samples");
        }
    }

    if (!faults.empty() || !out)
        return faults;

    out->header = h;
    out->textureNumbers.resize(h.textureCount);
    for (uint32_t i = 0; i < h.textureCount; ++i)
        out->textureNumbers[i] = ReadU32(data + MAP_HEADER_BYTES + 4 * i);
    const uint8_t* tiles = data + h.tileMapOffset;
    out->tileMap.assign(tiles, tiles + tileCount);
    out->heights.assign(tiles + tileCount, tiles + tileCount + vertexCount);
    return faults;
}

bool ReadMapFile(const char* path, MapFileData& out, std::string& fault)
{
    FILE* file = fopen(path, "rb");
    if (!file) {
        fault = "cannot open the map file";
        return false;
    }
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    bool readError = ferror(file) != 0;
    fclose(file);
    if (readError) {
        fault = "read error in the map file";
        return false;
    }
    std::vector<std::string> faults = ValidateMapFile(bytes.data(), bytes.size(), &out);
    if (!faults.empty()) {
        fault = faults.front();
        return false;
    }
    return true;
}

std::vector<uint8_t> EncodeMapFile(const MapFileData& map)
{
    const MapHeader& h = map.header;
    uint32_t tableEnd = MAP_HEADER_BYTES + 4 * uint32_t(map.textureNumbers.size());
    uint32_t tileMapOffset = h.tileMapOffset > tableEnd ? h.tileMapOffset : tableEnd;
    std::vector<uint8_t> out;
    PutU32(out, tileMapOffset);
    PutU32(out, h.width);
    PutU32(out, h.height);
    PutU32(out, h.extraWord);
    PutU16(out, h.subdivisions);
    PutU16(out, uint16_t(map.textureNumbers.size()));
    PutU16(out, h.cellSize);
    PutU16(out, h.heightScale);
    PutU32(out, h.spareWord);
    PutU32(out, h.lightWord);
    for (uint32_t number : map.textureNumbers)
        PutU32(out, number);
    out.resize(tileMapOffset, 0);
    out.insert(out.end(), map.tileMap.begin(), map.tileMap.end());
    out.insert(out.end(), map.heights.begin(), map.heights.end());
    return out;
}

bool WriteMapFile(const char* path, const MapFileData& map)
{
    std::vector<uint8_t> bytes = EncodeMapFile(map);
    FILE* file = fopen(path, "wb");
    if (!file)
        return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && ok;
}

Vec3 LightDirFromWord(uint32_t lightWord)
{
    const float k = 1.0f / 255.0f;
    return Vec3(float(lightWord & 0x00FF0000u) * k, float(lightWord & 0x0000FF00u) * k,
                float(lightWord & 0x000000FFu) * k);
}
