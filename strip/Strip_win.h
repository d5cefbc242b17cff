// Building an album's photo strip from the photos decoded into its slot.
#pragma once
#include "base/ErrorCodes.h"
#include "strip/StripRebuild.h"

namespace quorvel {

// Joins the album's decoded photos into its strip in the album's stitch mode,
// recoloured by the playback effect of effectBits (0 none). The photos'
// pixels are let go once they are in the strip. A failure returns its code
// with the detail "JoinBitmaps Exception raised:" and its text.
[[nodiscard]] Status JoinPhotos(int album, int effectBits);

// The playback-effect cycle rebuilds the strip from the photos after every
// fifth turn, so an album with effects enabled keeps its photos' pixels.
bool EffectsRebuildFromPhotos(int effectsEnabled);

// Frees the pixels of the album's decoded photos, unless the album's strip
// is rebuilt from them (effects enabled); what decoded them (the Photos
// panel) is done with them.
void LetPhotosGo(int album);

// The playback-effect rebuild, a slice per tick (strip/StripRebuild.h):
// Begin starts it with effectBits, finishing one still running first;
// Continue recolours the next slice around the columns the frame shows.
// Failures carry the same detail as JoinPhotos'.
[[nodiscard]] Status BeginEffectRebuild(int album, int effectBits);
[[nodiscard]] Status ContinueEffectRebuild(int album, ColumnSpan shown);

}  // namespace quorvel
