// The cache file format: the exact headers, bottom-up rows, the checks of the
// reader against broken and hostile files, and agreement with ImageMagick.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "imaging/BitmapCache.h"

using namespace quorvel;

namespace {

// Every byte differs from its neighbours, so a swapped row or channel shows.
PixelBlock Pattern(std::int32_t w, std::int32_t h) {
    PixelBlock b = PixelBlock::Make(w, h);
    for (std::int32_t y = 0; y < h; ++y)
        for (std::int32_t x = 0; x < w * 3; ++x) b.Row(y)[x] = static_cast<std::uint8_t>(x * 7 + y * 31 + (x % 3) * 85);
    return b;
}

std::uint32_t U32(const std::vector<std::uint8_t>& f, std::size_t at) {
    return f[at] | (f[at + 1] << 8) | (f[at + 2] << 16) | (std::uint32_t(f[at + 3]) << 24);
}
std::uint16_t U16(const std::vector<std::uint8_t>& f, std::size_t at) {
    return std::uint16_t(f[at] | (f[at + 1] << 8));
}
void Set32(std::vector<std::uint8_t>& f, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) f[at + i] = std::uint8_t(v >> (8 * i));
}
void Set16(std::vector<std::uint8_t>& f, std::size_t at, std::uint16_t v) {
    f[at] = std::uint8_t(v);
    f[at + 1] = std::uint8_t(v >> 8);
}

std::vector<std::uint8_t> Encoded(const PixelBlock& b) {
    std::vector<std::uint8_t> file;
    EXPECT_EQ(EncodeCacheBitmap(b, &file), kOk);
    return file;
}

Status Read(const std::vector<std::uint8_t>& file, CacheBitmapInfo* info, PixelBlock* block) {
    MemoryByteSource source(file);
    return ReadCacheBitmap(source, info, block);
}

}  // namespace

TEST(CacheBitmapWriter, WritesTheExactHeadersAndTheRowsBottomFirst) {
    const PixelBlock b = Pattern(8, 3);
    const std::vector<std::uint8_t> f = Encoded(b);
    ASSERT_EQ(f.size(), 54u + 8 * 3 * 3);
    EXPECT_EQ(f[0], 'B');
    EXPECT_EQ(f[1], 'M');
    EXPECT_EQ(U32(f, 2), 54u + 72);
    EXPECT_EQ(U32(f, 6), 0u);
    EXPECT_EQ(U32(f, 10), 54u);
    EXPECT_EQ(U32(f, 14), 40u);
    EXPECT_EQ(U32(f, 18), 8u);
    EXPECT_EQ(U32(f, 22), 3u);
    EXPECT_EQ(U16(f, 26), 1u);
    EXPECT_EQ(U16(f, 28), 24u);
    EXPECT_EQ(U32(f, 30), 0u);
    EXPECT_EQ(U32(f, 34), 72u);
    for (std::size_t at = 38; at < 54; ++at) EXPECT_EQ(f[at], 0) << at;
    for (int fileRow = 0; fileRow < 3; ++fileRow)
        EXPECT_EQ(std::memcmp(f.data() + 54 + fileRow * 24, b.Row(2 - fileRow), 24), 0) << fileRow;
}

TEST(CacheBitmapWriter, RefusesBlocksItCannotWriteAsAValidFile) {
    std::vector<std::uint8_t> f;
    PixelBlock shortPixels = Pattern(8, 4);
    shortPixels.pixels.resize(shortPixels.pixels.size() - 1);
    EXPECT_EQ(EncodeCacheBitmap(shortPixels, &f), kErrInvalidArgument);
    PixelBlock wrongRowBytes = Pattern(8, 4);
    wrongRowBytes.rowBytes = 32;
    EXPECT_EQ(EncodeCacheBitmap(wrongRowBytes, &f), kErrInvalidArgument);
    EXPECT_EQ(EncodeCacheBitmap(PixelBlock{}, &f), kErrInvalidArgument);
    EXPECT_TRUE(f.empty());
}

TEST(CacheBitmapReader, ReadsWhatTheWriterWroteTopRowFirst) {
    const PixelBlock b = Pattern(1916, 8);
    const std::vector<std::uint8_t> f = Encoded(b);
    CacheBitmapInfo info;
    PixelBlock read = Pattern(4, 4);  // an old block is replaced
    ASSERT_EQ(Read(f, &info, &read), kOk);
    EXPECT_EQ(info.width, 1916);
    EXPECT_EQ(info.height, 8);
    EXPECT_EQ(info.rowBytes, 1916 * 3);
    EXPECT_EQ(read.width, 1916);
    EXPECT_EQ(read.height, 8);
    EXPECT_EQ(read.rowBytes, 1916 * 3);
    EXPECT_EQ(read.pixels, b.pixels);
}

TEST(CacheBitmapReader, GivesOnlyTheSizesWithoutABlock) {
    const std::vector<std::uint8_t> f = Encoded(Pattern(20, 666));
    CacheBitmapInfo info;
    PixelBlock block = Pattern(4, 4);
    ASSERT_EQ(Read(f, &info, nullptr), kOk);
    EXPECT_EQ(info.width, 20);
    EXPECT_EQ(info.height, 666);
    EXPECT_EQ(info.rowBytes, 60);
    EXPECT_EQ(block.width, 4);
}

TEST(CacheBitmapFile, AnyWidthAndAnySizeComeBackPixelForPixel) {
    // 150 x 3 bytes is 450, padded to 452 in the file; a 5 x 2 photo is far
    // below any old size floor.
    for (const PixelBlock& b : {Pattern(150, 3), Pattern(5, 2), Pattern(1, 1)}) {
        const std::vector<std::uint8_t> f = Encoded(b);
        const std::size_t stride = (b.width * 3 + 3) / 4 * 4;
        ASSERT_EQ(f.size(), 54 + stride * b.height) << b.width;
        EXPECT_EQ(U32(f, 2), f.size());
        EXPECT_EQ(U32(f, 34), stride * b.height);
        for (std::size_t pad = b.width * 3; pad < stride; ++pad) EXPECT_EQ(f[54 + pad], 0) << b.width;
        CacheBitmapInfo info;
        PixelBlock read;
        ASSERT_EQ(Read(f, &info, &read), kOk) << b.width;
        EXPECT_EQ(info.rowBytes, std::int32_t(stride));
        EXPECT_EQ(read.width, b.width);
        EXPECT_EQ(read.rowBytes, b.width * 3);
        EXPECT_EQ(read.pixels, b.pixels) << b.width;
    }
}

TEST(CacheBitmapReader, KeepsTopDownFilesInTheirOrderAndFindsPixelsAtTheirOffset) {
    const PixelBlock b = Pattern(40, 400);
    std::vector<std::uint8_t> f = Encoded(b);
    // Make it a top-down file with a larger (version 5) header, as other
    // programs write: 124 header bytes, the pixels at 138.
    std::vector<std::uint8_t> v5(f.begin(), f.begin() + 54);
    v5.resize(138, 0);
    Set32(v5, 10, 138);
    Set32(v5, 14, 124);
    Set32(v5, 22, static_cast<std::uint32_t>(-400));
    Set32(v5, 46, 7);  // colours used
    Set32(v5, 50, 5);  // colours important
    v5.insert(v5.end(), b.pixels.begin(), b.pixels.end());
    CacheBitmapInfo info;
    PixelBlock read;
    ASSERT_EQ(Read(v5, &info, &read), kOk);
    EXPECT_EQ(info.height, -400);
    EXPECT_EQ(info.coloursUsed, 7u);
    EXPECT_EQ(info.coloursImportant, 5u);
    EXPECT_EQ(read.height, 400);
    EXPECT_EQ(read.pixels, b.pixels);
}

TEST(CacheBitmapReader, RefusesFilesItCannotTakeWithTheirCodes) {
    const std::vector<std::uint8_t> good = Encoded(Pattern(40, 400));
    CacheBitmapInfo info;
    PixelBlock block;
    struct Case {
        const char* what;
        std::size_t at;
        int bytes;
        std::uint32_t value;
        Status code;
    };
    const Case cases[] = {
        {"signature", 0, 2, 0x4142, kErrInvalidArgument},
        {"OS/2 header", 14, 4, 12, kErrInvalidArgument},
        {"pixels inside the headers", 10, 4, 20, kErrInvalidArgument},
        {"zero width", 18, 4, 0, kErrImageDimension},
        {"negative width", 18, 4, 0xFFFFFFF0u, kErrImageDimension},
        {"zero height", 22, 4, 0, kErrImageDimension},
        {"lowest height", 22, 4, 0x80000000u, kErrImageDimension},
        {"rows wider than the file holds", 18, 4, 41, kErrDiskWrite},
        {"palette", 28, 2, 8, kErrColourTable},
        {"16 bits", 28, 2, 16, kErrBitsPerPixel},
        {"32 bits", 28, 2, 32, kErrBitsPerPixel},
        {"run lengths", 30, 4, 1, kErrBitsPerPixel},
        {"more rows than the file holds", 22, 4, 401, kErrDiskWrite},
        {"a huge picture in a small file", 18, 4, 0x7FFFFFFCu, kErrImageDimension},
        {"huge height in a small file", 22, 4, 0x7FFFFFFFu, kErrDiskWrite},
        {"pixels past the end", 10, 4, 0xFFFFFFF0u, kErrDiskWrite},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> f = good;
        if (c.bytes == 2)
            Set16(f, c.at, static_cast<std::uint16_t>(c.value));
        else
            Set32(f, c.at, c.value);
        block = Pattern(4, 4);
        EXPECT_EQ(Read(f, &info, &block), c.code) << c.what;
        EXPECT_EQ(Read(f, &info, nullptr), c.code) << c.what << " (sizes only)";
    }
    for (std::size_t length : {0u, 13u, 53u, 54u + 40 * 3 * 400 - 1}) {
        const std::vector<std::uint8_t> cut(good.begin(), good.begin() + length);
        EXPECT_EQ(Read(cut, &info, &block), kErrDiskWrite) << length;
        EXPECT_TRUE(block.Empty());
    }
}

TEST(CacheBitmapReader, SurvivesEveryDamagedHeaderByte) {
    const std::vector<std::uint8_t> good = Encoded(Pattern(40, 400));
    const std::uint8_t values[] = {0x00, 0x01, 0x7F, 0x80, 0xFF};
    for (std::size_t at = 0; at < 54; ++at) {
        for (std::uint8_t v : values) {
            std::vector<std::uint8_t> f = good;
            f[at] = v;
            CacheBitmapInfo info;
            PixelBlock block;
            const Status s = Read(f, &info, &block);
            if (s != kOk) {
                EXPECT_TRUE(block.Empty());
                continue;
            }
            // Whatever was accepted lies inside the file.
            EXPECT_LE(std::uint64_t(info.pixelOffset) + block.Bytes(), f.size()) << at;
            EXPECT_EQ(block.Bytes(), std::size_t(block.rowBytes) * block.height);
            EXPECT_EQ(block.rowBytes, block.width * 3);
        }
    }
}

TEST(CacheBitmapReader, TellsBrokenFilesFromRefusedOnes) {
    for (Status broken : {kErrInvalidArgument, kErrImageDimension, kErrDiskWrite}) EXPECT_TRUE(CacheFileBroken(broken));
    for (Status refused : {kOk, kErrWidthNotMultipleOf4, kErrColourTable, kErrBitsPerPixel, kErrMemory, kErrOpenFile})
        EXPECT_FALSE(CacheFileBroken(refused));
}

TEST(CacheNames, PatternsExtensionsAndCacheFileNames) {
    const char16_t* patterns[] = {u"*.jpg", u"*.jpeg", u"*.bmp", u"*.png", u"*.gif", u"*.tif", u"*.tiff"};
    for (int type = 1; type <= 7; ++type) EXPECT_EQ(PhotoTypePattern(type), patterns[type - 1]);
    EXPECT_EQ(PhotoTypePattern(0), u"");
    EXPECT_EQ(PhotoTypePattern(8), u"");

    EXPECT_EQ(CacheFileName(u"IMG_1.jpg", 1), u"IMG_1.BMP");
    EXPECT_EQ(CacheFileName(u"IMG_1.jpeg", 2), u"IMG_1.BMP");
    EXPECT_EQ(CacheFileName(u"a.b.bmp", 3), u"a.b.BMP");
    EXPECT_EQ(CacheFileName(u"x.PNG", 4), u"x.BMP");
    EXPECT_EQ(CacheFileName(u"x.tiff", 7), u"x.BMP");
    EXPECT_EQ(CacheFileName(u"x.tif", 6), u"x.BMP");
    EXPECT_EQ(CacheFileName(u"x.gif", 9), u"");

    EXPECT_TRUE(NameHasPhotoType(u"X.JPG", 1));
    EXPECT_FALSE(NameHasPhotoType(u"x.jpeg", 1));
    EXPECT_TRUE(NameHasPhotoType(u"x.jpeg", 2));
    EXPECT_FALSE(NameHasPhotoType(u"x.tiff", 6));
    EXPECT_TRUE(NameHasPhotoType(u"x.Tiff", 7));
    EXPECT_FALSE(NameHasPhotoType(u".png", 4));
    EXPECT_FALSE(NameHasPhotoType(u"png", 4));

    EXPECT_TRUE(HasBmpExtension(u"a.BmP"));
    EXPECT_FALSE(HasBmpExtension(u"a.bmpx"));
    EXPECT_FALSE(HasBmpExtension(u"bmp"));
}

#ifndef _WIN32
namespace {

std::string Shell(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return out;
    char buffer[65536];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    pclose(pipe);
    return out;
}

bool HaveImageMagick() { return Shell("convert -version 2>/dev/null").find("ImageMagick") != std::string::npos; }

std::string Rgb(const PixelBlock& b) {
    std::string rgb;
    for (std::int32_t y = 0; y < b.height; ++y)
        for (std::int32_t x = 0; x < b.width; ++x) {
            const std::uint8_t* p = b.Row(y) + x * 3;
            rgb += char(p[2]);
            rgb += char(p[1]);
            rgb += char(p[0]);
        }
    return rgb;
}

}  // namespace

TEST(CacheBitmapImageMagick, OpensTheWrittenFileAsTheSamePicture) {
    if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick's convert is not installed";
    const PixelBlock b = Pattern(124, 110);
    const std::vector<std::uint8_t> f = Encoded(b);
    const std::string path = testing::TempDir() + "qv_cache_written.BMP";
    FILE* out = fopen(path.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    fwrite(f.data(), 1, f.size(), out);
    fclose(out);
    EXPECT_EQ(Shell("identify -format '%m %w %h %[channels]' '" + path + "' 2>&1"), "BMP3 124 110 srgb");
    EXPECT_EQ(Shell("convert '" + path + "' -depth 8 rgb:- 2>/dev/null"), Rgb(b));
    std::remove(path.c_str());
}

TEST(CacheBitmapImageMagick, ReadsImageMagicksBmpFilesAsImageMagickDoes) {
    if (!HaveImageMagick()) GTEST_SKIP() << "ImageMagick's convert is not installed";
    const std::string dir = testing::TempDir();
    // BMP3 has the 40-byte header; plain BMP a version-5 header with the
    // pixels further on.
    for (const char* format : {"BMP3", "BMP"}) {
        const std::string path = dir + "qv_cache_im_" + format + ".bmp";
        Shell(std::string("convert -size 132x120 gradient:red-blue -fill '#20C040' -draw 'circle 60,60 60,20' "
                          "-type truecolor ") +
              format + ":'" + path + "' 2>&1");
        StdioByteSource source(path.c_str());
        ASSERT_TRUE(source.IsOpen()) << format;
        CacheBitmapInfo info;
        PixelBlock block;
        ASSERT_EQ(ReadCacheBitmap(source, &info, &block), kOk) << format;
        EXPECT_EQ(block.width, 132);
        EXPECT_EQ(block.height, 120);
        EXPECT_EQ(Rgb(block), Shell("convert '" + path + "' -depth 8 rgb:- 2>/dev/null")) << format;
        std::remove(path.c_str());
    }
}
#endif
