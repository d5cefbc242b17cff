#include "app/AlbumStep_win.h"

#include <algorithm>
#include <cwchar>
#include <vector>

#include "display/DisplayState_win.h"
#include "base/ErrorReporter_win.h"
#include "imaging/Decode_win.h"
#include "display/Monitors_win.h"
#include "strip/Strip_win.h"
#include "storage/Folders_win.h"
#include "storage/Settings_win.h"
#include "storage/Storage_win.h"
#include "ui/AlbumFolders_win.h"
#include "res/resource.h"

namespace quorvel {

namespace {

Status DecodeSlot(int album, PhotoPixels pixels) {
    return DecodeAlbum(gDisplayState->albums[album], ReadPhotoOrder(album), PhotoItems::kSkip, pixels);
}

// An album none of whose photos can be shown gives way to the default album,
// as an album without photos does.
Status DecodeShownAlbum(int album, PhotoPixels pixels) {
    const Status s = DecodeSlot(album, pixels);
    if (s != kErrMissingPhotos) return s;
    gErrorLocation = {};
    if (Status d = CreateDefaultAlbum(album); d != kOk) return d;
    if (Status d = PrepareAlbumSlot(album); d != kOk) return d;
    return DecodeSlot(album, pixels);
}

}  // namespace

Status PrepareAlbumSlot(int album) {
    int count = 0, type = 0;
    if (Status s = PrepareAlbumFolder(album, &count, &type); s != kOk) return s;
    AlbumSlot& slot = gDisplayState->albums[album];
    wcsncpy(slot.folderName, gUserSettings->albumFolderName[album], kAlbumFolderChars - 1);
    slot.folderName[kAlbumFolderChars - 1] = L'\0';
    // A slot holds 70 photo records; the album keeps its first 70 in
    // directory order.
    if (count > kMaxPhotos) WarnTooManyPhotos(slot.folderName, count);
    slot.photoCount = std::min(count, kMaxPhotos);
    slot.photoType = static_cast<std::int16_t>(type);
    return kOk;
}

Status PrepareAlbums() {
    if (Status s = SettleAlbumsRoot(); s != kOk) return s;
    for (int album = 0; album < kAlbumCount; ++album)
        if (Status s = PrepareAlbumSlot(album); s != kOk) return s;
    // The mapping comes first so that only the albums shown are decoded:
    // album 1 always, album 2 when a monitor shows it. An album nobody sees
    // holds no pixels; the Photos panel decodes it when asked.
    TakeMonitorSettings();
    if (Status s = MapAlbumsToMonitors(); s != kOk) return s;
    // Decoded before the settings' stitch mode is copied into the slot, so
    // the mode a size or orientation mismatch sets lasts only for albums
    // decoded later, by the panels.
    for (int album = 0; album < kAlbumCount; ++album) {
        if (album == 0 || gDisplayState->albums[album].inUse) {
            // Only the sizes, unless the album's effects rebuild its strip
            // from the photos: the join reads the cache into the strip.
            const PhotoPixels pixels =
                EffectsRebuildFromPhotos(gUserSettings->effects[album]) ? PhotoPixels::kHold : PhotoPixels::kSizesOnly;
            if (Status s = DecodeShownAlbum(album, pixels); s != kOk) return s;
        } else {
            ReleaseAlbumPixels(gDisplayState->albums[album]);
        }
    }
    // The photos left out are in the error log; the program and the
    // settings screen also name them once, the saver never stops for a box.
    const std::vector<RefusedPhoto> refused = TakeUntoldRefusedPhotos();
    if (gMode.role != Role::kSaver && gMode.role != Role::kPreview)
        TellRefusedPhotos(nullptr, IDS_PHOTOS_LEFT_OUT, refused);
    // Font defaults and the albums' font colours; the albums' effect codes
    // and stitch modes.
    FixSettingsDefaults();
    TakeAlbumSettings();
    if (Status s = PrepareMattings(); s != kOk) return s;
    // The boards are settled only now, so the tiles come last. The saver
    // opens no panel, so an album it does not show needs no tile.
    const bool showsOnly = gMode.role == Role::kSaver || gMode.role == Role::kPreview;
    for (int album = 0; album < kAlbumCount; ++album)
        if (album == 0 || gDisplayState->albums[album].inUse || !showsOnly)
            if (Status s = LoadMattingTile(album, gDisplayState->albums[album].mattingThumbnail); s != kOk) return s;
    return PrepareTempFolder();
}

Status RunFirstTimeSetup() {
    if (Status s = CopyCommonToUser(); s != kOk) return s;
    return PrepareAlbums();
}

}  // namespace quorvel
