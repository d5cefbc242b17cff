// The Power panel of the program: Quorvel as Windows' screen saver and
// theme, the saver's wait and lock, and the power plan while it runs, seen
// in Windows' own settings afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "res/resource.h"
#include "tests/e2e/Driver.h"
#include "tests/e2e/Scenario.h"

using namespace quorvel::e2e;

namespace {

const wchar_t kPower[] = L"Power Panel - Quorvel ";
const wchar_t kDesktop[] = L"Control Panel\\Desktop";
const wchar_t kThemes[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes";
const wchar_t kOtherSaver[] = L"C:\\windows\\system32\\Mystify.scr";
const wchar_t kOtherTheme[] = L"C:\\Windows\\Resources\\Themes\\aero.theme";
const wchar_t kUsersWallpaper[] = L"C:\\users\\Public\\Pictures\\lake.jpg";
const wchar_t kThemeLog[] = L"C:\\theme-double\\log.txt";

std::wstring Desktop(const wchar_t* value) { return RegReadString(HKEY_CURRENT_USER, kDesktop, value).value_or(L""); }
std::wstring UserFolder() { return JoinPath(RoamingAppData(), L"Fenwold Quorvel"); }
std::wstring CurrentTheme() { return RegReadString(HKEY_CURRENT_USER, kThemes, L"CurrentTheme").value_or(L""); }
bool SamePath(const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) == 0; }
std::wstring WindowsThemes() { return JoinPath(LocalAppData(), L"Microsoft\\Windows\\Themes"); }
std::wstring InstalledTheme() { return JoinPath(WindowsThemes(), L"Quorvel\\Quorvel.theme"); }
std::wstring ThemePicture() { return JoinPath(WindowsThemes(), L"Quorvel\\Quorvel.jpg"); }
// A theme the user made, where Windows 10 keeps it.
std::wstring UsersTheme() { return JoinPath(WindowsThemes(), L"Custom.theme"); }

// Ticks or unticks a box as a click would: the state, then the notification.
bool Tick(HWND dialog, int id, bool on) {
    HWND box = FindControl(dialog, id);
    if (box == nullptr) return false;
    // Posted, as the click is: a sent one would be taken while the panel
    // still handles the step before (it broadcasts Windows' setting changes
    // and takes sent messages as it waits), and that step's refresh of the
    // boxes would undo it before the click arrives.
    return PostMessageW(box, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0) && ClickButton(box);
}

// The theme handlers of the prefix, which has none of its own:
// theme_double.exe for both kinds of file.
void RegisterThemeDouble() {
    const std::wstring command = L"\"" + JoinPath(TestProgramFolder(), L"theme_double.exe") + L"\" \"%1\"";
    for (const wchar_t* kind : {L"themepack", L"theme"}) {
        const std::wstring type = std::wstring(L"QuorvelTest.") + kind;
        ASSERT_TRUE(RegWriteString(HKEY_CLASSES_ROOT, std::wstring(L".") + kind, L"", type));
        ASSERT_TRUE(RegWriteString(HKEY_CLASSES_ROOT, type + L"\\shell\\open\\command", L"", command));
    }
}

// The user's own theme, with its picture, is Windows' current one.
void GiveUserATheme() {
    SHCreateDirectoryExW(nullptr, WindowsThemes().c_str(), nullptr);
    const std::string theme =
        "[Theme]\r\nDisplayName=Lake\r\n\r\n[Control Panel\\Desktop]\r\nWallpaper=" + Narrow(kUsersWallpaper) + "\r\n";
    ASSERT_TRUE(WriteFileBytes(UsersTheme(), std::vector<std::uint8_t>(theme.begin(), theme.end())));
    ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, kThemes, L"CurrentTheme", UsersTheme()));
    ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, kDesktop, L"Wallpaper", kUsersWallpaper));
}

// What the theme handler was asked to do, one line each.
std::wstring ThemeLog() {
    std::wstring log = ReadTextFile(kThemeLog).value_or(L"");
    log.erase(std::remove(log.begin(), log.end(), L'\r'), log.end());
    return log;
}

std::wstring ThemeBootSaver() {
    wchar_t value[MAX_PATH] = L"";
    GetPrivateProfileStringW(L"Boot", L"SCRNSAVE.EXE", L"", value, MAX_PATH, InstalledTheme().c_str());
    return value;
}

// Starts the program and opens the Power panel from Home, as a user does.
class PowerPanel : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, kDesktop, L"SCRNSAVE.EXE", kOtherSaver));
        ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, kDesktop, L"ScreenSaveTimeOut", L"600"));
        ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, kDesktop, L"ScreenSaveActive", L"0"));
        ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, kThemes, L"CurrentTheme", kOtherTheme));
    }
    void Open() { Open(p); }
    void Open(Process& run) {
        program = &run;
        ASSERT_TRUE(run.Start(InstalledProgram(L"Quorvel.exe")));
        HWND album = WaitForAlbumWindow(run);
        ASSERT_NE(album, nullptr);
        ASSERT_TRUE(SendKey(album, VK_F2));
        HWND home = WaitForWindow(run.Pid(), L"Home - Quorvel");
        ASSERT_NE(home, nullptr);
        ASSERT_TRUE(ClickButton(FindControl(home, IDC_POWER_PANEL)));
        panel = WaitForWindow(run.Pid(), kPower);
        ASSERT_NE(panel, nullptr);
    }
    HWND Control(int id) { return FindControl(panel, id); }
    // Closing while another saver is Windows' asks first. The question is
    // the only box: none came up before it and stayed.
    void CloseAnyway() {
        PostMessageW(panel, WM_SYSCOMMAND, SC_CLOSE, 0);
        auto box = WaitForMessageBox(program->Pid());
        ASSERT_TRUE(box);
        EXPECT_EQ(box->text, L"Quorvel is not your current screen saver. Would you like to proceed anyway?");
        const auto boxes = TopLevelWindows(program->Pid());
        EXPECT_EQ(std::count_if(boxes.begin(), boxes.end(), IsMessageBox), 1) << "a box came up before";
        ASSERT_TRUE(Answer(*box, L"Yes"));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(panel); }));
    }
    Process p;
    Process* program = nullptr;
    HWND panel = nullptr;
};

}  // namespace

// The saver group as a user goes through it. The saver tick makes Quorvel
// Windows' screen saver, with the wait and the lock chosen here, and the
// untick gives the user's saver back. A theme the shell cannot open is
// reported and changes nothing. The theme tick has Windows apply Quorvel's
// own theme at once, with its picture and the saver, and nothing waits;
// its untick has Windows apply the user's theme again and gives their
// saver back.
TEST_F(PowerPanel, TheSaverAndThemeTicksSetWindowsOwnSettingsAndTheirUntickGivesTheUsersBack) {
    ASSERT_NO_FATAL_FAILURE(GiveUserATheme());
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_FALSE(IsChecked(Control(IDC_SET_SAVER)));
    EXPECT_EQ(ControlText(Control(IDC_WAIT_MINUTES)), L"10");
    EXPECT_FALSE(IsEnabled(Control(IDC_WAIT_SCROLL)));

    ASSERT_TRUE(Tick(panel, IDC_SET_SAVER, true));
    ASSERT_TRUE(WaitUntil([&] { return IsEnabled(Control(IDC_WAIT_SCROLL)); }));
    SendMessageW(panel, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 999 - 7),
                 reinterpret_cast<LPARAM>(Control(IDC_WAIT_SCROLL)));
    ASSERT_TRUE(Tick(panel, IDC_LOCK_ON_RESUME, true));
    ASSERT_TRUE(WaitUntil([&] { return Desktop(L"ScreenSaverIsSecure") == L"1"; }));
    EXPECT_TRUE(SamePath(Desktop(L"SCRNSAVE.EXE"), InstalledProgram(L"Quorvel.scr"))) << Desktop(L"SCRNSAVE.EXE");
    EXPECT_EQ(Desktop(L"ScreenSaveTimeOut"), L"420");
    EXPECT_EQ(ControlText(Control(IDC_WAIT_MINUTES)), L"7");
    ASSERT_TRUE(Tick(panel, IDC_SET_SAVER, false));
    ASSERT_TRUE(WaitUntil([&] { return Desktop(L"SCRNSAVE.EXE") == kOtherSaver; })) << Desktop(L"SCRNSAVE.EXE");

    ASSERT_TRUE(Tick(panel, IDC_SET_THEME, true));
    const auto box = WaitForMessageBox(p.Pid());
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, L"Windows API error");
    ASSERT_TRUE(Answer(*box, L"OK"));
    ASSERT_TRUE(WaitUntil([&] { return !IsChecked(Control(IDC_SET_THEME)); }));
    EXPECT_FALSE(IsChecked(Control(IDC_SET_SAVER)));
    EXPECT_EQ(Desktop(L"SCRNSAVE.EXE"), kOtherSaver);
    EXPECT_EQ(CurrentTheme(), UsersTheme());
    EXPECT_EQ(Desktop(L"Wallpaper"), kUsersWallpaper);

    ASSERT_NO_FATAL_FAILURE(RegisterThemeDouble());
    ASSERT_TRUE(Tick(panel, IDC_SET_THEME, true));
    ASSERT_TRUE(WaitUntil([&] { return SamePath(Desktop(L"Wallpaper"), ThemePicture()); })) << Desktop(L"Wallpaper");
    ASSERT_TRUE(WaitUntil([&] { return IsChecked(Control(IDC_SET_SAVER)); }));
    EXPECT_TRUE(IsChecked(Control(IDC_SET_THEME)));
    EXPECT_TRUE(OpenMessageBoxes(p.Pid()).empty());
    EXPECT_EQ(ThemeLog(), L"applied " + InstalledTheme() + L"\n");
    const auto shipped = ReadFileBytes(JoinPath(InstalledDataFolder(), L"QuorvelTheme.jpg"));
    ASSERT_TRUE(shipped);
    EXPECT_EQ(ReadFileBytes(ThemePicture()), shipped);
    EXPECT_TRUE(SamePath(ThemeBootSaver(), InstalledProgram(L"Quorvel.scr"))) << ThemeBootSaver();
    EXPECT_TRUE(SamePath(CurrentTheme(), InstalledTheme())) << CurrentTheme();
    EXPECT_TRUE(SamePath(Desktop(L"SCRNSAVE.EXE"), InstalledProgram(L"Quorvel.scr")));

    ASSERT_TRUE(Tick(panel, IDC_SET_THEME, false));
    ASSERT_TRUE(WaitUntil([&] { return Desktop(L"Wallpaper") == kUsersWallpaper; })) << Desktop(L"Wallpaper");
    ASSERT_TRUE(WaitUntil([&] { return Desktop(L"SCRNSAVE.EXE") == kOtherSaver; })) << Desktop(L"SCRNSAVE.EXE");
    EXPECT_TRUE(SamePath(CurrentTheme(), UsersTheme())) << CurrentTheme();
    EXPECT_FALSE(IsChecked(Control(IDC_SET_THEME)));
    EXPECT_FALSE(IsChecked(Control(IDC_SET_SAVER)));
    CloseAnyway();
    EXPECT_EQ(ThemeLog(), L"applied " + InstalledTheme() + L"\napplied " + UsersTheme() + L"\n");
}

// The plan group offers the video plan where Windows has it, and the
// choice reaches the settings file. Where Windows lacks it (a laptop whose
// POWERCFG lists only Balanced, and Windows Vista, which has no video plan
// of its own, here in a profile without the themes key) it cannot be
// chosen, and the user's own plan is the one named and checked. Each run is
// a first start.
TEST_F(PowerPanel, ThePlanChoiceReachesTheSettingsFileAndAVideoPlanWindowsLacksCannotBeChosen) {
    const std::wstring balanced = std::wstring(kBalancedPlan) + L" (Balanced)";
    const std::wstring ini = JoinPath(UserFolder(), L"Quorvel.ini");
    {
        SCOPED_TRACE("a desktop with the stock plans");
        InstallPowercfgDouble(balanced);
        Process desktop;
        ASSERT_NO_FATAL_FAILURE(Open(desktop));
        EXPECT_EQ(ControlText(Control(IDC_VIDEO_PLAN)), L"(High performance)");
        EXPECT_EQ(ControlText(Control(IDC_DEFAULT_PLAN)), L"Default plan (Balanced) ");
        EXPECT_TRUE(IsChecked(Control(IDC_VIDEO_PLAN)));
        EXPECT_TRUE(IsEnabled(Control(IDC_VIDEO_PLAN)));
        SendMessageW(Control(IDC_VIDEO_PLAN), BM_SETCHECK, BST_UNCHECKED, 0);
        ASSERT_TRUE(Tick(panel, IDC_DEFAULT_PLAN, true));

        // Enter and Escape do not close the panel: the close command after
        // them still asks. No to the question keeps it: the next close asks
        // again.
        PostMessageW(panel, WM_COMMAND, IDOK, 0);
        PostMessageW(panel, WM_COMMAND, IDCANCEL, 0);
        PostMessageW(panel, WM_SYSCOMMAND, SC_CLOSE, 0);
        auto box = WaitForMessageBox(desktop.Pid());
        ASSERT_TRUE(box);
        ASSERT_TRUE(Answer(*box, L"No"));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box->hwnd); }));
        ASSERT_NO_FATAL_FAILURE(CloseAnyway());
        EXPECT_TRUE(WaitUntil([&] {
            return ReadTextFile(ini).value_or(L"").find(L"UseDefaultPowerPlan=1") != std::wstring::npos;
        })) << ReadTextFile(ini).value_or(L"(no file)");
        EXPECT_EQ(Finish(desktop), 0u);
    }
    {
        SCOPED_TRACE("a laptop with only Balanced");
        ASSERT_TRUE(DeleteTree(UserFolder()));
        InstallPowercfgDouble(balanced, balanced);
        Process laptop;
        ASSERT_NO_FATAL_FAILURE(Open(laptop));
        EXPECT_EQ(ControlText(Control(IDC_VIDEO_PLAN)), L"(High performance)");
        EXPECT_FALSE(IsEnabled(Control(IDC_VIDEO_PLAN)));
        EXPECT_EQ(ControlText(Control(IDC_DEFAULT_PLAN)), L"Default plan (Balanced) ");
        EXPECT_TRUE(IsChecked(Control(IDC_DEFAULT_PLAN)));
        ASSERT_NO_FATAL_FAILURE(CloseAnyway());
        EXPECT_EQ(Finish(laptop), 0u);
    }
    SCOPED_TRACE("Windows Vista without the themes key");
    ASSERT_TRUE(DeleteTree(UserFolder()));
    ASSERT_TRUE(RegDeleteKeyTree(HKEY_CURRENT_USER, kThemes));
    ASSERT_TRUE(SetWineVersion(L"vista"));
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_FALSE(IsChecked(Control(IDC_SET_THEME)));
    EXPECT_FALSE(IsEnabled(Control(IDC_VIDEO_PLAN)));
    EXPECT_TRUE(IsChecked(Control(IDC_DEFAULT_PLAN)));
    CloseAnyway();
}
