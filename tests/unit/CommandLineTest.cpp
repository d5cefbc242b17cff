#include "app/CommandLine.h"

#include <gtest/gtest.h>

using namespace quorvel;

namespace {

SwitchArgs Read(std::initializer_list<const char16_t*> rest) {
    std::vector<std::u16string> args{u"C:\\Program Files (x86)\\Fenwold Quorvel\\Quorvel.scr"};
    for (const char16_t* a : rest) args.emplace_back(a);
    return ReadSwitch(args);
}

}  // namespace

TEST(ReadSwitch, NoArgumentGivesEmptySwitchAndHandle) {
    const SwitchArgs s = Read({});
    EXPECT_TRUE(s.valid);
    EXPECT_TRUE(s.switchText.empty());
    EXPECT_TRUE(s.handleText.empty());
}

TEST(ReadSwitch, ShortSwitchTakesHandleFromSecondArgument) {
    SwitchArgs s = Read({u"/p", u"1234"});
    EXPECT_TRUE(s.valid);
    EXPECT_EQ(s.switchText, u"/p");
    EXPECT_EQ(s.handleText, u"1234");
    s = Read({u"s"});
    EXPECT_EQ(s.switchText, u"s");
    EXPECT_TRUE(s.handleText.empty());
}

TEST(ReadSwitch, ColonFormSplitsSwitchAndHandle) {
    SwitchArgs s = Read({u"/p:65602"});
    EXPECT_TRUE(s.valid);
    EXPECT_EQ(s.switchText, u"/p");
    EXPECT_EQ(s.handleText, u"65602");
    s = Read({u"c:42"});
    EXPECT_TRUE(s.valid);
    EXPECT_EQ(s.switchText, u"c");
    EXPECT_EQ(s.handleText, u"42");
    s = Read({u"/c:"});
    EXPECT_TRUE(s.valid);
    EXPECT_EQ(s.switchText, u"/c");
    EXPECT_TRUE(s.handleText.empty());
}

TEST(ReadSwitch, LongArgumentWithoutEarlyColonIsInvalid) {
    EXPECT_FALSE(Read({u"abc"}).valid);
    EXPECT_FALSE(Read({u"/pp:12"}).valid);  // colon is the fourth character
    EXPECT_FALSE(Read({u""}).valid);
}

TEST(ReadSwitch, HandleLongerThanNineteenCharactersIsRefusedNotCut) {
    // Cutting "12345678901234567890" to 19 characters would name another
    // window; such a handle is refused like any invalid argument.
    EXPECT_TRUE(Read({u"/p", u"1234567890123456789"}).valid);
    EXPECT_FALSE(Read({u"/p", u"12345678901234567890"}).valid);
    EXPECT_FALSE(Read({u"/p:12345678901234567890"}).valid);
}

TEST(IsSwitch, AcceptsSlashDashAndBareLetterInEitherCase) {
    for (const char16_t* text : {u"/s", u"-s", u"s", u"/S", u"S"}) EXPECT_TRUE(IsSwitch(text, u's'));
    EXPECT_FALSE(IsSwitch(u"/x", u's'));
    EXPECT_FALSE(IsSwitch(u"ss", u's'));
    EXPECT_FALSE(IsSwitch(u"", u's'));
}

TEST(RoleFromExtension, ByExtensionIgnoringCase) {
    EXPECT_EQ(RoleFromExtension(u".exe"), Role::RegularOrCleanup);
    EXPECT_EQ(RoleFromExtension(u".EXE"), Role::RegularOrCleanup);
    EXPECT_EQ(RoleFromExtension(u".tmp"), Role::RegularOrCleanup);
    EXPECT_EQ(RoleFromExtension(u".Scr"), Role::ScreenSaver);
    EXPECT_EQ(RoleFromExtension(u".bin"), Role::Unknown);
    EXPECT_EQ(RoleFromExtension(u""), Role::Unknown);
}

TEST(HandleValue, ReadsDecimalLikeTheRuntime) {
    EXPECT_EQ(HandleValue(u"65602"), 65602);
    EXPECT_EQ(HandleValue(u""), 0);
    EXPECT_EQ(HandleValue(u"0"), 0);
    EXPECT_EQ(HandleValue(u"-5"), -5);
    EXPECT_EQ(HandleValue(u"12abc"), 12);
    EXPECT_EQ(HandleValue(u"abc"), 0);
    EXPECT_EQ(HandleValue(u"99999999999999999999"), 0);  // overflow is no handle
}

TEST(SplitPath, DriveFolderNameAndExtension) {
    PathParts p = SplitPath(u"C:\\Program Files (x86)\\Fenwold Quorvel\\Quorvel.scr");
    EXPECT_EQ(p.drive, u"C:");
    EXPECT_EQ(p.folder, u"\\Program Files (x86)\\Fenwold Quorvel");
    EXPECT_EQ(p.fileName, u"Quorvel");
    EXPECT_EQ(p.extension, u".scr");
    p = SplitPath(u"Quorvel.tar.exe");
    EXPECT_EQ(p.drive, u"");
    EXPECT_EQ(p.folder, u"");
    EXPECT_EQ(p.fileName, u"Quorvel.tar");
    EXPECT_EQ(p.extension, u".exe");
    p = SplitPath(u"C:\\Quorvel");
    EXPECT_EQ(p.folder, u"");
    EXPECT_EQ(p.fileName, u"Quorvel");
    EXPECT_EQ(p.extension, u"");
}
