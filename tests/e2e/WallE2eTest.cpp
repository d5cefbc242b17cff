// Quorvel on a wall of two monitors side by side (each test runs on a
// display of two 1920 x 1080 monitors, or of a 1920 x 1080 and a 2560 x 1440
// one, see tests/e2e/CMakeLists.txt): which album each monitor shows, the
// saver covering them, and the Home dialog over two album windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/e2e/Driver.h"
#include "tests/e2e/Scenario.h"

using namespace quorvel::e2e;

namespace {

bool AlbumWindowOf(HWND w, const wchar_t* cls) { return ClassName(w) == cls && IsVisible(w); }

HWND WaitForAlbum(const Process& p, const wchar_t* cls) {
    return WaitForWindow(p.Pid(), [cls](HWND w) { return AlbumWindowOf(w, cls); });
}

// The display the scenarios need: two 1920 x 1080 monitors side by side.
void ExpectTwoMonitors() {
    ASSERT_EQ(GetSystemMetrics(SM_CMONITORS), 2);
    ASSERT_EQ(GetSystemMetrics(SM_CXVIRTUALSCREEN), 3840);
}

void StoreMapping(const wchar_t* monitor1, const wchar_t* monitor2) {
    const std::wstring ini = JoinPath(InstalledDataFolder(), L"Quorvel.ini");
    ASSERT_TRUE(WritePrivateProfileStringW(L"Header", L"Monitor1", monitor1, ini.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringW(L"Header", L"Monitor2", monitor2, ini.c_str()));
}

std::wstring UserFolder() { return JoinPath(RoamingAppData(), L"Fenwold Quorvel"); }

std::wstring UserSetting(const wchar_t* key) {
    wchar_t value[256] = L"";
    GetPrivateProfileStringW(L"Header", key, L"<none>", value, 256, JoinPath(UserFolder(), L"Quorvel.ini").c_str());
    return value;
}

std::size_t TopBandDifference(const Capture& a, const Capture& b) {
    std::size_t n = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < std::min(a.width, b.width); ++x) n += a.At(x, y) != b.At(x, y);
    return n;
}

// The saver with album 1 on the first monitor and album 2 on the second.
void StartWallSaver(Process& p, HWND& album1, HWND& album2) {
    StoreMapping(L"1", L"2");
    ASSERT_TRUE(p.Start(InstalledProgram(L"Quorvel.scr"), L"/s"));
    album1 = WaitForAlbum(p, L"Album1 Window");
    album2 = WaitForAlbum(p, L"Album2 Window");
    ASSERT_NE(album1, nullptr);
    ASSERT_NE(album2, nullptr);
}

}  // namespace

TEST(TwoMonitors, ProgramWithNothingStoredLeavesThePrimaryFree) {
    ASSERT_NO_FATAL_FAILURE(ExpectTwoMonitors());
    Process p;
    ASSERT_TRUE(p.Start(InstalledProgram(L"Quorvel.exe")));
    HWND album1 = WaitForAlbum(p, L"Album1 Window");
    ASSERT_NE(album1, nullptr);
    RECT r;
    GetWindowRect(album1, &r);
    EXPECT_EQ(r.left, 1920);
    EXPECT_EQ(r.right - r.left, 1920);
    // The start opens every album window before its thread answers.
    ASSERT_TRUE(WaitUntilAnswering(album1));
    for (HWND w : TopLevelWindows(p.Pid(), true)) EXPECT_NE(ClassName(w), L"Album2 Window");
    PostMessageW(album1, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(p.WaitExit(), 0u);
}

// With both albums stored the saver shows album 1 on the first monitor and
// album 2 on the second, larger one, both gliding, and covers both monitors
// whole, above their taskbars: album 2's window, lower than the monitor, is
// centred on it with black round it. Only album 1's window takes keys, so
// a key posted to album 2's does not end the saver, while a key a user
// presses, which goes to the active window, does. So does a mouse moved
// over the second monitor: it counts as over the first.
TEST(TwoUnequalMonitors, SaverCoversBothShowsBothAlbumsAndEndsOnAKeyPressOrAMouseMoveOverTheSecond) {
    ASSERT_EQ(GetSystemMetrics(SM_CMONITORS), 2);
    ASSERT_EQ(GetSystemMetrics(SM_CXVIRTUALSCREEN), 1920 + 2560);
    ASSERT_EQ(GetSystemMetrics(SM_CYVIRTUALSCREEN), 1440);
    const std::vector<RECT> monitors = MonitorRects();
    {
        std::vector<RECT> taskbars;
        for (const RECT& m : monitors) taskbars.push_back(ShowStandInTaskbar(m));
        Process p;
        HWND album1 = nullptr, album2 = nullptr;
        ASSERT_NO_FATAL_FAILURE(StartWallSaver(p, album1, album2));
        const RECT r1 = Rect(album1), r2 = Rect(album2);
        EXPECT_EQ(r1.left, 0);
        EXPECT_EQ(r1.top, 0);
        // Album 2's strip, 1200 high, centred in the 2560 x 1440 monitor less
        // its last row.
        EXPECT_EQ(r2.left, 1920);
        EXPECT_EQ(r2.top, 119);
        EXPECT_EQ(r2.right - r2.left, 2560);
        EXPECT_EQ(r2.bottom - r2.top, 1200);
        ASSERT_TRUE(WaitUntilAnswering(album1));
        for (const RECT& m : monitors) {
            SCOPED_TRACE("the monitor at x = " + std::to_string(m.left));
            EXPECT_EQ(PointsNotCoveredBy(p.Pid(), m).size(), 0u);
            EXPECT_TRUE(WaitUntil([&] {
                return LitPixelsAround(m, {r1, r2}) == std::optional<std::size_t>(0);
            })) << "the saver is not black round the albums";
        }
        for (const RECT& taskbar : taskbars)
            EXPECT_EQ(PointsNotCoveredBy(p.Pid(), taskbar).size(), 0u) << "a taskbar shows over the saver";
        EXPECT_TRUE(GlideGoesOn(p, album1, 1)) << "album 1 glides";
        EXPECT_TRUE(GlideGoesOn(p, album2, 1)) << "album 2 glides";
        SendKey(album2, VK_SPACE);
        EXPECT_TRUE(GlideGoesOn(p, album1)) << "a key on album 2's window ended the saver";
        ASSERT_TRUE(PressKey(nullptr, VK_SPACE));
        EXPECT_EQ(p.WaitExit(), 0u);
    }
    Process p;
    HWND album1 = nullptr, album2 = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartWallSaver(p, album1, album2));
    // Moves the program has not read yet are merged into one, so the mouse
    // goes to and fro, as a hand does, until the saver ends.
    int moves = 0;
    EXPECT_TRUE(WaitUntil([&] {
        ++moves;
        MoveMouse(3200 + moves % 2 * 100, 720);
        return !p.IsRunning();
    }));
    EXPECT_EQ(p.WaitExit(), 0u);
}

TEST(TwoMonitors, HomeOverTwoAlbumsUpdatesOnlyTheChangedPhrase) {
    ASSERT_NO_FATAL_FAILURE(ExpectTwoMonitors());
    StoreMapping(L"1", L"2");
    Process p;
    ASSERT_TRUE(p.Start(InstalledProgram(L"Quorvel.exe")));
    HWND album1 = WaitForAlbum(p, L"Album1 Window");
    HWND album2 = WaitForAlbum(p, L"Album2 Window");
    ASSERT_NE(album1, nullptr);
    ASSERT_NE(album2, nullptr);
    ASSERT_TRUE(WaitUntilAnswering(album1));
    SendKey(album1, VK_F2);
    HWND home = WaitForWindow(p.Pid(), L"Home - Quorvel");
    ASSERT_NE(home, nullptr);
    EXPECT_EQ(ControlText(FindControl(home, IDC_ALBUM1_LABEL)), L"DefaultAlbum1");
    EXPECT_EQ(ControlText(FindControl(home, IDC_ALBUM2_LABEL)), L"DefaultAlbum2");
    EXPECT_EQ(ControlText(FindControl(home, IDC_ALBUM1_PHRASE)), L"ALL IS WELL!");
    EXPECT_EQ(ControlText(FindControl(home, IDC_ALBUM2_PHRASE)), L"I GOT THIS!");
    EXPECT_TRUE(IsControlVisible(FindControl(home, IDC_ALBUM2_PHRASE)));

    // F2 again with Home open opens no second Home: F1 after it runs the
    // help once the F2 has been handled.
    const std::wstring help = JoinPath(UserFolder(), L"help-runs.txt");
    WriteRecordingBatch(L"QuorvelHelp.bat", help);
    SendKey(album1, VK_F2);
    SendKey(album1, VK_F1);
    ASSERT_TRUE(WaitUntil([&] { return Runs(help) == 1; }));
    int homes = 0;
    for (HWND w : TopLevelWindows(p.Pid(), true)) homes += WindowText(w) == L"Home - Quorvel";
    EXPECT_EQ(homes, 1);

    const auto before = CaptureWindow(album2);
    SendMessageW(FindControl(home, IDC_ALBUM2_PHRASE), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"CALM WATERS"));
    ASSERT_TRUE(ClickButton(FindControl(home, IDC_UPDATE_PHRASE)));
    ASSERT_TRUE(WaitUntil([] { return UserSetting(L"CurrentUserSaying2") == L"CALM WATERS"; }));
    EXPECT_EQ(UserSetting(L"CurrentUserSaying1"), L"ALL IS WELL!");
    EXPECT_EQ(UserSetting(L"ScreenSaverSaying"), L"OUT TO LUNCH UNTIL 2:00");
    // Album 2's window shows the new phrase in its top band.
    ASSERT_TRUE(WaitUntil([&] {
        const auto after = CaptureWindow(album2);
        return before && after && TopBandDifference(*before, *after) > 200;
    }));

    PostMessageW(home, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(home); }));
    PostMessageW(album1, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(p.WaitExit(), 0u);
}
