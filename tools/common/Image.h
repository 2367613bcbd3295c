#pragma once

#include "tools/common/FileBytes.h"

#include <cstdint>
#include <string>
#include <vector>

// An RGB picture held top row first, three bytes a pixel.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;

    Image() = default;
    Image(int w, int h) : width(w), height(h), rgb(size_t(w) * h * 3, 0) {}

    uint8_t* At(int x, int y) { return &rgb[(size_t(y) * width + x) * 3]; }
    const uint8_t* At(int x, int y) const { return &rgb[(size_t(y) * width + x) * 3]; }
    void Set(int x, int y, uint8_t r, uint8_t g, uint8_t b)
    {
        uint8_t* p = At(x, y);
        p[0] = r;
        p[1] = g;
        p[2] = b;
    }
};

// A 24-bit uncompressed BMP: rows bottom-up, blue-green-red, each padded
// to four bytes. Same picture, same bytes.
std::vector<uint8_t> EncodeBmp(const Image& image);
// True on failure, with `error` the system's reason.
bool WriteBmp(const std::string& path, const Image& image, std::string& error);
