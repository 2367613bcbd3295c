// Guards the world as OpenGL draws it: the terrain's winding, placement, heights, texture coordinates and lighting,
// the exact frame, the sky faces, the first frames' ground and wedge, and the eye kept out of the ground.
#include "tests/support/GlWindow.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestMaps.h"
#include "tools/assets/TerrainGenerator.h"
#include "tools/common/AssetNames.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL/SDL.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>
#include <tuple>

namespace {

// Plain colours, distinct for each sky face (in face order) and each terrain texture.
const Rgb SKY[6] = {{200, 40, 40}, {40, 200, 40}, {40, 40, 200}, {200, 200, 40}, {200, 40, 200}, {40, 200, 200}};
const Rgb GROUND[2] = {{180, 120, 60}, {60, 120, 180}};

Rgb Lower(const Rgb& c) { return {c.r / 2, c.g / 2, c.b / 2}; }

// Writes a world into Data/: the map, its plain textures, and the "cliff"
// faces, each its colour on the upper half and half as bright below.
void WriteWorld(const CTempDir& dir, const MapFileData& map)
{
    dir.Write("Data/map1.raw", EncodeMapFile(map));
    for (size_t i = 0; i < map.textureNumbers.size(); ++i)
        dir.WriteBmp(MapTexturePath(map.textureNumbers[i]),
                     SolidImage(8, 8, uint8_t(GROUND[i].r), uint8_t(GROUND[i].g), uint8_t(GROUND[i].b)));
    for (int i = 0; i < 6; ++i) {
        Image face = SolidImage(16, 16, uint8_t(SKY[i].r), uint8_t(SKY[i].g), uint8_t(SKY[i].b));
        for (int p = 16 * 8; p < 16 * 16; ++p)
            face.Set(p % 16, p / 16, uint8_t(SKY[i].r / 2), uint8_t(SKY[i].g / 2), uint8_t(SKY[i].b / 2));
        dir.WriteBmp("Data/" + SkyFaceFileName(i), face);
    }
}

// The terrain is 0..80 in x and 0..-40 in drawn y; 8 pixels per unit, z from -1000 to 1000.
void TerrainView(bool mirrored)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-10, 90, mirrored ? 15 : -60, mirrored ? -60 : 15, -1000, 1000);
    glMatrixMode(GL_MODELVIEW);
}

std::vector<std::vector<FeedbackVertex>> CaptureTerrain(CMap& map)
{
    glLoadIdentity();
    return CaptureTriangles([&] { map.Render(); });
}

struct GridPoint {
    int col, row;
    float z;
};
GridPoint ToGrid(const FeedbackVertex& v)
{
    float x = v.x / 8.0f - 10.0f, y = v.y / 8.0f - 60.0f;
    GridPoint p{int(std::lround(x / 10.0f)), int(std::lround(-y / 10.0f)), (0.5f - v.z) * 2000.0f};
    EXPECT_TRUE(std::fabs(x - p.col * 10.0f) < 1e-3f && std::fabs(y + p.row * 10.0f) < 1e-3f)
        << x << ", " << y << " off the grid";
    return p;
}

}  // namespace

TEST(WorldGl, TerrainListAsOpenGLDrawsIt)
{
    CTempDir dir;
    MapFileData file = TestMap(2, 1, 4, 10, 50, 0, BumpyHeight);  // 9 x 5 vertices, 32 cells, k = 0.5
    WriteWorld(dir, file);
    CGame game;
    OpenGameWindow(game);
    ASSERT_FALSE(game.map.Load("Data/map1.raw"));
    CMap& map = game.map;
    map.detailPixels = 0;  // every cell, as the map file has it

    TerrainView(false);
    auto triangles = CaptureTerrain(map);
    ASSERT_EQ(triangles.size(), 64u) << "every triangle faces up and survives culling";
    for (const auto& tri : triangles) {
        ASSERT_EQ(tri.size(), 3u);
        float area = (tri[1].x - tri[0].x) * (tri[2].y - tri[0].y) - (tri[2].x - tri[0].x) * (tri[1].y - tri[0].y);
        EXPECT_GT(area, 0.0f);
        for (const FeedbackVertex& v : tri) {
            GridPoint p = ToGrid(v);
            EXPECT_NEAR(p.z, BumpyHeight(uint32_t(p.col), uint32_t(p.row)) * 0.5f, 0.01f) << p.col << ", " << p.row;
        }
    }

    // Texture coordinates by grid vertex, for cells in drawing order: the
    // first two cells of the first sub-row, the first of the second, and the
    // first cell of the second tile: (cell, column, row, s, t).
    const float coords[][5] = {
        {0, 0, 0, -0.5f, 0.0f},   {0, 0, 1, -0.5f, -0.25f}, {0, 1, 1, -0.25f, -0.25f},  {0, 1, 0, -0.25f, 0.0f},
        {1, 1, 0, -0.25f, 0.0f},  {1, 2, 1, 0.0f, -0.25f},  {4, 0, 1, -0.5f, 0.25f},    {4, 0, 2, -0.5f, 0.0f},
        {4, 1, 1, -0.25f, 0.25f}, {16, 4, 0, -0.5f, 0.0f},  {16, 5, 1, -0.25f, -0.25f},
    };
    for (const auto& e : coords) {
        int found = 0;
        for (const auto& half : {triangles[2 * size_t(e[0])], triangles[2 * size_t(e[0]) + 1]})
            for (const FeedbackVertex& v : half) {
                GridPoint p = ToGrid(v);
                if (p.col == int(e[1]) && p.row == int(e[2]) && ++found) {
                    EXPECT_TRUE(v.s == e[3] && v.t == e[4])
                        << "cell " << e[0] << " vertex " << e[1] << ", " << e[2] << ": " << v.s << ", " << v.t;
                }
            }
        EXPECT_GT(found, 0) << "cell " << e[0] << " vertex " << e[1] << ", " << e[2];
    }

    // Lit from below, the upper side gets the ambient terms only: 0.5 * 0.2
    // from the light and 0.2 * 0.2 from the scene; seen from below, nothing.
    glEnable(GL_LIGHTING);
    map.lightDir = Vec3(0, 0, -1);
    map.SetupLight();
    for (const auto& tri : CaptureTerrain(map))
        EXPECT_NEAR(tri[0].g + tri[1].g + tri[2].g, 3 * 0.14f, 6e-3f);
    glDisable(GL_LIGHTING);
    TerrainView(true);
    EXPECT_EQ(CaptureTerrain(map).size(), 0u);

    // The smallest map, one tile of one cell, still draws its two triangles.
    WriteWorld(dir, TestMap(1, 1, 1, 10, 50));
    CMap tiny;
    tiny.detailPixels = 0;
    ASSERT_FALSE(tiny.Load("Data/map1.raw"));
    TerrainView(false);
    EXPECT_EQ(CaptureTerrain(tiny).size(), 2u);

    // Only pictures a tile names are loaded, each once: entries 0 and 1 are named by no tile (1's file is
    // missing), 2 and 4 name the same picture, 3 another.
    MapFileData table = TestMap(3, 1, 1, 10, 50);
    table.textureNumbers = {1, 999, 1, 2, 1};
    table.header.textureCount = 5;
    table.tileMap = {2, 3, 4};
    dir.Write("Data/map1.raw", EncodeMapFile(table));
    CMap shared;
    ASSERT_FALSE(shared.Load("Data/map1.raw"));
    const std::vector<uint32_t>& t = shared.textures;
    EXPECT_TRUE(t[0] == 0 && t[1] == 0 && t[2] != 0 && t[3] != 0 && t[3] != t[2] && t[4] == t[2]);
}

// Exact detail (0 pixels, a view of 1000, no haze) must draw today's frame: byte for byte every chunk drawn nearest
// first under the fixed projection, from the start and chase views, along an edge, above a corner and from outside
// the map, on the default world and a generated 513² one; culling must not show either.
TEST(WorldGl, ExactDetailIsEveryChunkUnderTheFixedProjection)
{
    CTempDir dir;
    dir.CopyBuildAssets();
    TerrainParams big;
    big.tilesAcross = big.tilesDown = 64;
    dir.Write("big.raw", EncodeMapFile(GenerateTerrain(big)));  // the default world's textures
    for (const char* world : {"Data/map1.raw", "big.raw"}) {
        CGame game;
        OpenGameWindow(game);
        CMap& map = game.map;
        map.detailPixels = 0;
        map.viewDistance = HAZE_START;
        ASSERT_FALSE(map.Load(world));
        const float w = float(map.columns - 1) * map.cellSize, h = float(map.rows - 1) * map.cellSize;
        const struct {
            Vec3 position, camera;
            float heading;
        } views[] = {
            {{START_X, START_Y, 0}, {0, 0, 100}, 0},    {{w / 2, h / 2, 0}, {0, 0.15f, 200}, 0.3f},
            {{w / 2, 1, 0}, {0, 0.24f, 20}, 0.25f},     {{0, 0, 0}, {0, 0.1f, 300}, 0.6f},
            {{-100, -100, 150}, {0, 0.2f, 50}, 0.625f},  // the eye looks back at the wedge, against the heading
        };
        size_t fewest = SIZE_MAX;
        for (const auto& view : views) {
            map.player.position = view.position + Vec3(0, 0, map.GetHeight(view.position.x, view.position.y));
            map.player.camera = view.camera;
            map.player.rotation = Vec3();
            map.player.Turn(view.heading, 0, 0);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            game.SetupView();
            map.player.ApplyCamera();
            map.Render();
            Image culled = ReadBackBuffer();

            CFrustum frustum;
            ASSERT_FALSE(map.ViewFrustum(frustum));
            std::vector<uint32_t> seen, all(map.chunks.zRange.size() / 2);
            map.VisibleChunks(seen);
            fewest = std::min(fewest, seen.size());
            std::iota(all.begin(), all.end(), 0u);
            map.chunks.NearestFirst(frustum.apex, all);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            glMatrixMode(GL_PROJECTION);
            glLoadIdentity();
            gluPerspective(90.0, 800.0 / 600.0, 0.1, 1000.0);
            glMatrixMode(GL_MODELVIEW);
            map.DrawChunks(all);
            Image every = ReadBackBuffer();

            size_t differing = 0, drawn = 0;
            for (size_t i = 0; i < every.rgb.size(); ++i) {
                differing += every.rgb[i] != culled.rgb[i];
                drawn += every.rgb[i] != 0;
            }
            EXPECT_EQ(differing, 0u) << world << ", heading " << view.heading;
            EXPECT_GT(drawn, every.rgb.size() / 20)
                << world << ", heading " << view.heading << ": hardly anything drawn";
        }
        EXPECT_LT(fewest * 4, map.chunks.zRange.size() / 2) << world << ": culling left most chunks in every view";
    }
}

// The whole game on a small world of plain colours: what the first frames show.
TEST(WorldGl, TheFirstFramesShowSkyGroundAndTheRestingWedge)
{
    CTempDir dir;
    dir.CopyBuildAssets();                            // font and HUD images
    WriteWorld(dir, TestMap(4, 4, 2, 10, 100, 100));  // 80 x 80 units of flat ground at height 100
    CGame game;
    ASSERT_FALSE(game.Start());
    std::vector<uint8_t> keys(SDLK_LAST, 0);
    // Flat ground lit from straight above shows 0.94 of its texture's colour.
    const Rgb lit[2] = {{169, 113, 56}, {56, 113, 169}}, white{255, 255, 255};
    auto expect = [&](std::initializer_list<std::tuple<int, int, Rgb, const char*>> points) {
        game.DrawFrame();
        for (const auto& [x, y, want, what] : points)
            EXPECT_TRUE(ColourNear(ReadPixel(x, y), want)) << what << " at " << x << ", " << y;
    };
    // The eye is 150 above the ground, 2 pixels to a unit: the ground spans
    // x 300..460 and y 290..450, tiles 40 pixels square. The Bottom picture's top edge lies at x = -1, on the left.
    game.RunFrame(keys.data());
    expect({{150, 300, SKY[0], "Bottom face, upper half"},
            {380, 500, SKY[0], "Bottom face, upper half"},
            {650, 300, Lower(SKY[0]), "Bottom face, lower half"},
            {320, 310, lit[0], "tile 0"},
            {360, 310, lit[1], "tile 1"},
            {360, 350, lit[1], "tile 5"},
            {400, 350, lit[0], "tile 6"},
            {440, 430, lit[1], "tile 15"}});
    for (int frames = 1; game.map.player.velocity.z != 0.0f; ++frames) {
        ASSERT_LT(frames, 200) << "never landed";
        game.RunFrame(keys.data());
    }
    ASSERT_EQ(game.map.player.position.z, 100.0f);
    // The wedge's rear edge is at the centre, its nose 16 pixels above.
    expect({{400, 296, white, "wedge"}, {400, 290, white, "wedge"}, {400, 320, lit[0], "ground behind the wedge"}});
    // An orbit below the ground would look up through it at the Top face: its eye is lifted above the ground instead,
    // and the whole view is the tile under the wedge.
    game.map.player.camera.y = 0.5f;
    expect({{650, 300, lit[0], "tile 2 under the lifted eye"}, {150, 500, lit[0], "tile 2 under the lifted eye"}});
    // Level: the Back face ahead, upright; the Left face on the right, the Right face on the left.
    game.map.player.camera.y = 0.25f;
    expect({{550, 150, SKY[3], "Back face, upper half"},
            {550, 420, Lower(SKY[3]), "Back face, lower half"},
            {790, 150, SKY[5], "Left face"},
            {10, 150, SKY[4], "Right face"}});
    game.map.player.camera.x = -0.5f;  // turned round: the Front face, upright
    expect({{400, 150, SKY[2], "Front face, upper half"}, {400, 420, Lower(SKY[2]), "Front face, lower half"}});
}
