#include "math/Vec3.h"

#include <cmath>

void Vec3::Update(float dx, float dy, float dz, int16_t mode)
{
    x += dx;
    y += dy;
    z += dz;
    if (mode == VEC3_FOLD_XY) {
        FoldUnit(x);
        FoldUnit(y);
    } else if (mode == VEC3_FOLD_XYZ) {
        FoldUnit(x);
        FoldUnit(y);
        FoldUnit(z);
    } else if (mode == VEC3_NORMALIZE) {
        Normalize(*this);
    }
}

void FoldUnit(float& v)
{
    if (!std::isfinite(v))
        return;
    // Whole steps of 1 computed at once: exact for every float, and it ends
    // for any magnitude, where repeated subtraction of 1 would not.
    double d = v;
    if (d > 1.0)
        d = d - std::ceil(d) + 1.0;  // into (0, 1]
    if (d < 0.0)
        d -= std::floor(d);  // into [0, 1)
    v = static_cast<float>(d);
}
