// Value rules of the settings file, free of any platform: numbered key
// names, number reading and writing, blank trimming.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

// "Monitor1" with number 3 gives "Monitor3": the last character of the key
// is replaced with the first character of the number in decimal.
std::u16string NumberedKey(std::u16string_view key, int number);

// Numbers are read as text, converted as floating point and truncated:
// "72.9" reads 72, "  -72" reads -72, "abc" or "" read 0. The second value
// is false when the text held no number.
struct SettingNumber {
    std::int32_t value = 0;
    bool ok = false;
};
SettingNumber ParseSettingNumber(std::u16string_view text);

// A monitor's value is the number of the album it shows, 1 or 2. Anything
// else, 0 among it, is no album (-1); the file is the user's to edit, so the
// value can be any number at all.
std::int16_t MonitorAlbumIndex(std::int32_t stored);

// Numbers are written as decimal integers ("%ld").
std::u16string FormatSettingNumber(std::int32_t value);

// The value of `key` in a section as GetPrivateProfileSection gives it
// ("key=value" entries, each ended by a zero), read as
// GetPrivateProfileString reads it: the first entry whose key matches
// (letters in any case, blanks around it ignored), blanks around the value
// removed, then one pair of like quotes around it. Nothing when no entry
// has the key.
std::optional<std::u16string> ProfileSectionValue(std::u16string_view section, std::u16string_view key);

// Leading spaces and tabs removed, as the reads return values.
std::u16string_view TrimLeadingBlanks(std::u16string_view text);

// FontBold from a font weight: semi-bold (600) and heavier. A regular font
// (400) stays regular after a restart.
bool FontWeightIsBold(std::int32_t weight);

// A phrase colour as it is stored: a colour of 0 means "none" to the
// settings, so pure black is kept as the nearest colour that is not 0.
std::uint32_t StoredPhraseColour(std::uint32_t colour);

}  // namespace quorvel
