#include "base/WindowsVersion.h"

#include <gtest/gtest.h>

#include <string>

using namespace quorvel;

// What start-up makes of the version Windows reports: the newest version
// the numbers reach, whether the program runs there, and the line it sends
// to the debugger output (none for a version it does not know).
TEST(VersionFromNumbers, NewestMatchFirstWithItsDebuggerLine) {
    const struct {
        unsigned major, minor;
        WindowsVersion version;
        bool supported;
        const char16_t* debugLine;
    } cases[] = {
        {10, 0, WindowsVersion::Win10, true, u"Win10\n"},   {6, 4, WindowsVersion::Win81, true, u"Win8.1\n"},
        {6, 3, WindowsVersion::Win81, true, u"Win8.1\n"},   {6, 1, WindowsVersion::Win7, true, u"Win7\n"},
        {6, 0, WindowsVersion::Vista, true, u"WinVista\n"}, {5, 2, WindowsVersion::WinXP64, false, u"WinXP64\n"},
        {5, 1, WindowsVersion::WinXP, false, u"WinXP\n"},   {3, 51, WindowsVersion::Other, false, u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.major << "." << c.minor);
        const WindowsVersion v = VersionFromNumbers(c.major, c.minor);
        EXPECT_EQ(v, c.version);
        EXPECT_EQ(IsSupportedVersion(v), c.supported);
        EXPECT_EQ(std::u16string(OsDebugName(v)), c.debugLine);
    }
}
