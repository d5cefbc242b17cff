// The window procedure of the album windows: painting, ticking, size
// changes, the screen saver's end on input, the three system-menu items,
// the workstation's lock state, and the rebuild after a display or DPI change.
// Both album windows run it; each reaches its own AlbumWindowState through
// its user data, and album 1's window also carries the duties of its role.
#include <windows.h>
#include <wtsapi32.h>

#include <cstdlib>
#include <memory>

#include "display/DisplayState_win.h"
#include "base/ErrorReporter_win.h"
#include "base/Guards_win.h"
#include "base/Hooks_win.h"
#include "display/AlbumWindow_win.h"
#include "strip/GlidePacer_win.h"
#include "display/Monitors_win.h"

namespace quorvel {

namespace {

AlbumView* ViewOf(int album) { return gDisplayState ? gDisplayState->albums[album].view : nullptr; }

AlbumWindowState* StateOf(HWND window) {
    return reinterpret_cast<AlbumWindowState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

bool Leads(const AlbumWindowState& state) { return state.role == AlbumRole::kLead; }

// Album 1's window in the screen saver: a key on it ends the saver, and it
// keeps the screen from other savers and from the monitor's power-off.
bool IsSaverLead(const AlbumWindowState& state) { return Leads(state) && gMode.role == Role::kSaver; }

// In the saver the mouse ends the display over either album's window, by
// album 1's rules: every move is measured from the first position album 1's
// record took, whichever window saw it.
AlbumWindowState* SaverCursorRecord(AlbumWindowState& state) {
    if (Leads(state)) return &state;
    const AlbumView* first = ViewOf(0);
    return first != nullptr && first->window != nullptr ? StateOf(first->window) : nullptr;
}

void TakeState(HWND window, LPARAM lParam) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    auto* handed = static_cast<std::unique_ptr<AlbumWindowState>*>(create->lpCreateParams);
    if (handed != nullptr) SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(handed->release()));
}

void FreeState(HWND window) {
    std::unique_ptr<AlbumWindowState> owned(StateOf(window));
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
}

bool DialogOpen() {
    if (gAppState == nullptr) return false;
    if (gAppState->homeOpen || gAppState->aboutOpen) return true;
    for (DWORD flag : gAppState->panelRequest)
        if (flag) return true;
    return false;
}

// Holds a window's paint guard for one paint. The record is looked up again
// at the end: a failure box shown during the paint runs a message loop, in
// which the window may be destroyed and its record freed.
class PaintingFlag {
public:
    explicit PaintingFlag(HWND window) : window_(window) { StateOf(window)->painting = true; }
    PaintingFlag(const PaintingFlag&) = delete;
    PaintingFlag& operator=(const PaintingFlag&) = delete;
    ~PaintingFlag() {
        if (AlbumWindowState* state = StateOf(window_)) state->painting = false;
    }

private:
    HWND window_;
};

// A failed strip rebuild leaves the album nothing to glide over: the
// display ends, raised to this procedure's boundary.
void EndIfRebuildFailed(Status status, bool rebuildFailed) {
    if (rebuildFailed) RaiseFatal(status);
}

void OnPaint(HWND window, const AlbumWindowState& state) {
    PaintScope paint(window);
    if (ViewOf(state.album) == nullptr || state.painting) return;
    PaintingFlag painting(window);
    bool rebuildFailed = false;
    const Status s = RenderAlbum(state.album, 1, &rebuildFailed);
    EndIfRebuildFailed(s, rebuildFailed);
    if (s != kOk) {
        StopAlbumTimer(state.album);
        ShowError(s);
    }
}

// A tick's other failures are not reported: the timer would show the box
// again at every tick. A paint meets the same failure, reports it once and
// stops the timer.
LRESULT OnTimer(const AlbumWindowState& state) {
    bool rebuildFailed = false;
    const Status s = RenderAlbum(state.album, 0, &rebuildFailed);
    EndIfRebuildFailed(s, rebuildFailed);
    return 1;
}

// The smooth glide's frame, asked by its waiter at the display's refresh.
// One may still arrive after the display stopped. Its other failures go
// unreported, as a tick's do.
LRESULT OnGlideFrame(HWND window, const AlbumWindowState& state, WPARAM refreshPeriod) {
    const AlbumView* view = ViewOf(state.album);
    bool rebuildFailed = false;
    if (view != nullptr && view->timerRunning) {
        const Status s = ShowGlideFrame(state.album, static_cast<std::int64_t>(refreshPeriod), &rebuildFailed);
        EndIfRebuildFailed(s, rebuildFailed);
    }
    GlideFrameDrawn(window);
    return 0;
}

// A view the size leaves without a frame bitmap (a display of other than
// 32 bits) is reported by the next paint, which has nothing to draw into.
void OnSize(HWND window, AlbumWindowState& state, WPARAM type, LPARAM lParam) {
    if (ViewOf(state.album) != nullptr) (void)SizeAlbumView(window, type, state.album, LOWORD(lParam), HIWORD(lParam));
    state.painting = false;
}

// Opens Home or About over this window unless it is open already.
void OpenDialogOver(HWND window, DWORD alreadyOpen, Status (*open)(HWND)) {
    if (!alreadyOpen && open != nullptr) ShowError(open(window));
}

// A panel that changed what the windows show, or a DPI or display change,
// asks for a restart, and this window then makes way. The loop restarts
// once album 1's window is gone, so album 2's window takes it along.
void MakeWayForRestart(HWND window) {
    if (!gMode.restartRequested) return;
    DestroyWindow(window);
    const AlbumView* first = ViewOf(0);
    if (first != nullptr && first->window != nullptr && IsWindow(first->window)) DestroyWindow(first->window);
}

void OnHelp() {
    if (gHooks.openHomeHelp != nullptr) ShowError(gHooks.openHomeHelp());
}

LRESULT OnEraseBackground(HWND window, const AlbumWindowState& state, HDC dc) {
    if (!Leads(state) || dc == nullptr || gDisplayState == nullptr) return 1;
    RECT client;
    GetClientRect(window, &client);
    const PixelBlock& strip = gDisplayState->albums[state.album].strip;
    if (strip.width < client.right - client.left + 1 || strip.height < client.bottom - client.top + 1) {
        // A selected region becomes the context's clip region, a copy: there
        // is no earlier object to select back.
        RegionHandle region(CreateRectRgnIndirect(&client));
        SelectObject(dc, region.get());
        PaintRgn(dc, region.get());
    }
    return 1;
}

LRESULT OnKeyDown(HWND window, const AlbumWindowState& state, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!IsSaverLead(state)) return DefWindowProcW(window, message, wParam, lParam);
    PostQuitMessage(0);
    return 1;
}

// F2 in the program opens Home over album 1's window.
LRESULT OnKeyUp(HWND window, const AlbumWindowState& state, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!Leads(state)) return DefWindowProcW(window, message, wParam, lParam);
    if (gMode.role != Role::kProgram || wParam != VK_F2) return 1;
    OpenDialogOver(window, gAppState->homeOpen, gHooks.openHome);
    MakeWayForRestart(window);
    return 0;
}

// In the screen saver a click moves the cursor a pixel so that Windows sees
// movement and the mouse-move rule ends the saver.
void NudgeCursor() {
    POINT p;
    GetCursorPos(&p);
    SetCursorPos(p.x + 1, p.y + 1);
    POINT q;
    GetCursorPos(&q);
    if (q.x != p.x + 1 && q.y != p.y + 1) SetCursorPos(p.x + 1 - 2, p.y + 1 - 2);
}

LRESULT OnButtonDown(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (gMode.role != Role::kSaver) return DefWindowProcW(window, message, wParam, lParam);
    NudgeCursor();
    return 1;
}

LRESULT OnMouseMove(HWND window, AlbumWindowState& state, WPARAM wParam, LPARAM lParam) {
    AlbumWindowState* record = gMode.role == Role::kSaver ? SaverCursorRecord(state) : nullptr;
    if (record != nullptr) {
        POINT p;
        GetCursorPos(&p);
        if (!record->cursorTaken) {
            record->firstCursor = p;
            record->cursorTaken = true;
        } else if (std::abs(p.x - record->firstCursor.x) + std::abs(p.y - record->firstCursor.y) > 10) {
            PostQuitMessage(0);
        }
    }
    return DefWindowProcW(window, WM_MOUSEMOVE, wParam, lParam);
}

// Only album 1's window is registered for session notifications. While
// the workstation is locked (or its console is away) the window stays.
void OnSessionChange(WPARAM code) {
    static const struct {
        WPARAM code;
        const wchar_t* line;
        DWORD locked;
    } kChanges[] = {
        {WTS_CONSOLE_CONNECT, L"[Quorvel] WTS_CONSOLE_CONNECT,unlock\n", 0},
        {WTS_REMOTE_CONNECT, L"[Quorvel] WTS_REMOTE_CONNECT,unlock\n", 0},
        {WTS_CONSOLE_DISCONNECT, L"[Quorvel] WTS_CONSOLE_DISCONNECT,lock\n", 1},
        {WTS_SESSION_LOCK, L"[Quorvel] WTS_SESSION_LOCK\n", 1},
        {WTS_SESSION_UNLOCK, L"[Quorvel] WTS_SESSION_UNLOCK\n", 0},
    };
    for (const auto& change : kChanges)
        if (change.code == code) {
            OutputDebugStringW(change.line);
            gAppState->sessionLocked = change.locked;
        }
}

// Closes an album window; the program ends once album 1's window is gone.
LRESULT CloseAlbumWindow(HWND window) {
    DestroyWindow(window);
    const AlbumView* first = ViewOf(0);
    if (first == nullptr || first->window == nullptr) PostQuitMessage(0);
    return 0;
}

// While the workstation is locked album 1's window refuses to close. The
// command is not passed on: the default handling would send WM_CLOSE, which
// comes back here.
LRESULT OnCloseCommand(HWND window, const AlbumWindowState& state) {
    if (Leads(state)) {
        OutputDebugStringW(L"Quorvel: SC_CLOSE on album1\n");
        if (gAppState->sessionLocked) {
            OutputDebugStringW(L"[Quorvel] SC_CLOSE Session locked\n");
            return 0;
        }
    }
    return CloseAlbumWindow(window);
}

// The Home or About item; with that dialog open already it does nothing.
LRESULT OnDialogItem(HWND window, DWORD alreadyOpen, Status (*open)(HWND)) {
    if (alreadyOpen) return 0;
    OpenDialogOver(window, alreadyOpen, open);
    MakeWayForRestart(window);
    return 0;
}

// The three items the album windows add to their window menu.
LRESULT OnQuorvelMenuItem(HWND window, WPARAM wParam, LPARAM lParam) {
    switch (wParam) {
        case kMenuHome: return OnDialogItem(window, gAppState->homeOpen, gHooks.openHome);
        case kMenuAbout: return OnDialogItem(window, gAppState->aboutOpen, gHooks.openAbout);
        case kMenuHelp: OnHelp(); return 0;
        default: DefWindowProcW(window, WM_SYSCOMMAND, wParam, lParam); return 0;
    }
}

LRESULT OnSysCommand(HWND window, const AlbumWindowState& state, WPARAM wParam, LPARAM lParam) {
    const UINT command = static_cast<UINT>(wParam & 0xFFF0);
    if (IsSaverLead(state)) {
        // The saver keeps the screen: no other saver, no monitor power-off.
        if (command == SC_SCREENSAVE || command == SC_MONITORPOWER) return 0;
        return DefWindowProcW(window, WM_SYSCOMMAND, wParam, lParam);
    }
    if (command == SC_CLOSE) return OnCloseCommand(window, state);
    return OnQuorvelMenuItem(window, wParam, lParam);
}

// A close asked from outside (another program, the task list) is handled
// like the window's own close command, so the program cannot be left
// running without its window; the saver's and the preview's album 1 close
// as any window.
LRESULT OnClose(HWND window, const AlbumWindowState& state, WPARAM wParam, LPARAM lParam) {
    if (Leads(state) && (gMode.role == Role::kSaver || gMode.role == Role::kPreview))
        return DefWindowProcW(window, WM_CLOSE, wParam, lParam);
    return OnSysCommand(window, state, SC_CLOSE, 0);
}

// While the workstation is locked album 1's window keeps its timer, session
// registration and handle.
void OnDestroy(HWND window, AlbumWindowState& state) {
    if (Leads(state) && gAppState->sessionLocked) {
        OutputDebugStringW(L"[Quorvel] WM_DESTROY Session locked\n");
        return;
    }
    StopAlbumTimer(state.album);
    state.painting = false;
    AlbumView* view = ViewOf(state.album);
    if (!Leads(state)) {
        if (view != nullptr) view->window = nullptr;
        return;
    }
    if (view != nullptr && view->window != nullptr && IsWindow(view->window)) {
        if (!WTSUnRegisterSessionNotification(window)) SaveWindowsError();
        view->window = nullptr;
    }
    if (gMode.role == Role::kSaver)
        OutputDebugStringW(L"Quorvel Saver destoryed\n");
    else if (gMode.role == Role::kPreview)
        OutputDebugStringW(L"Quorvel Saver preview destroyed\n");
    else
        OutputDebugStringW(L"Quorvel album 1 destroyed\n");
    if (gMode.role == Role::kSaver || gMode.role == Role::kPreview || gMode.restartRequested) PostQuitMessage(0);
}

// A false wParam means another program cancelled the log-off, and the
// display goes on.
LRESULT OnEndSession(WPARAM sessionEnds) {
    if (sessionEnds && gHooks.shutdown != nullptr) gHooks.shutdown();
    return 0;
}

}  // namespace

LRESULT DpiChanged(HWND window, WPARAM wParam, const RECT* suggested, int album) {
    if (gMode.role == Role::kPreview || DialogOpen()) return 0;
    gDisplayState->albums[album].windowState = kDpiChanged;
    gMode.currentDpi = LOWORD(wParam);
    if (suggested != nullptr)
        DebugLine(L"Quorvel:Album0:WM_DPICHANGED DPI:%dx%d width:%d height:%d\n", LOWORD(wParam), HIWORD(wParam),
                  suggested->right - suggested->left + 1, suggested->bottom - suggested->top + 1);
    else
        DebugLine(L"Quorvel:Album0: WM_DPICHANGED DPI:%dx%d\n", LOWORD(wParam), HIWORD(wParam));
    gMode.restartRequested = true;
    MakeWayForRestart(window);
    return 0;
}

LRESULT DisplayChanged(HWND window, WPARAM wParam, LPARAM lParam, int album) {
    if (gMode.role == Role::kPreview || DialogOpen()) return 0;
    if (gAppState->sessionLocked) {
        OutputDebugStringW(L"[Quorvel] WM_DISPLAYCHANGE Session locked\n");
        return 0;
    }
    gDisplayState->albums[album].windowState = kDisplayChanged;
    const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    DEVMODEW mode = {};
    mode.dmSize = sizeof mode;
    if (EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode)) {
        DebugLine(
            L"Quorvel:Album0: WM_DISPLAYCHANGE xRes:%d yRes:%d BitsPerPixel:%d cx:%d cy:%d xPels:%d yPels:%d "
            L"DPI:%d xTopLeft:%d yTopLeft:%d\n",
            LOWORD(lParam), HIWORD(lParam), static_cast<int>(wParam), cx, cy, static_cast<int>(mode.dmPelsWidth),
            static_cast<int>(mode.dmPelsHeight), mode.dmLogPixels, static_cast<int>(mode.dmPosition.x),
            static_cast<int>(mode.dmPosition.y));
        // A failed lookup has told the user in its notification; the restart
        // goes on with the DPI it had.
        if (GetCurrentDpi(mode.dmPosition.x, mode.dmPosition.y) != kOk) gErrorLocation = {};
    } else {
        SaveWindowsError();
        DebugLine(L"Quorvel:Windows API failed LastErrorCode: %d\n", static_cast<int>(GetLastError()));
    }
    gMode.restartRequested = true;
    MakeWayForRestart(window);
    return 0;
}

LRESULT CALLBACK AlbumWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // No C++ exception may leave a window procedure: user32 between here and
    // the message loop cannot pass it on.
    try {
        if (message == WM_NCCREATE) TakeState(window, lParam);
        AlbumWindowState* state = StateOf(window);
        // A few messages come before WM_NCCREATE (WM_GETMINMAXINFO).
        if (state == nullptr) return DefWindowProcW(window, message, wParam, lParam);
        switch (message) {
            case WM_DESTROY: OnDestroy(window, *state); return DefWindowProcW(window, message, wParam, lParam);
            case WM_NCDESTROY: FreeState(window); return DefWindowProcW(window, message, wParam, lParam);
            case WM_MOVE: return 0;
            case WM_SIZE: OnSize(window, *state, wParam, lParam); return 0;
            case WM_PAINT: OnPaint(window, *state); return 0;
            case WM_ERASEBKGND: return OnEraseBackground(window, *state, reinterpret_cast<HDC>(wParam));
            case WM_QUERYENDSESSION: return 1;
            case WM_ENDSESSION: return OnEndSession(wParam);
            case WM_DISPLAYCHANGE: return DisplayChanged(window, wParam, lParam, state->album);
            case WM_KEYDOWN:
            case WM_SYSKEYDOWN: return OnKeyDown(window, *state, message, wParam, lParam);
            case WM_KEYUP:
            case WM_SYSKEYUP: return OnKeyUp(window, *state, message, wParam, lParam);
            case WM_SYSCOMMAND: return OnSysCommand(window, *state, wParam, lParam);
            case WM_CLOSE: return OnClose(window, *state, wParam, lParam);
            case WM_TIMER: return OnTimer(*state);
            case kGlideFrameMessage: return OnGlideFrame(window, *state, wParam);
            case WM_MOUSEMOVE: return OnMouseMove(window, *state, wParam, lParam);
            case WM_LBUTTONDOWN:
            case WM_RBUTTONDOWN:
            case WM_MBUTTONDOWN: return OnButtonDown(window, message, wParam, lParam);
            case WM_WTSSESSION_CHANGE:
                if (Leads(*state)) OnSessionChange(wParam);
                return DefWindowProcW(window, message, wParam, lParam);
            case WM_DPICHANGED: return DpiChanged(window, wParam, reinterpret_cast<const RECT*>(lParam), state->album);
            default: return DefWindowProcW(window, message, wParam, lParam);
        }
    } catch (const FatalError& e) {
        ShowFatal(e, gAppState ? gAppState->caption : L"");
    } catch (...) {
        ShowUnexpectedFailure(gAppState ? gAppState->caption : L"");
    }
    // The boundary's answer to a failure raised below it, as the start-up
    // frames answer theirs: the text in a box, then the end of the display.
    PostQuitMessage(1);
    return 0;
}

}  // namespace quorvel
