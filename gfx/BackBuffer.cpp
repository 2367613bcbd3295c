#include "gfx/BackBuffer.h"

#include "base/GameFacts.h"

#include <GL/gl.h>
#include <cstddef>

std::vector<uint8_t> ReadBackBufferRows()
{
    std::vector<uint8_t> rgb(size_t(WINDOW_WIDTH) * WINDOW_HEIGHT * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, WINDOW_WIDTH, WINDOW_HEIGHT, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}
