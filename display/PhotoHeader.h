// A photo's size as its file's header states it, read before the photo is
// decoded, so that a photo too big to hold is refused before the decoder
// tries to hold it.
#pragma once
#include <cstdint>
#include <span>

namespace quorvel {

struct PhotoHeaderSize {
    bool known = false;  // false: not a PNG, JPEG, GIF or BMP head, or cut before the size
    std::int64_t width = 0;
    std::int64_t height = 0;
};

// The size in the first bytes of a PNG, JPEG (its first frame header),
// GIF or BMP file. Other files, TIFF among them, give an unknown size.
PhotoHeaderSize SizeFromPhotoHeader(std::span<const std::uint8_t> head);

// The most pixels one photo may have: 256 megapixels (768 MB at 24 bits),
// beyond any camera's photo and most stitched panoramas. An album joins
// its photos into one strip, so a bigger one would leave nothing for it.
constexpr std::int64_t kLargestPhotoPixels = 256LL * 1024 * 1024;

// How much of a photo file SizeFromPhotoHeader is given: enough to pass a
// JPEG's EXIF block and colour profile before its frame header.
constexpr std::size_t kPhotoHeadBytes = 256 * 1024;

// True when the header states a size beyond kLargestPhotoPixels.
bool PhotoTooLarge(const PhotoHeaderSize& size);

}  // namespace quorvel
