#include "game/FrameInput.h"
#include "world/Player.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

// A key-state array as SDL_GetKeyState gives it, with the named keys held.
struct Keys {
    uint8_t state[SDLK_LAST] = {};
    Keys(std::initializer_list<int> held)
    {
        for (int k : held)
            state[k] = 1;
    }
};

struct Input {
    Vec3 light{0.0f, 0.0f, 1.0f};
    Vec3 camera{0.0f, 0.0f, 100.0f};
    float speed = 0.0f;
    float turn = 0.0f;
};

Input Apply(std::initializer_list<int> held, Input in = Input())
{
    Keys keys(held);
    in.speed = 0.0f;
    in.turn = 0.0f;
    ApplyHeldKeys(keys.state, in.light, in.camera, in.speed, in.turn);
    return in;
}

} // namespace

TEST(HeldKeys, ArrowsPushAndTurnAndPairsCancel)
{
    Input none = Apply({});
    EXPECT_EQ(none.speed, 0.0f);
    EXPECT_EQ(none.turn, 0.0f);
    EXPECT_EQ(none.light.z, 1.0f);
    EXPECT_EQ(none.camera.z, 100.0f);

    EXPECT_EQ(Apply({SDLK_UP}).speed, -0.3f);
    EXPECT_EQ(Apply({SDLK_DOWN}).speed, 0.3f);
    EXPECT_EQ(Apply({SDLK_UP, SDLK_DOWN}).speed, 0.0f);
    EXPECT_EQ(Apply({SDLK_LEFT}).turn, 0.01f);
    EXPECT_EQ(Apply({SDLK_RIGHT}).turn, -0.01f);
    EXPECT_EQ(Apply({SDLK_LEFT, SDLK_RIGHT}).turn, 0.0f);
}

TEST(HeldKeys, CtrlArrowsNudgeTheLightAndKeepItUnitLength)
{
    for (int ctrl : {int(SDLK_LCTRL), int(SDLK_RCTRL)}) {
        Input up = Apply({ctrl, SDLK_UP});
        EXPECT_EQ(up.speed, 0.0f) << "Ctrl+Up must not push the player";
        EXPECT_GT(up.light.y, 0.0f);
        EXPECT_NEAR(Length(up.light), 1.0f, 1e-6f);
    }
    EXPECT_LT(Apply({SDLK_LCTRL, SDLK_DOWN}).light.y, 0.0f);
    EXPECT_LT(Apply({SDLK_LCTRL, SDLK_LEFT}).light.x, 0.0f);
    Input right = Apply({SDLK_LCTRL, SDLK_RIGHT});
    EXPECT_GT(right.light.x, 0.0f);
    EXPECT_EQ(right.turn, 0.0f);

    // Held for many frames the light swings round towards +y, still unit length.
    Input in;
    in.light = {0.6f, -0.48f, 0.64f};
    for (int frame = 0; frame < 2000; ++frame) {
        in = Apply({SDLK_RCTRL, SDLK_UP}, in);
        ASSERT_NEAR(Length(in.light), 1.0f, 1e-5f) << "frame " << frame;
    }
    EXPECT_GT(in.light.y, 0.99f);
}

TEST(HeldKeys, CameraKeysChangeDistanceAndFoldThePitch)
{
    EXPECT_EQ(Apply({SDLK_a}).camera.z, 101.0f);
    EXPECT_EQ(Apply({SDLK_z}).camera.z, 99.0f);
    EXPECT_EQ(Apply({SDLK_a, SDLK_z}).camera.z, 100.0f);
    // s and x together: down a step, folded to 0.98, up again to 1.0, the
    // same angle as 0 (folding leaves 1.0 as it is).
    EXPECT_NEAR(Apply({SDLK_s, SDLK_x}).camera.y, 1.0f, 1e-6f);
    // Camera keys also work with Ctrl held.
    EXPECT_EQ(Apply({SDLK_LCTRL, SDLK_a}).camera.z, 101.0f);

    // s below 0 adds one whole turn.
    EXPECT_NEAR(Apply({SDLK_s}).camera.y, 0.98f, 1e-6f);

    // x held past 1.0 folds back by one whole turn.
    Input in;
    for (int frame = 0; frame < 51; ++frame) {
        in = Apply({SDLK_x}, in);
        ASSERT_GE(in.camera.y, 0.0f);
        ASSERT_LE(in.camera.y, 1.0f);
    }
    EXPECT_NEAR(in.camera.y, 0.02f, 1e-4f);

    // Any camera key folds the yaw too.
    Input yawed;
    yawed.camera.x = -0.25f;
    EXPECT_NEAR(Apply({SDLK_a}, yawed).camera.x, 0.75f, 1e-6f);
}

TEST(DebugLines, ExactTextsForKnownStates)
{
    CPlayer player;
    DebugLines start = FormatDebugLines(player, Vec3(0.0f, 0.0f, 1.0f), 0.0f);
    EXPECT_STREQ(start.text[0], "Px:050.00Py:005.00Pz:150.00Flags:0");
    EXPECT_STREQ(start.text[1], "Vx:000.00Vy:000.00Vz:000.00");
    EXPECT_STREQ(start.text[2], "Rx:0.00  Ry:0.00  Rz:0.00");
    EXPECT_STREQ(start.text[3], "Lx:0.00  Ly:0.00  Lz:1.00");
    EXPECT_STREQ(start.text[4], "Cx:0.00  Cy:0.00  Cz:100.00");
    EXPECT_STREQ(start.text[5], "Elevation = 0.00");

    player.position = {63.25f, -2.5f, 31.75f};
    player.velocity = {0.0f, -0.27f, 0.1f};
    player.rotation = {0.0f, 0.0f, 0.99f};
    player.camera = {-0.99f, 0.25f, 95.0f};
    player.flags = 5;
    DebugLines moving = FormatDebugLines(player, Vec3(-0.6f, 0.0f, 0.8f), 31.75f);
    EXPECT_STREQ(moving.text[0], "Px:063.25Py:-02.50Pz:031.75Flags:5");
    EXPECT_STREQ(moving.text[1], "Vx:000.00Vy:-00.27Vz:000.10");
    EXPECT_STREQ(moving.text[2], "Rx:0.00  Ry:0.00  Rz:0.99");
    EXPECT_STREQ(moving.text[3], "Lx:-0.60  Ly:0.00  Lz:0.80");
    EXPECT_STREQ(moving.text[4], "Cx:-0.99  Cy:0.25  Cz:95.00");
    EXPECT_STREQ(moving.text[5], "Elevation = 31.75");

    // No value, however large, writes past a slot: the line is cut at 49.
    const float huge = std::numeric_limits<float>::max();
    player.position = {huge, -huge, huge};
    player.camera = {huge, huge, -huge};
    DebugLines wild = FormatDebugLines(player, Vec3(NAN, INFINITY, -huge), -huge);
    for (const char* line : wild.text)
        EXPECT_LE(std::string(line).size(), 49u) << line;
    EXPECT_EQ(std::string(wild.text[0]).substr(0, 6), "Px:340");
    EXPECT_EQ(std::string(wild.text[3]).substr(0, 17), "Lx: nan  Ly: inf ");
    EXPECT_EQ(std::string(wild.text[5]).substr(0, 14), "Elevation = -3");
}
