#pragma once

#include "tools/common/Image.h"

#include <cmath>

// A colour with float channels in [0, 1], for mixing before it is stored.
struct Rgb {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
};

inline Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Rgb operator*(Rgb a, float s) { return {a.r * s, a.g * s, a.b * s}; }
inline Rgb operator*(Rgb a, Rgb b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }
inline Rgb Mix(Rgb a, Rgb b, float t) { return a + (b + a * -1.0f) * t; }

inline uint8_t ToByte(float v)
{
    v = v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
    return uint8_t(std::lround(v * 255.0f));
}

inline void PutPixel(Image& image, int x, int y, Rgb c) { image.Set(x, y, ToByte(c.r), ToByte(c.g), ToByte(c.b)); }
