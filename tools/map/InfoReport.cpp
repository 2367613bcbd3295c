#include "tools/map/InfoReport.h"

#include "base/GameFacts.h"
#include "gfx/Bitmap.h"
#include "gfx/RegularFile.h"
#include "tools/common/FileBytes.h"
#include "tools/map/SunDirection.h"
#include "world/Map.h"
#include "world/MapFile.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Files up to this size are read whole to list every fault; a larger one
// (a valid map may hold a huge gap) gets the game reader's first fault.
const uint64_t WHOLE_FILE_LIMIT = uint64_t(256) << 20;

void Line(std::string& text, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Line(std::string& text, const char* format, ...)
{
    char buffer[512];
    va_list args;
    va_start(args, format);
    vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    text += buffer;
    text += '\n';
}

// The unit to print after a count: singular for exactly 1.
const char* Unit(uint64_t count, const char* one, const char* many) { return count == 1 ? one : many; }

// Whether the game could load a texture file: missing, refused (why), or present.
std::string TextureState(const fs::path& path)
{
    std::string why;
    FILE* file = OpenRegularFile(path.string().c_str(), why);
    if (!file)
        return why.empty() ? "missing" : "refused: " + why;
    uint8_t header[BMP_HEADER_BYTES] = {};
    size_t got = fread(header, 1, sizeof header, file);
    uint64_t size = fseeko(file, 0, SEEK_END) == 0 ? uint64_t(std::max<off_t>(0, ftello(file))) : 0;
    fclose(file);
    why = CheckBmpHeader(header, got, size);
    return why.empty() ? "present" : "refused: " + why;
}

void DescribeHeader(std::string& text, const MapHeader& h)
{
    Line(text, "header");
    Line(text, "  tileMapOffset  %u", h.tileMapOffset);
    Line(text, "  width          %u %s", h.width, Unit(h.width, "tile", "tiles"));
    Line(text, "  height         %u %s", h.height, Unit(h.height, "tile", "tiles"));
    Line(text, "  extraWord      0x%08X", h.extraWord);
    Line(text, "  subdivisions   %u %s per tile side", unsigned(h.subdivisions), Unit(h.subdivisions, "cell", "cells"));
    Line(text, "  textureCount   %u", unsigned(h.textureCount));
    Line(text, "  cellSize       %u %s", unsigned(h.cellSize), Unit(h.cellSize, "world unit", "world units"));
    Line(text, "  heightScale    %u (%.2f world units per height step)", unsigned(h.heightScale),
         double(float(h.heightScale) * 0.01f));
    if (h.cellSize > 0) {
        // How steep the map draws: what import keeps at the land's true ratio.
        const double ratio = double(float(h.heightScale) * 0.01f) / h.cellSize;
        Line(text, "  step ratio     %.4f (a height step over a cell; one step per cell rises %.2f degrees)", ratio,
             std::atan(ratio) * 180.0 / M_PI);
    }
    Line(text, "  spareWord      0x%08X", h.spareWord);
    Line(text, "  lightWord      0x%08X", h.lightWord);
}

void DescribeTextures(std::string& text, const MapFileData& file, const fs::path& mapDir)
{
    // A tile names its entry in one byte: entries from 256 on never show.
    size_t tiles[256] = {};
    for (uint8_t entry : file.tileMap)
        ++tiles[entry];
    const std::vector<int32_t> sources = TextureSources(file.tileMap, file.textureNumbers);
    Line(text, "textures (image files looked for beside the map)");
    std::string unnamed;
    size_t unnamedCount = 0;
    for (size_t i = 0; i < file.textureNumbers.size(); ++i) {
        if (sources[i] < 0) {
            if (++unnamedCount <= 12)
                unnamed += (unnamedCount > 1 ? ", " : "") + std::to_string(i);
            continue;
        }
        uint32_t number = file.textureNumbers[i];
        std::string path = MapTexturePath(number);
        std::string state = sources[i] != int32_t(i) ? "the picture of entry " + std::to_string(sources[i])
                                                     : TextureState(mapDir / fs::path(path).filename());
        Line(text, "  %-3zu number %-6u %-18s %5zu %-6s %s", i, number, path.c_str(), tiles[i],
             Unit(tiles[i], "tile", "tiles"), state.c_str());
    }
    if (unnamedCount > 0)
        Line(text, "  %zu %s no tile names, not loaded by the game: %s%s", unnamedCount,
             Unit(unnamedCount, "entry", "entries"), unnamed.c_str(), unnamedCount > 12 ? ", ..." : "");
}

void DescribeLight(std::string& text, uint32_t lightWord)
{
    Vec3 v = LightDirFromWord(lightWord);
    SunAngles sun = SunAnglesOfWord(lightWord);
    Line(text, "light");
    Line(text, "  lightDir       (%.6f, %.6f, %.6f)", double(v.x), double(v.y), double(v.z));
    if (sun.none) {
        Line(text, "  direction      none: the ground gets only the ambient light");
        return;
    }
    Vec3 direction = v / Length(v);
    Line(text, "  direction      (%.4f, %.4f, %.4f)", double(direction.x), double(direction.y), double(direction.z));
    Line(text, "  elevation      %.1f degrees", sun.elevation);
    if (sun.overhead)
        Line(text, "  azimuth        none (straight up)");
    else
        Line(text, "  azimuth        %.1f degrees (0 along +x, 90 along +y)", sun.azimuth);
    if (lightWord >> 24)
        Line(text, "  note           bits 24-31 of the light word are not read");
}

void DescribeGround(std::string& text, const CMap& map, const char* name, float x, float y)
{
    char where[48];
    snprintf(where, sizeof where, "%s (%g, %g)", name, double(x), double(y));
    // The game's own test for ground: any point of the grid, height 0 included.
    if (map.Contains(x, y))
        Line(text, "  %-15s ground %.2f (the player drops from %g)", where, double(map.GetHeight(x, y)),
             double(DROP_HEIGHT));
    else
        Line(text, "  %-15s no ground: the player falls until it is put back", where);
}

void DescribeMap(std::string& text, const MapFileData& file, const fs::path& mapDir)
{
    DescribeHeader(text, file.header);

    // Sizes and heights as the game derives them.
    CMap map;
    map.LoadGrid(file);
    Line(text, "sizes");
    Line(text, "  columns        %u", map.columns);
    Line(text, "  rows           %u", map.rows);
    Line(text, "  vertexCount    %u", map.vertexCount);
    Line(text, "  triangleCount  %u", map.triangleCount);
    Line(text, "  extent         %g x %g world units", double(float(map.columns - 1) * map.cellSize),
         double(float(map.rows - 1) * map.cellSize));

    DescribeTextures(text, file, mapDir);

    auto [lo, hi] = std::minmax_element(file.heights.begin(), file.heights.end());
    Line(text, "heights");
    Line(text, "  raw            %u .. %u", unsigned(*lo), unsigned(*hi));
    Line(text, "  scaled         %.2f .. %.2f world units", double(float(*lo) * map.heightScale),
         double(float(*hi) * map.heightScale));

    DescribeLight(text, file.header.lightWord);
    Line(text, "player");
    DescribeGround(text, map, "start", START_X, START_Y);
    DescribeGround(text, map, "reset", RESET_X, RESET_Y);
}

// Reads the whole file when it is of a size to hold, and of a larger one
// only its size; true when it cannot be opened or read, with `error` set.
bool ReadWhole(const std::string& path, std::vector<uint8_t>& bytes, uint64_t& size, std::string& error)
{
    std::error_code failure;
    uint64_t onDisk = fs::is_regular_file(path, failure) ? fs::file_size(path, failure) : 0;
    if (!failure && onDisk > WHOLE_FILE_LIMIT) {
        FILE* file = fopen(path.c_str(), "rb");
        if (!file) {
            error = strerror(errno);
            return true;
        }
        fclose(file);
        size = onDisk;
        return false;
    }
    if (ReadFileBytes(path, bytes, error))
        return true;
    size = bytes.size();
    return false;
}

}  // namespace

InfoReport BuildInfoReport(const std::string& path)
{
    InfoReport report;
    std::vector<uint8_t> bytes;
    uint64_t size = 0;
    std::string error;
    if (ReadWhole(path, bytes, size, error)) {
        report.text = "cannot read " + path + ": " + error;
        return report;
    }
    report.opened = true;

    MapFileData file;
    std::string fault;
    report.valid = !ReadMapFile(path.c_str(), file, fault);
    if (size <= WHOLE_FILE_LIMIT)
        report.faults = ValidateMapFile(bytes.data(), bytes.size(), nullptr);
    else if (!report.valid)
        report.faults.push_back(fault);
    if (report.valid != report.faults.empty())
        report.faults.push_back("the game's reader and the validation disagree about this file");

    std::string& text = report.text;
    Line(text, "%s: %llu %s, %s", path.c_str(), (unsigned long long)size, Unit(size, "byte", "bytes"),
         report.valid ? "valid" : "not valid");
    MapHeader header;
    if (report.valid) {
        DescribeMap(text, file, fs::path(path).parent_path());
    } else if (!ParseMapHeader(bytes.data(), bytes.size(), header)) {
        // What the broken file claims, to see where it goes wrong.
        DescribeHeader(text, header);
        DescribeLight(text, header.lightWord);
    }
    Line(text, "faults");
    if (report.faults.empty())
        Line(text, "  none");
    for (const std::string& f : report.faults)
        Line(text, "  %s", f.c_str());
    return report;
}
