// Quorvel on a wall of two monitors side by side (each test runs on a
// display of two 1920 x 1080 monitors, see tests/e2e/CMakeLists.txt): which
// album each monitor shows, and the Home dialog over two album windows.
#include <gtest/gtest.h>

#include <algorithm>

#include "res/resource.h"
#include "tests/e2e/Driver.h"

using namespace quorvel::e2e;

namespace {

bool AlbumWindowOf(HWND w, const wchar_t* cls) { return ClassName(w) == cls && IsVisible(w); }

HWND WaitForAlbum(const Process& p, const wchar_t* cls, DWORD timeoutMs = kDefaultTimeoutMs) {
    return WaitForWindow(
        p.Pid(), [cls](HWND w) { return AlbumWindowOf(w, cls); }, timeoutMs);
}

void StoreMapping(const wchar_t* monitor1, const wchar_t* monitor2) {
    const std::wstring ini = JoinPath(InstalledDataFolder(), L"Quorvel.ini");
    ASSERT_TRUE(WritePrivateProfileStringW(L"Header", L"Monitor1", monitor1, ini.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringW(L"Header", L"Monitor2", monitor2, ini.c_str()));
}

std::wstring UserSetting(const wchar_t* key) {
    wchar_t value[256] = L"";
    GetPrivateProfileStringW(L"Header", key, L"<none>", value, 256,
                             JoinPath(RoamingAppData(), L"Fenwold Quorvel\\Quorvel.ini").c_str());
    return value;
}

std::size_t TopBandDifference(const Capture& a, const Capture& b) {
    std::size_t n = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < std::min(a.width, b.width); ++x) n += a.At(x, y) != b.At(x, y);
    return n;
}

// The saver with album 1 on the first monitor and album 2 on the second.
void StartWallSaver(Process& p) {
    StoreMapping(L"1", L"2");
    ASSERT_TRUE(p.Start(InstalledProgram(L"Quorvel.scr"), L"/s"));
    ASSERT_NE(WaitForAlbum(p, L"Album1 Window"), nullptr);
    ASSERT_NE(WaitForAlbum(p, L"Album2 Window"), nullptr);
}

}  // namespace

TEST(TwoMonitors, TheDisplayHasTwoMonitors) {
    EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 2);
    EXPECT_EQ(GetSystemMetrics(SM_CXVIRTUALSCREEN), 3840);
}

TEST(TwoMonitors, ProgramWithNothingStoredLeavesThePrimaryFree) {
    Process p;
    ASSERT_TRUE(p.Start(InstalledProgram(L"Quorvel.exe")));
    HWND album1 = WaitForAlbum(p, L"Album1 Window");
    ASSERT_NE(album1, nullptr);
    RECT r;
    GetWindowRect(album1, &r);
    EXPECT_EQ(r.left, 1920);
    EXPECT_EQ(r.right - r.left, 1920);
    EXPECT_EQ(WaitForAlbum(p, L"Album2 Window", 1500), nullptr);
    PostMessageW(album1, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(p.WaitExit(), 0u);
}

TEST(TwoMonitors, SaverWithStoredValuesShowsBothAlbumsAndOnlyAlbumOnesKeysEndIt) {
    StoreMapping(L"1", L"2");
    Process p;
    ASSERT_TRUE(p.Start(InstalledProgram(L"Quorvel.scr"), L"/s"));
    HWND album1 = WaitForAlbum(p, L"Album1 Window");
    HWND album2 = WaitForAlbum(p, L"Album2 Window");
    ASSERT_NE(album1, nullptr);
    ASSERT_NE(album2, nullptr);
    RECT r1, r2;
    GetWindowRect(album1, &r1);
    GetWindowRect(album2, &r2);
    EXPECT_EQ(r1.left, 0);
    EXPECT_EQ(r2.left, 1920);
    EXPECT_EQ(r2.right - r2.left, 1920);
    // Both glide.
    const auto a1 = CaptureWindow(album1), a2 = CaptureWindow(album2);
    Sleep(1500);
    const auto b1 = CaptureWindow(album1), b2 = CaptureWindow(album2);
    ASSERT_TRUE(a1 && a2 && b1 && b2);
    EXPECT_GT(CountDifferentPixels(*a1, *b1), 1000u);
    EXPECT_GT(CountDifferentPixels(*a2, *b2), 1000u);
    // A key on album 2's window does not end the saver; on album 1's it does.
    SendKey(album2, VK_SPACE);
    EXPECT_FALSE(p.WaitExit(1500).has_value());
    SendKey(album1, VK_SPACE);
    EXPECT_EQ(p.WaitExit(), 0u);
}

// What a user does ends the saver on a wall: a key press goes to the active
// window, and a mouse moved over the second monitor counts as over the first.
TEST(TwoMonitors, SaverEndsOnARealKeyPress) {
    Process p;
    ASSERT_NO_FATAL_FAILURE(StartWallSaver(p));
    ASSERT_TRUE(PressKey(nullptr, VK_SPACE));
    EXPECT_EQ(p.WaitExit(), 0u);
}

TEST(TwoMonitors, SaverEndsOnAMouseMoveOverTheSecondMonitor) {
    Process p;
    ASSERT_NO_FATAL_FAILURE(StartWallSaver(p));
    // Moves the program has not read yet are merged into one, so the mouse
    // goes to and fro, as a hand does, until the saver ends.
    int moves = 0;
    EXPECT_TRUE(WaitUntil([&] {
        ++moves;
        MoveMouse(2880 + moves % 2 * 100, 540);
        return !p.IsRunning();
    }));
    EXPECT_EQ(p.WaitExit(), 0u);
}

TEST(TwoMonitors, HomeOverTwoAlbumsUpdatesOnlyTheChangedPhrase) {
    StoreMapping(L"1", L"2");
    Process p;
    ASSERT_TRUE(p.Start(InstalledProgram(L"Quorvel.exe")));
    HWND album1 = WaitForAlbum(p, L"Album1 Window");
    HWND album2 = WaitForAlbum(p, L"Album2 Window");
    ASSERT_NE(album1, nullptr);
    ASSERT_NE(album2, nullptr);
    Sleep(500);
    SendKey(album1, VK_F2);
    HWND home = WaitForWindow(p.Pid(), L"Home - Quorvel");
    ASSERT_NE(home, nullptr);
    EXPECT_EQ(ControlText(FindControl(home, IDC_ALBUM1_LABEL)), L"DefaultAlbum1");
    EXPECT_EQ(ControlText(FindControl(home, IDC_ALBUM2_LABEL)), L"DefaultAlbum2");
    EXPECT_EQ(ControlText(FindControl(home, IDC_ALBUM1_PHRASE)), L"ALL IS WELL!");
    EXPECT_EQ(ControlText(FindControl(home, IDC_ALBUM2_PHRASE)), L"I GOT THIS!");
    EXPECT_TRUE(IsControlVisible(FindControl(home, IDC_ALBUM2_PHRASE)));

    // F2 again with Home open opens no second Home.
    SendKey(album1, VK_F2);
    Sleep(800);
    int homes = 0;
    for (HWND w : TopLevelWindows(p.Pid())) homes += WindowText(w) == L"Home - Quorvel";
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
