#pragma once

#include "math/Vec3.h"

#include <cstdint>

class CHud;
class CMap;
class CPlayer;

// Formats the six debug lines of the current state and hands them to the
// HUD (shown by the next frame).
void AddDebugLines(CHud& hud, const CPlayer& player, const CMap& map);

// Turns the held keys (one byte per SDL key symbol) into this frame's push
// and heading change, and moves the light and the camera.
void ApplyHeldKeys(const uint8_t* keys, Vec3& lightDir, Vec3& camera, float& speed, float& turn);
