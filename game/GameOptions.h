#pragma once

#include "base/GameFacts.h"
#include "game/CommandLine.h"

#include <string>

// What the command line asks of the game.
struct GameOptions {
    float detailPixels = DEFAULT_DETAIL_PIXELS;
    float viewDistance = DEFAULT_VIEW_DISTANCE;
    std::string world;        // the folder to fly over; empty: the working directory
    bool startGiven = false;  // the wedge starts, and is put back, at (startX, startY)
    float startX = 0.0f, startY = 0.0f;
};

// Reads the command line into `options` (which start at the defaults).
// Returns -1 when the game should start; otherwise the exit status, after
// the help or version text on stdout or one line on stderr.
int ParseGameOptions(int argc, char** argv, GameOptions& options);

// The view's options, for the game and the tools that run it: a tool's own
// options, then --detail ('d'), --view-distance ('v') and --start ('s'),
// then --help and --version.
std::vector<option> ViewOptions(std::initializer_list<option> own);
// Reads option `id` when it is one of the view's: 0 once read, the usage
// error's status after its line, -1 for any other option.
int ViewOption(int id, const CCommandLine& line, const char* program, GameOptions& options);

// A number of at least `low` and at most `high`, all of `text`.
bool ParseNumberIn(const char* text, float low, float high, float& out);
// "X,Y": two such numbers, each within `low` and `high`.
bool ParsePointIn(const char* text, float low, float high, float& x, float& y);
