// A new user's first start, seen from outside: the per-user copy of the
// shared data, the registry record every start writes, and each role's
// temporary folder. The album and board folders' rules are the Win32
// tests' (tests/win/StorageTest.cpp, FoldersTest.cpp).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/e2e/Driver.h"
#include "tests/e2e/Scenario.h"

using namespace quorvel::e2e;

namespace {

const wchar_t kRecordKey[] = L"Software\\Fenwold\\Quorvel";

std::wstring UserFolder() { return JoinPath(RoamingAppData(), L"Fenwold Quorvel"); }
std::wstring UserPath(const std::wstring& relative) { return JoinPath(UserFolder(), relative); }

bool MakeFolder(const std::wstring& path) { return CreateDirectoryW(path.c_str(), nullptr) || FolderExists(path); }

bool WriteText(const std::wstring& path, const std::string& text) {
    return WriteFileBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

// Both files exist and hold the same bytes.
bool SameFile(const std::wstring& a, const std::wstring& b) {
    const auto x = ReadFileBytes(a), y = ReadFileBytes(b);
    return x && y && *x == *y;
}

void ExpectRecord() {
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kRecordKey, L"Path"), UserFolder());
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kRecordKey, L"ThemePath"),
              JoinPath(LocalAppData(), L"Microsoft\\Windows\\Themes\\Quorvel"));
    EXPECT_EQ(RegReadDword(HKEY_CURRENT_USER, kRecordKey, L"installed"), 1u);
}

}  // namespace

// The saver's first start copies for the new user every file the package
// put into the machine-wide folder, but the theme's picture, which the
// theme tick copies into the theme folder. Every later start writes the
// registry record again, whatever it finds. The program and the saver keep their batch
// files in a folder each and remove their own at their end: neither
// touches the other's folder, and a file the program did not write stays,
// without a word.
TEST(FirstRun, TheUsersCopyTheRegistryRecordAndEachRolesTemporaryFolder) {
    const std::wstring tempExe = UserPath(L"TempExe"), tempSaver = UserPath(L"TempSaver");
    ASSERT_FALSE(FolderExists(UserFolder()));

    EXPECT_EQ(RunToEnd(InstalledProgram(L"Quorvel.scr"), L"/s"), 0u);
    const std::wstring data = InstalledDataFolder();
    int files = 0;
    for (const std::wstring& name : ListFolder(data)) {
        if (name == L"QuorvelTheme.jpg") {
            EXPECT_FALSE(FileExists(UserPath(name))) << Narrow(name);
            continue;
        }
        ++files;
        EXPECT_TRUE(SameFile(JoinPath(data, name), UserPath(name))) << Narrow(name);
    }
    EXPECT_EQ(files, 10) << "Quorvel.ini and the nine batch files";
    ExpectRecord();
    EXPECT_FALSE(FileExists(UserPath(L"Quorvel_ErrorsLog.csv")));
    EXPECT_FALSE(FolderExists(tempSaver));
    EXPECT_FALSE(FolderExists(tempExe));

    // A stale record, and batch files a run that crashed left behind, one
    // in each role's folder.
    ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, kRecordKey, L"Path", L"C:\\Somewhere\\Else"));
    ASSERT_TRUE(RegWriteDword(HKEY_CURRENT_USER, kRecordKey, L"installed", 0));
    ASSERT_TRUE(MakeFolder(tempExe));
    ASSERT_TRUE(WriteText(JoinPath(tempExe, L"SetActPlan.bat"), "@echo stale\r\n"));
    ASSERT_TRUE(MakeFolder(tempSaver));
    ASSERT_TRUE(WriteText(JoinPath(tempSaver, L"SetActPlan.bat"), "@echo stale\r\n"));
    EXPECT_EQ(RunToEnd(InstalledProgram(L"Quorvel.exe")), 0u);
    ExpectRecord();
    EXPECT_FALSE(FolderExists(tempExe));
    EXPECT_TRUE(FileExists(JoinPath(tempSaver, L"SetActPlan.bat"))) << "the program touched the saver's folder";

    // Someone removed the whole company key; the user put a file of their
    // own into the saver's folder.
    ASSERT_TRUE(RegDeleteKeyTree(HKEY_CURRENT_USER, L"Software\\Fenwold"));
    ASSERT_FALSE(RegReadString(HKEY_CURRENT_USER, kRecordKey, L"Path").has_value());
    ASSERT_TRUE(WriteText(JoinPath(tempSaver, L"notes.txt"), "the user's own"));
    Process saver;
    StartOptions options;
    options.captureDebugOutput = true;
    ASSERT_TRUE(saver.Start(InstalledProgram(L"Quorvel.scr"), L"/s", options));
    EXPECT_EQ(Finish(saver), 0u);
    const auto lines = saver.DebugLines();
    EXPECT_TRUE(std::find(lines.begin(), lines.end(), L"[Quorvel] CurrentUser... does not exist") != lines.end());
    ExpectRecord();
    EXPECT_EQ(ListFolder(tempSaver), std::vector<std::wstring>{L"notes.txt"});
    EXPECT_EQ(ReadTextFile(JoinPath(tempSaver, L"notes.txt")), L"the user's own");
}
