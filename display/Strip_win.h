// Building an album's photo strip from the photos decoded into its slot.
#pragma once
#include "base/ErrorCodes.h"

namespace quorvel {

// Joins the album's decoded photos into its strip in the album's stitch mode,
// recoloured by the playback effect of effectBits (0 none). The photos'
// pixels are let go once they are in the strip. A failure returns its code
// with the detail "JoinBitmaps Exception raised:" and its text.
[[nodiscard]] Status JoinPhotos(int album, int effectBits);

}  // namespace quorvel
