// A settings file is the user's to save from any editor, in any form; the
// start decides from its bytes alone how they hold text, and converts only
// what it reads as text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "storage/SettingsFormat.h"

using namespace quorvel;

namespace {

// `text` as the conversion writes it: UTF-16LE after its mark.
std::vector<std::uint8_t> MarkedUtf16Le(const std::u16string& text) {
    std::vector<std::uint8_t> bytes = {0xFF, 0xFE};
    for (char16_t c : text) {
        bytes.push_back(std::uint8_t(c & 0xFF));
        bytes.push_back(std::uint8_t(c >> 8));
    }
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const SettingsEncoding encoding = DetectSettingsEncoding(bytes);
    const std::u16string text = SettingsFileText(bytes, encoding);
    // No form gives more characters than the file has bytes.
    if (text.size() > size) std::abort();
    if (encoding == SettingsEncoding::kAnsi || encoding == SettingsEncoding::kNotText) {
        if (!text.empty()) std::abort();
        return 0;
    }
    // A file already in UTF-16LE with its mark is left to the profile
    // functions. Any other text is converted to that form, which must read
    // back as the same characters: a conversion never loses or changes one.
    if (encoding == SettingsEncoding::kUtf16Le) return 0;
    const std::vector<std::uint8_t> converted = MarkedUtf16Le(text);
    if (DetectSettingsEncoding(converted) != SettingsEncoding::kUtf16Le ||
        SettingsFileText(converted, SettingsEncoding::kUtf16Le) != text)
        std::abort();
    return 0;
}
