// The Home dialog as the screen saver's configuration screen, and the About
// dialog opened from it: what a user sees and what the commands leave behind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/e2e/Driver.h"
#include "tests/e2e/Scenario.h"

using namespace quorvel::e2e;

namespace {

const wchar_t kHome[] = L"Home - Quorvel";
const wchar_t kAbout[] = L"About - Quorvel";
const wchar_t kCaption[] = L"Quorvel from Fenwold";
const wchar_t kUnchanged[] = L"Screen saver phrase has not changed";

std::wstring UserFolder() { return JoinPath(RoamingAppData(), L"Fenwold Quorvel"); }
std::wstring Ini() { return JoinPath(UserFolder(), L"Quorvel.ini"); }
bool IniHas(const std::wstring& line) {
    const auto text = ReadTextFile(Ini());
    return text && text->find(line) != std::wstring::npos;
}

// Types text as keyboard input into the focused control of `window`, then
// Shift+Home, which selects back to the start once every character before
// it has been read.
bool TypeThenSelectToStart(HWND window, const std::wstring& text) {
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
    for (const auto& [vk, up] :
         {std::pair<WORD, DWORD>{VK_SHIFT, 0}, {VK_HOME, 0}, {VK_HOME, KEYEVENTF_KEYUP}, {VK_SHIFT, KEYEVENTF_KEYUP}}) {
        INPUT key = {};
        key.type = INPUT_KEYBOARD;
        key.ki.wVk = vk;
        key.ki.dwFlags = up | (vk == VK_HOME ? KEYEVENTF_EXTENDEDKEY : 0);
        keys.push_back(key);
    }
    return SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT)) == keys.size();
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
    // Presses the saver phrase's update button with `text` in the edit.
    void UpdateSaverPhrase(const wchar_t* text) {
        SendMessageW(Control(IDC_SAVER_PHRASE), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
        ASSERT_TRUE(ClickButton(Control(IDC_UPDATE_SAVER_PHRASE)));
    }
    // Expects the one box the process shows to say `text`, and answers OK.
    void ExpectOnlyBox(const std::wstring& text) {
        const auto box = WaitForMessageBox(p.Pid());
        ASSERT_TRUE(box);
        EXPECT_EQ(box->caption, kCaption);
        EXPECT_EQ(box->text, text);
        EXPECT_EQ(OpenMessageBoxes(p.Pid()).size(), 1u) << "another box is open beside it";
        ASSERT_TRUE(Answer(*box, L"OK"));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box->hwnd); }));
    }
    Process p;
    HWND home = nullptr;
};

// The configuration screen shows only the saver phrase, whose update
// writes the settings file when the phrase changed and only says so
// otherwise; Enter updates it too. Home follows a change of the DPI, and
// closing it ends the program.
TEST_F(HomeScreen, EditsTheSaverPhraseFollowsTheDpiAndEndsWhenClosed) {
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

    // Typing stops at 199 characters. The edit has the focus: the album
    // edits before it are hidden.
    HWND edit = Control(IDC_SAVER_PHRASE);
    EXPECT_EQ(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), 199);
    ASSERT_TRUE(TypeThenSelectToStart(home, std::wstring(230, L'q')));
    ASSERT_TRUE(WaitUntil([&] {
        const std::wstring text = ControlText(edit);
        const DWORD selection = static_cast<DWORD>(SendMessageW(edit, EM_GETSEL, 0, 0));
        return !text.empty() && text.find_first_not_of(L'q') == std::wstring::npos && LOWORD(selection) == 0 &&
               HIWORD(selection) == text.size();
    })) << ControlText(edit).size();
    EXPECT_EQ(ControlText(edit).size(), 199u);

    // Enter updates the saver phrase, the only one this screen shows.
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Back at three"));
    ASSERT_TRUE(PressKey(home, VK_RETURN));
    ASSERT_TRUE(WaitUntil([] { return IniHas(L"ScreenSaverSaying=Back at three"); }))
        << Narrow(ReadTextFile(Ini()).value_or(L"(no file)"));
    ASSERT_NO_FATAL_FAILURE(UpdateSaverPhrase(L"Gone fishing \u00e0 la mer"));
    ASSERT_TRUE(WaitUntil([] { return IniHas(L"ScreenSaverSaying=Gone fishing \u00e0 la mer"); }))
        << Narrow(ReadTextFile(Ini()).value_or(L"(no file)"));

    // The same phrase again, in any letter case, is only noticed. Its box is
    // the only one: neither update above left a notice open.
    ASSERT_NO_FATAL_FAILURE(UpdateSaverPhrase(L"Gone fishing \u00e0 la mer"));
    ASSERT_NO_FATAL_FAILURE(ExpectOnlyBox(kUnchanged));
    const auto before = ReadFileBytes(Ini());
    ASSERT_NO_FATAL_FAILURE(UpdateSaverPhrase(L"GONE FISHING \u00e0 LA MER"));
    ASSERT_NO_FATAL_FAILURE(ExpectOnlyBox(kUnchanged));

    // The DPI the dialog already has changes nothing: About, asked for
    // after it, opens over the same Home. Another DPI, as Windows sends when
    // the dialog is dragged onto a monitor of 150 %, reopens Home there with
    // that DPI's template, and the program goes on.
    EXPECT_TRUE(ShowsLargeTemplate(home));
    PostMessageW(home, WM_DPICHANGED, MAKEWPARAM(96, 96), 0);
    HWND about = OpenAbout();
    ASSERT_NE(about, nullptr) << "Home was reopened";
    EXPECT_TRUE(IsWindow(home));
    PostMessageW(about, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
    PostMessageW(home, WM_DPICHANGED, MAKEWPARAM(144, 144), 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(home); }));
    HWND again = WaitForWindow(p.Pid(), kHome);
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again, home);
    EXPECT_FALSE(ShowsLargeTemplate(again));
    EXPECT_TRUE(p.IsRunning());
    // Every update's handler ended long before: the unchanged phrase wrote nothing.
    EXPECT_EQ(ReadFileBytes(Ini()), before);

    PostMessageW(again, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(p.WaitExit(), 0u);
}

const wchar_t kCopySource[] = L"Select source folder and file to copy:";
const wchar_t kCopyTarget[] = L"Select destination folder for copied file:";

// What Home's window menu offers: its help, which asks the second time, and
// About, which tells whether Quorvel is the screen saver, copies the error
// log through two file dialogs and shows the terms once.
TEST_F(HomeScreen, HelpAsksTheSecondTimeAndAboutCopiesTheLogShowsTheTermsOnceAndTellsTheSaver) {
    const std::wstring help = JoinPath(UserFolder(), L"help-runs.txt");
    WriteRecordingBatch(L"QuorvelHelp.bat", help);
    PostMessageW(home, WM_SYSCOMMAND, IDM_PANEL_HELP, 0);
    ASSERT_TRUE(WaitUntil([&] { return Runs(help) == 1; }));
    PostMessageW(home, WM_SYSCOMMAND, IDM_PANEL_HELP, 0);
    const auto question = WaitForMessageBox(p.Pid());
    ASSERT_TRUE(question);
    EXPECT_EQ(question->text, L"You have previously opened this help screen.\nAre you sure you closed it?");
    EXPECT_EQ(question->buttons, (std::vector<std::wstring>{L"Yes", L"No"}));
    ASSERT_TRUE(Answer(*question, L"No"));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(question->hwnd); }));

    // About opens once the help's command is over: No ran nothing.
    HWND about = OpenAbout();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(Runs(help), 1);
    EXPECT_TRUE(IsWindow(home));
    EXPECT_EQ(ControlText(FindControl(about, IDC_SAVER_STATUS)), L"Quorvel is not your default screen saver");
    // The picture buttons fill the place laid out for them, in their
    // picture's 160 x 50 shape.
    for (int id : {IDC_COPY_LOG, IDC_SHOW_TERMS, IDC_CLEANUP, IDC_REPAIR}) {
        const RECT r = Rect(FindControl(about, id));
        EXPECT_GE(r.right - r.left, 160) << id;
        EXPECT_NEAR((r.right - r.left) * 50.0 / 160.0, r.bottom - r.top, 1.0) << id;
    }

    // Cancelling either file dialog copies nothing and says nothing: the
    // next command finds no box and no second dialog open.
    const std::wstring log = JoinPath(UserFolder(), L"Quorvel_ErrorsLog.csv");
    const std::vector<std::uint8_t> content{'a', ',', 'b', '\r', '\n'};
    ASSERT_TRUE(WriteFileBytes(log, content));
    ASSERT_TRUE(ClickButton(FindControl(about, IDC_COPY_LOG)));
    HWND open = WaitForWindow(p.Pid(), kCopySource);
    ASSERT_NE(open, nullptr);
    ASSERT_TRUE(ClickButton(FindControl(open, IDCANCEL)));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(open); }));
    ASSERT_TRUE(ClickButton(FindControl(about, IDC_COPY_LOG)));
    ASSERT_NE(WaitForWindow(p.Pid(), kCopySource), nullptr);
    EXPECT_TRUE(OpenMessageBoxes(p.Pid()).empty()) << "cancelling the first dialog";
    EXPECT_EQ(FindWindowByTitle(p.Pid(), kCopyTarget, true), nullptr) << "cancelling the first dialog";
    ASSERT_TRUE(ChooseInFileDialog(p.Pid(), kCopySource, log));
    HWND save = WaitForWindow(p.Pid(), kCopyTarget);
    ASSERT_NE(save, nullptr);
    ASSERT_TRUE(ClickButton(FindControl(save, IDCANCEL)));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(save); }));
    ASSERT_TRUE(ClickButton(FindControl(about, IDC_COPY_LOG)));
    ASSERT_NE(WaitForWindow(p.Pid(), kCopySource), nullptr);
    EXPECT_TRUE(OpenMessageBoxes(p.Pid()).empty()) << "cancelling the second dialog";

    // Both dialogs answered: the log is copied and the copy named.
    const std::wstring copy = JoinPath(InstalledDataFolder(), L"copied-log.csv");
    ASSERT_TRUE(ChooseInFileDialog(p.Pid(), kCopySource, log));
    ASSERT_TRUE(ChooseInFileDialog(p.Pid(), kCopyTarget, copy));
    ASSERT_NO_FATAL_FAILURE(ExpectOnlyBox(L"Copied successfully " + log + L" to " + copy));
    EXPECT_EQ(ReadFileBytes(copy), content);

    // The terms show a notice each time but run only once.
    const std::wstring terms = JoinPath(UserFolder(), L"terms-runs.txt");
    WriteRecordingBatch(L"QuorvelTerms.bat", terms);
    for (int press = 1; press <= 2; ++press) {
        ASSERT_TRUE(ClickButton(FindControl(about, IDC_SHOW_TERMS)));
        const auto box = WaitForMessageBox(p.Pid());
        ASSERT_TRUE(box) << press;
        EXPECT_EQ(box->caption, L"Quorvel");
        ASSERT_TRUE(Answer(*box, L"OK"));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box->hwnd); }));
        if (press == 1) {
            EXPECT_TRUE(WaitUntil([&] { return Runs(terms) == 1; }));
        }
    }
    // About closes once the second press's command is over.
    PostMessageW(about, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
    EXPECT_EQ(Runs(terms), 1);
    EXPECT_TRUE(IsWindow(home));

    // Windows may hold the saver's path in any case, or fully short with its
    // folders too.
    wchar_t shortPath[MAX_PATH] = L"";
    ASSERT_NE(GetShortPathNameW(InstalledProgram(L"Quorvel.scr").c_str(), shortPath, MAX_PATH), 0u);
    ASSERT_EQ(std::wstring(shortPath).find(L"Program Files"), std::wstring::npos) << Narrow(shortPath);
    for (const std::wstring& saver : {InstalledProgram(L"QUORVEL.SCR"), std::wstring(shortPath)}) {
        ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"SCRNSAVE.EXE", saver));
        about = OpenAbout();
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(ControlText(FindControl(about, IDC_SAVER_STATUS)), L"Quorvel is your Windows screen saver")
            << Narrow(saver);
        PostMessageW(about, WM_COMMAND, IDCANCEL, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
    }
}

TEST_F(HomeScreen, CleanupAsksThenResetsAndEndsTheProgram) {
    const std::wstring stray = JoinPath(UserFolder(), L"stray-notes.txt");
    ASSERT_TRUE(WriteFileBytes(stray, {'n'}));
    HWND about = OpenAbout();
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(ClickButton(FindControl(about, IDC_CLEANUP)));
    const auto box = WaitForMessageBox(p.Pid());
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text,
              L"Files or folders imported or changed after installation of Quorvel are about to be either deleted or "
              L"reset to installed state.\nWould like you like to proceed?");
    ASSERT_TRUE(Answer(*box, L"Yes"));
    EXPECT_EQ(p.WaitExit(), 0u);
    EXPECT_FALSE(FileExists(stray));
    EXPECT_TRUE(FileExists(Ini()));
}

// Repair is used when something is broken: a photo that cannot be decoded
// is reported in a box, and the program then ends as after any repair.
TEST_F(HomeScreen, ARepairThatFailsIsReportedAndEndsTheProgramNormally) {
    const std::string text = "not a picture";
    ASSERT_TRUE(WriteFileBytes(JoinPath(UserFolder(), L"QuorvelAlbums\\DefaultAlbum1\\broken.png"),
                               std::vector<std::uint8_t>(text.begin(), text.end())));
    HWND about = OpenAbout();
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(ClickButton(FindControl(about, IDC_REPAIR)));
    auto box = WaitForMessageBox(p.Pid());
    ASSERT_TRUE(box);
    ASSERT_TRUE(Answer(*box, L"Yes"));
    const HWND question = box->hwnd;
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(question); }));
    box = WaitForMessageBox(p.Pid());
    ASSERT_TRUE(box) << "the failure is shown";
    EXPECT_EQ(box->caption, kCaption);
    ASSERT_TRUE(Answer(*box, L"OK"));
    EXPECT_EQ(p.WaitExit(), 0u);
}

// On a display scaled to 144 DPI the configuration screen takes the small
// template, and the font dialog opens on the phrase's own size, so that OK
// without a change keeps it.
TEST(ScaledDisplay, HomeTakesTheSmallTemplateAndTheFontDialogKeepsThePhraseSize) {
    ASSERT_TRUE(RegWriteDword(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", 144));
    // A face the prefix has, so that the dialog finds the font it is given.
    ASSERT_TRUE(WritePrivateProfileStringW(L"Header", L"FontName", L"Tahoma",
                                           JoinPath(InstalledDataFolder(), L"Quorvel.ini").c_str()));
    Process p;
    ASSERT_TRUE(p.Start(InstalledProgram(L"Quorvel.scr")));
    HWND home = WaitForWindow(p.Pid(), kHome);
    ASSERT_NE(home, nullptr);
    EXPECT_FALSE(ShowsLargeTemplate(home));
    ASSERT_TRUE(ClickButton(FindControl(home, IDC_PHRASES_PANEL)));
    HWND panel = WaitForWindow(p.Pid(), L"Phrases Panel - Quorvel");
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(ClickButton(FindControl(panel, IDC_SELECT_FONT)));
    HWND font = WaitForWindow(p.Pid(), L"Font");
    ASSERT_NE(font, nullptr);
    ASSERT_TRUE(ClickButton(FindControl(font, IDOK)));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(font); }));
    PostMessageW(panel, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(panel); }));
    PostMessageW(home, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_EQ(p.WaitExit(), 0u);
    EXPECT_TRUE(IniHas(L"FontName=Tahoma\r\n")) << Narrow(ReadTextFile(Ini()).value_or(L""));
    EXPECT_TRUE(IniHas(L"FontSize=72\r\n")) << Narrow(ReadTextFile(Ini()).value_or(L""));
}

}  // namespace
