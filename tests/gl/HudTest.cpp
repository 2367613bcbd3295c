#include "tests/support/GlWindow.h"
#include "tests/support/TempDir.h"

#include <GL/gl.h>

#include <algorithm>
#include <string>

namespace {

const Rgb PICTURE{40, 20, 10};

// A mask white on its left half and black on its right, sized unlike the
// panel so that the stretch is exercised.
Image HalfWhiteMask()
{
    Image mask(64, 8);
    for (int y = 0; y < mask.height; ++y)
        for (int x = 0; x < mask.width / 2; ++x)
            mask.Set(x, y, 255, 255, 255);
    return mask;
}

// A window, the build's font and a HUD built from the panel images of a
// scratch Data directory.
class HudGl : public ::testing::Test {
protected:
    CTempDir dir;
    CGame game;

    void SetUp() override
    {
        OpenGameWindow(game);
        ASSERT_FALSE(game.font.Build(TERRAVELL_DATA_DIR "/Font.bmp"));
    }

    void BuildWithPanelImages()
    {
        dir.WriteBmp("Data/Hud00t.bmp", SolidImage(32, 8, uint8_t(PICTURE.r), uint8_t(PICTURE.g), uint8_t(PICTURE.b)));
        dir.WriteBmp("Data/Hud00m.bmp", HalfWhiteMask());
        ASSERT_FALSE(game.hud.Build());
    }
};

// Brightest channel value over a band of rows and columns of the back buffer.
int Brightest(const Image& frame, int x0, int x1, int y0, int y1)
{
    int most = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const uint8_t* p = frame.At(x, y);
            most = std::max({most, int(p[0]), int(p[1]), int(p[2])});
        }
    return most;
}

} // namespace

TEST_F(HudGl, PanelCoversTheTopSixtyFourRowsAsSceneTimesMaskPlusPicture)
{
    BuildWithPanelImages();
    glClearColor(0.4f, 0.6f, 0.8f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    game.hud.Render();

    const Rgb scene{102, 153, 204};
    const Rgb shownThrough{scene.r + PICTURE.r, scene.g + PICTURE.g, scene.b + PICTURE.b};
    for (int y : {0, 31, 63}) {
        for (int x : {0, 200, 380})
            EXPECT_TRUE(ColourNear(ReadPixel(x, y), shownThrough)) << "x " << x << " y " << y;
        for (int x : {420, 600, 799})
            EXPECT_TRUE(ColourNear(ReadPixel(x, y), PICTURE)) << "x " << x << " y " << y;
    }
    for (int x : {0, 420, 799})
        for (int y : {64, 300, 599})
            EXPECT_TRUE(ColourNear(ReadPixel(x, y), scene)) << "x " << x << " y " << y;
    if (HasFailure())
        ADD_FAILURE() << "frame saved to " << SaveFrame("hud-panel");

    // What Render leaves behind for the next pass.
    GLint src = 0, dst = 0, mode = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(src, GL_ONE);
    EXPECT_EQ(dst, GL_ONE);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
}

TEST_F(HudGl, TextStandsInTheBottomRowsAndFades)
{
    BuildWithPanelImages();
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    game.hud.AddText("########");
    game.hud.AddFadedText("MMMMMMMM");
    game.hud.Render();
    Image first = ReadFrame();
    EXPECT_GT(Brightest(first, 0, 90, 584, 600), 200) << "the line is missing from the bottom row";
    EXPECT_GT(Brightest(first, 0, 90, 568, 584), 200) << "the message is missing above the line";
    EXPECT_EQ(Brightest(first, 0, 800, 64, 568), 0) << "text outside its rows";
    EXPECT_EQ(Brightest(first, 100, 800, 568, 600), 0) << "text wider than eight characters";

    // No lines now: the message moves down to the bottom row. After 50
    // frames its grey is 0.5 and, added onto black, so is its brightness.
    for (int frame = 2; frame <= 51; ++frame) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        game.hud.Render();
    }
    Image faded = ReadFrame();
    EXPECT_EQ(Brightest(faded, 0, 800, 64, 584), 0);
    EXPECT_NEAR(Brightest(faded, 0, 90, 584, 600), Brightest(first, 0, 90, 568, 584) / 2, 4);
    if (HasFailure())
        ADD_FAILURE() << "frame saved to " << SaveFrame("hud-text");
}

TEST_F(HudGl, MissingPanelMaskFailsTheBuildWithItsPath)
{
    dir.WriteBmp("Data/Hud00t.bmp", SolidImage(4, 4, 1, 2, 3));
    std::string err = CaptureStderrOf([&] { EXPECT_TRUE(game.hud.Build()); });
    const std::string line = "Unable to load Data/Hud00m.bmp: Couldn't open Data/Hud00m.bmp\n";
    EXPECT_EQ(err, line + line);
}
