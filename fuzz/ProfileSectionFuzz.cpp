// Every start reads the whole settings section at once and takes each value
// out of it as GetPrivateProfileString would; the file is the user's to
// edit, so the section can hold any text at all.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "fuzz/FuzzInput.h"
#include "storage/SettingsFormat.h"

using namespace quorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    // The key, a few characters as the program's key names are, then the
    // section: "key=value" entries, each ended by a zero.
    std::u16string key;
    for (int length = input.Byte() % 24; length > 0; --length) key.push_back(char16_t(input.Word()));
    const std::u16string section = input.RestAsText();
    const std::optional<std::u16string> value = ProfileSectionValue(section, key);
    if (!value) return 0;
    // A value lies within one entry.
    if (value->size() >= section.size() || value->find(u'\0') != std::u16string::npos) std::abort();
    // The same key, alone in a section of its own, gives the same value.
    const std::optional<std::u16string> again = ProfileSectionValue(key + u"=" + u"\"" + *value + u"\"", key);
    if (!again || *again != *value) std::abort();
    return 0;
}
