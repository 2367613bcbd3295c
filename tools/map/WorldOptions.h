#pragma once

#include "tools/assets/TerrainGenerator.h"

#include <string>
#include <vector>

// How --region gives its corners: samples, or the file's own coordinates.
enum class RegionUnit { Samples, Degrees, Metres };

// What `generate` and `import` are told on the command line.
struct WorldOptions {
    TerrainParams params;     // tiles, subdivisions, cell size, height scale, seed, roughness, light word
    bool tilesGiven = false;  // import sizes the grid after the picture otherwise
    bool subdivisionsGiven = false;
    bool cellSizeGiven = false;  // import chooses the scale otherwise
    bool heightScaleGiven = false;
    double pixelSize = 0.0;     // import: metres between samples, for files that do not say (0: not given)
    double exaggeration = 1.0;  // import: the vertical scale over the true one
    bool regionGiven = false;   // import: a window of the source, two opposite corners x, y, x, y
    double region[4] = {0, 0, 0, 0};
    RegionUnit regionUnit = RegionUnit::Samples;
    double snowLine = 0.0;  // import: metres above which real land is snow (0: by its latitude)
    bool sunGiven = false;
    double sunElevation = 0.0;  // degrees, when sunGiven
    double sunAzimuth = 0.0;
    std::string outDir;
    bool withAssets = false;
    std::string assetDir;  // empty: the Data directory beside the executable
    bool stretch = false;  // import: lowest to highest pixel onto 0..255
    std::string input;     // import: the heightmap
    bool force = false;    // replace a world already in outDir
    bool help = false;
    bool version = false;
};

enum class Command { Generate, Import };

// Parses the arguments after the command name. True on a usage error, with
// `error` the one-line reason. Fills the light word from the sun options
// (the nearest one the map file can hold) when they are given.
bool ParseWorldOptions(Command command, const std::vector<std::string>& args, WorldOptions& out, std::string& error);

// The usage text of a command, for --help.
const char* WorldUsage(Command command);
