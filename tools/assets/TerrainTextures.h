#pragma once

#include "tools/common/Image.h"

#include <cstdint>

// The terrain textures form a ladder: each rung blends into the next, so
// tiles on neighbouring rungs meet without a hard edge.
enum TerrainTexture : uint8_t {
    TEX_WATER,
    TEX_SURF,
    TEX_SAND,
    TEX_DUNE_GRASS,  // sand with tufts of grass
    TEX_SAND_GRASS,  // grass with sandy patches
    TEX_GRASS,
    TEX_MEADOW,
    TEX_SCREE,
    TEX_ROCK,
    TEX_ROCK_SNOW,
    TEX_SNOW,
    TERRAIN_TEXTURE_COUNT
};

// The number in the file name "Tex%04d.bmp" of each rung.
uint32_t TerrainTextureNumber(uint8_t texture);

// A seamless (tileable in both directions) 24-bit picture of one rung,
// `size` a power of two.
Image GenerateTerrainTexture(uint8_t texture, int size);
