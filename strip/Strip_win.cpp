#include "strip/Strip_win.h"

#include <algorithm>
#include <cwchar>
#include <limits>
#include <span>
#include <string>

#include "base/AppState_win.h"
#include "base/ErrorReporter_win.h"
#include "imaging/Decode_win.h"
#include "storage/Settings_win.h"
#include "base/Utilities_win.h"
#include "base/DisplayState_win.h"
#include "strip/Strip.h"
#include "res/resource.h"

namespace quorvel {

namespace {

const wchar_t kModule[] = L"DecodeImage";

Status JoinFailure(Status code, ErrorSite site) {
    SetErrorLocation(site);
    if (gAppState != nullptr) {
        wchar_t format[kMessageChars] = {};
        wchar_t failure[kMessageChars] = {};
        if (LoadText(IDS_JOIN_FAILED, format, sizeof format) != kOk) format[0] = L'\0';
        if (LoadStringW(gAppState->instance, code, failure, kMessageChars) <= 0) failure[0] = L'\0';
        // The table's text carries one %s; it is filled by hand, since the
        // meaning of %s in wide formats differs between C runtimes.
        std::wstring text = format;
        const std::size_t mark = text.find(L"%s");
        if (mark != std::wstring::npos)
            text.replace(mark, 2, failure);
        else
            text += failure;
        SetErrorExtra(text.c_str());
    }
    return code;
}

Status AlbumToJoin(int album, AlbumSlot** slot) {
    if (gDisplayState == nullptr || gAppState == nullptr || gUserSettings == nullptr || album < 0 ||
        album >= kAlbumCount)
        return JoinFailure(kErrInvalidArgument, QV_SITE(kModule));
    *slot = &gDisplayState->albums[album];
    if ((*slot)->photoCount <= 0 || (*slot)->photoCount > kMaxPhotos)
        return JoinFailure(kErrInvalidArgument, QV_SITE(kModule));
    return kOk;
}

std::span<PhotoRecord> PhotosOf(AlbumSlot& slot) {
    return {slot.photos.data(), static_cast<std::size_t>(slot.photoCount)};
}

}  // namespace

bool EffectsRebuildFromPhotos(int effectsEnabled) { return (effectsEnabled & (1 | 2 | 4 | 8 | 16)) != 0; }

Status JoinPhotos(int album, int effectBits) {
    AlbumSlot* slot = nullptr;
    if (const Status status = AlbumToJoin(album, &slot); status != kOk) return status;
    slot->rebuild = {};
    const std::span<PhotoRecord> photos = PhotosOf(*slot);
    const bool sizesOnly =
        std::any_of(photos.begin(), photos.end(), [](const PhotoRecord& r) { return r.block.pixels.empty(); });
    if (sizesOnly && effectBits == 0 && !EffectsRebuildFromPhotos(slot->effectsEnabled)) {
        // Decoded for their sizes only: each cache copy goes straight into
        // its place, so the strip is the only block the join makes.
        const Status status = JoinPhotosInPlace(
            photos, slot->stitchMode,
            [&](std::size_t i, PixelBlock& strip, std::size_t x, std::int32_t top) -> Status {
                const PixelBlock& photo = photos[i].block;
                if (!photo.pixels.empty()) return CopyPhotoRows(photo, 0, x, top, 0, photo.height, strip);
                return PlaceCachedPhoto(album, static_cast<int>(i), strip, x, top);
            },
            slot->strip);
        if (status != kOk) return JoinFailure(status, QV_SITE(kModule));
        for (PhotoRecord& record : photos) record.block.DropPixels();
        return kOk;
    }
    // Any album but one with effects lets its photos go once they are in
    // the strip.
    const Status status = JoinPhotos(
        photos, slot->stitchMode, effectBits,
        EffectsRebuildFromPhotos(slot->effectsEnabled) ? PhotoPixelsAfterJoin::kKeep : PhotoPixelsAfterJoin::kRelease,
        slot->strip);
    if (status != kOk) return JoinFailure(status, QV_SITE(kModule));
    return kOk;
}

void LetPhotosGo(int album) {
    if (gDisplayState == nullptr || album < 0 || album >= kAlbumCount) return;
    AlbumSlot& slot = gDisplayState->albums[album];
    if (!slot.strip.Empty() && EffectsRebuildFromPhotos(slot.effectsEnabled)) return;
    for (PhotoRecord& record : slot.photos) record.block.Release();
}

Status BeginEffectRebuild(int album, int effectBits) {
    AlbumSlot* slot = nullptr;
    if (const Status status = AlbumToJoin(album, &slot); status != kOk) return status;
    if (slot->rebuild.Running())
        if (const Status status = ContinueStripRebuild(PhotosOf(*slot), slot->stitchMode, slot->strip, slot->rebuild,
                                                       std::numeric_limits<std::int64_t>::max(), {});
            status != kOk)
            return JoinFailure(status, QV_SITE(kModule));
    if (const Status status =
            BeginStripRebuild(PhotosOf(*slot), slot->stitchMode, slot->strip, effectBits, slot->rebuild);
        status != kOk)
        return JoinFailure(status, QV_SITE(kModule));
    return kOk;
}

Status ContinueEffectRebuild(int album, ColumnSpan shown) {
    AlbumSlot* slot = nullptr;
    if (const Status status = AlbumToJoin(album, &slot); status != kOk) return status;
    if (const Status status = ContinueStripRebuild(PhotosOf(*slot), slot->stitchMode, slot->strip, slot->rebuild,
                                                   kRebuildSlicePixels, shown);
        status != kOk)
        return JoinFailure(status, QV_SITE(kModule));
    return kOk;
}

}  // namespace quorvel
