#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Files written beside the ones they replace and put in place together:
// until Commit, nothing that was there before has changed, and on a
// failure (or if never committed) what was written is removed.
class CStagedFiles {
public:
    CStagedFiles() = default;
    CStagedFiles(const CStagedFiles&) = delete;
    CStagedFiles& operator=(const CStagedFiles&) = delete;
    ~CStagedFiles() { Abandon(); }

    // Writes the bytes to a temporary file in `path`'s folder, flushed and
    // closed with every result checked. True on failure, with `error` the
    // system's reason; everything staged is then removed.
    bool Stage(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);

    // Renames each staged file over its target. True on failure, with
    // `error` naming the file and the reason.
    bool Commit(std::string& error);

    // Removes every staged file.
    void Abandon();

private:
    std::vector<std::pair<std::string, std::string>> staged;  // temporary file, target
};
