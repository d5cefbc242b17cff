#include "base/ErrorLogFormat.h"

#include <cstdio>

#include "base/Text.h"

namespace quorvel {

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

std::u16string FormatErrorLogLine(const ErrorLogEntry& e) {
    static const std::u16string kSep = u" , ";
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, "%ld-%ld", static_cast<long>(e.code),
                  static_cast<long>(static_cast<std::int32_t>(e.windowsError)));
    std::u16string line = e.time + kSep + u"1.0" + kSep + e.osName + kSep + FromAscii(numbers) + kSep + e.message +
                          kSep + e.module + kSep;
    if (!e.module.empty()) {
        std::snprintf(numbers, sizeof numbers, "%lu", static_cast<unsigned long>(static_cast<std::uint32_t>(e.line)));
        line += FromAscii(numbers);
    }
    line += kSep + e.extra + kSep + u"\n";
    return line;
}

std::u16string CtimeText(int year, int month, int day, int weekday, int hour, int minute, int second) {
    static const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char text[64];
    std::snprintf(text, sizeof text, "%s %s %02d %02d:%02d:%02d %d", kDays[(weekday % 7 + 7) % 7],
                  kMonths[(month % 12 + 12) % 12], day, hour, minute, second, year);
    return FromAscii(text);
}

}  // namespace quorvel
