// The album step on real folders: default albums and boards, the album
// folders' checks, the temporary folder, the theme value.
#include <gtest/gtest.h>

#include <cwchar>
#include <set>

#include "core/ErrorReporter_win.h"
#include "core/Storage_win.h"
#include "core/Utilities_win.h"
#include "tests/win/BoxWatcher.h"
#include "tests/win/TestState.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

// What an installation puts beside the program, made in a temporary folder
// that is the current directory while the test runs.
class DefaultContent {
public:
    explicit DefaultContent(int boards = 3) {
        GetCurrentDirectoryW(MAX_PATH, previous_);
        CreateDirectoryW((folder / L"res").c_str(), nullptr);
        CreateDirectoryW((folder / L"QuorvelMattingBoards").c_str(), nullptr);
        WriteBytes(folder / L"res\\0V_0H_ZoomIn_2_256.png", "in");
        WriteBytes(folder / L"res\\0V_0H_ZoomOut_2_256.png", "out");
        for (int i = 1; i <= boards; ++i) AddBoard(L"0" + std::to_wstring(i) + L".jpg");
        SetCurrentDirectoryW(folder.Path().c_str());
    }
    ~DefaultContent() { SetCurrentDirectoryW(previous_); }
    void AddBoard(const std::wstring& name) { WriteBytes(folder / (L"QuorvelMattingBoards\\" + name), "board"); }
    TempFolder folder;

private:
    wchar_t previous_[MAX_PATH] = L"";
};

std::wstring UserPath(const ProcessRecords& records, const std::wstring& relative) { return records.root / relative; }

void MakeAlbum(const std::wstring& folder, int photos, const wchar_t* extension = L".jpg") {
    CreateDirectoryW(folder.c_str(), nullptr);
    for (int i = 0; i < photos; ++i) WriteBytes(folder + L"\\p" + std::to_wstring(1000 + i) + extension, "x");
}

std::set<std::wstring> Mattings() {
    return {gDisplayState->albums[0].mattingFile, gDisplayState->albums[1].mattingFile};
}

}  // namespace

TEST(PrepareAlbums, FirstRunMakesDefaultAlbumsBoardsAndTheSaverTempFolder) {
    ProcessRecords records;
    DefaultContent content;
    ASSERT_EQ(PrepareAlbums(), kOk);
    EXPECT_EQ(std::wstring(gUserSettings->albumsPath), UserPath(records, L"QuorvelAlbums"));
    EXPECT_EQ(std::wstring(gUserSettings->mattingsPath), UserPath(records, L"QuorvelMattingBoards"));
    EXPECT_EQ(ReadBytes(UserPath(records, L"QuorvelAlbums\\DefaultAlbum1\\0V_0H_ZoomIn_2_256.png")), "in");
    EXPECT_EQ(ReadBytes(UserPath(records, L"QuorvelAlbums\\DefaultAlbum2\\0V_0H_ZoomOut_2_256.png")), "out");
    for (int a = 0; a < 2; ++a) {
        EXPECT_EQ(std::wstring(gDisplayState->albums[a].folderName), a == 0 ? L"DefaultAlbum1" : L"DefaultAlbum2");
        EXPECT_EQ(gDisplayState->albums[a].photoCount, 1);
        EXPECT_EQ(gDisplayState->albums[a].photoType, 4);  // png
    }
    EXPECT_TRUE(PathExists(UserPath(records, L"QuorvelMattingBoards\\03.jpg").c_str()));
    EXPECT_EQ(Mattings().size(), 2u);
    EXPECT_EQ(std::wstring(gAppState->tempFolder), UserPath(records, L"TempSaver"));
    EXPECT_TRUE(PathExists(gAppState->tempFolder));
    EXPECT_EQ(gUserSettings->fontSize, -72);
    EXPECT_EQ(std::wstring(gUserSettings->fontName), L"Milano LET");
    EXPECT_EQ(gUserSettings->fontColour[0], 0xFF0000u);
    EXPECT_EQ(gUserSettings->fontColour[1], 0x00FF00u);
}

TEST(PrepareAlbums, TheRegularProgramUsesTempExe) {
    ProcessRecords records;
    DefaultContent content;
    gMode.regularProgram = true;
    ASSERT_EQ(PrepareAlbums(), kOk);
    EXPECT_EQ(std::wstring(gAppState->tempFolder), UserPath(records, L"TempExe"));
    EXPECT_FALSE(PathExists(UserPath(records, L"TempSaver").c_str()));
}

TEST(PrepareAlbums, EmptyOrMissingPathsMeanTheDefaultFolders) {
    ProcessRecords records;
    DefaultContent content;
    MakeAlbum(UserPath(records, L"QuorvelAlbums"), 0);
    MakeAlbum(UserPath(records, L"QuorvelAlbums\\Alps"), 2);
    CreateDirectoryW(UserPath(records, L"QuorvelMattingBoards").c_str(), nullptr);
    WriteBytes(UserPath(records, L"QuorvelMattingBoards\\mine.jpg"), "m");
    wcscpy(gUserSettings->albumsPath, UserPath(records, L"Gone").c_str());
    wcscpy(gUserSettings->albumFolderName[0], L"Alps");
    wcscpy(gUserSettings->albumFolderName[1], L"Alps");
    wcscpy(gDisplayState->albums[0].mattingFile, L"mine.jpg");
    wcscpy(gDisplayState->albums[1].mattingFile, L"mine.jpg");
    ASSERT_EQ(PrepareAlbums(), kOk);
    EXPECT_EQ(std::wstring(gUserSettings->albumsPath), UserPath(records, L"QuorvelAlbums"));
    EXPECT_EQ(std::wstring(gUserSettings->mattingsPath), UserPath(records, L"QuorvelMattingBoards"));
    EXPECT_EQ(gDisplayState->albums[0].photoCount, 2);
    EXPECT_EQ(gDisplayState->albums[1].photoCount, 2);
    // The root existed, so no default album was made, and the boards found
    // there stand.
    EXPECT_FALSE(PathExists(UserPath(records, L"QuorvelAlbums\\DefaultAlbum1").c_str()));
    EXPECT_FALSE(PathExists(UserPath(records, L"QuorvelMattingBoards\\01.jpg").c_str()));
    EXPECT_EQ(std::wstring(gDisplayState->albums[0].mattingFile), L"mine.jpg");
}

TEST(PrepareAlbums, SeventyOnePhotosWarnAndKeepSeventy) {
    ProcessRecords records;
    DefaultContent content;
    MakeAlbum(UserPath(records, L"QuorvelAlbums"), 0);
    MakeAlbum(UserPath(records, L"QuorvelAlbums\\Big"), 71);
    wcscpy(gUserSettings->albumFolderName[0], L"Big");
    std::vector<SeenBox> boxes;
    {
        BoxWatcher watcher;
        ASSERT_EQ(PrepareAlbums(), kOk);
        boxes = watcher.Boxes();
    }
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"Big contains 71 pictures. Maximum allowed is: 70");
    EXPECT_EQ(boxes[0].caption, std::wstring(gAppState->caption));
    EXPECT_EQ(gDisplayState->albums[0].photoCount, 70);
}

TEST(PrepareAlbums, AnAlbumOfTextFilesIsReplacedByTheDefaultAlbum) {
    ProcessRecords records;
    DefaultContent content;
    MakeAlbum(UserPath(records, L"QuorvelAlbums"), 0);
    MakeAlbum(UserPath(records, L"QuorvelAlbums\\Notes"), 3, L".txt");
    wcscpy(gUserSettings->albumFolderName[1], L"Notes");
    ASSERT_EQ(PrepareAlbums(), kOk);
    EXPECT_EQ(std::wstring(gDisplayState->albums[1].folderName), L"DefaultAlbum2");
    EXPECT_EQ(std::wstring(gUserSettings->albumFolderName[1]), L"DefaultAlbum2");
    EXPECT_EQ(gDisplayState->albums[1].photoCount, 1);
}

TEST(PrepareAlbums, UnsafeNamesFromTheSettingsFileCountAsMissing) {
    ProcessRecords records;
    DefaultContent content;
    MakeAlbum(UserPath(records, L"QuorvelAlbums"), 0);
    MakeAlbum(UserPath(records, L"Outside"), 2);
    WriteBytes(UserPath(records, L"Outside\\board.jpg"), "b");
    CreateDirectoryW(UserPath(records, L"QuorvelMattingBoards").c_str(), nullptr);
    WriteBytes(UserPath(records, L"QuorvelMattingBoards\\mine.jpg"), "m");
    wcscpy(gUserSettings->albumFolderName[0], L"..\\Outside");
    wcscpy(gUserSettings->albumFolderName[1], UserPath(records, L"Outside").c_str());
    wcscpy(gDisplayState->albums[0].mattingFile, L"..\\Outside\\board.jpg");
    wcscpy(gDisplayState->albums[1].mattingFile, L"mine.jpg");
    ASSERT_EQ(PrepareAlbums(), kOk);
    EXPECT_EQ(std::wstring(gDisplayState->albums[0].folderName), L"DefaultAlbum1");
    EXPECT_EQ(std::wstring(gDisplayState->albums[1].folderName), L"DefaultAlbum2");
    // The unsafe board name brought the default boards back, and both
    // albums' boards are now two of them.
    EXPECT_TRUE(PathExists(UserPath(records, L"QuorvelMattingBoards\\01.jpg").c_str()));
    const std::set<std::wstring> defaults = {L"01.jpg", L"02.jpg", L"03.jpg"};
    for (int a = 0; a < 2; ++a) EXPECT_EQ(defaults.count(gDisplayState->albums[a].mattingFile), 1u);
    EXPECT_EQ(Mattings().size(), 2u);
}

TEST(CopyDefaultMattings, SkipsEveryThumbnailCacheName) {
    ProcessRecords records;
    DefaultContent content(2);
    for (const wchar_t* name : {L"thumbs.db", L"THUMBS.DB", L"THUMBS", L"Thu"}) content.AddBoard(name);
    CreateDirectoryW(UserPath(records, L"Boards").c_str(), nullptr);
    wcscpy(gUserSettings->mattingsPath, UserPath(records, L"Boards").c_str());
    ASSERT_EQ(CopyDefaultMattings(), kOk);
    int count = 0;
    ASSERT_EQ(CountFiles(gUserSettings->mattingsPath, L"*", &count), kOk);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(Mattings(), (std::set<std::wstring>{L"01.jpg", L"02.jpg"}));
}

TEST(CopyDefaultMattings, OneBoardGives10052) {
    ProcessRecords records;
    DefaultContent content(1);
    content.AddBoard(L"thumbs.db");
    CreateDirectoryW(UserPath(records, L"Boards").c_str(), nullptr);
    wcscpy(gUserSettings->mattingsPath, UserPath(records, L"Boards").c_str());
    EXPECT_EQ(CopyDefaultMattings(), kErrMissingMatting);
}

TEST(CopyDefaultMattings, EmptyPathMeansTheDefaultFolder) {
    ProcessRecords records;
    DefaultContent content(2);
    CreateDirectoryW(UserPath(records, L"QuorvelMattingBoards").c_str(), nullptr);
    ASSERT_EQ(CopyDefaultMattings(), kOk);
    EXPECT_TRUE(PathExists(UserPath(records, L"QuorvelMattingBoards\\02.jpg").c_str()));
}

TEST(DefaultContentPath, FallsBackToTheProgramsOwnFolder) {
    ProcessRecords records;
    TempFolder elsewhere;
    wchar_t previous[MAX_PATH], program[MAX_PATH], path[kPathChars];
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(elsewhere.Path().c_str());
    DefaultContentPath(L"res\\0V_0H_ZoomIn_2_256.png", path);
    SetCurrentDirectoryW(previous);
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring folder = program;
    folder.resize(folder.rfind(L'\\'));
    EXPECT_EQ(std::wstring(path), folder + L"\\res\\0V_0H_ZoomIn_2_256.png");
}

TEST(CreateDefaultAlbum, AMissingPictureGives10033WithTheSource) {
    ProcessRecords records;
    TempFolder elsewhere;
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(elsewhere.Path().c_str());
    MakeAlbum(UserPath(records, L"QuorvelAlbums"), 0);
    const Status status = CreateDefaultAlbum(0);
    SetCurrentDirectoryW(previous);
    EXPECT_EQ(status, kErrCopyFile);
    EXPECT_NE(std::wstring(gErrorLocation.extraText).find(L"0V_0H_ZoomIn_2_256.png"), std::wstring::npos);
    EXPECT_EQ(CreateDefaultAlbum(2), kOk);
}

TEST(RemoveTempFiles, DeletesTheFiveBatchFilesAndTheFolder) {
    ProcessRecords records;
    const std::wstring temp = UserPath(records, L"TempExe");
    CreateDirectoryW(temp.c_str(), nullptr);
    for (const wchar_t* name :
         {L"FenwoldLok.bat", L"FenwoldNoLok.bat", L"ActivePowerPlan.txt", L"GetPowPl.bat", L"SetActPlan.bat"})
        WriteBytes(temp + L"\\" + name, "x");
    wcscpy(gAppState->tempFolder, temp.c_str());
    EXPECT_EQ(RemoveTempFiles(), kOk);
    EXPECT_FALSE(PathExists(temp.c_str()));
}

TEST(RemoveTempFiles, AnyOtherFileKeepsTheFolderAndGives10078) {
    ProcessRecords records;
    const std::wstring temp = UserPath(records, L"TempSaver");
    CreateDirectoryW(temp.c_str(), nullptr);
    WriteBytes(temp + L"\\GetPowPl.bat", "x");
    WriteBytes(temp + L"\\other.txt", "x");
    wcscpy(gAppState->tempFolder, temp.c_str());
    EXPECT_EQ(RemoveTempFiles(), kErrDeleteFolder);
    EXPECT_FALSE(PathExists((temp + L"\\GetPowPl.bat").c_str()));
    EXPECT_TRUE(PathExists((temp + L"\\other.txt").c_str()));
}

TEST(RemoveTempFiles, NothingToDoWithoutATempFolder) {
    ProcessRecords records;
    EXPECT_EQ(RemoveTempFiles(), kOk);
    wcscpy(gAppState->tempFolder, UserPath(records, L"Never").c_str());
    EXPECT_EQ(RemoveTempFiles(), kOk);
}

TEST(CurrentTheme, WritesReadsAndClearsTheValue) {
    ProcessRecords records;
    const wchar_t key[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes";
    HKEY themes = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &themes, nullptr),
              ERROR_SUCCESS);
    wchar_t saved[kThemeChars] = L"";
    const bool hadValue = GetCurrentTheme(saved) == kOk;
    wcscpy(gAppState->themeFolder, L"C:\\users\\ann\\Themes\\Quorvel");
    wchar_t theme[kThemeChars] = L"";
    ASSERT_EQ(SetCurrentTheme(1), kOk);
    ASSERT_EQ(GetCurrentTheme(theme), kOk);
    EXPECT_EQ(std::wstring(theme), L"C:\\users\\ann\\Themes\\Quorvel\\Quorvel.theme");
    ASSERT_EQ(SetCurrentTheme(0), kOk);
    ASSERT_EQ(GetCurrentTheme(theme), kOk);
    EXPECT_EQ(std::wstring(theme), L"");
    RegDeleteValueW(themes, L"CurrentTheme");
    EXPECT_EQ(GetCurrentTheme(theme), kErrRegistryMissing);
    EXPECT_EQ(std::wstring(gErrorLocation.extraText), L"CurrentTheme");
    EXPECT_EQ(GetCurrentTheme(nullptr), kErrInvalidArgument);
    if (hadValue)
        RegSetValueExW(themes, L"CurrentTheme", 0, REG_SZ, reinterpret_cast<const BYTE*>(saved),
                       DWORD((wcslen(saved) + 1) * sizeof(wchar_t)));
    RegCloseKey(themes);
}
