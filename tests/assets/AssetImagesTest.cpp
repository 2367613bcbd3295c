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

TEST(TerrainTextures, TexelsShowTheTilePointsTheMeshGivesThem)
{
    // With 4 cells to a tile, the tile's first cell shows s from -0.5 to
    // -0.25 and t from 0 at its top edge down to -0.25: texels 32..47 across
    // and the picture's top 16 rows of 64, upside down.
    float u, v;
    TileSpaceOfTexel(32, 0, 64, 4, u, v);
    EXPECT_NEAR(u, 0.5f / 64.0f, 1e-6f);
    EXPECT_NEAR(v, 0.5f / 64.0f, 1e-6f);
    TileSpaceOfTexel(47, 15, 64, 4, u, v);
    EXPECT_NEAR(u, 15.5f / 64.0f, 1e-6f);
    EXPECT_NEAR(v, 15.5f / 64.0f, 1e-6f);
    // The second cell row shows the picture's bottom band, t from 0.25 at
    // its top down to 0.
    TileSpaceOfTexel(32, 63, 64, 4, u, v);
    EXPECT_NEAR(v, 0.5f - 0.5f / 64.0f, 1e-6f);
    TileSpaceOfTexel(32, 48, 64, 4, u, v);
    EXPECT_NEAR(v, 0.25f + 0.5f / 64.0f, 1e-6f);
    // Every texel is the one that shows its own point.
    for (int n : {4, 8}) {
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x) {
                int bx, by;
                TileSpaceOfTexel(x, y, 64, n, u, v);
                TexelOfTileSpace(u, v, 64, n, bx, by);
                ASSERT_EQ(bx, x) << n << ": " << x << ", " << y;
                ASSERT_EQ(by, y) << n << ": " << x << ", " << y;
            }
        }
    }
}

TEST(TerrainTextures, TexturesThatCanNeighbourMeetWithoutASeam)
{
    // Two tiles whose shared edge has the same corner materials meet: along
    // that edge their pictures differ no more than two neighbouring texels
    // inside one picture. Every such pair of the whole set, both ways.
    const int size = 64, n = 8;
    std::vector<Image> textures = GenerateTerrainTextures(size, n);
    ASSERT_EQ(textures.size(), size_t(TERRAIN_TEXTURE_COUNT));
    EXPECT_EQ(textures[30].rgb, GenerateTerrainTexture(30, size, n).rgb) << "one at a time paints the same";
    auto at = [&](uint8_t t, float u, float v) {
        int x, y;
        TexelOfTileSpace(u, v, size, n, x, y);
        return textures[t].At(x, y);
    };
    const float first = 0.5f / size, last = 1.0f - 0.5f / size, second = 1.5f / size;
    int pairs = 0, seams = 0;
    for (uint8_t a = 0; a < TERRAIN_TEXTURE_COUNT; ++a) {
        uint8_t ca[4];
        CornersOfTexture(a, ca);
        for (uint8_t b = 0; b < TERRAIN_TEXTURE_COUNT; ++b) {
            uint8_t cb[4];
            CornersOfTexture(b, cb);
            for (bool right : {true, false}) {
                // b to the right of a, or below it.
                bool fits = right ? ca[1] == cb[0] && ca[3] == cb[2] : ca[2] == cb[0] && ca[3] == cb[1];
                if (!fits)
                    continue;
                double across = 0.0, inside = 0.0;
                for (int i = 0; i < size; ++i) {
                    float w = (float(i) + 0.5f) / size;
                    const uint8_t* edgeA = right ? at(a, last, w) : at(a, w, last);
                    const uint8_t* edgeB = right ? at(b, first, w) : at(b, w, first);
                    const uint8_t* nextB = right ? at(b, second, w) : at(b, w, second);
                    across += ChannelDiff(edgeA, edgeB);
                    inside += ChannelDiff(edgeB, nextB);
                }
                ++pairs;
                if (across > inside * 1.5 + size * 3.0 && ++seams <= 5)
                    ADD_FAILURE() << "texture " << int(a) << (right ? " left of " : " above ") << int(b) << ": "
                                  << across / size << " across the edge, " << inside / size << " inside";
            }
        }
    }
    EXPECT_EQ(seams, 0);
    EXPECT_GT(pairs, 300);

    // The check can fail: two pictures whose corners differ show their edge.
    double differ = 0.0;
    for (int i = 0; i < size; ++i)
        differ += ChannelDiff(at(MAT_WATER, last, (i + 0.5f) / size), at(MAT_GRASS, first, (i + 0.5f) / size));
    EXPECT_GT(differ / size, 40.0);
}

TEST(TerrainTextures, LitWaterLooksLikeTheSkyboxSeaAroundTheMap)
{
    // The game lights flat ground to this share of its texture: ambient
    // 0.5 and 0.2 on the material's 0.2, diffuse on its 0.8 for a sun 45
    // degrees up. The map's water tiles, so lit, have the colour and about
    // the grain of the sea around the map, straight down and towards the
    // horizon alike.
    const float light = FlatGroundLight(TerrainParams().lightWord);
    EXPECT_NEAR(light, 0.04f + 0.1f + 0.8f * 0.7057f, 1e-3f);
    EXPECT_NEAR(FlatGroundLight(0x000000FF), 0.94f, 1e-6f) << "sun overhead";

    struct Stats {
        double mean[3] = {};
        double spread = 0.0;  // standard deviation of the green channel
    };
    auto measure = [](const std::vector<Rgb>& pixels) {
        Stats s;
        for (const Rgb& p : pixels) {
            s.mean[0] += p.r * 255.0 / pixels.size();
            s.mean[1] += p.g * 255.0 / pixels.size();
            s.mean[2] += p.b * 255.0 / pixels.size();
        }
        for (const Rgb& p : pixels)
            s.spread += (p.g * 255.0 - s.mean[1]) * (p.g * 255.0 - s.mean[1]) / pixels.size();
        s.spread = std::sqrt(s.spread);
        return s;
    };
    auto pixels = [](const Image& image, int x0, int y0, int side, float scale) {
        std::vector<Rgb> out;
        for (int y = y0; y < y0 + side; ++y)
            for (int x = x0; x < x0 + side; ++x)
                out.push_back(Rgb{image.At(x, y)[0] / 255.0f * scale, image.At(x, y)[1] / 255.0f * scale,
                                  image.At(x, y)[2] / 255.0f * scale});
        return out;
    };
    Stats water = measure(pixels(GenerateTerrainTexture(MAT_WATER, 256, 8), 0, 0, 256, light));
    Vec3 sun = ApparentSun(TerrainParams().lightWord);
    // Straight down, and 10 to 25 degrees below the horizon on a side face.
    Stats below = measure(pixels(GenerateSkyFace(0, 256, sun), 64, 64, 128, 1.0f));
    Stats ahead = measure(pixels(GenerateSkyFace(2, 256, sun), 96, 150, 40, 1.0f));
    for (const Stats* sea : {&below, &ahead}) {
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(water.mean[k], sea->mean[k], 2.5) << "channel " << k;
        EXPECT_GT(sea->spread, 1.0) << "the sea has waves";
        EXPECT_LT(water.spread, sea->spread * 2.0);
        EXPECT_GT(water.spread, sea->spread * 0.5);
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
    for (const Image& texture : GenerateTerrainTextures(64, 8))
        h = Fnv1a(EncodeBmp(texture), h);
    Vec3 sun = ApparentSun(TerrainParams().lightWord);
    for (int f = 0; f < SKY_FACE_COUNT; ++f)
        h = Fnv1a(EncodeBmp(GenerateSkyFace(f, 64, sun)), h);
    EXPECT_EQ(h, 0xd22681c12eb71442ull) << std::hex << h;
}
