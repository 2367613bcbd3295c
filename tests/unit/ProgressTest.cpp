// Guards the progress line's rules: shown within a second or off a terminal, redrawn unchanged or over ten times a
// second, not padded over a longer line, a clear that leaves text or writes with nothing drawn.
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
