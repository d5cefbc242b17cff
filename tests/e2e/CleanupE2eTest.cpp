// "Quorvel.exe /d": the cleanup run that returns the user's folders and
// settings to what the installation left, and leaves everything else alone.
// What each step deletes, keeps and counts is proved on real folders by the
// Win32 tests (tests/win/CleanupTest.cpp); these are the user's runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "tests/e2e/Driver.h"
#include "tests/e2e/Scenario.h"

using namespace quorvel::e2e;

namespace {

const wchar_t kAlbum1Picture[] = L"0V_0H_ZoomIn_2_256.png";
const wchar_t kAlbum2Picture[] = L"0V_0H_ZoomOut_2_256.png";

std::wstring UserFolder() { return JoinPath(RoamingAppData(), L"Fenwold Quorvel"); }
std::wstring UserPath(const std::wstring& relative) { return JoinPath(UserFolder(), relative); }
std::wstring Albums() { return UserPath(L"QuorvelAlbums"); }
std::wstring Boards() { return UserPath(L"QuorvelMattingBoards"); }
std::wstring UserIni() { return UserPath(L"Quorvel.ini"); }
std::wstring ProgramBoards() { return InstalledProgram(L"QuorvelMattingBoards"); }

bool MakeFolder(const std::wstring& path) { return CreateDirectoryW(path.c_str(), nullptr) || FolderExists(path); }

bool WriteText(const std::wstring& path, const std::string& text) {
    return WriteFileBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

bool CopyBoard(const std::wstring& board, const std::wstring& to) {
    return CopyFileW(JoinPath(ProgramBoards(), board).c_str(), to.c_str(), FALSE) != FALSE;
}

bool SetUserSetting(const std::wstring& key, const std::wstring& value) {
    return WritePrivateProfileStringW(L"Header", key.c_str(), value.c_str(), UserIni().c_str()) != FALSE;
}

std::wstring UserSetting(const std::wstring& key) {
    wchar_t value[512] = L"";
    GetPrivateProfileStringW(L"Header", key.c_str(), L"<missing>", value, 512, UserIni().c_str());
    return value;
}

std::vector<std::wstring> Sorted(std::vector<std::wstring> names) {
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<DWORD> RunProgram() {
    Process p;
    if (!p.Start(InstalledProgram(L"Quorvel.exe"))) {
        ADD_FAILURE() << "could not start the program: " << p.StartError();
        return std::nullopt;
    }
    return Finish(p);
}

// Prepares the per-user folder the way the program's first run does.
void FirstRun() {
    ASSERT_EQ(RunProgram(), 0u) << "the first run did not end cleanly";
    ASSERT_TRUE(FolderExists(JoinPath(Albums(), L"DefaultAlbum1")));
}

// Runs the cleanup mode to its end and returns its debugger output.
std::vector<std::wstring> RunCleanup() {
    Process p;
    StartOptions options;
    options.captureDebugOutput = true;
    EXPECT_TRUE(p.Start(InstalledProgram(L"Quorvel.exe"), L"/d", options)) << p.StartError();
    // The cleanup mode shows nothing; a box would keep it from ending.
    const auto code = p.WaitExit();
    EXPECT_EQ(code, 0u);
    if (!code) {
        if (auto box = WaitForMessageBox(p.Pid(), 0)) ADD_FAILURE() << "message box: " << Narrow(box->text);
    }
    return p.DebugLines();
}

bool HasLineContaining(const std::vector<std::wstring>& lines, const std::wstring& text) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::wstring& l) { return l.find(text) != std::wstring::npos; });
}

bool IsLink(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Makes `link` a link to the folder `target`: Wine shows a Unix symbolic
// link as a link (a reparse point), and its CreateSymbolicLinkW makes
// nothing, so ln makes one between the folders' Unix names. Wine starts a
// Unix program without a process to wait for: the link is there when it
// shows.
bool MakeFolderLink(const std::wstring& link, const std::wstring& target) {
    using UnixName = char*(CDECL*)(const wchar_t*);
    const auto unixName =
        reinterpret_cast<UnixName>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name"));
    if (unixName == nullptr) return false;
    auto unixPath = [&](const std::wstring& path) {
        char* name = unixName(path.c_str());
        const std::wstring wide = name ? std::wstring(name, name + strlen(name)) : L"";
        HeapFree(GetProcessHeap(), 0, name);
        return QuoteArg(wide);
    };
    std::wstring commandLine = L"ln -s " + unixPath(target) + L" " + unixPath(link);
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(L"Z:\\bin\\ln", commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started))
        return false;
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return WaitUntil([&] { return IsLink(link); }, 10000);
}

const std::vector<std::wstring>& KeptUserFiles() {
    static const std::vector<std::wstring> names = {L"Quorvel.ini",
                                                    L"QuorvelHelp.bat",
                                                    L"QuorvelHelpAbout.bat",
                                                    L"QuorvelHelpImportAlbums.bat",
                                                    L"QuorvelHelpMattingBoards.bat",
                                                    L"QuorvelHelpMonitorMapping.bat",
                                                    L"QuorvelHelpOverlayPhrases.bat",
                                                    L"QuorvelHelpPhotoPanel.bat",
                                                    L"QuorvelHelpPowerScreenSaver.bat",
                                                    L"QuorvelTerms.bat"};
    return names;
}

}  // namespace

TEST(CleanupMode, ReturnsFoldersAndSettingsToTheInstalledState) {
    FirstRun();
    if (HasFatalFailure()) return;
    const std::wstring trip = JoinPath(Albums(), L"Trip");
    ASSERT_TRUE(MakeFolder(trip));
    ASSERT_TRUE(CopyBoard(L"05.jpg", JoinPath(trip, L"a.jpg")));
    ASSERT_TRUE(CopyBoard(L"06.jpg", JoinPath(trip, L"b.jpg")));
    ASSERT_TRUE(MakeFolder(JoinPath(trip, L"BMP")));
    ASSERT_TRUE(WriteText(JoinPath(trip, L"BMP\\a.bmp"), "BM cache"));
    const std::wstring default1 = JoinPath(Albums(), L"DefaultAlbum1"), default2 = JoinPath(Albums(), L"DefaultAlbum2");
    ASSERT_TRUE(CopyBoard(L"07.jpg", JoinPath(default1, L"added.jpg")));
    ASSERT_TRUE(MakeFolder(JoinPath(default1, L"BMP")));
    ASSERT_TRUE(WriteText(JoinPath(default1, L"BMP\\0V_0H_ZoomIn_2_256.bmp"), "BM cache"));
    ASSERT_TRUE(MakeFolder(JoinPath(default2, L"Empty")));

    ASSERT_TRUE(CopyBoard(L"08.jpg", JoinPath(Boards(), L"17.jpg")));
    ASSERT_TRUE(CopyBoard(L"09.jpg", JoinPath(Boards(), L"sunset.png")));
    // Spelled in capitals; a rename that changes only the case is not one
    // under Wine, so the board is made again under that name.
    ASSERT_TRUE(DeleteFileW(JoinPath(Boards(), L"smiley.jpg").c_str()));
    ASSERT_TRUE(CopyBoard(L"smiley.jpg", JoinPath(Boards(), L"SMILEY.JPG")));
    ASSERT_TRUE(MakeFolder(JoinPath(Boards(), L"Imported")));
    ASSERT_TRUE(CopyBoard(L"09.jpg", JoinPath(Boards(), L"Imported\\x.jpg")));

    ASSERT_TRUE(WriteText(UserPath(L"notes.txt"), "stray"));
    ASSERT_TRUE(WriteText(UserPath(L"Quorvel_ErrorsLog.csv"), "old log"));
    ASSERT_TRUE(MakeFolder(UserPath(L"Leftovers")));
    ASSERT_TRUE(WriteText(UserPath(L"Leftovers\\old.txt"), "stray"));
    // A temporary folder a crashed run left behind.
    ASSERT_TRUE(MakeFolder(UserPath(L"TempExe")));
    ASSERT_TRUE(WriteText(UserPath(L"TempExe\\GetPowPl.bat"), "@echo stale\r\n"));
    // Beside the program's folder: the user's, not the program's.
    const std::wstring diary = JoinPath(RoamingAppData(), L"Diary.txt");
    ASSERT_TRUE(WriteText(diary, "dear diary"));
    const std::wstring other = JoinPath(RoamingAppData(), L"Fenwold Other\\data.txt");
    ASSERT_TRUE(MakeFolder(JoinPath(RoamingAppData(), L"Fenwold Other")));
    ASSERT_TRUE(WriteText(other, "another program"));

    const std::vector<std::pair<std::wstring, std::wstring>> changed = {{L"CurrentUserSaying1", L"MY OWN WORDS"},
                                                                        {L"CurrentUserSaying2", L"MORE WORDS"},
                                                                        {L"ScreenSaverSaying", L"AWAY"},
                                                                        {L"CurrentAlbumFolderName1", L"Trip"},
                                                                        {L"CurrentAlbumFolderName2", L"Trip"},
                                                                        {L"FontColor1", L"255"},
                                                                        {L"FontColor2", L"255"},
                                                                        {L"FontName", L"Courier New"},
                                                                        {L"FontBold", L"1"},
                                                                        {L"FontItalic", L"1"},
                                                                        {L"FontSize", L"12"},
                                                                        {L"Monitor1", L"2"},
                                                                        {L"Monitor2", L"1"},
                                                                        {L"Monitor3", L"2"},
                                                                        {L"Monitor4", L"1"},
                                                                        {L"Monitor5", L"2"},
                                                                        {L"Monitor6", L"1"},
                                                                        {L"English", L"0"},
                                                                        {L"Spanish", L"1"},
                                                                        {L"CurrentEffects1", L"3"},
                                                                        {L"CurrentEffects2", L"2"},
                                                                        {L"CurrentStitchMode1", L"2"},
                                                                        {L"CurrentStitchMode2", L"3"},
                                                                        {L"AlbumsPath", Albums()},
                                                                        {L"MattingsPath", Boards()},
                                                                        {L"UseDefaultPowerPlan", L"1"},
                                                                        {L"CurrentMatting1", L"17.jpg"},
                                                                        {L"CurrentMatting2", L"sunset.png"}};
    for (const auto& [key, value] : changed) ASSERT_TRUE(SetUserSetting(key, value)) << Narrow(key);

    const auto lines = RunCleanup();

    EXPECT_EQ(ListFolder(Albums()), (std::vector<std::wstring>{L"DefaultAlbum1", L"DefaultAlbum2"}));
    EXPECT_EQ(ListFolder(default1), std::vector<std::wstring>{kAlbum1Picture});
    EXPECT_EQ(ListFolder(default2), std::vector<std::wstring>{kAlbum2Picture})
        << "album 2's installed picture must survive the cleanup";

    std::vector<std::wstring> boards = {L"01.jpg", L"02.jpg",     L"03.jpg",      L"04.jpg", L"05.jpg",
                                        L"06.jpg", L"07.jpg",     L"08.jpg",      L"09.jpg", L"10.jpg",
                                        L"11.jpg", L"12.jpg",     L"13.jpg",      L"14.jpg", L"15.jpg",
                                        L"16.jpg", L"SMILEY.JPG", L"smilies.jpg", L"sox.jpg"};
    EXPECT_EQ(ListFolder(Boards()), Sorted(boards));

    std::vector<std::wstring> user = KeptUserFiles();
    user.push_back(L"QuorvelAlbums");
    user.push_back(L"QuorvelMattingBoards");
    EXPECT_EQ(ListFolder(UserFolder()), Sorted(user));
    EXPECT_EQ(ReadTextFile(diary), L"dear diary");
    EXPECT_EQ(ReadTextFile(other), L"another program");

    const std::vector<std::pair<std::wstring, std::wstring>> defaults = {
        {L"CurrentUserSaying1", L"ALL IS WELL!"},
        {L"CurrentUserSaying2", L"I GOT THIS!"},
        {L"ScreenSaverSaying", L"OUT TO LUNCH UNTIL 2:00"},
        {L"CurrentAlbumFolderName1", L"DefaultAlbum1"},
        {L"CurrentAlbumFolderName2", L"DefaultAlbum2"},
        {L"FontColor1", L"16711680"},
        {L"FontColor2", L"65280"},
        {L"FontName", L"Arial"},
        {L"FontBold", L"0"},
        {L"FontItalic", L"0"},
        {L"FontSize", L"72"},
        {L"Monitor1", L"0"},
        {L"Monitor2", L"0"},
        {L"Monitor3", L"0"},
        {L"Monitor4", L"0"},
        {L"Monitor5", L"0"},
        {L"Monitor6", L"0"},
        {L"English", L"1"},
        {L"Spanish", L"0"},
        {L"CurrentEffects1", L"0"},
        {L"CurrentEffects2", L"0"},
        {L"CurrentStitchMode1", L"1"},
        {L"CurrentStitchMode2", L"1"},
        {L"AlbumsPath", L""},
        {L"MattingsPath", L""},
        {L"UseDefaultPowerPlan", L"0"},
        {L"CurrentMatting1", L"01.jpg"},
        {L"CurrentMatting2", L"02.jpg"}};
    for (const auto& [key, value] : defaults) EXPECT_EQ(UserSetting(key), value) << Narrow(key);

    EXPECT_FALSE(HasLineContaining(lines, L"could not be deleted")) << "everything was deletable";
    // The steps report themselves in their order.
    const std::vector<std::wstring> steps = {L"Quorvel: Deleted temp files",
                                             L"Quorvel: Deleted bmp files",
                                             L"Quorvel: Deleted photo albums",
                                             L"Quorvel: examined default albums",
                                             L"Quorvel: deleted mattings",
                                             L"Quorvel: examined Fenwold folder",
                                             L"Quorvel: reset ini"};
    auto at = lines.begin();
    for (const auto& step : steps) {
        at = std::find(at, lines.end(), step);
        ASSERT_NE(at, lines.end()) << "missing or out of order: " << Narrow(step);
    }
}

// A user who keeps photos elsewhere may link the program's folders to them.
// While the saver shows the albums the cleanup refuses and touches nothing;
// then it leaves a linked default album and a linked cache folder as they
// are, with everything behind them.
TEST(CleanupMode, LeavesARunningSaverAndLinkedFoldersAlone) {
    // The saver's start is the user's first.
    Process saver;
    ASSERT_TRUE(saver.Start(InstalledProgram(L"Quorvel.scr"), L"/s"));
    ASSERT_NE(WaitForAlbumWindow(saver), nullptr);
    ASSERT_TRUE(WriteText(UserPath(L"notes.txt"), "stray"));
    const auto refused = RunCleanup();
    EXPECT_TRUE(HasLineContaining(
        refused, L"Quorvel: nothing was cleaned up, because Quorvel is running. Please close every other Quorvel"));
    EXPECT_TRUE(FileExists(UserPath(L"notes.txt")));
    EXPECT_EQ(Finish(saver), 0u);

    const std::wstring photos = L"C:\\MyPhotos", cache = L"C:\\MyCache";
    ASSERT_TRUE(MakeFolder(photos));
    ASSERT_TRUE(CopyBoard(L"05.jpg", JoinPath(photos, L"beach.jpg")));
    ASSERT_TRUE(MakeFolder(cache));
    ASSERT_TRUE(WriteText(JoinPath(cache, L"beach.BMP"), "BM the user's own"));
    ASSERT_TRUE(WriteText(JoinPath(cache, L"TurnedUpright"), ""));
    const std::wstring default1 = JoinPath(Albums(), L"DefaultAlbum1"), default2 = JoinPath(Albums(), L"DefaultAlbum2");
    ASSERT_TRUE(DeleteTree(default1));
    ASSERT_TRUE(MakeFolderLink(default1, photos));
    ASSERT_TRUE(!FolderExists(JoinPath(default2, L"BMP")) || DeleteTree(JoinPath(default2, L"BMP")));
    ASSERT_TRUE(MakeFolderLink(JoinPath(default2, L"BMP"), cache));

    const auto lines = RunCleanup();

    EXPECT_EQ(ListFolder(photos), std::vector<std::wstring>{L"beach.jpg"});
    EXPECT_EQ(ListFolder(cache), (std::vector<std::wstring>{L"TurnedUpright", L"beach.BMP"}));
    EXPECT_TRUE(IsLink(default1));
    EXPECT_TRUE(IsLink(JoinPath(default2, L"BMP")));
    EXPECT_FALSE(FileExists(UserPath(L"notes.txt"))) << "the cleanup ran";
    EXPECT_FALSE(HasLineContaining(lines, L"could not be deleted")) << "a link left alone is no failure";
}
