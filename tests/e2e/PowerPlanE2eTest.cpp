// The power plan while the screen saver runs, against a POWERCFG test
// double that records what it is asked to do.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/e2e/Driver.h"
#include "tests/e2e/Scenario.h"

using namespace quorvel::e2e;

namespace {

void SetInstalledSetting(const wchar_t* key, const wchar_t* value) {
    ASSERT_TRUE(
        WritePrivateProfileStringW(L"Header", key, value, JoinPath(InstalledDataFolder(), L"Quorvel.ini").c_str()));
}

bool IsAlbumWindow(HWND w) { return ClassName(w) == L"Album1 Window" && IsVisible(w); }

// Runs the saver until it shows, then ends it with a key as a user would.
std::optional<DWORD> RunSaver() {
    Process p;
    EXPECT_TRUE(p.Start(InstalledProgram(L"Quorvel.scr"), L"/s"));
    HWND window = WaitForWindow(p.Pid(), IsAlbumWindow);
    EXPECT_NE(window, nullptr);
    if (window != nullptr) PressKey(window, VK_SPACE);
    return p.WaitExit();
}

std::wstring TempSaver() { return JoinPath(RoamingAppData(), L"Fenwold Quorvel\\TempSaver"); }

std::wstring UserIni() { return JoinPath(RoamingAppData(), L"Fenwold Quorvel\\Quorvel.ini"); }

std::wstring UserSetting(const wchar_t* key) {
    wchar_t value[256] = L"";
    GetPrivateProfileStringW(L"Header", key, L"", value, 256, UserIni().c_str());
    return value;
}

// What the double was asked ("-SETACTIVE no window" ...), one call a line.
std::wstring CallLog() { return DoubleLog(L"calls.txt"); }

HWND StartUntilShown(Process& p, const wchar_t* program, const wchar_t* args) {
    EXPECT_TRUE(p.Start(InstalledProgram(program), args));
    HWND window = WaitForWindow(p.Pid(), IsAlbumWindow);
    EXPECT_NE(window, nullptr);
    EXPECT_TRUE(window != nullptr && WaitUntilAnswering(window));
    return window;
}

}  // namespace

TEST(PowerPlan, SaverSwitchesToHighPerformanceAndRestoresTheUsersPlan) {
    InstallPowercfgDouble(std::wstring(kBalancedPlan) + L" (Balanced)");
    EXPECT_EQ(RunSaver(), 0u);
    EXPECT_EQ(SetActiveLog(), std::wstring(kHighPerformancePlan) + L"\n" + kBalancedPlan + L"\n");
    EXPECT_FALSE(FolderExists(TempSaver()));
}

TEST(PowerPlan, HighPerformanceAlreadyActiveSwitchesNothing) {
    InstallPowercfgDouble(std::wstring(L"8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C") + L" (High performance)");
    EXPECT_EQ(RunSaver(), 0u);
    EXPECT_EQ(SetActiveLog(), L"");
}

TEST(PowerPlan, DefaultPlanChoiceCapturesButNeverSwitches) {
    InstallPowercfgDouble(std::wstring(kBalancedPlan) + L" (Balanced)");
    SetInstalledSetting(L"UseDefaultPowerPlan", L"1");
    EXPECT_EQ(RunSaver(), 0u);
    EXPECT_EQ(SetActiveLog(), L"");
}

TEST(PowerPlan, MalformedCaptureSwitchesNothing) {
    InstallPowercfgDouble(L"raw:Power Scheme GUID: & echo hacked > C:\\hacked.txt (Evil)");
    EXPECT_EQ(RunSaver(), 0u);
    EXPECT_EQ(SetActiveLog(), L"");
    EXPECT_FALSE(FileExists(L"C:\\hacked.txt"));
}

TEST(PowerPlan, TheProgramSwitchesToo) {
    InstallPowercfgDouble(std::wstring(kBalancedPlan) + L" (Balanced)");
    Process p;
    ASSERT_TRUE(p.Start(InstalledProgram(L"Quorvel.exe")));
    HWND window = WaitForWindow(p.Pid(), IsAlbumWindow);
    ASSERT_NE(window, nullptr);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(p.WaitExit(), 0u);
    EXPECT_EQ(SetActiveLog(), std::wstring(kHighPerformancePlan) + L"\n" + kBalancedPlan + L"\n");
    EXPECT_FALSE(FolderExists(JoinPath(RoamingAppData(), L"Fenwold Quorvel\\TempExe")));
}

TEST(PowerPlan, TheConfigurationScreenNeitherSwitchesNorRestores) {
    InstallPowercfgDouble(std::wstring(kBalancedPlan) + L" (Balanced)");
    Process p;
    ASSERT_TRUE(p.Start(InstalledProgram(L"Quorvel.scr")));
    HWND home = WaitForWindow(p.Pid(), L"Home - Quorvel");
    ASSERT_NE(home, nullptr);
    PostMessageW(home, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(p.WaitExit(), 0u);
    EXPECT_EQ(SetActiveLog(), L"");
}

// The default plan is chosen before the display restarts, then a cleanup
// run beside the program empties the per-user folder, the program's
// temporary folder with it. The program still puts back the plan its start
// switched from, and the cleanup leaves the record of that plan.
TEST(PowerPlan, ADefaultPlanChoiceAndACleanupMidRunStillRestore) {
    InstallPowercfgDouble(std::wstring(kBalancedPlan) + L" (Balanced)");
    Process program;
    HWND first = StartUntilShown(program, L"Quorvel.exe", L"");
    ASSERT_NE(first, nullptr);
    ASSERT_TRUE(WritePrivateProfileStringW(L"Header", L"UseDefaultPowerPlan", L"1", UserIni().c_str()));
    PostMessageW(first, WM_DISPLAYCHANGE, 32, MAKELPARAM(1920, 1080));
    HWND second = WaitForWindow(program.Pid(), [first](HWND w) { return w != first && IsAlbumWindow(w); });
    ASSERT_NE(second, nullptr);
    Process cleanup;
    ASSERT_TRUE(cleanup.Start(InstalledProgram(L"Quorvel.exe"), L"/d"));
    EXPECT_EQ(cleanup.WaitExit(), 0u);
    // The cleanup refuses beneath the running program: its folder stays.
    EXPECT_TRUE(FolderExists(JoinPath(RoamingAppData(), L"Fenwold Quorvel\\TempExe")));
    EXPECT_EQ(UserSetting(L"OriginalPowerPlanExe"), kBalancedPlan);
    PostMessageW(second, WM_CLOSE, 0, 0);
    EXPECT_EQ(Finish(program), 0u);
    EXPECT_EQ(SetActiveLog(), std::wstring(kHighPerformancePlan) + L"\n" + kBalancedPlan + L"\n");
    EXPECT_EQ(UserSetting(L"OriginalPowerPlanExe"), L"");
}

// A saver that ends without its restore leaves High performance active. A
// second saver running meanwhile leaves that plan to the first; the next
// saver alone puts the user's plan back before it captures.
TEST(PowerPlan, ASaverAfterACrashRestoresTheUsersPlanFirst) {
    InstallPowercfgDouble(std::wstring(kBalancedPlan) + L" (Balanced)");
    Process crashing;
    ASSERT_NE(StartUntilShown(crashing, L"Quorvel.scr", L"/s"), nullptr);
    {
        Process second;
        HWND window = StartUntilShown(second, L"Quorvel.scr", L"/s");
        ASSERT_NE(window, nullptr);
        PressKey(window, VK_SPACE);
        EXPECT_EQ(second.WaitExit(), 0u);
    }
    EXPECT_EQ(SetActiveLog(), std::wstring(kHighPerformancePlan) + L"\n");
    crashing.Kill();
    EXPECT_EQ(UserSetting(L"OriginalPowerPlanSaver"), kBalancedPlan);
    EXPECT_EQ(RunSaver(), 0u);
    EXPECT_EQ(SetActiveLog(), std::wstring(kHighPerformancePlan) + L"\n" + kBalancedPlan + L"\n" +
                                  kHighPerformancePlan + L"\n" + kBalancedPlan + L"\n");
    EXPECT_EQ(UserSetting(L"OriginalPowerPlanSaver"), L"");
}

// A profile folder whose name the ANSI code page cannot write: the batch
// files still reach POWERCFG, without a console window.
TEST(PowerPlan, AProfileOutsideTheCodePageStillSwitchesAndRestores) {
    InstallPowercfgDouble(std::wstring(kBalancedPlan) + L" (Balanced)");
    const std::wstring profile = L"C:\\\x0424\x043e\x0442\x043e \x5199\x771f";
    const std::wstring roaming = profile + L"\\AppData";
    ASSERT_TRUE(CreateDirectoryW(profile.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(roaming.c_str(), nullptr));
    ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER,
                               L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                               L"AppData", roaming));
    ASSERT_EQ(RoamingAppData(), roaming);
    EXPECT_EQ(RunToEnd(InstalledProgram(L"Quorvel.scr"), L"/s"), 0u);
    EXPECT_EQ(SetActiveLog(), std::wstring(kHighPerformancePlan) + L"\n" + kBalancedPlan + L"\n");
    EXPECT_EQ(CallLog(), L"-GETACTIVESCHEME no window\n-SETACTIVE no window\n-SETACTIVE no window\n");
}

// A slow POWERCFG does not keep the saver off the screen: its first frame
// is drawn before the plan is asked for, and the switch still follows.
TEST(PowerPlan, TheSaverIsDrawnWhilePowercfgIsStillAnswering) {
    InstallPowercfgDouble(std::wstring(kBalancedPlan) + L" (Balanced)");
    const std::wstring hold = JoinPath(kPowercfgDoubleFolder, L"hold.txt");
    ASSERT_TRUE(WriteFileBytes(hold, {}));
    Process p;
    ASSERT_TRUE(p.Start(InstalledProgram(L"Quorvel.scr"), L"/s"));
    HWND window = WaitForWindow(p.Pid(), IsAlbumWindow);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(WaitUntil([&] {
        const auto c = CaptureWindow(window);
        return c && FractionOfColour(*c, c->At(c->width / 2, c->height / 2)) < 0.9;
    }));
    EXPECT_EQ(SetActiveLog(), L"");
    ASSERT_TRUE(DeleteFileW(hold.c_str()));
    EXPECT_TRUE(WaitUntilAnswering(window));
    EXPECT_EQ(SetActiveLog(), std::wstring(kHighPerformancePlan) + L"\n");
    PressKey(window, VK_SPACE);
    EXPECT_EQ(p.WaitExit(), 0u);
}

// POWERCFG refusing the switch is a failure of the start, not a silent one.
TEST(PowerPlan, ARefusedSwitchStopsTheStart) {
    InstallPowercfgDouble(std::wstring(kBalancedPlan) + L" (Balanced)");
    const std::string refuse = "-SETACTIVE";
    ASSERT_TRUE(WriteFileBytes(JoinPath(kPowercfgDoubleFolder, L"fail.txt"),
                               std::vector<std::uint8_t>(refuse.begin(), refuse.end())));
    Process p;
    ASSERT_TRUE(p.Start(InstalledProgram(L"Quorvel.scr"), L"/s"));
    auto box = WaitForMessageBox(p.Pid());
    ASSERT_TRUE(box);
    EXPECT_NE(box->text.find(L"Application was found but failed to execute"), std::wstring::npos) << Narrow(box->text);
    ASSERT_TRUE(Answer(*box, L"OK"));
    EXPECT_EQ(p.WaitExit(), 0u);
}
