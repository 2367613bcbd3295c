#pragma once

#include "base/GameFacts.h"
#include "math/Vec3.h"
#include "tools/common/Color.h"
#include "tools/common/Image.h"

#include <cstdint>

// The six skybox pictures, in the order the game loads them; the name is
// the face's text in SKY_FACES ("Bottom", "Top", ...), "" out of range.
const char* SkyFaceName(int face);

// The unit view direction, in the drawing frame (z up), that the point
// (s, t) of a face's picture covers on the cube; t = 0 is the picture's
// bottom row.
Vec3 SkyFaceDirection(int face, float s, float t);

// Where the terrain's shading says the sun is, in the drawing frame. The
// normals reach the light unmirrored while the ground is drawn mirrored in
// y, so the light seems to come from (x, -y, z) of the map's light word.
Vec3 ApparentSun(uint32_t lightWord);

// The colour of the surroundings seen along a unit direction: sky, sun and
// clouds above, a hazy range and nearer headlands on the horizon, and below
// it the sea as the map's lit water tiles show it.
// Faces coloured from it meet without seams: pixels on either side of a
// cube edge look along almost the same direction.
Rgb SkyColor(const Vec3& dir, const Vec3& sun);

Image GenerateSkyFace(int face, int size, const Vec3& sun);
