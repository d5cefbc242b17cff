#include "base/Text.h"

#include <gtest/gtest.h>

using namespace quorvel;

TEST(AsciiConversions, NonAsciiBecomesQuestionMark) {
    EXPECT_EQ(ToAscii(u"\u039a\u03b1 1"), "?? 1");
    EXPECT_EQ(FromAscii("Quorvel"), u"Quorvel");
}

TEST(EqualsNoCaseAscii, FoldsOnlyAsciiLetters) {
    EXPECT_TRUE(EqualsNoCaseAscii(u"THUMBS.DB", u"thumbs.db"));
    EXPECT_FALSE(EqualsNoCaseAscii(u"thumbs", u"thumbs.db"));
    EXPECT_FALSE(EqualsNoCaseAscii(u"\u00C9", u"\u00E9"));
}

TEST(WideTextFormat, TextArgumentsBecomeWide) {
    EXPECT_EQ(WideTextFormat(u"%s contains %d pictures. Maximum allowed is: %d"),
              u"%ls contains %d pictures. Maximum allowed is: %d");
    EXPECT_EQ(WideTextFormat(u"%s - %s. Click"), u"%ls - %ls. Click");
    EXPECT_EQ(WideTextFormat(u"100%% sure %s"), u"100%% sure %ls");
    EXPECT_EQ(WideTextFormat(u"%d%"), u"%d%");
}
