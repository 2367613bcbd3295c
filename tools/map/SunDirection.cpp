#include "tools/map/SunDirection.h"

#include "world/MapFile.h"

#include <cmath>

namespace {

const double PI = 3.14159265358979323846;
const double DEGREES = 180.0 / PI;

struct Direction {
    double x, y, z;
};

Direction FromAngles(double elevationDegrees, double azimuthDegrees)
{
    double e = elevationDegrees / DEGREES, a = azimuthDegrees / DEGREES;
    return {std::cos(e) * std::cos(a), std::cos(e) * std::sin(a), std::sin(e)};
}

Direction FromAngles(const SunAngles& s) { return FromAngles(s.elevation, s.azimuth); }

} // namespace

SunAngles SunAnglesOfWord(uint32_t lightWord)
{
    Vec3 v = LightDirFromWord(lightWord);
    double x = v.x, y = v.y, z = v.z;
    double length = std::sqrt(x * x + y * y + z * z);
    SunAngles s;
    if (length == 0.0) {
        s.none = true;
        return s;
    }
    s.elevation = std::asin(std::fmin(1.0, z / length)) * DEGREES;
    s.overhead = x == 0.0 && y == 0.0;
    if (!s.overhead) {
        s.azimuth = std::atan2(y, x) * DEGREES;
        if (s.azimuth < 0.0)
            s.azimuth += 360.0;
    }
    return s;
}

uint32_t NearestLightWord(double elevationDegrees, double azimuthDegrees)
{
    Direction want = FromAngles(elevationDegrees, azimuthDegrees);
    // Each byte decodes on its own, so the three components are tabled
    // once, exactly as the game computes them.
    double xs[256], ys[256], zs[256];
    for (uint32_t i = 0; i < 256; ++i) {
        xs[i] = LightDirFromWord(i << 16).x;
        ys[i] = LightDirFromWord(i << 8).y;
        zs[i] = LightDirFromWord(i).z;
    }
    // Every word is tried: 2^24 dot products are quick, and nothing about
    // the odd decoding has to be reasoned out. Among words of the same
    // direction the longest wins, so "straight up" reads (0, 0, 1).
    double best = -2.0, bestLength = 0.0;
    uint32_t bestWord = 0;
    for (uint32_t bx = 0; bx < 256; ++bx) {
        for (uint32_t by = 0; by < 256; ++by) {
            for (uint32_t bz = 0; bz < 256; ++bz) {
                double length2 = xs[bx] * xs[bx] + ys[by] * ys[by] + zs[bz] * zs[bz];
                if (length2 == 0.0)
                    continue;
                double cosine = (xs[bx] * want.x + ys[by] * want.y + zs[bz] * want.z) / std::sqrt(length2);
                bool better = cosine > best + 1e-12;
                bool sameButLonger = cosine > best - 1e-12 && length2 > bestLength;
                if (better || sameButLonger) {
                    best = std::fmax(best, cosine);
                    bestLength = length2;
                    bestWord = bx << 16 | by << 8 | bz;
                }
            }
        }
    }
    return bestWord;
}

double AngleBetween(const SunAngles& a, const SunAngles& b)
{
    Direction p = FromAngles(a), q = FromAngles(b);
    double cosine = p.x * q.x + p.y * q.y + p.z * q.z;
    return std::acos(std::fmax(-1.0, std::fmin(1.0, cosine))) * DEGREES;
}
