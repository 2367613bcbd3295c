#pragma once

#include <string>
#include <vector>

// What `info` finds in a map file.
struct InfoReport {
    bool opened = false;              // false: `text` is the reason it could not be read
    bool valid = false;               // the game's loader accepts the file
    std::vector<std::string> faults;  // every fault the game's validation finds
    std::string text;                 // the report as printed
};

// Reads the map file at `path` and describes it. The verdict is the game's
// own: ReadMapFile, the reader CMap::Load uses.
InfoReport BuildInfoReport(const std::string& path);
