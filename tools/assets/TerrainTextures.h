#pragma once

#include "tools/common/Color.h"
#include "tools/common/Image.h"

#include <cstdint>
#include <vector>

// The ground is one of four materials, in the order they follow each other
// up a slope. Each tile corner gets one, and neighbouring corners differ by
// at most one step.
enum TerrainMaterial : uint8_t { MAT_WATER, MAT_GRASS, MAT_ROCK, MAT_SNOW, MATERIAL_COUNT };

// The textures: one plain picture per material, then for each pair of
// neighbouring materials one picture per way of splitting a tile's four
// corners between them. A tile takes the picture of its corners, so the
// boundary between two materials runs through the tiles as a curve that
// continues from tile to tile, never along a tile's edge.
//
// Corner bits of a split: 1 top-left, 2 top-right, 4 bottom-left, 8
// bottom-right ("top" is the tile's first grid row); a set bit is the upper
// material of the pair. Patterns 1 to 14 are splits; 0 and 15 are the plain
// pictures.
constexpr uint8_t SPLIT_PATTERNS = 14;
constexpr uint8_t TERRAIN_TEXTURE_COUNT = MATERIAL_COUNT + (MATERIAL_COUNT - 1) * SPLIT_PATTERNS;

// The texture of a tile whose corners (top-left, top-right, bottom-left,
// bottom-right) have these materials; they may span at most one step.
uint8_t TextureForCorners(const uint8_t corners[4]);

// The corner materials a texture stands for (a split's are its pattern's):
// the inverse of TextureForCorners.
void CornersOfTexture(uint8_t texture, uint8_t corners[4]);

// The number in the file name "Tex%04d.bmp" of each texture.
uint32_t TerrainTextureNumber(uint8_t texture);

// Where the upper material of a split lies inside a tile: above 0 the upper
// material, below 0 the lower, beyond +-0.6 the plain pictures' ground
// exactly. (u, v) runs over the tile from the top-left corner (0, 0) along
// the grid's columns and rows. Along a tile edge it depends on that edge's
// two corners only, so neighbouring tiles agree on their shared edge.
float SplitField(uint8_t pattern, float u, float v);

// The point of the tile, (u, v) in [0, 1), that the texel (x, y) of a
// texture `size` pixels square shows (y = 0 the picture's top row), as the
// terrain mesh lays a texture over a tile of `subdivisions` cells: shifted
// in s by two cells, and each cell row showing its own band of the picture,
// upside down.
void TileSpaceOfTexel(int x, int y, int size, int subdivisions, float& u, float& v);
// The texel that shows the point (u, v) of a tile: the inverse.
void TexelOfTileSpace(float u, float v, int size, int subdivisions, int& x, int& y);

// The sea as the eye sees it, lit: the skybox's water around the map and
// the lit water tiles share it (the water texture is painted for the
// default world's light). `ripple` is the waves' noise, about [-1, 1].
Rgb OpenSea(float ripple);

// How bright the game's light makes flat ground: the light's ambient 0.5
// and the global ambient 0.2 on the default material's ambient 0.2, plus
// its diffuse 1.0 on the material's 0.8 times the cosine of the sun's
// height above the horizon.
float FlatGroundLight(uint32_t lightWord);

// 24-bit pictures of the textures listed, `size` a power of two, laid out
// for tiles of `subdivisions` cells: the tiles of a map show seamless ground.
// Each is painted from the same layers of noise, so a set is made in one
// pass, far faster than one texture at a time.
std::vector<Image> GenerateTerrainTextureSet(const std::vector<uint8_t>& textures, int size, int subdivisions);
// The whole set, in texture order.
std::vector<Image> GenerateTerrainTextures(int size, int subdivisions);
