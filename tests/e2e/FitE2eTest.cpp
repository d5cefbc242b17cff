// Every dialog of the program fits the screen it opens on, at each DPI a
// user may have, on a laptop, an ordinary and a 4K screen: the window lies
// inside the work area, no shown control lies outside the dialog's client
// area, and no two shown controls overlap unless a group box holds the
// other. The screen size comes from QV_SCREEN (set by ctest from the test's
// name, see CMakeLists.txt).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/e2e/Driver.h"
#include "tests/e2e/Scenario.h"

using namespace quorvel::e2e;

namespace {

const wchar_t kHome[] = L"Home - Quorvel";
const int kDpis[] = {96, 120, 144, 192};

bool IsGroupBox(HWND control) {
    return ClassName(control) == L"Button" && (GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

std::string Describe(HWND control) {
    return Narrow(ClassName(control)) + " " + std::to_string(GetDlgCtrlID(control)) + " \"" +
           Narrow(WindowText(control)) + "\"";
}

void ExpectFits(HWND dialog, const std::string& what) {
    SCOPED_TRACE(what);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTOPRIMARY), &monitor));
    const RECT window = Rect(dialog);
    EXPECT_TRUE(Inside(window, monitor.rcWork))
        << "window " << window.left << "," << window.top << "-" << window.right << "," << window.bottom;
    const RECT client = ClientRect(dialog);
    std::vector<HWND> shown;
    for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT))
        if (IsControlVisible(c)) shown.push_back(c);
    for (HWND c : shown) EXPECT_TRUE(Inside(Rect(c), client)) << Describe(c) << " is cut off";
    for (std::size_t i = 0; i < shown.size(); ++i)
        for (std::size_t j = i + 1; j < shown.size(); ++j) {
            RECT overlap;
            const RECT a = Rect(shown[i]), b = Rect(shown[j]);
            if (!IntersectRect(&overlap, &a, &b)) continue;
            const bool held = (IsGroupBox(shown[i]) && Inside(b, a)) || (IsGroupBox(shown[j]) && Inside(a, b));
            EXPECT_TRUE(held) << Describe(shown[i]) << " overlaps " << Describe(shown[j]);
        }
}

// Configure mode hides the album phrases: the saver phrase takes their place
// rather than leaving an empty block, and the dialog keeps no spare height.
void ExpectNoEmptyBlock(HWND home, const std::string& what) {
    SCOPED_TRACE(what);
    const RECT header = Rect(FindControl(home, IDC_HOME_HEADER));
    const RECT saver = Rect(FindControl(home, IDC_SAVER_GROUP));
    const RECT firstButton = Rect(FindControl(home, IDC_IMPORT_ALBUM));
    // The saver group starts where the album group did, level with the
    // first button of the right-hand column.
    EXPECT_LE(saver.top - header.bottom, firstButton.top - header.bottom + 8);
    int lowest = 0;
    for (HWND c = GetWindow(home, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT))
        if (IsControlVisible(c)) lowest = std::max<int>(lowest, Rect(c).bottom);
    EXPECT_LE(ClientRect(home).bottom - lowest, 2 * (firstButton.top - header.bottom) + 8);
}

// A dialog of the program other than Home and other than a message box.
HWND WaitForPanel(DWORD pid) {
    return WaitForWindow(pid, [](HWND w) {
        return ClassName(w) == L"#32770" && WindowText(w) != kHome &&
               WindowText(w).find(L"Quorvel") != std::wstring::npos && FindControl(w, 0xFFFF) == nullptr;
    });
}

// Closes a panel as a user does, saying yes to what it asks on the way.
void ClosePanel(const Process& p, HWND panel) {
    PostMessageW(panel, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitUntil([&] {
        for (HWND w : TopLevelWindows(p.Pid()))
            if (auto box = ReadMessageBox(w)) Answer(*box, box->buttons.front());
        return !IsWindow(panel);
    }));
}

class DialogFit : public ::testing::Test {
protected:
    // The configure screen: Home without the album controls, and without
    // the room they took, About, and the panels it opens.
    void ConfigureScreen(int dpi) {
        Process p;
        ASSERT_TRUE(p.Start(InstalledProgram(L"Quorvel.scr")));
        HWND home = WaitForWindow(p.Pid(), kHome);
        ASSERT_NE(home, nullptr);
        const std::string at = " at " + std::to_string(dpi) + " DPI";
        ExpectFits(home, "configure Home" + at);
        ExpectNoEmptyBlock(home, "configure Home" + at);
        for (int button : {IDC_PHOTOS_PANEL, IDC_MATTINGS_PANEL, IDC_PHRASES_PANEL, IDC_MONITORS_PANEL}) {
            ASSERT_TRUE(ClickButton(FindControl(home, button)));
            HWND panel = WaitForPanel(p.Pid());
            ASSERT_NE(panel, nullptr) << button;
            ExpectFits(panel, "configure " + Narrow(WindowText(panel)) + at);
            ClosePanel(p, panel);
        }
        PostMessageW(home, WM_SYSCOMMAND, IDM_PANEL_ABOUT, 0);
        HWND about = WaitForWindow(p.Pid(), L"About - Quorvel");
        ASSERT_NE(about, nullptr);
        ExpectFits(about, "About" + at);
        ClosePanel(p, about);
    }
    // The program: Home with the album controls, and the Power panel, which
    // only the program offers.
    void Program(int dpi) {
        Process p;
        ASSERT_TRUE(p.Start(InstalledProgram(L"Quorvel.exe")));
        HWND album = WaitForAlbumWindow(p);
        ASSERT_NE(album, nullptr);
        ASSERT_TRUE(SendKey(album, VK_F2));
        HWND home = WaitForWindow(p.Pid(), kHome);
        ASSERT_NE(home, nullptr);
        const std::string at = " at " + std::to_string(dpi) + " DPI";
        ExpectFits(home, "Home" + at);
        ASSERT_TRUE(ClickButton(FindControl(home, IDC_POWER_PANEL)));
        HWND power = WaitForPanel(p.Pid());
        ASSERT_NE(power, nullptr);
        ExpectFits(power, "Power" + at);
        ClosePanel(p, power);
    }
    void EveryDialogAtEveryDpi() {
        for (int dpi : kDpis) {
            ASSERT_TRUE(RegWriteDword(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", dpi));
            ConfigureScreen(dpi);
            Program(dpi);
        }
    }
};

TEST_F(DialogFit, OnALaptopScreen) { EveryDialogAtEveryDpi(); }
TEST_F(DialogFit, OnAFullHdScreen) { EveryDialogAtEveryDpi(); }
TEST_F(DialogFit, OnA4kScreen) { EveryDialogAtEveryDpi(); }

}  // namespace
