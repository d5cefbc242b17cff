// A block of 24-bit pixels in blue-green-red byte order, top row first,
// addressed through its row byte count. The one pixel type of the program:
// photos, the strip, the viewport and the matting tile are all PixelBlocks.
// Bottom-up rows exist only inside BMP files.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace quorvel {

struct PixelBlock {
    std::vector<std::uint8_t> pixels;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t rowBytes = 0;  // width * 3: rows carry no padding

    bool Empty() const { return width <= 0 || height <= 0 || pixels.empty(); }
    std::uint8_t* Row(std::int32_t y) { return pixels.data() + static_cast<std::size_t>(y) * rowBytes; }
    const std::uint8_t* Row(std::int32_t y) const { return pixels.data() + static_cast<std::size_t>(y) * rowBytes; }
    std::size_t Bytes() const { return static_cast<std::size_t>(rowBytes) * height; }

    // A zero-filled (black) block; an empty block for non-positive sizes.
    static PixelBlock Make(std::int32_t w, std::int32_t h) {
        PixelBlock b;
        if (w <= 0 || h <= 0) return b;
        b.width = w;
        b.height = h;
        b.rowBytes = w * 3;
        b.pixels.assign(static_cast<std::size_t>(b.rowBytes) * h, 0);
        return b;
    }
    // Frees the pixels and keeps the sizes they had (a photo whose pixels
    // are read again from its cache copy when needed).
    void DropPixels() { std::vector<std::uint8_t>().swap(pixels); }
    void Release() {
        DropPixels();
        width = height = rowBytes = 0;
    }
};

}  // namespace quorvel
