// One decoded photo of an album and the EXIF properties read with it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "base/PixelBlock.h"

namespace quorvel {

// One EXIF/TIFF property as the decoder returns it: tag id, TIFF type and
// the raw value bytes (little-endian, as GDI+ gives them).
struct PropertyItem {
    std::uint32_t id = 0;
    std::uint16_t type = 0;
    std::vector<std::uint8_t> value;
};

// The smaller side of an album photo must be at least this many pixels
// (fewer in the preview of the screen-saver settings).
constexpr std::int32_t kSmallestPhotoSide = 100;
constexpr std::int32_t kSmallestPreviewPhotoSide = 20;

struct PhotoRecord {
    // The photo's file name while decoding; afterwards the name of its cache
    // file (extension replaced by "BMP").
    std::u16string fileName;
    PixelBlock block;
    std::int32_t heightDiffers = 0;
    std::int32_t widthDiffers = 0;
    std::int32_t portraitAmongLandscape = 0;
    std::vector<PropertyItem> properties;
    // Capture time from the photo's properties, as mktime reads it under the
    // system's summer-time rule; 0 when the photo has none.
    std::int64_t dateTaken = 0;
    std::int64_t fileTime = 0;  // local time as mktime reads it
    std::int64_t fileSize = 0;
};

}  // namespace quorvel
