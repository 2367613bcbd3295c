#include "tools/common/FrameCapture.h"

#include "base/GameFacts.h"

#include <GL/gl.h>
#include <cstring>
#include <vector>

Image ReadBackBuffer()
{
    const size_t rowBytes = size_t(WINDOW_WIDTH) * 3;
    Image frame(WINDOW_WIDTH, WINDOW_HEIGHT);
    std::vector<unsigned char> raw(rowBytes * WINDOW_HEIGHT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, WINDOW_WIDTH, WINDOW_HEIGHT, GL_RGB, GL_UNSIGNED_BYTE, raw.data());
    for (int y = 0; y < WINDOW_HEIGHT; ++y)  // OpenGL's rows run bottom-up
        memcpy(frame.At(0, y), &raw[size_t(WINDOW_HEIGHT - 1 - y) * rowBytes], rowBytes);
    return frame;
}
