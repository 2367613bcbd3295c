#pragma once

#include "math/Vec3.h"

// One terrain vertex as OpenGL takes it from an interleaved array
// (GL_T2F_N3F_V3F): texture coordinate, normal, position.
struct TerrainVertex {
    float s, t;
    Vec3 normal;
    Vec3 position;
};
static_assert(sizeof(TerrainVertex) == 8 * sizeof(float), "interleaved without padding");
