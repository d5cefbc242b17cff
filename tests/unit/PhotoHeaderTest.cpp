// The size a photo file's header states, read before decoding so that a
// photo too big to hold is refused first.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "display/PhotoHeader.h"

using namespace quorvel;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Png(std::uint32_t w, std::uint32_t h) {
    Bytes b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    for (std::uint32_t v : {w, h})
        for (int shift = 24; shift >= 0; shift -= 8) b.push_back(std::uint8_t(v >> shift));
    return b;
}

// A JPEG whose frame header follows an APP1 block of `app1` bytes.
Bytes Jpeg(std::uint16_t w, std::uint16_t h, std::size_t app1) {
    Bytes b = {0xFF, 0xD8, 0xFF, 0xE1, std::uint8_t((app1 + 2) >> 8), std::uint8_t(app1 + 2)};
    b.insert(b.end(), app1, 0xFF);  // marker-like bytes inside the block must be skipped
    b.insert(b.end(), {0xFF, 0xFF, 0xC2, 0, 17, 8, std::uint8_t(h >> 8), std::uint8_t(h), std::uint8_t(w >> 8),
                       std::uint8_t(w), 3});
    return b;
}

PhotoHeaderSize Size(const Bytes& b) { return SizeFromPhotoHeader(b); }

}  // namespace

TEST(PhotoHeader, EachFormatStatesItsSize) {
    const PhotoHeaderSize png = Size(Png(20000, 20000));
    EXPECT_TRUE(png.known);
    EXPECT_EQ(png.width, 20000);
    EXPECT_EQ(png.height, 20000);
    const PhotoHeaderSize jpeg = Size(Jpeg(6000, 4000, 30000));
    EXPECT_TRUE(jpeg.known);
    EXPECT_EQ(jpeg.width, 6000);
    EXPECT_EQ(jpeg.height, 4000);
    const PhotoHeaderSize gif = Size({'G', 'I', 'F', '8', '9', 'a', 0x20, 0x03, 0x58, 0x02});
    EXPECT_EQ(gif.width, 800);
    EXPECT_EQ(gif.height, 600);
    Bytes bmp(26, 0);
    bmp[0] = 'B', bmp[1] = 'M', bmp[14] = 40, bmp[18] = 0x10, bmp[19] = 0x27;  // 10000 wide
    bmp[22] = 0x18, bmp[23] = 0xFC, bmp[24] = 0xFF, bmp[25] = 0xFF;            // -1000: rows top first
    EXPECT_EQ(Size(bmp).width, 10000);
    EXPECT_EQ(Size(bmp).height, 1000);
}

TEST(PhotoHeader, ACutOrUnknownHeadStatesNothing) {
    Bytes cut = Jpeg(6000, 4000, 30000);
    cut.resize(cut.size() - 3);
    EXPECT_FALSE(Size(cut).known);
    Bytes png = Png(1, 1);
    png.pop_back();
    EXPECT_FALSE(Size(png).known);
    Bytes negative(26, 0);  // a BMP head whose width field reads as negative
    negative[0] = 'B', negative[1] = 'M', negative[14] = 40, negative[21] = 0x99;
    EXPECT_FALSE(Size(negative).known);
    EXPECT_FALSE(Size({'I', 'I', 42, 0, 8, 0, 0, 0}).known);  // TIFF: left to the decoder
    EXPECT_FALSE(Size({}).known);
    EXPECT_FALSE(PhotoTooLarge(Size({})));
}

TEST(PhotoHeader, OnlyPhotosBeyond256MegapixelsAreTooLarge) {
    EXPECT_TRUE(PhotoTooLarge(Size(Png(20000, 20000))));
    EXPECT_FALSE(PhotoTooLarge(Size(Png(16384, 16384))));
    EXPECT_TRUE(PhotoTooLarge(Size(Png(16384, 16385))));
    EXPECT_TRUE(PhotoTooLarge(Size(Png(0xFFFFFFFF, 0xFFFFFFFF))));
}
