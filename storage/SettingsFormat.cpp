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
        if (equals == std::u16string_view::npos || !EqualsNoCaseAscii(TrimBlanks(entry.substr(0, equals)), wanted)) continue;
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

}  // namespace quorvel
