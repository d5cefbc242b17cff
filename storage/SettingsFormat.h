// Value rules of the settings file, free of any platform: numbered key
// names, number reading and writing, blank trimming, and how the file's
// bytes hold its text.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
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

// The phrase font's size in points is held to what the font dialog offers.
constexpr std::int32_t kSmallestFontSize = 8;
constexpr std::int32_t kLargestFontSize = 72;
// A FontSize read from the file, held to that range: the sign is kept (the
// default is kept as -72, and the height is taken from the size's magnitude)
// and 0, no size, is left for the default.
std::int32_t ClampedFontSize(std::int32_t stored);

// A phrase colour as it is stored: a colour of 0 means "none" to the
// settings, so pure black is kept as the nearest colour that is not 0.
std::uint32_t StoredPhraseColour(std::uint32_t colour);

// How a settings file's bytes hold its text. The profile functions keep
// Unicode text only in UTF-16LE with a byte-order mark and read ANSI as the
// code page's text; a user's editor may save it in any of the other forms.
enum class SettingsEncoding {
    kUtf16Le,          // FF FE, then little-endian pairs
    kUtf16Be,          // FE FF, then big-endian pairs
    kUtf16LeUnmarked,  // little-endian pairs without a mark
    kUtf16BeUnmarked,  // big-endian pairs without a mark
    kUtf8,             // EF BB BF, then UTF-8
    kAnsi,             // single bytes, none of them 0: the code page's text
    kNotText,          // none of these: no reading of it is safe to write back
};

// Which form `bytes`, a whole settings file, has. A mark names the form,
// whose characters must then be whole (UTF-8 as the standard has it, UTF-16
// in pairs with every surrogate matched); a file in UTF-16LE with its mark
// is taken as it is, since the profile functions read it themselves.
// Without a mark, bytes without a 0 are ANSI; otherwise they are UTF-16 in
// the byte order that reads as plain text (whole characters, no control
// characters but tab and line ends) with the more ASCII characters in it
// (an ini file's brackets, names and '='), and not text when neither order
// reads as plain text.
SettingsEncoding DetectSettingsEncoding(std::span<const std::uint8_t> bytes);

// The text of `bytes` in the Unicode form `encoding` names, without the
// mark; empty for kAnsi, which needs the system's code page, and kNotText.
std::u16string SettingsFileText(std::span<const std::uint8_t> bytes, SettingsEncoding encoding);

}  // namespace quorvel
