#pragma once

#include "game/Game.h"
#include "tools/assets/TerrainGenerator.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Sets the keys held in `frame` of a timed run.
using KeyScript = void (*)(long frame, const CMap& map, std::vector<uint8_t>& keys);

// Times frames of RunFrame and glFinish with the scripted keys, as many as
// KeepTiming allows; the frame times in ms.
std::vector<double> TimeFrames(CGame& game, long frames, double budgetMs, KeyScript keys);

// Generates a world into `dir`/Data, with the other assets copied from
// `assets`, in a child process so the generator's memory stays there. True
// on failure, after a line on stderr.
bool GenerateWorld(const TerrainParams& params, const std::filesystem::path& dir, const std::filesystem::path& assets);

struct SizeTableOptions {
    long frames;       // per timed run
    double budgetMs;   // a run stops early past this (see KeepTiming)
    long count;        // how many of the map sizes, smallest first
    std::string peer;  // terravell-peer to compare with, or empty
    float detail;      // the level of detail to time beside exact
};

// The map-size table: start-up, a fixed view and a drive per map size, each
// size in child processes of its own; with a peer, the comparison table.
void MapSizeTables(const std::filesystem::path& assets, const SizeTableOptions& options);
