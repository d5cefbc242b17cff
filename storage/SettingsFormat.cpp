#include "storage/SettingsFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "base/Text.h"

namespace quorvel {

std::u16string NumberedKey(std::u16string_view key, int number) {
    std::u16string out(key);
    const std::u16string digits = FromAscii(std::to_string(number));
    if (!out.empty() && !digits.empty()) out.back() = digits.front();
    return out;
}

SettingNumber ParseSettingNumber(std::u16string_view text) {
    SettingNumber out;
    // strtod on the ASCII form: non-ASCII characters cannot be part of a
    // number, and '?' stops the conversion just as they would.
    const std::string narrow = ToAscii(TrimLeadingBlanks(text));
    if (narrow.empty()) return out;
    char* end = nullptr;
    const double d = std::strtod(narrow.c_str(), &end);
    if (end == narrow.c_str() || std::isnan(d)) return out;
    // Truncation toward zero; values beyond 32 bits saturate rather than wrap.
    const double lo = std::numeric_limits<std::int32_t>::min();
    const double hi = std::numeric_limits<std::int32_t>::max();
    out.value = d <= lo   ? std::numeric_limits<std::int32_t>::min()
                : d >= hi ? std::numeric_limits<std::int32_t>::max()
                          : static_cast<std::int32_t>(d);
    out.ok = true;
    return out;
}

std::int16_t MonitorAlbumIndex(std::int32_t stored) {
    return stored == 1 || stored == 2 ? std::int16_t(stored - 1) : -1;
}

std::u16string FormatSettingNumber(std::int32_t value) { return FromAscii(std::to_string(value)); }

namespace {

std::u16string_view TrimBlanks(std::u16string_view text) {
    text = TrimLeadingBlanks(text);
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\t')) text.remove_suffix(1);
    return text;
}

}  // namespace

std::optional<std::u16string> ProfileSectionValue(std::u16string_view section, std::u16string_view key) {
    const std::u16string_view wanted = TrimBlanks(key);
    while (!section.empty()) {
        const std::size_t end = std::min(section.find(u'\0'), section.size());
        const std::u16string_view entry = section.substr(0, end);
        section.remove_prefix(std::min(end + 1, section.size()));
        const std::size_t equals = entry.find(u'=');
        if (equals == std::u16string_view::npos || !EqualsNoCaseAscii(TrimBlanks(entry.substr(0, equals)), wanted))
            continue;
        std::u16string_view value = TrimBlanks(entry.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return std::u16string(value);
    }
    return std::nullopt;
}

std::u16string_view TrimLeadingBlanks(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
    return text.substr(i);
}

bool FontWeightIsBold(std::int32_t weight) { return weight >= 600; }

std::uint32_t StoredPhraseColour(std::uint32_t colour) { return colour == 0 ? 0x010101 : colour; }

std::int32_t ClampedFontSize(std::int32_t stored) {
    if (stored == 0) return 0;
    // The magnitude as a 64-bit number: -2^31 has none in 32 bits.
    const std::int64_t size =
        std::clamp<std::int64_t>(std::abs(std::int64_t{stored}), kSmallestFontSize, kLargestFontSize);
    return static_cast<std::int32_t>(stored < 0 ? -size : size);
}

namespace {

constexpr std::uint8_t kUtf16LeMark[] = {0xFF, 0xFE};
constexpr std::uint8_t kUtf16BeMark[] = {0xFE, 0xFF};
constexpr std::uint8_t kUtf8Mark[] = {0xEF, 0xBB, 0xBF};

bool StartsWith(std::span<const std::uint8_t> bytes, std::span<const std::uint8_t> mark) {
    return bytes.size() >= mark.size() && std::equal(mark.begin(), mark.end(), bytes.begin());
}

bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The pairs of `bytes` as code units; an odd last byte is left out.
std::u16string Utf16Units(std::span<const std::uint8_t> bytes, bool bigEndian) {
    std::u16string text(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned first = bytes[2 * i], second = bytes[2 * i + 1];
        text[i] = static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first);
    }
    return text;
}

// Every surrogate in its pair; with `plain`, also no control character but
// tab and the line ends.
bool WholeCharacters(std::u16string_view text, bool plain) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (IsHighSurrogate(c)) {
            if (i + 1 == text.size() || !IsLowSurrogate(text[i + 1])) return false;
            ++i;
        } else if (IsLowSurrogate(c)) {
            return false;
        } else if (plain && c < 0x20 && c != u'\t' && c != u'\r' && c != u'\n') {
            return false;
        }
    }
    return true;
}

std::size_t AsciiCharacters(std::u16string_view text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char16_t c) { return c > 0 && c < 0x80; }));
}

// UTF-8 as UTF-16; nothing for bytes that are not UTF-8: a sequence cut
// short or longer than it needs to be, a surrogate, or beyond U+10FFFF.
std::optional<std::u16string> Utf8ToUtf16(std::span<const std::uint8_t> bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const std::uint8_t lead = bytes[i];
        // The lead byte's high bits give the sequence's length.
        const std::size_t extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        if ((lead >= 0x80 && lead < 0xC0) || lead >= 0xF8) return std::nullopt;
        constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
        char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
        if (bytes.size() - i <= extra) return std::nullopt;
        for (std::size_t k = 1; k <= extra; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80) return std::nullopt;
            c = c << 6 | (bytes[i + k] & 0x3F);
        }
        if (c < kLeast[extra] || c > 0x10FFFF || IsHighSurrogate(c) || IsLowSurrogate(c)) return std::nullopt;
        if (c >= 0x10000) {
            text.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            text.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            text.push_back(static_cast<char16_t>(c));
        }
        i += extra + 1;
    }
    return text;
}

}  // namespace

SettingsEncoding DetectSettingsEncoding(std::span<const std::uint8_t> bytes) {
    if (StartsWith(bytes, kUtf16LeMark)) return SettingsEncoding::kUtf16Le;
    if (StartsWith(bytes, kUtf16BeMark)) {
        const auto rest = bytes.subspan(std::size(kUtf16BeMark));
        return rest.size() % 2 == 0 && WholeCharacters(Utf16Units(rest, true), false) ? SettingsEncoding::kUtf16Be
                                                                                      : SettingsEncoding::kNotText;
    }
    if (StartsWith(bytes, kUtf8Mark))
        return Utf8ToUtf16(bytes.subspan(std::size(kUtf8Mark))) ? SettingsEncoding::kUtf8 : SettingsEncoding::kNotText;
    if (std::find(bytes.begin(), bytes.end(), std::uint8_t{0}) == bytes.end()) return SettingsEncoding::kAnsi;
    if (bytes.size() % 2 != 0) return SettingsEncoding::kNotText;
    const std::u16string little = Utf16Units(bytes, false), big = Utf16Units(bytes, true);
    const std::size_t littleAscii = WholeCharacters(little, true) ? AsciiCharacters(little) : 0;
    const std::size_t bigAscii = WholeCharacters(big, true) ? AsciiCharacters(big) : 0;
    if (littleAscii == 0 && bigAscii == 0) return SettingsEncoding::kNotText;
    return littleAscii >= bigAscii ? SettingsEncoding::kUtf16LeUnmarked : SettingsEncoding::kUtf16BeUnmarked;
}

std::u16string SettingsFileText(std::span<const std::uint8_t> bytes, SettingsEncoding encoding) {
    switch (encoding) {
        case SettingsEncoding::kUtf16Le:
            return StartsWith(bytes, kUtf16LeMark) ? Utf16Units(bytes.subspan(std::size(kUtf16LeMark)), false) : u"";
        case SettingsEncoding::kUtf16Be:
            return StartsWith(bytes, kUtf16BeMark) ? Utf16Units(bytes.subspan(std::size(kUtf16BeMark)), true) : u"";
        case SettingsEncoding::kUtf16LeUnmarked: return Utf16Units(bytes, false);
        case SettingsEncoding::kUtf16BeUnmarked: return Utf16Units(bytes, true);
        case SettingsEncoding::kUtf8:
            return StartsWith(bytes, kUtf8Mark) ? Utf8ToUtf16(bytes.subspan(std::size(kUtf8Mark))).value_or(u"") : u"";
        case SettingsEncoding::kAnsi:
        case SettingsEncoding::kNotText: break;
    }
    return {};
}

}  // namespace quorvel
