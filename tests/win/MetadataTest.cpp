// Photo properties read through GDI+ from JPEG and TIFF files that exiftool
// tagged (fixtures/, made at build time), and every row of the properties
// list checked against exiftool's own reading of the same file.
#include <gtest/gtest.h>

#include <objidl.h>
#include <gdiplus.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <cwchar>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "base/Text.h"
#include "imaging/PhotoProperties_win.h"
#include "imaging/Metadata_win.h"
#include "res/resource.h"
#include "tests/win/ExiftoolRows.h"
#include "tests/win/TestState.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

class Metadata : public ::testing::Test {
protected:
    void SetUp() override {
        Gdiplus::GdiplusStartupInput input;
        ASSERT_EQ(Gdiplus::GdiplusStartup(&token_, &input, nullptr), Gdiplus::Ok);
        ASSERT_EQ(LoadPropertyTexts(texts_), kOk);
    }
    void TearDown() override { Gdiplus::GdiplusShutdown(token_); }

    // Decodes the photo as the album decoder does and reads its properties.
    PhotoRecord Read(const std::wstring& name) {
        PhotoRecord photo;
        const std::wstring path = FixturePath(name);
        Gdiplus::Bitmap bitmap(path.c_str(), FALSE);
        EXPECT_EQ(bitmap.GetLastStatus(), Gdiplus::Ok) << Narrow(U16(name));
        photo.block.width = std::int32_t(bitmap.GetWidth());
        photo.block.height = std::int32_t(bitmap.GetHeight());
        photo.fileName = U16(name.substr(0, name.rfind(L'.') + 1) + L"BMP");
        EXPECT_EQ(ReadPhotoProperties(bitmap, photo, path.c_str()), kOk);
        return photo;
    }

    ULONG_PTR token_ = 0;
    PropertyTexts texts_;
};

TEST_F(Metadata, TheStringTableHoldsTheListTexts) {
    const char16_t* labels[] = {u"Dimensions:", u"Date taken:", u"Date modified:", u"Model:",         u"Make:",
                                u"Title:",      u"F-Stop:",     u"Exposure time:", u"ISO:",           u"White balance:",
                                u"Saturation:", u"Sharpness:",  u"Contrast:",      u"Focal length:",  u"Aperture:",
                                u"Metering:",   u"Software:",   u"Author:",        u"Exposure bias:", u"Comment:",
                                u"Copyright:",  u"File name:",  u"File size:"};
    for (std::size_t i = 0; i < std::size(labels); ++i) EXPECT_EQ(texts_[i], labels[i]) << i;
    EXPECT_EQ(texts_[kTextColumnName], u"Name");
    EXPECT_EQ(texts_[kTextColumnValue], u"Value");
    EXPECT_EQ(texts_[kTextMeteringPartial], u"Partial ");
    EXPECT_EQ(texts_[kTextFormatFileSize], u"%.1lf KB (%.2lf MB)");
    for (std::size_t i = 0; i < kPropertyTextCount; ++i) {
        EXPECT_GE(kPropertyTextIds[i], 31300u);
        EXPECT_LE(kPropertyTextIds[i], 31399u);
        EXPECT_FALSE(texts_[i].empty()) << i;
    }
}

TEST_F(Metadata, EveryRowMatchesExiftoolsReading) {
    const struct {
        const wchar_t* file;
        int albumType;
        std::size_t rowsAtLeast;
    } photos[] = {{L"meta_full.jpg", 1, 23},
                  {L"meta_little.jpg", 2, 21},
                  {L"meta_partial.jpg", 1, 7},
                  {L"meta_bare.jpg", 1, 3},
                  {L"meta_tagged.tif", 6, 17}};
    ASSERT_TRUE(GetFileAttributesW(FixturePath(L"meta_made").c_str()) != INVALID_FILE_ATTRIBUTES)
        << "the metadata photos were not made: exiftool or ImageMagick missing (tools/setup-deps.sh)";
    for (const auto& p : photos) {
        SCOPED_TRACE(Narrow(U16(p.file)));
        PhotoRecord photo = Read(p.file);
        WIN32_FILE_ATTRIBUTE_DATA data{};
        ASSERT_TRUE(GetFileAttributesExW(FixturePath(p.file).c_str(), GetFileExInfoStandard, &data));
        photo.fileSize = std::int64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
        photo.fileTime = 1700000000;

        const auto expected = ExpectedRows(ExiftoolReading(p.file), p.file, p.albumType, photo.fileSize, photo.fileTime,
                                           !photo.properties.empty());
        const auto lines = FormatPhotoProperties(photo, p.albumType, texts_);
        std::map<PropertyRow, std::u16string> shown;
        for (const auto& line : lines) {
            shown[line.row] = line.value;
            EXPECT_EQ(line.label, texts_[static_cast<std::size_t>(line.row)]);
        }
        EXPECT_GE(lines.size(), p.rowsAtLeast);
        for (const auto& [row, value] : expected) {
            EXPECT_EQ(Narrow(shown[row]), Narrow(value)) << "row " << static_cast<int>(row) + 1;
        }
        for (const auto& [row, value] : shown) {
            EXPECT_TRUE(expected.count(row)) << "unexpected row " << static_cast<int>(row) + 1 << ": " << Narrow(value);
        }
        // The rows keep the list's order.
        for (std::size_t i = 1; i < lines.size(); ++i) EXPECT_LT(lines[i - 1].row, lines[i].row);
    }
}

TEST_F(Metadata, ReadingAgainReplacesTheItemsAndTheDateTaken) {
    PhotoRecord photo = Read(L"meta_full.jpg");
    EXPECT_GT(photo.dateTaken, 0);
    const std::size_t count = photo.properties.size();
    EXPECT_GE(count, 20u);
    const std::wstring path = FixturePath(L"meta_full.jpg");
    {
        Gdiplus::Bitmap again(path.c_str(), FALSE);
        ASSERT_EQ(ReadPhotoProperties(again, photo, path.c_str()), kOk);
    }
    EXPECT_EQ(photo.properties.size(), count);

    const std::wstring bare = FixturePath(L"meta_bare.jpg");
    Gdiplus::Bitmap plain(bare.c_str(), FALSE);
    ASSERT_EQ(ReadPhotoProperties(plain, photo, bare.c_str()), kOk);
    EXPECT_EQ(FindPhotoProperty(photo.properties, kTagMake), nullptr);
    EXPECT_EQ(FindPhotoProperty(photo.properties, kTagDateTimeOriginal), nullptr);
    EXPECT_EQ(photo.dateTaken, 0);

    // A photo GDI+ reads from memory has no file to fall back on: whatever
    // GDI+ gives is all there is, and nothing fails.
    Gdiplus::Bitmap drawn(40, 30, PixelFormat24bppRGB);
    ASSERT_EQ(ReadPhotoProperties(drawn, photo, nullptr), kOk);
    EXPECT_TRUE(photo.properties.empty());
    ASSERT_EQ(ReadPhotoProperties(drawn, photo, L"C:\\no such folder\\x.jpg"), kOk);
    EXPECT_TRUE(photo.properties.empty());
}

TEST_F(Metadata, AlbumLookupChecksAlbumAndPhoto) {
    ProcessRecords records;
    AlbumSlot& album = gDisplayState->albums[1];
    album.photoCount = 2;
    album.photos[1] = Read(L"meta_little.jpg");
    const PropertyItem* make = FindPhotoProperty(album.photos, album.photoCount, 1, kTagMake);
    ASSERT_NE(make, nullptr);
    EXPECT_EQ(PropertyBytesText(*make), u"Kestrel");
    EXPECT_EQ(FindPhotoProperty(album.photos, album.photoCount, 0, kTagMake), nullptr);
    EXPECT_EQ(FindPhotoProperty(album.photos, album.photoCount, 2, kTagMake), nullptr);
    EXPECT_EQ(FindPhotoProperty(album.photos, album.photoCount, -1, kTagMake), nullptr);
    const AlbumSlot& empty = gDisplayState->albums[0];
    EXPECT_EQ(FindPhotoProperty(empty.photos, empty.photoCount, 1, kTagMake), nullptr);
    album.photoCount = 0;
}

}  // namespace
