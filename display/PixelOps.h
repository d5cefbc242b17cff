// Row helpers for 24-bit pixel blocks and the blank trimming of texts.
#pragma once
#include <cstdint>
#include <string>

namespace quorvel {

// Copies rowCount rows of rowBytes bytes from source into destination, the
// last source row first: top-down pixels become the bottom-up rows of a BMP
// file and back. Destination may be the source itself. Nothing happens
// without a block or with rowBytes or rowCount of 0 or less.
void ReverseRows(std::int32_t rowBytes, std::int32_t rowCount, std::uint8_t* destination,
                 const std::uint8_t* source);

// Writes each of rowCount rows (pixelsPerRow pixels of 3 bytes, rows packed)
// of source into destination with its pixels in reverse order: a left-right
// mirror. Destination may be the source itself. Nothing happens without a
// block or with pixelsPerRow or rowCount of 0 or less.
void MirrorRows(std::int32_t pixelsPerRow, std::int32_t rowCount, std::uint8_t* destination,
                const std::uint8_t* source);

// Remove blanks and tabs, in place: at the start, or at both ends.
void TrimLeading(std::u16string& text);
void TrimBoth(std::u16string& text);

}  // namespace quorvel
