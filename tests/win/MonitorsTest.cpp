// The album area and the centred dialogs keep to the monitors' work areas,
// whatever shape the taskbar's window has.
#include "display/Monitors_win.h"

#include <gtest/gtest.h>

#include "base/DisplayState_win.h"
#include "tests/win/TestState.h"
#include "ui/Panel_win.h"

namespace quorvel {
namespace {

using test::ProcessRecords;

// A taskbar docked on the left: its window is as tall as the screen.
class SideTaskbar {
public:
    SideTaskbar() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kClass;
        RegisterClassW(&wc);
        window_ = CreateWindowExW(WS_EX_TOOLWINDOW, kClass, L"", WS_POPUP, 0, 0, 60, GetSystemMetrics(SM_CYSCREEN),
                                  nullptr, nullptr, wc.hInstance, nullptr);
    }
    ~SideTaskbar() {
        DestroyWindow(window_);
        UnregisterClassW(kClass, GetModuleHandleW(nullptr));
    }
    bool Made() const { return window_ != nullptr && FindWindowW(kClass, nullptr) == window_; }

private:
    static constexpr const wchar_t* kClass = L"Shell_traywnd";
    HWND window_ = nullptr;
};

TEST(WorkArea, ASideTaskbarLeavesTheAlbumAndTheDialogsTheirHeight) {
    ProcessRecords records;
    gMode.regularProgram = true;
    SideTaskbar taskbar;
    ASSERT_TRUE(taskbar.Made());
    MonitorInfo& monitor = gDisplayState->monitors[0];
    monitor.right = GetSystemMetrics(SM_CXSCREEN) - 1;
    monitor.bottom = GetSystemMetrics(SM_CYSCREEN) - 1;
    monitor.album = 0;
    gDisplayState->lastMonitor = 0;
    int x = 0, y = 0, width = 0, height = 0;
    ASSERT_EQ(AlbumArea(0, &x, &y, &width, &height), kOk);
    EXPECT_GT(width, 0);
    EXPECT_GT(height, 0);

    HWND dialog = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(dialog, nullptr);
    CenterPanel(dialog);
    RECT r;
    GetWindowRect(dialog, &r);
    EXPECT_EQ(r.bottom - r.top, 300);
    DestroyWindow(dialog);
    gMode = {};
}

}  // namespace
}  // namespace quorvel
