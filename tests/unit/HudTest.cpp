// Guards the HUD's text pass: row order and heights, message fade and 92-frame life, expiry order, slot cuts and the
// full-stack rules.
#include "gfx/Hud.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// One frame of the text pass without GL: what Render prints, in order, as
// "text@y", then the bookkeeping Render does after printing.
std::vector<std::string> RenderText(CHud& hud, std::vector<float>* greys = nullptr)
{
    HudLayout layout = hud.Layout();
    std::vector<std::string> printed;
    for (int i = 0; i < layout.count; ++i) {
        printed.push_back(std::string(layout.rows[i].text) + "@" + std::to_string(layout.rows[i].y));
        if (greys)
            greys->push_back(layout.rows[i].grey);
    }
    hud.FinishFrame();
    return printed;
}

using Rows = std::vector<std::string>;

}  // namespace

TEST(Hud, LinesBottomUpForOneFrameAndMessagesAboveThem)
{
    CHud hud;
    for (int i = 1; i <= 6; ++i)
        hud.AddText(("line" + std::to_string(i)).c_str());
    hud.AddFadedText("old");
    hud.AddFadedText("new");
    EXPECT_EQ(RenderText(hud), (Rows{"line6@504", "line5@520", "line4@536", "line3@552", "line2@568", "line1@584",
                                     "new@472", "old@488"}));
    // The lines were for that frame only: the oldest message drops to the
    // bottom row; a line added now shows in the next frame alone.
    std::vector<float> greys;
    EXPECT_EQ(RenderText(hud, &greys), (Rows{"new@568", "old@584"}));
    EXPECT_FLOAT_EQ(greys[0], 0.99f);
    hud.AddText("late");
    EXPECT_EQ(RenderText(hud).front(), "late@584");
    EXPECT_EQ(RenderText(hud).size(), 2u);
}

TEST(Hud, MessagesLiveNinetyTwoFramesAndExpireInOrder)
{
    CHud hud;
    hud.AddFadedText("Done Loading...");
    for (int frame = 1; frame <= HUD_MESSAGE_FRAMES; ++frame) {
        std::vector<float> greys;
        ASSERT_EQ(RenderText(hud, &greys), Rows{"Done Loading...@584"}) << "frame " << frame;
        EXPECT_NEAR(greys[0], 1.0f - 0.01f * (frame - 1), 1e-5f) << "frame " << frame;
    }
    EXPECT_TRUE(RenderText(hud).empty());
    EXPECT_EQ(hud.messageCount, 0u);

    // Two added together leave together, each still printed once in its own
    // row in their last frame; one added a frame later stays one frame longer.
    hud.AddFadedText("first");
    hud.AddFadedText("second");
    RenderText(hud);
    hud.AddFadedText("third");
    for (int frame = 2; frame < HUD_MESSAGE_FRAMES; ++frame)
        ASSERT_EQ(RenderText(hud).size(), 3u) << "frame " << frame;
    EXPECT_EQ(RenderText(hud), (Rows{"third@552", "second@568", "first@584"}));
    EXPECT_EQ(RenderText(hud), Rows{"third@584"});
    EXPECT_TRUE(RenderText(hud).empty());
}

TEST(Hud, TextsAndCountsStayInsideTheSlots)
{
    CHud hud;
    const std::string longText(60, 'x'), fits(49, 'y');
    hud.AddText(longText.c_str());
    hud.AddText(fits.c_str());
    EXPECT_TRUE(hud.lines[0] == longText.substr(0, 49) && hud.lines[1] == fits);
    EXPECT_EQ(hud.lines[2][0], '\0');  // the cut text wrote nothing beyond its slot
    for (int i = 2; i < HUD_SLOTS + 5; ++i)
        hud.AddText(("line" + std::to_string(i)).c_str());
    EXPECT_TRUE(hud.lineCount == HUD_SLOTS &&
                hud.lines[HUD_SLOTS - 1] == std::string("line49"));  // later lines dropped

    for (int i = 0; i < HUD_SLOTS; ++i)
        hud.AddFadedText(("msg" + std::to_string(i)).c_str());
    hud.FinishFrame();  // all darken to 0.99
    hud.AddFadedText(longText.c_str());
    EXPECT_TRUE(hud.messageCount == HUD_SLOTS && hud.messages[0] == std::string("msg1"));  // the oldest gave way
    EXPECT_FLOAT_EQ(hud.messageAlpha[0], 0.99f);
    EXPECT_EQ(std::string(hud.messages[HUD_SLOTS - 1]), longText.substr(0, 49));
    EXPECT_EQ(hud.messageAlpha[HUD_SLOTS - 1], 1.0f);
    HudLayout layout = hud.Layout();
    ASSERT_EQ(layout.count, HUD_SLOTS);
    EXPECT_EQ(layout.rows[0].y, 584 - 16 * (HUD_SLOTS - 1));
    EXPECT_EQ(layout.rows[HUD_SLOTS - 1].y, 584);
}
