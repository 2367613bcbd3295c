#include "tools/assets/HudPanel.h"
#include "tools/assets/SkyFaces.h"
#include "tools/assets/TerrainGenerator.h"
#include "tools/assets/TerrainTextures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace {

int ChannelDiff(const uint8_t* a, const uint8_t* b)
{
    int d = 0;
    for (int k = 0; k < 3; ++k)
        d = std::max(d, std::abs(int(a[k]) - int(b[k])));
    return d;
}

// Mean colour difference between column (or row) a and b of a picture.
double LineDiff(const Image& image, bool columns, int a, int b)
{
    int n = columns ? image.height : image.width;
    double sum = 0.0;
    for (int i = 0; i < n; ++i)
        sum += columns ? ChannelDiff(image.At(a, i), image.At(b, i)) : ChannelDiff(image.At(i, a), image.At(i, b));
    return sum / n;
}

uint64_t Fnv1a(const std::vector<uint8_t>& bytes, uint64_t h = 1469598103934665603ull)
{
    for (uint8_t b : bytes)
        h = (h ^ b) * 1099511628211ull;
    return h;
}

// A point on a face's edge: which face, and the pixel there.
struct EdgePixel {
    int x;
    int y;
};

// The pixel of a face next to its edge `edge` (0: s = 0, 1: s = 1, 2: t = 0,
// 3: t = 1) at fraction u along it.
EdgePixel PixelOnEdge(int size, int edge, float u)
{
    int along = std::min(size - 1, int(u * float(size)));
    switch (edge) {
    case 0:
        return {0, size - 1 - along};  // t = u; image rows run from t = 1
    case 1:
        return {size - 1, size - 1 - along};
    case 2:
        return {along, size - 1};
    default:
        return {along, 0};
    }
}

// The pixel `steps` further into the face from an edge pixel.
EdgePixel Inward(int edge, EdgePixel p, int steps)
{
    switch (edge) {
    case 0:
        return {p.x + steps, p.y};
    case 1:
        return {p.x - steps, p.y};
    case 2:
        return {p.x, p.y - steps};
    default:
        return {p.x, p.y + steps};
    }
}

// The cube corner at an end of a face edge (end 0 or 1).
Vec3 EdgeEnd(int face, int edge, int end)
{
    float s = edge == 0 ? 0.0f : edge == 1 ? 1.0f : float(end);
    float t = edge == 2 ? 0.0f : edge == 3 ? 1.0f : float(end);
    Vec3 d = SkyFaceDirection(face, s, t);
    // Back from the unit direction to the cube corner.
    float m = std::max(std::fabs(d.x), std::max(std::fabs(d.y), std::fabs(d.z)));
    return Vec3(std::round(d.x / m), std::round(d.y / m), std::round(d.z / m));
}

bool Same(const Vec3& a, const Vec3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

} // namespace

TEST(TerrainTextures, EveryRungIsSeamlessAndDeterministic)
{
    for (uint8_t t = 0; t < TERRAIN_TEXTURE_COUNT; ++t) {
        Image tex = GenerateTerrainTexture(t, 128);
        ASSERT_EQ(tex.width, 128);
        ASSERT_EQ(tex.height, 128);
        EXPECT_EQ(tex.rgb, GenerateTerrainTexture(t, 128).rgb) << int(t);
        // Across the wrap the picture changes no more than between two
        // neighbouring columns (rows) inside it.
        double inside = 0.0;
        for (int i = 0; i + 1 < 128; ++i)
            inside += LineDiff(tex, true, i, i + 1) + LineDiff(tex, false, i, i + 1);
        inside /= 2.0 * 127.0;
        EXPECT_LT(LineDiff(tex, true, 127, 0), inside * 1.5 + 1.0) << "texture " << int(t) << " left/right";
        EXPECT_LT(LineDiff(tex, false, 127, 0), inside * 1.5 + 1.0) << "texture " << int(t) << " top/bottom";
        // A cut through the middle would be much larger: the check can fail.
        EXPECT_GT(LineDiff(tex, true, 0, 64) + LineDiff(tex, false, 0, 64), inside);
    }
}

TEST(SkyFaces, FacesMeetAlongEveryCubeEdge)
{
    const int size = 128;
    Vec3 sun = ApparentSun(TerrainParams().lightWord);
    Image faces[SKY_FACE_COUNT];
    for (int f = 0; f < SKY_FACE_COUNT; ++f)
        faces[f] = GenerateSkyFace(f, size, sun);

    int sharedEdges = 0, structured = 0;
    for (int a = 0; a < SKY_FACE_COUNT; ++a) {
        for (int ea = 0; ea < 4; ++ea) {
            Vec3 a0 = EdgeEnd(a, ea, 0), a1 = EdgeEnd(a, ea, 1);
            for (int b = a + 1; b < SKY_FACE_COUNT; ++b) {
                for (int eb = 0; eb < 4; ++eb) {
                    Vec3 b0 = EdgeEnd(b, eb, 0), b1 = EdgeEnd(b, eb, 1);
                    bool same = Same(a0, b0) && Same(a1, b1);
                    bool flipped = Same(a0, b1) && Same(a1, b0);
                    if (!same && !flipped)
                        continue;
                    ++sharedEdges;
                    // Across the edge the picture should change as much as
                    // between an edge pixel and its neighbour inside the face,
                    // which lies as far away; a seam changes it more.
                    double across = 0.0, inside = 0.0, reversed = 0.0;
                    for (int i = 0; i < size; ++i) {
                        float u = (float(i) + 0.5f) / float(size);
                        EdgePixel pa = PixelOnEdge(size, ea, u);
                        EdgePixel pb = PixelOnEdge(size, eb, same ? u : 1.0f - u);
                        EdgePixel wrong = PixelOnEdge(size, eb, same ? 1.0f - u : u);
                        EdgePixel in = Inward(ea, pa, 1);
                        across += ChannelDiff(faces[a].At(pa.x, pa.y), faces[b].At(pb.x, pb.y));
                        inside += ChannelDiff(faces[a].At(pa.x, pa.y), faces[a].At(in.x, in.y));
                        reversed += ChannelDiff(faces[a].At(pa.x, pa.y), faces[b].At(wrong.x, wrong.y));
                    }
                    across /= size;
                    inside /= size;
                    reversed /= size;
                    EXPECT_LT(across, inside * 1.5 + 4.0) << SkyFaceName(a) << " / " << SkyFaceName(b);
                    // Where the edge crosses any structure, joining it the
                    // wrong way round would show: the check can fail.
                    if (reversed > 4.0 * inside + 2.0) {
                        EXPECT_GT(reversed, 2.0 * across) << SkyFaceName(a) << " / " << SkyFaceName(b);
                        ++structured;
                    }
                }
            }
        }
    }
    EXPECT_EQ(sharedEdges, 12);
    EXPECT_GE(structured, 4) << "the horizon crosses the four upright edges";
}

TEST(SkyFaces, DirectionsFollowTheCubeTheGameDraws)
{
    // Face centres look along the faces' axes; t = 0 is the lower edge of
    // the side faces.
    const float axes[SKY_FACE_COUNT][3] = {{0, 0, -1}, {0, 0, 1}, {0, -1, 0}, {0, 1, 0}, {-1, 0, 0}, {1, 0, 0}};
    for (int f = 0; f < SKY_FACE_COUNT; ++f) {
        Vec3 d = SkyFaceDirection(f, 0.5f, 0.5f);
        EXPECT_NEAR(d.x, axes[f][0], 1e-6f) << SkyFaceName(f);
        EXPECT_NEAR(d.y, axes[f][1], 1e-6f) << SkyFaceName(f);
        EXPECT_NEAR(d.z, axes[f][2], 1e-6f) << SkyFaceName(f);
        if (f >= 2) {
            EXPECT_LT(SkyFaceDirection(f, 0.5f, 0.0f).z, 0.0f) << SkyFaceName(f);
            EXPECT_GT(SkyFaceDirection(f, 0.5f, 1.0f).z, 0.0f) << SkyFaceName(f);
        }
    }
    // The drawn terrain is mirrored in y; its shading puts the sun at -y.
    Vec3 sun = ApparentSun(0x000001FF);
    EXPECT_NEAR(sun.x, 0.0f, 1e-6f);
    EXPECT_LT(sun.y, -0.7f);
    EXPECT_NEAR(sun.z, -sun.y * 255.0f / 256.0f, 1e-3f);
}

TEST(HudPanel, BandHasAnOpaquePlateAndSeeThroughParts)
{
    Image picture, mask;
    std::string error;
    ASSERT_FALSE(RenderHudPanel(HudFonts(), picture, mask, error)) << error;
    EXPECT_EQ(picture.width, HUD_PANEL_WIDTH);
    EXPECT_EQ(picture.height, HUD_PANEL_HEIGHT);
    EXPECT_EQ(mask.width, picture.width);
    EXPECT_EQ(mask.height, picture.height);

    int opaque = 0, clear = 0, litWhereClear = 0;
    for (int y = 0; y < mask.height; ++y) {
        for (int x = 0; x < mask.width; ++x) {
            int m = mask.At(x, y)[0];
            opaque += m <= 8;
            if (m >= 250) {
                ++clear;
                litWhereClear += ChannelDiff(picture.At(x, y), (const uint8_t*)"\0\0\0") > 2;
            }
        }
    }
    EXPECT_GT(opaque, 2000);
    EXPECT_GT(clear, 400);
    EXPECT_EQ(litWhereClear, 0) << "the picture adds nothing where the scene shows through";
    // The title plate's corner is opaque, the bottom row lets the scene through.
    EXPECT_LE(mask.At(4, 4)[0], 8);
    EXPECT_GE(mask.At(400, HUD_PANEL_HEIGHT - 1)[0], 250);

    HudFonts missing;
    missing.bold = "/nonexistent/font.ttf";
    EXPECT_TRUE(RenderHudPanel(missing, picture, mask, error));
    EXPECT_NE(error.find("/nonexistent/font.ttf"), std::string::npos) << error;
}

TEST(AssetImages, DefaultPicturesArePinned)
{
    // An accidental change to the default world's pictures shows here; a
    // deliberate one updates the number. Small sizes: the same code paths.
    uint64_t h = 1469598103934665603ull;
    for (uint8_t t = 0; t < TERRAIN_TEXTURE_COUNT; ++t)
        h = Fnv1a(EncodeBmp(GenerateTerrainTexture(t, 64)), h);
    Vec3 sun = ApparentSun(TerrainParams().lightWord);
    for (int f = 0; f < SKY_FACE_COUNT; ++f)
        h = Fnv1a(EncodeBmp(GenerateSkyFace(f, 64, sun)), h);
    EXPECT_EQ(h, 0x29f6601c3ed4b927ull) << std::hex << h;
}
