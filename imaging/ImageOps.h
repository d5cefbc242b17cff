// The geometric changes made to an album's photos: the Photos panel's quarter
// turns, flips and halving, and the turn upright that decoding gives a photo
// by its EXIF orientation. Each builds a new block and leaves its source as
// it was.
#pragma once
#include <cstdint>
#include <vector>

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
// Unknown kind: kErrInvalidArgument; no memory: kErrMemory; a half with no pixels: kErrImageDimension.
[[nodiscard]] Status TransformPixels(PixelBlock& photo, int kind);
[[nodiscard]] Status HalvePixels(PixelBlock& photo);

// The turns and flips, in order, that bring a photo stored with EXIF
// orientation `orientation` upright. EXIF names the picture sides its first
// row and first column lie on: 1 top and left (already upright), 2 top and
// right, 3 bottom and right, 4 bottom and left, 5 left and top, 6 right and
// top, 7 right and bottom, 8 left and bottom. Other values ask for nothing.
std::vector<TransformKind> UprightSteps(int orientation);

// Turns the photo upright as UprightSteps says. A quarter turn makes the old
// height the width, which is then cut down to a multiple of 4 as decoding
// cuts it (at most 3 columns go at the right), since cache copies keep rows
// without padding. An empty photo is left alone; failures as TransformPixels,
// with the photo as it was.
[[nodiscard]] Status TurnUpright(PixelBlock& photo, int orientation);

// True when HalvePixels would leave the photo's smaller side at
// `smallestSide` pixels or more, or would leave it alone.
bool HalfKeepsSide(const PixelBlock& photo, std::int32_t smallestSide);

}  // namespace quorvel
