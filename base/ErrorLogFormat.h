// The text of one error-log line and the operating-system names it uses.
// Platform-neutral so that the exact format is unit-tested natively.
#pragma once
#include <cstdint>
#include <string>

#include "base/WindowsVersion.h"

namespace quorvel {

// "Win10", "Win81", ... or "?" for Other, with "-64bit" when Windows is 64-bit.
std::u16string OsLogName(WindowsVersion v, bool windows64);

struct ErrorLogEntry {
    std::u16string time;  // ctime form without its newline
    std::u16string osName;
    std::uint32_t code = 0;
    std::uint32_t windowsError = 0;
    std::u16string message;
    std::u16string module;  // empty when no location was set
    int line = 0;
    std::u16string extra;
};

// "time , 1.0 , os , code-error , message , module , line , extra , " plus
// the line end "\n" (text mode turns it into CR LF).
std::u16string FormatErrorLogLine(const ErrorLogEntry& e);

// The C runtime's ctime form, "Sun Dec 06 10:17:57 2026", from broken-down
// local time (month 0-11, weekday 0-6 from Sunday).
std::u16string CtimeText(int year, int month, int day, int weekday, int hour, int minute, int second);

}  // namespace quorvel
