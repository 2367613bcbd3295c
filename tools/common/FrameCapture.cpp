#include "tools/common/FrameCapture.h"

#include "base/GameFacts.h"
#include "gfx/BackBuffer.h"

#include <cstring>
#include <vector>

Image ReadBackBuffer()
{
    const size_t rowBytes = size_t(WINDOW_WIDTH) * 3;
    Image frame(WINDOW_WIDTH, WINDOW_HEIGHT);
    const std::vector<uint8_t> raw = ReadBackBufferRows();
    for (int y = 0; y < WINDOW_HEIGHT; ++y)  // OpenGL's rows run bottom-up
        memcpy(frame.At(0, y), &raw[size_t(WINDOW_HEIGHT - 1 - y) * rowBytes], rowBytes);
    return frame;
}
