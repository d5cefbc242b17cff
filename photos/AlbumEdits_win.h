// The edits the Photos panel makes to an album: the geometric tools on its
// decoded photos, made lasting by rewriting each changed photo's copy in the
// album's bitmap cache (the panel wraps them with its wait cursor, question,
// busy mark and preview refresh); deleting a photo for good, moving one
// along the album's order, and filling in the EXIF items of a photo it shows.
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

// Deletes photo `photo` of album `album` for good: its cache copy, then the
// photo file of the album's own type with the cache copy's name (a file of
// the same name and another type, such as a camera's RAW file, stays), then
// its record, pixels and properties. kErrLastPhoto (shown by the caller) for an
// album's only photo; kErrDeleteFile when a file cannot be deleted; kErrFindFirstFile when the
// photo file has gone; kErrInvalidArgument for a selection out of range.
[[nodiscard]] Status DeleteAlbumPhoto(int album, int photo);

// Reads the EXIF items and date taken of photo `photo` of album `album` from
// its photo file into its record. A photo file that cannot be opened as a
// picture leaves the record as it is, as decoding would; kErrMemory no memory;
// kErrInvalidArgument for a selection out of range.
[[nodiscard]] Status ReadAlbumPhotoItems(int album, int photo);

// Swaps photo `photo` with its neighbour in `direction` (-1 towards the
// start, +1 towards the end) and keeps the album's new order in the settings
// file, so the display joins the photos that way. *moved receives the
// photo's place afterwards (its old place when it has no such neighbour, or
// when the order cannot be written: the swap is then undone).
[[nodiscard]] Status ShiftAlbumPhoto(int album, int photo, int direction, int* moved);

}  // namespace quorvel
