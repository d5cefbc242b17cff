#include "storage/SettingsFormat.h"

#include <gtest/gtest.h>

using namespace quorvel;

TEST(NumberedKey, ReplacesTheLastCharacter) {
    EXPECT_EQ(NumberedKey(u"Monitor1", 6), u"Monitor6");
    EXPECT_EQ(NumberedKey(u"CurrentAlbumFolderName1", 2), u"CurrentAlbumFolderName2");
    EXPECT_EQ(NumberedKey(u"FontColor1", 1), u"FontColor1");
    EXPECT_EQ(NumberedKey(u"", 3), u"");
}

TEST(ParseSettingNumber, TruncatesFloatingPointText) {
    EXPECT_EQ(ParseSettingNumber(u"72.9").value, 72);
    EXPECT_EQ(ParseSettingNumber(u"-72.9").value, -72);
    EXPECT_EQ(ParseSettingNumber(u"  16711680").value, 16711680);
    EXPECT_EQ(ParseSettingNumber(u"\t3").value, 3);
    EXPECT_EQ(ParseSettingNumber(u"2x").value, 2);
    EXPECT_TRUE(ParseSettingNumber(u"0").ok);
}

TEST(ParseSettingNumber, NoNumberReadsZero) {
    for (const char16_t* text : {u"", u"   ", u"abc", u"\u0394"}) {
        const SettingNumber n = ParseSettingNumber(text);
        EXPECT_EQ(n.value, 0);
        EXPECT_FALSE(n.ok);
    }
}

TEST(ParseSettingNumber, OutOfRangeSaturates) {
    EXPECT_EQ(ParseSettingNumber(u"1e30").value, 2147483647);
    EXPECT_EQ(ParseSettingNumber(u"-1e30").value, -2147483647 - 1);
    // A colour above 0x7FFFFFFF is never written: COLORREF tops at 0x00FFFFFF.
    EXPECT_EQ(ParseSettingNumber(u"4294967295").value, 2147483647);
}

TEST(MonitorAlbumIndex, OnlyAlbumNumbersNameAnAlbum) {
    EXPECT_EQ(MonitorAlbumIndex(1), 0);
    EXPECT_EQ(MonitorAlbumIndex(2), 1);
    for (std::int32_t stored : {0, 3, -1, 65538, 2147483647, -2147483647 - 1}) EXPECT_EQ(MonitorAlbumIndex(stored), -1);
}

TEST(FormatSettingNumber, DecimalIntegers) {
    EXPECT_EQ(FormatSettingNumber(-72), u"-72");
    EXPECT_EQ(FormatSettingNumber(65280), u"65280");
}

TEST(TrimLeadingBlanks, SpacesAndTabsOnly) {
    EXPECT_EQ(TrimLeadingBlanks(u"  \tArial "), u"Arial ");
    EXPECT_EQ(TrimLeadingBlanks(u"   "), u"");
    EXPECT_EQ(TrimLeadingBlanks(u"\u00A0x"), u"\u00A0x");
}
