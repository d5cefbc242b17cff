#include "base/ErrorLogFormat.h"

#include <cstdio>

#include "base/Text.h"

namespace quorvel {

WindowsVersion VersionFromNumbers(unsigned major, unsigned minor) {
    struct Step { unsigned major, minor; WindowsVersion version; };
    static const Step kSteps[] = {
        {10, 0, WindowsVersion::Win10}, {6, 3, WindowsVersion::Win81}, {6, 2, WindowsVersion::Win8},
        {6, 1, WindowsVersion::Win7},   {6, 0, WindowsVersion::Vista}, {5, 2, WindowsVersion::WinXP64},
        {5, 1, WindowsVersion::WinXP},  {5, 0, WindowsVersion::Win2K}, {4, 0, WindowsVersion::WinNT4},
    };
    for (const Step& s : kSteps)
        if (major > s.major || (major == s.major && minor >= s.minor)) return s.version;
    return WindowsVersion::Other;
}

bool IsSupportedVersion(WindowsVersion v) {
    return v == WindowsVersion::Win10 || v == WindowsVersion::Win81 || v == WindowsVersion::Win8 ||
           v == WindowsVersion::Win7 || v == WindowsVersion::Vista;
}

std::u16string OsLogName(WindowsVersion v, bool windows64) {
    std::u16string name;
    switch (v) {
        case WindowsVersion::Win10: name = u"Win10"; break;
        case WindowsVersion::Win81: name = u"Win81"; break;
        case WindowsVersion::Win8: name = u"Win8"; break;
        case WindowsVersion::Win7: name = u"Win7"; break;
        case WindowsVersion::Vista: name = u"Vista"; break;
        case WindowsVersion::WinXP64: name = u"WinXP64"; break;
        case WindowsVersion::WinXP: name = u"WinXP"; break;
        case WindowsVersion::Win2K: name = u"Win2K"; break;
        case WindowsVersion::WinNT4: name = u""; break;  // the log has no name for NT 4
        case WindowsVersion::Other: name = u"?"; break;
    }
    if (windows64) name += u"-64bit";
    return name;
}

const char16_t* OsDebugName(WindowsVersion v) {
    switch (v) {
        case WindowsVersion::Win10: return u"Win10\n";
        case WindowsVersion::Win81: return u"Win8.1\n";
        case WindowsVersion::Win8: return u"Win8.0\n";
        case WindowsVersion::Win7: return u"Win7\n";
        case WindowsVersion::Vista: return u"WinVista\n";
        case WindowsVersion::WinXP64: return u"WinXP64\n";
        case WindowsVersion::WinXP: return u"WinXP\n";
        case WindowsVersion::Win2K: return u"Win2K\n";
        case WindowsVersion::WinNT4: return u"WinNT\n";
        case WindowsVersion::Other: return u"";
    }
    return u"";
}

std::u16string FormatErrorLogLine(const ErrorLogEntry& e) {
    static const std::u16string kSep = u" , ";
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, "%ld-%ld", static_cast<long>(e.code),
                  static_cast<long>(static_cast<std::int32_t>(e.windowsError)));
    std::u16string line = e.time + kSep + u"1.0" + kSep + e.osName + kSep + FromAscii(numbers) + kSep +
                          e.message + kSep + e.module + kSep;
    if (!e.module.empty()) {
        std::snprintf(numbers, sizeof numbers, "%lu", static_cast<unsigned long>(static_cast<std::uint32_t>(e.line)));
        line += FromAscii(numbers);
    }
    line += kSep + e.extra + kSep + u"\n";
    return line;
}

std::u16string CtimeText(int year, int month, int day, int weekday, int hour, int minute, int second) {
    static const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char text[64];
    std::snprintf(text, sizeof text, "%s %s %02d %02d:%02d:%02d %d", kDays[(weekday % 7 + 7) % 7],
                  kMonths[(month % 12 + 12) % 12], day, hour, minute, second, year);
    return FromAscii(text);
}

}  // namespace quorvel
