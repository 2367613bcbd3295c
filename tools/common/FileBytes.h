#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Reads a whole regular file. True on failure, with `error` the system's
// reason or "not a regular file".
bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);

// Writes the bytes as the whole file. True on failure, with `error` the
// system's reason.
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);
