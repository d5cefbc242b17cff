#include "display/AlbumWindow_win.h"

#include <gtest/gtest.h>
#include <wtsapi32.h>

#include <cwchar>

#include "display/DisplayState_win.h"
#include "base/Hooks_win.h"
#include "display/Frame_win.h"
#include "strip/GlidePacer_win.h"
#include "storage/Settings_win.h"
#include "tests/win/BoxWatcher.h"
#include "tests/win/TestState.h"

namespace quorvel {
namespace {

using test::BoxWatcher;
using test::ProcessRecords;

AlbumView& View(int album) { return *gDisplayState->albums[album].view; }

// Both albums with a strip, a matting board and a view, and their windows
// made over a hidden owner as the program makes them; no timers run.
class TwoAlbumWindows {
public:
    TwoAlbumWindows() {
        gMode.role = Role::kProgram;
        wcscpy(gUserSettings->fontName, L"Tahoma");
        gUserSettings->fontSize = 28;
        owner_ = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        made = owner_ != nullptr;
        for (int album = 0; album < kAlbumCount && made; ++album) {
            AlbumSlot& slot = gDisplayState->albums[album];
            slot.strip = PixelBlock::Make(1200, 600);
            slot.mattingThumbnail = PixelBlock::Make(100, 100);
            made = PrepareAlbumView(album) == kOk && CreateAlbumWindow(album, owner_, 0, 0, 800, 500) == kOk;
        }
    }
    ~TwoAlbumWindows() {
        for (AlbumSlot& slot : gDisplayState->albums) {
            if (slot.view != nullptr) CloseAlbumView(static_cast<int>(&slot - gDisplayState->albums));
            FreeAlbumView(slot.view);
        }
        if (gDisplayState->phraseFont != nullptr) DeleteObject(gDisplayState->phraseFont);
        gDisplayState->phraseFont = nullptr;
        DestroyWindow(owner_);
        gMode = {};
    }
    bool made = false;

private:
    HWND owner_ = nullptr;
};

bool NeedsPaint(HWND window) { return GetUpdateRect(window, nullptr, FALSE) != FALSE; }

const AlbumWindowState& StateOf(HWND window) {
    return *reinterpret_cast<const AlbumWindowState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// Takes a quit message the code under test posted off this thread's queue,
// so that it cannot end a later test's message box.
bool TakeQuit() {
    MSG msg;
    bool posted = false;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) posted = true;
    return posted;
}

int gShutdowns = 0;
void CountShutdown() { ++gShutdowns; }

// Counts the WM_CLOSE messages this thread's windows are sent, nested ones
// too (Wine cuts a runaway recursion off at a fixed depth, Windows at the
// stack's end).
int gCloses = 0;
LRESULT CALLBACK CountCloses(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && reinterpret_cast<const CWPSTRUCT*>(lParam)->message == WM_CLOSE) ++gCloses;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Album 1's paint fails and shows its box; while the box is up both windows
// are asked to paint again. Album 2 paints its own album at once; album 1's
// second paint is skipped, since its first is still under way.
TEST(AlbumWindows, EachWindowGuardsOnlyItsOwnPaint) {
    ProcessRecords records;
    TwoAlbumWindows windows;
    ASSERT_TRUE(windows.made);
    const HWND first = View(0).window, second = View(1).window;
    View(0).viewportHeader.biHeight = 1;  // no longer the block's: the frame is refused
    // Album 2 paints only when asked below, so each of its renders is counted.
    ValidateRect(second, nullptr);
    const std::int32_t firstX = View(0).pan.centreX, secondX = View(1).pan.centreX;
    {
        BoxWatcher boxes(IDOK, [&] {
            InvalidateRect(first, nullptr, FALSE);
            InvalidateRect(second, nullptr, FALSE);
            for (int i = 0; i < 200 && (NeedsPaint(first) || NeedsPaint(second)); ++i) Sleep(10);
        });
        UpdateWindow(first);
        EXPECT_EQ(boxes.Boxes().size(), 1u);
    }
    EXPECT_FALSE(NeedsPaint(second));
    EXPECT_EQ(View(1).pan.centreX, secondX + 1) << "album 2 painted while album 1's box was up";
    EXPECT_EQ(View(0).pan.centreX, firstX + 1) << "album 1 rendered once";
}

// However the close is asked, album 1's window stays while the workstation
// is locked; a remote connect ends the lock as a console connect does.
TEST(AlbumWindows, LockedAlbumOneRefusesToCloseUntilTheSessionConnects) {
    ProcessRecords records;
    TwoAlbumWindows windows;
    ASSERT_TRUE(windows.made);
    const HWND first = View(0).window;
    gAppState->sessionLocked = 1;
    gCloses = 0;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, CountCloses, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    SendMessageW(first, WM_CLOSE, 0, 0);
    SendMessageW(first, WM_SYSCOMMAND, SC_CLOSE, 0);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(gCloses, 1) << "the close came back to the window";
    EXPECT_TRUE(IsWindow(first));
    SendMessageW(first, WM_WTSSESSION_CHANGE, WTS_REMOTE_CONNECT, 0);
    EXPECT_EQ(gAppState->sessionLocked, 0u);
    SendMessageW(first, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_TRUE(TakeQuit());
}

// Another program cancelled the log-off: the display goes on as it was.
TEST(AlbumWindows, EndSessionShutsDownOnlyWhenTheSessionEnds) {
    ProcessRecords records;
    TwoAlbumWindows windows;
    ASSERT_TRUE(windows.made);
    const HWND first = View(0).window;
    gHooks.shutdown = CountShutdown;
    gShutdowns = 0;
    SendMessageW(first, WM_ENDSESSION, FALSE, 0);
    EXPECT_EQ(gShutdowns, 0);
    EXPECT_TRUE(IsWindow(first));
    EXPECT_FALSE(gMode.restartRequested);
    SendMessageW(first, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(gShutdowns, 1);
    gHooks = {};
}

// A failed strip rebuild raises inside the paint: the procedure shows it and
// ends the display, and the paint is still ended and its guard cleared.
TEST(AlbumWindows, ARaiseInsideAPaintStaysInTheProcedure) {
    ProcessRecords records;
    TwoAlbumWindows windows;
    ASSERT_TRUE(windows.made);
    const HWND first = View(0).window;
    View(0).pan.turns = 5;
    gDisplayState->albums[0].effectsEnabled = 2;  // a rebuild is due, with no photos to build from
    InvalidateRect(first, nullptr, FALSE);
    {
        BoxWatcher boxes;
        UpdateWindow(first);
        EXPECT_EQ(boxes.Boxes().size(), 1u);
    }
    EXPECT_FALSE(NeedsPaint(first));
    EXPECT_FALSE(StateOf(first).painting);
    EXPECT_TRUE(TakeQuit());
}

// A DPI change on album 2's monitor rebuilds the whole display: album 1's
// window goes too, and its going ends the loop for the restart.
TEST(AlbumWindows, ADpiChangeOnAlbumTwoRestartsTheWholeDisplay) {
    ProcessRecords records;
    TwoAlbumWindows windows;
    ASSERT_TRUE(windows.made);
    const HWND first = View(0).window, second = View(1).window;
    RECT suggested = {0, 0, 800, 500};
    SendMessageW(second, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_FALSE(IsWindow(second));
    EXPECT_FALSE(IsWindow(first));
    EXPECT_TRUE(gMode.restartRequested);
    EXPECT_TRUE(TakeQuit());
}

// With "SmoothGlide=1" album 1 glides without a window timer: its waiter
// asks for frames, each moves the pan as far as the clock says, and the
// waiter ends with the display (the leak listener sees its thread go).
TEST(AlbumWindows, SmoothGlideDrawsWhenItsWaiterAsksAndStopsWithTheWindow) {
    ProcessRecords records;
    ASSERT_TRUE(WritePrivateProfileStringW(L"Header", L"SmoothGlide", L"1", records.settingsFile().c_str()));
    EXPECT_EQ(ReadAllSettings(), kOk);
    TwoAlbumWindows windows;
    ASSERT_TRUE(windows.made);
    const HWND window = View(0).window;
    const std::int32_t startX = View(0).pan.centreX;
    View(0).timerInterval = kAlbum1Interval;
    ASSERT_EQ(StartAlbumTimer(0), kOk);
    EXPECT_FALSE(KillTimer(window, 1)) << "no window timer";
    int frames = 0;
    const DWORD giveUp = GetTickCount() + 20000;
    MSG msg;
    while (View(0).pan.centreX < startX + 3 && GetTickCount() < giveUp) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            frames += msg.message == kGlideFrameMessage && msg.hwnd == window;
            DispatchMessageW(&msg);
        }
    }
    EXPECT_GE(View(0).pan.centreX, startX + 3);
    EXPECT_GT(frames, 3) << "more frames than whole-pixel steps";
    StopAlbumTimer(0);
}

}  // namespace
}  // namespace quorvel
