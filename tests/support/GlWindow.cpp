#include "tests/support/GlWindow.h"

#include "base/GameFacts.h"

#include <GL/gl.h>
#include <SDL/SDL.h>
#include <algorithm>

void OpenGameWindow(CGame& game) { ASSERT_FALSE(game.Init_Renderer()) << SDL_GetError(); }

Rgb ReadPixel(int x, int yFromTop)
{
    uint8_t p[3] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(x, WINDOW_HEIGHT - 1 - yFromTop, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2]};
}

Image GrabScreen()
{
    glFinish();
    FILE* pipe = popen("xwd -root -silent | convert xwd:- -crop 800x600+0+0 -depth 8 rgb:-", "r");
    if (!pipe)
        return Image();
    Image screen(WINDOW_WIDTH, WINDOW_HEIGHT);
    if (fread(screen.rgb.data(), 1, screen.rgb.size(), pipe) != screen.rgb.size())
        screen = Image();
    pclose(pipe);
    return screen;
}

::testing::AssertionResult ColourNear(const Rgb& seen, const Rgb& want, int tolerance)
{
    if (std::max({std::abs(seen.r - want.r), std::abs(seen.g - want.g), std::abs(seen.b - want.b)}) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "saw (" << seen.r << ", " << seen.g << ", " << seen.b << "), wanted ("
                                         << want.r << ", " << want.g << ", " << want.b << ")";
}

std::vector<std::vector<FeedbackVertex>> CaptureTriangles(const std::function<void()>& draw, size_t maxFloats)
{
    std::vector<GLfloat> buffer(maxFloats);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    GLint count = glRenderMode(GL_RENDER);
    std::vector<std::vector<FeedbackVertex>> polygons;
    EXPECT_GE(count, 0) << "feedback buffer overflow";
    for (GLint i = 0; i < count;) {
        GLfloat token = buffer[i++];
        if (token == GL_POLYGON_TOKEN) {
            int n = int(buffer[i++]);
            std::vector<FeedbackVertex> polygon;
            for (int v = 0; v < n; ++v, i += 11) {
                const GLfloat* f = &buffer[i];
                polygon.push_back({f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8]});
            }
            polygons.push_back(polygon);
        } else {
            ADD_FAILURE() << "feedback token " << token << " where only polygons were expected";
            break;
        }
    }
    return polygons;
}
