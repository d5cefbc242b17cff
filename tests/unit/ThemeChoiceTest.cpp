// Which current theme is Quorvel's, and what unticking the theme gives
// back. (The theme file's text is read back by the Win32 test, through the
// profile functions Windows uses.)
#include <gtest/gtest.h>

#include <string>

#include "system/ThemeChoice.h"

using namespace quorvel;

namespace {

const std::u16string kThemes = u"C:\\Users\\Zoë\\AppData\\Local\\Microsoft\\Windows\\Themes";
const std::u16string kFolder = kThemes + u"\\Quorvel";

std::string Narrow(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) out += c < 0x80 ? char(c) : '?';
    return out;
}

}  // namespace

TEST(ThemeChoice, QuorvelsThemeIsTheOneInItsFolderOrTheOneEarlierVersionsHadWindowsUnpack) {
    const struct {
        std::u16string current;
        bool quorvels;
    } cases[] = {
        {kFolder + u"\\Quorvel.theme", true},
        {u"c:/users/zoë/appdata/local/microsoft/windows/themes/QUORVEL/quorvel.theme", true},
        {kThemes + u"\\QuorvelW7\\QuorvelW7.theme", true},
        {kThemes + u"\\QuorvelW7\\Quorvel.theme", true},
        {kThemes + u"\\Custom.theme", false},
        {kThemes + u"\\QuorvelW7Lake\\Lake.theme", false},
        {kThemes + u"\\Quorvel", false},
        {u"C:\\Windows\\Resources\\Themes\\aero.theme", false},
        {u"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.current));
        EXPECT_EQ(IsQuorvelTheme(c.current, kFolder), c.quorvels);
    }
}

// Windows applies the user's theme again; where that cannot be, the user's
// picture comes back, so Quorvel's never stays.
TEST(ThemeChoice, UntickingGivesBackTheUsersThemeOrElseTheirPicture) {
    const std::u16string custom = kThemes + u"\\Custom.theme", lake = u"C:\\Users\\Zoë\\Pictures\\lake.jpg";
    const std::u16string unpacked = kThemes + u"\\QuorvelW7\\QuorvelW7.theme";
    const struct {
        const char* name;
        KeptTheme kept;
        std::optional<std::u16string> open;
        std::u16string wallpaper, currentTheme;
    } cases[] = {
        {"the user's theme is there", {custom, true, lake, true}, custom, u"", custom},
        {"the user's theme is gone", {custom, false, lake, true}, std::nullopt, lake, custom},
        {"their picture is gone too", {custom, false, lake, false}, std::nullopt, u"", custom},
        {"no theme was current (Vista)", {u"", false, lake, true}, std::nullopt, lake, u""},
        {"nothing kept", {}, std::nullopt, u"", u""},
        {"an earlier version kept its own unpacked theme", {unpacked, true, u"", false}, std::nullopt, u"", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ThemeRestore restore = ThemeToRestore(c.kept, kFolder);
        EXPECT_EQ(restore.open, c.open);
        EXPECT_EQ(restore.wallpaper, c.wallpaper);
        EXPECT_EQ(restore.currentTheme, c.currentTheme);
    }
}
