#include "tests/support/TestMaps.h"
#include "world/Map.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A flat 100 x 100 square at height `ground` (k = 1) that holds the start
// point (50, 5).
void FlatGround(CMap& map, uint8_t ground) { LoadTestGrid(map, TestMap(2, 2, 5, 10, 100, ground)); }

// Lets the player fall until it lands; false if it never does.
bool Land(CPlayer& player)
{
    for (int frame = 0; frame < 1000; ++frame) {
        player.Update();
        if (player.velocity.z == 0.0f)
            return true;
    }
    return false;
}

} // namespace

TEST(Player, FallsWithGrowingSpeedAndLandsOnAnyGround)
{
    CMap sky;  // no grid under the start point: nothing to land on
    LoadTestGrid(sky, TestMap(1, 1, 1, 10, 100, 50));
    CPlayer& p = sky.player;
    const float expected[] = {149.9f, 149.795f, 149.68475f};
    for (float z : expected) {
        p.Update();
        EXPECT_NEAR(p.position.z, z, 1e-4f);
    }
    for (int n = 4; n <= 60; ++n) {
        p.Update();
        EXPECT_NEAR(150.0f - p.position.z, 2.0 * (std::pow(1.05, n) - 1.0), 1e-3 * n) << n << " frames";
    }
    EXPECT_EQ(p.flags, 0);

    CMap ground;
    FlatGround(ground, 20);
    CPlayer& q = ground.player;
    ASSERT_TRUE(Land(q));
    EXPECT_EQ(q.position.z, 20.0f);
    EXPECT_EQ(q.flags, FLAG_LANDING);
    EXPECT_EQ(q.position.x, 50.0f);
    EXPECT_EQ(q.position.y, 5.0f);

    // Ground at height 0 is ground too.
    CMap low;
    FlatGround(low, 0);
    ASSERT_TRUE(Land(low.player));
    EXPECT_EQ(low.player.position.z, 0.0f);
}

TEST(Player, RestingFlagsAlternateAndPushesKeepThemAtFive)
{
    CMap map;
    FlatGround(map, 20);
    CPlayer& p = map.player;
    ASSERT_TRUE(Land(p));
    // Frame by frame as the game runs it: Update, then this frame's push.
    const int32_t resting[] = {0, 4, 0, 4};
    for (int32_t flags : resting) {
        p.Update();
        p.Accelerate(0, 0, 0);
        EXPECT_EQ(p.flags, flags);
        EXPECT_EQ(p.position.z, 20.0f);
    }
    p.Accelerate(-0.3f, 0, 0);
    for (int frame = 0; frame < 5; ++frame) {
        p.Update();
        EXPECT_EQ(p.flags, FLAG_MOVING | FLAG_LANDING) << frame;
        p.Accelerate(-0.3f, 0, 0);
    }
}

TEST(Player, APushCoastsToAStop)
{
    CMap map;
    FlatGround(map, 20);
    CPlayer& p = map.player;
    ASSERT_TRUE(Land(p));
    p.Accelerate(-0.3f, 0, 0);
    const float startY = p.position.y;
    int moving = 0;
    float lastY = startY;
    const float speeds[] = {-0.27f, -0.243f, -0.2187f};
    for (int frame = 0; frame < 20; ++frame) {
        p.Update();
        if (frame < 3) {
            EXPECT_NEAR(p.velocity.y, speeds[frame], 1e-6f);
        }
        if (p.position.y != lastY)
            ++moving;
        lastY = p.position.y;
        if (frame < 11) {
            EXPECT_TRUE(p.flags & FLAG_MOVING) << frame;
        }
        EXPECT_EQ(p.position.x, 50.0f);
    }
    EXPECT_EQ(moving, 11);
    EXPECT_NEAR(startY - p.position.y, 2.0589f, 1e-3f);
    EXPECT_EQ(p.velocity.y, 0.0f);
    EXPECT_FALSE(p.flags & FLAG_MOVING);

    // Pushing in every frame adds up, approaching 3 units per frame.
    for (int frame = 0; frame < 200; ++frame) {
        p.Update();
        p.Accelerate(-0.3f, 0, 0);
    }
    EXPECT_NEAR(p.velocity.y, -3.0f, 1e-3f);
}

TEST(Player, SlowComponentsSnapAndOppositesMoveOn)
{
    CMap map;
    FlatGround(map, 20);
    CPlayer& p = map.player;
    ASSERT_TRUE(Land(p));
    p.flags = FLAG_MOVING;
    p.velocity.x = 0.1f;    // exactly the bound: still moves
    p.velocity.y = -0.09f;  // below it: stops where it is
    p.Update();
    EXPECT_FLOAT_EQ(p.position.x, 50.1f);
    EXPECT_EQ(p.position.y, 5.0f);
    EXPECT_EQ(p.velocity.y, 0.0f);
    EXPECT_FLOAT_EQ(p.velocity.x, 0.09f);
    EXPECT_TRUE(p.flags & FLAG_MOVING);
    p.Update();
    EXPECT_FALSE(p.flags & FLAG_MOVING);

    // Opposite components sum to 0 but the player is not at rest.
    p.position.x = 50.0f;
    p.flags = FLAG_MOVING;
    p.velocity.x = 0.5f;
    p.velocity.y = -0.5f;
    p.Update();
    EXPECT_TRUE(p.flags & FLAG_MOVING);
    p.Update();
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
    int frames = 0;
    while (p.position.z > -500.0f && frames < 1000) {
        p.Update();
        ++frames;
    }
    ASSERT_LT(frames, 1000);
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

TEST(Player, TurnFoldsTheHeadingAndTheCameraFollows)
{
    CMap map;
    CPlayer& p = map.player;
    p.rotation.z = 0.995f;
    EXPECT_FALSE(p.Turn(0.01f, 0, 0));
    EXPECT_NEAR(p.rotation.z, 0.005f, 1e-6f);
    EXPECT_NEAR(p.camera.x, -0.005f, 1e-6f);
    p.rotation.z = 0.0f;
    p.Turn(-0.01f, 0, 0);
    EXPECT_NEAR(p.rotation.z, 0.99f, 1e-6f);
    EXPECT_NEAR(p.camera.x, -0.99f, 1e-6f);
    p.Turn(0.01f, 0, 0);
    EXPECT_EQ(p.rotation.z, 1.0f);  // folding keeps 1.0
    EXPECT_EQ(p.camera.x, -1.0f);
}

TEST(Player, AccelerateResults)
{
    CMap map;
    CPlayer& p = map.player;
    p.flags = FLAG_LANDING;
    EXPECT_TRUE(p.Accelerate(0, 0, 0));
    EXPECT_EQ(p.flags, FLAG_LANDING);
    EXPECT_EQ(p.velocity.x, 0.0f);
    EXPECT_TRUE(p.Accelerate(0, 1, 0));
    EXPECT_EQ(p.flags, FLAG_MOVING);
    EXPECT_EQ(p.velocity.y, 0.0f);

    // A push follows the heading: a quarter turn pushes along x.
    p.flags = FLAG_LANDING;
    p.rotation.z = 0.25f;
    EXPECT_FALSE(p.Accelerate(-0.3f, 0, 0));
    EXPECT_EQ(p.flags, FLAG_MOVING);
    EXPECT_NEAR(p.velocity.x, -0.3f, 1e-6f);
    EXPECT_NEAR(p.velocity.y, 0.0f, 1e-6f);
}

TEST(Player, CameraTranslation)
{
    CMap map;
    CPlayer& p = map.player;
    Vec3 t = p.CameraTranslation();  // at start: straight down from 100 above
    EXPECT_FLOAT_EQ(t.x, -50.0f);
    EXPECT_FLOAT_EQ(t.y, 5.0f);
    EXPECT_FLOAT_EQ(t.z, -250.0f);

    // Level with the target, D behind the nose.
    p.camera.y = 0.25f;
    t = p.CameraTranslation();
    EXPECT_NEAR(t.x, -50.0f, 1e-4f);
    EXPECT_NEAR(t.y, 105.0f, 1e-4f);
    EXPECT_NEAR(t.z, -150.0f, 1e-3f);
    // Turned a quarter: the offset swings to x.
    p.camera.x = -0.25f;
    t = p.CameraTranslation();
    EXPECT_NEAR(t.x, -150.0f, 1e-3f);
    EXPECT_NEAR(t.y, 5.0f, 1e-3f);
}

TEST(Player, WedgeFacesPointOutwards)
{
    const Vec3 centre(0.0f, 5.0f / 3.0f, 0.5f);
    for (const WedgeFace& face : WEDGE_FACES) {
        // Newell's normal of the polygon, and its centre.
        Vec3 n, mid;
        for (int i = 0; i < face.cornerCount; ++i) {
            const float* a = face.corners[i];
            const float* b = face.corners[(i + 1) % face.cornerCount];
            n.x += (a[1] - b[1]) * (a[2] + b[2]);
            n.y += (a[2] - b[2]) * (a[0] + b[0]);
            n.z += (a[0] - b[0]) * (a[1] + b[1]);
            mid = Vec3(mid.x + a[0] / face.cornerCount, mid.y + a[1] / face.cornerCount,
                       mid.z + a[2] / face.cornerCount);
        }
        float outward = n.x * (mid.x - centre.x) + n.y * (mid.y - centre.y) + n.z * (mid.z - centre.z);
        EXPECT_GT(outward, 0.0f) << "face at (" << mid.x << ", " << mid.y << ", " << mid.z << ")";
    }
}
