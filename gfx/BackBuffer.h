#pragma once

#include <cstdint>
#include <vector>

// The window's back buffer, three bytes a pixel (red, green, blue), the
// bottom row first as OpenGL gives it. Read it before the buffer swap,
// after which its contents are undefined.
std::vector<uint8_t> ReadBackBufferRows();
