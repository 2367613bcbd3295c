#include "world/MapFile.h"

#include "gfx/AssetPath.h"
#include "gfx/LittleEndian.h"
#include "gfx/RegularFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

MapHeader ParseHeader(const uint8_t* data)
{
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
    return h;
}

}  // namespace

bool ParseMapHeader(const uint8_t* data, size_t size, MapHeader& out)
{
    if (size < MAP_HEADER_BYTES)
        return true;
    out = ParseHeader(data);
    return false;
}

namespace {

// Sizes a header implies, in 64 bits; `bounded` is false when the grid is
// beyond MAP_MAX_VERTICES, and then tiles and vertices are not to be used.
struct MapSizes {
    uint64_t columns, rows, vertices, tiles, tableEnd;
    bool bounded;
};

MapSizes SizesOf(const MapHeader& h)
{
    MapSizes s;
    s.columns = uint64_t(h.width) * h.subdivisions + 1;
    s.rows = uint64_t(h.height) * h.subdivisions + 1;
    // Each side is bounded before the product, which then cannot wrap.
    s.bounded = s.columns <= MAP_MAX_VERTICES && s.rows <= MAP_MAX_VERTICES && s.columns * s.rows <= MAP_MAX_VERTICES;
    s.vertices = s.bounded ? s.columns * s.rows : 0;
    s.tiles = s.bounded ? uint64_t(h.width) * h.height : 0;
    s.tableEnd = MAP_HEADER_BYTES + 4 * uint64_t(h.textureCount);
    return s;
}

// The checks themselves. `head` holds the file from offset 0 and `body` the
// file from tileMapOffset on; each may stop short of the file's end as long
// as it reaches past everything a valid file has there.
std::vector<std::string> Validate(uint64_t size, const uint8_t* head, size_t headSize, const uint8_t* body,
                                  size_t bodySize, MapFileData* out)
{
    std::vector<std::string> faults;
    if (size < MAP_HEADER_BYTES || headSize < MAP_HEADER_BYTES) {
        faults.push_back("map file is shorter than its 32-byte header");
        return faults;
    }
    MapHeader h = ParseHeader(head);
    MapSizes s = SizesOf(h);

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
    if (!s.bounded)
        faults.push_back("map is too large: " + std::to_string(s.columns) + " x " + std::to_string(s.rows) +
                         " vertices (at most " + std::to_string(MAP_MAX_VERTICES) + " in all)");
    if (s.tableEnd > size || s.tableEnd > headSize)
        faults.push_back("map file is truncated in the texture table");

    if (h.tileMapOffset > size) {
        faults.push_back("tile map offset " + std::to_string(h.tileMapOffset) + " is beyond the end of the file (" +
                         std::to_string(size) + " bytes)");
    } else if (s.bounded) {
        uint64_t bodyEnd = std::min<uint64_t>(size - h.tileMapOffset, bodySize);
        if (s.tiles > bodyEnd) {
            faults.push_back("map file is truncated in the tile map");
        } else {
            for (uint64_t i = 0; i < s.tiles; ++i) {
                if (body[i] >= h.textureCount) {
                    faults.push_back("tile " + std::to_string(i) + " uses texture " + std::to_string(body[i]) +
                                     " of a table of " + std::to_string(h.textureCount));
                    break;
                }
            }
            if (s.tiles + s.vertices > bodyEnd)
                faults.push_back("map file is truncated in the height samples");
        }
    }

    if (!faults.empty() || !out)
        return faults;

    out->header = h;
    out->textureNumbers.resize(h.textureCount);
    for (uint32_t i = 0; i < h.textureCount; ++i)
        out->textureNumbers[i] = ReadU32(head + MAP_HEADER_BYTES + 4 * i);
    out->tileMap.assign(body, body + s.tiles);
    out->heights.assign(body + s.tiles, body + s.tiles + s.vertices);
    return faults;
}

// Reads up to `count` bytes at `offset`; true on a read error.
bool ReadAt(FILE* file, uint64_t offset, uint64_t count, std::vector<uint8_t>& bytes)
{
    bytes.resize(count);
    if (count == 0)
        return false;
    if (fseeko(file, off_t(offset), SEEK_SET) != 0)
        return true;
    size_t got = fread(bytes.data(), 1, count, file);
    bytes.resize(got);
    return ferror(file) != 0;
}

}  // namespace

std::vector<std::string> ValidateMapFile(const uint8_t* data, size_t size, MapFileData* out)
{
    size_t bodyStart = size;
    if (size >= MAP_HEADER_BYTES)
        bodyStart = std::min<size_t>(size, ReadU32(data));
    return Validate(size, data, size, data + bodyStart, size - bodyStart, out);
}

bool ReadMapFile(const char* path, MapFileData& out, std::string& fault)
{
    std::string why;
    FILE* file = OpenRegularFile(path, why);
    if (!file) {
        fault = "cannot open the map file: " + (why.empty() ? std::string(strerror(errno)) : why);
        return true;
    }
    // Only the parts a valid file has are read: the header with its table,
    // and from tileMapOffset the tile map and height samples. A huge gap or
    // trailing data costs nothing, and nothing unbounded is held in memory.
    std::vector<uint8_t> head, body;
    bool failed = fseeko(file, 0, SEEK_END) != 0;
    off_t end = failed ? -1 : ftello(file);
    uint64_t size = end > 0 ? uint64_t(end) : 0;
    failed = failed || end < 0 || ReadAt(file, 0, std::min<uint64_t>(size, MAP_HEADER_BYTES), head);
    if (!failed && head.size() == MAP_HEADER_BYTES) {
        MapHeader h = ParseHeader(head.data());
        MapSizes s = SizesOf(h);
        failed = ReadAt(file, 0, std::min<uint64_t>(size, s.tableEnd), head);
        if (!failed && h.tileMapOffset <= size)
            failed =
                ReadAt(file, h.tileMapOffset, std::min<uint64_t>(size - h.tileMapOffset, s.tiles + s.vertices), body);
    }
    fclose(file);
    if (failed) {
        fault = "read error in the map file";
        return true;
    }
    std::vector<std::string> faults = Validate(size, head.data(), head.size(), body.data(), body.size(), &out);
    if (!faults.empty()) {
        fault = faults.front();
        return true;
    }
    return false;
}

std::vector<uint8_t> EncodeMapFile(const MapFileData& map)
{
    const MapHeader& h = map.header;
    uint32_t tableEnd = MAP_HEADER_BYTES + 4 * uint32_t(map.textureNumbers.size());
    uint32_t tileMapOffset = h.tileMapOffset > tableEnd ? h.tileMapOffset : tableEnd;
    std::vector<uint8_t> out;
    AppendLE(out, tileMapOffset, 4);
    AppendLE(out, h.width, 4);
    AppendLE(out, h.height, 4);
    AppendLE(out, h.extraWord, 4);
    AppendLE(out, h.subdivisions, 2);
    AppendLE(out, uint16_t(map.textureNumbers.size()), 2);
    AppendLE(out, h.cellSize, 2);
    AppendLE(out, h.heightScale, 2);
    AppendLE(out, h.spareWord, 4);
    AppendLE(out, h.lightWord, 4);
    for (uint32_t number : map.textureNumbers)
        AppendLE(out, number, 4);
    out.resize(tileMapOffset, 0);
    out.insert(out.end(), map.tileMap.begin(), map.tileMap.end());
    out.insert(out.end(), map.heights.begin(), map.heights.end());
    return out;
}

Vec3 LightDirFromWord(uint32_t lightWord)
{
    const float k = 1.0f / 255.0f;
    return Vec3(float(lightWord & 0x00FF0000u) * k, float(lightWord & 0x0000FF00u) * k,
                float(lightWord & 0x000000FFu) * k);
}

std::vector<int32_t> TextureSources(const std::vector<uint8_t>& tileMap, const std::vector<uint32_t>& textureNumbers)
{
    std::vector<int32_t> sources(textureNumbers.size(), -1);
    for (uint8_t entry : tileMap)
        if (entry < sources.size())
            sources[entry] = entry;
    for (size_t i = 0; i < sources.size(); ++i)
        for (size_t j = 0; j < i && sources[i] == int32_t(i); ++j)
            if (sources[j] == int32_t(j) && textureNumbers[j] == textureNumbers[i])
                sources[i] = int32_t(j);
    return sources;
}

std::string MapTexturePath(uint32_t number)
{
    // A signed decimal of at least four digits: 7 is Tex0007, 12345 Tex12345.
    return FormatAssetPath(TERRAIN_TEXTURE_ASSET_FORMAT, int(int32_t(number)));
}
