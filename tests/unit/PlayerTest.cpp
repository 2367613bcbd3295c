// Guards the wedge's physics and camera: fall speed, landing (height 0 included) and its flag toggle, coasting and its stop bound, the fall reset, heading folds, push direction, the view translation and the mesh's winding.
#include "tests/support/TestMaps.h"
#include "world/Map.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A 100 x 100 square at height `ground` (k = 1) under the start point (50, 5),
// with the player landed on it.
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

} // namespace

TEST(Player, FallsWithGrowingSpeedAndLandsOnAnyGround)
{
    CMap sky;  // no grid under the start point: nothing to land on
    LoadTestGrid(sky, TestMap(1, 1, 1, 10, 100, 50));
    CPlayer& p = sky.player;
    for (float z : {149.9f, 149.795f, 149.68475f}) {
        p.Update();
        EXPECT_NEAR(p.position.z, z, 1e-4f);
    }
    for (int n = 4; n <= 60; ++n) {
        p.Update();
        EXPECT_NEAR(150.0f - p.position.z, 2.0 * (std::pow(1.05, n) - 1.0), 1e-3 * n) << n << " frames";
    }
    EXPECT_EQ(p.flags, 0);

    for (uint8_t ground : {20, 0}) {
        Landed l(ground);
        EXPECT_EQ(l.p.velocity.z, 0.0f) << "no landing on ground " << int(ground);
        EXPECT_EQ(l.p.position.z, float(ground));
        EXPECT_EQ(l.p.flags, FLAG_LANDING);
        EXPECT_EQ(l.p.position.x, 50.0f);
        EXPECT_EQ(l.p.position.y, 5.0f);
    }
}

TEST(Player, RestingFlagsAlternateAndPushesKeepThemAtFive)
{
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
        if (frame < 3) {
            EXPECT_NEAR(p.velocity.y, -0.3f * std::pow(0.9f, frame + 1), 1e-6f);
        }
        moving += p.position.y != lastY;
        EXPECT_EQ(bool(p.flags & FLAG_MOVING), frame < 11) << frame;
        EXPECT_EQ(p.position.x, 50.0f);
    }
    EXPECT_EQ(moving, 11);
    EXPECT_NEAR(startY - p.position.y, 2.0589f, 1e-3f);
    EXPECT_EQ(p.velocity.y, 0.0f);

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
    EXPECT_FLOAT_EQ(p.position.x, 50.1f);
    EXPECT_EQ(p.position.y, 5.0f);
    EXPECT_EQ(p.velocity.y, 0.0f);
    EXPECT_FLOAT_EQ(p.velocity.x, 0.09f);
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
    EXPECT_FLOAT_EQ(p.position.x, 50.0f + 0.5f + 0.45f);
    EXPECT_FLOAT_EQ(p.position.y, 5.0f - 0.5f - 0.45f);
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
    p.Update();  // the reset happens at the start of the next step
    EXPECT_EQ(p.flags, 0);
    EXPECT_EQ(p.position.x, 50.0f);
    EXPECT_EQ(p.position.y, 50.0f);
    EXPECT_EQ(p.position.z, 150.0f);
    EXPECT_EQ(p.velocity.z, 0.0f);
    EXPECT_EQ(p.velocity.x, 0.7f);  // horizontal velocity survives the reset
    p.Update();
    EXPECT_NEAR(p.position.z, 149.9f, 1e-5f);
}

TEST(Player, TurnAndAccelerateFollowTheHeading)
{
    CMap map;
    CPlayer& p = map.player;
    const float turns[][3] = {{0.995f, 0.01f, 0.005f}, {0.0f, -0.01f, 0.99f}, {0.99f, 0.01f, 1.0f}};
    for (const auto& t : turns) {
        p.rotation.z = t[0];
        EXPECT_FALSE(p.Turn(t[1], 0, 0));
        EXPECT_NEAR(p.rotation.z, t[2], 1e-6f);
        EXPECT_EQ(p.camera.x, -p.rotation.z);
    }

    p.flags = FLAG_LANDING;
    EXPECT_TRUE(p.Accelerate(0, 0, 0));
    EXPECT_EQ(p.flags, FLAG_LANDING);
    EXPECT_TRUE(p.Accelerate(0, 1, 0));
    EXPECT_EQ(p.flags, FLAG_MOVING);
    EXPECT_EQ(p.velocity.y, 0.0f);
    // A quarter turn pushes along x; an eighth along both.
    p.rotation.z = 0.25f;
    EXPECT_FALSE(p.Accelerate(-0.3f, 0, 0));
    EXPECT_NEAR(p.velocity.x, -0.3f, 1e-6f);
    EXPECT_NEAR(p.velocity.y, 0.0f, 1e-6f);
    p.velocity = Vec3();
    p.rotation.z = 0.125f;
    p.Accelerate(1.0f, 0, 0);
    EXPECT_NEAR(p.velocity.x, 0.70710677f, 1e-6f);
    EXPECT_NEAR(p.velocity.y, 0.70710677f, 1e-6f);
}

TEST(Player, CameraTranslation)
{
    CMap map;
    CPlayer& p = map.player;
    p.position = Vec3(50, 5, 150);
    const struct {
        float yaw, pitch;
        Vec3 want;
    } cases[] = {
        {0, 0, {-50, 5, -250}},         // at start: straight down from 100 above
        {0, 0.25f, {-50, 105, -150}},   // level with the target, D behind the nose
        {-0.25f, 0.25f, {-150, 5, -150}},  // turned a quarter: the offset swings to x
        {0, 0.125f, {-50, 75.71068f, -220.71068f}},
    };
    for (const auto& c : cases) {
        p.camera = Vec3(c.yaw, c.pitch, 100);
        Vec3 t = p.CameraTranslation();
        EXPECT_NEAR(t.x, c.want.x, 1e-3f) << c.yaw << ", " << c.pitch;
        EXPECT_NEAR(t.y, c.want.y, 1e-3f) << c.yaw << ", " << c.pitch;
        EXPECT_NEAR(t.z, c.want.z, 1e-3f) << c.yaw << ", " << c.pitch;
    }
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
