// Photo metadata shown in the Photos panel: the value texts of its
// properties list, made from the property items the decoder keeps with each
// photo (imaging/PhotoProperties.h reads them and their capture time).
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

#include "imaging/PhotoRecord.h"
#include "imaging/PhotoProperties.h"

namespace quorvel {

// The same for photo `index` of an album's records; none when the index is
// outside 0..photoCount-1 or the photo has no items.
const PropertyItem* FindPhotoProperty(std::span<const PhotoRecord> photos, std::int32_t photoCount, std::int32_t index,
                                      std::uint32_t tag);

// "Wed Jan 02 02:03:04 1980\n", as the C run-time writes a time.
std::u16string TimeText(const std::tm& time);
// TimeText of a time value turned into local time; none when it cannot be.
std::optional<std::u16string> LocalTimeText(std::int64_t seconds);

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
    kTextFormatSeconds,
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
std::vector<PropertyLine> FormatPhotoProperties(const PhotoRecord& photo, int albumType, const PropertyTexts& texts);

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
