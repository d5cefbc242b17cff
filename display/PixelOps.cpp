#include "display/PixelOps.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace quorvel {

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

void SwapPixels(std::uint8_t* a, std::uint8_t* b) {
    std::swap(a[0], b[0]);
    std::swap(a[1], b[1]);
    std::swap(a[2], b[2]);
}

}  // namespace

void ReverseRows(std::int32_t rowBytes, std::int32_t rowCount, std::uint8_t* destination,
                 const std::uint8_t* source) {
    if (destination == nullptr || source == nullptr || rowBytes <= 0 || rowCount <= 0) return;
    const std::size_t stride = static_cast<std::size_t>(rowBytes);
    if (destination == source) {
        // Copying in place would overwrite the rows of the bottom half before
        // they are read, so the rows are swapped pairwise instead.
        for (std::int32_t top = 0, bottom = rowCount - 1; top < bottom; ++top, --bottom)
            std::swap_ranges(destination + top * stride, destination + (top + 1) * stride,
                             destination + bottom * stride);
        return;
    }
    for (std::int32_t row = 0; row < rowCount; ++row)
        std::memcpy(destination + row * stride, source + (rowCount - 1 - row) * stride, stride);
}

void MirrorRows(std::int32_t pixelsPerRow, std::int32_t rowCount, std::uint8_t* destination,
                const std::uint8_t* source) {
    if (destination == nullptr || source == nullptr || pixelsPerRow <= 0 || rowCount <= 0) return;
    const std::size_t stride = static_cast<std::size_t>(pixelsPerRow) * 3;
    for (std::int32_t row = 0; row < rowCount; ++row) {
        std::uint8_t* out = destination + row * stride;
        const std::uint8_t* in = source + row * stride;
        if (out == in) {
            for (std::int32_t left = 0, right = pixelsPerRow - 1; left < right; ++left, --right)
                SwapPixels(out + 3 * left, out + 3 * right);
            continue;
        }
        for (std::int32_t column = 0; column < pixelsPerRow; ++column)
            std::memcpy(out + 3 * column, in + 3 * (pixelsPerRow - 1 - column), 3);
    }
}

void TrimLeading(std::u16string& text) {
    std::size_t first = 0;
    while (first < text.size() && IsBlank(text[first])) ++first;
    text.erase(0, first);
}

void TrimBoth(std::u16string& text) {
    std::size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1])) --end;
    text.erase(end);
    TrimLeading(text);
}

}  // namespace quorvel
