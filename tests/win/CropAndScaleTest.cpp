#include "imaging/CropAndScale_win.h"

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace quorvel {
namespace {

using Colour = std::array<std::uint8_t, 3>;  // blue, green, red
constexpr Colour kRed = {0, 0, 255}, kGreen = {0, 255, 0}, kBlue = {255, 0, 0}, kCyan = {255, 255, 0};

PixelBlock Painted(std::int32_t width, std::int32_t height, Colour (*paint)(int row, int column)) {
    PixelBlock block = PixelBlock::Make(width, height);
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c) {
            Colour colour = paint(r, c);
            std::copy(colour.begin(), colour.end(), block.Row(r) + 3 * c);
        }
    return block;
}

Colour At(const std::vector<std::uint8_t>& picture, std::int32_t width, int row, int column) {
    const std::uint8_t* p = picture.data() + row * ScaledRowBytes(width) + 3 * column;
    return {p[0], p[1], p[2]};
}

class CropAndScaling : public ::testing::Test {
protected:
    void SetUp() override {
        Gdiplus::GdiplusStartupInput input;
        ASSERT_EQ(Gdiplus::GdiplusStartup(&token_, &input, nullptr), Gdiplus::Ok);
    }
    void TearDown() override { Gdiplus::GdiplusShutdown(token_); }

    std::vector<std::uint8_t> Scaled(const PixelBlock& source, std::int32_t width, std::int32_t height,
                                     double percent) {
        std::vector<std::uint8_t> out(ScaledBytes(width, height), 0xEE);
        EXPECT_EQ(CropAndScale(source, width, height, percent, out.data(), out.size()), kOk);
        return out;
    }

private:
    ULONG_PTR token_ = 0;
};

TEST_F(CropAndScaling, HalfOfAPictureIsItsCentredRegion) {
    // 100 x 60: green exactly on the centred 50 x 30 region at column 25,
    // row 15, red around it; its corners carry blue and cyan marks.
    const PixelBlock source = Painted(100, 60, [](int r, int c) {
        if (r < 15 || r >= 45 || c < 25 || c >= 75) return kRed;
        if (r == 15 && c == 25) return kBlue;
        if (r == 44 && c == 74) return kCyan;
        return kGreen;
    });
    const std::vector<std::uint8_t> same = Scaled(source, 50, 30, 50);
    EXPECT_EQ(At(same, 50, 0, 0), kBlue);
    EXPECT_EQ(At(same, 50, 29, 49), kCyan);
    int green = 0;
    for (int r = 0; r < 30; ++r)
        for (int c = 0; c < 50; ++c) {
            Colour colour = At(same, 50, r, c);
            EXPECT_EQ(colour[2], 0) << "red leaked in at " << r << "," << c;
            green += colour == kGreen;
        }
    EXPECT_EQ(green, 50 * 30 - 2);

    // Shrunk to 20 x 12 the region stays free of the red around it.
    const std::vector<std::uint8_t> small = Scaled(source, 20, 12, 50);
    for (int r = 0; r < 12; ++r)
        for (int c = 0; c < 20; ++c) EXPECT_EQ(At(small, 20, r, c)[2], 0) << r << "," << c;
}

TEST_F(CropAndScaling, WholePicturesAreScaledWithPaddedRows) {
    // Left half red, right half blue, scaled from 40 x 20 to 5 x 2 and 81 x 10:
    // rows of 15 and 243 bytes are padded to 16 and 244.
    const PixelBlock source = Painted(40, 20, [](int, int c) { return c < 20 ? kRed : kBlue; });
    const std::vector<std::uint8_t> tiny = Scaled(source, 5, 2, 100);
    ASSERT_EQ(tiny.size(), 32u);
    EXPECT_EQ(At(tiny, 5, 1, 0), kRed);
    EXPECT_EQ(At(tiny, 5, 1, 4), kBlue);
    const std::vector<std::uint8_t> wide = Scaled(source, 81, 10, 100);
    for (int r = 0; r < 10; ++r) {
        EXPECT_EQ(At(wide, 81, r, 3), kRed) << r;
        EXPECT_EQ(At(wide, 81, r, 36), kRed) << r;
        EXPECT_EQ(At(wide, 81, r, 44), kBlue) << r;
        EXPECT_EQ(At(wide, 81, r, 78), kBlue) << r;
    }

    // A 5-pixel-wide source (15-byte rows, which GDI+ cannot wrap) gives its
    // own pixels back at its own size.
    const PixelBlock narrow = Painted(5, 3, [](int r, int c) {
        return Colour{std::uint8_t(40 * r), std::uint8_t(50 * c), 77};
    });
    const std::vector<std::uint8_t> copy = Scaled(narrow, 5, 3, 100);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 5; ++c)
            EXPECT_EQ(At(copy, 5, r, c), (Colour{std::uint8_t(40 * r), std::uint8_t(50 * c), 77}));
}

TEST_F(CropAndScaling, RefusesBadArgumentsAndLeavesTheDestination) {
    const PixelBlock source = Painted(8, 8, [](int, int) { return kGreen; });
    std::vector<std::uint8_t> out(ScaledBytes(4, 4), 0xEE);
    const std::vector<std::uint8_t> untouched = out;
    EXPECT_EQ(CropAndScale(PixelBlock{}, 4, 4, 100, out.data(), out.size()), kErrInvalidArgument);
    EXPECT_EQ(CropAndScale(source, 4, 4, 100, nullptr, out.size()), kErrInvalidArgument);
    EXPECT_EQ(CropAndScale(source, 0, 4, 100, out.data(), out.size()), kErrInvalidArgument);
    EXPECT_EQ(CropAndScale(source, 4, -1, 100, out.data(), out.size()), kErrInvalidArgument);
    EXPECT_EQ(CropAndScale(source, 4, 4, 0, out.data(), out.size()), kErrInvalidArgument);
    EXPECT_EQ(CropAndScale(source, 4, 4, 100.5, out.data(), out.size()), kErrInvalidArgument);
    EXPECT_EQ(CropAndScale(source, 4, 4, 100, out.data(), out.size() - 1), kErrInvalidArgument);
    PixelBlock noRows = source;
    noRows.rowBytes = 0;
    EXPECT_EQ(CropAndScale(noRows, 4, 4, 100, out.data(), out.size()), kErrInvalidArgument);
    PixelBlock shortBlock = source;
    shortBlock.pixels.resize(shortBlock.pixels.size() - 1);
    EXPECT_EQ(CropAndScale(shortBlock, 4, 4, 100, out.data(), out.size()), kErrInvalidArgument);
    EXPECT_EQ(out, untouched);
}

}  // namespace
}  // namespace quorvel
