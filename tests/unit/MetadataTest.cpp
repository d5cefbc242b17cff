#include "imaging/Metadata.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "base/Text.h"
#include "tests/unit/EnglishPropertyTexts.h"

namespace quorvel {
namespace {

PropertyItem Ascii(std::uint32_t id, const std::string& text, bool terminated = true) {
    PropertyItem item{id, kTypeAscii, std::vector<std::uint8_t>(text.begin(), text.end())};
    if (terminated) item.value.push_back(0);
    return item;
}

PropertyItem Short(std::uint32_t id, std::int16_t v) {
    const auto u = static_cast<std::uint16_t>(v);
    return {id, kTypeShort, {std::uint8_t(u & 0xFF), std::uint8_t(u >> 8)}};
}

void Put32(std::vector<std::uint8_t>& out, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int k = 0; k < 4; ++k) out.push_back(std::uint8_t(u >> (8 * k)));
}

PropertyItem Ratio(std::uint32_t id, std::int32_t numerator, std::int32_t denominator,
                   std::uint16_t type = kTypeSignedRational) {
    PropertyItem item{id, type, {}};
    Put32(item.value, numerator);
    Put32(item.value, denominator);
    return item;
}

std::optional<std::u16string> Row(PropertyRow row, std::vector<PropertyItem> items, int albumType = 1) {
    PhotoRecord photo;
    photo.properties = std::move(items);
    return FormatPropertyRow(row, photo, albumType, EnglishTexts());
}

TEST(MetadataLookup, FirstItemWithTheTagWinsAndRangesAreChecked) {
    std::vector<PhotoRecord> photos(3);
    photos[1].properties = {Ascii(kTagMake, "First"), Ascii(kTagModel, "M"), Ascii(kTagMake, "Second")};
    const PropertyItem* make = FindPhotoProperty(photos[1].properties, kTagMake);
    ASSERT_NE(make, nullptr);
    EXPECT_EQ(PropertyBytesText(*make), u"First");
    EXPECT_EQ(FindPhotoProperty(photos[1].properties, kTagArtist), nullptr);

    EXPECT_EQ(FindPhotoProperty(photos, 3, 1, kTagModel), &photos[1].properties[1]);
    EXPECT_EQ(FindPhotoProperty(photos, 3, 0, kTagMake), nullptr);  // photo without items
    EXPECT_EQ(FindPhotoProperty(photos, 3, -1, kTagMake), nullptr);
    EXPECT_EQ(FindPhotoProperty(photos, 3, 3, kTagMake), nullptr);
    EXPECT_EQ(FindPhotoProperty(photos, 1, 1, kTagMake), nullptr);   // beyond the photo count
    EXPECT_EQ(FindPhotoProperty(photos, 70, 5, kTagMake), nullptr);  // count larger than the records
}

TEST(MetadataValues, DecodersCheckTypeAndLength) {
    EXPECT_EQ(PropertyShort(Short(1, -3)), std::int16_t(-3));
    PropertyItem asLong{1, kTypeLong, {0x90, 0x01, 0, 0}};
    EXPECT_EQ(PropertyShort(asLong), std::int16_t(400));
    EXPECT_FALSE(PropertyShort(PropertyItem{1, kTypeShort, {7}}));
    EXPECT_FALSE(PropertyShort(Ascii(1, "12")));
    EXPECT_FALSE(PropertyShort(Ratio(1, 1, 2)));

    const auto r = PropertyRational(Ratio(1, -67, 100));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->numerator, -67);
    EXPECT_EQ(r->denominator, 100);
    // Unsigned rationals are read as signed parts too.
    EXPECT_EQ(PropertyRational(Ratio(1, -1, 3, kTypeRational))->numerator, -1);
    PropertyItem cut = Ratio(1, 1, 250);
    cut.value.pop_back();
    EXPECT_FALSE(PropertyRational(cut));
    EXPECT_FALSE(PropertyRational(Short(1, 5)));

    EXPECT_EQ(PropertyBytesText(Ascii(1, "Nikon", false)), u"Nikon");
    EXPECT_EQ(PropertyBytesText(Ascii(1, std::string("AB\0CD", 5))), u"AB");
    EXPECT_EQ(PropertyBytesText(PropertyItem{1, kTypeAscii, {0xE9, 0}}), std::u16string(1, char16_t(0xE9)));
    EXPECT_EQ(PropertyBytesText(PropertyItem{}), u"");
}

TEST(MetadataFormat, NumbersFillTheTableFormats) {
    EXPECT_EQ(FormatNumbers(u"%lu X %lu", {std::int32_t(1916), std::int32_t(1080)}), u"1916 X 1080");
    EXPECT_EQ(FormatNumbers(u"f/%.1f", {2.8}), u"f/2.8");
    EXPECT_EQ(FormatNumbers(u"%.1lf KB (%.2lf MB)", {1536.0, 1.5}), u"1536.0 KB (1.50 MB)");
    EXPECT_EQ(FormatNumbers(u"100%% %d", {std::int32_t(7)}), u"100% 7");
    EXPECT_EQ(FormatNumbers(u"%5.2f|%-4d|", {3.14159, std::int32_t(42)}), u" 3.14|42  |");
    // Too few numbers or unknown conversions are copied, never read past.
    EXPECT_EQ(FormatNumbers(u"%d and %d", {std::int32_t(1)}), u"1 and %d");
    EXPECT_EQ(FormatNumbers(u"%s %n %d", {std::int32_t(5)}), u"%s %n 5");
    EXPECT_EQ(FormatNumbers(u"trailing %", {}), u"trailing %");
    // Widths beyond two digits are not a conversion this knows: no huge text.
    EXPECT_EQ(FormatNumbers(u"%999999999d", {std::int32_t(3)}), u"%999999999d");
    EXPECT_EQ(FormatNumbers(u"%99d", {std::int32_t(3)}).size(), 99u);
}

TEST(MetadataRows, ExposureTimeIsShownAsOneOverWholeNumber) {
    EXPECT_EQ(Row(PropertyRow::kExposureTime, {Ratio(kTagExposureTime, 1, 250)}), u"1/250 sec.");
    EXPECT_EQ(Row(PropertyRow::kExposureTime, {Ratio(kTagExposureTime, 10, 2500)}), u"1/250 sec.");
    // A second or more is shown in seconds rather than as 1/0.
    EXPECT_EQ(Row(PropertyRow::kExposureTime, {Ratio(kTagExposureTime, 2, 1)}), u"2.0 sec.");
    EXPECT_EQ(Row(PropertyRow::kExposureTime, {Ratio(kTagExposureTime, 13, 10)}), u"1.3 sec.");
    EXPECT_EQ(Row(PropertyRow::kExposureTime, {Ratio(kTagExposureTime, 1, 3)}), u"1/3 sec.");
    // A zero numerator cannot be turned round: no row rather than a bogus one.
    EXPECT_FALSE(Row(PropertyRow::kExposureTime, {Ratio(kTagExposureTime, 0, 250)}));
    EXPECT_FALSE(Row(PropertyRow::kExposureTime, {Short(kTagExposureTime, 250)}));
}

TEST(MetadataRows, RationalRowsFollowTheirDenominators) {
    EXPECT_EQ(Row(PropertyRow::kFocalLength, {Ratio(kTagFocalLength, 50, 1)}), u"50 mm");
    EXPECT_EQ(Row(PropertyRow::kFocalLength, {Ratio(kTagFocalLength, 185, 10)}), u"18.5 mm");
    EXPECT_EQ(Row(PropertyRow::kFocalLength, {Ratio(kTagFocalLength, 35, 0)}), u"35 mm");
    EXPECT_EQ(Row(PropertyRow::kExposureBias, {Ratio(kTagExposureBias, -2, 3)}), u"-0.7 step");
    EXPECT_EQ(Row(PropertyRow::kExposureBias, {Ratio(kTagExposureBias, 0, 1)}), u"0 step");
    EXPECT_EQ(Row(PropertyRow::kExposureBias, {Ratio(kTagExposureBias, 1, -3)}), u"1 step");
    EXPECT_EQ(Row(PropertyRow::kFStop, {Ratio(kTagFNumber, 28, 10, kTypeRational)}), u"f/2.8");
    EXPECT_FALSE(Row(PropertyRow::kFStop, {Ratio(kTagFNumber, 28, 0)}));
    EXPECT_EQ(Row(PropertyRow::kAperture, {Ratio(kTagMaxAperture, 297, 100)}), u"3.0");
    EXPECT_FALSE(Row(PropertyRow::kAperture, {Ratio(kTagMaxAperture, 3, 0)}));
    // Extreme parts stay defined: single-precision quotients, no overflow.
    EXPECT_EQ(Row(PropertyRow::kExposureTime, {Ratio(kTagExposureTime, -1, INT32_MIN)}), u"1/2147483648 sec.");
    EXPECT_EQ(Row(PropertyRow::kFStop, {Ratio(kTagFNumber, INT32_MIN, 1)}), u"f/-2147483648.0");
}

TEST(MetadataRows, ShortsSettingsAndMetering) {
    EXPECT_EQ(Row(PropertyRow::kIso, {Short(kTagIsoSpeed, 200)}), u"ISO-200");
    EXPECT_EQ(Row(PropertyRow::kIso, {PropertyItem{kTagIsoSpeed, kTypeShort, {0x00, 0x80}}}), u"ISO--32768");
    EXPECT_EQ(Row(PropertyRow::kWhiteBalance, {Short(kTagWhiteBalance, 0)}), u"0");
    EXPECT_EQ(Row(PropertyRow::kSaturation, {Short(kTagSaturation, 0)}), u"default");
    EXPECT_EQ(Row(PropertyRow::kSaturation, {Short(kTagSaturation, 2)}), u"2");
    EXPECT_EQ(Row(PropertyRow::kSharpness, {Short(kTagSharpness, 0)}), u"default");
    EXPECT_EQ(Row(PropertyRow::kContrast, {Short(kTagContrast, 1)}), u"1");
    EXPECT_FALSE(Row(PropertyRow::kContrast, {PropertyItem{kTagContrast, kTypeShort, {1}}}));

    const char16_t* names[] = {u"?",        u"Average", u"Center Weighted Average", u"Spot", u"MultiSpot", u"Pattern",
                               u"Partial ", u"?"};
    for (std::int16_t mode = 0; mode <= 7; ++mode) {
        EXPECT_EQ(Row(PropertyRow::kMetering, {Short(kTagMeteringMode, mode)}), names[mode]) << mode;
    }
    EXPECT_EQ(Row(PropertyRow::kMetering, {Short(kTagMeteringMode, 255)}), u"?");
    EXPECT_EQ(Row(PropertyRow::kMetering, {Short(kTagMeteringMode, -1)}), u"?");
    EXPECT_FALSE(Row(PropertyRow::kMetering, {Ascii(kTagMeteringMode, "2")}));
}

TEST(MetadataRows, TextRows) {
    EXPECT_EQ(Row(PropertyRow::kMake, {Ascii(kTagMake, "Fenwold")}), u"Fenwold");
    EXPECT_EQ(Row(PropertyRow::kModel, {Ascii(kTagModel, "QV 1", false)}), u"QV 1");
    EXPECT_FALSE(Row(PropertyRow::kModel, {PropertyItem{kTagModel, kTypeAscii, {}}}));
    EXPECT_FALSE(Row(PropertyRow::kSoftware, {PropertyItem{kTagSoftware, kTypeShort, {1, 0}}}));
    EXPECT_EQ(Row(PropertyRow::kAuthor, {Ascii(kTagArtist, "A. Painter")}), u"A. Painter");
    EXPECT_EQ(Row(PropertyRow::kCopyright, {Ascii(kTagCopyright, "(c) 2024")}), u"(c) 2024");

    EXPECT_EQ(Row(PropertyRow::kTitle, {Ascii(kTagImageDescription, " \t Lake at dawn\t ")}), u"Lake at dawn");
    EXPECT_EQ(Row(PropertyRow::kTitle, {Ascii(kTagImageDescription, "   ")}), u"");
    EXPECT_EQ(Row(PropertyRow::kTitle, {Ascii(kTagImageDescription, "Desc"), Ascii(kTagImageTitle, "Title")}),
              u"Title");
    // An empty title item still hides the description.
    EXPECT_FALSE(
        Row(PropertyRow::kTitle, {Ascii(kTagImageDescription, "Desc"), PropertyItem{kTagImageTitle, kTypeAscii, {}}}));

    std::vector<std::uint8_t> comment = {'A', 'S', 'C', 'I', 'I', 0, 0, 0, 'h', 'i'};
    EXPECT_EQ(Row(PropertyRow::kComment, {PropertyItem{kTagUserComment, kTypeUndefined, comment}}), u"ASCII");
    EXPECT_EQ(Row(PropertyRow::kComment, {PropertyItem{kTagUserComment, kTypeUndefined, {'n', 'o'}}}), u"no");
    EXPECT_FALSE(Row(PropertyRow::kComment, {PropertyItem{kTagUserComment, kTypeUndefined, {}}}));
}

TEST(MetadataRows, FileNameAndSize) {
    PhotoRecord photo;
    photo.fileName = u"IMG_1.BMP";
    photo.fileSize = 1572864;
    const PropertyTexts texts = EnglishTexts();
    EXPECT_EQ(FormatPropertyRow(PropertyRow::kFileName, photo, 2, texts), u"IMG_1.jpeg");
    const char16_t* shown[] = {u"IMG_1.",    u"IMG_1.jpg", u"IMG_1.jpeg", u"IMG_1.bmp", u"IMG_1.png",
                               u"IMG_1.gif", u"IMG_1.tif", u"IMG_1.tiff", u"IMG_1."};
    for (int type = 0; type <= 8; ++type) {
        EXPECT_EQ(FormatPropertyRow(PropertyRow::kFileName, photo, type, texts), shown[type]) << type;
    }
    photo.fileName = u"AB";
    EXPECT_EQ(FormatPropertyRow(PropertyRow::kFileName, photo, 1, texts), u"jpg");
    EXPECT_EQ(FormatPropertyRow(PropertyRow::kFileSize, photo, 1, texts), u"1536.0 KB (1.50 MB)");
    photo.fileSize = 0;
    EXPECT_EQ(FormatPropertyRow(PropertyRow::kFileSize, photo, 1, texts), u"0.0 KB (0.00 MB)");
}

TEST(MetadataRows, ListOrderAndRowsLeftOut) {
    PhotoRecord photo;
    photo.fileName = u"P1.BMP";
    photo.block = PixelBlock::Make(640, 480);
    photo.fileTime = 1700000000;
    photo.fileSize = 2048;
    const PropertyTexts texts = EnglishTexts();

    // Without items: exactly dimensions, file name and size, even with a
    // file time.
    auto lines = FormatPhotoProperties(photo, 1, texts);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].label, u"Dimensions:");
    EXPECT_EQ(lines[0].value, u"640 X 480");
    EXPECT_EQ(lines[1].label, u"File name:");
    EXPECT_EQ(lines[1].value, u"P1.jpg");
    EXPECT_EQ(lines[2].label, u"File size:");
    EXPECT_EQ(lines[2].value, u"2.0 KB (0.00 MB)");

    photo.properties = {Ascii(kTagMake, "Mk"), Ratio(kTagMaxAperture, 1, 0), Short(kTagMeteringMode, 3),
                        Ascii(kTagModel, "Md")};
    lines = FormatPhotoProperties(photo, 1, texts);
    std::vector<PropertyRow> rows;
    for (const auto& line : lines) rows.push_back(line.row);
    const std::vector<PropertyRow> expected = {
        PropertyRow::kDimensions, PropertyRow::kDateModified, PropertyRow::kModel,   PropertyRow::kMake,
        PropertyRow::kMetering,   PropertyRow::kFileName,     PropertyRow::kFileSize};
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(lines[4].label, u"Metering:");
    EXPECT_EQ(lines[4].value, u"Spot");

    EXPECT_EQ(PropertyLabelControl(PropertyRow::kDimensions), 1090u);
    EXPECT_EQ(PropertyLabelControl(PropertyRow::kCopyright), 1118u);
    EXPECT_EQ(PropertyLabelControl(PropertyRow::kFileSize), 112u);
}

TEST(MetadataTime, CaptureTimeIsReadAtFixedPositions) {
    auto t = ParseCaptureTime(u"2019:07:14 09:30:05");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->tm_year, 119);
    EXPECT_EQ(t->tm_mon, 6);
    EXPECT_EQ(t->tm_mday, 14);
    EXPECT_EQ(t->tm_hour, 9);
    EXPECT_EQ(t->tm_min, 30);
    EXPECT_EQ(t->tm_sec, 5);
    // Whether summer time applied on that day is the system's to say.
    EXPECT_EQ(t->tm_isdst, -1);
    // Separators are not checked, only the number positions.
    EXPECT_TRUE(ParseCaptureTime(u"2019-07-14T09:30:05Z"));
    EXPECT_FALSE(ParseCaptureTime(u"2019:07:14 09:30:0"));
    EXPECT_FALSE(ParseCaptureTime(u"2019:07:14 09:3a:05"));
    EXPECT_FALSE(ParseCaptureTime(u""));

    EXPECT_EQ(CaptureTimeOf(Ascii(kTagDateTimeOriginal, "0000:00:00 00:00:00")), 0);
    EXPECT_EQ(CaptureTimeOf(Ascii(kTagDateTimeOriginal, "    :  :     :  :  ")), 0);
    EXPECT_EQ(CaptureTimeOf(Ascii(kTagDateTimeOriginal, "1969:12:30 00:00:00")), 0);
    // Only the original capture time counts, not the file's change time (306).
    EXPECT_EQ(CaptureTimeOf(Ascii(306, "2019:07:14 09:30:05")), 0);

    // The last capture-time item gives the date taken.
    const std::int64_t first = CaptureTimeOf(Ascii(kTagDateTimeOriginal, "2019:07:14 09:30:05"));
    const std::int64_t last = CaptureTimeOf(Ascii(kTagDateTimeOriginal, "2020:07:14 09:30:05"));
    ASSERT_GT(first, 0);
    EXPECT_EQ(CaptureTimeOf({Ascii(kTagDateTimeOriginal, "2019:07:14 09:30:05"), Ascii(kTagMake, "x"),
                             Ascii(kTagDateTimeOriginal, "2020:07:14 09:30:05")}),
              last);
    EXPECT_EQ(CaptureTimeOf(std::vector<PropertyItem>{}), 0);
    // Shown back as local time: the same clock time, or one hour earlier
    // where the zone keeps no summer time in July.
    const auto shown = LocalTimeText(first);
    ASSERT_TRUE(shown);
    EXPECT_TRUE(*shown == u"Sun Jul 14 09:30:05 2019\n" || *shown == u"Sun Jul 14 08:30:05 2019\n") << ToAscii(*shown);
}

TEST(MetadataTime, TimeTextHasTheRuntimeLayout) {
    std::tm t{};
    t.tm_year = 80;
    t.tm_mon = 0;
    t.tm_mday = 2;
    t.tm_wday = 3;
    t.tm_hour = 2;
    t.tm_min = 3;
    t.tm_sec = 4;
    EXPECT_EQ(TimeText(t), u"Wed Jan 02 02:03:04 1980\n");
    t.tm_wday = 9;  // out of range fields never index past the name tables
    t.tm_mon = -4;
    EXPECT_EQ(TimeText(t).size(), 25u);
}

#ifndef _WIN32
// Sets the process time zone for one test (natively only: the Windows
// run-time reads its zone from the system).
class ZoneGuard {
public:
    explicit ZoneGuard(const char* zone) {
        if (const char* old = std::getenv("TZ")) saved_ = old, hadZone_ = true;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneGuard() {
        if (hadZone_)
            setenv("TZ", saved_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::string saved_;
    bool hadZone_ = false;
};

TEST(MetadataTime, WinterAndSummerCaptureTimesShowAsTheyWereTaken) {
    ZoneGuard zone("CET-1CEST,M3.5.0,M10.5.0/3");
    const std::int64_t summer = CaptureTimeOf(Ascii(kTagDateTimeOriginal, "2019:07:14 09:30:05"));
    const std::int64_t winter = CaptureTimeOf(Ascii(kTagDateTimeOriginal, "2019:01:14 09:30:05"));
    EXPECT_EQ(LocalTimeText(summer), u"Sun Jul 14 09:30:05 2019\n");
    EXPECT_EQ(LocalTimeText(winter), u"Mon Jan 14 09:30:05 2019\n");
    EXPECT_EQ(summer, 1563089405);  // 07:30:05 UTC

    PhotoRecord photo;
    photo.properties = {Ascii(kTagDateTimeOriginal, "2019:01:14 09:30:05")};
    photo.dateTaken = winter;
    photo.fileTime = summer;
    const auto lines = FormatPhotoProperties(photo, 1, EnglishTexts());
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[1].label, u"Date taken:");
    EXPECT_EQ(lines[1].value, u"Mon Jan 14 09:30:05 2019\n");
    EXPECT_EQ(lines[2].label, u"Date modified:");
    EXPECT_EQ(lines[2].value, u"Sun Jul 14 09:30:05 2019\n");
}
#endif

// Writes a TIFF structure in either byte order: directory 0, then the EXIF
// directory when it has entries, values laid out after each directory.
class TiffWriter {
public:
    struct Entry {
        std::uint16_t tag;
        std::uint16_t type;
        std::uint32_t count;
        std::vector<std::uint32_t> numbers;  // each element, by the type's width
        std::string text;                    // ASCII and undefined values
        std::optional<std::uint32_t> offsetOverride;
    };

    explicit TiffWriter(bool bigEndian) : big_(bigEndian) {}

    std::vector<std::uint8_t> Write(const std::vector<Entry>& first, const std::vector<Entry>& exif) {
        out_.clear();
        out_.push_back(big_ ? 'M' : 'I');
        out_.push_back(big_ ? 'M' : 'I');
        U16(42);
        U32(8);
        std::vector<Entry> ifd0 = first;
        if (!exif.empty()) ifd0.push_back({kTagExifIfd, kTypeLong, 1, {0}, {}, {}});
        const std::size_t pointerAt = WriteDirectory(ifd0);
        if (!exif.empty()) {
            const auto exifAt = std::uint32_t(out_.size());
            WriteDirectory(exif);
            Patch32(pointerAt, exifAt);
        }
        return out_;
    }

private:
    void U16(std::uint32_t v) {
        if (big_)
            out_.insert(out_.end(), {std::uint8_t(v >> 8), std::uint8_t(v)});
        else
            out_.insert(out_.end(), {std::uint8_t(v), std::uint8_t(v >> 8)});
    }
    void U32(std::uint32_t v) {
        for (int k = 0; k < 4; ++k) out_.push_back(std::uint8_t(big_ ? v >> (24 - 8 * k) : v >> (8 * k)));
    }
    void Patch32(std::size_t at, std::uint32_t v) {
        for (int k = 0; k < 4; ++k) out_[at + k] = std::uint8_t(big_ ? v >> (24 - 8 * k) : v >> (8 * k));
    }
    std::vector<std::uint8_t> Bytes(const Entry& e) {
        std::vector<std::uint8_t> saved;
        saved.swap(out_);
        if (!e.text.empty()) {
            out_.assign(e.text.begin(), e.text.end());
        } else {
            for (std::uint32_t n : e.numbers) e.type == kTypeShort ? U16(n) : U32(n);
        }
        saved.swap(out_);
        return saved;
    }
    // Returns where the value field of the EXIF pointer entry lies.
    std::size_t WriteDirectory(const std::vector<Entry>& entries) {
        const std::size_t start = out_.size();
        U16(std::uint32_t(entries.size()));
        std::size_t data = start + 2 + entries.size() * 12 + 4;
        std::vector<std::vector<std::uint8_t>> outside;
        std::size_t pointerAt = 0;
        for (const Entry& e : entries) {
            U16(e.tag);
            U16(e.type);
            U32(e.count);
            std::vector<std::uint8_t> value = Bytes(e);
            if (e.tag == kTagExifIfd) pointerAt = out_.size();
            if (e.offsetOverride) {
                U32(*e.offsetOverride);
            } else if (value.size() <= 4) {
                value.resize(4, 0);
                out_.insert(out_.end(), value.begin(), value.end());
            } else {
                U32(std::uint32_t(data));
                data += value.size();
                outside.push_back(value);
            }
        }
        U32(0);
        for (const auto& v : outside) out_.insert(out_.end(), v.begin(), v.end());
        return pointerAt;
    }

    bool big_;
    std::vector<std::uint8_t> out_;
};

std::vector<std::uint8_t> Jpeg(const std::vector<std::uint8_t>& tiff, bool withApp0 = true) {
    std::vector<std::uint8_t> f = {0xFF, 0xD8};
    if (withApp0) {
        const std::uint8_t app0[] = {0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0};
        f.insert(f.end(), std::begin(app0), std::end(app0));
    }
    const std::size_t length = tiff.size() + 8;
    f.insert(f.end(), {0xFF, 0xE1, std::uint8_t(length >> 8), std::uint8_t(length), 'E', 'x', 'i', 'f', 0, 0});
    f.insert(f.end(), tiff.begin(), tiff.end());
    f.insert(f.end(), {0xFF, 0xDA, 0x00, 0x02, 0x12, 0x34, 0xFF, 0xD9});
    return f;
}

std::vector<TiffWriter::Entry> FirstDirectory() {
    return {{kTagMake, kTypeAscii, 8, {}, std::string("Fenwold", 8), {}},
            {kTagModel, kTypeAscii, 4, {}, std::string("QV1", 4), {}}};
}

std::vector<TiffWriter::Entry> ExifDirectory() {
    return {{kTagExposureTime, kTypeRational, 1, {1, 250}, {}, {}},
            {kTagIsoSpeed, kTypeShort, 1, {200}, {}, {}},
            {kTagExposureBias, kTypeSignedRational, 1, {std::uint32_t(-67), 100}, {}, {}},
            {kTagFocalLength, kTypeRational, 1, {37, 2}, {}, {}},
            {kTagMeteringMode, kTypeShort, 1, {5}, {}, {}},
            {kTagDateTimeOriginal, kTypeAscii, 20, {}, std::string("2019:07:14 09:30:05", 20), {}}};
}

TEST(MetadataFile, JpegAndTiffItemsInBothByteOrdersReadAlike) {
    for (bool big : {false, true}) {
        TiffWriter writer(big);
        const auto tiff = writer.Write(FirstDirectory(), ExifDirectory());
        for (const auto& file : {Jpeg(tiff), Jpeg(tiff, false), tiff}) {
            PhotoRecord photo;
            photo.properties = ParseExifProperties(file);
            ASSERT_EQ(photo.properties.size(), 9u) << big;
            EXPECT_EQ(photo.properties[0].id, kTagMake);
            EXPECT_EQ(photo.properties[2].id, kTagExifIfd);
            EXPECT_EQ(photo.properties[3].id, kTagExposureTime);
            const PropertyTexts texts = EnglishTexts();
            EXPECT_EQ(FormatPropertyRow(PropertyRow::kMake, photo, 1, texts), u"Fenwold");
            EXPECT_EQ(FormatPropertyRow(PropertyRow::kModel, photo, 1, texts), u"QV1");
            EXPECT_EQ(FormatPropertyRow(PropertyRow::kExposureTime, photo, 1, texts), u"1/250 sec.");
            EXPECT_EQ(FormatPropertyRow(PropertyRow::kIso, photo, 1, texts), u"ISO-200");
            EXPECT_EQ(FormatPropertyRow(PropertyRow::kExposureBias, photo, 1, texts), u"-0.7 step");
            EXPECT_EQ(FormatPropertyRow(PropertyRow::kFocalLength, photo, 1, texts), u"18.5 mm");
            EXPECT_EQ(FormatPropertyRow(PropertyRow::kMetering, photo, 1, texts), u"Pattern");
            EXPECT_GT(CaptureTimeOf(photo.properties), 0);
            // Values are little-endian as GDI+ gives them, whatever the file.
            const std::vector<std::uint8_t> iso = {200, 0};
            EXPECT_EQ(FindPhotoProperty(photo.properties, kTagIsoSpeed)->value, iso);
        }
    }
}

TEST(MetadataFile, MalformedStructuresAreSkippedWithinBounds) {
    TiffWriter writer(false);
    auto entries = FirstDirectory();
    entries.push_back({kTagArtist, kTypeAscii, 0x7FFFFFFF, {}, std::string(8, 'x'), {}});        // far too long
    entries.push_back({kTagSoftware, kTypeAscii, 6, {}, std::string("App 1", 6), 0xFFFFFFF0u});  // past the end
    entries.push_back({kTagCopyright, 99, 1, {1}, {}, {}});                                      // unknown type
    entries.push_back({kTagFNumber, kTypeRational, 0x20000001, {28, 10}, {}, {}});               // size wraps 32 bits
    const auto tiff = writer.Write(entries, ExifDirectory());
    auto items = ParseExifProperties(tiff);
    EXPECT_EQ(items.size(), 9u);
    EXPECT_EQ(FindPhotoProperty(items, kTagArtist), nullptr);
    EXPECT_EQ(FindPhotoProperty(items, kTagSoftware), nullptr);
    EXPECT_EQ(FindPhotoProperty(items, kTagCopyright), nullptr);
    EXPECT_EQ(FindPhotoProperty(items, kTagFNumber), nullptr);

    // Every cut of a valid file parses without reading past its end.
    const auto whole = Jpeg(writer.Write(FirstDirectory(), ExifDirectory()));
    for (std::size_t size = 0; size < whole.size(); ++size) {
        const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + size);
        EXPECT_LE(ParseExifProperties(cut).size(), 9u);
    }

    // A directory that counts more entries than it holds, and an EXIF
    // pointer back to directory 0, end without looping.
    auto tiny = writer.Write(
        {{kTagMake, kTypeAscii, 4, {}, std::string("Abc", 4), {}}, {kTagExifIfd, kTypeLong, 1, {8}, {}, {}}}, {});
    tiny[8] = 0xFF;
    tiny[9] = 0x00;
    items = ParseExifProperties(tiny);
    EXPECT_GE(items.size(), 2u);
    EXPECT_EQ(PropertyBytesText(items[0]), u"Abc");

    EXPECT_TRUE(ParseExifProperties(std::vector<std::uint8_t>{'G', 'I', 'F', '8', '9', 'a'}).empty());
    EXPECT_TRUE(ParseExifProperties(std::vector<std::uint8_t>{}).empty());
    // A segment length running past the file, and image data before any
    // metadata, give nothing.
    EXPECT_TRUE(ParseExifProperties(std::vector<std::uint8_t>{0xFF, 0xD8, 0xFF, 0xE1, 0xFF, 0xFF, 'E'}).empty());
    std::vector<std::uint8_t> late = {0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x02};
    const auto exif = Jpeg(writer.Write(FirstDirectory(), {}));
    late.insert(late.end(), exif.begin() + 2, exif.end());
    EXPECT_TRUE(ParseExifProperties(late).empty());
}

std::size_t ValueBytes(const std::vector<PropertyItem>& items) {
    std::size_t bytes = 0;
    for (const PropertyItem& item : items) bytes += item.value.size();
    return bytes;
}

// One EXIF block of a few KB could make every entry point at the same long
// value, and the EXIF pointer back at the directory holding them.
TEST(MetadataFile, OverlappingValuesAndADirectoryLoopKeepNoMoreThanTheFileHolds) {
    std::vector<TiffWriter::Entry> entries = FirstDirectory();
    for (int i = 0; i < 2000; ++i) {
        const std::uint16_t tag =
            i % 2 ? std::uint16_t(kTagUserComment) : std::uint16_t(37500);  // a shown tag and the maker note
        entries.push_back({tag, kTypeUndefined, 20000, {}, {}, 8u});
    }
    entries.push_back({kTagExifIfd, kTypeLong, 1, {8}, {}, {}});
    const auto file = Jpeg(TiffWriter(false).Write(entries, {}));
    const auto items = ParseExifProperties(file);
    EXPECT_LE(ValueBytes(items), file.size());
    EXPECT_EQ(std::count_if(items.begin(), items.end(), [](const PropertyItem& i) { return i.id == kTagMake; }), 1);
    PhotoRecord photo;
    photo.properties = items;
    EXPECT_EQ(FormatPropertyRow(PropertyRow::kMake, photo, 1, EnglishTexts()), u"Fenwold");
    ASSERT_NE(FindPhotoProperty(items, kTagUserComment), nullptr);
    EXPECT_EQ(FindPhotoProperty(items, kTagUserComment)->value.size(), 20000u);
}

// GDI+'s block: `count` item headers of `tag`, then one value they all point at.
std::vector<std::uint8_t> SharedValueBlock(std::uint32_t tag, std::size_t count, std::size_t valueBytes) {
    std::vector<std::uint8_t> block(count * sizeof(GdiPropertyItem) + valueBytes, 'c');
    const std::uint8_t* value = block.data() + count * sizeof(GdiPropertyItem);
    for (std::size_t i = 0; i < count; ++i) {
        const GdiPropertyItem header{tag, std::uint32_t(valueBytes), kTypeUndefined, value};
        std::memcpy(block.data() + i * sizeof header, &header, sizeof header);
    }
    return block;
}

TEST(MetadataBlock, HeadersSharingOneValueAreNotMultiplied) {
    const auto block = SharedValueBlock(kTagUserComment, 2000, 20000);
    const auto items = TakePropertyBlock(block, 2000);
    EXPECT_LE(ValueBytes(items), block.size());
    EXPECT_EQ(FindPhotoProperty(items, kTagUserComment)->value.size(), 20000u);
}

TEST(MetadataFile, OnlyJpegAndTiffFilesAreReadAgainForTheirItems) {
    for (bool bigEndian : {false, true}) {
        const auto tiff = TiffWriter(bigEndian).Write(FirstDirectory(), ExifDirectory());
        EXPECT_TRUE(MayHoldExif(tiff)) << bigEndian;
        EXPECT_TRUE(MayHoldExif(Jpeg(tiff))) << bigEndian;
    }
    const std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    const std::vector<std::uint8_t> bmp = {'B', 'M', 0x36, 0x10, 0x0E, 0x00};
    const std::vector<std::uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a'};
    for (const auto& other : {png, bmp, gif}) EXPECT_FALSE(MayHoldExif(other));
    EXPECT_FALSE(MayHoldExif(std::vector<std::uint8_t>{0xFF, 0xD8}));
}

}  // namespace
}  // namespace quorvel
