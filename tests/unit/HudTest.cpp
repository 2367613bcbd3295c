#include "gfx/Hud.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Printed {
    std::string text;
    int y;
    float grey;
};

// One frame of the HUD's text pass without GL: what Render prints, in its
// order, then the bookkeeping Render does after printing.
std::vector<Printed> RenderText(CHud& hud)
{
    HudLayout layout = hud.Layout();
    std::vector<Printed> printed;
    for (int i = 0; i < layout.count; ++i)
        printed.push_back({layout.rows[i].text, layout.rows[i].y, layout.rows[i].grey});
    hud.FinishFrame();
    return printed;
}

int CountText(const std::vector<Printed>& printed, const std::string& text)
{
    int n = 0;
    for (const Printed& p : printed)
        n += p.text == text;
    return n;
}

} // namespace

TEST(HudLayout, DebugLinesBottomUpAndMessagesAboveThem)
{
    CHud hud;
    for (int i = 1; i <= 6; ++i)
        hud.AddText(("line" + std::to_string(i)).c_str());
    hud.AddFadedText("old");
    hud.AddFadedText("new");

    std::vector<Printed> printed = RenderText(hud);
    ASSERT_EQ(printed.size(), 8u);
    // Lines from the last added down to the first, then messages newest first.
    const char* order[] = {"line6", "line5", "line4", "line3", "line2", "line1", "new", "old"};
    const int ys[] = {504, 520, 536, 552, 568, 584, 472, 488};
    for (size_t i = 0; i < printed.size(); ++i) {
        EXPECT_EQ(printed[i].text, order[i]) << i;
        EXPECT_EQ(printed[i].y, ys[i]) << printed[i].text;
    }
    EXPECT_EQ(printed[0].grey, 1.0f);
    EXPECT_EQ(printed[6].grey, 1.0f);
    EXPECT_EQ(hud.lineCount, 0u);

    // The lines were for that frame only: the oldest message drops to the
    // bottom row, a line added now shows in the next frame alone.
    printed = RenderText(hud);
    ASSERT_EQ(printed.size(), 2u);
    EXPECT_EQ(printed[1].text, "old");
    EXPECT_EQ(printed[1].y, 584);
    EXPECT_EQ(printed[0].y, 568);
    EXPECT_FLOAT_EQ(printed[0].grey, 0.99f);
    hud.AddText("late");
    EXPECT_EQ(CountText(RenderText(hud), "late"), 1);
    EXPECT_EQ(CountText(RenderText(hud), "late"), 0);
}

TEST(HudMessages, LiveNinetyTwoFramesAndExpireInOrder)
{
    CHud hud;
    hud.AddFadedText("Done Loading...");
    for (int frame = 1; frame <= HUD_MESSAGE_FRAMES; ++frame) {
        std::vector<Printed> printed = RenderText(hud);
        ASSERT_EQ(CountText(printed, "Done Loading..."), 1) << "frame " << frame;
        EXPECT_NEAR(printed[0].grey, 1.0f - 0.01f * (frame - 1), 1e-5f) << "frame " << frame;
    }
    EXPECT_TRUE(RenderText(hud).empty());
    EXPECT_EQ(hud.messageCount, 0u);

    // Two added together leave together; one added a frame later stays one
    // frame longer. In the frame where two expire, every message is still
    // printed once, each in its own row.
    hud.AddFadedText("first");
    hud.AddFadedText("second");
    RenderText(hud);
    hud.AddFadedText("third");
    for (int frame = 2; frame < HUD_MESSAGE_FRAMES; ++frame)
        ASSERT_EQ(RenderText(hud).size(), 3u) << "frame " << frame;
    std::vector<Printed> last = RenderText(hud);
    ASSERT_EQ(last.size(), 3u);
    EXPECT_EQ(last[0].text, "third");
    EXPECT_EQ(last[0].y, 552);
    EXPECT_EQ(last[1].text, "second");
    EXPECT_EQ(last[1].y, 568);
    EXPECT_EQ(last[2].text, "first");
    EXPECT_EQ(last[2].y, 584);
    EXPECT_EQ(hud.messageCount, 1u);
    EXPECT_STREQ(hud.messages[0], "third");

    last = RenderText(hud);
    ASSERT_EQ(last.size(), 1u);
    EXPECT_EQ(last[0].text, "third");
    EXPECT_EQ(last[0].y, 584);
    EXPECT_TRUE(RenderText(hud).empty());
}

TEST(HudSlots, TextsAndCountsStayInsideTheSlots)
{
    CHud hud;
    const std::string longText(60, 'x');
    const std::string fits(49, 'y');
    hud.AddText(longText.c_str());
    hud.AddText(fits.c_str());
    EXPECT_EQ(std::string(hud.lines[0]), longText.substr(0, 49));
    EXPECT_EQ(std::string(hud.lines[1]), fits);
    EXPECT_EQ(hud.lines[2][0], '\0');  // the cut text wrote nothing beyond its slot

    for (int i = 2; i < HUD_SLOTS + 5; ++i)
        hud.AddText(("line" + std::to_string(i)).c_str());
    EXPECT_EQ(hud.lineCount, uint32_t(HUD_SLOTS));
    EXPECT_STREQ(hud.lines[HUD_SLOTS - 1], "line49");  // later lines dropped
    EXPECT_EQ(hud.Layout().count, HUD_SLOTS);

    for (int i = 0; i < HUD_SLOTS; ++i)
        hud.AddFadedText(("msg" + std::to_string(i)).c_str());
    hud.FinishFrame();  // all darken to 0.99
    hud.AddFadedText(longText.c_str());
    EXPECT_EQ(hud.messageCount, uint32_t(HUD_SLOTS));
    EXPECT_STREQ(hud.messages[0], "msg1");  // the oldest gave way
    EXPECT_FLOAT_EQ(hud.messageAlpha[0], 0.99f);
    EXPECT_EQ(std::string(hud.messages[HUD_SLOTS - 1]), longText.substr(0, 49));
    EXPECT_EQ(hud.messageAlpha[HUD_SLOTS - 1], 1.0f);

    // A full stack still lays out one row per slot, the newest highest.
    HudLayout layout = hud.Layout();
    ASSERT_EQ(layout.count, HUD_SLOTS);
    EXPECT_EQ(layout.rows[0].y, 584 - 16 * (HUD_SLOTS - 1));
    EXPECT_EQ(layout.rows[HUD_SLOTS - 1].y, 584);
}
