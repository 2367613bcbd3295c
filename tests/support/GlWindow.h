#pragma once

#include "game/Game.h"
#include "tools/common/FrameCapture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

struct Rgb {
    int r, g, b;
};

// Opens (or re-opens) the real 800x600 game window with the game's own
// renderer set-up, so every test starts from the start-up GL state.
void OpenGameWindow(CGame& game);

// Reads the back buffer (call before the swap); y counts from the top.
Rgb ReadPixel(int x, int yFromTop);
// What the X server shows in the window's 800x600 area (the window sits at
// the screen's top-left corner: there is no window manager). Empty on failure.
Image GrabScreen();

::testing::AssertionResult ColourNear(const Rgb& seen, const Rgb& want, int tolerance = 3);

// Window-space vertices of what draw draws, taken through GL feedback mode.
struct FeedbackVertex {
    float x, y, z;     // window coordinates
    float r, g, b, a;  // colour after lighting
    float s, t;        // texture coordinates
};
std::vector<std::vector<FeedbackVertex>> CaptureTriangles(const std::function<void()>& draw,
                                                          size_t maxFloats = 1 << 22);
