#pragma once

#include "base/GameFacts.h"
#include "math/Vec3.h"

#include <cstdint>

class CGame;
class CMap;

enum : int32_t {
    FLAG_MOVING = 1,
    FLAG_LANDING = 4,
};

// The eye keeps at least this height above the ground under it: an orbit
// that would take it lower is lifted (see CPlayer::ViewOrbit).
constexpr float CAMERA_CLEARANCE = 2.0f;

// The orbit `camera` (yaw, pitch in turns, distance) around a target at
// height `targetZ`, with its eye raised straight up to `lowestEye` where it
// would stand lower, and the pitch and distance that aim it at the target
// from there; any other orbit as it is.
Vec3 LiftOrbit(const Vec3& camera, float targetZ, float lowestEye);

// One face of the wedge: three or four corners (x, y, z), wound
// counter-clockwise seen from outside.
struct WedgeFace {
    int cornerCount;
    float corners[4][3];
};
// Top and bottom triangles, then the right, left and rear quads.
extern const WedgeFace WEDGE_FACES[5];

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
    Vec3 position{START_X, START_Y, DROP_HEIGHT};
    Vec3 velocity;  // z: fall speed, positive downwards
    int32_t flags = 0;
    // Where a fall puts the wedge back: the reset point, or --start's.
    float resetX = RESET_X, resetY = RESET_Y;

    CPlayer() = default;
    CPlayer(const CPlayer&) = delete;  // owns a display list
    CPlayer& operator=(const CPlayer&) = delete;
    ~CPlayer();

    bool BuildMesh();
    // Starts the wedge above (x, y), and puts it back there after a fall.
    void PlaceStart(float x, float y);
    // One frame of physics: fall or land, then coast.
    bool Update();
    bool Turn(float dHeading, float second, float third);
    // True when amount is 0 and no push was applied.
    bool Accelerate(float amount, float side, float third);
    // Draws the wedge; leaves blending off and depth testing on.
    bool Render();

    // The view transform around the player, with the skybox aimed by the
    // rotation alone and the light placed under the whole transform.
    bool ApplyCamera();
    // The translation ApplyCamera applies after the rotations.
    Vec3 CameraTranslation() const;
    // The orbit (yaw, pitch, distance) the view takes: the camera's, lifted
    // where its eye would come within CAMERA_CLEARANCE of the ground as
    // drawn under it. Both the view and the projection follow it.
    Vec3 ViewOrbit() const;
};
