// The power plan while the screen saver runs, against a POWERCFG test
// double that records what it is asked to do.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/e2e/Driver.h"

using namespace quorvel::e2e;

namespace {

const wchar_t kDoubleFolder[] = L"C:\\powercfg-double";
const wchar_t kBalanced[] = L"381b4222-f694-41f0-9685-ff5bb260df2e";
const wchar_t kHighPerformance[] = L"8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c";

void InstallPowercfgDouble(const std::wstring& activeLine) {
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    ASSERT_TRUE(CopyFileW(JoinPath(TestProgramFolder(), L"powercfg.exe").c_str(),
                          JoinPath(system, L"powercfg.exe").c_str(), FALSE));
    CreateDirectoryW(kDoubleFolder, nullptr);
    const std::string line(activeLine.begin(), activeLine.end());
    ASSERT_TRUE(WriteFileBytes(JoinPath(kDoubleFolder, L"active.txt"),
                               std::vector<std::uint8_t>(line.begin(), line.end())));
}

// The plan ids POWERCFG was asked to make active, one per line.
std::wstring SetActiveLog() {
    std::wstring log = ReadTextFile(JoinPath(kDoubleFolder, L"log.txt")).value_or(L"");
    log.erase(std::remove(log.begin(), log.end(), L'\r'), log.end());
    return log;
}

void SetInstalledSetting(const wchar_t* key, const wchar_t* value) {
    ASSERT_TRUE(WritePrivateProfileStringW(L"Header", key, value,
                                           JoinPath(InstalledDataFolder(), L"Quorvel.ini").c_str()));
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

}  // namespace

TEST(PowerPlan, SaverSwitchesToHighPerformanceAndRestoresTheUsersPlan) {
    InstallPowercfgDouble(std::wstring(kBalanced) + L" (Balanced)");
    EXPECT_EQ(RunSaver(), 0u);
    EXPECT_EQ(SetActiveLog(), std::wstring(kHighPerformance) + L"\n" + kBalanced + L"\n");
    EXPECT_FALSE(FolderExists(TempSaver()));
}

TEST(PowerPlan, HighPerformanceAlreadyActiveSwitchesNothing) {
    InstallPowercfgDouble(std::wstring(L"8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C") + L" (High performance)");
    EXPECT_EQ(RunSaver(), 0u);
    EXPECT_EQ(SetActiveLog(), L"");
}

TEST(PowerPlan, DefaultPlanChoiceCapturesButNeverSwitches) {
    InstallPowercfgDouble(std::wstring(kBalanced) + L" (Balanced)");
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
    InstallPowercfgDouble(std::wstring(kBalanced) + L" (Balanced)");
    Process p;
    ASSERT_TRUE(p.Start(InstalledProgram(L"Quorvel.exe")));
    HWND window = WaitForWindow(p.Pid(), IsAlbumWindow);
    ASSERT_NE(window, nullptr);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(p.WaitExit(), 0u);
    EXPECT_EQ(SetActiveLog(), std::wstring(kHighPerformance) + L"\n" + kBalanced + L"\n");
    EXPECT_FALSE(FolderExists(JoinPath(RoamingAppData(), L"Fenwold Quorvel\\TempExe")));
}

TEST(PowerPlan, TheConfigurationScreenNeitherSwitchesNorRestores) {
    InstallPowercfgDouble(std::wstring(kBalanced) + L" (Balanced)");
    Process p;
    ASSERT_TRUE(p.Start(InstalledProgram(L"Quorvel.scr")));
    HWND home = WaitForWindow(p.Pid(), L"Home - Quorvel");
    ASSERT_NE(home, nullptr);
    PostMessageW(home, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(p.WaitExit(), 0u);
    EXPECT_EQ(SetActiveLog(), L"");
}
