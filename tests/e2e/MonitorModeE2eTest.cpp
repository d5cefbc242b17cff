// The album windows take the size each monitor shows, not a mode saved for
// the next logon (a display of two 1920 x 1080 monitors, see CMakeLists.txt).
#include <gtest/gtest.h>

#include "tests/e2e/Scenario.h"

using namespace quorvel::e2e;

TEST(TwoMonitors, AlbumWindowsTakeTheModeShownNotTheOneSaved) {
    DISPLAY_DEVICEW second = {};
    second.cb = sizeof second;
    ASSERT_TRUE(EnumDisplayDevicesW(nullptr, 1, &second, 0));
    DEVMODEW saved = {};
    saved.dmSize = sizeof saved;
    saved.dmPelsWidth = 640;
    saved.dmPelsHeight = 480;
    saved.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    const DWORD saveOnly = CDS_UPDATEREGISTRY | CDS_NORESET;
    ASSERT_EQ(ChangeDisplaySettingsExW(second.DeviceName, &saved, nullptr, saveOnly, nullptr), DISP_CHANGE_SUCCESSFUL);
    Process p;
    ASSERT_TRUE(p.Start(InstalledProgram(L"Quorvel.exe")));
    HWND album = WaitForAlbumWindow(p);
    ASSERT_NE(album, nullptr);
    RECT r;
    GetWindowRect(album, &r);
    EXPECT_EQ(r.left, 1920);
    EXPECT_EQ(r.right - r.left, 1920);
    EXPECT_EQ(Finish(p), 0u);
}
