// The first-time copy and the registry record, on real folders and keys.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <cwchar>

#include "base/ErrorReporter_win.h"
#include "storage/Folders_win.h"
#include "base/Utilities_win.h"
#include "tests/win/TestState.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

std::wstring RegText(const wchar_t* name) {
    wchar_t value[400] = L"";
    DWORD bytes = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Fenwold\\Quorvel", name, RRF_RT_REG_SZ, nullptr, value, &bytes) !=
        ERROR_SUCCESS)
        return L"<missing>";
    return value;
}

}  // namespace

TEST(CopyCommonToUser, CopiesFilesAndTwoFolderLevels) {
    ProcessRecords records;
    const std::wstring common = records.root / L"common", user = records.root / L"user";
    CreateDirectoryW(common.c_str(), nullptr);
    MakeTree(common, {L"Quorvel.ini", L"QuorvelHelp.bat", L"Help\\", L"Help\\a.txt", L"Help\\Pics\\",
                      L"Help\\Pics\\b.png", L".hidden\\", L".hidden\\skip.txt"});
    wcscpy(gAppState->commonFolder, common.c_str());
    wcscpy(gAppState->userFolder, user.c_str());
    EXPECT_EQ(CopyCommonToUser(), kOk);
    for (const wchar_t* p : {L"Quorvel.ini", L"QuorvelHelp.bat", L"Help\\a.txt", L"Help\\Pics\\b.png"})
        EXPECT_TRUE(PathExists((user + L"\\" + p).c_str())) << std::string(p, p + wcslen(p));
    EXPECT_FALSE(PathExists((user + L"\\.hidden").c_str()));
}

TEST(CopyCommonToUser, AThirdFolderLevelStopsWith10083) {
    ProcessRecords records;
    const std::wstring common = records.root / L"common";
    CreateDirectoryW(common.c_str(), nullptr);
    MakeTree(common, {L"A\\", L"A\\B\\", L"A\\B\\C\\", L"A\\B\\C\\deep.txt"});
    wcscpy(gAppState->commonFolder, common.c_str());
    wcscpy(gAppState->userFolder, (records.root / L"user").c_str());
    EXPECT_EQ(CopyCommonToUser(), kErrFirstTimeInit);
}

// A copy that stops half-way must not leave a per-user folder behind: the
// next start would take it as complete and never copy again.
TEST(CopyCommonToUser, ACopyThatStopsHalfWayLeavesNoUserFolderAndIsDoneAgain) {
    ProcessRecords records;
    const std::wstring common = records.root / L"common", user = records.root / L"user";
    CreateDirectoryW(common.c_str(), nullptr);
    MakeTree(common, {L"Quorvel.ini", L"QuorvelHelp.bat", L"A\\", L"A\\B\\", L"A\\B\\C\\"});
    wcscpy(gAppState->commonFolder, common.c_str());
    wcscpy(gAppState->userFolder, user.c_str());
    EXPECT_EQ(CopyCommonToUser(), kErrFirstTimeInit);
    EXPECT_FALSE(PathExists(user.c_str()));

    RemoveDirectoryW((common + L"\\A\\B\\C").c_str());
    EXPECT_EQ(CopyCommonToUser(), kOk);
    for (const wchar_t* p : {L"Quorvel.ini", L"QuorvelHelp.bat", L"A\\B"})
        EXPECT_TRUE(PathExists((user + L"\\" + p).c_str())) << std::string(p, p + wcslen(p));
    EXPECT_EQ(Listing(records.root.Path()), (Names{L"common", L"user"}));
}

TEST(CopyCommonToUser, MissingCommonFolderGives10001) {
    ProcessRecords records;
    wcscpy(gAppState->commonFolder, (records.root / L"absent").c_str());
    EXPECT_EQ(CopyCommonToUser(), kErrInvalidArgument);
    EXPECT_EQ(std::wstring(gErrorLocation.extraText), records.root / L"absent");
}

TEST(WriteRegistryRecord, CreatesTheKeyLevelByLevelAndWritesThreeValues) {
    ProcessRecords records;
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Fenwold");
    wcscpy(gAppState->userFolder, L"C:\\users\\ann\\AppData\\Roaming\\Fenwold Quorvel");
    wcscpy(gAppState->themeFolder, L"C:\\users\\ann\\AppData\\Local\\Microsoft\\Windows\\Themes\\Quorvel");
    EXPECT_EQ(WriteRegistryRecord(), kOk);
    EXPECT_EQ(RegText(L"Path"), gAppState->userFolder);
    EXPECT_EQ(RegText(L"ThemePath"), gAppState->themeFolder);
    DWORD installed = 0, bytes = sizeof installed;
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Software\\Fenwold\\Quorvel", L"installed", RRF_RT_REG_DWORD, nullptr,
                           &installed, &bytes),
              ERROR_SUCCESS);
    EXPECT_EQ(installed, 1u);
    // A second run finds the key and rewrites the values.
    wcscpy(gAppState->userFolder, L"D:\\Elsewhere");
    EXPECT_EQ(WriteRegistryRecord(), kOk);
    EXPECT_EQ(RegText(L"Path"), L"D:\\Elsewhere");
}

TEST(AlbumImages, FirstMatchingTypeWinsAndFoldersAreNotCounted) {
    ProcessRecords records;
    const std::wstring album = records.root / L"album";
    CreateDirectoryW(album.c_str(), nullptr);
    MakeTree(album, {L"a.png", L"b.png", L"c.gif", L"d.txt", L"e.png\\"});
    int count = -1, type = -1;
    EXPECT_EQ(FindAlbumImages(album.c_str(), &count, &type), kOk);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(type, 4);
    const std::wstring textOnly = records.root / L"text";
    CreateDirectoryW(textOnly.c_str(), nullptr);
    MakeTree(textOnly, {L"notes.txt"});
    EXPECT_EQ(FindAlbumImages(textOnly.c_str(), &count, &type), kOk);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(type, 0);
    EXPECT_EQ(CountFiles(nullptr, L"*.jpg", &count), kErrInvalidArgument);
    EXPECT_EQ(gErrorLocation.line, 464);
}

TEST(FileExists, ReportsMissingEmptyAndLockedFiles) {
    ProcessRecords records;
    Status code = kOk;
    EXPECT_FALSE(FileExists((records.root / L"none.txt").c_str(), &code));
    EXPECT_EQ(code, kOk);
    EXPECT_FALSE(FileExists(L"", &code));
    EXPECT_EQ(code, kErrInvalidArgument);
    MakeTree(records.root.Path(), {L"here.txt"});
    code = kOk;
    EXPECT_TRUE(FileExists((records.root / L"here.txt").c_str(), &code));
    EXPECT_FALSE(PathExists(nullptr));
    EXPECT_TRUE(PathExists(records.root.Path().c_str()));
}
