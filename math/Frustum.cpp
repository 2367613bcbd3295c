#include "math/Frustum.h"

#include <cmath>

namespace {

// Where three planes meet; false when two of them are parallel.
bool Meet(const CFrustum::Plane& a, const CFrustum::Plane& b, const CFrustum::Plane& c, Vec3& out)
{
    Vec3 bc = Cross(b.n, c.n), ca = Cross(c.n, a.n), ab = Cross(a.n, b.n);
    float det = Dot(a.n, bc);
    if (!(std::fabs(det) > 1e-12f))
        return false;
    out = (bc * a.d + ca * b.d + ab * c.d) * (-1.0f / det);
    return true;
}

}  // namespace

void MultiplyMatrices(const float a[16], const float b[16], float out[16])
{
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += a[k * 4 + row] * b[col * 4 + k];
            out[col * 4 + row] = sum;
        }
}

bool CFrustum::FromClipMatrix(const float clip[16])
{
    // A point is visible when -w <= x, y, z <= w in clip space: each plane
    // is the last row of the matrix plus or minus one of the others.
    auto row = [clip](int i, float* r) {
        for (int c = 0; c < 4; ++c)
            r[c] = clip[c * 4 + i];
    };
    float w[4];
    row(3, w);
    Plane found[PLANE_COUNT];
    for (int axis = 0; axis < 3; ++axis) {
        float r[4];
        row(axis, r);
        for (int side = 0; side < 2; ++side) {
            float sign = side == 0 ? 1.0f : -1.0f;
            Vec3 n(w[0] + sign * r[0], w[1] + sign * r[1], w[2] + sign * r[2]);
            float length = Length(n);
            if (!(length > 0.0f) || !std::isfinite(length))
                return true;
            found[axis * 2 + side] = {n / length, (w[3] + sign * r[3]) / length};
        }
    }
    Vec3 foundCorners[8];
    for (int i = 0; i < 8; ++i) {
        const Plane& x = found[(i & 1) ? RIGHT : LEFT];
        const Plane& y = found[(i & 2) ? TOP : BOTTOM];
        const Plane& z = found[(i & 4) ? FAR : NEAR];
        if (!Meet(x, y, z, foundCorners[i]))
            return true;
    }
    for (int i = 0; i < PLANE_COUNT; ++i)
        planes[i] = found[i];
    apex = Vec3();
    for (int i = 0; i < 8; ++i) {
        corners[i] = foundCorners[i];
        if (i < 4)
            apex += corners[i] * 0.25f;
    }
    return false;
}

bool CFrustum::BoxOutside(const Vec3& lo, const Vec3& hi, float margin) const
{
    for (const Plane& p : planes) {
        // The box corner farthest along the plane's normal.
        Vec3 far(p.n.x >= 0 ? hi.x : lo.x, p.n.y >= 0 ? hi.y : lo.y, p.n.z >= 0 ? hi.z : lo.z);
        if (Dot(p.n, far) + p.d < -margin)
            return true;
    }
    return false;
}

Vec3 EyeOfModelview(const float m[16])
{
    // The eye maps to the origin: eye = -R^T t.
    const Vec3 t(m[12], m[13], m[14]);
    return Vec3(-(m[0] * t.x + m[1] * t.y + m[2] * t.z), -(m[4] * t.x + m[5] * t.y + m[6] * t.z),
                -(m[8] * t.x + m[9] * t.y + m[10] * t.z));
}
