#include "tools/assets/SkyFaces.h"

#include "tools/common/Noise.h"
#include "world/MapFile.h"

#include <cmath>

namespace {

const char* const FACE_NAMES[SKY_FACE_COUNT] = {"Bottom", "Top", "Front", "Back", "Right", "Left"};

// The cube the game draws: per face, the corners at (s, t) = (0, 0),
// (1, 0), (0, 1) and (1, 1).
const float CORNERS[SKY_FACE_COUNT][4][3] = {
    {{1, 1, -1}, {1, -1, -1}, {-1, 1, -1}, {-1, -1, -1}},  // Bottom, z = -1
    {{-1, 1, 1}, {-1, -1, 1}, {1, 1, 1}, {1, -1, 1}},      // Top, z = +1
    {{-1, -1, -1}, {1, -1, -1}, {-1, -1, 1}, {1, -1, 1}},  // Front, y = -1
    {{1, 1, -1}, {-1, 1, -1}, {1, 1, 1}, {-1, 1, 1}},      // Back, y = +1
    {{-1, 1, -1}, {-1, -1, -1}, {-1, 1, 1}, {-1, -1, 1}},  // Right, x = -1
    {{1, -1, -1}, {1, 1, -1}, {1, -1, 1}, {1, 1, 1}},      // Left, x = +1
};

const float PI = 3.14159265f;

float Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Fractal noise around the horizon, `period` lattice cells to a full turn
// so that it closes on itself behind the viewer.
float Around(float azimuth, int period, uint32_t seed, float gain)
{
    float x = (azimuth / (2.0f * PI) + 0.5f) * float(period);
    return PeriodicNoise1D(x, period, seed, 5, gain);
}

// Height of a ring of hills (in units of dir.z) at the azimuth.
float Ridge(float azimuth, int period, uint32_t seed, float base, float amplitude)
{
    return base + amplitude * Clamp01(0.5f + 1.3f * Around(azimuth, period, seed, 0.5f));
}

Rgb Sky(const Vec3& dir, const Vec3& sun)
{
    const Rgb zenith{0.17f, 0.38f, 0.74f};
    const Rgb horizon{0.70f, 0.82f, 0.94f};
    float up = Clamp01(dir.z);
    Rgb c = Mix(horizon, zenith, std::pow(up, 0.55f));
    float toward = std::max(0.0f, Dot(dir, sun));
    c = c + Rgb{1.0f, 0.93f, 0.75f} * (0.28f * std::pow(toward, 8.0f) + 0.5f * std::pow(toward, 200.0f));
    c = Mix(c, Rgb{1.0f, 0.98f, 0.92f}, SmoothStep(0.9990f, 0.9994f, toward));  // the disc

    if (dir.z <= 0.01f)
        return c;
    // Clouds on a flat layer overhead: the noise is read where the view ray
    // meets it, so they shrink and thin out towards the horizon.
    float px = dir.x / dir.z * 1.2f, py = dir.y / dir.z * 1.2f;
    float wx = px + 0.5f * FractalNoise(px * 0.7f + 3.1f, py * 0.7f, 901, 3, 0.5f);
    float wy = py + 0.5f * FractalNoise(px * 0.7f, py * 0.7f + 7.7f, 902, 3, 0.5f);
    float density = FractalNoise(wx, wy, 903, 6, 0.55f);
    float cover = SmoothStep(0.02f, 0.38f, density) * SmoothStep(0.02f, 0.22f, dir.z);
    if (cover <= 0.0f)
        return c;
    // Brighter where the cloud thins towards the sun, grey underneath.
    float lit = FractalNoise(wx + sun.x * 0.08f, wy + sun.y * 0.08f, 903, 6, 0.55f);
    float shade = Clamp01(0.75f + 2.5f * (density - lit));
    Rgb cloud = Mix(Rgb{0.62f, 0.66f, 0.74f}, Rgb{1.0f, 0.99f, 0.96f}, shade);
    return Mix(c, cloud, cover * 0.92f);
}

// The sea around the island: sky-coloured towards the horizon, where it
// reflects at a grazing angle, deep green-blue below, with a glitter path
// under the sun.
Rgb Sea(const Vec3& dir, const Vec3& sun)
{
    const Rgb deep{0.09f, 0.25f, 0.33f};
    const Rgb haze{0.62f, 0.72f, 0.82f};
    float down = Clamp01(-dir.z);
    float sx = dir.x / std::max(down, 0.01f), sy = dir.y / std::max(down, 0.01f);
    float waves = FractalNoise(sx * 6.0f, sy * 6.0f, 911, 4, 0.6f);
    float reflect = std::pow(1.0f - down, 5.0f);  // grazing views mirror the sky
    Rgb c = Mix(deep * (1.0f + 0.2f * waves), haze, reflect);
    Vec3 mirrored(dir.x, dir.y, -dir.z);
    float toward = std::max(0.0f, Dot(mirrored, sun));
    c = c + Rgb{1.0f, 0.95f, 0.85f} * (0.25f * std::pow(toward, 30.0f));
    // Haze over the far water.
    return Mix(c, haze, SmoothStep(0.12f, 0.0f, down) * 0.6f);
}

} // namespace

const char* SkyFaceName(int face) { return face >= 0 && face < SKY_FACE_COUNT ? FACE_NAMES[face] : ""; }

Vec3 SkyFaceDirection(int face, float s, float t)
{
    const float(*c)[3] = CORNERS[face];
    float p[3];
    for (int i = 0; i < 3; ++i)
        p[i] = (c[0][i] * (1.0f - s) + c[1][i] * s) * (1.0f - t) + (c[2][i] * (1.0f - s) + c[3][i] * s) * t;
    float len = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    return Vec3(p[0] / len, p[1] / len, p[2] / len);
}

Vec3 ApparentSun(uint32_t lightWord)
{
    Vec3 light = LightDirFromWord(lightWord);
    Vec3 sun(light.x, -light.y, light.z);
    Normalize(sun);
    return sun;
}

Rgb SkyColor(const Vec3& dir, const Vec3& sun)
{
    const float edge = 0.003f;  // about a pixel: soft silhouettes
    float e = dir.z;
    Rgb c = e > 0.0f ? Sky(dir, sun) : Sea(dir, sun);
    // Nothing on the horizon reaches this far up or down.
    if (e > 0.2f || e < -0.15f)
        return c;

    float azimuth = std::atan2(dir.y, dir.x);
    // How much a slope at this azimuth faces the sun.
    float facing = 0.5f + 0.5f * (std::cos(azimuth) * sun.x + std::sin(azimuth) * sun.y);

    // A far range, pale with haze, rising well above the horizon.
    float far = Ridge(azimuth, 9, 921, 0.02f, 0.16f);
    if (e < far + edge && e > -0.08f) {
        float depth = Clamp01((far - e) / 0.1f);
        Rgb range = Mix(Rgb{0.50f, 0.59f, 0.73f}, Rgb{0.60f, 0.69f, 0.80f}, depth);
        range = range * (0.94f + 0.12f * facing);
        float snow = SmoothStep(0.10f, 0.14f, e) * SmoothStep(0.0f, 0.02f, far - e);
        range = Mix(range, Rgb{0.80f, 0.85f, 0.92f}, snow * 0.7f);
        c = Mix(c, range, SmoothStep(far + edge, far - edge, e) * SmoothStep(-0.08f, -0.02f, e));
    }

    // Nearer cliffs: flat tops, steep faces, darker and banded.
    float level = Ridge(azimuth, 6, 922, 0.0f, 4.0f);
    float tread = std::floor(level);
    float cliff = -0.03f + 0.03f * (tread + SmoothStep(0.35f, 0.65f, level - tread)) +
                  0.006f * Around(azimuth, 240, 924, 0.6f);
    if (e < cliff + edge && e > -0.14f) {
        float streak = FractalNoise(azimuth * 60.0f, e * 8.0f, 923, 4, 0.5f);
        float strata = FractalNoise(azimuth * 4.0f, e * 90.0f, 925, 3, 0.5f);
        Rgb rock = Mix(Rgb{0.36f, 0.31f, 0.29f}, Rgb{0.58f, 0.48f, 0.40f}, Clamp01(0.5f + 0.6f * streak + 0.4f * strata));
        rock = rock * (0.75f + 0.4f * facing);
        // Haze thickens towards the foot of the cliffs, where they meet the sea.
        rock = Mix(rock, Rgb{0.58f, 0.67f, 0.74f}, 0.2f + 0.5f * SmoothStep(0.03f, -0.08f, e));
        c = Mix(c, rock, SmoothStep(cliff + edge, cliff - edge, e) * SmoothStep(-0.14f, -0.06f, e));
    }
    return c;
}

Image GenerateSkyFace(int face, int size, const Vec3& sun)
{
    Image image(size, size);
    for (int y = 0; y < size; ++y) {
        // Image rows run top first; t = 0 is the bottom row.
        float t = 1.0f - (float(y) + 0.5f) / float(size);
        for (int x = 0; x < size; ++x) {
            float s = (float(x) + 0.5f) / float(size);
            PutPixel(image, x, y, SkyColor(SkyFaceDirection(face, s, t), sun));
        }
    }
    return image;
}
