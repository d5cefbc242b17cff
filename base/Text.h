// UTF-16 text helpers of the portable core. The Windows side passes its
// wchar_t text (16 bits there) through AsU16 / AsWide (base/Utilities_win.h)
// without copying.
#pragma once
#include <string>
#include <string_view>

namespace quorvel {

std::u16string FromAscii(std::string_view text);
// Lossy: characters above 0x7F become '?'. For numbers and debug text.
std::string ToAscii(std::u16string_view text);

bool EqualsNoCaseAscii(std::u16string_view a, std::u16string_view b);

// Texts of the string table are C formats ("%s" for text). MinGW's wide
// printf family follows the C standard, where "%s" means narrow text, so a
// format meant for wide arguments gets "%ls" instead ("%%" is left alone).
std::u16string WideTextFormat(std::u16string_view format);

}  // namespace quorvel
