// Guards the rules of terravell-map's progress line: shown within a command's first second or off a terminal, redrawn without a change or more than ten times a second, padded short of a longer line before it, and a clear that leaves text or writes when nothing is drawn (the terminal itself is the end-to-end test's).
#include "tools/common/Progress.h"

#include <gtest/gtest.h>

TEST(Progress, ShowsAfterASecondOnlyWhenAskedAndClearsWhatItDrew)
{
    FILE* out = tmpfile();
    ASSERT_TRUE(out);
    CProgress shown(out, true), hidden(out, false);
    for (CProgress* progress : {&shown, &hidden}) {
        progress->Clear();  // nothing drawn yet
        progress->Begin("eroding", 4);
        progress->AdvanceAt(1, 0.9);   // within the first second
        progress->AdvanceAt(1, 1.2);   // 50%
        progress->AdvanceAt(1, 1.25);  // too soon after
        progress->AdvanceAt(0, 1.9);   // 75%, the same second
        progress->Begin("filling", 0);
        progress->AdvanceAt(0, 2.0);
        progress->Clear();
    }
    std::string text(200, '\0');
    rewind(out);
    text.resize(fread(&text[0], 1, text.size(), out));
    fclose(out);
    EXPECT_EQ(text, "\reroding 50% (1 s)\reroding 75% (1 s)\rfilling (2 s)    \r             \r");
}
