#pragma once

#include <cmath>
#include <cstdint>

// Three floats: positions, velocities, the light direction, and angles in
// turns (1.0 = one full turn).
struct Vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    Vec3() = default;
    Vec3(float ax, float ay, float az) : x(ax), y(ay), z(az) {}

    // Adds the delta, then by mode: 1 nothing more, 2 normalise the sum,
    // 4 fold x and y, 8 fold x, y and z. Codes are not bit flags.
    void Update(float dx, float dy, float dz, int16_t mode);

    Vec3 operator+(const Vec3& o) const { return Vec3(x + o.x, y + o.y, z + o.z); }
    Vec3 operator-(const Vec3& o) const { return Vec3(x - o.x, y - o.y, z - o.z); }
    Vec3 operator*(float k) const { return Vec3(x * k, y * k, z * k); }
    Vec3 operator/(float k) const { return Vec3(x / k, y / k, z / k); }
    Vec3& operator+=(const Vec3& o) { return *this = *this + o; }
};

inline float Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
// Right-handed: Cross((1,0,0), (0,1,0)) is (0,0,1).
inline Vec3 Cross(const Vec3& a, const Vec3& b)
{
    return Vec3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}
// Inline, with Normalize: the grid computes millions of them at start-up.
inline float Length(const Vec3& v) { return std::sqrt(Dot(v, v)); }

enum : int16_t {
    VEC3_ADD = 1,
    VEC3_NORMALIZE = 2,
    VEC3_FOLD_XY = 4,
    VEC3_FOLD_XYZ = 8,
};

// Brings an angle in turns into [0, 1]; both ends stay as they are
// (1.0 is not wrapped to 0.0). NaN and infinities are left unchanged.
void FoldUnit(float& v);

// Scales v to unit length by multiplying with the reciprocal length.
// Always false. A zero vector is left at zero rather than turned into NaNs.
inline bool Normalize(Vec3& v)
{
    float length = Length(v);
    if (length == 0.0f)
        return false;
    float r = 1.0f / length;
    v.x = v.x * r;
    v.y = v.y * r;
    v.z = v.z * r;
    return false;
}
