// Deleting and moving an album's photos, on real album folders, with the
// order read back by the next decoding.
#include "photos/AlbumEdits_win.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/DisplayState_win.h"
#include "imaging/BitmapCache.h"
#include "imaging/Decode_win.h"
#include "storage/Storage_win.h"
#include "tests/win/BoxWatcher.h"
#include "tests/win/TestState.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

std::string BmpOf(int seed) {
    PixelBlock b = PixelBlock::Make(120, 100);
    for (std::size_t i = 0; i < b.pixels.size(); ++i) b.pixels[i] = static_cast<std::uint8_t>(i * 7 + seed);
    std::vector<std::uint8_t> file;
    EXPECT_EQ(EncodeCacheBitmap(b, &file), kOk);
    return std::string(file.begin(), file.end());
}

std::wstring NameOf(int photo) {
    return reinterpret_cast<const wchar_t*>(gDisplayState->albums[0].photos[photo].fileName.c_str());
}

std::vector<std::wstring> Order() {
    std::vector<std::wstring> names;
    for (int i = 0; i < gDisplayState->albums[0].photoCount; ++i) names.push_back(NameOf(i));
    return names;
}

class AlbumEdits : public ::testing::Test {
protected:
    // A BMP album (type 3) holding `names`, decoded.
    void MakeAlbum(std::initializer_list<const wchar_t*> names) {
        wchar_t root[kPathChars];
        AlbumsFolder(root);
        CreateDirectoryW(root, nullptr);
        folder_ = std::wstring(root) + L"\\Coast";
        CreateDirectoryW(folder_.c_str(), nullptr);
        int seed = 0;
        for (const wchar_t* name : names) ASSERT_TRUE(WriteBytes(folder_ + L"\\" + name, BmpOf(++seed)));
        AlbumSlot& slot = gDisplayState->albums[0];
        wcscpy(slot.folderName, L"Coast");
        slot.photoType = 3;
        slot.photoCount = static_cast<int>(names.size());
        ASSERT_EQ(DecodeAlbum(gDisplayState->albums[0], ReadPhotoOrder(0)), kOk);
    }
    void TearDown() override { ReleaseAlbum(0); }
    bool Exists(const std::wstring& name) const {
        return GetFileAttributesW((folder_ + L"\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    ProcessRecords records_;
    GdiplusSession gdiplus_;
    std::wstring folder_;
};

TEST_F(AlbumEdits, DeleteRemovesExactlyTheSelectedPhotoAndItsCacheCopy) {
    MakeAlbum({L"IMG_1.bmp", L"IMG_10.bmp", L"IMG_2.bmp"});
    // A same-named file of another type, as a camera's RAW file beside it.
    ASSERT_TRUE(WriteBytes(folder_ + L"\\IMG_1.CR2", "raw"));
    ASSERT_TRUE(WriteBytes(folder_ + L"\\IMG_1.png", "png"));
    int photo = 0;
    while (NameOf(photo) != L"IMG_1.BMP") ASSERT_LT(++photo, 3);
    ASSERT_EQ(DeleteAlbumPhoto(0, photo), kOk);
    EXPECT_FALSE(Exists(L"IMG_1.bmp"));
    EXPECT_FALSE(Exists(L"BMP\\IMG_1.BMP"));
    for (const wchar_t* kept : {L"IMG_1.CR2", L"IMG_1.png", L"IMG_10.bmp", L"IMG_2.bmp", L"BMP\\IMG_10.BMP"})
        EXPECT_TRUE(Exists(kept)) << kept;
    EXPECT_EQ(gDisplayState->albums[0].photoCount, 2);
    for (const std::wstring& name : Order()) EXPECT_NE(name, L"IMG_1.BMP");
    EXPECT_TRUE(gDisplayState->albums[0].photos[2].block.Empty());

    // The last photo of an album stays.
    ASSERT_EQ(DeleteAlbumPhoto(0, 1), kOk);
    EXPECT_EQ(DeleteAlbumPhoto(0, 0), kErrLastPhoto);
    EXPECT_EQ(gDisplayState->albums[0].photoCount, 1);
}

TEST_F(AlbumEdits, AShiftedPhotoMovesOnAndTheOrderLastsIntoTheNextDecoding) {
    MakeAlbum({L"A.bmp", L"B.bmp", L"C.bmp"});
    const std::vector<std::wstring> start = Order();
    int moved = -1;
    ASSERT_EQ(ShiftAlbumPhoto(0, 0, +1, &moved), kOk);
    EXPECT_EQ(moved, 1);
    ASSERT_EQ(ShiftAlbumPhoto(0, moved, +1, &moved), kOk);  // the same photo, one place further
    EXPECT_EQ(moved, 2);
    ASSERT_EQ(ShiftAlbumPhoto(0, moved, +1, &moved), kOk);  // already last
    EXPECT_EQ(moved, 2);
    const std::vector<std::wstring> shifted = {start[1], start[2], start[0]};
    EXPECT_EQ(Order(), shifted);

    ReleaseAlbum(0);
    gDisplayState->albums[0].photoCount = 3;
    gDisplayState->albums[0].photoType = 3;
    ASSERT_EQ(DecodeAlbum(gDisplayState->albums[0], ReadPhotoOrder(0)), kOk);
    EXPECT_EQ(Order(), shifted);
}

// A shift whose order the settings file will not take is undone: the
// album keeps the order the panel shows, so that the next Delete or turn
// acts on the photo the user sees selected.
TEST_F(AlbumEdits, AShiftThatCannotBeKeptLeavesTheOrderAsItWas) {
    MakeAlbum({L"A.bmp", L"B.bmp", L"C.bmp"});
    const std::vector<std::wstring> start = Order();
    // A settings "file" that is a folder cannot be written.
    ASSERT_TRUE(CreateDirectoryW(records_.settingsFile().c_str(), nullptr));
    BoxWatcher boxes;
    int moved = -1;
    EXPECT_EQ(ShiftAlbumPhoto(0, 1, +1, &moved), kErrIniWrite);
    EXPECT_EQ(moved, 1);
    EXPECT_EQ(Order(), start);
}

}  // namespace
