// The geometric tools applied to an album's decoded photos, made lasting by
// rewriting each changed photo's copy in the album's bitmap cache. The
// Photos panel wraps these with its wait cursor, question, busy mark and
// preview refresh.
#pragma once
#include "base/ErrorCodes.h"

namespace quorvel {

// Turns or flips photo `photo` of album `album` (TransformKind) and rewrites
// its cache file. Nothing is done (0) for a selection out of range or a
// photo without pixels. kErrMemory (no memory) and kErrImageDimension (nothing left after the
// width cut) leave the photo as it was; cache writing errors as the writer
// gives them.
[[nodiscard]] Status TransformAlbumPhoto(int album, int photo, int kind);

// Halves every photo of the album in order, rewriting each cache file; the
// first failure stops, and photos already halved stay halved. When any
// photo's half would be smaller than the album photos' smallest side, which
// every later start would refuse, nothing is halved: kErrPhotoTooSmall, whose text the
// caller shows.
[[nodiscard]] Status HalveAlbumPhotos(int album);

}  // namespace quorvel
