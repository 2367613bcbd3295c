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

// Each byte decodes on its own, so the three components are tabled once,
// exactly as the game computes them.
struct ComponentTables {
    double xs[256], ys[256], zs[256];
    ComponentTables()
    {
        for (uint32_t i = 0; i < 256; ++i) {
            xs[i] = LightDirFromWord(i << 16).x;
            ys[i] = LightDirFromWord(i << 8).y;
            zs[i] = LightDirFromWord(i).z;
        }
    }
};

// The largest cosine to `want` of any direction (x, y, z) with z between
// the lowest and highest z byte: as z grows the direction sweeps one arc,
// so the cosine peaks at an end or where its derivative vanishes.
double BestCosineAlongZ(double x, double y, const Direction& want, double zLow, double zHigh)
{
    const double across = x * want.x + y * want.y, length2 = x * x + y * y;
    auto cosine = [&](double z) { return (across + z * want.z) / std::sqrt(length2 + z * z); };
    double best = std::fmax(cosine(zLow), cosine(zHigh));
    if (across != 0.0) {
        const double peak = want.z * length2 / across;
        if (peak > zLow && peak < zHigh)
            best = std::fmax(best, cosine(peak));
    }
    return best;
}

// The largest cosine to `want` of any direction (x, y, z) with y up to
// yHigh and z up to zHigh, for x > 0: the numerator is at most its value
// with y and z where they help most, and the length at least x.
double BestCosineAlongYZ(double x, const Direction& want, double yHigh, double zHigh)
{
    const double most = x * want.x + yHigh * std::fmax(0.0, want.y) + zHigh * std::fmax(0.0, want.z);
    return most >= 0.0 ? most / x : most / std::sqrt(x * x + yHigh * yHigh + zHigh * zHigh);
}

}  // namespace

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
    static const ComponentTables table;
    const double *xs = table.xs, *ys = table.ys, *zs = table.zs;
    Direction want = FromAngles(elevationDegrees, azimuthDegrees);
    // Every word is weighed in the same order as a plain search over all
    // 2^24 would, so ties fall the same way: among words of the same
    // direction the longest wins, and "straight up" reads (0, 0, 1). A row
    // of z bytes, or a plane of y and z bytes, whose best cosine cannot
    // reach the best so far is passed over; `best` only grows, so nothing
    // there could have won.
    const double rounding = 1e-9;  // far above the error of either cosine
    double best = -2.0, bestLength = 0.0;
    uint32_t bestWord = 0;
    for (uint32_t bx = 0; bx < 256; ++bx) {
        if (bx != 0 && BestCosineAlongYZ(xs[bx], want, ys[255], zs[255]) < best - 1e-12 - rounding)
            continue;
        for (uint32_t by = 0; by < 256; ++by) {
            if ((bx | by) != 0 && BestCosineAlongZ(xs[bx], ys[by], want, zs[0], zs[255]) < best - 1e-12 - rounding)
                continue;
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
