// The power plan while the screen saver runs, against a POWERCFG test
// double that records what it is asked to do.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "tests/e2e/Driver.h"
#include "tests/e2e/Scenario.h"

using namespace quorvel::e2e;

namespace {

const wchar_t kOriginalSaverPlan[] = L"OriginalPowerPlanSaver";
const wchar_t kOriginalProgramPlan[] = L"OriginalPowerPlanExe";

bool IsAlbumWindow(HWND w) { return ClassName(w) == L"Album1 Window" && IsVisible(w); }

std::wstring UserFolder() { return JoinPath(RoamingAppData(), L"Fenwold Quorvel"); }

std::wstring UserIni() { return JoinPath(UserFolder(), L"Quorvel.ini"); }

std::wstring InstalledIni() { return JoinPath(InstalledDataFolder(), L"Quorvel.ini"); }

std::wstring UserSetting(const wchar_t* key) {
    wchar_t value[256] = L"";
    GetPrivateProfileStringW(L"Header", key, L"", value, 256, UserIni().c_str());
    return value;
}

// What the double was asked ("-SETACTIVE no window" ...), one call a line.
std::wstring CallLog() { return DoubleLog(L"calls.txt"); }

// The plan the double holds active, as "<id> <name>".
std::wstring ActivePlan() {
    std::wstring active = DoubleLog(L"active.txt");
    while (!active.empty() && active.back() == L'\n') active.pop_back();
    return active;
}

// Makes the double refuse `command` ("-SETACTIVE"); "" refuses nothing.
void RefuseInDouble(const std::wstring& command) {
    const std::string text(command.begin(), command.end());
    ASSERT_TRUE(WriteFileBytes(JoinPath(kPowercfgDoubleFolder, L"fail.txt"),
                               std::vector<std::uint8_t>(text.begin(), text.end())));
}

// The error log's rows; a row's message may hold a line break, its end is
// the last separator and the line break after it.
std::vector<std::wstring> ErrorLogRows() {
    std::wstring log = ReadTextFile(JoinPath(UserFolder(), L"Quorvel_ErrorsLog.csv")).value_or(L"");
    log.erase(std::remove(log.begin(), log.end(), L'\r'), log.end());
    std::vector<std::wstring> rows;
    for (std::size_t start = 0, end; (end = log.find(L" , \n", start)) != std::wstring::npos; start = end + 4)
        rows.push_back(log.substr(start, end - start));
    return rows;
}

std::uint64_t WriteTime(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return std::uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime;
}

HWND StartUntilShown(Process& p, const wchar_t* program, const wchar_t* args) {
    EXPECT_TRUE(p.Start(InstalledProgram(program), args));
    HWND window = WaitForAlbumWindow(p);
    EXPECT_NE(window, nullptr);
    EXPECT_TRUE(window != nullptr && WaitUntilAnswering(window));
    return window;
}

enum class Role { Saver, Program, ConfigurationScreen };

// Runs `role` until its first window shows and answers, when its plan is
// settled; no box may have come up. Then ends it as a user would: a key
// for the saver, closing the window for the others.
std::optional<DWORD> RunRole(Role role) {
    Process p;
    const bool saver = role == Role::Saver;
    if (!p.Start(InstalledProgram(role == Role::Program ? L"Quorvel.exe" : L"Quorvel.scr"), saver ? L"/s" : L""))
        return std::nullopt;
    HWND window = role == Role::ConfigurationScreen ? WaitForWindow(p.Pid(), L"Home - Quorvel") : WaitForAlbumWindow(p);
    if (window == nullptr || !WaitUntilAnswering(window)) {
        ADD_FAILURE() << "no window answered";
        return std::nullopt;
    }
    for (HWND w : TopLevelWindows(p.Pid())) EXPECT_TRUE(w == window || ClassName(w) != L"#32770") << "a box came up";
    if (saver)
        PressKey(window, VK_SPACE);
    else
        PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    return p.WaitExit();
}

std::optional<DWORD> RunSaver() { return RunRole(Role::Saver); }

}  // namespace

// One start of a role against what POWERCFG answers. Whatever happens, the
// run shows without a box, the user's plan is active at its end, no record
// of a plan to put back is left, no console window flashes up, and a
// switch Windows would not make is one row in the error log. (The removal
// of the run's temporary folder is the first-run scenario's to prove; a
// batch file the ending run cannot delete is left for the next run.)
TEST(PowerPlan, EachRoleSwitchesOnlyWhereItShouldAndPutsTheUsersPlanBack) {
    const std::wstring balanced = std::wstring(kBalancedPlan) + L" (Balanced)";
    const std::wstring high = kHighPerformancePlan, user = kBalancedPlan;
    const std::wstring gone = L"0d1b5e2c-7a4f-4c1e-9b3a-5f6e7d8c9a0b";
    struct Row {
        const char* name;
        std::wstring active;  // what -GETACTIVESCHEME answers
        std::wstring plans;   // what -LIST answers
        Role role;
        const wchar_t* refused;  // the call the double refuses, or ""
        // A setting written into the installed settings, which the first
        // start copies, and its value; or none.
        const wchar_t* setting;
        std::wstring value;
        std::wstring setActive;  // the plans asked for, in order
        const wchar_t* logged;   // the code of the one error-log row, or none
    };
    const Row rows[] = {
        {"the saver switches to High performance and puts the user's plan back", balanced, kDesktopPlans, Role::Saver,
         L"", nullptr, L"", high + L"\n" + user + L"\n", nullptr},
        {"High performance already active: nothing to switch",
         L"8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C (High performance)", kDesktopPlans, Role::Saver, L"", nullptr, L"", L"",
         nullptr},
        {"the default plan chosen: captured, never switched", balanced, kDesktopPlans, Role::Saver, L"",
         L"UseDefaultPowerPlan", L"1", L"", nullptr},
        {"the program switches too", balanced, kDesktopPlans, Role::Program, L"", nullptr, L"",
         high + L"\n" + user + L"\n", nullptr},
        {"the configuration screen neither switches nor restores", balanced, kDesktopPlans, Role::ConfigurationScreen,
         L"", nullptr, L"", L"", nullptr},
        {"a laptop with only Balanced: the video plan is never asked for", balanced, balanced, Role::Saver, L"",
         nullptr, L"", L"", L"10059"},
        {"a policy refuses every switch: nothing to put back", balanced, kDesktopPlans, Role::Saver, L"-SETACTIVE",
         nullptr, L"", high + L"\n", L"10014"},
        {"a crashed run's record names a plan deleted since: let go, then switched and restored", balanced,
         kDesktopPlans, Role::Saver, L"", kOriginalSaverPlan, gone, gone + L"\n" + high + L"\n" + user + L"\n",
         L"10014"},
        {"POWERCFG will not say which plan is active: nothing is switched", balanced, kDesktopPlans, Role::Saver,
         L"-GETACTIVESCHEME", nullptr, L"", L"", L"10014"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        // Each row starts as a first start does, with the double knowing only its answers.
        ASSERT_TRUE(!FolderExists(UserFolder()) || DeleteTree(UserFolder()));
        ASSERT_TRUE(!FolderExists(kPowercfgDoubleFolder) || DeleteTree(kPowercfgDoubleFolder));
        InstallPowercfgDouble(row.active, row.plans);
        RefuseInDouble(row.refused);
        if (row.setting != nullptr) {
            ASSERT_TRUE(WritePrivateProfileStringW(L"Header", row.setting, row.value.c_str(), InstalledIni().c_str()));
        }

        EXPECT_EQ(RunRole(row.role), 0u);
        EXPECT_EQ(SetActiveLog(), row.setActive);
        EXPECT_EQ(ActivePlan(), row.active);
        EXPECT_EQ(UserSetting(kOriginalSaverPlan), L"");
        EXPECT_EQ(UserSetting(kOriginalProgramPlan), L"");
        EXPECT_EQ(CallLog().find(L"console window"), std::wstring::npos) << Narrow(CallLog());
        const std::vector<std::wstring> log = ErrorLogRows();
        if (row.logged == nullptr) {
            EXPECT_TRUE(log.empty()) << Narrow(log.front());
        } else {
            ASSERT_EQ(log.size(), 1u);
            EXPECT_NE(log[0].find(std::wstring(L" , ") + row.logged + L"-"), std::wstring::npos) << Narrow(log[0]);
        }

        if (row.setting != nullptr) {
            ASSERT_TRUE(WritePrivateProfileStringW(L"Header", row.setting, nullptr, InstalledIni().c_str()));
        }
    }
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
    EXPECT_TRUE(FolderExists(JoinPath(UserFolder(), L"TempExe")));
    EXPECT_EQ(UserSetting(kOriginalProgramPlan), kBalancedPlan);
    PostMessageW(second, WM_CLOSE, 0, 0);
    EXPECT_EQ(Finish(program), 0u);
    EXPECT_EQ(SetActiveLog(), std::wstring(kHighPerformancePlan) + L"\n" + kBalancedPlan + L"\n");
    EXPECT_EQ(UserSetting(kOriginalProgramPlan), L"");
}

// A saver killed while it shows (a crash, Task Manager) ends without its
// restore and leaves High performance active. A second saver running
// meanwhile leaves that plan to the first; the next saver alone puts the
// user's plan back before it captures, and takes the bitmap cache the
// killed one left as it is.
TEST(PowerPlan, AfterASaverIsKilledTheNextPutsThePlanBackFirstAndKeepsItsCache) {
    InstallPowercfgDouble(std::wstring(kBalancedPlan) + L" (Balanced)");
    Process killed;
    ASSERT_NE(StartUntilShown(killed, L"Quorvel.scr", L"/s"), nullptr);
    {
        Process second;
        HWND window = StartUntilShown(second, L"Quorvel.scr", L"/s");
        ASSERT_NE(window, nullptr);
        PressKey(window, VK_SPACE);
        EXPECT_EQ(second.WaitExit(), 0u);
    }
    EXPECT_EQ(SetActiveLog(), std::wstring(kHighPerformancePlan) + L"\n");
    killed.Kill();
    ASSERT_TRUE(killed.WaitExit().has_value());
    EXPECT_EQ(UserSetting(kOriginalSaverPlan), kBalancedPlan);
    const std::wstring cacheFolder = JoinPath(UserFolder(), L"QuorvelAlbums\\DefaultAlbum1\\BMP");
    const std::vector<std::wstring> cache = ListFolder(cacheFolder);
    ASSERT_EQ(cache.size(), 1u);
    const std::wstring cacheFile = JoinPath(cacheFolder, cache[0]);
    const auto cached = ReadFileBytes(cacheFile);
    const std::uint64_t written = WriteTime(cacheFile);

    EXPECT_EQ(RunSaver(), 0u);
    // Put back before the new capture, switched again, put back at the end.
    EXPECT_EQ(SetActiveLog(), std::wstring(kHighPerformancePlan) + L"\n" + kBalancedPlan + L"\n" +
                                  kHighPerformancePlan + L"\n" + kBalancedPlan + L"\n");
    EXPECT_EQ(UserSetting(kOriginalSaverPlan), L"");
    EXPECT_EQ(ListFolder(cacheFolder), cache);
    EXPECT_EQ(ReadFileBytes(cacheFile), cached);
    EXPECT_EQ(WriteTime(cacheFile), written);
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
    HWND window = WaitForAlbumWindow(p);
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
