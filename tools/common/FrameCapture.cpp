#include "tools/common/FrameCapture.h"

#include <GL/gl.h>
#include <cstring>
#include <vector>

Image ReadBackBuffer()
{
    Image frame(800, 600);
    std::vector<unsigned char> raw(800 * 600 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, raw.data());
    for (int y = 0; y < 600; ++y)  // OpenGL's rows run bottom-up
        memcpy(frame.At(0, y), &raw[size_t(599 - y) * 800 * 3], 800 * 3);
    return frame;
}
