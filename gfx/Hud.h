#pragma once

#include "gfx/Font.h"

#include <cstdint>
#include <vector>

class CGame;

constexpr int HUD_SLOTS = 50;
constexpr int HUD_TEXT_BYTES = 50;  // 49 characters and the NUL
constexpr int HUD_ROW_PIXELS = 16;
constexpr int HUD_BOTTOM_ROW_Y = 584;   // top of the window's last 16 pixel rows
constexpr int HUD_MESSAGE_FRAMES = 92;  // frames a fading message stays on screen

// Texture names of one panel: the picture added onto the scene and the
// mask the scene is multiplied by first.
struct HudPanelTextures {
    uint32_t image = 0;
    uint32_t mask = 0;
};

// A panel's place in window pixels (origin top left).
struct HudRect {
    uint32_t x, y, width, height;
};

// One text to print this frame: its top edge in window pixels and its
// grey level (1 = white).
using HudRow = TextRow;

// Everything the text pass prints in one frame, in drawing order.
struct HudLayout {
    HudRow rows[2 * HUD_SLOTS];
    int count = 0;
};

// On-screen overlay: per-frame text lines, fading messages, masked panels.
// Only Build and Render touch OpenGL; the slots, the layout and the ageing
// of messages are plain code.
class CHud {
public:
    CGame* owner = nullptr;
    uint32_t listBase = 0;  // panel i is drawn by list listBase + i
    std::vector<HudPanelTextures> panelTextures;
    std::vector<HudRect> panelRects;
    uint32_t panelCount = 1;
    uint32_t messageCount = 0;
    uint32_t lineCount = 0;
    float messageAlpha[HUD_SLOTS] = {};
    char messages[HUD_SLOTS][HUD_TEXT_BYTES] = {};  // slot 0 holds the oldest
    char lines[HUD_SLOTS][HUD_TEXT_BYTES] = {};     // slot 0 holds the first added

    CHud();

    // Loads each panel's picture and mask and compiles its square. True on
    // failure, after writing the failing path to stderr.
    bool Build();

    // Queues a line for the next Render only. Texts are cut to 49
    // characters; a line past the 50th of a frame is dropped. Always false.
    bool AddText(const char* text);

    // Adds a message at full brightness that fades over the next frames.
    // Texts are cut to 49 characters; with all 50 slots taken the oldest
    // message gives way. Always false.
    bool AddFadedText(const char* text);

    // Where this frame's texts go: the lines bottom-up in the order added
    // (line 0 on the last 16 rows), the messages above them, oldest lowest.
    HudLayout Layout() const;

    // The bookkeeping after a frame's text is drawn: the lines are
    // discarded, every message darkens by 0.01, and those that were drawn
    // below grey 0.1 are removed.
    void FinishFrame();

    // Draws the lines and messages, then the panels. Leaves blending on
    // with (GL_ONE, GL_ONE), depth testing on, colour white, the last
    // picture texture bound and GL_MODELVIEW current. Always false.
    bool Render();
};
