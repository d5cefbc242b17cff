#include "photos/AlbumEdits_win.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "display/DisplayState_win.h"
#include "base/ErrorReporter_win.h"
#include "base/PhotoTypes.h"
#include "base/Utilities_win.h"
#include "imaging/Decode_win.h"
#include "imaging/ImageOps.h"
#include "imaging/PhotoProperties_win.h"
#include "photos/PhotoPanelRules.h"
#include "storage/Settings_win.h"
#include "storage/Storage_win.h"

namespace quorvel {

namespace {

const wchar_t kModule[] = L"PhotosDlg";
const wchar_t kTransformModule[] = L"transform";

bool Selected(int album, int photo) {
    return gDisplayState != nullptr && album >= 0 && album < kAlbumCount && photo >= 0 &&
           photo < gDisplayState->albums[album].photoCount && photo < kMaxPhotos;
}

Status DeleteOne(const wchar_t* path) {
    if (DeleteFileW(path)) return kOk;
    SaveWindowsError();
    return Fail(QV_SITE(kModule), kErrDeleteFile, path);
}

// "<albums folder>\<album folder>\<name without .BMP>.<the album's extension>":
// only the album's own type, since the same name may belong to another file.
Status PhotoFilePath(const AlbumSlot& slot, const std::u16string& cacheName, wchar_t (&path)[kPathChars]) {
    // The album's search pattern, "*.jpg" and so on, gives its extension.
    const std::u16string pattern = PhotoTypePattern(slot.photoType);
    const std::u16string extension = pattern.size() > 1 ? pattern.substr(1) : std::u16string();
    const std::size_t dot = cacheName.rfind(u'.');
    if (extension.empty() || dot == std::u16string::npos)
        return Fail(QV_SITE(kModule), kErrInvalidArgument, slot.folderName);
    const std::u16string name = cacheName.substr(0, dot) + extension;
    wchar_t root[kPathChars], folder[kPathChars];
    AlbumsFolder(root);
    if (!JoinPath(root, slot.folderName, folder) || !JoinPath(folder, AsWide(name.c_str()), path))
        return Fail(QV_SITE(kModule), kErrInvalidArgument, slot.folderName);
    return kOk;
}

// Locates a failure of the pixel change itself; the cache functions locate
// their own.
Status Located(Status code, ErrorSite site) {
    if (code != kOk) SetErrorLocation(site);
    return code;
}

[[nodiscard]] Status RewriteCache(int album, int photo) {
    const AlbumSlot& slot = gDisplayState->albums[album];
    wchar_t path[kPathChars];
    if (Status s = CacheBitmapPath(slot, photo, path); s != kOk) return s;
    return WriteCacheBitmap(slot.photos[photo], path);
}

}  // namespace

Status TransformAlbumPhoto(int album, int photo, int kind) {
    if (gDisplayState == nullptr || album < 0 || album >= kAlbumCount) return kOk;
    AlbumSlot& slot = gDisplayState->albums[album];
    if (photo < 0 || photo >= slot.photoCount || photo >= kMaxPhotos || slot.photos[photo].block.Empty()) return kOk;
    if (Status s = Located(TransformPixels(slot.photos[photo].block, kind), QV_SITE(kTransformModule)); s != kOk)
        return s;
    return RewriteCache(album, photo);
}

Status HalveAlbumPhotos(int album) {
    if (gDisplayState == nullptr || album < 0 || album >= kAlbumCount)
        return Located(kErrInvalidArgument, QV_SITE(kTransformModule));
    AlbumSlot& slot = gDisplayState->albums[album];
    const int count = std::min(slot.photoCount, kMaxPhotos);
    // Every later start would refuse the album, so nothing is halved.
    for (int photo = 0; photo < count; ++photo)
        if (!HalfKeepsSide(slot.photos[photo].block, kSmallestPhotoSide))
            return Located(kErrPhotoTooSmall, QV_SITE(kTransformModule));
    for (int photo = 0; photo < count; ++photo) {
        if (Status s = Located(HalvePixels(slot.photos[photo].block), QV_SITE(kTransformModule)); s != kOk) return s;
        if (Status s = RewriteCache(album, photo); s != kOk) return s;
    }
    return kOk;
}

Status DeleteAlbumPhoto(int album, int photo) {
    if (!Selected(album, photo)) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    AlbumSlot& slot = gDisplayState->albums[album];
    if (slot.photoCount == 1) return Fail(QV_SITE(kModule), kErrLastPhoto);
    wchar_t photoPath[kPathChars], cachePath[kPathChars];
    if (Status s = PhotoFilePath(slot, slot.photos[photo].fileName, photoPath); s != kOk) return s;
    if (!FileExists(photoPath, nullptr)) return Fail(QV_SITE(kModule), kErrFindFirstFile, photoPath);
    if (Status s = CacheBitmapPath(slot, photo, cachePath); s != kOk) return s;
    if (FileExists(cachePath, nullptr))
        if (Status s = DeleteOne(cachePath); s != kOk) return s;
    if (Status s = DeleteOne(photoPath); s != kOk) return s;
    for (int i = photo; i + 1 < slot.photoCount; ++i) slot.photos[i] = std::move(slot.photos[i + 1]);
    slot.photos[slot.photoCount - 1] = PhotoRecord{};
    --slot.photoCount;
    return kOk;
}

Status ReadAlbumPhotoItems(int album, int photo) {
    if (!Selected(album, photo)) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    PhotoRecord& record = gDisplayState->albums[album].photos[photo];
    wchar_t photoPath[kPathChars];
    if (Status s = PhotoFilePath(gDisplayState->albums[album], record.fileName, photoPath); s != kOk) return s;
    return ReadPhotoFileProperties(photoPath, record);
}

Status ShiftAlbumPhoto(int album, int photo, int direction, int* moved) {
    if (!Selected(album, photo) || moved == nullptr) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    AlbumSlot& slot = gDisplayState->albums[album];
    *moved = photo;
    const int partner = ShiftPartner(photo, slot.photoCount, direction);
    if (partner < 0) return kOk;
    std::swap(slot.photos[photo], slot.photos[partner]);
    std::vector<std::u16string> names;
    for (int i = 0; i < std::min(slot.photoCount, kMaxPhotos); ++i) names.push_back(slot.photos[i].fileName);
    // An order the file does not keep is taken back: the panel goes on
    // showing the album as it is, and an edit acts on the photo it shows.
    if (Status s = WritePhotoOrder(album, names); s != kOk) {
        std::swap(slot.photos[photo], slot.photos[partner]);
        return s;
    }
    *moved = partner;
    return kOk;
}

}  // namespace quorvel
