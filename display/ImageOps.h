// The geometric changes the Photos panel makes to an album's photos: quarter
// turns, flips and halving. Each builds a new block and leaves its source as
// it was.
#pragma once
#include <cstdint>

#include "base/ErrorCodes.h"
#include "base/PixelBlock.h"

namespace quorvel {

enum TransformKind : int {
    kRotateLeft = 1,      // counter-clockwise quarter turn
    kRotateRight = 2,     // clockwise quarter turn
    kFlipVertical = 3,    // top to bottom
    kFlipHorizontal = 4,  // left to right
};

// Old pixel (row i, column j) goes to new (row W - 1 - j, column i); the
// result is H wide and W high.
PixelBlock RotateLeft(const PixelBlock& photo);
// Old pixel (row i, column j) goes to new (row j, column H - 1 - i).
PixelBlock RotateRight(const PixelBlock& photo);
// New row r is old row H - 1 - r.
PixelBlock FlipVertical(const PixelBlock& photo);
// New pixel c of each row is old pixel W - 1 - c.
PixelBlock FlipHorizontal(const PixelBlock& photo);
// W / 2 x H / 2 pixels: new (row k, column m) is old (row 2k, column 2m).
PixelBlock Halve(const PixelBlock& photo);

// The block-replacing forms the panel uses: the photo gets the transformed
// (or halved) pixels, every one of them (the cache writes rows of any
// width), or stays unchanged on failure. An empty photo is left alone (0).
// Unknown kind: 10001; no memory: 10034; a half with no pixels: 10053.
[[nodiscard]] Status TransformPixels(PixelBlock& photo, int kind);
[[nodiscard]] Status HalvePixels(PixelBlock& photo);

// True when HalvePixels would leave the photo's smaller side at
// `smallestSide` pixels or more, or would leave it alone.
bool HalfKeepsSide(const PixelBlock& photo, std::int32_t smallestSide);

}  // namespace quorvel
