#include "storage/StorageRules.h"

#include <algorithm>

#include "base/Text.h"

namespace quorvel {

namespace {

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; }

bool IsDeviceName(std::u16string_view name) {
    // Windows maps these to devices whatever the folder and extension.
    const std::size_t dot = name.find(u'.');
    std::u16string_view stem = name.substr(0, dot);
    while (!stem.empty() && stem.back() == u' ') stem.remove_suffix(1);
    static constexpr std::u16string_view kPlain[] = {u"con", u"prn", u"aux", u"nul", u"conin$", u"conout$"};
    for (auto device : kPlain)
        if (EqualsNoCaseAscii(stem, device)) return true;
    if (stem.size() == 4 &&
        (EqualsNoCaseAscii(stem.substr(0, 3), u"com") || EqualsNoCaseAscii(stem.substr(0, 3), u"lpt")))
        return (stem[3] >= u'0' && stem[3] <= u'9') || stem[3] == u'\u00b9' || stem[3] == u'\u00b2' ||
               stem[3] == u'\u00b3';
    return false;
}

}  // namespace

bool IsSafeChildName(std::u16string_view name) {
    if (name.empty() || name.size() > 255) return false;
    for (char16_t c : name) {
        if (c < 0x20) return false;
        switch (c) {
            case u'\\':
            case u'/':
            case u':':
            case u'*':
            case u'?':
            case u'"':
            case u'<':
            case u'>':
            case u'|': return false;
            default: break;
        }
    }
    // Windows drops trailing dots and blanks from a component, so "..." or
    // "a " would name the parent folder or another entry than the one meant.
    if (name.back() == u'.' || name.back() == u' ') return false;
    return !IsDeviceName(name);
}

bool IsThumbnailCacheName(std::u16string_view name) {
    constexpr std::u16string_view kThumbs = u"thumbs.db";
    if (name.size() > kThumbs.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i)
        if (Lower(name[i]) != kThumbs[i]) return false;
    return true;
}

int DefaultAlbumIndex(std::u16string_view folderName) {
    if (EqualsNoCaseAscii(folderName, u"DefaultAlbum1")) return 0;
    if (EqualsNoCaseAscii(folderName, u"DefaultAlbum2")) return 1;
    return -1;
}

bool IsKeptAlbumFolder(std::u16string_view folderName) { return DefaultAlbumIndex(folderName) >= 0; }

bool IsKeptDefaultAlbumPhoto(int albumIndex, std::u16string_view fileName) {
    if (albumIndex == 0) return EqualsNoCaseAscii(fileName, u"0V_0H_ZoomIn_2_256.png");
    // Album 2's installed picture is the zoom-out one; the orchid of earlier
    // installations is kept too, so nothing installed is ever deleted.
    if (albumIndex == 1)
        return EqualsNoCaseAscii(fileName, u"0V_0H_ZoomOut_2_256.png") ||
               EqualsNoCaseAscii(fileName, u"Orchid_Pink.jpg");
    return false;
}

bool IsKeptBoard(std::u16string_view fileName) {
    if (EqualsNoCaseAscii(fileName, u"smiley.jpg") || EqualsNoCaseAscii(fileName, u"smilies.jpg") ||
        EqualsNoCaseAscii(fileName, u"sox.jpg"))
        return true;
    if (fileName.size() != 6 || !EqualsNoCaseAscii(fileName.substr(2), u".jpg")) return false;
    const char16_t tens = fileName[0], units = fileName[1];
    if (tens < u'0' || tens > u'9' || units < u'0' || units > u'9') return false;
    const int number = (tens - u'0') * 10 + (units - u'0');
    return number >= 1 && number <= 16;
}

bool IsKeptUserFolder(std::u16string_view folderName) {
    return EqualsNoCaseAscii(folderName, u"QuorvelAlbums") || EqualsNoCaseAscii(folderName, u"QuorvelMattingBoards");
}

std::span<const std::u16string_view> ShippedUserFiles() {
    static constexpr std::u16string_view kShipped[] = {u"Quorvel.ini",
                                                       u"QuorvelHelp.bat",
                                                       u"QuorvelHelpAbout.bat",
                                                       u"QuorvelHelpImportAlbums.bat",
                                                       u"QuorvelHelpMattingBoards.bat",
                                                       u"QuorvelHelpMonitorMapping.bat",
                                                       u"QuorvelHelpOverlayPhrases.bat",
                                                       u"QuorvelHelpPhotoPanel.bat",
                                                       u"QuorvelHelpPowerScreenSaver.bat",
                                                       u"QuorvelTerms.bat"};
    return kShipped;
}

bool IsKeptUserFile(std::u16string_view fileName) {
    for (auto kept : ShippedUserFiles())
        if (EqualsNoCaseAscii(fileName, kept)) return true;
    return false;
}

bool IsInsideFolder(std::u16string_view path, std::u16string_view folder) {
    auto normal = [](std::u16string_view p) {
        std::u16string out;
        for (char16_t c : p) {
            if (c == u'/') c = u'\\';
            if (c >= u'A' && c <= u'Z') c = char16_t(c + 32);
            if (c == u'\\' && !out.empty() && out.back() == u'\\') continue;
            out += c;
        }
        while (!out.empty() && out.back() == u'\\') out.pop_back();
        return out;
    };
    const std::u16string p = normal(path), f = normal(folder);
    if (f.empty() || p.size() <= f.size() || p.compare(0, f.size(), f) != 0 || p[f.size()] != u'\\') return false;
    // Windows drops the trailing dots and blanks of a component, so one made
    // of nothing else (".", ". ") names the folder it stands in, and ".."
    // steps out of it; a name that only starts with dots is an ordinary one.
    std::size_t start = f.size() + 1;
    while (start <= p.size()) {
        const std::size_t end = std::min(p.find(u'\\', start), p.size());
        if (p.find_first_not_of(u". ", start) >= end) return false;
        start = end + 1;
    }
    return true;
}

bool IsCleanableRoot(std::u16string_view root, std::u16string_view userFolder,
                     const std::function<bool(std::u16string_view folder)>& isLink) {
    if (!IsInsideFolder(root, userFolder)) return false;
    // From the root up to the per-user folder, which is not asked about.
    for (std::u16string_view folder = root; IsInsideFolder(folder, userFolder);) {
        if (isLink(folder)) return false;
        const std::size_t cut = folder.find_last_of(u"\\/", folder.find_last_not_of(u"\\/"));
        if (cut == std::u16string_view::npos) break;
        folder = folder.substr(0, cut);
    }
    return true;
}

std::u16string_view WithoutTrailingSeparators(std::u16string_view folder) {
    while (!folder.empty() && (folder.back() == u'\\' || folder.back() == u'/')) folder.remove_suffix(1);
    return folder;
}

std::u16string_view LastComponent(std::u16string_view path) {
    path = WithoutTrailingSeparators(path);
    const std::size_t cut = path.find_last_of(u"\\/");
    return cut == std::u16string_view::npos ? path : path.substr(cut + 1);
}

bool IsOneLevelBelow(std::u16string_view path, std::u16string_view root) {
    path = WithoutTrailingSeparators(path);
    root = WithoutTrailingSeparators(root);
    if (root.empty() || path.size() <= root.size()) return false;
    const std::size_t cut = path.find_last_of(u"\\/");
    if (cut == std::u16string_view::npos || cut + 1 >= path.size()) return false;
    return EqualsNoCaseAscii(path.substr(0, cut), root);
}

bool AlbumPathFits(std::u16string_view root, std::u16string_view name) {
    constexpr std::size_t kCacheFolder = 4;  // "\BMP"
    return WithoutTrailingSeparators(root).size() + 1 + name.size() + kCacheFolder <= kLongestPath;
}

AlbumFolderVerdict CheckAlbumFolder(std::u16string_view path, std::u16string_view root) {
    if (!IsOneLevelBelow(path, root)) return AlbumFolderVerdict::NotOneLevelBelow;
    const std::u16string_view name = LastComponent(path);
    if (name.size() > kLongestAlbumFolderName) return AlbumFolderVerdict::NameTooLong;
    if (!AlbumPathFits(root, name)) return AlbumFolderVerdict::PathTooLong;
    return AlbumFolderVerdict::Usable;
}

}  // namespace quorvel
