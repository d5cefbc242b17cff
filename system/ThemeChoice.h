// Quorvel's desktop theme as the program writes it, which theme Windows
// names as Quorvel's, and what unticking the theme gives back. A theme file
// is an ini text whose "Wallpaper" of [Control Panel\Desktop] names the
// desktop picture and whose "SCRNSAVE.EXE" of [boot] names the screen
// saver; opening it with the shell has Windows apply it. Platform-neutral.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

// The text of "Quorvel.theme": the desktop picture and the screen saver,
// both full paths, with lines ending in CR LF.
std::u16string ThemeFileText(std::u16string_view picture, std::u16string_view saver);

// Whether `theme`, the theme Windows names as current, is Quorvel's: one in
// Quorvel's theme folder, or one Windows unpacked from the theme package of
// earlier versions into "QuorvelW7" beside that folder.
bool IsQuorvelTheme(std::u16string_view theme, std::u16string_view themeFolder);

// What the program's record kept at the tick: Windows' current theme and
// desktop picture (empty when Windows had none), and whether each file is
// still there at the untick.
struct KeptTheme {
    std::u16string theme;
    bool themeExists = false;
    std::u16string wallpaper;
    bool wallpaperExists = false;
};

struct ThemeRestore {
    // The user's theme file, opened with the shell so that Windows applies it;
    std::optional<std::u16string> open;
    // otherwise the desktop picture put back (empty: none).
    std::u16string wallpaper;
    // What Windows' "CurrentTheme" names afterwards.
    std::u16string currentTheme;
};

// What unticking gives back. Windows applies the user's theme file again;
// one that is gone, or that is Quorvel's own, gives the user's picture back
// instead, and no picture when that is gone too.
ThemeRestore ThemeToRestore(const KeptTheme& kept, std::u16string_view themeFolder);

}  // namespace quorvel
