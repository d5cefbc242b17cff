// Quorvel's theme file, which current theme is Quorvel's, and what
// unticking the theme gives back.
#include <gtest/gtest.h>

#include <string>

#include "base/Text.h"
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

// A value of an ini text as the profile functions read it: the key's line
// in the named section, the section name compared without regard to case.
std::u16string IniValue(const std::u16string& text, std::u16string_view section, std::u16string_view key) {
    bool inside = false;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find(u"\r\n", at);
        if (end == std::u16string::npos) end = text.size();
        const std::u16string_view line(text.data() + at, end - at);
        at = end + 2;
        if (line.starts_with(u'[')) {
            const std::u16string_view name = line.substr(1, line.find(u']') - 1);
            inside = EqualsNoCaseAscii(name, section);
        } else if (inside && line.starts_with(key) && line.size() > key.size() && line[key.size()] == u'=') {
            return std::u16string(line.substr(key.size() + 1));
        }
    }
    return u"(none)";
}

}  // namespace

// Windows finds the picture and the saver where a theme file names them,
// whatever characters the paths hold.
TEST(ThemeChoice, TheThemeFileNamesThePictureAndTheSaver) {
    const std::u16string picture = kFolder + u"\\Quorvel.jpg";
    const std::u16string saver = u"C:\\Program Files (x86)\\Fenwold Quorvel\\Quorvel.scr";
    const std::u16string text = ThemeFileText(picture, saver);
    EXPECT_EQ(IniValue(text, u"Control Panel\\Desktop", u"Wallpaper"), picture);
    EXPECT_EQ(IniValue(text, u"Boot", u"SCRNSAVE.EXE"), saver);
    EXPECT_EQ(IniValue(text, u"Theme", u"DisplayName"), u"Quorvel");
    EXPECT_EQ(IniValue(text, u"MasterThemeSelector", u"MTSM"), u"DABJDKT");
}

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
