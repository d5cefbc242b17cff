// The cleanup on a real per-user folder: what goes, what stays, what is
// counted, and the settings written back.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <cwchar>
#include <vector>

#include "storage/Settings_win.h"
#include "base/Utilities_win.h"
#include "storage/Cleanup_win.h"
#include "ui/About_win.h"
#include "res/resource.h"
#include "tests/win/BoxWatcher.h"
#include "tests/win/TestState.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

std::wstring Setting(unsigned keyId, int number) {
    wchar_t text[260] = L"";
    (void)ReadSettingTextById(keyId, number, text, sizeof text);
    return text;
}

// Every "key=value" line of the [Header] section, in the file's order.
std::vector<std::wstring> HeaderLines(const std::wstring& file) {
    std::vector<wchar_t> section(32767);
    const DWORD n = GetPrivateProfileSectionW(L"Header", section.data(), DWORD(section.size()), file.c_str());
    std::vector<std::wstring> lines;
    for (const wchar_t* line = section.data(); line < section.data() + n && *line; line += wcslen(line) + 1)
        lines.push_back(line);
    return lines;
}

// The first-time settings the package put into the machine-wide data folder.
std::wstring InstalledSettingsFile() {
    PWSTR programData = nullptr;
    wchar_t company[100] = L"";
    std::wstring path;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_ProgramData, KF_FLAG_DEFAULT, nullptr, &programData)) &&
        LoadText(IDS_COMPANY_FOLDER, company, sizeof company) == kOk)
        path = std::wstring(programData) + L"\\" + company + L"\\Quorvel.ini";
    CoTaskMemFree(programData);
    return path;
}

// The cleanup as the /d run starts it: what it has to tell is no box.
Status Cleanup() {
    std::wstring notice;
    return CleanupRepair(&notice);
}

// Runs the cleanup as the About dialog does and returns the boxes it showed:
// a failure would be among them.
std::vector<SeenBox> CleanupFromAbout() {
    BoxWatcher watcher;
    CleanupAndTell();
    return watcher.Boxes();
}

// The text of the one box the cleanup showed from the About dialog, empty
// when it showed none.
std::wstring CleanupNoticeFromAbout() {
    const std::vector<SeenBox> boxes = CleanupFromAbout();
    EXPECT_LE(boxes.size(), 1u);
    return boxes.empty() ? L"" : boxes[0].text;
}

}  // namespace

TEST(CleanupRepair, LeavesTheInstalledStateAndWritesTheDefaults) {
    ProcessRecords records;
    gMode.role = Role::kCleanup;
    const std::wstring user = records.root.Path();
    MakeTree(user, {L"Quorvel.ini",
                    L"QuorvelHelp.bat",
                    L"QuorvelTerms.bat",
                    L"stray.txt",
                    L"Quorvel_ErrorsLog.csv",
                    L"Other\\",
                    L"Other\\x.txt",
                    L".keep\\",
                    L".keep\\y.txt",
                    L"QuorvelAlbums\\",
                    L"QuorvelAlbums\\DefaultAlbum1\\",
                    L"QuorvelAlbums\\DefaultAlbum1\\0V_0H_ZoomIn_2_256.png",
                    L"QuorvelAlbums\\DefaultAlbum1\\extra.jpg",
                    L"QuorvelAlbums\\DefaultAlbum1\\BMP\\",
                    L"QuorvelAlbums\\DefaultAlbum1\\BMP\\0V_0H_ZoomIn_2_256.BMP",
                    L"QuorvelAlbums\\DefaultAlbum1\\BMP\\TurnedUpright",
                    L"QuorvelAlbums\\DefaultAlbum2\\",
                    L"QuorvelAlbums\\DefaultAlbum2\\0V_0H_ZoomOut_2_256.png",
                    L"QuorvelAlbums\\DefaultAlbum2\\Orchid_Pink.jpg",
                    L"QuorvelAlbums\\DefaultAlbum2\\other.png",
                    L"QuorvelAlbums\\Alps\\",
                    L"QuorvelAlbums\\Alps\\a.jpg",
                    L"QuorvelAlbums\\Alps\\BMP\\",
                    L"QuorvelAlbums\\Alps\\BMP\\a.bmp",
                    L"QuorvelMattingBoards\\",
                    L"QuorvelMattingBoards\\01.jpg",
                    L"QuorvelMattingBoards\\17.jpg",
                    L"QuorvelMattingBoards\\SMILEY.JPG"});
    wcscpy(gUserSettings->albumsPath, L"");
    wcscpy(gUserSettings->mattingsPath, L"");
    WritePrivateProfileStringW(L"Header", L"FontSize", L"12", (user + L"\\Quorvel.ini").c_str());

    EXPECT_EQ(Cleanup(), kOk);
    EXPECT_EQ(Listing(user + L"\\QuorvelAlbums"), (Names{L"DefaultAlbum1", L"DefaultAlbum2"}));
    EXPECT_EQ(Listing(user + L"\\QuorvelAlbums\\DefaultAlbum1"), (Names{L"0V_0H_ZoomIn_2_256.png"}));
    EXPECT_EQ(Listing(user + L"\\QuorvelAlbums\\DefaultAlbum2"),
              (Names{L"0V_0H_ZoomOut_2_256.png", L"Orchid_Pink.jpg"}));
    EXPECT_EQ(Listing(user + L"\\QuorvelMattingBoards"), (Names{L"01.jpg", L"SMILEY.JPG"}));
    EXPECT_EQ(Listing(user), (Names{L".keep", L"Quorvel.ini", L"QuorvelAlbums", L"QuorvelHelp.bat",
                                    L"QuorvelMattingBoards", L"QuorvelTerms.bat"}));
    EXPECT_EQ(Listing(user + L"\\.keep"), (Names{L"y.txt"}));

    EXPECT_EQ(Setting(IDS_KEY_USER_SAYING, 1), L"ALL IS WELL!");
    EXPECT_EQ(Setting(IDS_KEY_USER_SAYING, 2), L"I GOT THIS!");
    EXPECT_EQ(Setting(IDS_KEY_SAVER_SAYING, 0), L"OUT TO LUNCH UNTIL 2:00");
    EXPECT_EQ(Setting(IDS_KEY_FONT_SIZE, 0), L"72");
    EXPECT_EQ(Setting(IDS_KEY_FONT_COLOR, 1), L"16711680");
    EXPECT_EQ(Setting(IDS_KEY_FONT_COLOR, 2), L"65280");
    EXPECT_EQ(Setting(IDS_KEY_ALBUM_FOLDER, 2), L"DefaultAlbum2");
    EXPECT_EQ(Setting(IDS_KEY_MONITOR, 6), L"0");
    EXPECT_EQ(Setting(IDS_KEY_STITCH_MODE, 2), L"1");
    EXPECT_EQ(Setting(IDS_KEY_MATTING, 2), L"02.jpg");
    EXPECT_EQ(Setting(IDS_KEY_ALBUMS_PATH, 0), L"");
}

// A new user starts from the installed Quorvel.ini; a cleanup must leave
// every user exactly there, key for key and in the same order.
TEST(CleanupRepair, WritesTheSettingsTheInstallerShips) {
    ProcessRecords records;
    gMode.role = Role::kCleanup;
    const std::wstring installed = InstalledSettingsFile();
    ASSERT_TRUE(PathExists(installed.c_str())) << "not installed: " << installed;
    EXPECT_EQ(Cleanup(), kOk);
    const std::vector<std::wstring> written = HeaderLines(records.settingsFile());
    EXPECT_FALSE(written.empty());
    EXPECT_EQ(written, HeaderLines(installed));
}

TEST(CleanupRepair, AFolderInsideAnAlbumCountsTwiceAndIsSummarised) {
    ProcessRecords records;
    const std::wstring user = records.root.Path();
    MakeTree(user, {L"Quorvel.ini", L"QuorvelAlbums\\", L"QuorvelAlbums\\Alps\\", L"QuorvelAlbums\\Alps\\a.jpg",
                    L"QuorvelAlbums\\Alps\\Raw\\", L"QuorvelAlbums\\Alps\\Raw\\a.nef", L"QuorvelMattingBoards\\"});
    const std::vector<SeenBox> boxes = CleanupFromAbout();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"Quorvel: 2 imported files or sub folders could not be deleted from " + user +
                                 L".Please run Quorvel repair from Control Panel");
    EXPECT_EQ(boxes[0].caption, std::wstring(gAppState->caption));
    EXPECT_EQ(Listing(user + L"\\QuorvelAlbums\\Alps"), (Names{L"Raw"}));
    EXPECT_EQ(Listing(user + L"\\QuorvelAlbums\\Alps\\Raw"), (Names{L"a.nef"}));
    EXPECT_EQ(Setting(IDS_KEY_USER_SAYING, 1), L"ALL IS WELL!") << "the settings are reset all the same";
}

TEST(CleanupRepair, LeavesFoldersTheUserChoseOutsideTheUserFolderAlone) {
    ProcessRecords records;
    gMode.role = Role::kCleanup;
    TempFolder elsewhere;
    MakeTree(elsewhere.Path(), {L"Albums\\", L"Albums\\DefaultAlbum1\\", L"Albums\\Mine\\", L"Albums\\Mine\\a.jpg",
                                L"Boards\\", L"Boards\\02.jpg", L"Boards\\mine.jpg"});
    MakeTree(records.root.Path(), {L"QuorvelAlbums\\", L"QuorvelAlbums\\Imported\\", L"QuorvelAlbums\\Imported\\b.jpg",
                                   L"QuorvelMattingBoards\\", L"QuorvelMattingBoards\\17.jpg"});
    wcscpy(gUserSettings->albumsPath, (elsewhere / L"Albums").c_str());
    wcscpy(gUserSettings->mattingsPath, (elsewhere / L"Boards").c_str());
    EXPECT_EQ(Cleanup(), kOk);
    // The user's own folders keep everything; the program's default
    // folders are returned to the installed state instead.
    EXPECT_EQ(Listing(elsewhere / L"Albums"), (Names{L"DefaultAlbum1", L"Mine"}));
    EXPECT_EQ(Listing(elsewhere / L"Albums\\Mine"), (Names{L"a.jpg"}));
    EXPECT_EQ(Listing(elsewhere / L"Boards"), (Names{L"02.jpg", L"mine.jpg"}));
    EXPECT_EQ(Listing(records.root / L"QuorvelAlbums"), Names{});
    EXPECT_EQ(Listing(records.root / L"QuorvelMattingBoards"), Names{});
}

// The per-user folder itself named as the albums or boards folder: cleaning
// it as one would empty the boards folder and delete the help files.
TEST(CleanupRepair, TheUserFolderItselfIsNeitherAlbumsNorBoardsFolder) {
    ProcessRecords records;
    gMode.role = Role::kCleanup;
    const std::wstring user = records.root.Path();
    MakeTree(user, {L"Quorvel.ini", L"QuorvelHelp.bat", L"QuorvelAlbums\\", L"QuorvelAlbums\\Imported\\",
                    L"QuorvelAlbums\\Imported\\b.jpg", L"QuorvelMattingBoards\\", L"QuorvelMattingBoards\\01.jpg",
                    L"QuorvelMattingBoards\\17.jpg"});
    wcscpy(gUserSettings->albumsPath, user.c_str());
    wcscpy(gUserSettings->mattingsPath, (user + L"\\").c_str());
    EXPECT_EQ(Cleanup(), kOk);
    EXPECT_EQ(Listing(user), (Names{L"Quorvel.ini", L"QuorvelAlbums", L"QuorvelHelp.bat", L"QuorvelMattingBoards"}));
    EXPECT_EQ(Listing(user + L"\\QuorvelAlbums"), Names{});
    EXPECT_EQ(Listing(user + L"\\QuorvelMattingBoards"), (Names{L"01.jpg"}));
}

// Default folders that are not there hold nothing that could fail to go.
TEST(CleanupRepair, MissingDefaultFoldersAreNoFailures) {
    ProcessRecords records;
    MakeTree(records.root.Path(), {L"Quorvel.ini", L"stray.txt"});
    EXPECT_EQ(CleanupNoticeFromAbout(), L"");
    EXPECT_FALSE(PathExists((records.root / L"stray.txt").c_str()));
}

TEST(CleanupRepair, ATempFolderThatStaysIsToldFromAbout) {
    ProcessRecords records;
    const std::wstring user = records.root.Path(), temp = records.root / L"TempExe";
    MakeTree(user, {L"stray.txt", L"TempExe\\", L"TempExe\\locked.txt"});
    wcscpy(gAppState->tempFolder, temp.c_str());
    EXPECT_EQ(CleanupNoticeFromAbout(), L"Quorvel: nothing was cleaned up, because the temporary folder " + temp +
                                            L" could not be deleted. Please close every other Quorvel and try again.");
    EXPECT_TRUE(PathExists((user + L"\\stray.txt").c_str()));
}

TEST(CleanupRepair, ATempFolderThatStaysEndsTheCleanupSilently) {
    ProcessRecords records;
    gMode.role = Role::kCleanup;
    const std::wstring user = records.root.Path();
    MakeTree(user, {L"stray.txt", L"TempExe\\", L"TempExe\\FenwoldLok.bat", L"TempExe\\locked.txt"});
    wcscpy(gAppState->tempFolder, (user + L"\\TempExe").c_str());
    EXPECT_EQ(Cleanup(), kOk);
    EXPECT_TRUE(PathExists((user + L"\\stray.txt").c_str()));
    EXPECT_FALSE(PathExists((user + L"\\TempExe\\FenwoldLok.bat").c_str()));
    EXPECT_FALSE(PathExists((user + L"\\Quorvel.ini").c_str()));
}

TEST(CleanupRepair, TheTempFolderGoesFirst) {
    ProcessRecords records;
    gMode.role = Role::kCleanup;
    const std::wstring user = records.root.Path();
    MakeTree(user, {L"TempSaver\\", L"TempSaver\\GetPowPl.bat", L"TempSaver\\SetActPlan.bat"});
    wcscpy(gAppState->tempFolder, (user + L"\\TempSaver").c_str());
    EXPECT_EQ(Cleanup(), kOk);
    EXPECT_FALSE(PathExists((user + L"\\TempSaver").c_str()));
    EXPECT_EQ(Setting(IDS_KEY_FONT_NAME, 0), L"Arial");
}

// A running program shows the albums from the caches and boards a cleanup
// deletes: the settings screen's cleanup leaves everything alone beside it,
// the program's own About cleans (a running saver is proved end to end).
TEST(CleanupRepair, ARunningProgramMakesItRefuseButNotItsOwnAbout) {
    const std::wstring busy =
        L"Quorvel: nothing was cleaned up, because Quorvel is running. Please close every other Quorvel and try "
        L"again.";
    ProcessRecords records;
    const std::wstring stray = records.root / L"stray.txt";
    MakeTree(records.root.Path(), {L"stray.txt"});

    // The settings screen, which holds no mutex, beside a running program.
    HANDLE program = CreateMutexW(nullptr, TRUE, kProgramMutex);
    EXPECT_EQ(CleanupNoticeFromAbout(), busy);
    EXPECT_TRUE(PathExists(stray.c_str()));

    // The program's own About: its own mutex is no other run.
    gMode.role = Role::kProgram;
    gMode.instanceMutex = program;
    EXPECT_EQ(CleanupNoticeFromAbout(), L"");
    gMode.instanceMutex = nullptr;
    CloseHandle(program);
    EXPECT_FALSE(PathExists(stray.c_str()));
}
