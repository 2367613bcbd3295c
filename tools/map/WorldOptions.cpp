#include "tools/map/WorldOptions.h"

#include "base/GameFacts.h"
#include "game/CommandLine.h"
#include "tools/map/EarthScale.h"
#include "tools/map/ImportPlan.h"
#include "tools/map/SunDirection.h"
#include "world/MapFile.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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
                 "  --force                 replace a world already in DIR\n"
                 "  -h, --help              this text\n"
                 "  --version               the tool's version\n",
                 unsigned(DEFAULT_MAP_SEED), unsigned(DEFAULT_MAP_TILES_ACROSS), unsigned(DEFAULT_MAP_TILES_DOWN),
                 unsigned(DEFAULT_MAP_SUBDIVISIONS), unsigned(DEFAULT_MAP_CELL_SIZE),
                 unsigned(DEFAULT_MAP_HEIGHT_SCALE), double(DEFAULT_MAP_ROUGHNESS));
    } else {
        snprintf(text, sizeof text,
                 "usage: terravell-map import HEIGHTMAP -o DIR [options]\n"
                 "Turns an elevation model or a grayscale picture into a world in DIR: map1.raw and\n"
                 "its terrain textures. HEIGHTMAP is a GeoTIFF elevation model (one band of int16,\n"
                 "uint16, int32 or float32 metres), an SRTM .hgt tile, an 8- or 16-bit grayscale\n"
                 "PNG, a binary PGM (P5, 8 or 16 bit) or a 24-bit BMP (colour pictures are read by\n"
                 "luminance). Its top row (north) becomes the map's row 0, its left column column 0;\n"
                 "the elevation models' voids are filled smoothly over each hole's rim.\n"
                 "\n"
                 "Each source sample becomes one vertex, the grid padded or cropped by less than a\n"
                 "tile at its far edges; a source beyond the game's %llu vertices is resampled to\n"
                 "the largest grid that fits. Where the file gives its spacing and heights in metres\n"
                 "(or --pixel-size does), the land keeps its true proportions: the relief is spread\n"
                 "over %d height steps, the cell size and height scale are chosen to match within\n"
                 "half a percent, and the tiles are textured by real altitude and slope: water at\n"
                 "and below the sea, snow above the snow line, rock where it is steep. A picture\n"
                 "without a scale becomes black 0 to white 255, as wide as the default world.\n"
                 "\n"
                 "  -o, --output DIR        where to write (created if missing)\n"
                 "  --region X0,Y0,X1,Y1[deg|m]\n"
                 "                          import only the window between two opposite corners, at\n"
                 "                          full resolution: in samples (column, row; 0,0 the top left),\n"
                 "                          or longitude,latitude with 'deg', or the file's projected\n"
                 "                          x,y with 'm'\n"
                 "  --pixel-size METRES     metres between samples, for a file that does not say;\n"
                 "                          a picture's sample values are then read as metres\n"
                 "  --exaggeration X        draw heights X times their true scale (default 1); the\n"
                 "                          cell size stays where the height scale can hold it\n"
                 "  --snow-line METRES      real land above this is snow (default: by the latitude,\n"
                 "                          from %g m at the equator to %g m at 60 degrees)\n"
                 "  --tiles WxH             tiles across and down: the source stretched over them\n"
                 "  --subdivisions N        grid cells along a tile side (default: %u to %u, the best fit)\n"
                 "  --cell-size N           world units between vertices (default: chosen for the scale)\n"
                 "  --height-scale N        hundredths of a world unit per height step (default: chosen\n"
                 "                          for the scale; %u for a picture)\n"
                 "  --stretch               a picture's lowest pixel becomes 0 and its highest 255\n"
                 "  --sun-elevation DEG     as for generate\n"
                 "  --sun-azimuth DEG       as for generate\n"
                 "  --with-assets[=DATADIR] as for generate\n"
                 "  --force                 replace a world already in DIR\n"
                 "  -h, --help              this text\n"
                 "  --version               the tool's version\n",
                 (unsigned long long)MAP_MAX_VERTICES, HEIGHT_STEPS, SnowLineAt(0.0), SnowLineAt(60.0),
                 MIN_CHOSEN_SUBDIVISIONS, MAX_CHOSEN_SUBDIVISIONS, unsigned(DEFAULT_MAP_HEIGHT_SCALE));
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

// "16x12", or "16" for a square.
bool ParseTiles(const std::string& text, uint32_t& across, uint32_t& down)
{
    size_t x = text.find_first_of("xX");
    unsigned long long w = 0, h = 0;
    if (x == std::string::npos) {
        if (ParseWhole(text, 1, 0xFFFFFFFFu, w))
            return true;
        h = w;
    } else if (ParseWhole(text.substr(0, x), 1, 0xFFFFFFFFu, w) || ParseWhole(text.substr(x + 1), 1, 0xFFFFFFFFu, h)) {
        return true;
    }
    across = uint32_t(w);
    down = uint32_t(h);
    return false;
}

// Two corners, "X0,Y0,X1,Y1", whole samples or, with "deg" or "m" after
// them, the file's coordinates.
bool ParseRegion(const std::string& text, WorldOptions& out)
{
    std::string numbers = text;
    out.regionUnit = RegionUnit::Samples;
    for (auto [suffix, unit] : {std::pair{"deg", RegionUnit::Degrees}, std::pair{"m", RegionUnit::Metres}}) {
        const size_t n = strlen(suffix);
        if (numbers.size() > n && numbers.compare(numbers.size() - n, n, suffix) == 0) {
            numbers.resize(numbers.size() - n);
            out.regionUnit = unit;
            break;
        }
    }
    size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        const size_t comma = numbers.find(',', start);
        if ((comma == std::string::npos) != (i == 3))
            return true;
        const std::string part = numbers.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        unsigned long long whole = 0;
        if (out.regionUnit == RegionUnit::Samples ? ParseWhole(part, 0, 1u << 20, whole)
                                                  : ParseReal(part, -1e9, 1e9, out.region[i]))
            return true;
        if (out.regionUnit == RegionUnit::Samples)
            out.region[i] = double(whole);
        if (comma != std::string::npos)
            start = comma + 1;
    }
    out.regionGiven = true;
    return false;
}

enum : int {
    OPT_SEED = 256,
    OPT_TILES,
    OPT_SUBDIVISIONS,
    OPT_CELL_SIZE,
    OPT_HEIGHT_SCALE,
    OPT_ROUGHNESS,
    OPT_SUN_ELEVATION,
    OPT_SUN_AZIMUTH,
    OPT_WITH_ASSETS,
    OPT_STRETCH,
    OPT_PIXEL_SIZE,
    OPT_EXAGGERATION,
    OPT_REGION,
    OPT_SNOW_LINE,
    OPT_FORCE,
};

// The long options of a command: its own, then those both take.
std::vector<option> OptionsFor(Command command)
{
    std::vector<option> options = LongOptions({
        {"output", required_argument, nullptr, 'o'},
        {"tiles", required_argument, nullptr, OPT_TILES},
        {"subdivisions", required_argument, nullptr, OPT_SUBDIVISIONS},
        {"cell-size", required_argument, nullptr, OPT_CELL_SIZE},
        {"height-scale", required_argument, nullptr, OPT_HEIGHT_SCALE},
        {"sun-elevation", required_argument, nullptr, OPT_SUN_ELEVATION},
        {"sun-azimuth", required_argument, nullptr, OPT_SUN_AZIMUTH},
        {"with-assets", optional_argument, nullptr, OPT_WITH_ASSETS},
        {"force", no_argument, nullptr, OPT_FORCE},
    });
    if (command == Command::Generate)
        options.insert(options.begin(), {{"seed", required_argument, nullptr, OPT_SEED},
                                         {"roughness", required_argument, nullptr, OPT_ROUGHNESS}});
    else
        options.insert(options.begin(), {{"stretch", no_argument, nullptr, OPT_STRETCH},
                                         {"pixel-size", required_argument, nullptr, OPT_PIXEL_SIZE},
                                         {"exaggeration", required_argument, nullptr, OPT_EXAGGERATION},
                                         {"region", required_argument, nullptr, OPT_REGION},
                                         {"snow-line", required_argument, nullptr, OPT_SNOW_LINE}});
    return options;
}

// One option that takes a value; true on failure with `error` set.
bool Apply(int id, const std::string& name, const std::string& value, WorldOptions& out, bool& elevationGiven,
           bool& azimuthGiven, std::string& error)
{
    TerrainParams& p = out.params;
    unsigned long long whole = 0;
    auto bad = [&](const char* wants) {
        error = name + " wants " + wants + " (got '" + value + "')";
        return true;
    };
    switch (id) {
    case 'o':
        if (value.empty())
            return bad("a directory");
        out.outDir = value;
        break;
    case OPT_SEED:
        if (ParseWhole(value, 0, 0xFFFFFFFFu, whole))
            return bad("a whole number from 0 to 4294967295");
        p.seed = uint32_t(whole);
        break;
    case OPT_TILES:
        if (ParseTiles(value, p.tilesAcross, p.tilesDown))
            return bad("WIDTHxHEIGHT in tiles, e.g. 16x16");
        out.tilesGiven = true;
        break;
    case OPT_SUBDIVISIONS:
    case OPT_CELL_SIZE:
    case OPT_HEIGHT_SCALE: {
        if (ParseWhole(value, 1, 65535, whole))
            return bad("a whole number from 1 to 65535");
        uint16_t& field = id == OPT_SUBDIVISIONS ? p.subdivisions : id == OPT_CELL_SIZE ? p.cellSize : p.heightScale;
        field = uint16_t(whole);
        (id == OPT_SUBDIVISIONS ? out.subdivisionsGiven
         : id == OPT_CELL_SIZE  ? out.cellSizeGiven
                                : out.heightScaleGiven) = true;
        break;
    }
    case OPT_ROUGHNESS: {
        double r = 0.0;
        if (ParseReal(value, 0.0, 1.0, r))
            return bad("a number from 0 to 1");
        p.roughness = float(r);
        break;
    }
    case OPT_PIXEL_SIZE:
        if (ParseReal(value, MIN_SPACING_METRES, MAX_SPACING_METRES, out.pixelSize))
            return bad("metres from 0.001 to 1000000");
        break;
    case OPT_REGION:
        if (ParseRegion(value, out))
            return bad("X0,Y0,X1,Y1 in samples, or followed by deg or m");
        break;
    case OPT_SNOW_LINE:
        if (ParseReal(value, -MAX_HEIGHT_METRES, MAX_HEIGHT_METRES, out.snowLine) || out.snowLine == 0.0)
            return bad("metres from -100000 to 100000, not 0");
        break;
    case OPT_EXAGGERATION:
        if (ParseReal(value, 0.01, 100.0, out.exaggeration))
            return bad("a number from 0.01 to 100");
        break;
    case OPT_SUN_ELEVATION:
        if (ParseReal(value, 0.0, 90.0, out.sunElevation))
            return bad("degrees from 0 to 90");
        elevationGiven = true;
        break;
    case OPT_SUN_AZIMUTH:
        if (ParseReal(value, -1e6, 1e6, out.sunAzimuth))
            return bad("degrees");
        azimuthGiven = true;
        break;
    }
    return false;
}

}  // namespace

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
    CCommandLine line("terravell-map", args);
    const std::vector<option> options = OptionsFor(command);
    int id;
    while ((id = line.Next("o:h", options.data(), error)) != -1) {
        switch (id) {
        case '?':
            return true;
        case 'h':
            out.help = true;
            return false;
        case 'V':
            out.version = true;
            return false;
        case OPT_WITH_ASSETS:
            out.withAssets = true;
            out.assetDir = line.Value() ? line.Value() : "";
            break;
        case OPT_STRETCH:
            out.stretch = true;
            break;
        case OPT_FORCE:
            out.force = true;
            break;
        default:
            if (Apply(id, line.Name(), line.Value(), out, elevationGiven, azimuthGiven, error))
                return true;
        }
    }
    for (const std::string& operand : line.Operands()) {
        if (command == Command::Import && out.input.empty()) {
            out.input = operand;
            continue;
        }
        error = "unexpected argument '" + operand + "'";
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
