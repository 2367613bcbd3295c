// Guards the wedge's physics and camera: fall, landing and its flag, coasting and its stop, the reset (--start's),
// heading folds, push direction, the view, the eye kept clear of the drawn ground (other orbits unchanged), winding.
#include "base/GameFacts.h"
#include "tests/support/TestMaps.h"
#include "world/Map.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A 100 x 100 square at height `ground` (k = 1) under the start point (50, 5), with the player landed on it.
struct Landed {
    CMap map;
    CPlayer& p = map.player;
    explicit Landed(uint8_t ground = 20)
    {
        LoadTestGrid(map, TestMap(2, 2, 5, 10, 100, ground));
        for (int frame = 0; frame < 1000 && !(frame > 0 && p.velocity.z == 0.0f); ++frame)
            p.Update();
    }
};

}  // namespace

TEST(Player, FallsLandsOnAnyGroundAndTogglesTheLandingFlag)
{
    CMap sky;  // no grid under the start point: nothing to land on
    LoadTestGrid(sky, TestMap(1, 1, 1, 10, 100, 50));
    CPlayer& p = sky.player;
    for (int n = 1; n <= 60; ++n) {  // 149.9, 149.795, 149.68475 ...
        p.Update();
        EXPECT_NEAR(150.0f - p.position.z, 2.0 * (std::pow(1.05, n) - 1.0), 1e-4 * n) << n << " frames";
    }
    EXPECT_EQ(p.flags, 0);
    for (uint8_t ground : {20, 0}) {
        Landed l(ground);
        EXPECT_TRUE(l.p.velocity.z == 0.0f && l.p.position.z == ground && l.p.flags == FLAG_LANDING) << int(ground);
    }
    // Resting, the landing flag flips every frame; a push every frame keeps the flags at 5.
    Landed l;
    for (int32_t flags : {0, 4, 0, 4}) {  // Update, then the frame's push, as the game runs them
        l.p.Update();
        l.p.Accelerate(0, 0, 0);
        EXPECT_EQ(l.p.flags, flags);
        EXPECT_EQ(l.p.position.z, 20.0f);
    }
    for (int frame = 0; frame < 5; ++frame) {
        l.p.Accelerate(-0.3f, 0, 0);
        l.p.Update();
        EXPECT_EQ(l.p.flags, FLAG_MOVING | FLAG_LANDING) << frame;
    }
}

TEST(Player, APushCoastsToAStopAndRepeatedPushesApproachThree)
{
    Landed l;
    CPlayer& p = l.p;
    p.Accelerate(-0.3f, 0, 0);
    const float startY = p.position.y;
    int moving = 0;
    for (int frame = 0; frame < 20; ++frame) {
        float lastY = p.position.y;
        p.Update();
        EXPECT_NEAR(p.velocity.y, frame < 11 ? -0.3f * std::pow(0.9f, frame + 1) : 0.0f, 1e-6f);
        moving += p.position.y != lastY;
        EXPECT_EQ(bool(p.flags & FLAG_MOVING), frame < 11) << frame;
        EXPECT_EQ(p.position.x, 50.0f);
    }
    EXPECT_EQ(moving, 11);
    EXPECT_NEAR(startY - p.position.y, 2.0589f, 1e-3f);

    for (int frame = 0; frame < 200; ++frame) {
        p.Update();
        p.Accelerate(-0.3f, 0, 0);
    }
    EXPECT_NEAR(p.velocity.y, -3.0f, 1e-3f);
}

TEST(Player, SlowComponentsSnapAndOppositesFreeze)
{
    Landed l;
    CPlayer& p = l.p;
    p.flags = FLAG_MOVING;
    p.velocity = Vec3(0.1f, -0.09f, 0.0f);  // exactly the bound still moves; below it stops
    p.Update();
    ExpectNear(p.position, Vec3(50.1f, 5.0f, 20.0f));
    ExpectNear(p.velocity, Vec3(0.09f, 0.0f, 0.0f));
    EXPECT_TRUE(p.flags & FLAG_MOVING);
    p.Update();
    EXPECT_FALSE(p.flags & FLAG_MOVING);

    // Components that sum to 0 leave the player moving.
    p.position.x = 50.0f;
    p.flags = FLAG_MOVING;
    p.velocity = Vec3(0.5f, -0.5f, 0.0f);
    p.Update();
    p.Update();
    EXPECT_TRUE(p.flags & FLAG_MOVING);
    ExpectNear(p.position, Vec3(50.95f, 4.05f, 20.0f));
}

TEST(Player, FallingOffTheWorldResets)
{
    CMap map;
    LoadTestGrid(map, TestMap(1, 1, 1, 10, 100, 50));  // nowhere near (50, 5)
    CPlayer& p = map.player;
    p.velocity.x = 0.7f;
    p.flags = FLAG_LANDING;
    for (int frames = 0; p.position.z > -500.0f; ++frames) {
        ASSERT_LT(frames, 1000);
        p.Update();
    }
    p.Update();  // the reset happens at the start of the next step; horizontal velocity survives it
    EXPECT_EQ(p.flags, 0);
    ExpectNear(p.position, Vec3(RESET_X, RESET_Y, DROP_HEIGHT), 0);
    ExpectNear(p.velocity, Vec3(0.7f, 0, 0), 0);
    p.Update();
    EXPECT_NEAR(p.position.z, 149.9f, 1e-5f);
    // A start of the user's own (--start) is where a fall puts the wedge back, too.
    p.PlaceStart(-20.0f, 30.0f);
    for (int frames = 0; frames < 1000 && p.position.z > -500.0f; ++frames)
        p.Update();
    p.Update();
    ExpectNear(p.position, Vec3(-20.0f, 30.0f, DROP_HEIGHT), 0);
}

TEST(Player, TurnAndAccelerateFollowTheHeading)
{
    CMap map;
    CPlayer& p = map.player;
    const float turns[][3] = {{0.995f, 0.01f, 0.005f}, {0.0f, -0.01f, 0.99f}, {0.99f, 0.01f, 1.0f}};
    for (const auto& t : turns) {
        p.rotation.z = t[0];
        p.Turn(t[1], 0, 0);
        EXPECT_NEAR(p.rotation.z, t[2], 1e-6f);
        EXPECT_EQ(p.camera.x, -p.rotation.z);
    }

    p.flags = FLAG_LANDING;
    p.Accelerate(0, 0, 0);
    EXPECT_EQ(p.flags, FLAG_LANDING);
    p.Accelerate(0, 1, 0);  // a sideways request only starts the motion
    EXPECT_EQ(p.flags, FLAG_MOVING);
    ExpectNear(p.velocity, Vec3());
    p.rotation.z = 0.25f;  // a quarter turn pushes along x
    p.Accelerate(-0.3f, 0, 0);
    ExpectNear(p.velocity, Vec3(-0.3f, 0, 0));
    p.velocity = Vec3();
    p.rotation.z = 0.125f;
    p.Accelerate(1.0f, 0, 0);
    ExpectNear(p.velocity, Vec3(0.70710677f, 0.70710677f, 0));
}

TEST(Player, CameraTranslation)
{
    CMap map;
    CPlayer& p = map.player;
    p.position = Vec3(50, 5, 150);
    // Straight down from 100 above at start; level, 100 behind the nose; turned a quarter; in between.
    const std::pair<Vec3, Vec3> cases[] = {{{0, 0, 100}, {-50, 5, -250}},
                                           {{0, 0.25f, 100}, {-50, 105, -150}},
                                           {{-0.25f, 0.25f, 100}, {-150, 5, -150}},
                                           {{0, 0.125f, 100}, {-50, 75.71068f, -220.71068f}}};
    for (const auto& [camera, want] : cases) {
        p.camera = camera;
        ExpectNear(p.CameraTranslation(), want, 1e-3f);
    }
}

// Orbits around (50, 50) over flat ground at 40: the Part's own wherever the eye stays 2 above it or leaves the grid,
// else the eye raised straight up to 42 and aimed at the target again.
TEST(Player, TheEyeIsLiftedClearOfTheGroundAndNoOtherOrbitChanges)
{
    CMap map;
    LoadTestGrid(map, TestMap(2, 2, 5, 10, 100, 40));
    CPlayer& p = map.player;
    p.position = Vec3(50, 50, 40);
    int lifted = 0, kept = 0;
    for (float yaw : {0.0f, 0.3f, 0.55f, 0.8f})
        for (float pitch = 0.0f; pitch < 1.0f; pitch += 0.0625f)
            for (float distance : {-30.0f, 0.0f, 1.0f, 30.0f, 300.0f}) {
                p.camera = Vec3(yaw, pitch, distance);
                const float partP = pitch * 6.283186f, across = distance * std::sin(partP), Y = yaw * 6.283186f;
                const Vec3 eye(50 - across * std::sin(Y), 50 + across * std::cos(Y), 40 + distance * std::cos(partP));
                const Vec3 orbit = p.ViewOrbit(), t = p.CameraTranslation();
                if (eye.z >= 40 + CAMERA_CLEARANCE || !map.Contains(eye.x, eye.y)) {
                    EXPECT_TRUE(orbit.x == yaw && orbit.y == pitch && orbit.z == distance) << pitch << ", " << distance;
                    kept += 1;
                    continue;
                }
                lifted += 1;
                const Vec3 lifted(-t.x, -t.y, -t.z);  // in the drawing frame, y negated
                ExpectNear(lifted, Vec3(eye.x, -eye.y, 40 + CAMERA_CLEARANCE), 1e-3f);
                const float P = orbit.y * 6.283186f;  // the target straight ahead, at the orbit's distance
                const Vec3 ahead(std::sin(P) * std::sin(Y), std::sin(P) * std::cos(Y), -std::cos(P));
                ExpectNear(lifted + ahead * orbit.z, Vec3(50, -50, 40), 1e-3f);
            }
    EXPECT_TRUE(lifted > 50 && kept > 100) << lifted << " lifted, " << kept << " kept";

    // One cell of 10 units with its far corner at 200: at (7.5, 2.5) its triangle stands at 50, though the bilinear
    // surface stands at 37.5. An eye at 45 there is lifted to 52.
    LoadTestGrid(map, TestMap(1, 1, 1, 10, 100, 0, [](uint32_t c, uint32_t r) { return uint8_t(c && r ? 200 : 0); }));
    p.position = Vec3(7.5f, -27.5f, 5.0f);
    p.camera = Vec3(0.0f, std::asin(0.6f) / 6.283186f, 50.0f);  // 30 across, 40 up
    ExpectNear(p.ViewOrbit(), Vec3(0, std::atan2(30.0f, 47.0f) / 6.283186f, std::hypot(30.0f, 47.0f)), 1e-4f);
}

TEST(Player, WedgeFacesPointOutwards)
{
    const Vec3 centre(0.0f, 5.0f / 3.0f, 0.5f);
    for (const WedgeFace& face : WEDGE_FACES) {
        Vec3 n, mid;
        for (int i = 0; i < face.cornerCount; ++i) {
            Vec3 a(face.corners[i][0], face.corners[i][1], face.corners[i][2]);
            const float* b = face.corners[(i + 1) % face.cornerCount];
            n += Cross(a, Vec3(b[0], b[1], b[2]));  // twice the polygon's area vector
            mid += a * (1.0f / float(face.cornerCount));
        }
        EXPECT_GT(Dot(n, mid - centre), 0.0f) << "face at (" << mid.x << ", " << mid.y << ", " << mid.z << ")";
    }
}
