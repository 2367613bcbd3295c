// Guards the long view as drawn: sky through cracks between nodes, far ridges whose depth order follows the drawing
// order, the sky's skip of covered rows showing, land ending in a hard edge or changing near colours in haze.
#include "tests/support/GlWindow.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestMaps.h"
#include "tools/assets/TerrainGenerator.h"
#include "tools/common/AssetNames.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

const Rgb SKY{250, 10, 240}, LAND{90, 140, 60};

// The game's window on the map, with plain land for every texture and a plain sky.
void Open(const CTempDir& dir, CGame& game, const MapFileData& map)
{
    dir.Write("Data/map1.raw", EncodeMapFile(map));
    for (uint32_t number : map.textureNumbers)
        dir.WriteBmp(MapTexturePath(number), SolidImage(8, 8, uint8_t(LAND.r), uint8_t(LAND.g), uint8_t(LAND.b)));
    for (int i = 0; i < 6; ++i)
        dir.WriteBmp("Data/" + SkyFaceFileName(i), SolidImage(8, 8, uint8_t(SKY.r), uint8_t(SKY.g), uint8_t(SKY.b)));
    OpenGameWindow(game);
    EXPECT_FALSE(game.map.Load("Data/map1.raw") || game.map.skyBox.Build(SKY_NAME));
}

// The terrain and the sky of the game's frame, with the camera at `camera` around `at` (ground plane); the sky left
// out of the rows the terrain covers must be the sky drawn everywhere, to the byte.
Image Frame(CGame& game, const Vec3& at, const Vec3& camera, float heading = 0)
{
    CMap& map = game.map;
    map.player.position = at;
    map.player.camera = camera;
    map.player.rotation = Vec3();
    map.player.Turn(heading, 0, 0);
    Image frames[2];
    for (Image& frame : frames) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        game.SetupView();
        map.player.ApplyCamera();
        map.Render();
        map.skyBox.groundRows *= &frame == frames;
        map.skyBox.Render();
        frame = ReadBackBuffer();
    }
    EXPECT_EQ(0, memcmp(frames[0].rgb.data(), frames[1].rgb.data(), frames[0].rgb.size())) << "the sky was needed";
    return frames[0];
}

Rgb At(const Image& image, int x, int y)
{
    const uint8_t* p = &image.rgb[3 * (size_t(y) * image.width + x)];
    return {p[0], p[1], p[2]};
}

}  // namespace

TEST(HorizonGl, NoSkyShowsThroughTheGroundBetweenDetails)
{
    // Rough generated land, 2048 units across, seen from above its middle with the whole view on the ground.
    CTempDir dir;
    TerrainParams params;
    params.tilesAcross = params.tilesDown = 32;
    CGame game;
    Open(dir, game, GenerateTerrain(params));
    CMap& map = game.map;
    size_t skirts = 0;
    for (float pixels : {1.0f, 4.0f, 16.0f})
        for (float heading : {0.0f, 0.3f, 0.55f, 0.8f}) {
            map.detailPixels = pixels;
            const Image frame = Frame(game, Vec3(1024, 1024, 0), Vec3(0, 0.06f, 400), heading);
            size_t holes = 0;
            for (size_t i = 0; i < frame.rgb.size(); i += 3)
                holes += std::abs(frame.rgb[i] - SKY.r) + std::abs(frame.rgb[i + 1] - SKY.g) < 4;
            EXPECT_EQ(holes, 0u) << pixels << " px, heading " << heading;
            skirts += map.LodMeshForView().skirtTriangles;
        }
    EXPECT_GT(skirts, 0u) << "no two neighbours differed: the views tell nothing";
}

TEST(HorizonGl, FarRidgesLieInTheSameOrderWhicheverIsDrawnFirst)
{
    // Two walls 4,096 units wide and two units apart, the farther one a little taller, in chunks of their own,
    // 30,000 units from the eye: full detail, and a view that reaches them.
    CTempDir dir;
    CGame game;
    Open(dir, game, TestMap(1024, 16, 4, 1, 10000, 0, [](uint32_t, uint32_t row) {
             return uint8_t(row == 31 ? 60 : row == 33 ? 55 : 0);
         }));
    CMap& map = game.map;
    map.detailPixels = 0;
    Frame(game, Vec3(2048, 32, 5750), Vec3(0, 0.25f, 30000));  // from the south, level with their tops
    std::vector<uint32_t> chunks;
    map.VisibleChunks(chunks);
    ASSERT_GT(chunks.size(), 2u);
    Image order[2];
    for (Image& image : order) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        map.DrawChunks(chunks);
        image = ReadBackBuffer();
        std::reverse(chunks.begin(), chunks.end());
    }
    size_t differing = 0, land = 0;
    for (size_t i = 0; i < order[0].rgb.size(); i += 3) {
        differing += order[0].rgb[i] != order[1].rgb[i] || order[0].rgb[i + 1] != order[1].rgb[i + 1];
        land += order[0].rgb[i] != 0;
    }
    EXPECT_EQ(differing, 0u);
    EXPECT_GT(land, 50u) << "the ridges are not in view";
}

TEST(HorizonGl, LandFadesIntoTheSkysHorizonAndKeepsItsNearColours)
{
    // A plain 16,384 units long, seen from 800 units up, 30 degrees down, from near its southern edge: the bottom
    // of the view within 1,000 units, its end at 8,000.
    CTempDir dir;
    CGame game;
    Open(dir, game, TestMap(16, 128, 8, 16, 100, 10));
    CMap& map = game.map;
    const Vec3 at(1024, 14000, 10), camera(0, 1 / 6.0f, 1600);
    int landFrom[2];  // the first row down the middle column with something nearer than the sky
    Image frames[2];
    for (int clear = 0; clear < 2; ++clear) {
        map.viewDistance = clear ? HAZE_START : 8000;  // the land runs on past the view's end
        frames[clear] = Frame(game, at, camera);
        std::vector<float> depth(WINDOW_HEIGHT);
        glReadPixels(400, 0, 1, WINDOW_HEIGHT, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
        landFrom[clear] = int(std::count(depth.begin(), depth.end(), 1.0f));  // rows of sky above the land
    }
    const Image& hazy = frames[0];
    EXPECT_LT(landFrom[0] + 100, landFrom[1]) << "the land ends where the old view did";
    EXPECT_TRUE(ColourNear(At(hazy, 400, 590), At(frames[1], 400, 590), 2)) << "near land changed";
    EXPECT_TRUE(ColourNear(At(hazy, 400, landFrom[0]), SKY, 12)) << "the view's end stands out";
    for (int y = landFrom[0]; y < WINDOW_HEIGHT - 1; ++y)
        ASSERT_TRUE(ColourNear(At(hazy, 400, y), At(hazy, 400, y + 1), 12)) << "a hard edge at row " << y;
}
