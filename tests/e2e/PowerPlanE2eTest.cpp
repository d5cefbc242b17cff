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

std::wstring TempSaver() { return JoinPath(RoamingAppData(), L"Fenwold Quorvel\\TempSaver"); }

std::wstring UserIni() { return JoinPath(RoamingAppData(), L"Fenwold Quorvel\\Quorvel.ini"); }

std::wstring UserSetting(const wchar_t* key) {
    wchar_t value[256] = L"";
    GetPrivateProfileStringW(L"Header", key, L"", value, 256, UserIni().c_str());
    return value;
}

// What the double was asked ("-SETACTIVE no window" ...), one call a line.
std::wstring CallLog() { return DoubleLog(L"calls.txt"); }

// Makes the double refuse `command` ("-SETACTIVE"); "" refuses nothing.
void RefuseInDouble(const std::wstring& command) {
    const std::string text(command.begin(), command.end());
    ASSERT_TRUE(WriteFileBytes(JoinPath(kPowercfgDoubleFolder, L"fail.txt"),
                               std::vector<std::uint8_t>(text.begin(), text.end())));
}

// The error log's rows; a row's message may hold a line break, its end is
// the last separator and the line break after it.
std::vector<std::wstring> ErrorLogRows() {
    std::wstring log =
        ReadTextFile(JoinPath(RoamingAppData(), L"Fenwold Quorvel\\Quorvel_ErrorsLog.csv")).value_or(L"");
    log.erase(std::remove(log.begin(), log.end(), L'\r'), log.end());
    std::vector<std::wstring> rows;
    for (std::size_t start = 0, end; (end = log.find(L" , \n", start)) != std::wstring::npos; start = end + 4)
        rows.push_back(log.substr(start, end - start));
    return rows;
}

HWND StartUntilShown(Process& p, const wchar_t* program, const wchar_t* args) {
    EXPECT_TRUE(p.Start(InstalledProgram(program), args));
    HWND window = WaitForWindow(p.Pid(), IsAlbumWindow);
    EXPECT_NE(window, nullptr);
    EXPECT_TRUE(window != nullptr && WaitUntilAnswering(window));
    return window;
}

// Runs the saver until it shows and answers, when its plan is settled;
// no box may have come up. Then ends it with a key as a user would.
std::optional<DWORD> RunSaver() {
    Process p;
    HWND window = StartUntilShown(p, L"Quorvel.scr", L"/s");
    if (window == nullptr) return std::nullopt;
    for (HWND w : TopLevelWindows(p.Pid())) EXPECT_NE(ClassName(w), L"#32770") << "a box came up";
    PressKey(window, VK_SPACE);
    return p.WaitExit();
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

// Profile folders whose names a batch file in the ANSI code page cannot
// carry: one the console's code page reads as another name, one with the
// characters cmd reads as commands, and one the ANSI code page cannot
// write at all. The batch files still reach POWERCFG, without a console
// window, and the plan is switched and put back.
TEST(PowerPlan, AnyProfileFolderStillSwitchesAndRestores) {
    for (const std::wstring profile :
         {L"C:\\M\x00fcller", L"C:\\50% & (Co) ^x!", L"C:\\\x0424\x043e\x0442\x043e \x5199\x771f"}) {
        InstallPowercfgDouble(std::wstring(kBalancedPlan) + L" (Balanced)");
        DeleteFileW(JoinPath(kPowercfgDoubleFolder, L"log.txt").c_str());
        DeleteFileW(JoinPath(kPowercfgDoubleFolder, L"calls.txt").c_str());
        const std::wstring roaming = profile + L"\\AppData";
        ASSERT_TRUE(CreateDirectoryW(profile.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW(roaming.c_str(), nullptr));
        ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER,
                                   L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                                   L"AppData", roaming));
        ASSERT_EQ(RoamingAppData(), roaming);
        EXPECT_EQ(RunToEnd(InstalledProgram(L"Quorvel.scr"), L"/s"), 0u);
        EXPECT_EQ(SetActiveLog(), std::wstring(kHighPerformancePlan) + L"\n" + kBalancedPlan + L"\n")
            << Narrow(profile);
        EXPECT_EQ(CallLog(),
                  L"-GETACTIVESCHEME no window\n-LIST no window\n-SETACTIVE no window\n-SETACTIVE no window\n")
            << Narrow(profile);
        EXPECT_FALSE(FileExists(JoinPath(roaming, L"Fenwold Quorvel\\Quorvel_ErrorsLog.csv"))) << Narrow(profile);
    }
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

// Windows refuses the plan the saver would switch to, or has none to
// give: the saver still shows, without a box, the user's plan stays, and
// each refusal is one row in the error log.
TEST(PowerPlan, APlanWindowsRefusesCostsOnlyTheSwitch) {
    const std::wstring balanced = std::wstring(kBalancedPlan) + L" (Balanced)";
    std::size_t rows = 0;
    // Each run adds one row to the log, naming what was refused.
    auto expectOneMoreRow = [&](const wchar_t* code) {
        const std::vector<std::wstring> log = ErrorLogRows();
        const std::size_t before = rows;
        rows = log.size();
        ASSERT_EQ(rows, before + 1);
        EXPECT_NE(log.back().find(code), std::wstring::npos) << Narrow(log.back());
    };

    // A laptop that has only Balanced: the video plan is never asked for.
    InstallPowercfgDouble(balanced, balanced);
    EXPECT_EQ(RunSaver(), 0u);
    EXPECT_EQ(SetActiveLog(), L"");
    EXPECT_EQ(DoubleLog(L"active.txt"), balanced);
    EXPECT_EQ(UserSetting(L"OriginalPowerPlanSaver"), L"");
    expectOneMoreRow(L" , 10059-");

    // A policy refuses every switch: nothing to put back at the end.
    InstallPowercfgDouble(balanced);
    RefuseInDouble(L"-SETACTIVE");
    EXPECT_EQ(RunSaver(), 0u);
    EXPECT_EQ(SetActiveLog(), std::wstring(kHighPerformancePlan) + L"\n");
    EXPECT_EQ(DoubleLog(L"active.txt"), balanced);
    EXPECT_EQ(UserSetting(L"OriginalPowerPlanSaver"), L"");
    expectOneMoreRow(L" , 10014-");

    // A crashed run's record names a plan deleted since: it is let go, and
    // the run switches and restores as usual.
    const std::wstring gone = L"0d1b5e2c-7a4f-4c1e-9b3a-5f6e7d8c9a0b";
    InstallPowercfgDouble(balanced);
    ASSERT_TRUE(DeleteFileW(JoinPath(kPowercfgDoubleFolder, L"log.txt").c_str()));
    RefuseInDouble(L"");
    ASSERT_TRUE(WritePrivateProfileStringW(L"Header", L"OriginalPowerPlanSaver", gone.c_str(), UserIni().c_str()));
    EXPECT_EQ(RunSaver(), 0u);
    EXPECT_EQ(SetActiveLog(), gone + L"\n" + kHighPerformancePlan + L"\n" + kBalancedPlan + L"\n");
    EXPECT_EQ(UserSetting(L"OriginalPowerPlanSaver"), L"");
    expectOneMoreRow(L" , 10014-");

    // POWERCFG will not even say which plan is active: nothing is switched.
    ASSERT_TRUE(DeleteFileW(JoinPath(kPowercfgDoubleFolder, L"log.txt").c_str()));
    RefuseInDouble(L"-GETACTIVESCHEME");
    EXPECT_EQ(RunSaver(), 0u);
    EXPECT_EQ(SetActiveLog(), L"");
    expectOneMoreRow(L" , 10014-");
}
