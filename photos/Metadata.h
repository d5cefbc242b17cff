// Photo metadata: the EXIF/TIFF property items kept with a photo, the
// capture time read from them, and the value texts of the properties list
// of the Photos panel. Portable: the items arrive as raw little-endian bytes
// (as GDI+ hands them out, or as ParseExifProperties reads them from the
// file), and every decoder here checks type and length before it reads.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/PhotoRecord.h"

namespace quorvel {

// Tag ids as GDI+ numbers them (the EXIF and TIFF tag numbers).
enum PropertyTag : std::uint32_t {
    kTagImageDescription = 270,
    kTagMake = 271,
    kTagModel = 272,
    kTagSoftware = 305,
    kTagArtist = 315,
    kTagImageTitle = 800,
    kTagCopyright = 33432,
    kTagExposureTime = 33434,
    kTagFNumber = 33437,
    kTagExifIfd = 34665,
    kTagIsoSpeed = 34855,
    kTagExifVersion = 36864,
    kTagDateTimeOriginal = 36867,
    kTagExposureBias = 37380,
    kTagMaxAperture = 37381,
    kTagMeteringMode = 37383,
    kTagFocalLength = 37386,
    kTagUserComment = 37510,
    kTagWhiteBalance = 41987,
    kTagContrast = 41992,
    kTagSaturation = 41993,
    kTagSharpness = 41994,
};

enum PropertyType : std::uint16_t {
    kTypeByte = 1,
    kTypeAscii = 2,
    kTypeShort = 3,
    kTypeLong = 4,
    kTypeRational = 5,
    kTypeUndefined = 7,
    kTypeSignedLong = 9,
    kTypeSignedRational = 10,
};

// The first item with the tag, in block order; none when absent.
const PropertyItem* FindPhotoProperty(const std::vector<PropertyItem>& items, std::uint32_t tag);
// The same for photo `index` of an album's records; none when the index is
// outside 0..photoCount-1 or the photo has no items.
const PropertyItem* FindPhotoProperty(std::span<const PhotoRecord> photos, std::int32_t photoCount,
                                      std::int32_t index, std::uint32_t tag);

struct Rational {
    std::int32_t numerator = 0;
    std::int32_t denominator = 0;
};

// A short value read as signed 16 bits (from a short, or the low half of a
// long as it lies in memory); none for other types or too few bytes.
std::optional<std::int16_t> PropertyShort(const PropertyItem& item);
// The first rational, both parts read as signed 32 bits; none for other
// types or fewer than 8 bytes.
std::optional<Rational> PropertyRational(const PropertyItem& item);
// The value bytes up to the first zero byte (or all of them when there is
// none), each byte one character, as the C locale converts them.
std::u16string PropertyBytesText(const PropertyItem& item);

// Capture time "yyyy:mm:dd hh:mm:ss": the broken-down local time with the
// daylight-saving flag set, or none when the text is shorter than 19
// characters or a number position holds no digit.
std::optional<std::tm> ParseCaptureTime(std::u16string_view text);
// Seconds since 1970 of the capture time (mktime of the parsed time), 0
// when the item is not a usable capture time or it lies before 1970.
std::int64_t CaptureTimeOf(const PropertyItem& item);
// The record's date taken: the last capture-time item of the list wins.
std::int64_t CaptureTimeOf(const std::vector<PropertyItem>& items);

// "Wed Jan 02 02:03:04 1980\n", as the C run-time writes a time.
std::u16string TimeText(const std::tm& time);
// TimeText of a time value turned into local time; none when it cannot be.
std::optional<std::u16string> LocalTimeText(std::int64_t seconds);

// Reads the property items straight from a JPEG (its "Exif" APP1 segment)
// or TIFF file: the entries of the first directory and of the EXIF
// directory, in file order, values turned into little-endian as GDI+ gives
// them. Malformed entries are skipped; nothing outside `file` is read.
std::vector<PropertyItem> ParseExifProperties(std::span<const std::uint8_t> file);

// The texts the list shows, indexed by PropertyText; the Windows side loads
// them from the string table (ids in kPropertyTextIds).
enum PropertyText : std::size_t {
    kTextLabelDimensions,
    kTextLabelDateTaken,
    kTextLabelDateModified,
    kTextLabelModel,
    kTextLabelMake,
    kTextLabelTitle,
    kTextLabelFStop,
    kTextLabelExposureTime,
    kTextLabelIso,
    kTextLabelWhiteBalance,
    kTextLabelSaturation,
    kTextLabelSharpness,
    kTextLabelContrast,
    kTextLabelFocalLength,
    kTextLabelAperture,
    kTextLabelMetering,
    kTextLabelSoftware,
    kTextLabelAuthor,
    kTextLabelExposureBias,
    kTextLabelComment,
    kTextLabelCopyright,
    kTextLabelFileName,
    kTextLabelFileSize,
    kTextColumnName,
    kTextColumnValue,
    kTextDefault,
    kTextMeteringAverage,
    kTextMeteringCenter,
    kTextMeteringSpot,
    kTextMeteringMultiSpot,
    kTextMeteringPattern,
    kTextMeteringPartial,
    kTextUnknown,
    kTextFormatDimensions,
    kTextFormatFStop,
    kTextFormatExposure,
    kTextFormatIso,
    kTextFormatNumber,
    kTextFormatMillimetres,
    kTextFormatWholeMillimetres,
    kTextFormatAperture,
    kTextFormatStep,
    kTextFormatWholeStep,
    kTextFormatFileSize,
    kPropertyTextCount
};
using PropertyTexts = std::array<std::u16string, kPropertyTextCount>;
extern const std::array<std::uint32_t, kPropertyTextCount> kPropertyTextIds;

// The rows of the list, in the order they are shown.
enum class PropertyRow {
    kDimensions,
    kDateTaken,
    kDateModified,
    kModel,
    kMake,
    kTitle,
    kFStop,
    kExposureTime,
    kIso,
    kWhiteBalance,
    kSaturation,
    kSharpness,
    kContrast,
    kFocalLength,
    kAperture,
    kMetering,
    kSoftware,
    kAuthor,
    kExposureBias,
    kComment,
    kCopyright,
    kFileName,
    kFileSize,
};
constexpr int kPropertyRowCount = 23;

// The panel's hidden label static that names a row (its text is the label).
std::uint32_t PropertyLabelControl(PropertyRow row);

// One row's value for the photo; none when the row is left out (its
// property is missing, too short, of the wrong type, or cannot be divided).
// albumType is the album's photo type 1..7 (it picks the file name's
// extension).
std::optional<std::u16string> FormatPropertyRow(PropertyRow row, const PhotoRecord& photo, int albumType,
                                                const PropertyTexts& texts);

struct PropertyLine {
    PropertyRow row;
    std::u16string label;
    std::u16string value;
};
// Every row the photo has, in list order: rows 2 to 21 only when the photo
// has property items.
std::vector<PropertyLine> FormatPhotoProperties(const PhotoRecord& photo, int albumType,
                                                const PropertyTexts& texts);

// A printf-like format of the string table filled with numbers: %d %i %u
// (with l, ll or h) take integers, %f (with l) takes a double, %% is a
// percent sign; flags, width and precision as in printf. A conversion it
// does not know, or one without a number left, is copied as it stands.
struct FormatNumber {
    FormatNumber(std::int64_t v) : isInteger(true), integer(v) {}
    FormatNumber(std::int32_t v) : isInteger(true), integer(v) {}
    FormatNumber(double v) : isInteger(false), real(v) {}
    bool isInteger;
    std::int64_t integer = 0;
    double real = 0;
};
std::u16string FormatNumbers(std::u16string_view format, std::initializer_list<FormatNumber> numbers);

}  // namespace quorvel
