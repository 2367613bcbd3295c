#pragma once

#include "world/MapFile.h"

#include <string>
#include <vector>

// The images a Data folder needs besides the map and its terrain textures.
std::vector<std::string> OtherAssetNames();

// The Data directory beside the running executable.
std::string DefaultAssetDir();

// Writes map1.raw and the terrain textures the map names into `dir`
// (created if missing), and with `withAssets` copies the other assets from
// `assetDir`. The map is checked with the game's own validation before it
// is written. All of it is written beside what is there and then put in
// place, so a failure (a full disk, a missing asset) changes nothing.
// Reports the files on stdout; true on failure, with `error`.
bool WriteWorld(const std::string& dir, const MapFileData& map, bool withAssets, const std::string& assetDir,
                std::string& error);
