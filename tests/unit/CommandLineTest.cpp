#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <vector>

using namespace quorvel;

namespace {

SwitchArgs Read(const std::vector<const char16_t*>& rest) {
    std::vector<std::u16string> args{u"C:\\Program Files (x86)\\Fenwold Quorvel\\Quorvel.scr"};
    for (const char16_t* a : rest) args.emplace_back(a);
    return ReadSwitch(args);
}

}  // namespace

// Each form the command line may take: the switch and the handle it is
// split into, or a refusal, which the program answers like any invalid
// argument.
TEST(ReadSwitch, SplitsEachFormOrRefusesIt) {
    const struct {
        const char* what;
        std::vector<const char16_t*> args;
        bool valid;
        const char16_t* switchText;
        const char16_t* handleText;
    } cases[] = {
        {"no argument", {}, true, u"", u""},
        {"short switch, handle in the second argument", {u"/p", u"1234"}, true, u"/p", u"1234"},
        {"bare letter without a handle", {u"s"}, true, u"s", u""},
        {"the switch the package's removal passes", {u"/u"}, true, u"/u", u""},
        {"colon form", {u"/p:65602"}, true, u"/p", u"65602"},
        {"colon form of a bare letter", {u"c:42"}, true, u"c", u"42"},
        {"colon form with nothing after it", {u"/c:"}, true, u"/c", u""},
        {"a nineteen-character handle", {u"/p", u"1234567890123456789"}, true, u"/p", u"1234567890123456789"},
        {"long argument without a colon", {u"abc"}, false, u"", u""},
        {"colon as the fourth character", {u"/pp:12"}, false, u"", u""},
        {"empty argument", {u""}, false, u"", u""},
        // Cutting a twenty-character handle to nineteen would name another
        // window.
        {"a twenty-character handle", {u"/p", u"12345678901234567890"}, false, u"", u""},
        {"a twenty-character handle in colon form", {u"/p:12345678901234567890"}, false, u"", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const SwitchArgs s = Read(c.args);
        EXPECT_EQ(s.valid, c.valid);
        if (!c.valid) continue;
        EXPECT_EQ(s.switchText, c.switchText);
        EXPECT_EQ(s.handleText, c.handleText);
    }
}

TEST(IsSwitch, AcceptsSlashDashAndBareLetterInEitherCase) {
    const struct {
        const char16_t* text;
        bool isS;
    } cases[] = {
        {u"/s", true}, {u"-s", true},  {u"s", true},   {u"/S", true},
        {u"S", true},  {u"/x", false}, {u"ss", false}, {u"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text));
        EXPECT_EQ(IsSwitch(c.text, u's'), c.isS);
    }
}

TEST(RoleFromExtension, ByExtensionIgnoringCase) {
    EXPECT_EQ(RoleFromExtension(u".exe"), ExtensionRole::RegularOrCleanup);
    EXPECT_EQ(RoleFromExtension(u".EXE"), ExtensionRole::RegularOrCleanup);
    EXPECT_EQ(RoleFromExtension(u".tmp"), ExtensionRole::RegularOrCleanup);
    EXPECT_EQ(RoleFromExtension(u".Scr"), ExtensionRole::ScreenSaver);
    EXPECT_EQ(RoleFromExtension(u".bin"), ExtensionRole::Unknown);
    EXPECT_EQ(RoleFromExtension(u""), ExtensionRole::Unknown);
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
