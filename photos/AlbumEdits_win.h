// Changes to an album's list of photos that the Photos panel makes: deleting
// a photo for good and moving one along the album's order.
#pragma once
#include "base/ErrorCodes.h"

namespace quorvel {

// Deletes photo `photo` of album `album` for good: its cache copy, then the
// photo file of the album's own type with the cache copy's name (a file of
// the same name and another type, such as a camera's RAW file, stays), then
// its record, pixels and properties. 10044 (shown by the caller) for an
// album's only photo; 10045 when a file cannot be deleted; 10015 when the
// photo file has gone; 10001 for a selection out of range.
[[nodiscard]] Status DeleteAlbumPhoto(int album, int photo);

// Swaps photo `photo` with its neighbour in `direction` (-1 towards the
// start, +1 towards the end) and keeps the album's new order in the settings
// file, so the display joins the photos that way. *moved receives the
// photo's place afterwards (its old place when it has no such neighbour).
[[nodiscard]] Status ShiftAlbumPhoto(int album, int photo, int direction, int* moved);

}  // namespace quorvel
