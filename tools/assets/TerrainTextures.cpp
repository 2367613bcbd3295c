#include "tools/assets/TerrainTextures.h"

#include "tools/common/Color.h"
#include "tools/common/Noise.h"

#include <cmath>

namespace {

// The mesh restarts the texture's t every grid row (bands that jump by two
// rows' worth), so anything much larger than a band would show a straight
// cut there: detail stays small, and large-scale colour change is faint.

// Seamless fractal noise over a square picture of `size` pixels whose
// coarsest feature is `cell` pixels (both powers of two).
float Tiled(int x, int y, int size, int cell, uint32_t seed, int octaves, float gain)
{
    float fx = (float(x) + 0.5f) / float(cell);
    float fy = (float(y) + 0.5f) / float(cell);
    return FractalNoise(fx, fy, seed, octaves, gain, size / cell);
}

// Per-pixel grain in [-1, 1], seamless because it is per pixel.
float Grain(int x, int y, uint32_t seed) { return HashUnit(x, y, seed) * 2.0f - 1.0f; }

// Shallow water, a little lighter than the open sea around the island.
Rgb Water(int x, int y, int size)
{
    Rgb base{0.15f, 0.38f, 0.46f};
    float swell = Tiled(x, y, size, 16, 701, 3, 0.6f);
    float ripples = Tiled(x, y, size, 4, 702, 2, 0.6f);
    Rgb c = base * (1.0f + 0.06f * swell + 0.07f * ripples);
    return c + Rgb{0.9f, 0.95f, 1.0f} * (0.25f * SmoothStep(0.55f, 0.8f, ripples));
}

Rgb Sand(int x, int y, int size)
{
    Rgb base{0.82f, 0.73f, 0.54f};
    float n = Tiled(x, y, size, 16, 101, 4, 0.6f);
    float ripples = Tiled(x, y, size, 4, 104, 2, 0.5f);
    Rgb c = base * (1.0f + 0.05f * n + 0.04f * ripples + 0.05f * Grain(x, y, 102));
    if (HashUnit(x, y, 103) < 0.012f)  // pebbles
        c = c * 0.8f;
    return c;
}

Rgb WetSand(int x, int y, int size) { return Sand(x, y, size) * Rgb{0.72f, 0.74f, 0.78f}; }

Rgb Grass(int x, int y, int size)
{
    Rgb deep{0.30f, 0.47f, 0.18f};
    Rgb fresh{0.39f, 0.55f, 0.21f};
    float patch = Clamp01(0.5f + 0.8f * Tiled(x, y, size, 16, 201, 3, 0.7f));
    Rgb c = Mix(deep, fresh, patch);
    float blades = Tiled(x, y, size, 2, 202, 2, 0.5f);
    return c * (1.0f + 0.14f * blades + 0.08f * Grain(x, y, 203));
}

Rgb Meadow(int x, int y, int size)
{
    Rgb dry{0.42f, 0.52f, 0.22f};
    Rgb dirt{0.50f, 0.43f, 0.30f};
    float n = Tiled(x, y, size, 8, 301, 3, 0.6f);
    Rgb c = Mix(dry, dirt, SmoothStep(0.1f, 0.6f, n));
    float blades = Tiled(x, y, size, 2, 302, 2, 0.5f);
    c = c * (1.0f + 0.12f * blades + 0.08f * Grain(x, y, 303));
    if (HashUnit(x, y, 304) < 0.004f)  // flowers
        c = Rgb{0.90f, 0.86f, 0.55f};
    return c;
}

Rgb Rock(int x, int y, int size)
{
    Rgb light{0.72f, 0.69f, 0.64f};
    Rgb dark{0.52f, 0.50f, 0.48f};
    float tone = Tiled(x, y, size, 16, 401, 4, 0.65f);
    Rgb c = Mix(dark, light, Clamp01(0.5f + 0.9f * tone));
    // Cracks: thin dark lines where a noise crosses zero.
    float fissure = 1.0f - std::fabs(Tiled(x, y, size, 16, 402, 2, 0.5f));
    float fine = 1.0f - std::fabs(Tiled(x, y, size, 8, 403, 2, 0.5f));
    c = c * (1.0f - 0.22f * SmoothStep(0.90f, 0.98f, fissure) - 0.15f * SmoothStep(0.92f, 0.99f, fine));
    float speck = Tiled(x, y, size, 4, 405, 2, 0.5f);
    return c * (1.0f + 0.08f * speck + 0.07f * Grain(x, y, 404));
}

Rgb Snow(int x, int y, int size)
{
    Rgb white{0.94f, 0.95f, 0.98f};
    Rgb shade{0.82f, 0.86f, 0.94f};
    float n = Tiled(x, y, size, 16, 501, 4, 0.6f);
    Rgb c = Mix(white, shade, Clamp01(0.5f + 0.7f * n));
    c = c * (1.0f + 0.03f * Tiled(x, y, size, 4, 504, 2, 0.5f) + 0.02f * Grain(x, y, 502));
    if (HashUnit(x, y, 503) < 0.003f)  // glints
        c = Rgb{1.0f, 1.0f, 1.0f};
    return c;
}

// `under` with about a share `cover` of `top`, mixed unevenly: seen from
// afar an in-between colour, close up drifts of one in the other.
Rgb Patchy(Rgb under, Rgb top, int x, int y, int size, uint32_t seed, float cover)
{
    float n = Tiled(x, y, size, 8, seed, 3, 0.6f);
    return Mix(under, top, Clamp01(cover + 0.9f * n));
}

Rgb Texel(uint8_t texture, int x, int y, int size)
{
    switch (texture) {
    case TEX_WATER:
        return Water(x, y, size);
    case TEX_SURF:  // sand seen through shallow water
        return Mix(WetSand(x, y, size), Water(x, y, size), 0.6f + 0.2f * Tiled(x, y, size, 16, 600, 3, 0.6f));
    case TEX_SAND:
        return Sand(x, y, size);
    case TEX_DUNE_GRASS:
        return Patchy(Sand(x, y, size), Grass(x, y, size), x, y, size, 601, 0.33f);
    case TEX_SAND_GRASS:
        return Patchy(Sand(x, y, size), Grass(x, y, size), x, y, size, 601, 0.67f);
    case TEX_GRASS:
        return Grass(x, y, size);
    case TEX_MEADOW:
        return Meadow(x, y, size);
    case TEX_SCREE:
        return Patchy(Meadow(x, y, size), Rock(x, y, size), x, y, size, 602, 0.5f);
    case TEX_ROCK:
        return Rock(x, y, size);
    case TEX_ROCK_SNOW:
        return Patchy(Rock(x, y, size), Snow(x, y, size), x, y, size, 603, 0.4f);
    default:
        return Snow(x, y, size);
    }
}

} // namespace

uint32_t TerrainTextureNumber(uint8_t texture) { return uint32_t(texture) + 1; }

Image GenerateTerrainTexture(uint8_t texture, int size)
{
    Image image(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            PutPixel(image, x, y, Texel(texture, x, y, size));
    return image;
}
