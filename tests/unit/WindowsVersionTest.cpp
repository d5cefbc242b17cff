#include "base/WindowsVersion.h"

#include <gtest/gtest.h>

#include <string>

using namespace quorvel;

TEST(VersionFromNumbers, NewestMatchFirst) {
    EXPECT_EQ(VersionFromNumbers(10, 0), WindowsVersion::Win10);
    EXPECT_EQ(VersionFromNumbers(6, 3), WindowsVersion::Win81);
    EXPECT_EQ(VersionFromNumbers(6, 4), WindowsVersion::Win81);
    EXPECT_EQ(VersionFromNumbers(6, 1), WindowsVersion::Win7);
    EXPECT_EQ(VersionFromNumbers(5, 1), WindowsVersion::WinXP);
    EXPECT_EQ(VersionFromNumbers(3, 51), WindowsVersion::Other);
}

TEST(WindowsVersion, SupportedAreVistaToTen) {
    EXPECT_TRUE(IsSupportedVersion(WindowsVersion::Vista));
    EXPECT_FALSE(IsSupportedVersion(WindowsVersion::WinXP64));
    EXPECT_FALSE(IsSupportedVersion(WindowsVersion::Other));
}

TEST(WindowsVersion, DebugNames) {
    EXPECT_EQ(std::u16string(OsDebugName(WindowsVersion::Win81)), u"Win8.1\n");
    EXPECT_EQ(std::u16string(OsDebugName(WindowsVersion::Vista)), u"WinVista\n");
}

// AppState is allocated zero-filled; until start-up has detected the
// version, the error log must name it "?", not some real Windows.
TEST(WindowsVersion, ZeroFilledIsUnknown) { EXPECT_EQ(WindowsVersion{}, WindowsVersion::Other); }
