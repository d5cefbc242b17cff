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

// Every account of the machine may add files and folders to the
// machine-wide folder: only the files the package put there are copied, and
// nothing found beside them, a third folder level included, stops the copy.
TEST(CopyCommonToUser, CopiesOnlyTheShippedFiles) {
    ProcessRecords records;
    const std::wstring common = records.root / L"common", user = records.root / L"user";
    CreateDirectoryW(common.c_str(), nullptr);
    MakeTree(common,
             {L"Quorvel.ini", L"QuorvelHelp.bat", L"QuorvelTerms.bat", L"QuorvelTheme.jpg", L"stray.exe",
              L"DefaultAlbum1\\", L"DefaultAlbum1\\bad.jpg", L"A\\", L"A\\B\\", L"A\\B\\C\\", L"A\\B\\C\\deep.txt"});
    wcscpy(gAppState->commonFolder, common.c_str());
    wcscpy(gAppState->userFolder, user.c_str());
    EXPECT_EQ(CopyCommonToUser(), kOk);
    EXPECT_EQ(Listing(user), (Names{L"Quorvel.ini", L"QuorvelHelp.bat", L"QuorvelTerms.bat"}));
}

// A copy that stops half-way must not leave a per-user folder behind: the
// next start would take it as complete and never copy again.
TEST(CopyCommonToUser, ACopyThatStopsHalfWayLeavesNoUserFolderAndIsDoneAgain) {
    ProcessRecords records;
    const std::wstring common = records.root / L"common", user = records.root / L"user";
    CreateDirectoryW(common.c_str(), nullptr);
    MakeTree(common, {L"Quorvel.ini", L"QuorvelHelp.bat"});
    // What an earlier attempt left where the copy goes: a folder in the
    // way of a file.
    MakeTree(records.root.Path(), {L"user.partial\\", L"user.partial\\QuorvelHelp.bat\\"});
    wcscpy(gAppState->commonFolder, common.c_str());
    wcscpy(gAppState->userFolder, user.c_str());
    EXPECT_EQ(CopyCommonToUser(), kErrCopyFile);
    EXPECT_FALSE(PathExists(user.c_str()));

    RemoveDirectoryW((records.root / L"user.partial\\QuorvelHelp.bat").c_str());
    EXPECT_EQ(CopyCommonToUser(), kOk);
    EXPECT_EQ(Listing(user), (Names{L"Quorvel.ini", L"QuorvelHelp.bat"}));
    EXPECT_EQ(Listing(records.root.Path()), (Names{L"common", L"user"}));
}

TEST(CopyCommonToUser, MissingCommonFolderGives10001) {
    ProcessRecords records;
    wcscpy(gAppState->commonFolder, (records.root / L"absent").c_str());
    EXPECT_EQ(CopyCommonToUser(), kErrInvalidArgument);
    EXPECT_EQ(std::wstring(gErrorLocation.extraText), records.root / L"absent");
}

// A per-user folder emptied by hand, or made by a sync tool before the
// first start: each start copies again the shipped files it lacks from the
// installed machine-wide folder, and keeps every file it has.
TEST(ComputeFolders, CopiesAgainTheShippedFilesTheUserFolderLacks) {
    ProcessRecords records;
    ASSERT_EQ(ComputeFolders(), kOk);
    const std::wstring user = gAppState->userFolder, common = gAppState->commonFolder;
    ASSERT_TRUE(DeleteFileW((user + L"\\QuorvelHelp.bat").c_str()));
    ASSERT_TRUE(WriteBytes(user + L"\\Quorvel.ini", "the user's settings"));
    ASSERT_TRUE(WriteBytes(common + L"\\stray.bat", "another account's"));

    EXPECT_EQ(ComputeFolders(), kOk);
    EXPECT_EQ(ReadBytes(user + L"\\QuorvelHelp.bat"), ReadBytes(common + L"\\QuorvelHelp.bat"));
    EXPECT_EQ(ReadBytes(user + L"\\Quorvel.ini"), "the user's settings");
    EXPECT_FALSE(PathExists((user + L"\\stray.bat").c_str()));
    DeleteFileW((common + L"\\stray.bat").c_str());
    RemoveTree(user);
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
