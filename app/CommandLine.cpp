#include "app/CommandLine.h"

#include "base/Text.h"

namespace quorvel {

namespace {

char16_t Lower(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c - u'A' + u'a') : c; }

}  // namespace

std::vector<std::u16string> ProgramArguments(const std::vector<std::u16string>& args,
                                             const std::u16string& modulePath) {
    if (modulePath.empty()) return args;
    // The fewest leading arguments that join into the path; otherwise the
    // first alone stands for it, whatever it says.
    std::size_t pathArgs = args.empty() ? 0 : 1;
    std::u16string joined;
    for (std::size_t n = 1; n <= args.size(); ++n) {
        joined += (n > 1 ? u" " : u"") + args[n - 1];
        if (EqualsNoCaseAscii(joined, modulePath)) {
            pathArgs = n;
            break;
        }
    }
    std::vector<std::u16string> out{modulePath};
    out.insert(out.end(), args.begin() + static_cast<std::ptrdiff_t>(pathArgs), args.end());
    return out;
}

SwitchArgs ReadSwitch(const std::vector<std::u16string>& args) {
    SwitchArgs out;
    if (args.size() < 2) return out;
    const std::u16string& first = args[1];
    if (first.empty()) {
        out.valid = false;
        return out;
    }
    if (first.size() <= 2) {
        out.switchText = first;
        if (args.size() > 2) out.handleText = args[2];
    } else {
        // "/p:1234": the colon must be among the first three characters, so
        // the switch keeps at most two.
        const std::size_t colon = first.find(u':');
        if (colon == std::u16string::npos || colon > 2) {
            out.valid = false;
            return out;
        }
        out.switchText = first.substr(0, colon);
        out.handleText = first.substr(colon + 1);
    }
    if (out.handleText.size() > kMaxHandleChars) {
        out.valid = false;
        out.handleText.clear();
    }
    return out;
}

ExtensionRole RoleFromExtension(const std::u16string& extension) {
    if (EqualsNoCaseAscii(extension, u".exe") || EqualsNoCaseAscii(extension, u".tmp"))
        return ExtensionRole::RegularOrCleanup;
    if (EqualsNoCaseAscii(extension, u".scr")) return ExtensionRole::ScreenSaver;
    return ExtensionRole::Unknown;
}

bool IsSwitch(const std::u16string& text, char16_t letter) {
    const char16_t l = Lower(letter);
    if (text.size() == 1) return Lower(text[0]) == l;
    if (text.size() == 2) return (text[0] == u'/' || text[0] == u'-') && Lower(text[1]) == l;
    return false;
}

std::int64_t HandleValue(const std::u16string& text) {
    // Like the C runtime's conversion: optional blanks and sign, then digits;
    // anything after the digits is ignored.
    std::size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        if (value > (INT64_MAX - 9) / 10) return 0;  // overflow: not a handle
        value = value * 10 + (text[i] - u'0');
    }
    return negative ? -value : value;
}

PathParts SplitPath(const std::u16string& path) {
    PathParts parts;
    std::size_t start = 0;
    if (path.size() >= 2 && path[1] == u':') {
        parts.drive = path.substr(0, 2);
        start = 2;
    }
    const std::size_t slash = path.find_last_of(u"\\/");
    std::size_t nameStart = start;
    if (slash != std::u16string::npos && slash >= start) {
        parts.folder = path.substr(start, slash - start);  // final separator dropped
        nameStart = slash + 1;
    }
    const std::u16string name = path.substr(nameStart);
    const std::size_t dot = name.find_last_of(u'.');
    if (dot == std::u16string::npos) {
        parts.fileName = name;
    } else {
        parts.fileName = name.substr(0, dot);
        parts.extension = name.substr(dot);
    }
    return parts;
}

}  // namespace quorvel
