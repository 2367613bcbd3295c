#include "tools/assets/TerrainTextures.h"

#include "base/GameFacts.h"
#include "tools/assets/TerrainGenerator.h"
#include "tools/common/Noise.h"
#include "world/MapFile.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Every picture is drawn in tile space with noise that repeats once per
// tile, so two tiles meet seamlessly whatever their pictures: a material
// looks the same at the same point of every tile, plain or split.

// Seamless fractal noise over a tile whose coarsest feature is 1/`cells`
// of the tile (a power of two).
float TileNoise(float u, float v, int cells, uint32_t seed, int octaves, float gain)
{
    return FractalNoise(u * float(cells), v * float(cells), seed, octaves, gain, cells);
}

// Per-texel grain in [-1, 1]: a hash of the texel, so it has no seam.
float Grain(float u, float v, uint32_t seed)
{
    const float texels = float(TERRAIN_TEXTURE_SIZE);  // one grain a texel at the written size
    return HashUnit(int32_t(u * texels), int32_t(v * texels), seed) * 2.0f - 1.0f;
}

// How much noise frays the boundary of a split.
const float FRAY = 0.35f;
// Where the pictures of a split return to the plain materials.
const float PLAIN = 0.6f;

// Everything the textures are mixed from, at one point of the tile: the
// plain materials and the noises that shape the splits. All textures are
// laid out alike, so a full set paints these once per texel.
struct Layers {
    Rgb water, shallows, sand, grass, rock, snow;
    float fray;     // frays a split's boundary
    float surf;     // breaks up the line of surf
    float shore;    // where grass gives way to sand
    float patches;  // rock through grass, snow on rock
};

Layers LayersAt(float u, float v)
{
    Layers l;
    float ripple = TileNoise(u, v, 16, 701, 3, 0.55f);
    l.water = OpenSea(ripple) * (1.0f / FlatGroundLight(TerrainParams().lightWord));
    // Lit from above, sand shows through the shallows as a pale turquoise.
    l.shallows = Rgb{0.22f, 0.64f, 0.66f} * (1.0f + 0.06f * ripple);

    l.sand = Rgb{0.84f, 0.77f, 0.60f} * (1.0f + 0.05f * TileNoise(u, v, 8, 101, 3, 0.5f) + 0.05f * Grain(u, v, 102));

    float meadow = SmoothStep(-0.4f, 0.6f, TileNoise(u, v, 4, 201, 3, 0.55f));
    Rgb grass = Mix(Rgb{0.40f, 0.58f, 0.22f}, Rgb{0.48f, 0.59f, 0.25f}, meadow);
    l.grass = grass * (1.0f + 0.10f * TileNoise(u, v, 32, 202, 2, 0.5f) + 0.07f * Grain(u, v, 203));

    float tone = TileNoise(u, v, 4, 401, 4, 0.6f);
    Rgb rock = Mix(Rgb{0.47f, 0.45f, 0.42f}, Rgb{0.68f, 0.64f, 0.58f}, Clamp01(0.55f + 0.8f * tone));
    // Darker seams of weathered stone.
    rock = rock * (1.0f - 0.12f * SmoothStep(0.15f, 0.55f, TileNoise(u, v, 8, 402, 3, 0.5f)));
    l.rock = rock * (1.0f + 0.08f * TileNoise(u, v, 32, 405, 2, 0.5f) + 0.07f * Grain(u, v, 404));

    float drift = TileNoise(u, v, 4, 501, 4, 0.6f);
    Rgb snow = Mix(Rgb{1.0f, 1.0f, 1.0f}, Rgb{0.86f, 0.90f, 0.98f}, Clamp01(0.3f + 0.7f * drift));
    l.snow = snow * (1.0f + 0.03f * TileNoise(u, v, 32, 504, 2, 0.5f) + 0.02f * Grain(u, v, 502));

    l.fray = TileNoise(u, v, 4, 801, 3, 0.5f);
    l.surf = TileNoise(u, v, 16, 604, 2, 0.5f);
    l.shore = TileNoise(u, v, 16, 605, 2, 0.5f);
    l.patches = TileNoise(u, v, 16, 606, 3, 0.6f);
    return l;
}

Rgb Plain(uint8_t material, const Layers& l)
{
    switch (material) {
    case MAT_WATER:
        return l.water;
    case MAT_GRASS:
        return l.grass;
    case MAT_ROCK:
        return l.rock;
    default:
        return l.snow;
    }
}

// The split's field without its fray: +1 at the upper material's corners,
// -1 at the others, bilinear in between, so that a shore along a diagonal
// of corners comes out straight.
float SplitShape(uint8_t pattern, float u, float v)
{
    float corner[4];
    for (int i = 0; i < 4; ++i)
        corner[i] = (pattern >> i & 1u) ? 1.0f : -1.0f;
    float phi = Lerp(Lerp(corner[0], corner[1], u), Lerp(corner[2], corner[3], u), v);
    // Diagonal corners: the upper material joins up across the middle.
    if (pattern == 9 || pattern == 6)
        phi += 0.5f * 16.0f * u * (1.0f - u) * v * (1.0f - v);
    return phi;
}

// The shore: deep water, shallows, a line of surf, wet and dry sand, then
// grass; phi is the split's field.
Rgb Shore(float phi, const Layers& l)
{
    if (phi < 0.0f) {
        Rgb c = Mix(l.shallows, l.water, SmoothStep(0.0f, PLAIN, -phi));
        float surf = SmoothStep(-0.07f, -0.01f, phi) * (0.6f + 0.4f * l.surf);
        return Mix(c, Rgb{0.92f, 0.95f, 0.95f}, 0.55f * Clamp01(surf));
    }
    Rgb sand = Mix(l.sand * Rgb{0.78f, 0.80f, 0.84f}, l.sand, SmoothStep(0.0f, 0.06f, phi));
    return Mix(sand, l.grass, SmoothStep(0.12f, 0.4f, phi + 0.12f * l.shore));
}

// Rock breaking through grass, or snow lying on rock: the upper material
// comes in patches that close up towards its side.
Rgb Patches(uint8_t lower, float phi, const Layers& l)
{
    float share = SmoothStep(-0.45f, 0.45f, phi + 0.22f * l.patches);
    return Mix(Plain(lower, l), Plain(uint8_t(lower + 1), l), SmoothStep(0.35f, 0.65f, share));
}

Rgb Paint(uint8_t texture, float u, float v, const Layers& l)
{
    if (texture < MATERIAL_COUNT)
        return Plain(texture, l);
    uint8_t split = uint8_t(texture - MATERIAL_COUNT);
    uint8_t lower = split / SPLIT_PATTERNS;
    uint8_t pattern = uint8_t(split % SPLIT_PATTERNS + 1);
    float phi = SplitShape(pattern, u, v) + FRAY * l.fray;
    if (phi <= -PLAIN)
        return Plain(lower, l);
    if (phi >= PLAIN)
        return Plain(uint8_t(lower + 1), l);
    return lower == MAT_WATER ? Shore(phi, l) : Patches(lower, phi, l);
}

void PaintAll(int size, int subdivisions, const std::vector<uint8_t>& textures, std::vector<Image>& images)
{
    images.assign(textures.size(), Image(size, size));
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float u, v;
            TileSpaceOfTexel(x, y, size, subdivisions, u, v);
            Layers l = LayersAt(u, v);
            for (size_t i = 0; i < textures.size(); ++i)
                PutPixel(images[i], x, y, Paint(textures[i], u, v, l));
        }
    }
}

}  // namespace

uint8_t TextureForCorners(const uint8_t corners[4])
{
    uint8_t low = std::min(std::min(corners[0], corners[1]), std::min(corners[2], corners[3]));
    uint8_t high = std::max(std::max(corners[0], corners[1]), std::max(corners[2], corners[3]));
    if (low == high)
        return low;
    uint8_t pattern = 0;
    for (int i = 0; i < 4; ++i)
        if (corners[i] > low)
            pattern |= uint8_t(1u << i);
    return uint8_t(MATERIAL_COUNT + low * SPLIT_PATTERNS + pattern - 1);
}

void CornersOfTexture(uint8_t texture, uint8_t corners[4])
{
    if (texture < MATERIAL_COUNT) {
        std::fill(corners, corners + 4, texture);
        return;
    }
    uint8_t split = uint8_t(texture - MATERIAL_COUNT);
    uint8_t lower = split / SPLIT_PATTERNS;
    uint8_t pattern = uint8_t(split % SPLIT_PATTERNS + 1);
    for (int i = 0; i < 4; ++i)
        corners[i] = uint8_t(lower + (pattern >> i & 1u));
}

uint32_t TerrainTextureNumber(uint8_t texture) { return uint32_t(texture) + 1; }

float SplitField(uint8_t pattern, float u, float v)
{
    return SplitShape(pattern, u, v) + FRAY * TileNoise(u, v, 4, 801, 3, 0.5f);
}

void TileSpaceOfTexel(int x, int y, int size, int subdivisions, float& u, float& v)
{
    const float n = float(std::max(subdivisions, 1));
    float s = (float(x) + 0.5f) / float(size);
    float t = 1.0f - (float(y) + 0.5f) / float(size);
    // A cell starting at sub-column sx begins at s = (sx - 2) / n.
    u = s + 2.0f / n;
    u -= std::floor(u);
    // Cell row sy shows the band from t = sy / n at its top down to
    // (sy - 1) / n at its bottom; the band just below t = 1 is row 0's.
    float band = std::floor(t * n);
    float within = t * n - band;
    float row = std::fmod(band + 1.0f, n);
    v = (row + 1.0f - within) / n;
}

void TexelOfTileSpace(float u, float v, int size, int subdivisions, int& x, int& y)
{
    const float n = float(std::max(subdivisions, 1));
    float s = u - 2.0f / n;
    s -= std::floor(s);
    float row = std::min(std::floor(v * n), n - 1.0f);
    float within = row + 1.0f - v * n;
    float t = (std::fmod(row + n - 1.0f, n) + within) / n;
    x = std::min(size - 1, int(s * float(size)));
    y = std::clamp(size - 1 - int(t * float(size)), 0, size - 1);
}

Rgb OpenSea(float ripple)
{
    const Rgb deep{0.075f, 0.24f, 0.34f};
    return deep * (1.0f + 0.10f * ripple);
}

float FlatGroundLight(uint32_t lightWord)
{
    Vec3 light = LightDirFromWord(lightWord);
    float length = Length(light);
    float facing = length > 0.0f ? std::max(0.0f, light.z / length) : 0.0f;
    return std::min(1.0f, 0.2f * 0.2f + 0.5f * 0.2f + 1.0f * 0.8f * facing);
}

std::vector<Image> GenerateTerrainTextureSet(const std::vector<uint8_t>& textures, int size, int subdivisions)
{
    std::vector<Image> images;
    PaintAll(size, subdivisions, textures, images);
    return images;
}

std::vector<Image> GenerateTerrainTextures(int size, int subdivisions)
{
    std::vector<uint8_t> all(TERRAIN_TEXTURE_COUNT);
    for (uint8_t t = 0; t < TERRAIN_TEXTURE_COUNT; ++t)
        all[t] = t;
    return GenerateTerrainTextureSet(all, size, subdivisions);
}
