#include "base/ErrorLogFormat.h"

#include <gtest/gtest.h>

using namespace quorvel;

TEST(ErrorLogLine, FolderFailureOnSixtyFourBitWindows10) {
    ErrorLogEntry e;
    e.time = CtimeText(2026, 11, 6, 0, 10, 17, 57);
    e.osName = OsLogName(WindowsVersion::Win10, true);
    e.code = 10021;
    e.message = u"Unable to create folder";
    e.module = u"settings";
    e.line = 787;
    e.extra = u"C:\\Users\\ann\\AppData\\Roaming\\Fenwold Quorvel";
    EXPECT_EQ(FormatErrorLogLine(e),
              u"Sun Dec 06 10:17:57 2026 , 1.0 , Win10-64bit , 10021-0 , Unable to create folder , settings , 787 , "
              u"C:\\Users\\ann\\AppData\\Roaming\\Fenwold Quorvel , \n");
}

TEST(ErrorLogLine, LineFieldStaysEmptyWithoutModule) {
    ErrorLogEntry e;
    e.time = u"T";
    e.osName = u"Win7";
    e.code = 10034;
    e.windowsError = 8;
    e.message = u"Error allocating memory";
    e.line = 196;  // a line without a module is not written
    EXPECT_EQ(FormatErrorLogLine(e), u"T , 1.0 , Win7 , 10034-8 , Error allocating memory ,  ,  ,  , \n");
}

TEST(ErrorLogLine, WindowsErrorIsSigned) {
    ErrorLogEntry e;
    e.code = 10057;
    e.windowsError = 0x80004005u;
    e.module = u"Quorvel";
    e.line = 928;
    const std::u16string line = FormatErrorLogLine(e);
    EXPECT_NE(line.find(u" , 10057--2147467259 , "), std::u16string::npos);
    EXPECT_NE(line.find(u" , Quorvel , 928 , "), std::u16string::npos);
}

// The operating system as the log names it. AppState is allocated
// zero-filled, so until start-up has detected the version the log names it
// "?", not some real Windows.
TEST(ErrorLogLine, NamesTheWindowsItRunsOn) {
    const struct {
        const char* what;
        WindowsVersion version;
        bool windows64;
        const char16_t* name;
    } cases[] = {
        {"Windows 8.1", WindowsVersion::Win81, false, u"Win81"},
        {"64-bit Vista", WindowsVersion::Vista, true, u"Vista-64bit"},
        {"not yet detected", WindowsVersion{}, false, u"?"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(OsLogName(c.version, c.windows64), c.name);
    }
}

TEST(CtimeText, MatchesTheRuntimeForm) { EXPECT_EQ(CtimeText(2026, 0, 5, 1, 9, 3, 7), u"Mon Jan 05 09:03:07 2026"); }
