// A photo's size as its file's header states it, read before the photo is
// decoded, so that a photo too big to hold is refused before the decoder
// tries to hold it.
#pragma once
#include <cstdint>

#include "imaging/BitmapCache.h"

namespace quorvel {

struct PhotoHeaderSize {
    bool known = false;  // false: not a PNG, JPEG, GIF, BMP or TIFF file, or cut before the size
    std::int64_t width = 0;
    std::int64_t height = 0;
};

// The size a PNG, JPEG, GIF, BMP or TIFF file states: a JPEG's first frame
// header, wherever its segments put it; the larger of a GIF's screen and its
// first picture; a TIFF's first directory (the picture a decoder shows).
// Only the few bytes it needs are read, in small windows, skipping over
// segments and blocks; any other file gives an unknown size.
PhotoHeaderSize SizeFromPhotoHeader(ByteSource& file);

// The most pixels one photo may have: 256 megapixels (768 MB at 24 bits),
// beyond any camera's photo and most stitched panoramas. An album joins
// its photos into one strip, so a bigger one would leave nothing for it.
constexpr std::int64_t kLargestPhotoPixels = 256LL * 1024 * 1024;

// True when the header states more than kLargestPhotoPixels, or no size at
// all: a photo whose size is unknown could have any size, so it is refused
// too rather than decoded whole.
bool PhotoSizeRefused(const PhotoHeaderSize& size);

}  // namespace quorvel
