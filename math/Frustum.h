#pragma once

#include "math/Vec3.h"

// The volume a projection and view can show, as six planes, and its eight
// corners. Built from the product of the projection and modelview matrices
// (column-major, as OpenGL keeps them); needs no GL context.
class CFrustum {
public:
    // Unit normal pointing inwards and offset: inside is Dot(n, p) + d >= 0.
    struct Plane {
        Vec3 n;
        float d;
    };
    enum { LEFT, RIGHT, BOTTOM, TOP, NEAR, FAR, PLANE_COUNT };
    Plane planes[PLANE_COUNT];
    Vec3 corners[8];  // near then far, each bottom-left, bottom-right, top-left, top-right
    Vec3 apex;        // the mean of the near corners: the eye, near enough

    // True when the matrix shows nothing (degenerate planes); the frustum
    // is then left as it was.
    bool FromClipMatrix(const float clip[16]);

    // Whether the box [lo, hi] lies wholly outside one of the planes, by
    // more than margin. A box touching the volume is never outside.
    bool BoxOutside(const Vec3& lo, const Vec3& hi, float margin) const;
};

// The eye of a modelview matrix made of rotations and translations.
Vec3 EyeOfModelview(const float modelview[16]);

// out = a * b, 4x4 column-major.
void MultiplyMatrices(const float a[16], const float b[16], float out[16]);
