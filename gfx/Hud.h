#pragma once

#include <cstdint>

class CGame;

constexpr int HUD_SLOTS = 50;
constexpr int HUD_TEXT_BYTES = 50;  // 49 characters and the NUL

// On-screen overlay: per-frame text lines, fading messages, masked panels.
class CHud {
public:
    CGame* owner = nullptr;
    uint32_t listBase = 0;
    uint32_t messageCount = 0;
    uint32_t lineCount = 0;
    float messageAlpha[HUD_SLOTS] = {};
    char messages[HUD_SLOTS][HUD_TEXT_BYTES] = {};
    char lines[HUD_SLOTS][HUD_TEXT_BYTES] = {};

    bool Build();
    bool AddText(const char* text);
    bool AddFadedText(const char* text);
    bool Render();
};
