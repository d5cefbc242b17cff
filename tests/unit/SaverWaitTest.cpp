// The screen saver's wait: minutes from Windows' seconds and from the
// panel's reversed scroll bar, never outside 1 to 999.
#include <gtest/gtest.h>

#include "system/SaverWait.h"

using namespace quorvel;

namespace {
constexpr int kUp = static_cast<int>(ScrollAction::LineUp);
constexpr int kDown = static_cast<int>(ScrollAction::LineDown);
constexpr int kPageDown = static_cast<int>(ScrollAction::PageDown);
constexpr int kThumb = static_cast<int>(ScrollAction::ThumbPosition);
constexpr int kTop = static_cast<int>(ScrollAction::Top);
constexpr int kBottom = static_cast<int>(ScrollAction::Bottom);
}  // namespace

TEST(SaverWait, SecondsReadAsWholeMinutesOfAtLeastOne) {
    EXPECT_EQ(WaitMinutesFromSeconds(u"600"), 10);
    EXPECT_EQ(WaitMinutesFromSeconds(u"119"), 1);
    EXPECT_EQ(WaitMinutesFromSeconds(u"30"), 1);
    EXPECT_EQ(WaitMinutesFromSeconds(u"0"), 1);
    EXPECT_EQ(WaitMinutesFromSeconds(u""), 1);
    EXPECT_EQ(WaitMinutesFromSeconds(u"-120"), 1);
    EXPECT_EQ(WaitMinutesFromSeconds(u"99999999999999999999"), 1);
    EXPECT_EQ(WaitMinutesFromSeconds(u"86400"), 999);
    EXPECT_EQ(WaitSecondsText(7), u"420");
}

// The wait never reaches 0: Windows would read it back as a minute.
TEST(SaverWait, TheScrollBarKeepsTheWaitBetweenOneAnd999Minutes) {
    EXPECT_EQ(WaitAfterScroll(1, kDown, 0), 1);
    EXPECT_EQ(WaitAfterScroll(10, kPageDown, 0), 1);
    EXPECT_EQ(WaitAfterScroll(5, kBottom, 0), 1);
    EXPECT_EQ(WaitAfterScroll(5, kThumb, BottomWaitPosition()), 1);
    EXPECT_EQ(WaitAfterScroll(5, kThumb, 999), 1);
    EXPECT_EQ(WaitAfterScroll(999, kUp, 0), 999);
    EXPECT_EQ(WaitAfterScroll(5, kTop, 0), 999);
    EXPECT_EQ(WaitAfterScroll(5, kThumb, 0), 999);
    EXPECT_EQ(WaitAfterScroll(6, kUp, 0), 7);
    EXPECT_EQ(WaitAfterScroll(5, kThumb, ScrollPositionOfWait(7)), 7);
    EXPECT_EQ(WaitAfterScroll(5, 8, 0), 5);  // SB_ENDSCROLL
    EXPECT_EQ(WaitSecondsText(0), u"60");
}
