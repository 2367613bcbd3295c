// Guards the font through its pixels: the glyph's cell and square, the 10-pixel advance, the bottom rows, the state
// Print leaves, an unbuilt font's destructor, and the loading frame.
#include "gfx/Bitmap.h"
#include "tests/support/GlWindow.h"
#include "tests/support/TempDir.h"

#include <GL/gl.h>

namespace {

// Bounding box of the pixels brighter than 60 within a region.
struct Box {
    int left = 9999, top = 9999, right = -1, bottom = -1;
};

Box LitBox(const Image& frame, int y0 = 0, int y1 = 600)
{
    Box box;
    for (int y = y0; y < y1; ++y)
        for (int x = 0; x < frame.width; ++x)
            if (frame.At(x, y)[0] > 60)
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x), std::max(box.bottom, y)};
    return box;
}

class FontTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        OpenGameWindow(game);
        ASSERT_FALSE(game.font.Build(TERRAVELL_DATA_DIR "/Font.bmp"));
    }
    Image Printed(const char* text, int x, int y)
    {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        game.font.Print(text, x, y, 1, 1, 1);
        return ReadBackBuffer();
    }
    CGame game;
};

}  // namespace

TEST_F(FontTest, GlyphsLandInTheirSquaresTenPixelsApart)
{
    // "A" (code 65, glyph 33) shows the sheet's cell in column 1, row 2.
    Image a0 = Printed("A", 0, 0);
    SDL_Surface* sheet = LoadBitmap(TERRAVELL_DATA_DIR "/Font.bmp");
    ASSERT_NE(sheet, nullptr);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const uint8_t* texel =
                static_cast<uint8_t*>(sheet->pixels) + size_t(sheet->h - 1 - 32 - y) * sheet->pitch + 3 * (16 + x);
            ASSERT_NEAR(a0.At(x, y)[0], texel[0], 3) << x << "," << y;
        }
    SDL_FreeSurface(sheet);
    EXPECT_LT(LitBox(a0).right, 10) << "ink must stay left of the next glyph's square";

    // "AB" at (100, 50): the A's first ten columns as when printed alone, then the B's whole square from x 110.
    Image aAt = Printed("A", 100, 50), bAt = Printed("B", 110, 50), ab = Printed("AB", 100, 50);
    for (int y = 40; y < 76; ++y)
        for (int x = 90; x < 136; ++x)
            ASSERT_EQ(0, memcmp(ab.At(x, y), (x < 110 ? aAt : bAt).At(x, y), 3)) << x << "," << y;
    EXPECT_NE(0, memcmp(aAt.rgb.data(), bAt.rgb.data(), aAt.rgb.size())) << "A and B drew the same cell";
    Box box = LitBox(ab);
    EXPECT_TRUE(box.left >= 100 && box.right < 126 && box.top >= 50 && box.bottom < 66);
}

TEST_F(FontTest, RowsInOneDrawAreThePixelsOfPrintRowByRow)
{
    // Greys, overlapping rows blended, the bottom row, and bytes that name no glyph (and so do not move the pen).
    const TextRow rows[] = {{"Px:050.00Py:005.00", 584, 1.0f},
                            {"a\x01b\xc3\xa9"
                             "c ~",
                             300, 0.5f},
                            {"Done", 296, 0.37f},
                            {"", 0, 1.0f}};
    Image frames[2];
    for (int batched = 0; batched < 2; ++batched) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glBlendFunc(GL_ONE, GL_ONE);
        if (batched)
            game.font.PrintRows(rows, 4);
        for (int i = 0; i < 4 && !batched; ++i)
            game.font.Print(rows[i].text, 0, rows[i].y, rows[i].grey, rows[i].grey, rows[i].grey);
        frames[batched] = ReadBackBuffer();
        GLfloat colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_EQ(colour[0], 1.0f) << "the last row's colour stays current";
    }
    EXPECT_EQ(0, memcmp(frames[0].rgb.data(), frames[1].rgb.data(), frames[0].rgb.size()));
    EXPECT_GT(LitBox(frames[1]).right, 100);
}

TEST_F(FontTest, TextAt584FillsTheBottomRowsAndPrintLeavesItsState)
{
    Box box = LitBox(Printed("|gjWy_", 0, 584));
    EXPECT_TRUE(box.top >= 584 && box.bottom >= 596) << "descenders reach the bottom rows";
    glDisable(GL_BLEND);
    EXPECT_EQ(LitBox(Printed("", 0, 0)).right, -1) << "an empty text draws nothing";
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_TRUE(glIsEnabled(GL_BLEND) && glIsEnabled(GL_DEPTH_TEST) && mode == GL_MODELVIEW);

    // An unbuilt font deletes no list when it is destroyed.
    GLuint mine = glGenLists(1);
    glNewList(mine, GL_COMPILE);
    glEndList();
    {
        CFont unbuilt;
    }
    EXPECT_TRUE(glIsList(mine));
    EXPECT_TRUE(glIsList(game.font.listBase + 33));
}

TEST_F(FontTest, LoadingFrameShowsPleaseWaitAboveLoading)
{
    CTempDir dir;
    dir.CopyBuildAssets();
    CGame fresh;
    ASSERT_FALSE(fresh.Init_Render());
    Image frame = GrabScreen();  // the front buffer, as the window shows it
    ASSERT_EQ(frame.width, 800);
    Box wait = LitBox(frame, 170, 198), loading = LitBox(frame, 198, 230);
    EXPECT_TRUE(wait.top >= 180 && wait.bottom < 196 && wait.left >= 262) << "Please Wait at (262, 180)";
    EXPECT_TRUE(loading.top >= 200 && loading.bottom < 216 && loading.left >= 250 && loading.left < 262)
        << "...Loading... at (250, 200), its dots left of the P";
    EXPECT_TRUE(LitBox(frame, 0, 170).right == -1 && LitBox(frame, 230, 600).right == -1) << "nothing else";
}
