// The size a photo file's header states, read before decoding so that a
// photo too big to hold, or of a size no header states, is refused first.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "imaging/PhotoHeader.h"

using namespace quorvel;

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put(Bytes& b, std::uint64_t v, int bytes, bool bigEndian) {
    for (int i = 0; i < bytes; ++i) b.push_back(std::uint8_t(v >> (8 * (bigEndian ? bytes - 1 - i : i))));
}

Bytes Png(std::uint32_t w, std::uint32_t h) {
    Bytes b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    for (std::uint32_t v : {w, h}) Put(b, v, 4, true);
    return b;
}

// A JPEG whose frame header follows an APP2 block of `bytes` bytes (a
// colour profile's).
Bytes Jpeg(std::uint16_t w, std::uint16_t h, std::size_t bytes) {
    Bytes b = {0xFF, 0xD8};
    Put(b, 0xFFE2, 2, true);
    Put(b, bytes + 2, 2, true);
    b.resize(b.size() + bytes, 0xFF);  // marker-like bytes inside the block must be skipped
    Put(b, 0xFFFFC2, 3, true);         // a fill byte, then a progressive frame header
    Put(b, 17, 2, true);
    b.push_back(8);
    Put(b, h, 2, true);
    Put(b, w, 2, true);
    b.push_back(3);
    return b;
}

// A TIFF or BigTIFF file whose first directory, after the pixels, states the
// size with shorts or longs.
Bytes Tiff(std::uint32_t w, std::uint32_t h, bool bigEndian, bool bigTiff = false, std::uint16_t type = 4) {
    Bytes b = {std::uint8_t(bigEndian ? 'M' : 'I'), std::uint8_t(bigEndian ? 'M' : 'I')};
    Put(b, bigTiff ? 43 : 42, 2, bigEndian);
    if (bigTiff) Put(b, 8, 2, bigEndian), Put(b, 0, 2, bigEndian);
    const int offsetBytes = bigTiff ? 8 : 4;
    const std::uint64_t directory = 300000;
    Put(b, directory, offsetBytes, bigEndian);
    b.resize(directory, 0x55);
    Put(b, 3, bigTiff ? 8 : 2, bigEndian);
    for (auto [tag, value] : {std::pair{254u, 0u}, {256u, w}, {257u, h}}) {
        Put(b, tag, 2, bigEndian);
        Put(b, type, 2, bigEndian);
        Put(b, 1, offsetBytes, bigEndian);
        Put(b, value, type == 3 ? 2 : 4, bigEndian);  // left-justified in its field
        b.resize(b.size() + std::size_t(offsetBytes - (type == 3 ? 2 : 4)), 0);
    }
    Put(b, 0, offsetBytes, bigEndian);
    return b;
}

PhotoHeaderSize Size(const Bytes& b) {
    MemoryByteSource source(b);
    return SizeFromPhotoHeader(source);
}

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
    const PhotoHeaderSize gif = Size(
        {'G', 'I', 'F', '8', '9', 'a', 0x20, 0x03, 0x58, 0x02, 0, 0, 0, 0x2C, 0, 0, 0, 0, 0x20, 0x03, 0x58, 0x02, 0});
    EXPECT_EQ(gif.width, 800);
    EXPECT_EQ(gif.height, 600);
    Bytes bmp(26, 0);
    bmp[0] = 'B', bmp[1] = 'M', bmp[14] = 40, bmp[18] = 0x10, bmp[19] = 0x27;  // 10000 wide
    bmp[22] = 0x18, bmp[23] = 0xFC, bmp[24] = 0xFF, bmp[25] = 0xFF;            // -1000: rows top first
    EXPECT_EQ(Size(bmp).width, 10000);
    EXPECT_EQ(Size(bmp).height, 1000);
    for (bool bigEndian : {false, true})
        for (bool bigTiff : {false, true})
            for (std::uint16_t type : {3, 4}) {
                const PhotoHeaderSize tiff = Size(Tiff(6000, 4000, bigEndian, bigTiff, type));
                EXPECT_TRUE(tiff.known) << bigEndian << bigTiff << type;
                EXPECT_EQ(tiff.width, 6000) << bigEndian << bigTiff << type;
                EXPECT_EQ(tiff.height, 4000) << bigEndian << bigTiff << type;
            }
}

TEST(PhotoHeader, StrayBytesOrAPictureBeyondTheScreenCount) {
    // Stray bytes between segments, which decoders pass over.
    Bytes stray = Jpeg(6000, 4000, 100);
    stray.insert(stray.begin() + 106, {0x00, 0x12, 0xFF, 0x00});
    EXPECT_EQ(Size(stray).height, 4000);
    // A GIF's 1 x 1 screen after a comment, with a 20000 x 20000 picture on it.
    const PhotoHeaderSize gif = Size({'G', 'I', 'F', '8', '9',  'a', 1, 0, 1, 0,    0,    0,    0,    0x21, 0xFE,
                                      2,   'h', 'i', 0,   0x2C, 0,   0, 0, 0, 0x20, 0x4E, 0x20, 0x4E, 0});
    EXPECT_TRUE(PhotoSizeRefused(gif));
    EXPECT_EQ(gif.width, 20000);
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
    Bytes tiff = Tiff(6000, 4000, false);
    tiff.resize(tiff.size() - 10);  // the height entry cut
    EXPECT_FALSE(Size(tiff).known);
    EXPECT_FALSE(Size({'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0x3B}).known);  // no picture
    EXPECT_FALSE(Size({}).known);
}

TEST(PhotoHeader, PhotosBeyond256MegapixelsOrOfUnknownSizeAreRefused) {
    EXPECT_TRUE(PhotoSizeRefused(Size(Png(20000, 20000))));
    EXPECT_FALSE(PhotoSizeRefused(Size(Png(16384, 16384))));
    EXPECT_TRUE(PhotoSizeRefused(Size(Png(16384, 16385))));
    EXPECT_TRUE(PhotoSizeRefused(Size(Png(0xFFFFFFFF, 0xFFFFFFFF))));
    EXPECT_TRUE(PhotoSizeRefused(Size(Tiff(20000, 20000, true))));
    EXPECT_TRUE(PhotoSizeRefused(Size({'I', 'I', 42, 0, 8, 0, 0, 0})));  // a TIFF without its directory
    EXPECT_TRUE(PhotoSizeRefused(Size({})));
}
