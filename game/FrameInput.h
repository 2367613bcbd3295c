#pragma once

#include "gfx/Hud.h"
#include "math/Vec3.h"

#include <cstdint>

class CMap;
class CPlayer;

constexpr int DEBUG_LINE_COUNT = 6;

// The six debug lines in the order they go to the HUD: position and flags,
// velocity, rotation, light direction, camera, ground elevation. Each is
// cut to a HUD slot, whatever the size of the values.
struct DebugLines {
    char text[DEBUG_LINE_COUNT][HUD_TEXT_BYTES];
};
DebugLines FormatDebugLines(const CPlayer& player, const Vec3& lightDir, float elevation);

// Formats the debug lines of the current state and hands them to the HUD
// (shown by the next frame).
void AddDebugLines(CHud& hud, const CPlayer& player, const CMap& map);

// Turns the held keys (one byte per SDL key symbol) into this frame's push
// and heading change, and moves the light and the camera. `speed` and
// `turn` are expected at 0, so the two keys of a pair cancel.
void ApplyHeldKeys(const uint8_t* keys, Vec3& lightDir, Vec3& camera, float& speed, float& turn);
