#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Reads a whole regular file. True on failure, with `error` the system's
// reason, "not a regular file" or "is a directory".
bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);

// Writes the bytes as the whole file, through a temporary file renamed
// over it: a failed write leaves what was there. True on failure, with
// `error` the system's reason.
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error);
