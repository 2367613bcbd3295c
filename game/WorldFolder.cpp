#include "game/WorldFolder.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

bool EnterWorld(const std::string& world, std::string& error)
{
    std::error_code failure;
    const fs::file_status status = fs::status(world, failure);
    if (failure) {
        error = "cannot open world '" + world + "': " + failure.message();
        return true;
    }
    if (!fs::is_directory(status)) {
        error = "'" + world + "' is not a folder (a world is a folder that holds Data/)";
        return true;
    }
    // The game reads Data/ under its working directory; a Data folder given
    // as such is found from its parent, links and "." resolved.
    fs::path folder = world;
    if (!fs::is_directory(folder / "Data", failure)) {
        const fs::path resolved = fs::canonical(folder, failure);
        if (failure || resolved.filename() != "Data") {
            error = "'" + world + "' holds no Data folder (a world is a folder that holds Data/, or that Data/ itself)";
            return true;
        }
        folder = resolved.parent_path();
    }
    if (chdir(folder.c_str()) != 0) {
        error = "cannot enter world '" + world + "': " + strerror(errno);
        return true;
    }
    return false;
}
