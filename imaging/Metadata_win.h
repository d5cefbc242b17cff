// Photo metadata on the Windows side: the album photos' lookup and the
// properties list's texts from the string table.
#pragma once
#include <cstdint>

#include "base/ErrorCodes.h"
#include "base/PhotoRecord.h"
#include "imaging/Metadata.h"

namespace quorvel {

// The first item with the tag of photo `photo` of album `album` (0 or 1);
// none when no display state exists, either index is out of range or the
// photo has no items.
const PropertyItem* FindPhotoProperty(int album, int photo, std::uint32_t tag);

// The list's labels, words and formats from the string table; a missing
// entry gives kErrResourceString (with its id as the error detail).
[[nodiscard]] Status LoadPropertyTexts(PropertyTexts& texts);

}  // namespace quorvel
