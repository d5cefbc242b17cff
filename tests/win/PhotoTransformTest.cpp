// The geometric tools on an album's photo records, with their cache files
// written and read back as the next decoding would.
#include "photos/AlbumEdits_win.h"

#include <gtest/gtest.h>

#include <random>

#include "storage/Storage_win.h"
#include "imaging/Decode_win.h"
#include "display/DisplayState_win.h"
#include "imaging/ImageOps.h"
#include "tests/win/TestState.h"

namespace quorvel {
namespace {

PixelBlock Random(std::int32_t width, std::int32_t height, unsigned seed) {
    PixelBlock photo = PixelBlock::Make(width, height);
    std::mt19937 engine(seed);
    for (auto& byte : photo.pixels) byte = static_cast<std::uint8_t>(engine());
    return photo;
}

class PhotoTransform : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t root[kPathChars];
        AlbumsFolder(root);
        CreateDirectoryW(root, nullptr);
        folder_ = std::wstring(root) + L"\\Shore";
        CreateDirectoryW(folder_.c_str(), nullptr);
        ASSERT_TRUE(CreateDirectoryW((folder_ + L"\\BMP").c_str(), nullptr));
        wcscpy(gDisplayState->albums[0].folderName, L"Shore");
    }
    void TearDown() override { ReleaseAlbum(0); }

    void AddPhoto(const char16_t* cacheName, PixelBlock block) {
        AlbumSlot& slot = gDisplayState->albums[0];
        PhotoRecord& record = slot.photos[slot.photoCount++];
        record.fileName = cacheName;
        record.block = std::move(block);
    }

    // The cache file as the next decoding reads it.
    Status ReadBack(const wchar_t* name, PixelBlock* out) {
        CacheBitmapInfo info;
        Status s = ReadCacheBitmap((folder_ + L"\\BMP\\" + name).c_str(), &info, out);
        out->width = info.width;
        out->height = info.height;
        out->rowBytes = info.rowBytes;
        return s;
    }

    bool CacheExists(const wchar_t* name) {
        return GetFileAttributesW((folder_ + L"\\BMP\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    test::ProcessRecords records_;
    std::wstring folder_;
};

TEST_F(PhotoTransform, TurnedPhotoIsRewrittenAsAReadableCacheFile) {
    // 200 x 150 turned right is 150 wide: every column is kept, and the
    // cache file's padded rows read back.
    const PixelBlock start = Random(200, 150, 1);
    AddPhoto(u"Wave.BMP", start);
    // The copy's time is the photo's, which the next decoding checks: a
    // turned copy still stands for the same photo.
    const std::wstring cache = folder_ + L"\\BMP\\Wave.BMP";
    ASSERT_EQ(WriteCacheBitmap(gDisplayState->albums[0].photos[0], cache.c_str()), kOk);
    const std::uint64_t photoTime = 132'000'000'000'000'000ull;
    ASSERT_TRUE(test::SetWriteTime(cache, photoTime));
    ASSERT_EQ(TransformAlbumPhoto(0, 0, kRotateRight), kOk);
    EXPECT_EQ(test::WriteTimeOf(cache), photoTime);
    const PixelBlock& now = gDisplayState->albums[0].photos[0].block;
    EXPECT_EQ(now.width, 150);
    EXPECT_EQ(now.height, 200);
    const PixelBlock expected = RotateRight(start);
    EXPECT_TRUE(now.pixels == expected.pixels);

    PixelBlock read;
    ASSERT_EQ(ReadBack(L"Wave.BMP", &read), kOk);
    EXPECT_EQ(read.width, 150);
    EXPECT_EQ(read.height, 200);
    EXPECT_TRUE(read.pixels == now.pixels);

    // A flip keeps the size; flipping back gives the turned photo again.
    ASSERT_EQ(TransformAlbumPhoto(0, 0, kFlipHorizontal), kOk);
    ASSERT_EQ(TransformAlbumPhoto(0, 0, kFlipHorizontal), kOk);
    EXPECT_TRUE(gDisplayState->albums[0].photos[0].block.pixels == expected.pixels);
}

TEST_F(PhotoTransform, OnlyBmpCacheNamesAreRewrittenAndBadSelectionsDoNothing) {
    AddPhoto(u"Wave.png", Random(200, 150, 2));
    ASSERT_EQ(TransformAlbumPhoto(0, 0, kFlipVertical), kOk);
    EXPECT_FALSE(CacheExists(L"Wave.png"));
    EXPECT_TRUE(gDisplayState->albums[0].photos[0].block.pixels == FlipVertical(Random(200, 150, 2)).pixels);

    const PixelBlock before = gDisplayState->albums[0].photos[0].block;
    EXPECT_EQ(TransformAlbumPhoto(0, 1, kRotateLeft), kOk);
    EXPECT_EQ(TransformAlbumPhoto(0, -1, kRotateLeft), kOk);
    EXPECT_EQ(TransformAlbumPhoto(2, 0, kRotateLeft), kOk);
    EXPECT_TRUE(gDisplayState->albums[0].photos[0].block.pixels == before.pixels);
    EXPECT_EQ(TransformAlbumPhoto(0, 0, 7), kErrInvalidArgument);
    EXPECT_TRUE(gDisplayState->albums[0].photos[0].block.pixels == before.pixels);
}

TEST_F(PhotoTransform, HalvingRewritesEveryPhotoOfTheAlbum) {
    // 404 x 300 halves to 202 x 150, 400 x 300 to 200 x 150.
    const PixelBlock first = Random(404, 300, 3), second = Random(400, 300, 4);
    AddPhoto(u"One.BMP", first);
    AddPhoto(u"Two.BMP", second);
    ASSERT_EQ(HalveAlbumPhotos(0), kOk);
    const PixelBlock expected[2] = {Halve(first), Halve(second)};
    const wchar_t* names[2] = {L"One.BMP", L"Two.BMP"};
    for (int i = 0; i < 2; ++i) {
        const PixelBlock& now = gDisplayState->albums[0].photos[i].block;
        EXPECT_EQ(now.width, 202 - 2 * i) << i;
        EXPECT_EQ(now.height, 150) << i;
        EXPECT_TRUE(now.pixels == expected[i].pixels) << i;
        PixelBlock read;
        ASSERT_EQ(ReadBack(names[i], &read), kOk) << i;
        EXPECT_TRUE(read.pixels == now.pixels) << i;
    }
}

TEST_F(PhotoTransform, HalvingBelowTheSmallestPhotoSideIsRefusedBeforeAnyPhotoChanges) {
    // 200 x 200 halves to 100 x 100, just enough; 198 wide halves to 99,
    // cut to 96, which the next start would refuse.
    AddPhoto(u"One.BMP", Random(200, 200, 5));
    AddPhoto(u"Two.BMP", Random(198, 300, 6));
    AddPhoto(u"Three.BMP", Random(400, 300, 7));
    EXPECT_EQ(HalveAlbumPhotos(0), kErrPhotoTooSmall);
    EXPECT_EQ(gDisplayState->albums[0].photos[0].block.width, 200);
    EXPECT_EQ(gDisplayState->albums[0].photos[1].block.width, 198);
    EXPECT_EQ(gDisplayState->albums[0].photos[2].block.width, 400);
    EXPECT_FALSE(CacheExists(L"One.BMP"));

    gDisplayState->albums[0].photos[1].block = Random(400, 203, 8);  // halves to 200 x 101
    ASSERT_EQ(HalveAlbumPhotos(0), kOk);
    EXPECT_EQ(gDisplayState->albums[0].photos[0].block.width, 100);
    EXPECT_EQ(gDisplayState->albums[0].photos[0].block.height, 100);
    EXPECT_EQ(gDisplayState->albums[0].photos[1].block.height, 101);
}

}  // namespace
}  // namespace quorvel
