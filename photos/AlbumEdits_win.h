// Changes to an album's list of photos that the Photos panel makes: deleting
// a photo for good, moving one along the album's order, and filling in the
// EXIF items of a photo it shows.
#pragma once
#include "base/ErrorCodes.h"

namespace quorvel {

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
