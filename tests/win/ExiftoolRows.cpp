#include "tests/win/ExiftoolRows.h"

#include <cmath>
#include <cstdio>
#include <sstream>
#include <utility>

#include "base/Text.h"
#include "tests/win/TestState.h"

namespace quorvel::test {

namespace {

std::string Printf(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// The C run-time's own text of a time, the form the list shows.
std::u16string RuntimeTimeText(__time64_t t) {
    wchar_t text[32];
    if (_wctime64_s(text, 32, &t) != 0) return u"(no time)";
    return U16(std::wstring(text));
}

bool HasFraction(const std::string& number) { return number.find('.') != std::string::npos; }

}  // namespace

std::u16string U16(const std::wstring& s) { return std::u16string(s.begin(), s.end()); }
std::u16string U16(const std::string& s) { return FromAscii(s); }
std::string Narrow(const std::u16string& s) { return ToAscii(s); }

// exiftool's "Tag: value" lines; "-" stands for a tag the file lacks.
std::map<std::string, std::string> ExiftoolReading(const std::wstring& photo) {
    std::map<std::string, std::string> tags;
    std::istringstream lines(ReadBytes(FixturePath(photo + L".txt")));
    std::string line;
    while (std::getline(lines, line)) {
        const auto colon = line.find(": ");
        if (colon == std::string::npos) continue;
        std::string value = line.substr(colon + 2);
        while (!value.empty() && (value.back() == '\r' || value.back() == ' ')) value.pop_back();
        if (value != "-") tags[line.substr(0, colon)] = value;
    }
    return tags;
}

std::map<PropertyRow, std::u16string> ExpectedRows(const std::map<std::string, std::string>& tags,
                                                   const std::wstring& cacheName, int albumType, std::int64_t fileSize,
                                                   __time64_t fileTime, bool hasProperties) {
    std::map<PropertyRow, std::u16string> rows;
    auto has = [&](const char* tag) { return tags.count(tag) != 0; };
    auto at = [&](const char* tag) { return tags.at(tag); };
    rows[PropertyRow::kDimensions] = U16(at("ImageWidth") + " X " + at("ImageHeight"));
    const std::wstring extension[] = {L"", L"jpg", L"jpeg", L"bmp", L"png", L"gif", L"tif", L"tiff"};
    rows[PropertyRow::kFileName] = U16(cacheName.substr(0, cacheName.size() - 3) + extension[albumType]);
    char size[64];
    std::snprintf(size, sizeof size, "%.1lf KB (%.2lf MB)", double(float(fileSize) / 1024.0f),
                  double(float(fileSize) / 1048576.0f));
    rows[PropertyRow::kFileSize] = U16(std::string(size));
    // Rows 2 to 21 belong to photos with property items (Windows' GDI+
    // gives a JPEG its quantisation tables even without EXIF).
    if (!hasProperties) return rows;

    rows[PropertyRow::kDateModified] = RuntimeTimeText(fileTime);
    if (has("DateTimeOriginal")) {
        const std::string d = at("DateTimeOriginal");
        std::tm t{};
        t.tm_year = std::stoi(d.substr(0, 4)) - 1900;
        t.tm_mon = std::stoi(d.substr(5, 2)) - 1;
        t.tm_mday = std::stoi(d.substr(8, 2));
        t.tm_hour = std::stoi(d.substr(11, 2));
        t.tm_min = std::stoi(d.substr(14, 2));
        t.tm_sec = std::stoi(d.substr(17, 2));
        t.tm_isdst = -1;
        rows[PropertyRow::kDateTaken] = RuntimeTimeText(_mktime64(&t));
    }
    const std::pair<const char*, PropertyRow> texts[] = {{"Model", PropertyRow::kModel},
                                                         {"Make", PropertyRow::kMake},
                                                         {"Software", PropertyRow::kSoftware},
                                                         {"Artist", PropertyRow::kAuthor},
                                                         {"Copyright", PropertyRow::kCopyright}};
    for (const auto& [tag, row] : texts) {
        if (has(tag)) rows[row] = U16(at(tag));
    }
    if (has("ImageDescription")) {
        std::string title = at("ImageDescription");
        title.erase(0, title.find_first_not_of(" \t"));
        rows[PropertyRow::kTitle] = U16(title);
    }
    if (has("ExposureTime")) rows[PropertyRow::kExposureTime] = U16(at("ExposureTime") + " sec.");
    if (has("FNumber")) rows[PropertyRow::kFStop] = U16("f/" + at("FNumber"));
    if (has("ISO")) rows[PropertyRow::kIso] = U16("ISO-" + at("ISO"));
    if (has("WhiteBalance")) rows[PropertyRow::kWhiteBalance] = U16(at("WhiteBalance"));
    const std::pair<const char*, PropertyRow> settings[] = {{"Saturation", PropertyRow::kSaturation},
                                                            {"Sharpness", PropertyRow::kSharpness},
                                                            {"Contrast", PropertyRow::kContrast}};
    for (const auto& [tag, row] : settings) {
        if (has(tag)) rows[row] = at(tag) == "0" ? u"default" : U16(at(tag));
    }
    // exiftool writes whole numbers over 1, fractions over a larger base.
    if (has("FocalLength")) {
        const std::string f = at("FocalLength");
        rows[PropertyRow::kFocalLength] = U16((HasFraction(f) ? Printf("%.1f", std::stod(f)) : f) + " mm");
    }
    if (has("ExposureCompensation")) {
        const std::string b = at("ExposureCompensation");
        rows[PropertyRow::kExposureBias] = U16((HasFraction(b) ? Printf("%.1f", std::stod(b)) : b) + " step");
    }
    // exiftool gives the maximum aperture as an f-number; the tag holds its
    // APEX value, 2 log2 f.
    if (has("MaxApertureValue")) {
        rows[PropertyRow::kAperture] = U16(Printf("%.1f", 2.0 * std::log2(std::stod(at("MaxApertureValue")))));
    }
    if (has("MeteringMode")) {
        const char* names[] = {"?", "Average", "Center Weighted Average", "Spot", "MultiSpot", "Pattern", "Partial "};
        const int mode = std::stoi(at("MeteringMode"));
        rows[PropertyRow::kMetering] = U16(std::string(mode >= 1 && mode <= 6 ? names[mode] : "?"));
    }
    // exiftool writes a plain-text comment behind the "ASCII" character code,
    // and the list shows the bytes up to the first zero: that code.
    if (has("UserComment")) rows[PropertyRow::kComment] = u"ASCII";
    return rows;
}

}  // namespace quorvel::test
