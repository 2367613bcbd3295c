// Guards the HUD's drawing: the panel as scene times mask plus picture over the top 64 rows (stretched, edges clamped),
// text rows and their fade on screen, and the state Render leaves.
#include "tests/support/GlWindow.h"
#include "tests/support/TempDir.h"

#include <GL/gl.h>

#include <algorithm>

namespace {

const Rgb PICTURE{40, 20, 10};

// Brightest channel value over a band of the back buffer.
int Brightest(const Image& frame, int x0, int x1, int y0, int y1)
{
    int most = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            most = std::max({most, int(frame.At(x, y)[0]), int(frame.At(x, y)[1]), int(frame.At(x, y)[2])});
    return most;
}

// A window, the build's font and a HUD whose mask is white on its left
// half, sized unlike the panel so the stretch is exercised.
class HudGl : public ::testing::Test {
protected:
    CTempDir dir;
    CGame game;

    void SetUp() override
    {
        OpenGameWindow(game);
        ASSERT_FALSE(game.font.Build(TERRAVELL_DATA_DIR "/Font.bmp"));
        Image mask = SolidImage(64, 8, 0, 0, 0);
        for (int p = 0; p < 64 * 8; ++p)
            mask.Set(p % 64, p / 64, p % 64 < 32 ? 255 : 0, p % 64 < 32 ? 255 : 0, p % 64 < 32 ? 255 : 0);
        dir.WriteBmp("Data/Hud00t.bmp", SolidImage(32, 8, uint8_t(PICTURE.r), uint8_t(PICTURE.g), uint8_t(PICTURE.b)));
        dir.WriteBmp("Data/Hud00m.bmp", mask);
        ASSERT_FALSE(game.hud.Build());
    }
};

}  // namespace

TEST_F(HudGl, PanelIsSceneTimesMaskPlusPictureOverTheTopRows)
{
    glClearColor(0.4f, 0.6f, 0.8f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    game.hud.Render();
    glClearColor(0, 0, 0, 0);
    const Rgb scene{102, 153, 204}, through{142, 173, 214};
    for (int y : {0, 31, 63}) {
        for (int x : {0, 200, 380})
            EXPECT_TRUE(ColourNear(ReadPixel(x, y), through)) << "x " << x << " y " << y;
        for (int x : {420, 600, 799})
            EXPECT_TRUE(ColourNear(ReadPixel(x, y), PICTURE)) << "x " << x << " y " << y;
    }
    for (int x : {0, 420, 799})
        for (int y : {64, 300, 599})
            EXPECT_TRUE(ColourNear(ReadPixel(x, y), scene)) << "x " << x << " y " << y;

    GLint src = 0, dst = 0, mode = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_TRUE(src == GL_ONE && dst == GL_ONE && mode == GL_MODELVIEW && glIsEnabled(GL_BLEND) &&
                glIsEnabled(GL_DEPTH_TEST))
        << "what Render leaves for the next frame";
}

TEST_F(HudGl, TextStandsInTheBottomRowsAndFades)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    game.hud.AddText("########");
    game.hud.AddFadedText("MMMMMMMM");
    game.hud.Render();
    Image first = ReadBackBuffer();
    EXPECT_GT(Brightest(first, 0, 90, 584, 600), 200) << "the line is missing from the bottom row";
    EXPECT_GT(Brightest(first, 0, 90, 568, 584), 200) << "the message is missing above the line";
    EXPECT_EQ(Brightest(first, 0, 800, 64, 568), 0) << "text outside its rows";
    EXPECT_EQ(Brightest(first, 100, 800, 568, 600), 0) << "text wider than eight characters";

    // After 50 more frames the message, now on the bottom row, is at grey 0.5.
    for (int frame = 2; frame <= 51; ++frame) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        game.hud.Render();
    }
    Image faded = ReadBackBuffer();
    EXPECT_EQ(Brightest(faded, 0, 800, 64, 584), 0);
    EXPECT_NEAR(Brightest(faded, 0, 90, 584, 600), Brightest(first, 0, 90, 568, 584) / 2, 4);
}
