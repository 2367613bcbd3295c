#include "tests/support/GlWindow.h"
#include "tests/support/TempDir.h"
#include "tools/assets/TerrainGenerator.h"

#include <GL/gl.h>

#include <cstring>

namespace {

// Draws one terrain list the way a frame does, from the player's camera.
Image DrawTerrain(CGame& game, uint32_t list)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    game.map.player.ApplyCamera();
    uint32_t kept = game.map.terrainList;
    game.map.terrainList = list;
    game.map.Render();
    game.map.terrainList = kept;
    glFinish();
    return ReadFrame();
}

} // namespace

// The batched list must be a pure speed-up: the same pixels, bit for bit,
// as one fan per cell, wherever the camera is.
TEST(TerrainBatch, TrianglesDrawTheSamePixelsAsFans)
{
    CTempDir dir;
    dir.CopyBuildAssets();
    CGame game;
    OpenGameWindow(game);
    ASSERT_FALSE(game.map.Load("Data/map1.raw"));
    const uint32_t fans = game.map.CompileTerrainList(CMap::TerrainBatch::Fans);
    const uint32_t triangles = game.map.terrainList;

    const struct {
        Vec3 position, camera;
        float heading;
    } views[] = {
        {{50, 5, 60}, {0, 0, 100}, 0},            // the start view, straight down
        {{300, 400, 80}, {0, 0.2f, 150}, 0.3f},    // a chase view over the middle
        {{500, 200, 120}, {0, 0.24f, 60}, 0.75f},  // nearly level, close in
        {{200, 600, 40}, {0, 0.1f, 400}, 0.5f},    // far above, slightly pitched
    };
    CPlayer& player = game.map.player;
    int n = 0;
    for (const auto& view : views) {
        player.position = view.position;
        player.camera = view.camera;
        player.rotation = Vec3(0, 0, 0);
        player.Turn(view.heading, 0, 0);
        Image fromFans = DrawTerrain(game, fans);
        Image fromTriangles = DrawTerrain(game, triangles);
        size_t differing = 0;
        for (size_t i = 0; i < fromFans.rgb.size(); ++i)
            differing += fromFans.rgb[i] != fromTriangles.rgb[i];
        std::string error;
        EXPECT_EQ(differing, 0u) << "view " << n << ": " << WriteBmp("/tmp/terravell-fans.bmp", fromFans, error)
                                 << WriteBmp("/tmp/terravell-triangles.bmp", fromTriangles, error);
        // Something was drawn: the comparison is not of two empty frames.
        size_t lit = 0;
        for (uint8_t byte : fromTriangles.rgb)
            lit += byte != 0;
        EXPECT_GT(lit, fromTriangles.rgb.size() / 4) << "view " << n;
        ++n;
    }
}

// Normals computed once per grid equal, bit for bit, the vertex-by-vertex
// computation for every vertex of a generated world.
TEST(TerrainBatch, NormalsComputedOnceMatchVertexByVertex)
{
    TerrainParams params;
    params.tilesAcross = 9;
    params.tilesDown = 5;
    params.subdivisions = 6;
    params.roughness = 0.9f;
    CMap map;
    map.LoadGrid(GenerateTerrain(params));
    const std::vector<float> once = map.normals;
    ASSERT_EQ(once.size(), size_t(map.vertexCount) * 3);
    for (uint32_t v = 0; v < map.vertexCount; ++v) {
        map.VertexNormal(int32_t(v));
        ASSERT_EQ(0, memcmp(&once[3 * size_t(v)], &map.normals[3 * size_t(v)], 3 * sizeof(float)))
            << "vertex " << v << " (" << v % map.columns << ", " << v / map.columns << ")";
    }
}
