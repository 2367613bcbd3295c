#pragma once

#include <string>

// Changes into the world a user names: a folder that holds Data/, or that
// Data/ folder itself (then its parent is the world). True on failure, with
// `error` the one line that says why.
bool EnterWorld(const std::string& world, std::string& error);
