// Reading the alert application's mark-up for the terminal view.
#include <gtest/gtest.h>

#include "Markup.h"

using brelta::host::Markup;

namespace {

TEST(Markup, StripsTagsAndDecodesEntities) {
    EXPECT_EQ(Markup::Strip("<font_size=70 color=#0000FF><align=center>NETWORK TEST : "
                            "PASS</align>"),
              "NETWORK TEST : PASS");
    EXPECT_EQ(Markup::Strip("a &lt;b&gt; &amp; &quot;c&quot; &apos;d&apos; &unknown;"),
              "a <b> & \"c\" 'd' &unknown;");
    EXPECT_EQ(Markup::Strip("1 < 2 and no close"), "1 < 2 and no close");
    EXPECT_EQ(Markup::Strip("<><b></b>"), "");
}

TEST(Markup, ColourComesFromTheFirstTagThatNamesOne) {
    int r = -1, g = -1, b = -1;
    ASSERT_TRUE(Markup::Colour("<font_size=70 color=#0000FF>x", &r, &g, &b));
    EXPECT_EQ((std::vector<int>{r, g, b}), (std::vector<int>{0, 0, 255}));
    ASSERT_TRUE(Markup::Colour("<a><font color=#12abEF>x</font><b color=#FFFFFF>", &r, &g, &b));
    EXPECT_EQ((std::vector<int>{r, g, b}), (std::vector<int>{0x12, 0xab, 0xef}));
    // Text that only looks like a colour, short or non-hex colours, an unclosed tag: none.
    EXPECT_FALSE(Markup::Colour("color=#FF0000 outside a tag", &r, &g, &b));
    EXPECT_FALSE(Markup::Colour("<font color=#F00>", &r, &g, &b));
    EXPECT_FALSE(Markup::Colour("<font color=#GG0000>", &r, &g, &b));
    EXPECT_FALSE(Markup::Colour("<font color=#FF0000", &r, &g, &b));
}

}  // namespace
