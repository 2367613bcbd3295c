#pragma once

#include <SDL/SDL.h>

#include <cstddef>
#include <cstdint>
#include <string>

// Bytes of a BMP file's headers that CheckBmpHeader looks at: the file
// header and the usual 40-byte info header, or the 12-byte core header.
constexpr size_t BMP_HEADER_BYTES = 54;
constexpr size_t BMP_CORE_HEADER_BYTES = 26;
constexpr int BMP_MAX_SIDE = 8192;

// Vets the start of a BMP file before any decoder sees it: only
// uncompressed 24-bit images of sane size whose pixels lie inside the file
// pass. Returns the reason for refusing, or an empty string.
std::string CheckBmpHeader(const uint8_t* header, size_t headerSize, uint64_t fileSize);

// Turns decoded BMP rows (top row last, blue-green-red) into OpenGL's
// upload order in place: bottom row first, red-green-blue. Padding bytes
// past w*3 move with their row and keep their values.
void ConvertBmpRows(uint8_t* pixels, int w, int h, int pitch, uint8_t* rowBuffer);

// Loads a 24-bit BMP ready for glTexImage2D(GL_RGB). On failure writes
// "Unable to load <path>: <reason>" to stderr and returns null; the reason
// stays in SDL_GetError() for the caller's own line.
SDL_Surface* LoadBitmap(const char* path);

// The same from an open stream, which it always closes; `name` is the path
// shown in the failure line.
SDL_Surface* LoadBitmapFrom(SDL_RWops* stream, const char* name);
