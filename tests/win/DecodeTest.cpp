// Decoding real photos of every album type through GDI+, compared with
// ImageMagick's decoding of the same files (fixtures/, made at build time),
// and the bitmap cache that decoding keeps beside each album.
#include <gtest/gtest.h>

#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "base/ErrorReporter_win.h"
#include "storage/Storage_win.h"
#include "base/Utilities_win.h"
#include "imaging/BitmapCache.h"
#include "imaging/Decode_win.h"
#include "imaging/PhotoProperties.h"
#include "res/resource.h"
#include "tests/win/TestState.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

std::vector<std::uint8_t> Bytes(const std::wstring& path) {
    const std::string s = ReadBytes(path);
    return std::vector<std::uint8_t>(s.begin(), s.end());
}

// Largest difference of any channel between the decoded block (BGR) and
// ImageMagick's RGB dump of a picture `fullWidth` wide, over the block's
// columns. -1 when the sizes do not fit.
int LargestDifference(const PixelBlock& block, const std::vector<std::uint8_t>& rgb, int fullWidth) {
    if (block.Empty() || rgb.size() != std::size_t(fullWidth) * block.height * 3 || block.width > fullWidth) return -1;
    int largest = 0;
    for (int y = 0; y < block.height; ++y)
        for (int x = 0; x < block.width; ++x)
            for (int c = 0; c < 3; ++c) {
                const int ours = block.Row(y)[x * 3 + (2 - c)];
                const int theirs = rgb[(std::size_t(y) * fullWidth + x) * 3 + c];
                largest = std::max(largest, std::abs(ours - theirs));
            }
    return largest;
}

PixelBlock Pattern(int w, int h, int seed) {
    PixelBlock b = PixelBlock::Make(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w * 3; ++x) b.Row(y)[x] = std::uint8_t(x * 5 + y * 11 + seed);
    return b;
}

std::vector<std::uint8_t> CacheFileOf(const PixelBlock& b) {
    std::vector<std::uint8_t> file;
    EXPECT_EQ(EncodeCacheBitmap(b, &file), kOk);
    return file;
}

bool WriteVector(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
    return WriteBytes(path, std::string(bytes.begin(), bytes.end()));
}

class Decoding : public ::testing::Test {
protected:
    void SetUp() override {
        Gdiplus::GdiplusStartupInput input;
        ASSERT_EQ(Gdiplus::GdiplusStartup(&token_, &input, nullptr), Gdiplus::Ok);
        ASSERT_TRUE(FileExists(FixturePath(L"made").c_str(), nullptr)) << "the test photos were not made";
        wchar_t root[kPathChars];
        AlbumsFolder(root);
        albumsRoot_ = root;
        CreateDirectoryW(albumsRoot_.c_str(), nullptr);
    }
    void TearDown() override {
        for (int a = 0; a < kAlbumCount; ++a) ReleaseAlbum(a);
        Gdiplus::GdiplusShutdown(token_);
    }

    // An album folder holding copies of fixture photos under new names.
    std::wstring MakeAlbum(int album, const std::wstring& name, int type,
                           const std::vector<std::pair<std::wstring, std::wstring>>& photos) {
        const std::wstring folder = albumsRoot_ + L"\\" + name;
        CreateDirectoryW(folder.c_str(), nullptr);
        for (const auto& [fixture, target] : photos)
            EXPECT_TRUE(CopyFileW(FixturePath(fixture).c_str(), (folder + L"\\" + target).c_str(), FALSE)) << fixture;
        AlbumSlot& slot = gDisplayState->albums[album];
        wcscpy(slot.folderName, name.c_str());
        slot.photoType = std::int16_t(type);
        slot.photoCount = int(photos.size());
        return folder;
    }

    // The names in the order the album's search lists them.
    std::vector<std::wstring> Listed(const std::wstring& folder, const std::wstring& pattern) {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW found;
        HANDLE find = FindFirstFileW((folder + L"\\" + pattern).c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) return names;
        do names.push_back(found.cFileName);
        while (FindNextFileW(find, &found));
        FindClose(find);
        return names;
    }

    ProcessRecords records;
    std::wstring albumsRoot_;

private:
    ULONG_PTR token_ = 0;
};

const PhotoRecord& Photo(int album, int k) { return gDisplayState->albums[album].photos[k]; }

}  // namespace

TEST_F(Decoding, EveryTypeDecodesAsImageMagickDecodesItAndIsCached) {
    struct Type {
        int type;
        const wchar_t* fixture;
        int tolerance;  // JPEG decoders may round differently
    };
    const Type types[] = {{1, L"photo.jpg", 6}, {2, L"photo.jpeg", 6}, {3, L"photo.bmp", 0}, {3, L"photo_v5.bmp", 0},
                          {4, L"photo.png", 0}, {5, L"photo.gif", 0},  {6, L"photo.tif", 0}, {7, L"photo.tiff", 0}};
    int index = 0;
    for (const Type& t : types) {
        SCOPED_TRACE(t.fixture);
        const std::wstring ext = std::wstring(t.fixture).substr(std::wstring(t.fixture).rfind(L'.'));
        const std::wstring folder =
            MakeAlbum(0, L"Type" + std::to_wstring(++index), t.type, {{t.fixture, L"IMG_1" + ext}});
        ASSERT_EQ(DecodeAlbum(gDisplayState->albums[0], ReadPhotoOrder(0)), kOk);
        const PhotoRecord& photo = Photo(0, 0);
        EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(photo.fileName.c_str())), L"IMG_1.BMP");
        EXPECT_EQ(photo.block.width, 132);
        EXPECT_EQ(photo.block.height, 104);
        const std::vector<std::uint8_t> reference = Bytes(FixturePath(std::wstring(t.fixture) + L".rgb"));
        const int difference = LargestDifference(photo.block, reference, 132);
        EXPECT_GE(difference, 0);
        EXPECT_LE(difference, t.tolerance);
        EXPECT_EQ(photo.fileSize, std::int64_t(Bytes(folder + L"\\IMG_1" + ext).size()));

        const std::vector<std::uint8_t> cache = Bytes(folder + L"\\BMP\\IMG_1.BMP");
        if (t.type == 3) {
            EXPECT_EQ(cache, Bytes(FixturePath(t.fixture)));
        } else {
            EXPECT_EQ(cache, CacheFileOf(photo.block));
        }
        // The cache file holds the same picture, whoever reads it.
        MemoryByteSource source(cache);
        CacheBitmapInfo info;
        PixelBlock cached;
        ASSERT_EQ(ReadCacheBitmap(source, &info, &cached), kOk);
        EXPECT_EQ(cached.pixels, photo.block.pixels);
        ReleaseAlbum(0);
    }
}

TEST_F(Decoding, AWidthIsCutToAMultipleOf4AndTheSizeRuleFollowsTheMode) {
    const std::wstring folder = MakeAlbum(0, L"Wide", 4, {{L"wide.png", L"wide.png"}});
    ASSERT_EQ(DecodeAlbum(gDisplayState->albums[0], ReadPhotoOrder(0)), kOk);
    EXPECT_EQ(Photo(0, 0).block.width, 1916);
    EXPECT_EQ(LargestDifference(Photo(0, 0).block, Bytes(FixturePath(L"wide.png.rgb")), 1918), 0);
    CacheBitmapInfo info;
    ASSERT_EQ(ReadCacheBitmap((folder + L"\\BMP\\wide.BMP").c_str(), &info, nullptr), kOk);
    EXPECT_EQ(info.width, 1916);
    EXPECT_EQ(info.height, 104);
    EXPECT_EQ(info.rowBytes, 1916 * 3);

    MakeAlbum(1, L"Low", 4, {{L"low.png", L"low.png"}});
    (void)TakeUntoldRefusedPhotos();
    EXPECT_EQ(DecodeAlbum(gDisplayState->albums[1], ReadPhotoOrder(1)), kErrMissingPhotos)
        << "its only photo is left out";
    const std::vector<RefusedPhoto> refused = TakeUntoldRefusedPhotos();
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].name, L"Low\\low.png");
    EXPECT_EQ(refused[0].reason, kErrPhotoTooSmall);
    gMode.role = Role::kPreview;
    gDisplayState->albums[1].photoCount = 1;
    EXPECT_EQ(DecodeAlbum(gDisplayState->albums[1], ReadPhotoOrder(1)), kOk);
    EXPECT_EQ(Photo(1, 0).block.height, 99);
}

TEST_F(Decoding, MismatchesAreFlaggedAgainstTheFirstListedPhoto) {
    // Which photo is first is the directory's choice; both orders are rules.
    const std::wstring folder = MakeAlbum(0, L"Mixed", 4, {{L"photo.png", L"a.png"}, {L"portrait.png", L"b.png"}});
    gDisplayState->albums[0].stitchMode = 1;
    ASSERT_EQ(DecodeAlbum(gDisplayState->albums[0], ReadPhotoOrder(0)), kOk);
    const AlbumSlot& slot = gDisplayState->albums[0];
    ASSERT_EQ(slot.photoCount, 2);
    const bool landscapeFirst = Listed(folder, L"*.png").front() == L"a.png";
    const PhotoRecord& second = slot.photos[1];
    EXPECT_EQ(second.widthDiffers, 1);
    EXPECT_EQ(second.heightDiffers, 1);
    EXPECT_EQ(slot.sizeMismatch, 1);
    EXPECT_EQ(second.portraitAmongLandscape, landscapeFirst ? 1 : 0);
    EXPECT_EQ(slot.orientationMismatch, landscapeFirst ? 1 : 0);
    EXPECT_EQ(slot.stitchMode, 2);
    EXPECT_EQ(slot.photos[0].widthDiffers + slot.photos[0].heightDiffers + slot.photos[0].portraitAmongLandscape, 0);

    MakeAlbum(1, L"Heights", 4, {{L"photo.png", L"a.png"}, {L"higher.png", L"b.png"}, {L"photo.png", L"c.png"}});
    gDisplayState->albums[1].stitchMode = 1;
    ASSERT_EQ(DecodeAlbum(gDisplayState->albums[1], ReadPhotoOrder(1)), kOk);
    const AlbumSlot& heights = gDisplayState->albums[1];
    int heightFlags = 0, widthFlags = 0;
    for (int k = 0; k < 3; ++k) {
        heightFlags += heights.photos[k].heightDiffers;
        widthFlags += heights.photos[k].widthDiffers;
    }
    EXPECT_GE(heightFlags, 1);  // the 100-high photo, or both others when it is first
    EXPECT_EQ(widthFlags, 0);
    EXPECT_EQ(heights.sizeMismatch, 1);
    EXPECT_EQ(heights.orientationMismatch, 0);

    MakeAlbum(0, L"Same", 4, {{L"photo.png", L"a.png"}, {L"photo.png", L"b.png"}});
    gDisplayState->albums[0].stitchMode = 1;
    ASSERT_EQ(DecodeAlbum(gDisplayState->albums[0], ReadPhotoOrder(0)), kOk);
    EXPECT_EQ(gDisplayState->albums[0].sizeMismatch, 0);
    EXPECT_EQ(gDisplayState->albums[0].orientationMismatch, 0);
    EXPECT_EQ(gDisplayState->albums[0].stitchMode, 1);
}

TEST_F(Decoding, AMixedFolderDecodesOnlyItsChosenType) {
    const std::wstring folder = MakeAlbum(
        0, L"JpgAndPng", 1, {{L"photo.jpg", L"one.jpg"}, {L"photo.png", L"two.png"}, {L"photo.jpg", L"three.JPG"}});
    gDisplayState->albums[0].photoCount = 2;  // as the photo-type scan counts them
    ASSERT_EQ(DecodeAlbum(gDisplayState->albums[0], ReadPhotoOrder(0)), kOk);
    EXPECT_EQ(gDisplayState->albums[0].photoCount, 2);
    EXPECT_TRUE(FileExists((folder + L"\\BMP\\one.BMP").c_str(), nullptr));
    EXPECT_TRUE(FileExists((folder + L"\\BMP\\three.BMP").c_str(), nullptr));
    EXPECT_FALSE(FileExists((folder + L"\\BMP\\two.BMP").c_str(), nullptr));
}

TEST_F(Decoding, ASoundCacheCopyIsKeptAndItsPixelsAreShown) {
    // The Photos tools rotate a photo by rewriting only its cache copy: the
    // display must show the rotated picture, and nothing rewrites the copy.
    const std::wstring folder = MakeAlbum(0, L"Rotated", 1, {{L"photo.jpg", L"p.jpg"}});
    CreateDirectoryW((folder + L"\\BMP").c_str(), nullptr);
    const PixelBlock rotated = Pattern(104, 132, 9);
    const std::vector<std::uint8_t> cache = CacheFileOf(rotated);
    ASSERT_TRUE(WriteVector(folder + L"\\BMP\\p.BMP", cache));
    // A copy made from the photo as it is now carries the photo's time.
    const std::uint64_t photoTime = WriteTimeOf(folder + L"\\p.jpg");
    ASSERT_TRUE(SetWriteTime(folder + L"\\BMP\\p.BMP", photoTime));
    ASSERT_EQ(DecodeAlbum(gDisplayState->albums[0], ReadPhotoOrder(0)), kOk);
    EXPECT_EQ(Bytes(folder + L"\\BMP\\p.BMP"), cache);
    EXPECT_EQ(Photo(0, 0).block.width, 104);
    EXPECT_EQ(Photo(0, 0).block.height, 132);
    EXPECT_EQ(Photo(0, 0).block.pixels, rotated.pixels);

    // A sound file the reader does not take (32 bits a pixel) stays too, and
    // the photo file gives the pixels.
    std::vector<std::uint8_t> wide32(54 + 132 * 104 * 4, 0x40);
    std::copy_n(cache.begin(), 54, wide32.begin());
    wide32[18] = 132;
    wide32[19] = 0;
    wide32[22] = 104;
    wide32[23] = 0;
    wide32[28] = 32;
    ASSERT_TRUE(WriteVector(folder + L"\\BMP\\p.BMP", wide32));
    ASSERT_TRUE(SetWriteTime(folder + L"\\BMP\\p.BMP", photoTime));
    ASSERT_EQ(DecodeAlbum(gDisplayState->albums[0], ReadPhotoOrder(0)), kOk);
    EXPECT_EQ(Bytes(folder + L"\\BMP\\p.BMP"), wide32);
    EXPECT_LE(LargestDifference(Photo(0, 0).block, Bytes(FixturePath(L"photo.jpg.rgb")), 132), 6);
}

TEST_F(Decoding, AReplacedPhotoIsShownThoughItIsOlderThanItsCacheCopy) {
    const std::wstring folder = MakeAlbum(0, L"Replaced", 4, {{L"photo.png", L"p.png"}});
    const std::wstring photo = folder + L"\\p.png", cache = folder + L"\\BMP\\p.BMP";
    ASSERT_EQ(DecodeAlbum(gDisplayState->albums[0], ReadPhotoOrder(0)), kOk);
    EXPECT_EQ(WriteTimeOf(cache), WriteTimeOf(photo));
    // Copying keeps a file's time, so the new photo is older than the copy.
    ASSERT_TRUE(CopyFileW(FixturePath(L"higher.png").c_str(), photo.c_str(), FALSE));
    ASSERT_TRUE(SetWriteTime(photo, WriteTimeOf(cache) - 10'000'000ull * 3600));
    ASSERT_EQ(DecodeAlbum(gDisplayState->albums[0], ReadPhotoOrder(0)), kOk);
    EXPECT_EQ(Photo(0, 0).block.height, 100);
    EXPECT_EQ(Bytes(cache), CacheFileOf(Photo(0, 0).block));
    EXPECT_EQ(WriteTimeOf(cache), WriteTimeOf(photo));

    // A copy from before the photo's time was kept is made again once.
    ASSERT_TRUE(WriteVector(cache, CacheFileOf(Pattern(132, 104, 4))));
    ASSERT_TRUE(SetWriteTime(cache, WriteTimeOf(photo) + 10'000'000ull));
    ASSERT_EQ(DecodeAlbum(gDisplayState->albums[0], ReadPhotoOrder(0)), kOk);
    EXPECT_EQ(LargestDifference(Photo(0, 0).block, Bytes(FixturePath(L"higher.png.rgb")), 132), 0);
    EXPECT_EQ(WriteTimeOf(cache), WriteTimeOf(photo));
}

TEST_F(Decoding, ATiffOnlyAlbumIsFoundThroughItsOwnTypeAndDecodes) {
    // Short names end in ".TIF": the search for "*.tif" finds "x.tiff" too.
    const std::wstring folder =
        MakeAlbum(0, L"TiffOnly", 0, {{L"photo.tiff", L"first.tiff"}, {L"photo.tiff", L"second.tiff"}});
    ASSERT_FALSE(Listed(folder, L"*.tif").empty()) << "no short names here: the search cannot mistake the type";
    AlbumSlot& slot = gDisplayState->albums[0];
    int count = 0, type = 0;
    ASSERT_EQ(FindAlbumImages(folder.c_str(), &count, &type), kOk);
    EXPECT_EQ(type, 7);
    EXPECT_EQ(count, 2);
    slot.photoType = std::int16_t(type);
    slot.photoCount = count;
    EXPECT_EQ(DecodeAlbum(gDisplayState->albums[0], ReadPhotoOrder(0)), kOk);
    EXPECT_EQ(slot.photoCount, 2);
}

// GDI+ decodes a photo whole at whatever size it has, so a photo is decoded
// only when its header states a size within the limit, wherever in the file
// the header lies.
TEST_F(Decoding, OnlyAPhotoWhoseHeaderStatesAnAcceptableSizeIsDecoded) {
    const std::wstring folder = albumsRoot_ + L"\\Sizes";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::vector<std::uint8_t> jpeg = Bytes(FixturePath(L"photo.jpg"));
    ASSERT_GT(jpeg.size(), 2u);
    // Blocks such as a big colour profile's put the frame header past 256 KB.
    std::vector<std::uint8_t> deep(jpeg.begin(), jpeg.begin() + 2);
    for (int i = 0; i < 5; ++i) {
        deep.insert(deep.end(), {0xFF, 0xE2, 0xFD, 0xEA});
        deep.insert(deep.end(), 65000, 'p');
    }
    deep.insert(deep.end(), jpeg.begin() + 2, jpeg.end());
    PhotoRecord photo;
    ASSERT_TRUE(WriteVector(folder + L"\\deep.jpg", deep));
    ASSERT_EQ(DecodePhoto((folder + L"\\deep.jpg").c_str(), false, &photo), kOk);
    EXPECT_EQ(photo.block.width, 132);

    // The same photo, its frame header stating 20000 x 20000 pixels.
    std::vector<std::uint8_t> huge = deep;
    const std::uint8_t frame[] = {0xFF, 0xC0};
    const auto at = std::search(huge.begin() + 2 + 5 * 65004, huge.end(), frame, frame + 2);
    ASSERT_NE(at, huge.end());
    for (std::size_t side : {5u, 7u}) at[side] = 0x4E, at[side + 1] = 0x20;
    ASSERT_TRUE(WriteVector(folder + L"\\huge.jpg", huge));
    EXPECT_EQ(DecodePhoto((folder + L"\\huge.jpg").c_str(), false, &photo), kErrImageDimension);
}

TEST_F(Decoding, ADecodedPhotoKeepsItsExifItemsAndDateTaken) {
    ASSERT_TRUE(FileExists(FixturePath(L"meta_made").c_str(), nullptr)) << "the metadata photos were not made";
    MakeAlbum(0, L"Dated", 1, {{L"meta_full.jpg", L"dated.jpg"}});
    // Made from the photo file, then taken from the cache copy.
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass);
        ASSERT_EQ(DecodeAlbum(gDisplayState->albums[0], ReadPhotoOrder(0)), kOk);
        const PhotoRecord& photo = Photo(0, 0);
        const PropertyItem* taken = FindPhotoProperty(photo.properties, kTagDateTimeOriginal);
        ASSERT_NE(taken, nullptr);
        EXPECT_GT(photo.dateTaken, 0);
        EXPECT_EQ(photo.dateTaken, CaptureTimeOf(*taken));
        ASSERT_NE(FindPhotoProperty(photo.properties, kTagMake), nullptr);
    }
}

// The picture of the orient_<n>.jpg fixtures, read coarsely from the middle
// of each quarter (top left, top right, bottom left, bottom right): 'r' red,
// 'g' green, 'b' blue, 'y' yellow, '?' anything else.
std::string Quarters(const PixelBlock& b) {
    std::string seen;
    for (int y : {b.height / 4, b.height * 3 / 4})
        for (int x : {b.width / 4, b.width * 3 / 4}) {
            const std::uint8_t* p = b.Row(y) + 3 * x;
            seen += "?bg?r?y?"[(p[2] > 128) * 4 + (p[1] > 128) * 2 + (p[0] > 128)];
        }
    return seen;
}

TEST_F(Decoding, TurnPhotosUprightTurnsEachExifOrientationInTheCacheOnly) {
    ASSERT_TRUE(FileExists(FixturePath(L"meta_made").c_str(), nullptr)) << "the metadata photos were not made";
    std::vector<std::pair<std::wstring, std::wstring>> photos;
    for (int n = 1; n <= 8; ++n) {
        const std::wstring name = L"orient_" + std::to_wstring(n) + L".jpg";
        photos.push_back({name, name});
    }
    const std::wstring folder = MakeAlbum(0, L"Oriented", 1, photos);
    // Off (the cache as always), on, off again: copies made under the other
    // setting are made again.
    for (int upright : {0, 1, 0}) {
        SCOPED_TRACE(upright);
        ASSERT_EQ(WriteSettingNumberById(IDS_KEY_TURN_UPRIGHT, 0, upright), kOk);
        EXPECT_EQ(ReadAllSettings(), kOk);
        ASSERT_EQ(DecodeAlbum(gDisplayState->albums[0], ReadPhotoOrder(0)), kOk);
        for (int k = 0; k < 8; ++k) {
            SCOPED_TRACE(k);
            wchar_t path[kPathChars];
            ASSERT_EQ(CacheBitmapPath(gDisplayState->albums[0], k, path), kOk);
            PixelBlock copy;
            CacheBitmapInfo info;
            ASSERT_EQ(ReadCacheBitmap(path, &info, &copy), kOk);
            if (upright) {
                EXPECT_EQ(Quarters(copy), "rgby");
                EXPECT_EQ(copy.width, 160);
                EXPECT_EQ(copy.height, 120);
                continue;
            }
            PhotoRecord stored;
            const std::wstring cache = reinterpret_cast<const wchar_t*>(Photo(0, k).fileName.c_str());
            ASSERT_EQ(
                DecodePhoto((folder + L"\\" + cache.substr(0, cache.size() - 3) + L"jpg").c_str(), false, &stored),
                kOk);
            EXPECT_EQ(copy.pixels, stored.block.pixels);
        }
    }
    for (const auto& [fixture, name] : photos) EXPECT_EQ(Bytes(folder + L"\\" + name), Bytes(FixturePath(fixture)));
}

TEST_F(Decoding, ABrokenOrHostileCacheCopyIsMadeAgain) {
    const std::wstring folder = MakeAlbum(0, L"Broken", 4, {{L"photo.png", L"p.png"}});
    const std::wstring cachePath = folder + L"\\BMP\\p.BMP";
    CreateDirectoryW((folder + L"\\BMP").c_str(), nullptr);
    std::vector<std::uint8_t> good = CacheFileOf(Pattern(132, 104, 3));
    std::vector<std::uint8_t> truncated(good.begin(), good.begin() + good.size() / 2);
    std::vector<std::uint8_t> huge = good;
    huge[19] = huge[20] = 0x7F;  // a width of gigabytes in a small file
    std::vector<std::uint8_t> offset = good;
    offset[12] = offset[13] = 0xFF;  // pixels far past the end
    const std::vector<std::uint8_t> garbage(100, 0x42);
    for (const auto& broken : {truncated, huge, offset, garbage}) {
        ASSERT_TRUE(WriteVector(cachePath, broken));
        ASSERT_EQ(DecodeAlbum(gDisplayState->albums[0], ReadPhotoOrder(0)), kOk);
        EXPECT_EQ(LargestDifference(Photo(0, 0).block, Bytes(FixturePath(L"photo.png.rgb")), 132), 0);
        EXPECT_EQ(Bytes(cachePath), CacheFileOf(Photo(0, 0).block));
    }

    const std::wstring bmpFolder = MakeAlbum(1, L"BrokenBmp", 3, {{L"photo.bmp", L"p.bmp"}});
    CreateDirectoryW((bmpFolder + L"\\BMP").c_str(), nullptr);
    ASSERT_TRUE(WriteVector(bmpFolder + L"\\BMP\\p.BMP", truncated));
    ASSERT_EQ(DecodeAlbum(gDisplayState->albums[1], ReadPhotoOrder(1)), kOk);
    EXPECT_EQ(Bytes(bmpFolder + L"\\BMP\\p.BMP"), Bytes(FixturePath(L"photo.bmp")));
}

// A photo left out is logged once a run, however often its album is
// decoded again (each panel that changes albums decodes them anew), and
// named once for the program to tell.
TEST_F(Decoding, APhotoLeftOutIsLoggedOnceARun) {
    const std::wstring folder = MakeAlbum(0, L"Mixed", 1, {{L"photo.jpg", L"good.jpg"}});
    ASSERT_TRUE(WriteVector(folder + L"\\empty.jpg", {}));
    gDisplayState->albums[0].photoCount = 2;
    (void)TakeUntoldRefusedPhotos();
    for (int decoding = 0; decoding < 2; ++decoding) {
        ASSERT_EQ(DecodeAlbum(gDisplayState->albums[0], ReadPhotoOrder(0)), kOk);
        EXPECT_EQ(gDisplayState->albums[0].photoCount, 1);
    }
    const std::string log = ReadBytes(records.root / L"Quorvel_ErrorsLog.csv");
    EXPECT_NE(log.find("empty.jpg"), std::string::npos);
    EXPECT_EQ(log.find("empty.jpg"), log.rfind("empty.jpg"));
    EXPECT_EQ(TakeUntoldRefusedPhotos().size(), 1u) << "and named to be told once";
}

// A virus scanner or a viewer holding the copy open for a moment does not
// stop a Photos tool's rewrite of it.
TEST_F(Decoding, ACopyAnotherProgramHoldsOpenForAMomentIsStillRewritten) {
    const std::wstring folder = MakeAlbum(0, L"Held", 4, {{L"photo.png", L"p.png"}});
    ASSERT_EQ(DecodeAlbum(gDisplayState->albums[0], ReadPhotoOrder(0)), kOk);
    const std::wstring copy = folder + L"\\BMP\\p.BMP";
    HANDLE reader = CreateFileW(copy.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    // The hold is the case itself, not a wait for something: a refused open
    // leaves no trace to wait on, and a fifth of a second lies well inside the
    // second the rewrite waits.
    std::thread letGo([reader] {
        Sleep(200);
        CloseHandle(reader);
    });
    PhotoRecord rewritten;
    rewritten.block = Pattern(132, 104, 5);
    EXPECT_EQ(WriteCacheBitmap(rewritten, copy.c_str()), kOk);
    letGo.join();
    EXPECT_EQ(Bytes(copy), CacheFileOf(rewritten.block));
}

TEST_F(Decoding, TheCacheFunctionsKeepTheirContracts) {
    const std::wstring folder = MakeAlbum(0, L"Contracts", 4, {{L"photo.png", L"p.png"}});
    ASSERT_EQ(DecodeAlbum(gDisplayState->albums[0], ReadPhotoOrder(0)), kOk);
    wchar_t path[kPathChars];
    ASSERT_EQ(CacheBitmapPath(gDisplayState->albums[0], 0, path), kOk);
    EXPECT_EQ(std::wstring(path), folder + L"\\BMP\\p.BMP");
    EXPECT_EQ(CacheBitmapPath(gDisplayState->albums[0], 1, path), kErrInvalidArgument);

    const std::wstring notBmp = folder + L"\\copy.png";
    EXPECT_EQ(WriteCacheBitmap(Photo(0, 0), notBmp.c_str()), kOk);
    EXPECT_FALSE(FileExists(notBmp.c_str(), nullptr));
    EXPECT_EQ(WriteCacheBitmap(PhotoRecord{}, (folder + L"\\empty.bmp").c_str()), kOk);
    EXPECT_FALSE(FileExists((folder + L"\\empty.bmp").c_str(), nullptr));
    EXPECT_EQ(WriteCacheBitmap(Photo(0, 0), (folder + L"\\missing\\x.bmp").c_str()), kErrCreateFile);
    // A width that is not a multiple of 4 is written with padded rows and
    // read back pixel for pixel.
    PhotoRecord odd;
    odd.block = Pattern(130, 104, 1);
    ASSERT_EQ(WriteCacheBitmap(odd, (folder + L"\\odd.bmp").c_str()), kOk);
    PixelBlock oddRead;
    CacheBitmapInfo info;
    ASSERT_EQ(ReadCacheBitmap((folder + L"\\odd.bmp").c_str(), &info, &oddRead), kOk);
    EXPECT_EQ(oddRead.width, 130);
    EXPECT_TRUE(oddRead.pixels == odd.block.pixels);

    EXPECT_EQ(ReadCacheBitmap((folder + L"\\none.bmp").c_str(), &info, nullptr), kErrOpenFile);
    const PixelBlock small = Pattern(100, 100, 2);  // a small file reads as any other
    ASSERT_TRUE(WriteVector(folder + L"\\small.bmp", CacheFileOf(small)));
    EXPECT_EQ(ReadCacheBitmap((folder + L"\\small.bmp").c_str(), &info, nullptr), kOk);
    EXPECT_EQ(info.width, 100);
    PixelBlock block;
    EXPECT_EQ(ReadCacheBitmap((folder + L"\\small.bmp").c_str(), &info, &block), kOk);
    EXPECT_TRUE(block.pixels == small.pixels);
}

TEST_F(Decoding, MattingTilesAreSquareThumbnailsOfBigEnoughBoards) {
    wchar_t mattings[kPathChars];
    MattingsFolder(mattings);
    CreateDirectoryW(mattings, nullptr);
    for (const wchar_t* name : {L"matting_150x90.png", L"matting_400x100.png", L"matting_20x24.png"})
        ASSERT_TRUE(CopyFileW(FixturePath(name).c_str(), (std::wstring(mattings) + L"\\" + name).c_str(), FALSE));
    AlbumSlot& slot = gDisplayState->albums[1];

    wcscpy(gUserSettings->mattingFile[1], L"matting_150x90.png");
    EXPECT_EQ(LoadMattingTile(1, gDisplayState->albums[1].mattingThumbnail), kErrMattingTooSmall);
    EXPECT_TRUE(slot.mattingThumbnail.Empty());

    wcscpy(gUserSettings->mattingFile[1], L"matting_400x100.png");
    ASSERT_EQ(LoadMattingTile(1, gDisplayState->albums[1].mattingThumbnail), kOk);
    const PixelBlock& tile = slot.mattingThumbnail;
    ASSERT_EQ(tile.width, 100);
    ASSERT_EQ(tile.height, 100);
    EXPECT_EQ(tile.rowBytes, 300);
    // The left half of the board is blue (#3060a0), the right half red
    // (#c02020); squeezed, each fills half the tile, edges included.
    auto similar = [](const std::uint8_t* p, int r, int g, int b) {
        return std::abs(p[2] - r) <= 3 && std::abs(p[1] - g) <= 3 && std::abs(p[0] - b) <= 3;
    };
    for (int y : {0, 50, 99}) {
        EXPECT_TRUE(similar(tile.Row(y) + 0, 0x30, 0x60, 0xA0)) << y;
        EXPECT_TRUE(similar(tile.Row(y) + 45 * 3, 0x30, 0x60, 0xA0)) << y;
        EXPECT_TRUE(similar(tile.Row(y) + 55 * 3, 0xC0, 0x20, 0x20)) << y;
        EXPECT_TRUE(similar(tile.Row(y) + 99 * 3, 0xC0, 0x20, 0x20)) << y;
    }

    wcscpy(gUserSettings->mattingFile[1], L"matting_20x24.png");
    EXPECT_EQ(LoadMattingTile(1, gDisplayState->albums[1].mattingThumbnail), kErrMattingTooSmall);
    gMode.role = Role::kPreview;
    ASSERT_EQ(LoadMattingTile(1, gDisplayState->albums[1].mattingThumbnail), kOk);
    EXPECT_EQ(slot.mattingThumbnail.width, 20);
    EXPECT_EQ(slot.mattingThumbnail.height, 20);
    EXPECT_TRUE(similar(slot.mattingThumbnail.Row(10) + 30, 0x80, 0x80, 0x00));
    PixelBlock none;
    EXPECT_EQ(LoadMattingTile(2, none), kErrInvalidArgument);
}

TEST_F(Decoding, ABoardsKeptThumbnailStandsForItUntilTheBoardChanges) {
    wchar_t mattings[kPathChars];
    MattingsFolder(mattings);
    CreateDirectoryW(mattings, nullptr);
    const std::wstring board = std::wstring(mattings) + L"\\board.png";
    ASSERT_TRUE(CopyFileW(FixturePath(L"matting_400x100.png").c_str(), board.c_str(), FALSE));
    AlbumSlot& slot = gDisplayState->albums[1];
    wcscpy(gUserSettings->mattingFile[1], L"board.png");
    ASSERT_EQ(LoadMattingTile(1, gDisplayState->albums[1].mattingThumbnail), kOk);
    const std::vector<std::uint8_t> decoded = slot.mattingThumbnail.pixels;

    // The next load reads the kept copy: other pixels put there (with the
    // time the copy had) become the thumbnail.
    PhotoRecord other;
    other.block = Pattern(100, 100, 3);
    ASSERT_EQ(WriteCacheBitmap(other, (std::wstring(mattings) + L"\\BMP\\board.png.bmp").c_str()), kOk);
    ASSERT_EQ(LoadMattingTile(1, gDisplayState->albums[1].mattingThumbnail), kOk);
    EXPECT_TRUE(slot.mattingThumbnail.pixels == other.block.pixels);

    // A board written since is decoded again.
    ASSERT_TRUE(SetWriteTime(board, WriteTimeOf(board) + 10'000'000));
    ASSERT_EQ(LoadMattingTile(1, gDisplayState->albums[1].mattingThumbnail), kOk);
    EXPECT_TRUE(slot.mattingThumbnail.pixels == decoded);
}

TEST_F(Decoding, AMissingBoardBringsBackTheDefaultBoards) {
    TempFolder install;
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    CreateDirectoryW((install / L"QuorvelMattingBoards").c_str(), nullptr);
    CopyFileW(FixturePath(L"matting_400x100.png").c_str(), (install / L"QuorvelMattingBoards\\01.png").c_str(), FALSE);
    CopyFileW(FixturePath(L"matting_400x100.png").c_str(), (install / L"QuorvelMattingBoards\\02.png").c_str(), FALSE);
    SetCurrentDirectoryW(install.Path().c_str());
    wchar_t mattings[kPathChars];
    MattingsFolder(mattings);
    CreateDirectoryW(mattings, nullptr);
    wcscpy(gUserSettings->mattingFile[0], L"gone.png");
    const Status s = LoadMattingTile(0, gDisplayState->albums[0].mattingThumbnail);
    SetCurrentDirectoryW(previous);
    ASSERT_EQ(s, kOk);
    EXPECT_EQ(gDisplayState->albums[0].mattingThumbnail.width, 100);
    EXPECT_TRUE(FileExists((std::wstring(mattings) + L"\\" + gUserSettings->mattingFile[0]).c_str(), nullptr));
}

TEST_F(Decoding, ReleasingAnAlbumFreesAndClearsIt) {
    MakeAlbum(0, L"Release", 4, {{L"photo.png", L"a.png"}, {L"photo.png", L"b.png"}});
    ASSERT_EQ(DecodeAlbum(gDisplayState->albums[0], ReadPhotoOrder(0)), kOk);
    AlbumSlot& slot = gDisplayState->albums[0];
    slot.inUse = 1;
    slot.windowMade = 1;
    slot.strip = Pattern(8, 8, 0);
    slot.mattingThumbnail = Pattern(100, 100, 0);
    ReleaseAlbum(0);
    EXPECT_EQ(slot.photoCount, 0);
    EXPECT_EQ(slot.photoType, 0);
    EXPECT_EQ(slot.inUse, 0);
    EXPECT_EQ(slot.windowMade, 0);
    EXPECT_TRUE(slot.strip.Empty());
    EXPECT_TRUE(slot.mattingThumbnail.Empty());
    for (const PhotoRecord& record : slot.photos) {
        EXPECT_TRUE(record.block.pixels.empty());
        EXPECT_TRUE(record.fileName.empty());
    }
}
