#include "tools/bench/TerrainDrawRows.h"

#include "tools/bench/BenchCommon.h"

#include <GL/gl.h>
#include <cstdio>

namespace {

// Median time of drawing one display list (called and finished) from the
// player's chase view, in the state the terrain's own Render sets.
double TimeList(CGame& game, uint32_t list, int repeats)
{
    std::vector<double> ms;
    for (int i = 0; i < repeats; ++i) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        game.map.player.ApplyCamera();
        glPushMatrix();
        glDisable(GL_BLEND);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_LIGHTING);
        glFinish();
        BenchClock::time_point start = BenchClock::now();
        glCallList(list);
        glFinish();
        ms.push_back(MsSince(start));
        glDisable(GL_LIGHTING);
        glPopMatrix();
    }
    return Percentile(ms, 0.5);
}

// The ideal: the very same triangles, normals and texture coordinates in
// one vertex-array draw with one texture bound, placed as the list places
// them.
uint32_t IdealTerrainList(const CMap& map)
{
    std::vector<float> normals, coords, positions;
    std::vector<TerrainFanVertex> fans;
    const float step = float(map.subdivisions) * map.cellSize;
    static const size_t FAN_TRIANGLES[6] = {0, 1, 2, 0, 2, 3};
    for (uint32_t ty = 0; ty < map.height; ++ty)
        for (uint32_t tx = 0; tx < map.width; ++tx) {
            map.TileFans(tx, ty, fans);
            for (size_t f = 0; f + 4 <= fans.size(); f += 4)
                for (size_t corner : FAN_TRIANGLES) {
                    const TerrainFanVertex& v = fans[f + corner];
                    normals.insert(normals.end(), {v.normal.x, v.normal.y, v.normal.z});
                    coords.insert(coords.end(), {v.s, v.t});
                    positions.insert(positions.end(), {v.position.x + float(tx) * step,
                                                       v.position.y - map.cellSize - float(ty) * step,
                                                       v.position.z});
                }
        }
    uint32_t list = glGenLists(1);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, positions.data());
    glNormalPointer(GL_FLOAT, 0, normals.data());
    glTexCoordPointer(2, GL_FLOAT, 0, coords.data());
    glNewList(list, GL_COMPILE);
    glBindTexture(GL_TEXTURE_2D, map.textures[0]);
    glDrawArrays(GL_TRIANGLES, 0, GLsizei(positions.size() / 3));
    glEndList();
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    return list;
}

} // namespace

void TerrainDrawRows(CGame& game, bool quick, long frames, KeyScript scripted)
{
    const uint32_t triangles = game.map.terrainList;
    const uint32_t fans = game.map.CompileTerrainList(CMap::TerrainBatch::Fans);
    const uint32_t ideal = IdealTerrainList(game.map);
    const int repeats = quick ? 5 : 60;
    double idealMs = TimeList(game, ideal, repeats);
    double trianglesMs = TimeList(game, triangles, repeats);
    double fansMs = TimeList(game, fans, repeats);
    printf("| terrain draw, one batch per tile | %.2f ms | %.2fx ideal | |\n", trianglesMs, trianglesMs / idealMs);
    printf("| terrain draw, one fan per cell | %.2f ms | %.2fx ideal | |\n", fansMs, fansMs / idealMs);
    printf("| terrain draw, ideal vertex array | %.2f ms | | |\n", idealMs);

    game.map.terrainList = fans;
    std::vector<double> ms = TimeFrames(game, frames, 1e12, scripted);
    printf("| frame, same, terrain as fans | median %.2f ms | p95 %.2f ms | %.0f fps |\n", Percentile(ms, 0.5),
           Percentile(ms, 0.95), 1000.0 / Percentile(ms, 0.5));
    game.map.terrainList = triangles;
}
