// Reading a decoded photo's property items out of GDI+, with the photo file
// itself as the fallback for the EXIF items GDI+ leaves out.
#pragma once
#include <windows.h>
// GDI+ needs the COM property types that a lean windows.h leaves out.
#include <objidl.h>
#include <gdiplus.h>

#include "base/ErrorCodes.h"
#include "imaging/PhotoRecord.h"
#include "imaging/PhotoProperties.h"

namespace quorvel {

// Replaces the record's property items with every item of the open image,
// in GDI+'s order, and sets its date taken. A GDI+ failure stays the image's
// last status and leaves the photo without items; no memory gives kErrMemory.
// When GDI+ hands out no EXIF directory (Wine gives none for JPEG files and
// only the first directory of TIFF files), a JPEG or TIFF photo file at
// `path` is read as well and the items GDI+ did not give are added after
// its own; other files are not read again.
[[nodiscard]] Status ReadPhotoProperties(Gdiplus::Image& image, PhotoRecord& record, const wchar_t* path);

// The same for a photo not decoded here: the file at `path` is opened for
// its items alone. A file GDI+ cannot open leaves the record as it was.
[[nodiscard]] Status ReadPhotoFileProperties(const wchar_t* path, PhotoRecord& record);

}  // namespace quorvel
