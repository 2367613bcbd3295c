#include "tests/support/GlWindow.h"
#include "tests/support/TempDir.h"

#include <GL/gl.h>

namespace {

// Bounding box of the pixels brighter than a threshold, within a region.
struct Box {
    int left = 9999, top = 9999, right = -1, bottom = -1;
    bool Empty() const { return right < 0; }
};

Box LitBox(const Image& frame, int x0, int y0, int x1, int y1)
{
    Box box;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (frame.At(x, y)[0] > 60) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x);
                box.bottom = std::max(box.bottom, y);
            }
    return box;
}

class FontTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.CopyBuildAssets();
        OpenGameWindow(game);
        ASSERT_FALSE(game.font.Build("Data/Font.bmp"));
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    Image Printed(const char* text, int x, int y)
    {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        game.font.Print(text, x, y, 1, 1, 1);
        return ReadFrame();
    }
    CTempDir dir;
    CGame game;
};

} // namespace

TEST_F(FontTest, GlyphLandsInItsSquareAndTheNextOneCoversSixColumns)
{
    Image a = Printed("A", 0, 0);
    Box box = LitBox(a, 0, 0, 800, 600);
    ASSERT_FALSE(box.Empty());
    EXPECT_GE(box.left, 0);
    EXPECT_LT(box.right, 10) << "ink must stay left of the next glyph's square";
    EXPECT_LT(box.bottom, 16);

    // "AB" at (100, 50): the A's first ten columns as when printed alone,
    // then the B's whole square from x 110, over y 50..66.
    Image aAt = Printed("A", 100, 50);
    Image bAt = Printed("B", 110, 50);
    Image ab = Printed("AB", 100, 50);
    for (int y = 40; y < 76; ++y) {
        for (int x = 90; x < 110; ++x)
            ASSERT_EQ(0, memcmp(ab.At(x, y), aAt.At(x, y), 3)) << x << "," << y;
        for (int x = 110; x < 136; ++x)
            ASSERT_EQ(0, memcmp(ab.At(x, y), bAt.At(x, y), 3)) << x << "," << y;
    }
    Box abBox = LitBox(ab, 0, 0, 800, 600);
    EXPECT_GE(abBox.left, 100);
    EXPECT_LT(abBox.right, 126);
    EXPECT_GE(abBox.top, 50);
    EXPECT_LT(abBox.bottom, 66);
}

TEST_F(FontTest, TextAt584FillsTheBottomSixteenRowsAndLeavesStateAsDocumented)
{
    Image frame = Printed("|gjWy_", 0, 584);
    Box box = LitBox(frame, 0, 0, 800, 600);
    ASSERT_FALSE(box.Empty());
    EXPECT_GE(box.top, 584);
    EXPECT_GE(box.bottom, 596) << "descenders reach the bottom rows";
    EXPECT_LE(box.bottom, 599);

    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);

    // An empty text draws nothing but still leaves the same state.
    glDisable(GL_BLEND);
    Image empty = Printed("", 0, 0);
    EXPECT_TRUE(LitBox(empty, 0, 0, 800, 600).Empty());
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
}

TEST_F(FontTest, UnbuiltFontIsDestroyedWithoutDeletingLists)
{
    // A list the test owns sits where an unbuilt font's base (0) would not reach.
    GLuint mine = glGenLists(1);
    glNewList(mine, GL_COMPILE);
    glEndList();
    {
        CFont unbuilt;
        EXPECT_EQ(unbuilt.listBase, 0u);
    }
    EXPECT_TRUE(glIsList(mine));
    EXPECT_TRUE(glIsList(game.font.listBase + 33));
}

TEST_F(FontTest, LoadingFrameShowsPleaseWaitAboveLoading)
{
    CGame fresh;
    ASSERT_FALSE(fresh.Init_Render());
    Image frame = GrabScreen();
    ASSERT_EQ(frame.width, 800);
    Box wait = LitBox(frame, 0, 170, 800, 198);
    Box loading = LitBox(frame, 0, 198, 800, 230);
    ASSERT_FALSE(wait.Empty()) << SaveFrame("loading");
    ASSERT_FALSE(loading.Empty());
    EXPECT_GE(wait.top, 180);
    EXPECT_LT(wait.bottom, 196);
    EXPECT_GE(loading.top, 200);
    EXPECT_LT(loading.bottom, 216);
    EXPECT_GE(wait.left, 262);
    EXPECT_GE(loading.left, 250);
    EXPECT_LT(loading.left, 262) << "the dots start left of the P";
    EXPECT_TRUE(LitBox(frame, 0, 0, 800, 170).Empty());
    EXPECT_TRUE(LitBox(frame, 0, 230, 800, 600).Empty());
}
