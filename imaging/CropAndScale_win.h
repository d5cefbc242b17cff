// Cuts the centred share of a picture and scales it to a given size with
// GDI+: thumbnails of the Photos panel and the Matting Boards panel.
#pragma once
#include <cstddef>
#include <cstdint>

#include "base/ErrorCodes.h"
#include "base/PixelBlock.h"

namespace quorvel {

// Bytes between the rows CropAndScale writes: 3 per pixel, rounded up to a
// multiple of 4 as in a 24-bit DIB.
constexpr std::size_t ScaledRowBytes(std::int32_t width) { return (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4; }
constexpr std::size_t ScaledBytes(std::int32_t width, std::int32_t height) {
    return ScaledRowBytes(width) * static_cast<std::size_t>(height);
}

// Writes a targetWidth x targetHeight 24-bit picture (top row first, rows
// ScaledRowBytes apart) of the centred `percent` share of source into
// destination, which must hold ScaledBytes(targetWidth, targetHeight) bytes.
// kErrInvalidArgument for missing pixels or destination, sizes of 0 or less, a percent
// not above 0 or above 100, or a destination too small; kErrGdiplus for GDI+
// failures and kErrMemory for no memory. GDI+ must be started.
[[nodiscard]] Status CropAndScale(const PixelBlock& source, std::int32_t targetWidth, std::int32_t targetHeight,
                                  double percent, std::uint8_t* destination, std::size_t destinationBytes);

}  // namespace quorvel
