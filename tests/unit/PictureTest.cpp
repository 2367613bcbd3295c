// Guards the names of F12's pictures: one already taken reused, the count not carried on, a failed write not reported
// (the pixels are the end-to-end test's).
#include "gfx/PngPicture.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

TEST(Picture, TakesTheNextFreeNameAndSaysWhyItFailed)
{
    CTempDir dir;
    dir.Write("terravell-0002.png", {1});
    const std::vector<uint8_t> rgb(2 * 3, 128);  // 1 x 2 pixels
    unsigned next = 1;
    std::string first, second, error;
    EXPECT_FALSE(SaveNewPicture(dir.Path(), rgb, 1, 2, next, first, error));
    EXPECT_FALSE(SaveNewPicture("", rgb, 1, 2, next, second, error));
    EXPECT_EQ(first + " " + second + " " + std::to_string(next), "terravell-0001.png terravell-0003.png 4");
    EXPECT_TRUE(SaveNewPicture(dir.Path() + "/gone", rgb, 1, 2, next, first, error));
    EXPECT_EQ(error, "No such file or directory");
    EXPECT_EQ(PictureName(12345), "terravell-12345.png");
}
