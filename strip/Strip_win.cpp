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
#include "strip/Strip.h"
#include "res/resource.h"

namespace quorvel {

namespace {

const wchar_t kModule[] = L"DecodeImage";

Status JoinFailure(Status code, ErrorSite site) {
    if (gAppState != nullptr) {
        wchar_t format[kMessageChars] = {};
        wchar_t failure[kMessageChars] = {};
        // The join's failure is the one to report: a missing format only
        // leaves the failure's own text (the site is set below, after it).
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
        return Fail(site, code, text.c_str());
    }
    return Fail(site, code);
}

// An album with photos to join.
Status CheckJoinable(const AlbumStrip& album) {
    if (gAppState == nullptr || gUserSettings == nullptr || album.photoCount <= 0 || album.photoCount > kMaxPhotos)
        return JoinFailure(kErrInvalidArgument, QV_SITE(kModule));
    return kOk;
}

std::span<PhotoRecord> PhotosOf(AlbumStrip& album) {
    return {album.photos.data(), static_cast<std::size_t>(album.photoCount)};
}

}  // namespace

bool EffectsRebuildFromPhotos(int effectsEnabled) { return (effectsEnabled & (1 | 2 | 4 | 8 | 16)) != 0; }

Status JoinPhotos(AlbumStrip& album, int effectBits) {
    if (const Status status = CheckJoinable(album); status != kOk) return status;
    album.rebuild = {};
    const std::span<PhotoRecord> photos = PhotosOf(album);
    const bool sizesOnly =
        std::any_of(photos.begin(), photos.end(), [](const PhotoRecord& r) { return r.block.pixels.empty(); });
    if (sizesOnly && effectBits == 0 && !EffectsRebuildFromPhotos(album.effectsEnabled)) {
        // Decoded for their sizes only: each cache copy goes straight into
        // its place, so the strip is the only block the join makes.
        const Status status = JoinPhotosInPlace(
            photos, album.stitchMode,
            [&](std::size_t i, PixelBlock& strip, std::size_t x, std::int32_t top) -> Status {
                const PixelBlock& photo = photos[i].block;
                if (!photo.pixels.empty()) return CopyPhotoRows(photo, 0, x, top, 0, photo.height, strip);
                return PlaceCachedPhoto(album, static_cast<int>(i), strip, x, top);
            },
            album.strip);
        if (status != kOk) return JoinFailure(status, QV_SITE(kModule));
        for (PhotoRecord& record : photos) record.block.DropPixels();
        return kOk;
    }
    // Any album but one with effects lets its photos go once they are in
    // the strip.
    const Status status = JoinPhotos(
        photos, album.stitchMode, effectBits,
        EffectsRebuildFromPhotos(album.effectsEnabled) ? PhotoPixelsAfterJoin::kKeep : PhotoPixelsAfterJoin::kRelease,
        album.strip);
    if (status != kOk) return JoinFailure(status, QV_SITE(kModule));
    return kOk;
}

void LetPhotosGo(AlbumStrip& album) {
    if (!album.strip.Empty() && EffectsRebuildFromPhotos(album.effectsEnabled)) return;
    for (PhotoRecord& record : album.photos) record.block.Release();
}

void ReleaseAlbumPixels(AlbumStrip& album) {
    for (PhotoRecord& record : album.photos) record = PhotoRecord{};
    album.strip.Release();
    album.rebuild = {};
}

Status BeginEffectRebuild(AlbumStrip& album, int effectBits) {
    if (const Status status = CheckJoinable(album); status != kOk) return status;
    if (album.rebuild.Running())
        if (const Status status = ContinueStripRebuild(PhotosOf(album), album.stitchMode, album.strip, album.rebuild,
                                                       std::numeric_limits<std::int64_t>::max(), {});
            status != kOk)
            return JoinFailure(status, QV_SITE(kModule));
    if (const Status status =
            BeginStripRebuild(PhotosOf(album), album.stitchMode, album.strip, effectBits, album.rebuild);
        status != kOk)
        return JoinFailure(status, QV_SITE(kModule));
    return kOk;
}

Status ContinueEffectRebuild(AlbumStrip& album, ColumnSpan shown) {
    if (const Status status = CheckJoinable(album); status != kOk) return status;
    if (const Status status = ContinueStripRebuild(PhotosOf(album), album.stitchMode, album.strip, album.rebuild,
                                                   kRebuildSlicePixels, shown);
        status != kOk)
        return JoinFailure(status, QV_SITE(kModule));
    return kOk;
}

}  // namespace quorvel
