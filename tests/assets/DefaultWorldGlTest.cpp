#include "tests/support/GlWindow.h"
#include "tests/support/TempDir.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>

namespace {

struct Step {
    double across = 0.0;  // mean colour change across the map's edge
    double inside = 0.0;  // the same distance apart, both on the map
    int lines = 0;
};

// Where the map's water meets the skybox around it, the colour should not
// jump: compares, on every screen row and column that crosses the map's
// edge from open water, the mean of a few pixels on each side with what the
// same stretch changes inside the map.
Step EdgeStep(const Image& frame, const Image& mapOnly)
{
    const int reach = 12, gap = 2;
    auto onMap = [&](int x, int y) {
        const uint8_t* p = mapOnly.At(x, y);
        return p[0] + p[1] + p[2] > 0;
    };
    // Land against the sky is an edge of another kind: only open water counts.
    auto water = [&](int x, int y) {
        const uint8_t* p = mapOnly.At(x, y);
        return p[2] > p[0] + 40;
    };
    auto mean = [&](int x, int y, int dx, int dy, int k) {
        double sum = 0.0;
        for (int i = gap; i < gap + reach; ++i)
            sum += frame.At(x + dx * i, y + dy * i)[k];
        return sum / reach;
    };
    Step step;
    for (int vertical = 0; vertical < 2; ++vertical) {
        int dx = vertical ? 0 : 1, dy = vertical ? 1 : 0;
        int lines = vertical ? frame.width : frame.height, length = vertical ? frame.height : frame.width;
        for (int line = 0; line < lines; ++line) {
            // Room on both sides for the near stretches and the map side's further one.
            const int margin = 2 * (gap + reach) + 1;
            for (int i = margin; i + margin < length; ++i) {
                int x = vertical ? line : i, y = vertical ? i : line;
                int px = x - dx, py = y - dy;
                if (onMap(x, y) == onMap(px, py))
                    continue;
                int wx = onMap(x, y) ? x : px, wy = onMap(x, y) ? y : py, sign = onMap(x, y) ? 1 : -1;
                bool open = true;
                for (int j = 0; j < 2 * (gap + reach) && open; ++j)
                    open = water(wx + sign * dx * j, wy + sign * dy * j);
                if (!open)
                    continue;
                double a = 0.0, b = 0.0;
                for (int k = 0; k < 3; ++k) {
                    double mapSide = onMap(x, y) ? mean(x, y, dx, dy, k) : mean(px, py, -dx, -dy, k);
                    double skySide = onMap(x, y) ? mean(px, py, -dx, -dy, k) : mean(x, y, dx, dy, k);
                    int sx = onMap(x, y) ? x + dx * (gap + reach) : px - dx * (gap + reach);
                    int sy = onMap(x, y) ? y + dy * (gap + reach) : py - dy * (gap + reach);
                    double further = onMap(x, y) ? mean(sx, sy, dx, dy, k) : mean(sx, sy, -dx, -dy, k);
                    a = std::max(a, std::fabs(mapSide - skySide));
                    b = std::max(b, std::fabs(mapSide - further));
                }
                step.across += a;
                step.inside += b;
                ++step.lines;
            }
        }
    }
    if (step.lines > 0) {
        step.across /= step.lines;
        step.inside /= step.lines;
    }
    return step;
}

} // namespace

// The default world as the game draws it: the sea floor of the map and the
// skybox's sea around it look alike, so the island does not sit on a
// visible rectangle.
TEST(DefaultWorldGl, TheMapsEdgeDisappearsIntoTheSea)
{
    CTempDir dir;
    dir.CopyBuildAssets();
    CGame game;
    ASSERT_FALSE(game.Start());
    CPlayer& player = game.map.player;

    const struct {
        Vec3 position, camera;
        float heading;
        const char* what;
    } views[] = {
        {{1000, 1000, 7}, {0, 0, 150}, 0, "straight down on the far corner"},
        {{980, 600, 60}, {0.25f, 0.16f, 200}, 0, "pitched, across the far side"},
    };
    for (const auto& view : views) {
        player.position = view.position;
        player.camera = view.camera;
        player.rotation = Vec3(0, 0, 0);
        player.Turn(view.heading, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        player.ApplyCamera();
        game.map.Render();
        glFinish();
        Image frame = ReadFrame();
        // The map alone, on black, shows where it lies on screen.
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        player.ApplyCamera();
        glClear(GL_COLOR_BUFFER_BIT);
        game.map.Render();
        glFinish();
        Image mapOnly = ReadFrame();

        Step step = EdgeStep(frame, mapOnly);
        EXPECT_GT(step.lines, 300) << view.what << ": the view crosses the map's edge";
        EXPECT_LT(step.across, step.inside + 1.5)
            << view.what << ": " << step.across << " across the edge, " << step.inside << " on the map; frame in "
            << SaveFrame("sea-edge");
    }
}
