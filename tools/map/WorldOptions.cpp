#include "tools/map/WorldOptions.h"

#include "game/GameFacts.h"
#include "tools/map/SunDirection.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// The usage texts, with the defaults the tool really uses.
std::string BuildUsage(Command command)
{
    char text[4096];
    if (command == Command::Generate) {
        snprintf(text, sizeof text,
                 "usage: terravell-map generate [options] -o DIR\n"
                 "Writes a generated world into DIR: map1.raw and the terrain textures it names.\n"
                 "\n"
                 "  -o, --output DIR        where to write (created if missing)\n"
                 "  --seed N                landscape seed (default %u, the default world)\n"
                 "  --tiles WxH             tiles across and down (default %ux%u)\n"
                 "  --subdivisions N        grid cells along a tile side (default %u)\n"
                 "  --cell-size N           world units between vertices (default %u)\n"
                 "  --height-scale N        hundredths of a world unit per height step (default %u)\n"
                 "  --roughness R           0 smooth .. 1 craggy (default %g)\n"
                 "  --sun-elevation DEG     sun height above the horizon, 0..90\n"
                 "  --sun-azimuth DEG       sun direction in the ground plane: 0 along +x (columns),\n"
                 "                          90 along +y (rows); the map file can hold only a few\n"
                 "                          directions, and the nearest one is used and reported\n"
                 "  --with-assets[=DATADIR] also copy the font, HUD and sky images from DATADIR\n"
                 "                          (default: the Data directory beside this program),\n"
                 "                          so DIR is a complete Data folder\n"
                 "  -h, --help              this text\n",
                 unsigned(DEFAULT_MAP_SEED), unsigned(DEFAULT_MAP_TILES_ACROSS), unsigned(DEFAULT_MAP_TILES_DOWN),
                 unsigned(DEFAULT_MAP_SUBDIVISIONS), unsigned(DEFAULT_MAP_CELL_SIZE), unsigned(DEFAULT_MAP_HEIGHT_SCALE),
                 double(DEFAULT_MAP_ROUGHNESS));
    } else {
        snprintf(text, sizeof text,
                 "usage: terravell-map import HEIGHTMAP -o DIR [options]\n"
                 "Turns a grayscale picture into a world in DIR: map1.raw and its terrain textures.\n"
                 "HEIGHTMAP is an 8- or 16-bit grayscale PNG, a binary PGM (P5, 8 or 16 bit) or a\n"
                 "24-bit BMP (colour pictures are read by luminance). Its top row becomes the map's\n"
                 "row 0, its left column column 0; it is resampled bilinearly onto the grid, black\n"
                 "becoming height 0 and white 255.\n"
                 "\n"
                 "  -o, --output DIR        where to write (created if missing)\n"
                 "  --tiles WxH             tiles across and down (default: %u along the picture's\n"
                 "                          longer side, the other side in proportion)\n"
                 "  --subdivisions N        grid cells along a tile side (default %u)\n"
                 "  --cell-size N           world units between vertices (default %u)\n"
                 "  --height-scale N        hundredths of a world unit per height step (default %u)\n"
                 "  --stretch               map the lowest pixel to 0 and the highest to 255\n"
                 "  --sun-elevation DEG     as for generate\n"
                 "  --sun-azimuth DEG       as for generate\n"
                 "  --with-assets[=DATADIR] as for generate\n"
                 "  -h, --help              this text\n",
                 unsigned(DEFAULT_MAP_TILES_ACROSS), unsigned(DEFAULT_MAP_SUBDIVISIONS),
                 unsigned(DEFAULT_MAP_CELL_SIZE), unsigned(DEFAULT_MAP_HEIGHT_SCALE));
    }
    return text;
}

// Whole number in [low, high]; true on failure.
bool ParseWhole(const std::string& text, unsigned long long low, unsigned long long high, unsigned long long& value)
{
    if (text.empty() || text[0] < '0' || text[0] > '9')
        return true;
    char* end = nullptr;
    errno = 0;
    value = strtoull(text.c_str(), &end, 10);
    return errno != 0 || *end != '\0' || value < low || value > high;
}

// Finite decimal in [low, high]; true on failure.
bool ParseReal(const std::string& text, double low, double high, double& value)
{
    if (text.empty())
        return true;
    char* end = nullptr;
    value = strtod(text.c_str(), &end);
    return *end != '\0' || !std::isfinite(value) || value < low || value > high;
}

// "16x12", or "16" for a square.
bool ParseTiles(const std::string& text, uint32_t& across, uint32_t& down)
{
    size_t x = text.find_first_of("xX");
    unsigned long long w = 0, h = 0;
    if (x == std::string::npos) {
        if (ParseWhole(text, 1, 0xFFFFFFFFu, w))
            return true;
        h = w;
    } else if (ParseWhole(text.substr(0, x), 1, 0xFFFFFFFFu, w) ||
               ParseWhole(text.substr(x + 1), 1, 0xFFFFFFFFu, h)) {
        return true;
    }
    across = uint32_t(w);
    down = uint32_t(h);
    return false;
}

bool Takes(const std::string& name)
{
    static const char* const WITH_VALUE[] = {"-o",         "--output",       "--seed",      "--tiles",
                                             "--subdivisions", "--cell-size", "--height-scale", "--roughness",
                                             "--sun-elevation", "--sun-azimuth"};
    for (const char* n : WITH_VALUE)
        if (name == n)
            return true;
    return false;
}

// One option and its value; true on failure with `error` set.
bool Apply(Command command, const std::string& name, const std::string& value, WorldOptions& out, bool& elevationGiven,
           bool& azimuthGiven, std::string& error)
{
    TerrainParams& p = out.params;
    unsigned long long whole = 0;
    auto bad = [&](const char* wants) {
        error = name + " wants " + wants + " (got '" + value + "')";
        return true;
    };
    if (name == "-o" || name == "--output") {
        if (value.empty())
            return bad("a directory");
        out.outDir = value;
    } else if (name == "--seed" && command == Command::Generate) {
        if (ParseWhole(value, 0, 0xFFFFFFFFu, whole))
            return bad("a whole number from 0 to 4294967295");
        p.seed = uint32_t(whole);
    } else if (name == "--tiles") {
        if (ParseTiles(value, p.tilesAcross, p.tilesDown))
            return bad("WIDTHxHEIGHT in tiles, e.g. 16x16");
        out.tilesGiven = true;
    } else if (name == "--subdivisions" || name == "--cell-size" || name == "--height-scale") {
        if (ParseWhole(value, 1, 65535, whole))
            return bad("a whole number from 1 to 65535");
        uint16_t& field = name == "--subdivisions" ? p.subdivisions : name == "--cell-size" ? p.cellSize : p.heightScale;
        field = uint16_t(whole);
    } else if (name == "--roughness" && command == Command::Generate) {
        double r = 0.0;
        if (ParseReal(value, 0.0, 1.0, r))
            return bad("a number from 0 to 1");
        p.roughness = float(r);
    } else if (name == "--sun-elevation") {
        if (ParseReal(value, 0.0, 90.0, out.sunElevation))
            return bad("degrees from 0 to 90");
        elevationGiven = true;
    } else if (name == "--sun-azimuth") {
        if (ParseReal(value, -1e6, 1e6, out.sunAzimuth))
            return bad("degrees");
        azimuthGiven = true;
    } else {
        error = "unknown option " + name;
        return true;
    }
    return false;
}

} // namespace

const char* WorldUsage(Command command)
{
    static const std::string generate = BuildUsage(Command::Generate);
    static const std::string import = BuildUsage(Command::Import);
    return command == Command::Generate ? generate.c_str() : import.c_str();
}

bool ParseWorldOptions(Command command, const std::vector<std::string>& args, WorldOptions& out, std::string& error)
{
    out = WorldOptions();
    bool elevationGiven = false, azimuthGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            out.help = true;
            return false;
        }
        if (arg == "--with-assets" || arg.rfind("--with-assets=", 0) == 0) {
            out.withAssets = true;
            out.assetDir = arg.size() > 14 ? arg.substr(14) : std::string();
            continue;
        }
        if (command == Command::Import && arg == "--stretch") {
            out.stretch = true;
            continue;
        }
        if (arg.size() > 1 && arg[0] == '-') {
            size_t equals = arg.find('=');
            std::string name = arg.substr(0, equals);
            std::string value;
            if (!Takes(name)) {
                error = "unknown option " + name;
                return true;
            }
            if (equals != std::string::npos) {
                value = arg.substr(equals + 1);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                error = name + " needs a value";
                return true;
            }
            if (Apply(command, name, value, out, elevationGiven, azimuthGiven, error))
                return true;
            continue;
        }
        if (command == Command::Import && out.input.empty()) {
            out.input = arg;
            continue;
        }
        error = "unexpected argument '" + arg + "'";
        return true;
    }

    if (command == Command::Import && out.input.empty()) {
        error = "import needs a HEIGHTMAP file";
        return true;
    }
    if (out.outDir.empty()) {
        error = "missing -o DIR";
        return true;
    }
    const TerrainParams& p = out.params;
    uint64_t columns = uint64_t(p.tilesAcross) * p.subdivisions + 1;
    uint64_t rows = uint64_t(p.tilesDown) * p.subdivisions + 1;
    if (columns > MAP_MAX_VERTICES || rows > MAP_MAX_VERTICES || columns * rows > MAP_MAX_VERTICES) {
        error = "a grid of " + std::to_string(columns) + " x " + std::to_string(rows) +
                " vertices is more than the game reads (" + std::to_string(MAP_MAX_VERTICES) + " in all)";
        return true;
    }

    out.sunGiven = elevationGiven || azimuthGiven;
    if (out.sunGiven) {
        // The other angle defaults to the default world's sun.
        SunAngles fallback = SunAnglesOfWord(TerrainParams().lightWord);
        if (!elevationGiven)
            out.sunElevation = fallback.elevation;
        if (!azimuthGiven)
            out.sunAzimuth = fallback.azimuth;
        out.sunAzimuth = std::fmod(out.sunAzimuth, 360.0);
        if (out.sunAzimuth < 0.0)
            out.sunAzimuth += 360.0;
        out.params.lightWord = NearestLightWord(out.sunElevation, out.sunAzimuth);
    }
    return false;
}
