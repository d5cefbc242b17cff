// Building an album's photo strip from its decoded photos.
#pragma once
#include <cstdint>

#include "base/ErrorCodes.h"
#include "base/PixelBlock.h"
#include "imaging/Decode_win.h"
#include "strip/StripRebuild.h"
#include "strip/StripRebuildState.h"

namespace quorvel {

// An album joined into its strip: its decoded photos, the strip, a rebuild
// of the strip with a playback effect while one runs, and the album's
// effects: those enabled and those the cycle has applied.
struct AlbumStrip : AlbumPhotos {
    PixelBlock strip;
    StripRebuildState rebuild;
    std::int16_t effectsEnabled = 0;
    std::int16_t effectsApplied = 0;
};

// Joins the album's decoded photos into its strip in the album's stitch mode,
// recoloured by the playback effect of effectBits (0 none). The photos'
// pixels are let go once they are in the strip. A failure returns its code
// with the detail "JoinBitmaps Exception raised:" and its text.
[[nodiscard]] Status JoinPhotos(AlbumStrip& album, int effectBits);

// The playback-effect cycle rebuilds the strip from the photos after every
// fifth turn, so an album with effects enabled keeps its photos' pixels.
bool EffectsRebuildFromPhotos(int effectsEnabled);

// Frees the pixels of the album's decoded photos, unless the album's strip
// is rebuilt from them (effects enabled); what decoded them (the Photos
// panel) is done with them.
void LetPhotosGo(AlbumStrip& album);

// Frees the album's photos and strip but keeps what its folder scan found
// (photo count and type): an album no monitor shows holds no pixels.
void ReleaseAlbumPixels(AlbumStrip& album);

// The playback-effect rebuild, a slice per tick (strip/StripRebuild.h):
// Begin starts it with effectBits, finishing one still running first;
// Continue recolours the next slice around the columns the frame shows.
// Failures carry the same detail as JoinPhotos'.
[[nodiscard]] Status BeginEffectRebuild(AlbumStrip& album, int effectBits);
[[nodiscard]] Status ContinueEffectRebuild(AlbumStrip& album, ColumnSpan shown);

}  // namespace quorvel
