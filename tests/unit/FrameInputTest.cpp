// Guards the frame input: the held-key table (pushes, turns, pairs that cancel, either Ctrl moving the light at unit length, camera keys and their folds) and the six debug lines, cut to a slot whatever the values.
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
    float speed = 0.0f;
    float turn = 0.0f;
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

} // namespace

TEST(HeldKeys, ArrowsCtrlArrowsAndCameraKeys)
{
    const struct {
        std::initializer_list<int> keys;
        float speed, turn, lightX, lightY, distance, pitch;
    } cases[] = {
        {{}, 0, 0, 0, 0, 100, 0},
        {{SDLK_UP}, -0.3f, 0, 0, 0, 100, 0},
        {{SDLK_DOWN}, 0.3f, 0, 0, 0, 100, 0},
        {{SDLK_UP, SDLK_DOWN}, 0, 0, 0, 0, 100, 0},
        {{SDLK_LEFT}, 0, 0.01f, 0, 0, 100, 0},
        {{SDLK_RIGHT}, 0, -0.01f, 0, 0, 100, 0},
        {{SDLK_LEFT, SDLK_RIGHT}, 0, 0, 0, 0, 100, 0},
        {{SDLK_LCTRL, SDLK_UP}, 0, 0, 0, 0.0099995f, 100, 0},
        {{SDLK_RCTRL, SDLK_DOWN}, 0, 0, 0, -0.0099995f, 100, 0},
        {{SDLK_LCTRL, SDLK_LEFT}, 0, 0, -0.0099995f, 0, 100, 0},
        {{SDLK_RCTRL, SDLK_RIGHT}, 0, 0, 0.0099995f, 0, 100, 0},
        {{SDLK_a}, 0, 0, 0, 0, 101, 0},
        {{SDLK_z}, 0, 0, 0, 0, 99, 0},
        {{SDLK_a, SDLK_z, SDLK_LCTRL}, 0, 0, 0, 0, 100, 0},
        {{SDLK_s}, 0, 0, 0, 0, 100, 0.98f},  // below 0 adds a whole turn
        {{SDLK_s, SDLK_x}, 0, 0, 0, 0, 100, 1.0f},  // down to 0.98, up to 1.0, kept
    };
    for (const auto& c : cases) {
        Input in = Apply(c.keys);
        SCOPED_TRACE(testing::Message() << "keys held: " << c.keys.size() << " first " << (c.keys.size() ? *c.keys.begin() : 0));
        EXPECT_EQ(in.speed, c.speed);
        EXPECT_EQ(in.turn, c.turn);
        EXPECT_NEAR(in.light.x, c.lightX, 1e-6f);
        EXPECT_NEAR(in.light.y, c.lightY, 1e-6f);
        EXPECT_NEAR(Length(in.light), 1.0f, 1e-6f);
        EXPECT_EQ(in.camera.z, c.distance);
        EXPECT_NEAR(in.camera.y, c.pitch, 1e-6f);
    }

    // Held for many frames the light swings round towards +y, still unit length.
    Input in;
    in.light = {0.6f, -0.48f, 0.64f};
    for (int frame = 0; frame < 2000; ++frame)
        in = Apply({SDLK_RCTRL, SDLK_UP}, in);
    EXPECT_NEAR(Length(in.light), 1.0f, 1e-5f);
    EXPECT_GT(in.light.y, 0.99f);
    // x held past 1.0 folds back by one whole turn; any camera key folds the yaw.
    Input pitched;
    for (int frame = 0; frame < 51; ++frame)
        pitched = Apply({SDLK_x}, pitched);
    EXPECT_NEAR(pitched.camera.y, 0.02f, 1e-4f);
    pitched.camera.x = -0.25f;
    EXPECT_NEAR(Apply({SDLK_a}, pitched).camera.x, 0.75f, 1e-6f);
}

TEST(DebugLines, ExactTextsAndNoLineBeyondItsSlot)
{
    CPlayer player;
    player.position = {63.25f, -2.5f, 31.75f};
    player.velocity = {0.0f, -0.27f, 0.1f};
    player.rotation = {0.0f, 0.0f, 0.99f};
    player.camera = {-0.99f, 0.25f, 95.0f};
    player.flags = 5;
    DebugLines d = FormatDebugLines(player, Vec3(-0.6f, 0.0f, 0.8f), 31.75f);
    const char* want[6] = {"Px:063.25Py:-02.50Pz:031.75Flags:5", "Vx:000.00Vy:-00.27Vz:000.10",
                           "Rx:0.00  Ry:0.00  Rz:0.99",          "Lx:-0.60  Ly:0.00  Lz:0.80",
                           "Cx:-0.99  Cy:0.25  Cz:95.00",        "Elevation = 31.75"};
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
