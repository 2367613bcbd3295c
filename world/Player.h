#pragma once

#include "math/Vec3.h"

#include <cstdint>

class CGame;
class CMap;

enum : int32_t {
    FLAG_MOVING = 1,
    FLAG_LANDING = 4,
};

// The white wedge: falls onto the terrain, turns, is pushed along its
// heading and coasts to a stop. Also holds the orbit camera's yaw, pitch
// and distance. All amounts are per frame.
class CPlayer {
public:
    CGame* owner = nullptr;
    CMap* map = nullptr;
    float friction = 0.9f;
    float fallFactor = 1.05f;
    uint32_t meshList = 0;
    Vec3 camera{0.0f, 0.0f, 100.0f};  // yaw, pitch (turns), distance
    Vec3 rotation;                    // turns; z is the heading
    Vec3 position{50.0f, 5.0f, 150.0f};
    Vec3 velocity;                    // z: fall speed, positive downwards
    int32_t flags = 0;

    bool BuildMesh();
    bool Update();
    bool Turn(float dHeading, float second, float third);
    bool Accelerate(float amount, float side, float third);
    bool Render();
    bool ApplyCamera();
};
