#include "imaging/ImageOps.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace quorvel {
namespace {

// Every pixel tells where it came from: blue = row, green = column.
PixelBlock Labelled(std::int32_t width, std::int32_t height) {
    PixelBlock photo = PixelBlock::Make(width, height);
    for (std::int32_t r = 0; r < height; ++r)
        for (std::int32_t c = 0; c < width; ++c) {
            std::uint8_t* p = photo.Row(r) + 3 * c;
            p[0] = static_cast<std::uint8_t>(r);
            p[1] = static_cast<std::uint8_t>(c);
            p[2] = 0x5A;
        }
    return photo;
}

PixelBlock Random(std::int32_t width, std::int32_t height, unsigned seed) {
    PixelBlock photo = PixelBlock::Make(width, height);
    std::mt19937 engine(seed);
    for (auto& byte : photo.pixels) byte = static_cast<std::uint8_t>(engine());
    return photo;
}

// (old row, old column) of the pixel at (row, column).
std::pair<int, int> Origin(const PixelBlock& photo, int row, int column) {
    const std::uint8_t* p = photo.Row(row) + 3 * column;
    EXPECT_EQ(p[2], 0x5A);
    return {p[0], p[1]};
}

void ExpectSame(const PixelBlock& a, const PixelBlock& b) {
    EXPECT_EQ(a.width, b.width);
    EXPECT_EQ(a.height, b.height);
    EXPECT_EQ(a.rowBytes, b.rowBytes);
    EXPECT_TRUE(a.pixels == b.pixels);
}

TEST(ImageOps, RotateRightTurnsTheLeftColumnIntoTheTopRow) {
    // 4 x 2 becomes 2 x 4; its top row is the old left column read from
    // bottom to top.
    PixelBlock turned = RotateRight(Labelled(4, 2));
    ASSERT_EQ(turned.width, 2);
    ASSERT_EQ(turned.height, 4);
    EXPECT_EQ(turned.rowBytes, 6);
    EXPECT_EQ(Origin(turned, 0, 0), std::make_pair(1, 0));
    EXPECT_EQ(Origin(turned, 0, 1), std::make_pair(0, 0));
    EXPECT_EQ(Origin(turned, 3, 0), std::make_pair(1, 3));
    EXPECT_EQ(Origin(turned, 3, 1), std::make_pair(0, 3));
}

TEST(ImageOps, QuarterTurnsMoveEveryPixel) {
    const PixelBlock photo = Labelled(7, 5);
    PixelBlock right = RotateRight(photo), left = RotateLeft(photo);
    ASSERT_EQ(right.width, 5);
    ASSERT_EQ(right.height, 7);
    ASSERT_EQ(left.width, 5);
    ASSERT_EQ(left.height, 7);
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 7; ++j) {
            EXPECT_EQ(Origin(right, j, 5 - 1 - i), std::make_pair(i, j));
            EXPECT_EQ(Origin(left, 7 - 1 - j, i), std::make_pair(i, j));
        }
}

TEST(ImageOps, FlipsMirrorRowsAndColumns) {
    const PixelBlock photo = Labelled(3, 2);
    PixelBlock vertical = FlipVertical(photo), horizontal = FlipHorizontal(photo);
    ASSERT_EQ(vertical.width, 3);
    ASSERT_EQ(horizontal.height, 2);
    EXPECT_EQ(Origin(vertical, 0, 0), std::make_pair(1, 0));
    EXPECT_EQ(Origin(vertical, 1, 2), std::make_pair(0, 2));
    EXPECT_EQ(Origin(horizontal, 0, 0), std::make_pair(0, 2));
    EXPECT_EQ(Origin(horizontal, 1, 2), std::make_pair(1, 0));
    EXPECT_EQ(Origin(horizontal, 1, 1), std::make_pair(1, 1));
}

TEST(ImageOps, FourTurnsOrTwoFlipsGiveTheStartBack) {
    const PixelBlock start = Random(13, 6, 1);
    PixelBlock p = start;
    for (int i = 0; i < 4; ++i) p = RotateLeft(p);
    ExpectSame(p, start);
    p = start;
    for (int i = 0; i < 4; ++i) p = RotateRight(p);
    ExpectSame(p, start);
    ExpectSame(RotateLeft(RotateRight(start)), start);
    ExpectSame(FlipVertical(FlipVertical(start)), start);
    ExpectSame(FlipHorizontal(FlipHorizontal(start)), start);
    // Two opposite flips are a half turn.
    ExpectSame(FlipVertical(FlipHorizontal(start)), RotateRight(RotateRight(start)));
}

TEST(ImageOps, HalvingKeepsEvenRowsAndColumns) {
    // 12 x 5 gives 6 x 2 from old rows 0 and 2 and old columns 0 to 10.
    PixelBlock half = Halve(Labelled(12, 5));
    ASSERT_EQ(half.width, 6);
    ASSERT_EQ(half.height, 2);
    EXPECT_EQ(half.rowBytes, 18);
    for (int k = 0; k < 2; ++k)
        for (int m = 0; m < 6; ++m) EXPECT_EQ(Origin(half, k, m), std::make_pair(2 * k, 2 * m));
    EXPECT_TRUE(Halve(Labelled(1, 9)).Empty());
}

TEST(ImageOps, SourceRowsAreAddressedThroughTheirByteCount) {
    // The same 5 x 3 pixels with two spare bytes after every row.
    const PixelBlock packed = Random(5, 3, 2);
    PixelBlock padded;
    padded.width = 5;
    padded.height = 3;
    padded.rowBytes = 17;
    padded.pixels.assign(17 * 3, 0xEE);
    for (int r = 0; r < 3; ++r) std::copy(packed.Row(r), packed.Row(r) + 15, padded.Row(r));
    ExpectSame(RotateLeft(padded), RotateLeft(packed));
    ExpectSame(RotateRight(padded), RotateRight(packed));
    ExpectSame(FlipVertical(padded), FlipVertical(packed));
    ExpectSame(FlipHorizontal(padded), FlipHorizontal(packed));
    ExpectSame(Halve(padded), Halve(packed));
}

TEST(ImageOps, ReplacedPhotosKeepEveryPixel) {
    // An 8 x 6 photo turned right is 6 x 8, every column kept.
    PixelBlock photo = Labelled(8, 6);
    ASSERT_EQ(TransformPixels(photo, kRotateRight), kOk);
    ExpectSame(photo, RotateRight(Labelled(8, 6)));
    EXPECT_EQ(photo.rowBytes, 18);

    PixelBlock halved = Labelled(12, 5);
    ASSERT_EQ(HalvePixels(halved), kOk);
    ExpectSame(halved, Halve(Labelled(12, 5)));
    EXPECT_EQ(halved.width, 6);

    PixelBlock flipped = Random(8, 3, 3);
    const PixelBlock before = flipped;
    ASSERT_EQ(TransformPixels(flipped, kFlipHorizontal), kOk);
    ExpectSame(flipped, FlipHorizontal(before));
    ASSERT_EQ(TransformPixels(flipped, kFlipVertical), kOk);
    ExpectSame(flipped, FlipVertical(FlipHorizontal(before)));
}

TEST(ImageOps, FailedReplacementsLeaveThePhotoAlone) {
    PixelBlock narrow = Random(8, 3, 4);
    const PixelBlock before = narrow;
    EXPECT_EQ(TransformPixels(narrow, 0), kErrInvalidArgument);
    EXPECT_EQ(TransformPixels(narrow, 5), kErrInvalidArgument);
    ExpectSame(narrow, before);
    PixelBlock tiny = Random(1, 4, 5);  // half of one column is none
    const PixelBlock tinyBefore = tiny;
    EXPECT_EQ(HalvePixels(tiny), kErrImageDimension);
    ExpectSame(tiny, tinyBefore);

    PixelBlock empty;
    EXPECT_EQ(TransformPixels(empty, kRotateLeft), kOk);
    EXPECT_EQ(HalvePixels(empty), kOk);
    EXPECT_TRUE(empty.Empty());
}

// Every orientation's pixels are proved upright, from exiftool-tagged
// photos, where the cache copies are made (Decoding.TurnPhotosUpright* in
// tests/win/DecodeTest.cpp); here what that test cannot reach.
TEST(ImageOps, UndefinedOrientationsChangeNothingAndATurnKeepsAWholeCacheWidth) {
    const PixelBlock upright = Random(8, 4, 6);
    for (int undefined : {0, 9}) {
        PixelBlock photo = upright;
        ASSERT_EQ(TurnUpright(photo, undefined), kOk);
        ExpectSame(photo, upright);
    }
    // Stored turned right (orientation 8), upright 6 wide: the cache keeps
    // its left 4 columns.
    const PixelBlock narrow = Random(6, 8, 7);
    PixelBlock turned = RotateRight(narrow);
    ASSERT_EQ(TurnUpright(turned, 8), kOk);
    ASSERT_EQ(turned.width, 4);
    ASSERT_EQ(turned.height, 8);
    EXPECT_EQ(turned.rowBytes, 12);
    for (std::int32_t r = 0; r < 8; ++r) EXPECT_EQ(std::memcmp(turned.Row(r), narrow.Row(r), 12), 0) << r;
}

}  // namespace
}  // namespace quorvel
