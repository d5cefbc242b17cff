// Photo metadata on the Windows side: property items out of GDI+, the album
// photos' lookup and the properties list's texts from the string table.
#pragma once
#include <windows.h>
// GDI+ needs the COM property types that a lean windows.h leaves out.
#include <objidl.h>
#include <gdiplus.h>

#include <cstdint>

#include "base/ErrorCodes.h"
#include "base/PhotoRecord.h"
#include "photos/Metadata.h"

namespace quorvel {

// Replaces the record's property items with every item of the open image,
// in GDI+'s order, and sets its date taken. A GDI+ failure stays the image's
// last status and leaves the photo without items; no memory gives 10034.
// When GDI+ hands out no EXIF directory (Wine gives none for JPEG files and
// only the first directory of TIFF files), the photo file at `path` is read
// as well and the items GDI+ did not give are added after its own.
[[nodiscard]] Status ReadPhotoProperties(Gdiplus::Image& image, PhotoRecord& record, const wchar_t* path);

// The first item with the tag of photo `photo` of album `album` (0 or 1);
// none when no display state exists, either index is out of range or the
// photo has no items.
const PropertyItem* FindPhotoProperty(int album, int photo, std::uint32_t tag);

// The list's labels, words and formats from the string table; a missing
// entry gives 10017 (with its id as the error detail).
[[nodiscard]] Status LoadPropertyTexts(PropertyTexts& texts);

}  // namespace quorvel
