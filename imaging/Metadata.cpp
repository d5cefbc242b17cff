#include "imaging/Metadata.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/Text.h"
#include "res/resource.h"

namespace quorvel {

const std::array<std::uint32_t, kPropertyTextCount> kPropertyTextIds = {
    IDS_PROP_DIMENSIONS,
    IDS_PROP_DATE_TAKEN,
    IDS_PROP_DATE_MODIFIED,
    IDS_PROP_MODEL,
    IDS_PROP_MAKE,
    IDS_PROP_TITLE,
    IDS_PROP_F_STOP,
    IDS_PROP_EXPOSURE_TIME,
    IDS_PROP_ISO,
    IDS_PROP_WHITE_BALANCE,
    IDS_PROP_SATURATION,
    IDS_PROP_SHARPNESS,
    IDS_PROP_CONTRAST,
    IDS_PROP_FOCAL_LENGTH,
    IDS_PROP_APERTURE,
    IDS_PROP_METERING,
    IDS_PROP_SOFTWARE,
    IDS_PROP_AUTHOR,
    IDS_PROP_EXPOSURE_BIAS,
    IDS_PROP_COMMENT,
    IDS_PROP_COPYRIGHT,
    IDS_PROP_FILE_NAME,
    IDS_PROP_FILE_SIZE,
    IDS_PROP_COLUMN_NAME,
    IDS_PROP_COLUMN_VALUE,
    IDS_PROP_DEFAULT,
    IDS_PROP_METERING_AVERAGE,
    IDS_PROP_METERING_CENTER,
    IDS_PROP_METERING_SPOT,
    IDS_PROP_METERING_MULTISPOT,
    IDS_PROP_METERING_PATTERN,
    IDS_PROP_METERING_PARTIAL,
    IDS_PROP_UNKNOWN,
    IDS_PROP_FORMAT_DIMENSIONS,
    IDS_PROP_FORMAT_F_STOP,
    IDS_PROP_FORMAT_EXPOSURE,
    IDS_PROP_FORMAT_ISO,
    IDS_PROP_FORMAT_NUMBER,
    IDS_PROP_FORMAT_MM,
    IDS_PROP_FORMAT_WHOLE_MM,
    IDS_PROP_FORMAT_APERTURE,
    IDS_PROP_FORMAT_STEP,
    IDS_PROP_FORMAT_WHOLE_STEP,
    IDS_PROP_FORMAT_SIZE,
    IDS_PROP_FORMAT_SECONDS,
};

const PropertyItem* FindPhotoProperty(std::span<const PhotoRecord> photos, std::int32_t photoCount, std::int32_t index,
                                      std::uint32_t tag) {
    if (index < 0 || index >= photoCount || static_cast<std::size_t>(index) >= photos.size()) return nullptr;
    return FindPhotoProperty(photos[static_cast<std::size_t>(index)].properties, tag);
}

std::u16string TimeText(const std::tm& time) {
    static const char kDays[7][4] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char kMonths[12][4] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const int day = time.tm_wday >= 0 && time.tm_wday < 7 ? time.tm_wday : 0;
    const int month = time.tm_mon >= 0 && time.tm_mon < 12 ? time.tm_mon : 0;
    char text[64];
    std::snprintf(text, sizeof text, "%s %s %02d %02d:%02d:%02d %d\n", kDays[day], kMonths[month], time.tm_mday,
                  time.tm_hour, time.tm_min, time.tm_sec, time.tm_year + 1900);
    return FromAscii(text);
}

std::optional<std::u16string> LocalTimeText(std::int64_t seconds) {
    const std::time_t value = static_cast<std::time_t>(seconds);
    if (static_cast<std::int64_t>(value) != seconds) return std::nullopt;
    // One thread only (the user-interface thread), so the shared result of
    // localtime is safe to read here.
    const std::tm* local = std::localtime(&value);
    if (local == nullptr) return std::nullopt;
    return TimeText(*local);
}

std::u16string FormatNumbers(std::u16string_view format, std::initializer_list<FormatNumber> numbers) {
    std::u16string out;
    auto next = numbers.begin();
    std::size_t i = 0;
    while (i < format.size()) {
        if (format[i] != u'%') {
            out.push_back(format[i++]);
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == u'%') {
            out.push_back(u'%');
            i += 2;
            continue;
        }
        // %[flags][width][.precision][length]conversion, kept short so the
        // narrow copy handed to snprintf stays small.
        std::string spec = "%";
        std::size_t j = i + 1;
        while (j < format.size() && (format[j] == u'-' || format[j] == u'+' || format[j] == u' ' || format[j] == u'0' ||
                                     format[j] == u'#')) {
            spec.push_back(char(format[j++]));
        }
        std::size_t digits = 0;
        while (j < format.size() && format[j] >= u'0' && format[j] <= u'9' && digits < 2) {
            spec.push_back(char(format[j++]));
            ++digits;
        }
        if (j < format.size() && format[j] == u'.') {
            spec.push_back('.');
            ++j;
            digits = 0;
            while (j < format.size() && format[j] >= u'0' && format[j] <= u'9' && digits < 2) {
                spec.push_back(char(format[j++]));
                ++digits;
            }
        }
        while (j < format.size() && (format[j] == u'l' || format[j] == u'h')) ++j;
        const char16_t conversion = j < format.size() ? format[j] : u'\0';
        const bool integer = conversion == u'd' || conversion == u'i' || conversion == u'u';
        const bool real = conversion == u'f' || conversion == u'F';
        if ((!integer && !real) || next == numbers.end()) {
            out.append(format.substr(i, j < format.size() ? j + 1 - i : j - i));
            i = j + 1;
            continue;
        }
        const FormatNumber& n = *next++;
        char text[128];
        if (integer) {
            spec += conversion == u'u' ? "llu" : "lld";
            // A real number given to an integer conversion is cut, within range.
            const double clamped = std::isfinite(n.real) ? std::clamp(std::trunc(n.real), -9.0e18, 9.0e18) : 0.0;
            const long long value = n.isInteger ? n.integer : static_cast<long long>(clamped);
            std::snprintf(text, sizeof text, spec.c_str(), value);
        } else {
            spec.push_back('f');
            const double value = n.isInteger ? static_cast<double>(n.integer) : n.real;
            std::snprintf(text, sizeof text, spec.c_str(), value);
        }
        out += FromAscii(text);
        i = j + 1;
    }
    return out;
}

namespace {

struct RowInfo {
    PropertyRow row;
    std::uint32_t labelControl;
    PropertyText label;
};

constexpr RowInfo kRows[kPropertyRowCount] = {
    {PropertyRow::kDimensions, 1090, kTextLabelDimensions},
    {PropertyRow::kDateTaken, 1088, kTextLabelDateTaken},
    {PropertyRow::kDateModified, 1089, kTextLabelDateModified},
    {PropertyRow::kModel, 1095, kTextLabelModel},
    {PropertyRow::kMake, 1093, kTextLabelMake},
    {PropertyRow::kTitle, 1097, kTextLabelTitle},
    {PropertyRow::kFStop, 1099, kTextLabelFStop},
    {PropertyRow::kExposureTime, 1101, kTextLabelExposureTime},
    {PropertyRow::kIso, 1102, kTextLabelIso},
    {PropertyRow::kWhiteBalance, 1104, kTextLabelWhiteBalance},
    {PropertyRow::kSaturation, 1105, kTextLabelSaturation},
    {PropertyRow::kSharpness, 1107, kTextLabelSharpness},
    {PropertyRow::kContrast, 1109, kTextLabelContrast},
    {PropertyRow::kFocalLength, 1106, kTextLabelFocalLength},
    {PropertyRow::kAperture, 1108, kTextLabelAperture},
    {PropertyRow::kMetering, 1110, kTextLabelMetering},
    {PropertyRow::kSoftware, 1112, kTextLabelSoftware},
    {PropertyRow::kAuthor, 1114, kTextLabelAuthor},
    {PropertyRow::kExposureBias, 1116, kTextLabelExposureBias},
    {PropertyRow::kComment, 1120, kTextLabelComment},
    {PropertyRow::kCopyright, 1118, kTextLabelCopyright},
    {PropertyRow::kFileName, 1121, kTextLabelFileName},
    {PropertyRow::kFileSize, 112, kTextLabelFileSize},
};

const char16_t* const kAlbumExtensions[8] = {u"", u"jpg", u"jpeg", u"bmp", u"png", u"gif", u"tif", u"tiff"};

std::optional<std::u16string> AsciiRow(const PhotoRecord& photo, std::uint32_t tag) {
    const PropertyItem* item = FindPhotoProperty(photo.properties, tag);
    if (item == nullptr || item->value.empty() || item->type != kTypeAscii) return std::nullopt;
    return PropertyBytesText(*item);
}

std::optional<std::int16_t> ShortOf(const PhotoRecord& photo, std::uint32_t tag) {
    const PropertyItem* item = FindPhotoProperty(photo.properties, tag);
    return item ? PropertyShort(*item) : std::nullopt;
}

std::optional<Rational> RationalOf(const PhotoRecord& photo, std::uint32_t tag) {
    const PropertyItem* item = FindPhotoProperty(photo.properties, tag);
    return item ? PropertyRational(*item) : std::nullopt;
}

// Quotients are taken in single precision, as the list always showed them.
float Quotient(std::int32_t numerator, std::int32_t denominator) {
    return static_cast<float>(numerator) / static_cast<float>(denominator);
}

std::optional<std::u16string> SettingRow(const PhotoRecord& photo, std::uint32_t tag, const PropertyTexts& texts) {
    const auto value = ShortOf(photo, tag);
    if (!value) return std::nullopt;
    if (*value == 0) return texts[kTextDefault];
    return FormatNumbers(texts[kTextFormatNumber], {std::int32_t(*value)});
}

// Focal length and exposure bias: a fraction when the denominator is above
// 1, otherwise the numerator alone.
std::optional<std::u16string> FractionRow(const PhotoRecord& photo, std::uint32_t tag, const std::u16string& fraction,
                                          const std::u16string& whole) {
    const auto value = RationalOf(photo, tag);
    if (!value) return std::nullopt;
    if (value->denominator > 1)
        return FormatNumbers(fraction, {double(Quotient(value->numerator, value->denominator))});
    return FormatNumbers(whole, {value->numerator});
}

std::u16string TrimBlanks(std::u16string text) {
    const auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
    std::size_t first = 0, last = text.size();
    while (first < last && blank(text[first])) ++first;
    while (last > first && blank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

}  // namespace

std::uint32_t PropertyLabelControl(PropertyRow row) {
    const auto index = static_cast<std::size_t>(row);
    return index < std::size(kRows) ? kRows[index].labelControl : 0;
}

std::optional<std::u16string> FormatPropertyRow(PropertyRow row, const PhotoRecord& photo, int albumType,
                                                const PropertyTexts& texts) {
    switch (row) {
        case PropertyRow::kDimensions:
            return FormatNumbers(texts[kTextFormatDimensions],
                                 {std::int32_t(photo.block.width), std::int32_t(photo.block.height)});
        case PropertyRow::kDateTaken:
            if (photo.dateTaken <= 0) return std::nullopt;
            return LocalTimeText(photo.dateTaken);
        case PropertyRow::kDateModified:
            if (photo.fileTime <= 0) return std::nullopt;
            return LocalTimeText(photo.fileTime);
        case PropertyRow::kModel: return AsciiRow(photo, kTagModel);
        case PropertyRow::kMake: return AsciiRow(photo, kTagMake);
        case PropertyRow::kTitle: {
            const std::uint32_t tag =
                FindPhotoProperty(photo.properties, kTagImageTitle) ? kTagImageTitle : kTagImageDescription;
            auto title = AsciiRow(photo, tag);
            if (!title) return std::nullopt;
            return TrimBlanks(std::move(*title));
        }
        case PropertyRow::kFStop: {
            const auto value = RationalOf(photo, kTagFNumber);
            if (!value || value->denominator == 0) return std::nullopt;
            return FormatNumbers(texts[kTextFormatFStop], {double(Quotient(value->numerator, value->denominator))});
        }
        case PropertyRow::kExposureTime: {
            // Below a second shown as 1/n: n is the denominator over the
            // numerator, cut to a whole number; a second or more in seconds.
            const auto value = RationalOf(photo, kTagExposureTime);
            if (!value || value->numerator == 0 || value->denominator == 0) return std::nullopt;
            const float seconds = Quotient(value->numerator, value->denominator);
            if (seconds >= 1.0f) return FormatNumbers(texts[kTextFormatSeconds], {double(seconds)});
            const float reciprocal = Quotient(value->denominator, value->numerator);
            return FormatNumbers(texts[kTextFormatExposure], {static_cast<std::int64_t>(reciprocal)});
        }
        case PropertyRow::kIso: {
            const auto value = ShortOf(photo, kTagIsoSpeed);
            if (!value) return std::nullopt;
            return FormatNumbers(texts[kTextFormatIso], {std::int32_t(*value)});
        }
        case PropertyRow::kWhiteBalance: {
            const auto value = ShortOf(photo, kTagWhiteBalance);
            if (!value) return std::nullopt;
            return FormatNumbers(texts[kTextFormatNumber], {std::int32_t(*value)});
        }
        case PropertyRow::kSaturation: return SettingRow(photo, kTagSaturation, texts);
        case PropertyRow::kSharpness: return SettingRow(photo, kTagSharpness, texts);
        case PropertyRow::kContrast: return SettingRow(photo, kTagContrast, texts);
        case PropertyRow::kFocalLength:
            return FractionRow(photo, kTagFocalLength, texts[kTextFormatMillimetres],
                               texts[kTextFormatWholeMillimetres]);
        case PropertyRow::kAperture: {
            const auto value = RationalOf(photo, kTagMaxAperture);
            if (!value || value->denominator == 0) return std::nullopt;
            return FormatNumbers(texts[kTextFormatAperture], {double(Quotient(value->numerator, value->denominator))});
        }
        case PropertyRow::kMetering: {
            const auto value = ShortOf(photo, kTagMeteringMode);
            if (!value) return std::nullopt;
            if (*value >= 1 && *value <= 6) return texts[kTextMeteringAverage + std::size_t(*value - 1)];
            return texts[kTextUnknown];
        }
        case PropertyRow::kSoftware: return AsciiRow(photo, kTagSoftware);
        case PropertyRow::kAuthor: return AsciiRow(photo, kTagArtist);
        case PropertyRow::kExposureBias:
            return FractionRow(photo, kTagExposureBias, texts[kTextFormatStep], texts[kTextFormatWholeStep]);
        case PropertyRow::kComment: {
            // A standard comment starts with an 8-byte character-code field
            // ("ASCII" and three zero bytes), so this shows that code.
            const PropertyItem* item = FindPhotoProperty(photo.properties, kTagUserComment);
            if (item == nullptr || item->value.empty()) return std::nullopt;
            return PropertyBytesText(*item);
        }
        case PropertyRow::kCopyright: return AsciiRow(photo, kTagCopyright);
        case PropertyRow::kFileName: {
            const std::u16string& name = photo.fileName;
            std::u16string shown = name.substr(0, name.size() >= 3 ? name.size() - 3 : 0);
            if (albumType >= 1 && albumType <= 7) shown += kAlbumExtensions[albumType];
            return shown;
        }
        case PropertyRow::kFileSize: {
            const float bytes = static_cast<float>(photo.fileSize);
            return FormatNumbers(texts[kTextFormatFileSize], {double(bytes / 1024.0f), double(bytes / 1048576.0f)});
        }
    }
    return std::nullopt;
}

std::vector<PropertyLine> FormatPhotoProperties(const PhotoRecord& photo, int albumType, const PropertyTexts& texts) {
    std::vector<PropertyLine> lines;
    const bool hasProperties = !photo.properties.empty();
    for (const RowInfo& info : kRows) {
        const bool fromProperties = info.row != PropertyRow::kDimensions && info.row != PropertyRow::kFileName &&
                                    info.row != PropertyRow::kFileSize;
        if (fromProperties && !hasProperties) continue;
        std::optional<std::u16string> value = FormatPropertyRow(info.row, photo, albumType, texts);
        if (value) lines.push_back({info.row, texts[info.label], std::move(*value)});
    }
    return lines;
}

}  // namespace quorvel
