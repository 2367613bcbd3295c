#pragma once

#include <string>

// Asset names are stored with a backslash ("Data\Font.bmp"); this turns
// one into the path the platform opens ("Data/Font.bmp" on Linux).
std::string AssetPath(const std::string& stored);

// printf-style formatting of a stored name ("Data\Tex%04d.bmp"), then
// AssetPath on the result.
std::string FormatAssetPath(const char* storedFormat, ...) __attribute__((format(printf, 1, 2)));
