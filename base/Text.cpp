#include "base/Text.h"

namespace quorvel {

std::u16string FromAscii(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (unsigned char c : text) out.push_back(char16_t(c));
    return out;
}

std::string ToAscii(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char16_t c : text) out.push_back(c < 0x80 ? char(c) : '?');
    return out;
}

bool EqualsNoCaseAscii(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= u'A' && x <= u'Z') x = char16_t(x + 32);
        if (y >= u'A' && y <= u'Z') y = char16_t(y + 32);
        if (x != y) return false;
    }
    return true;
}

std::u16string WideTextFormat(std::u16string_view format) {
    std::u16string out;
    for (std::size_t i = 0; i < format.size(); ++i) {
        out += format[i];
        if (format[i] != u'%') continue;
        if (i + 1 < format.size() && format[i + 1] == u'%') {
            out += format[++i];
        } else if (i + 1 < format.size() && format[i + 1] == u's') {
            out += u'l';
        }
    }
    return out;
}

}  // namespace quorvel
