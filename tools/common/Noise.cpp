#include "tools/common/Noise.h"

#include <cmath>

namespace {

// Sixteen unit gradients, evenly spaced: written out so no trigonometry
// decides the bytes of the generated assets.
const float GRADIENTS[16][2] = {
    {1.0f, 0.0f},  {0.92387953f, 0.38268343f},   {0.70710678f, 0.70710678f},   {0.38268343f, 0.92387953f},
    {0.0f, 1.0f},  {-0.38268343f, 0.92387953f},  {-0.70710678f, 0.70710678f},  {-0.92387953f, 0.38268343f},
    {-1.0f, 0.0f}, {-0.92387953f, -0.38268343f}, {-0.70710678f, -0.70710678f}, {-0.38268343f, -0.92387953f},
    {0.0f, -1.0f}, {0.38268343f, -0.92387953f},  {0.70710678f, -0.70710678f},  {0.92387953f, -0.38268343f},
};

int Wrap(int v, int period)
{
    if (period <= 0)
        return v;
    int m = v % period;
    return m < 0 ? m + period : m;
}

float Fade(float t) { return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f); }

float Corner(int ix, int iy, float dx, float dy, uint32_t seed, int period)
{
    const float* g = GRADIENTS[HashLattice(Wrap(ix, period), Wrap(iy, period), seed) & 15u];
    return g[0] * dx + g[1] * dy;
}

float Gradient1D(int ix, float dx, uint32_t seed, int period)
{
    // Slopes in [-1, 1]: enough variety for a single axis.
    float g = HashUnit(Wrap(ix, period), 0, seed) * 2.0f - 1.0f;
    return g * dx;
}

}  // namespace

uint32_t HashU32(uint32_t v)
{
    v ^= v >> 16;
    v *= 0x7feb352du;
    v ^= v >> 15;
    v *= 0x846ca68bu;
    v ^= v >> 16;
    return v;
}

uint32_t HashLattice(int32_t x, int32_t y, uint32_t seed)
{
    uint32_t h = HashU32(uint32_t(x) * 0x9e3779b1u ^ seed);
    return HashU32(h ^ uint32_t(y) * 0x85ebca77u);
}

float HashUnit(int32_t x, int32_t y, uint32_t seed)
{
    return float(HashLattice(x, y, seed) >> 8) * (1.0f / 16777216.0f);
}

float GradientNoise(float x, float y, uint32_t seed, int period)
{
    float fx = std::floor(x);
    float fy = std::floor(y);
    int ix = int(fx);
    int iy = int(fy);
    float dx = x - fx;
    float dy = y - fy;
    float n00 = Corner(ix, iy, dx, dy, seed, period);
    float n10 = Corner(ix + 1, iy, dx - 1.0f, dy, seed, period);
    float n01 = Corner(ix, iy + 1, dx, dy - 1.0f, seed, period);
    float n11 = Corner(ix + 1, iy + 1, dx - 1.0f, dy - 1.0f, seed, period);
    float u = Fade(dx);
    float v = Fade(dy);
    // 2D gradient noise peaks near 0.7; scale it up to about +-1.
    return 1.41f * Lerp(Lerp(n00, n10, u), Lerp(n01, n11, u), v);
}

float FractalNoise(float x, float y, uint32_t seed, int octaves, float gain, int period)
{
    float sum = 0.0f;
    float amplitude = 1.0f;
    float total = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * GradientNoise(x, y, seed + uint32_t(o) * 1013u, period);
        total += amplitude;
        amplitude *= gain;
        x *= 2.0f;
        y *= 2.0f;
        if (period > 0)
            period *= 2;
    }
    return total > 0.0f ? sum / total : 0.0f;
}

float RidgedNoise(float x, float y, uint32_t seed, int octaves, float gain)
{
    float sum = 0.0f;
    float amplitude = 1.0f;
    float total = 0.0f;
    float weight = 1.0f;
    for (int o = 0; o < octaves; ++o) {
        float n = 1.0f - std::fabs(GradientNoise(x, y, seed + uint32_t(o) * 7919u));
        n = Clamp01(n);
        n *= n;
        sum += n * amplitude * weight;
        total += amplitude;
        weight = Clamp01(n * 1.5f);
        amplitude *= gain;
        x *= 2.0f;
        y *= 2.0f;
    }
    return total > 0.0f ? sum / total : 0.0f;
}

float PeriodicNoise1D(float x, int period, uint32_t seed, int octaves, float gain)
{
    float sum = 0.0f;
    float amplitude = 1.0f;
    float total = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        float f = std::floor(x);
        int ix = int(f);
        float d = x - f;
        uint32_t s = seed + uint32_t(o) * 3571u;
        float n = Lerp(Gradient1D(ix, d, s, period), Gradient1D(ix + 1, d - 1.0f, s, period), Fade(d));
        sum += amplitude * n * 2.0f;  // 1D gradient noise stays within +-0.5
        total += amplitude;
        amplitude *= gain;
        x *= 2.0f;
        period *= 2;
    }
    return total > 0.0f ? sum / total : 0.0f;
}

CellDistances CellularNoise(float x, float y, uint32_t seed, int period)
{
    float fx = std::floor(x);
    float fy = std::floor(y);
    int ix = int(fx);
    int iy = int(fy);
    CellDistances d{8.0f, 8.0f};
    for (int oy = -1; oy <= 1; ++oy) {
        for (int ox = -1; ox <= 1; ++ox) {
            int cx = Wrap(ix + ox, period);
            int cy = Wrap(iy + oy, period);
            float px = fx + float(ox) + HashUnit(cx, cy, seed);
            float py = fy + float(oy) + HashUnit(cx, cy, seed ^ 0x5bd1e995u);
            float dist = std::sqrt((px - x) * (px - x) + (py - y) * (py - y));
            if (dist < d.nearest) {
                d.second = d.nearest;
                d.nearest = dist;
            } else if (dist < d.second) {
                d.second = dist;
            }
        }
    }
    return d;
}

float Clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

float SmoothStep(float edge0, float edge1, float v)
{
    float t = Clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}

float Lerp(float a, float b, float t) { return a + (b - a) * t; }
