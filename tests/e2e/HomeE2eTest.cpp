// The Home dialog as the screen saver's configuration screen, and the About
// dialog opened from it: what a user sees and what the commands leave behind.
#include <gtest/gtest.h>

#include <string>

#include "res/resource.h"
#include "tests/e2e/Driver.h"

using namespace quorvel::e2e;

namespace {

const wchar_t kHome[] = L"Home - Quorvel";
const wchar_t kAbout[] = L"About - Quorvel";
const wchar_t kCaption[] = L"Quorvel from Fenwold";

std::wstring UserFolder() { return JoinPath(RoamingAppData(), L"Fenwold Quorvel"); }

// A batch file in the per-user folder that appends one line to `record`
// each time it runs.
void WriteRecordingBatch(const std::wstring& name, const std::wstring& record) {
    const std::string line = "echo run>>\"" + std::string(record.begin(), record.end()) + "\"\r\n";
    ASSERT_TRUE(WriteFileBytes(JoinPath(UserFolder(), name), std::vector<std::uint8_t>(line.begin(), line.end())));
}

int Runs(const std::wstring& record) {
    const auto text = ReadTextFile(record);
    if (!text) return 0;
    int n = 0;
    for (std::size_t at = text->find(L"run"); at != std::wstring::npos; at = text->find(L"run", at + 1)) ++n;
    return n;
}

// The next message box of the process: a dialog with the message text
// control, which the Home and About dialogs do not have.
std::optional<MessageBoxInfo> NextBox(DWORD pid, DWORD timeoutMs = kDefaultTimeoutMs) {
    HWND box = WaitForWindow(
        pid, [](HWND w) { return ClassName(w) == L"#32770" && FindControl(w, 0xFFFF) != nullptr; }, timeoutMs);
    if (box == nullptr) return std::nullopt;
    return ReadMessageBox(box);
}

bool Type(HWND window, const std::wstring& text);

// Starts the configuration screen and waits for the Home dialog.
class HomeScreen : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(p.Start(InstalledProgram(L"Quorvel.scr")));
        home = WaitForWindow(p.Pid(), kHome);
        ASSERT_NE(home, nullptr) << "no Home dialog";
    }
    HWND Control(int id) { return FindControl(home, id); }
    HWND OpenAbout() {
        PostMessageW(home, WM_SYSCOMMAND, IDM_PANEL_ABOUT, 0);
        return WaitForWindow(p.Pid(), kAbout);
    }
    Process p;
    HWND home = nullptr;
};

TEST_F(HomeScreen, ConfigureModeShowsOnlyWhatTheSaverNeeds) {
    for (int id : {IDC_LOCK, IDC_SLEEP, IDC_POWER_PANEL, IDC_ALBUM_GROUP, IDC_ALBUM1_PHRASE, IDC_ALBUM2_PHRASE,
                   IDC_UPDATE_PHRASE, IDC_ALBUM1_LABEL, IDC_ALBUM2_LABEL}) {
        ASSERT_NE(Control(id), nullptr) << id;
        EXPECT_FALSE(IsControlVisible(Control(id))) << id;
    }
    for (int id : {IDC_IMPORT_ALBUM, IDC_PHOTOS_PANEL, IDC_MATTINGS_PANEL, IDC_PHRASES_PANEL, IDC_MONITORS_PANEL,
                   IDC_SAVER_GROUP, IDC_SAVER_PHRASE, IDC_UPDATE_SAVER_PHRASE, IDC_HOME_HEADER}) {
        ASSERT_NE(Control(id), nullptr) << id;
        EXPECT_TRUE(IsControlVisible(Control(id))) << id;
    }
    EXPECT_EQ(ControlText(Control(IDC_UPDATE_SAVER_PHRASE)), L"Update saver phrase");
    EXPECT_EQ(ControlText(Control(IDC_SAVER_PHRASE)), L"OUT TO LUNCH UNTIL 2:00");
    // The picture buttons take their bitmap's size.
    const RECT r = Rect(Control(IDC_UPDATE_SAVER_PHRASE));
    EXPECT_EQ(r.right - r.left, 200);
    EXPECT_EQ(r.bottom - r.top, 56);
}

TEST_F(HomeScreen, ClosingHomeEndsTheProgram) {
    PostMessageW(home, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(p.WaitExit(), 0u);
}

TEST_F(HomeScreen, AnUnchangedSaverPhraseIsOnlyNoticed) {
    const std::wstring ini = JoinPath(UserFolder(), L"Quorvel.ini");
    const auto before = ReadFileBytes(ini);
    ASSERT_TRUE(ClickButton(Control(IDC_UPDATE_SAVER_PHRASE)));
    auto box = NextBox(p.Pid());
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, kCaption);
    EXPECT_EQ(box->text, L"Screen saver phrase has not changed");
    ASSERT_TRUE(Answer(*box, L"OK"));
    // Letter case alone is no change either.
    SendMessageW(Control(IDC_SAVER_PHRASE), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"out to lunch until 2:00"));
    ASSERT_TRUE(ClickButton(Control(IDC_UPDATE_SAVER_PHRASE)));
    box = NextBox(p.Pid());
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, L"Screen saver phrase has not changed");
    ASSERT_TRUE(Answer(*box, L"OK"));
    EXPECT_EQ(ReadFileBytes(ini), before);
}

TEST_F(HomeScreen, AChangedSaverPhraseReachesTheSettingsFile) {
    SendMessageW(Control(IDC_SAVER_PHRASE), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Gone fishing \u00e0 la mer"));
    ASSERT_TRUE(ClickButton(Control(IDC_UPDATE_SAVER_PHRASE)));
    const std::wstring ini = JoinPath(UserFolder(), L"Quorvel.ini");
    ASSERT_TRUE(WaitUntil([&] {
        const auto text = ReadTextFile(ini);
        return text && text->find(L"ScreenSaverSaying=Gone fishing \u00e0 la mer") != std::wstring::npos;
    })) << ReadTextFile(ini).value_or(L"(no file)");
    EXPECT_FALSE(NextBox(p.Pid(), 500));
}

TEST_F(HomeScreen, TheSaverPhraseTakesAtMost199Characters) {
    HWND edit = Control(IDC_SAVER_PHRASE);
    EXPECT_EQ(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), 199);
    // Typing stops at the limit. The edit has the focus: the album edits
    // before it are hidden.
    ASSERT_TRUE(Type(home, std::wstring(230, L'q')));
    ASSERT_TRUE(WaitUntil([&] { return ControlText(edit).size() >= 199; })) << ControlText(edit);
    Sleep(300);
    EXPECT_EQ(ControlText(edit).size(), 199u);
}

TEST_F(HomeScreen, HomeHelpTwiceAsksWhetherItWasClosed) {
    const std::wstring record = JoinPath(UserFolder(), L"help-runs.txt");
    WriteRecordingBatch(L"QuorvelHelp.bat", record);
    PostMessageW(home, WM_SYSCOMMAND, IDM_PANEL_HELP, 0);
    ASSERT_TRUE(WaitUntil([&] { return Runs(record) == 1; }));
    PostMessageW(home, WM_SYSCOMMAND, IDM_PANEL_HELP, 0);
    const auto box = NextBox(p.Pid());
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, L"You have previously opened this help screen.\nAre you sure you closed it?");
    EXPECT_EQ(box->buttons, (std::vector<std::wstring>{L"Yes", L"No"}));
    ASSERT_TRUE(Answer(*box, L"No"));
    Sleep(1000);
    EXPECT_EQ(Runs(record), 1);
    EXPECT_TRUE(IsWindow(home));
}

// Which template is showing: the gap between two button columns against the
// saver group's width is 98/364 in the large template and 88/280 in the
// small one, whatever the font.
bool ShowsLargeTemplate(HWND dialog) {
    const RECT import = Rect(FindControl(dialog, IDC_IMPORT_ALBUM));
    const RECT photos = Rect(FindControl(dialog, IDC_PHOTOS_PANEL));
    const RECT group = Rect(FindControl(dialog, IDC_SAVER_GROUP));
    const double ratio = double(photos.left - import.left) / double(group.right - group.left);
    return ratio < 0.29;
}

TEST_F(HomeScreen, ADpiChangeReopensHome) {
    EXPECT_TRUE(ShowsLargeTemplate(home));
    // The DPI the dialog already has changes nothing.
    PostMessageW(home, WM_DPICHANGED, MAKEWPARAM(96, 96), 0);
    Sleep(1000);
    EXPECT_TRUE(IsWindow(home));
    PostMessageW(home, WM_DPICHANGED, MAKEWPARAM(144, 144), 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(home); }));
    HWND again = WaitForWindow(p.Pid(), kHome);
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again, home);
    // The primary monitor is measured again: still 96 DPI here.
    EXPECT_TRUE(ShowsLargeTemplate(again));
    EXPECT_TRUE(p.IsRunning());
}

TEST(HomeDpi, AScaledDisplayGetsTheSmallTemplate) {
    ASSERT_TRUE(RegWriteDword(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", 144));
    Process p;
    ASSERT_TRUE(p.Start(InstalledProgram(L"Quorvel.scr")));
    HWND home = WaitForWindow(p.Pid(), kHome);
    ASSERT_NE(home, nullptr);
    EXPECT_FALSE(ShowsLargeTemplate(home));
}

TEST_F(HomeScreen, AboutSaysWhenQuorvelIsNotTheScreenSaver) {
    HWND about = OpenAbout();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(ControlText(FindControl(about, IDC_SAVER_STATUS)), L"Quorvel is not your default screen saver");
    // The picture buttons fill the place laid out for them, in their
    // picture's 160 x 50 shape.
    for (int id : {IDC_COPY_LOG, IDC_SHOW_TERMS, IDC_CLEANUP, IDC_REPAIR}) {
        const RECT r = Rect(FindControl(about, id));
        EXPECT_GE(r.right - r.left, 160) << id;
        EXPECT_NEAR((r.right - r.left) * 50.0 / 160.0, r.bottom - r.top, 1.0) << id;
    }
    PostMessageW(about, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
    EXPECT_TRUE(IsWindow(home));
}

// Windows may hold the saver's path in any case, or fully short with its
// folders too.
TEST(AboutSaver, AboutSaysWhenQuorvelIsTheScreenSaver) {
    wchar_t shortPath[MAX_PATH] = L"";
    ASSERT_NE(GetShortPathNameW(InstalledProgram(L"Quorvel.scr").c_str(), shortPath, MAX_PATH), 0u);
    ASSERT_EQ(std::wstring(shortPath).find(L"Program Files"), std::wstring::npos) << shortPath;
    Process p;
    ASSERT_TRUE(p.Start(InstalledProgram(L"Quorvel.scr")));
    HWND home = WaitForWindow(p.Pid(), kHome);
    ASSERT_NE(home, nullptr);
    for (const std::wstring& saver : {InstalledProgram(L"QUORVEL.SCR"), std::wstring(shortPath)}) {
        ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"SCRNSAVE.EXE", saver));
        PostMessageW(home, WM_SYSCOMMAND, IDM_PANEL_ABOUT, 0);
        HWND about = WaitForWindow(p.Pid(), kAbout);
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(ControlText(FindControl(about, IDC_SAVER_STATUS)), L"Quorvel is your Windows screen saver") << saver;
        PostMessageW(about, WM_COMMAND, IDCANCEL, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
    }
}

// Types text as keyboard input into the focused control of `window`.
bool Type(HWND window, const std::wstring& text) {
    if (!BringToFront(window)) return false;
    std::vector<INPUT> keys;
    for (wchar_t c : text)
        for (DWORD up : {0ul, static_cast<DWORD>(KEYEVENTF_KEYUP)}) {
            INPUT key = {};
            key.type = INPUT_KEYBOARD;
            key.ki.wScan = static_cast<WORD>(c);
            key.ki.dwFlags = KEYEVENTF_UNICODE | up;
            keys.push_back(key);
        }
    return SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT)) == keys.size();
}

const wchar_t kCopySource[] = L"Select source folder and file to copy:";
const wchar_t kCopyTarget[] = L"Select destination folder for copied file:";

TEST_F(HomeScreen, AboutCopiesALogFileThroughTwoFileDialogs) {
    const std::wstring log = JoinPath(UserFolder(), L"Quorvel_ErrorsLog.csv");
    const std::vector<std::uint8_t> content{'a', ',', 'b', '\r', '\n'};
    ASSERT_TRUE(WriteFileBytes(log, content));
    const std::wstring copy = JoinPath(InstalledDataFolder(), L"copied-log.csv");
    HWND about = OpenAbout();
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(ClickButton(FindControl(about, IDC_COPY_LOG)));
    ASSERT_TRUE(ChooseInFileDialog(p.Pid(), kCopySource, log));
    ASSERT_TRUE(ChooseInFileDialog(p.Pid(), kCopyTarget, copy));
    const auto box = NextBox(p.Pid());
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, kCaption);
    EXPECT_EQ(box->text, L"Copied successfully " + log + L" to " + copy);
    EXPECT_EQ(ReadFileBytes(copy), content);
    Answer(*box, L"OK");
}

TEST_F(HomeScreen, CancellingEitherFileDialogCopiesNothing) {
    const std::wstring log = JoinPath(UserFolder(), L"Quorvel_ErrorsLog.csv");
    ASSERT_TRUE(WriteFileBytes(log, {'x'}));
    const std::wstring copy = JoinPath(InstalledDataFolder(), L"never.csv");
    HWND about = OpenAbout();
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(ClickButton(FindControl(about, IDC_COPY_LOG)));
    HWND open = WaitForWindow(p.Pid(), kCopySource);
    ASSERT_NE(open, nullptr);
    ASSERT_TRUE(ClickButton(FindControl(open, IDCANCEL)));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(open); }));
    EXPECT_FALSE(NextBox(p.Pid(), 800));

    ASSERT_TRUE(ClickButton(FindControl(about, IDC_COPY_LOG)));
    ASSERT_TRUE(ChooseInFileDialog(p.Pid(), kCopySource, log));
    HWND save = WaitForWindow(p.Pid(), kCopyTarget);
    ASSERT_NE(save, nullptr);
    ASSERT_TRUE(ClickButton(FindControl(save, IDCANCEL)));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(save); }));
    EXPECT_FALSE(NextBox(p.Pid(), 800));
    EXPECT_FALSE(FileExists(copy));
    EXPECT_TRUE(IsWindow(about));
}

TEST_F(HomeScreen, ShowTermsRunsTheTermsOnlyOnce) {
    const std::wstring record = JoinPath(UserFolder(), L"terms-runs.txt");
    WriteRecordingBatch(L"QuorvelTerms.bat", record);
    HWND about = OpenAbout();
    ASSERT_NE(about, nullptr);
    for (int press = 1; press <= 2; ++press) {
        ASSERT_TRUE(ClickButton(FindControl(about, IDC_SHOW_TERMS)));
        const auto box = NextBox(p.Pid());
        ASSERT_TRUE(box) << press;
        EXPECT_EQ(box->caption, L"Quorvel");
        ASSERT_TRUE(Answer(*box, L"OK"));
        Sleep(1500);
        EXPECT_EQ(Runs(record), 1) << press;
    }
}

TEST_F(HomeScreen, CleanupAsksThenResetsAndEndsTheProgram) {
    const std::wstring stray = JoinPath(UserFolder(), L"stray-notes.txt");
    ASSERT_TRUE(WriteFileBytes(stray, {'n'}));
    HWND about = OpenAbout();
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(ClickButton(FindControl(about, IDC_CLEANUP)));
    const auto box = NextBox(p.Pid());
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text,
              L"Files or folders imported or changed after installation of Quorvel are about to be either deleted or "
              L"reset to installed state.\nWould like you like to proceed?");
    ASSERT_TRUE(Answer(*box, L"Yes"));
    EXPECT_EQ(p.WaitExit(), 0u);
    EXPECT_FALSE(FileExists(stray));
    EXPECT_TRUE(FileExists(JoinPath(UserFolder(), L"Quorvel.ini")));
}

}  // namespace

namespace {

// Enter in the saver phrase's edit updates the saver phrase, the only one
// the configuration screen shows.
TEST_F(HomeScreen, EnterUpdatesTheSaverPhrase) {
    SendMessageW(Control(1191), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Back at three"));
    ASSERT_TRUE(PressKey(Control(1191), VK_RETURN));
    const std::wstring ini = JoinPath(UserFolder(), L"Quorvel.ini");
    ASSERT_TRUE(WaitUntil([&] {
        const auto text = ReadTextFile(ini);
        return text && text->find(L"ScreenSaverSaying=Back at three") != std::wstring::npos;
    })) << ReadTextFile(ini).value_or(L"(no file)");
    EXPECT_FALSE(NextBox(p.Pid(), 500)) << "no \"Phrases have not changed\" notice";
}

// Repair is used when something is broken: a photo that cannot be decoded
// is reported in a box, and the program then ends as after any repair.
TEST_F(HomeScreen, ARepairThatFailsIsReportedAndEndsTheProgramNormally) {
    const std::string text = "not a picture";
    ASSERT_TRUE(WriteFileBytes(JoinPath(UserFolder(), L"QuorvelAlbums\\DefaultAlbum1\\broken.png"),
                               std::vector<std::uint8_t>(text.begin(), text.end())));
    HWND about = OpenAbout();
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(ClickButton(FindControl(about, 1262)));
    auto box = NextBox(p.Pid());
    ASSERT_TRUE(box);
    ASSERT_TRUE(Answer(*box, L"Yes"));
    const HWND question = box->hwnd;
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(question); }));
    box = NextBox(p.Pid());
    ASSERT_TRUE(box) << "the failure is shown";
    EXPECT_EQ(box->caption, kCaption);
    ASSERT_TRUE(Answer(*box, L"OK"));
    EXPECT_EQ(p.WaitExit(), 0u);
}

}  // namespace
