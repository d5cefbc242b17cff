// Where Quorvel keeps the user's data, seen from outside: the first-time
// copy of the shared data, the registry record, the albums root and the
// album folders, the matting boards and the temporary folders.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/e2e/Driver.h"
#include "tests/e2e/Scenario.h"

using namespace quorvel::e2e;

namespace {

const wchar_t kCaption[] = L"Quorvel from Fenwold";
const wchar_t kRecordKey[] = L"Software\\Fenwold\\Quorvel";
const wchar_t kAlbum1Picture[] = L"0V_0H_ZoomIn_2_256.png";
const wchar_t kAlbum2Picture[] = L"0V_0H_ZoomOut_2_256.png";

std::wstring UserFolder() { return JoinPath(RoamingAppData(), L"Fenwold Quorvel"); }
std::wstring UserPath(const std::wstring& relative) { return JoinPath(UserFolder(), relative); }
std::wstring Albums() { return UserPath(L"QuorvelAlbums"); }
std::wstring Boards() { return UserPath(L"QuorvelMattingBoards"); }
std::wstring UserIni() { return UserPath(L"Quorvel.ini"); }
std::wstring ErrorLog() { return UserPath(L"Quorvel_ErrorsLog.csv"); }
std::wstring ProgramBoards() { return InstalledProgram(L"QuorvelMattingBoards"); }
std::wstring ProgramPicture(const std::wstring& name) { return InstalledProgram(L"res\\" + name); }

const std::vector<std::wstring>& DefaultBoardNames() {
    static const std::vector<std::wstring> names = {L"01.jpg", L"02.jpg",     L"03.jpg",      L"04.jpg", L"05.jpg",
                                                    L"06.jpg", L"07.jpg",     L"08.jpg",      L"09.jpg", L"10.jpg",
                                                    L"11.jpg", L"12.jpg",     L"13.jpg",      L"14.jpg", L"15.jpg",
                                                    L"16.jpg", L"smiley.jpg", L"smilies.jpg", L"sox.jpg"};
    return names;
}

bool MakeFolder(const std::wstring& path) { return CreateDirectoryW(path.c_str(), nullptr) || FolderExists(path); }

bool WriteText(const std::wstring& path, const std::string& text) {
    return WriteFileBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

// Both files exist and hold the same bytes.
bool SameFile(const std::wstring& a, const std::wstring& b) {
    const auto x = ReadFileBytes(a), y = ReadFileBytes(b);
    return x && y && *x == *y;
}

bool SetUserSetting(const wchar_t* key, const std::wstring& value) {
    return WritePrivateProfileStringW(L"Header", key, value.c_str(), UserIni().c_str()) != FALSE;
}

bool SetInstalledSetting(const wchar_t* key, const std::wstring& value) {
    return WritePrivateProfileStringW(L"Header", key, value.c_str(),
                                      JoinPath(InstalledDataFolder(), L"Quorvel.ini").c_str()) != FALSE;
}

std::wstring UserSetting(const wchar_t* key) {
    wchar_t value[512] = L"";
    GetPrivateProfileStringW(L"Header", key, L"<missing>", value, 512, UserIni().c_str());
    return value;
}

std::optional<DWORD> RunProgram() { return RunToEnd(InstalledProgram(L"Quorvel.exe")); }

// Expects exactly one OK box with this caption and text, answers it and
// waits for the end of the run.
void ExpectBox(const std::wstring& program, const std::wstring& args, const std::wstring& caption,
               const std::wstring& text) {
    Process p;
    ASSERT_TRUE(p.Start(program, args)) << p.StartError();
    const auto box = WaitForMessageBox(p.Pid());
    ASSERT_TRUE(box.has_value()) << "no message box";
    EXPECT_EQ(Narrow(box->caption), Narrow(caption));
    EXPECT_EQ(Narrow(box->text), Narrow(text));
    EXPECT_EQ(box->buttons, std::vector<std::wstring>{L"OK"});
    EXPECT_TRUE(Answer(*box, IDOK));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box->hwnd) || !p.IsRunning(); }));
    EXPECT_TRUE(Finish(p).has_value());
}

void ExpectDefaultAlbumsInstalled(const std::wstring& root) {
    EXPECT_TRUE(
        SameFile(JoinPath(root, std::wstring(L"DefaultAlbum1\\") + kAlbum1Picture), ProgramPicture(kAlbum1Picture)));
    EXPECT_TRUE(
        SameFile(JoinPath(root, std::wstring(L"DefaultAlbum2\\") + kAlbum2Picture), ProgramPicture(kAlbum2Picture)));
}

int CountImages(const std::wstring& folder) {
    int n = 0;
    for (const auto& name : ListFolder(folder))
        if (FileExists(JoinPath(folder, name))) ++n;
    return n;
}

}  // namespace

// ---- first run -------------------------------------------------------------

// A new user gets the files the package put into the machine-wide folder
// for each user; the theme package is used where it was installed.
TEST(StorageFirstRun, CopiesThePackagesFilesForEachUser) {
    const std::wstring data = InstalledDataFolder();
    ASSERT_FALSE(FolderExists(UserFolder()));

    EXPECT_EQ(RunProgram(), 0u);

    int files = 0;
    for (const std::wstring& name : ListFolder(data)) {
        if (name == L"QuorvelW7.themepack") continue;
        ++files;
        EXPECT_TRUE(SameFile(JoinPath(data, name), UserPath(name))) << Narrow(name);
    }
    EXPECT_EQ(files, 10) << "Quorvel.ini and the nine batch files";
    EXPECT_FALSE(FileExists(UserPath(L"QuorvelW7.themepack")));
    EXPECT_FALSE(FileExists(ErrorLog()));
}

// ---- registry record -----------------------------------------------------------

TEST(StorageRegistry, RecordIsWrittenAgainAtEveryStart) {
    const std::wstring themes = JoinPath(LocalAppData(), L"Microsoft\\Windows\\Themes\\Quorvel");
    auto expectRecord = [&] {
        EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kRecordKey, L"Path"), UserFolder());
        EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kRecordKey, L"ThemePath"), themes);
        EXPECT_EQ(RegReadDword(HKEY_CURRENT_USER, kRecordKey, L"installed"), 1u);
    };
    EXPECT_EQ(RunProgram(), 0u);
    expectRecord();

    // A stale value is overwritten: the program never trusts what it finds.
    ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, kRecordKey, L"Path", L"C:\\Somewhere\\Else"));
    ASSERT_TRUE(RegWriteDword(HKEY_CURRENT_USER, kRecordKey, L"installed", 0));
    EXPECT_EQ(RunToEnd(InstalledProgram(L"Quorvel.scr"), L"/s"), 0u);
    expectRecord();

    // Someone removed the whole company key; the next start builds it again.
    ASSERT_TRUE(RegDeleteKeyTree(HKEY_CURRENT_USER, L"Software\\Fenwold"));
    ASSERT_FALSE(RegReadString(HKEY_CURRENT_USER, kRecordKey, L"Path").has_value());
    Process p;
    StartOptions options;
    options.captureDebugOutput = true;
    ASSERT_TRUE(p.Start(InstalledProgram(L"Quorvel.exe"), L"", options));
    EXPECT_EQ(Finish(p), 0u);
    const auto lines = p.DebugLines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                            [](const std::wstring& l) { return l == L"[Quorvel] CurrentUser... does not exist"; }));
    expectRecord();
}

// ---- albums ------------------------------------------------------------------

TEST(StorageAlbums, MissingAlbumsRootFallsBackSilentlyAndGetsBothDefaultAlbums) {
    ASSERT_TRUE(SetInstalledSetting(L"AlbumsPath", L"C:\\Gone\\Albums"));
    EXPECT_EQ(RunProgram(), 0u);
    ExpectDefaultAlbumsInstalled(Albums());
    EXPECT_FALSE(FolderExists(L"C:\\Gone"));
    EXPECT_FALSE(FileExists(ErrorLog()));
}

TEST(StorageAlbums, AlbumWithoutPhotosIsReplacedByTheDefaultAlbum) {
    ASSERT_EQ(RunProgram(), 0u);
    const std::wstring notes = JoinPath(Albums(), L"Notes");
    ASSERT_TRUE(MakeFolder(notes));
    ASSERT_TRUE(WriteText(JoinPath(notes, L"a.txt"), "not a photo"));
    ASSERT_TRUE(WriteText(JoinPath(notes, L"b.txt"), "nor this"));
    ASSERT_TRUE(SetUserSetting(L"CurrentAlbumFolderName1", L"Notes"));
    // The default album has gone too, so it has to be made again.
    const std::wstring default1 = JoinPath(Albums(), L"DefaultAlbum1");
    ASSERT_TRUE(DeleteTree(default1));

    EXPECT_EQ(RunProgram(), 0u);
    EXPECT_TRUE(SameFile(JoinPath(default1, kAlbum1Picture), ProgramPicture(kAlbum1Picture)));
    // The user's folder is left as it was: nothing copied in, nothing deleted.
    EXPECT_EQ(ListFolder(notes), (std::vector<std::wstring>{L"a.txt", L"b.txt"}));
    // Start-up only reads the settings file; the choice is replaced in
    // memory for this run.
    EXPECT_EQ(UserSetting(L"CurrentAlbumFolderName1"), L"Notes");
}

TEST(StorageAlbums, MoreThanSeventyPhotosAreWarnedAboutAndKept) {
    ASSERT_EQ(RunProgram(), 0u);
    // Small photos keep the album quick to decode; the count is what matters.
    const std::wstring big = JoinPath(Albums(), L"Big");
    ASSERT_TRUE(MakeFolder(big));
    const std::wstring photo = JoinPath(ProgramBoards(), L"01.jpg");
    for (int i = 1; i <= 70; ++i)
        ASSERT_TRUE(CopyFileW(photo.c_str(), JoinPath(big, L"p" + std::to_wstring(100 + i) + L".jpg").c_str(), FALSE));
    ASSERT_TRUE(SetUserSetting(L"CurrentAlbumFolderName2", L"Big"));

    // Seventy is the limit itself: no warning.
    EXPECT_EQ(RunProgram(), 0u);

    ASSERT_TRUE(CopyFileW(photo.c_str(), JoinPath(big, L"p171.jpg").c_str(), FALSE));
    ExpectBox(InstalledProgram(L"Quorvel.exe"), L"", kCaption, L"Big contains 71 pictures. Maximum allowed is: 70");
    int photos = 0;
    for (const auto& name : ListFolder(big))
        if (name.size() > 4 && name.substr(name.size() - 4) == L".jpg") ++photos;
    EXPECT_EQ(photos, 71) << "the photo beyond the limit is not shown, but it stays the user's";
}

// ---- matting boards ------------------------------------------------------------

// A chosen board that has gone brings the missing default boards back;
// a file already there, changed by the user or the user's own picture in a
// boards folder they chose, is never replaced.
TEST(StorageBoards, AMissingChosenBoardBringsBackTheMissingDefaultBoardsOnly) {
    ASSERT_EQ(RunProgram(), 0u);
    ASSERT_EQ(UserSetting(L"CurrentMatting1"), L"01.jpg");
    ASSERT_EQ(UserSetting(L"CurrentMatting2"), L"02.jpg");
    // A board the user deleted, one they imported, one changed in place.
    ASSERT_TRUE(DeleteFileW(JoinPath(Boards(), L"10.jpg").c_str()));
    const std::wstring board5 = JoinPath(ProgramBoards(), L"05.jpg");
    ASSERT_TRUE(CopyFileW(board5.c_str(), JoinPath(Boards(), L"mine.jpg").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(board5.c_str(), JoinPath(Boards(), L"03.jpg").c_str(), FALSE));

    // Both chosen boards are there: the folder is left as the user made it.
    EXPECT_EQ(RunProgram(), 0u);
    EXPECT_FALSE(FileExists(JoinPath(Boards(), L"10.jpg")));
    EXPECT_FALSE(SameFile(JoinPath(Boards(), L"03.jpg"), JoinPath(ProgramBoards(), L"03.jpg")));

    // Album 2's board has gone: the default boards missing are copied in
    // again, the one changed in place stays the user's.
    ASSERT_TRUE(SetUserSetting(L"CurrentMatting2", L"sox.jpg"));
    ASSERT_TRUE(DeleteFileW(JoinPath(Boards(), L"sox.jpg").c_str()));
    EXPECT_EQ(RunProgram(), 0u);
    for (const auto& name : DefaultBoardNames())
        if (name != L"03.jpg")
            EXPECT_TRUE(SameFile(JoinPath(Boards(), name), JoinPath(ProgramBoards(), name))) << Narrow(name);
    EXPECT_TRUE(SameFile(JoinPath(Boards(), L"03.jpg"), board5));
    EXPECT_TRUE(FileExists(JoinPath(Boards(), L"mine.jpg")));
    EXPECT_EQ(CountImages(Boards()), 20);

    // A boards folder of the user's own pictures, two of them named as
    // default boards are, and a chosen board gone from it.
    const std::wstring mine = L"C:\\MyPictures";
    ASSERT_TRUE(MakeFolder(mine));
    for (const wchar_t* name : {L"01.jpg", L"07.jpg", L"holiday.jpg"})
        ASSERT_TRUE(CopyFileW(board5.c_str(), JoinPath(mine, name).c_str(), FALSE)) << Narrow(name);
    ASSERT_TRUE(SetUserSetting(L"MattingsPath", mine));
    ASSERT_TRUE(SetUserSetting(L"CurrentMatting1", L"gone.jpg"));
    EXPECT_EQ(RunProgram(), 0u);
    for (const wchar_t* name : {L"01.jpg", L"07.jpg", L"holiday.jpg"})
        EXPECT_TRUE(SameFile(JoinPath(mine, name), board5)) << Narrow(name);
    EXPECT_TRUE(SameFile(JoinPath(mine, L"02.jpg"), JoinPath(ProgramBoards(), L"02.jpg")));
}

TEST(StorageBoards, ThumbnailCacheFilesAreNeverCopied) {
    const std::wstring from = ProgramBoards();
    ASSERT_TRUE(WriteText(JoinPath(from, L"Thumbs.db"), "explorer cache"));
    ASSERT_TRUE(WriteText(JoinPath(from, L"thumbs"), "shortened"));
    ASSERT_TRUE(WriteText(JoinPath(from, L"THUMBS.D"), "shortened, other case"));
    // Only the name's own length is compared: longer names are boards.
    ASSERT_TRUE(CopyFileW(JoinPath(from, L"07.jpg").c_str(), JoinPath(from, L"thumbsup.jpg").c_str(), FALSE));

    EXPECT_EQ(RunProgram(), 0u);
    EXPECT_FALSE(FileExists(JoinPath(Boards(), L"Thumbs.db")));
    EXPECT_FALSE(FileExists(JoinPath(Boards(), L"thumbs")));
    EXPECT_FALSE(FileExists(JoinPath(Boards(), L"THUMBS.D")));
    EXPECT_TRUE(SameFile(JoinPath(Boards(), L"thumbsup.jpg"), JoinPath(from, L"thumbsup.jpg")));
    for (const auto& name : DefaultBoardNames()) EXPECT_TRUE(FileExists(JoinPath(Boards(), name))) << Narrow(name);
}

TEST(StorageBoards, OneDefaultBoardIsNotEnough) {
    const std::wstring from = ProgramBoards();
    for (const auto& name : DefaultBoardNames()) {
        if (name == L"01.jpg") continue;
        ASSERT_TRUE(DeleteFileW(JoinPath(from, name).c_str())) << Narrow(name);
    }
    // Start-up's own catcher shows the failure under the program's name.
    ExpectBox(InstalledProgram(L"Quorvel.exe"), L"", L"Quorvel", L"Missing matting board photo file");
}

// ---- temporary folders -----------------------------------------------------------

TEST(StorageTemp, ProgramAndSaverEachUseTheirOwnFolderAndRemoveIt) {
    ASSERT_EQ(RunProgram(), 0u);
    const std::wstring tempExe = UserPath(L"TempExe"), tempSaver = UserPath(L"TempSaver");
    EXPECT_FALSE(FolderExists(tempExe));
    EXPECT_FALSE(FolderExists(tempSaver));
    // Batch files a run that crashed left behind, one in each folder.
    ASSERT_TRUE(MakeFolder(tempExe));
    ASSERT_TRUE(WriteText(JoinPath(tempExe, L"SetActPlan.bat"), "@echo stale\r\n"));
    ASSERT_TRUE(MakeFolder(tempSaver));
    ASSERT_TRUE(WriteText(JoinPath(tempSaver, L"SetActPlan.bat"), "@echo stale\r\n"));

    EXPECT_EQ(RunProgram(), 0u);
    EXPECT_FALSE(FolderExists(tempExe));
    EXPECT_TRUE(FileExists(JoinPath(tempSaver, L"SetActPlan.bat"))) << "the program touched the saver's folder";

    EXPECT_EQ(RunToEnd(InstalledProgram(L"Quorvel.scr"), L"/s"), 0u);
    EXPECT_FALSE(FolderExists(tempSaver));
    EXPECT_FALSE(FolderExists(tempExe));
}

TEST(StorageTemp, AFileTheProgramDidNotWriteKeepsTheFolder) {
    ASSERT_EQ(RunProgram(), 0u);
    const std::wstring tempSaver = UserPath(L"TempSaver");
    ASSERT_TRUE(MakeFolder(tempSaver));
    ASSERT_TRUE(WriteText(JoinPath(tempSaver, L"notes.txt"), "the user's own"));
    ASSERT_TRUE(WriteText(JoinPath(tempSaver, L"GetPowPl.bat"), "@echo stale\r\n"));

    // Only the program's own files go; the folder stays for the user's file,
    // and the run still ends quietly.
    EXPECT_EQ(RunToEnd(InstalledProgram(L"Quorvel.scr"), L"/s"), 0u);
    EXPECT_EQ(ListFolder(tempSaver), std::vector<std::wstring>{L"notes.txt"});
    EXPECT_EQ(ReadTextFile(JoinPath(tempSaver, L"notes.txt")), L"the user's own");
}
