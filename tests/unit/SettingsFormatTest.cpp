#include "storage/SettingsFormat.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

using namespace quorvel;

TEST(NumberedKey, ReplacesTheLastCharacter) {
    EXPECT_EQ(NumberedKey(u"Monitor1", 6), u"Monitor6");
    EXPECT_EQ(NumberedKey(u"CurrentAlbumFolderName1", 2), u"CurrentAlbumFolderName2");
    EXPECT_EQ(NumberedKey(u"FontColor1", 1), u"FontColor1");
    EXPECT_EQ(NumberedKey(u"", 3), u"");
}

// A number in the settings file is read as the runtime reads floating-point
// text, truncated toward zero; beyond 32 bits it saturates, and text that
// holds no number reads 0 and is not taken.
TEST(ParseSettingNumber, TruncatesSaturatesOrReadsNothing) {
    const struct {
        const char16_t* text;
        std::int32_t value;
        bool ok;
    } cases[] = {
        {u"0", 0, true},
        {u"72.9", 72, true},
        {u"-72.9", -72, true},
        {u"  16711680", 16711680, true},
        {u"\t3", 3, true},
        {u"2x", 2, true},
        {u"1e30", 2147483647, true},
        {u"-1e30", -2147483647 - 1, true},
        // A colour above 0x7FFFFFFF is never written: COLORREF tops at 0x00FFFFFF.
        {u"4294967295", 2147483647, true},
        {u"", 0, false},
        {u"   ", 0, false},
        {u"abc", 0, false},
        {u"\u0394", 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text));
        const SettingNumber n = ParseSettingNumber(c.text);
        EXPECT_EQ(n.value, c.value);
        EXPECT_EQ(n.ok, c.ok);
    }
}

TEST(MonitorAlbumIndex, OnlyAlbumNumbersNameAnAlbum) {
    const struct {
        std::int32_t stored;
        int album;  // -1 for none
    } cases[] = {
        {1, 0}, {2, 1}, {0, -1}, {3, -1}, {-1, -1}, {65538, -1}, {2147483647, -1}, {-2147483647 - 1, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(MonitorAlbumIndex(c.stored), c.album);
    }
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

namespace {

std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

// `text` as UTF-16 pairs in the order asked, after `mark`.
std::vector<std::uint8_t> Utf16(std::u16string_view text, bool bigEndian, std::string_view mark = "") {
    std::vector<std::uint8_t> bytes = Bytes(mark);
    for (char16_t c : text) {
        const auto high = static_cast<std::uint8_t>(c >> 8), low = static_cast<std::uint8_t>(c & 0xFF);
        bytes.push_back(bigEndian ? high : low);
        bytes.push_back(bigEndian ? low : high);
    }
    return bytes;
}

const std::u16string kIni = u"[Header]\r\nFontName=Arial\r\nCurrentUserSaying1=\u039a\u03b1\u03bb\u03ae \U0001F333\r\n";

}  // namespace

TEST(DetectSettingsEncoding, EveryFormOfTextIsKnownAndReadWhole) {
    const std::string utf8 =
        "\xEF\xBB\xBF[Header]\r\nFontName=Arial\r\nCurrentUserSaying1=\xCE\x9A\xCE\xB1\xCE\xBB\xCE\xAE "
        "\xF0\x9F\x8C\xB3\r\n";
    const struct {
        std::vector<std::uint8_t> bytes;
        SettingsEncoding encoding;
    } cases[] = {
        {Utf16(kIni, true), SettingsEncoding::kUtf16BeUnmarked},
        {Bytes(utf8), SettingsEncoding::kUtf8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.encoding));
        EXPECT_EQ(DetectSettingsEncoding(c.bytes), c.encoding);
        EXPECT_EQ(SettingsFileText(c.bytes, c.encoding), kIni);
    }
    // UTF-16BE, unmarked UTF-16LE and ANSI are read through the profile
    // functions in the Win32 settings test.
}

TEST(DetectSettingsEncoding, BytesThatHoldNoTextAreNotText) {
    std::vector<std::uint8_t> oddBigEndian = Utf16(kIni, true, "\xFE\xFF");
    oddBigEndian.push_back(0x0A);
    const std::u16string loneSurrogate = {u'[', char16_t(0xD800), u']'};
    const std::vector<std::uint8_t> cases[] = {
        Bytes(std::string_view("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01", 12)),  // a photo
        oddBigEndian,
        Utf16(loneSurrogate, true, "\xFE\xFF"),
        Utf16(loneSurrogate, false),
        Bytes("\xEF\xBB\xBF[Header]\r\nFontName=\xC3\x28"),  // a byte that continues nothing
        Bytes("\xEF\xBB\xBF[Header]\r\nFontName=\xC0\xAF"),  // '/' in two bytes
        Bytes("\xEF\xBB\xBF[Header]\r\nFontName=\xE2\x82"),  // cut short
        Bytes(std::string_view("A\x00\x01\x00", 4)),         // a control character either way
    };
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(DetectSettingsEncoding(cases[i]), SettingsEncoding::kNotText) << "case " << i;
}
