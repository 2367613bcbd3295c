#include "tools/assets/SkyFaces.h"

#include "tools/assets/TerrainTextures.h"
#include "tools/common/Noise.h"
#include "world/MapFile.h"
#include "world/SkyBox.h"

#include <cmath>

namespace {

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

// The sea around the island, as the map's water tiles show it under the
// game's light, so that the map's edge disappears into it; only at the
// horizon does it pale into haze. Its ripples match the water tiles' seen
// from the chase camera's height, and fade where a grazing view would
// blur them.
Rgb Sea(const Vec3& dir)
{
    const Rgb haze{0.62f, 0.72f, 0.82f};
    const float eyeHeight = 150.0f, rippleSize = 4.0f;  // world units
    float down = Clamp01(-dir.z);
    float scale = eyeHeight / rippleSize / std::max(down, 0.02f);
    float ripple = FractalNoise(dir.x * scale, dir.y * scale, 911, 3, 0.55f);
    Rgb c = OpenSea(ripple * SmoothStep(0.04f, 0.3f, down));
    return Mix(c, haze, SmoothStep(0.05f, 0.0f, down));
}

}  // namespace

const char* SkyFaceName(int face) { return face >= 0 && face < SKY_FACE_COUNT ? SKY_FACES[face].text : ""; }

Vec3 SkyFaceDirection(int face, float s, float t)
{
    const float(*c)[3] = CORNERS[face];
    auto corner = [c](int k) { return Vec3(c[k][0], c[k][1], c[k][2]); };
    Vec3 p = (corner(0) * (1.0f - s) + corner(1) * s) * (1.0f - t) + (corner(2) * (1.0f - s) + corner(3) * s) * t;
    return p / Length(p);
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
    Rgb c = e > 0.0f ? Sky(dir, sun) : Sea(dir);
    // Nothing on the horizon reaches this far up or down.
    if (e > 0.2f || e < -0.02f)
        return c;

    float azimuth = std::atan2(dir.y, dir.x);
    // How much a slope at this azimuth faces the sun.
    float facing = 0.5f + 0.5f * (std::cos(azimuth) * sun.x + std::sin(azimuth) * sun.y);

    // A far range, pale with haze, rising well above the horizon in places
    // and sinking below it in others, where the sea meets the sky.
    float far = Ridge(azimuth, 9, 921, -0.05f, 0.19f);
    if (e < far + edge && e > -0.005f) {
        float depth = Clamp01((far - e) / 0.1f);
        Rgb range = Mix(Rgb{0.52f, 0.61f, 0.75f}, Rgb{0.64f, 0.72f, 0.83f}, depth);
        range = range * (0.94f + 0.12f * facing);
        float snow = SmoothStep(0.07f, 0.11f, e) * SmoothStep(0.0f, 0.02f, far - e);
        range = Mix(range, Rgb{0.82f, 0.87f, 0.94f}, snow * 0.7f);
        c = Mix(c, range, SmoothStep(far + edge, far - edge, e));
    }

    // Nearer headlands, low and wooded, with gaps of open sea between.
    float gaps = 0.6f + 0.4f * Clamp01(0.5f + Around(azimuth, 60, 926, 0.5f));
    float headland = Ridge(azimuth, 14, 922, -0.05f, 0.09f) * gaps;
    if (e < headland + edge && e > -0.005f) {
        float streak = FractalNoise(azimuth * 60.0f, e * 30.0f, 923, 4, 0.5f);
        Rgb land = Mix(Rgb{0.30f, 0.38f, 0.36f}, Rgb{0.40f, 0.47f, 0.42f}, Clamp01(0.5f + 0.6f * streak));
        land = land * (0.85f + 0.3f * facing);
        // Haze thickens towards the water line.
        land = Mix(land, Rgb{0.60f, 0.69f, 0.78f}, 0.35f + 0.4f * SmoothStep(0.03f, 0.0f, e));
        c = Mix(c, land, SmoothStep(headland + edge, headland - edge, e));
    }
    // A thin haze lies on the water line.
    return Mix(c, Rgb{0.66f, 0.75f, 0.84f}, 0.5f * SmoothStep(0.012f, 0.0f, std::fabs(e)));
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
