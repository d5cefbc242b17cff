#include "system/ThemeChoice.h"

#include "storage/StorageRules.h"

namespace quorvel {

namespace {

// The folder Windows unpacked the theme package of earlier versions into.
constexpr std::u16string_view kUnpackedPackage = u"QuorvelW7";

}  // namespace

std::u16string ThemeFileText(std::u16string_view picture, std::u16string_view saver) {
    std::u16string text =
        u"; Quorvel: the default album as the desktop background, and the Quorvel screen saver\r\n"
        u"[Theme]\r\nDisplayName=Quorvel\r\n\r\n"
        u"[Control Panel\\Desktop]\r\nWallpaper=";
    text += picture;
    text +=
        u"\r\nTileWallpaper=0\r\nWallpaperStyle=10\r\n\r\n"
        u"[VisualStyles]\r\nPath=%SystemRoot%\\resources\\themes\\Aero\\Aero.msstyles\r\n"
        u"ColorStyle=NormalColor\r\nSize=NormalSize\r\n\r\n"
        u"[boot]\r\nSCRNSAVE.EXE=";
    text += saver;
    text += u"\r\n\r\n[MasterThemeSelector]\r\nMTSM=DABJDKT\r\n";
    return text;
}

bool IsQuorvelTheme(std::u16string_view theme, std::u16string_view themeFolder) {
    if (IsInsideFolder(theme, themeFolder)) return true;
    const std::size_t cut = themeFolder.find_last_of(u"\\/");
    if (cut == std::u16string_view::npos) return false;
    std::u16string unpacked(themeFolder.substr(0, cut + 1));
    unpacked += kUnpackedPackage;
    return IsInsideFolder(theme, unpacked);
}

ThemeRestore ThemeToRestore(const KeptTheme& kept, std::u16string_view themeFolder) {
    ThemeRestore restore;
    if (!kept.theme.empty() && !IsQuorvelTheme(kept.theme, themeFolder)) {
        restore.currentTheme = kept.theme;
        if (kept.themeExists) {
            restore.open = kept.theme;
            return restore;
        }
    }
    if (kept.wallpaperExists) restore.wallpaper = kept.wallpaper;
    return restore;
}

}  // namespace quorvel
