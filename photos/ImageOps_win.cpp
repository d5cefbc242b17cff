#include "photos/ImageOps_win.h"

#include <windows.h>

#include <algorithm>

#include "base/ErrorReporter_win.h"
#include "imaging/Decode_win.h"
#include "base/DisplayState_win.h"
#include "imaging/ImageOps.h"

namespace quorvel {

namespace {

const wchar_t kModule[] = L"transform";

// Locates a failure of the pixel change itself; the cache functions locate
// their own.
Status Located(Status code, ErrorSite site) {
    if (code != kOk) SetErrorLocation(site);
    return code;
}

[[nodiscard]] Status RewriteCache(int album, int photo) {
    if (Status s = CacheBitmapPath(album, photo, gDisplayState->scratchPath); s != kOk) return s;
    return WriteCacheBitmap(gDisplayState->albums[album].photos[photo], gDisplayState->scratchPath);
}

}  // namespace

Status TransformAlbumPhoto(int album, int photo, int kind) {
    if (gDisplayState == nullptr || album < 0 || album >= kAlbumCount) return kOk;
    AlbumSlot& slot = gDisplayState->albums[album];
    if (photo < 0 || photo >= slot.photoCount || photo >= kMaxPhotos || slot.photos[photo].block.Empty()) return kOk;
    if (Status s = Located(TransformPixels(slot.photos[photo].block, kind), QV_SITE(kModule)); s != kOk) return s;
    return RewriteCache(album, photo);
}

Status HalveAlbumPhotos(int album) {
    if (gDisplayState == nullptr || album < 0 || album >= kAlbumCount)
        return Located(kErrInvalidArgument, QV_SITE(kModule));
    AlbumSlot& slot = gDisplayState->albums[album];
    const int count = std::min(slot.photoCount, kMaxPhotos);
    // Every later start would refuse the album, so nothing is halved.
    for (int photo = 0; photo < count; ++photo)
        if (!HalfKeepsSide(slot.photos[photo].block, kSmallestPhotoSide))
            return Located(kErrPhotoTooSmall, QV_SITE(kModule));
    for (int photo = 0; photo < count; ++photo) {
        if (Status s = Located(HalvePixels(slot.photos[photo].block), QV_SITE(kModule)); s != kOk) return s;
        if (Status s = RewriteCache(album, photo); s != kOk) return s;
    }
    return kOk;
}

}  // namespace quorvel
