// The viewport's place in an album window's frame: 32-bit pixels (blue,
// green, red, 0) inside a larger top-down bitmap whose memory GDI shares (a
// DIB section), so a pan step writes what the window shows in one pass. The
// record only points: the pixels belong to the bitmap.
#pragma once
#include <cstddef>
#include <cstdint>

namespace quorvel {

struct FramePixels {
    std::uint8_t* pixels = nullptr;  // the window's top-left pixel
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t rowBytes = 0;  // a row of the whole bitmap: at least 4 x width

    bool Empty() const { return pixels == nullptr || width <= 0 || height <= 0; }
    std::uint8_t* Row(std::int32_t y) const { return pixels + static_cast<std::size_t>(y) * rowBytes; }
};

}  // namespace quorvel
