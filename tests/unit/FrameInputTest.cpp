// Guards the frame input: a pair's keys not cancelling, one Ctrl ignored, Ctrl+arrows pushing the wedge or leaving
// the light off unit length, camera keys not folding, a debug line with the wrong value or past its slot.
#include "game/FrameInput.h"
#include "world/Player.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

struct Input {
    Vec3 light{0.0f, 0.0f, 1.0f};
    Vec3 camera{0.0f, 0.0f, 100.0f};
    float speed = 0.0f, turn = 0.0f;
};

// One frame's held keys, as SDL_GetKeyState gives them, applied to `in`.
Input Apply(std::initializer_list<int> held, Input in = Input())
{
    uint8_t keys[SDLK_LAST] = {};
    for (int k : held)
        keys[k] = 1;
    in.speed = in.turn = 0.0f;
    ApplyHeldKeys(keys, in.light, in.camera, in.speed, in.turn);
    return in;
}

}  // namespace

TEST(HeldKeys, PairsCancelEitherCtrlMovesTheLightAndCameraKeysFold)
{
    EXPECT_TRUE(Apply({SDLK_UP}).speed == -0.3f && Apply({SDLK_UP, SDLK_DOWN}).speed == 0.0f) << "Up and Down cancel";
    EXPECT_TRUE(Apply({SDLK_RIGHT}).turn == -0.01f && Apply({SDLK_LEFT, SDLK_RIGHT}).turn == 0.0f)
        << "Left and Right cancel";
    const std::pair<int, Vec3> nudges[] = {
        {SDLK_UP, {0, 1, 0}}, {SDLK_DOWN, {0, -1, 0}}, {SDLK_LEFT, {-1, 0, 0}}, {SDLK_RIGHT, {1, 0, 0}}};
    for (int ctrl : {SDLK_LCTRL, SDLK_RCTRL})
        for (const auto& [arrow, toward] : nudges) {
            Input in = Apply({ctrl, arrow});
            EXPECT_EQ(in.speed + in.turn, 0.0f) << "Ctrl " << ctrl << " with arrow " << arrow << " moved the wedge";
            EXPECT_TRUE(std::fabs(Dot(in.light, toward) - 0.0099995f) < 1e-6f &&
                        std::fabs(Length(in.light) - 1.0f) < 1e-6f)
                << ctrl << ", " << arrow;
        }
    // Held for many frames the light swings round towards +y, still unit length.
    Input in;
    in.light = {0.6f, -0.48f, 0.64f};
    for (int frame = 0; frame < 2000; ++frame)
        in = Apply({SDLK_RCTRL, SDLK_UP}, in);
    EXPECT_TRUE(std::fabs(Length(in.light) - 1.0f) < 1e-5f && in.light.y > 0.99f);
    EXPECT_TRUE(Apply({SDLK_a, SDLK_LCTRL}).camera.z == 101.0f && Apply({SDLK_a, SDLK_z}).camera.z == 100.0f);
    EXPECT_NEAR(Apply({SDLK_s}).camera.y, 0.98f, 1e-6f);         // below 0 adds a whole turn
    EXPECT_NEAR(Apply({SDLK_s, SDLK_x}).camera.y, 1.0f, 1e-6f);  // down to 0.98, up to 1.0, kept
    Input pitched;
    for (int frame = 0; frame < 51; ++frame)
        pitched = Apply({SDLK_x}, pitched);
    EXPECT_NEAR(pitched.camera.y, 0.02f, 1e-4f);  // past 1.0 folds back a whole turn
    pitched.camera.x = -0.25f;
    EXPECT_NEAR(Apply({SDLK_z}, pitched).camera.x, 0.75f, 1e-6f);  // any camera key folds the yaw
}

TEST(DebugLines, EachValueInItsPlaceAndNoLineBeyondItsSlot)
{
    CPlayer player;
    player.position = {63.25f, -2.5f, 31.75f};
    player.velocity = {0.0f, -0.27f, 0.1f};
    player.rotation = {0.0f, 0.0f, 0.99f};
    player.camera = {-0.99f, 0.25f, 95.0f};
    player.flags = 5;
    DebugLines d = FormatDebugLines(player, Vec3(-0.6f, 0.0f, 0.8f), 31.5f);
    const char* want[6] = {"Px:063.25Py:-02.50Pz:031.75Flags:5", "Vx:000.00Vy:-00.27Vz:000.10",
                           "Rx:0.00  Ry:0.00  Rz:0.99",          "Lx:-0.60  Ly:0.00  Lz:0.80",
                           "Cx:-0.99  Cy:0.25  Cz:95.00",        "Elevation = 31.50"};
    for (int i = 0; i < 6; ++i)
        EXPECT_STREQ(d.text[i], want[i]);
    const float huge = std::numeric_limits<float>::max();
    player.position = {huge, -huge, huge};
    player.camera = {huge, huge, -huge};
    DebugLines wild = FormatDebugLines(player, Vec3(NAN, INFINITY, -huge), -huge);
    for (const char* line : wild.text)
        EXPECT_LE(std::string(line).size(), 49u) << line;
    EXPECT_EQ(std::string(wild.text[0]).substr(0, 6), "Px:340");
    EXPECT_EQ(std::string(wild.text[5]).substr(0, 14), "Elevation = -3");
}
