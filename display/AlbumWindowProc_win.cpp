// The window procedures of the album windows: painting, ticking, size
// changes, the screen saver's end on input, the three system-menu items,
// the workstation's lock state, and the rebuild after a display or DPI change.
#include <windows.h>
#include <wtsapi32.h>

#include <cstdlib>

#include "base/ErrorReporter_win.h"
#include "base/Hooks_win.h"
#include "display/AlbumWindow_win.h"
#include "base/DisplayState_win.h"
#include "display/Monitors_win.h"

namespace quorvel {

namespace {

bool gPainting[2] = {false, false};
bool gCursorTaken = false;
POINT gFirstCursor = {};

AlbumView* ViewOf(int album) { return gDisplayState ? gDisplayState->albums[album].view : nullptr; }

bool DialogOpen() {
    if (gAppState == nullptr) return false;
    if (gAppState->homeOpen || gAppState->aboutOpen) return true;
    for (DWORD flag : gAppState->panelRequest)
        if (flag) return true;
    return false;
}

// A failed strip rebuild leaves the album nothing to glide over: it is
// raised as fatal, and the window procedure's boundary ends the display.
// Other failures are returned for the caller to judge.
Status RenderFrame(int album, int repaint) {
    bool rebuildFailed = false;
    const Status status = RenderAlbum(album, repaint, &rebuildFailed);
    if (rebuildFailed) ReportError(status, 0);
    return status;
}

void OnPaint(HWND window, int album) {
    PAINTSTRUCT ps;
    BeginPaint(window, &ps);
    if (ViewOf(album) != nullptr && !gPainting[album]) {
        gPainting[album] = true;
        if (Status s = RenderFrame(album, 1); s != kOk) {
            StopAlbumTimer(album);
            ReportError(s, 1);
        }
        gPainting[album] = false;
    }
    EndPaint(window, &ps);
}

void OnSize(HWND window, int album, WPARAM type, LPARAM lParam) {
    if (ViewOf(album) != nullptr) (void)SizeAlbumView(window, type, album, LOWORD(lParam), HIWORD(lParam));
    gPainting[album] = false;
}

// Opens Home or About over this window; a panel that changed what the
// windows show asks for a restart, and this window then makes way.
void OpenDialogOver(HWND window, bool about) {
    if (about ? gAppState->aboutOpen : gAppState->homeOpen) return;
    Status (*open)(HWND) = about ? gHooks.openAbout : gHooks.openHome;
    if (open != nullptr) ReportError(open(window), 1);
    if (gMode.restartRequested) DestroyWindow(window);
}

void OnHelp() {
    if (gHooks.openHomeHelp != nullptr) ReportError(gHooks.openHomeHelp(), 1);
}

LRESULT OnEraseBackground(HWND window, int album, HDC dc) {
    if (dc == nullptr || gDisplayState == nullptr) return 1;
    RECT client;
    GetClientRect(window, &client);
    const PixelBlock& strip = gDisplayState->albums[album].strip;
    if (strip.width < client.right - client.left + 1 || strip.height < client.bottom - client.top + 1) {
        HRGN region = CreateRectRgnIndirect(&client);
        SelectObject(dc, region);
        PaintRgn(dc, region);
        DeleteObject(region);
    }
    return 1;
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

void OnSaverMouseMove() {
    POINT p;
    GetCursorPos(&p);
    if (!gCursorTaken) {
        gFirstCursor = p;
        gCursorTaken = true;
        return;
    }
    if (std::abs(p.x - gFirstCursor.x) + std::abs(p.y - gFirstCursor.y) > 10) PostQuitMessage(0);
}

void OnSessionChange(WPARAM code) {
    switch (code) {
        case WTS_CONSOLE_CONNECT:
            OutputDebugStringW(L"[Quorvel] WTS_CONSOLE_CONNECT,unlock\n");
            gAppState->sessionLocked = 0;
            break;
        case WTS_CONSOLE_DISCONNECT:
            OutputDebugStringW(L"[Quorvel] WTS_CONSOLE_DISCONNECT,lock\n");
            gAppState->sessionLocked = 1;
            break;
        case WTS_SESSION_LOCK:
            OutputDebugStringW(L"[Quorvel] WTS_SESSION_LOCK\n");
            gAppState->sessionLocked = 1;
            break;
        case WTS_SESSION_UNLOCK:
            OutputDebugStringW(L"[Quorvel] WTS_SESSION_UNLOCK\n");
            gAppState->sessionLocked = 0;
            break;
        default:
            break;
    }
}

// Closes an album window; the program ends once album 1's window is gone.
LRESULT CloseAlbumWindow(HWND window) {
    DestroyWindow(window);
    const AlbumView* first = ViewOf(0);
    if (first == nullptr || first->window == nullptr) PostQuitMessage(0);
    return 0;
}

// The three items the album windows add to their window menu.
LRESULT OnQuorvelMenuItem(HWND window, WPARAM wParam, LPARAM lParam) {
    switch (wParam) {
        case kMenuHome: OpenDialogOver(window, false); return 0;
        case kMenuAbout: OpenDialogOver(window, true); return 0;
        case kMenuHelp: OnHelp(); return 0;
        default: DefWindowProcW(window, WM_SYSCOMMAND, wParam, lParam); return 0;
    }
}

void OnDestroyAlbum1(HWND window) {
    if (gAppState->sessionLocked) {
        OutputDebugStringW(L"[Quorvel] WM_DESTROY Session locked\n");
        return;
    }
    StopAlbumTimer(0);
    AlbumView* view = ViewOf(0);
    if (view != nullptr && view->window != nullptr && IsWindow(view->window)) {
        if (!WTSUnRegisterSessionNotification(window)) SaveWindowsError();
        view->window = nullptr;
    }
    gPainting[0] = false;
    if (gMode.showMode)
        OutputDebugStringW(L"Quorvel Saver destoryed\n");
    else if (gMode.previewMode)
        OutputDebugStringW(L"Quorvel Saver preview destroyed\n");
    else
        OutputDebugStringW(L"Quorvel album 1 destroyed\n");
    if (gMode.showMode || gMode.previewMode || gMode.restartRequested) PostQuitMessage(0);
}

LRESULT OnSysCommandAlbum1(HWND window, WPARAM wParam, LPARAM lParam) {
    const UINT command = static_cast<UINT>(wParam & 0xFFF0);
    if (gMode.showMode) {
        if (command == SC_SCREENSAVE || command == SC_MONITORPOWER) return 0;
        return DefWindowProcW(window, WM_SYSCOMMAND, wParam, lParam);
    }
    if (command == SC_CLOSE) {
        OutputDebugStringW(L"Quorvel: SC_CLOSE on album1\n");
        if (gAppState->sessionLocked) {
            OutputDebugStringW(L"[Quorvel] SC_CLOSE Session locked\n");
            return DefWindowProcW(window, WM_SYSCOMMAND, wParam, lParam);
        }
        return CloseAlbumWindow(window);
    }
    return OnQuorvelMenuItem(window, wParam, lParam);
}

LRESULT OnSysCommandAlbum2(HWND window, WPARAM wParam, LPARAM lParam) {
    if ((wParam & 0xFFF0) == SC_CLOSE) return CloseAlbumWindow(window);
    return OnQuorvelMenuItem(window, wParam, lParam);
}

}  // namespace

LRESULT DpiChanged(HWND window, WPARAM wParam, const RECT* suggested, int album) {
    if (gMode.previewMode || DialogOpen()) return 0;
    gDisplayState->albums[album].windowState = 10;
    gMode.currentDpi = LOWORD(wParam);
    if (suggested != nullptr)
        DebugLine(L"Quorvel:Album0:WM_DPICHANGED DPI:%dx%d width:%d height:%d\n", LOWORD(wParam), HIWORD(wParam),
                  suggested->right - suggested->left + 1, suggested->bottom - suggested->top + 1);
    else
        DebugLine(L"Quorvel:Album0: WM_DPICHANGED DPI:%dx%d\n", LOWORD(wParam), HIWORD(wParam));
    gMode.restartRequested = true;
    DestroyWindow(window);
    return 0;
}

LRESULT DisplayChanged(HWND window, WPARAM wParam, LPARAM lParam, int album) {
    if (gMode.previewMode || DialogOpen()) return 0;
    if (gAppState->sessionLocked) {
        OutputDebugStringW(L"[Quorvel] WM_DISPLAYCHANGE Session locked\n");
        return 0;
    }
    gDisplayState->albums[album].windowState = 11;
    const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    DEVMODEW mode = {};
    mode.dmSize = sizeof mode;
    if (EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode)) {
        DebugLine(L"Quorvel:Album0: WM_DISPLAYCHANGE xRes:%d yRes:%d BitsPerPixel:%d cx:%d cy:%d xPels:%d yPels:%d "
                  L"DPI:%d xTopLeft:%d yTopLeft:%d\n",
                  LOWORD(lParam), HIWORD(lParam), static_cast<int>(wParam), cx, cy,
                  static_cast<int>(mode.dmPelsWidth), static_cast<int>(mode.dmPelsHeight), mode.dmLogPixels,
                  static_cast<int>(mode.dmPosition.x), static_cast<int>(mode.dmPosition.y));
        (void)GetCurrentDpi(mode.dmPosition.x, mode.dmPosition.y);
    } else {
        SaveWindowsError();
        DebugLine(L"Quorvel:Windows API failed LastErrorCode: %d\n", static_cast<int>(GetLastError()));
    }
    gMode.restartRequested = true;
    DestroyWindow(window);
    return 0;
}

LRESULT CALLBACK Album1WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // No C++ exception may leave a window procedure: a raised failure ends
    // the display as the start-up frames would.
    try {
        switch (message) {
            case WM_DESTROY:
                OnDestroyAlbum1(window);
                return DefWindowProcW(window, message, wParam, lParam);
            case WM_MOVE: return 0;
            case WM_SIZE: OnSize(window, 0, wParam, lParam); return 0;
            case WM_PAINT: OnPaint(window, 0); return 0;
            case WM_ERASEBKGND: return OnEraseBackground(window, 0, reinterpret_cast<HDC>(wParam));
            case WM_QUERYENDSESSION: return 1;
            case WM_ENDSESSION:
                if (gHooks.shutdown != nullptr) gHooks.shutdown();
            case WM_DISPLAYCHANGE: return DisplayChanged(window, wParam, lParam, 0);
            case WM_KEYDOWN:
            case WM_SYSKEYDOWN:
                if (gMode.showMode) {
                    PostQuitMessage(0);
                    return 1;
                }
                return DefWindowProcW(window, message, wParam, lParam);
            case WM_KEYUP:
            case WM_SYSKEYUP:
                if (gMode.regularProgram && wParam == VK_F2) {
                    if (!gAppState->homeOpen && gHooks.openHome != nullptr) ReportError(gHooks.openHome(window), 1);
                    if (gMode.restartRequested) DestroyWindow(window);
                    return 0;
                }
                return 1;
            case WM_SYSCOMMAND: return OnSysCommandAlbum1(window, wParam, lParam);
            case WM_CLOSE:
                // A close asked from outside (another program, the task
                // list) is handled like the window's own close command, so
                // the program cannot be left running without its window.
                if (gMode.showMode || gMode.previewMode) return DefWindowProcW(window, message, wParam, lParam);
                return OnSysCommandAlbum1(window, SC_CLOSE, 0);
            case WM_TIMER: (void)RenderFrame(0, 0); return 1;
            case WM_MOUSEMOVE:
                if (gMode.showMode) OnSaverMouseMove();
                return DefWindowProcW(window, message, wParam, lParam);
            case WM_LBUTTONDOWN:
            case WM_RBUTTONDOWN:
            case WM_MBUTTONDOWN:
                if (gMode.showMode) {
                    NudgeCursor();
                    return 1;
                }
                return DefWindowProcW(window, message, wParam, lParam);
            case WM_WTSSESSION_CHANGE:
                OnSessionChange(wParam);
                return DefWindowProcW(window, message, wParam, lParam);
            case WM_DPICHANGED: return DpiChanged(window, wParam, reinterpret_cast<const RECT*>(lParam), 0);
            default: return DefWindowProcW(window, message, wParam, lParam);
        }
    } catch (const FatalError& e) {
        MessageBoxW(nullptr, e.text.c_str(), gAppState ? gAppState->caption : L"", MB_OK);
        PostQuitMessage(1);
        return 0;
    }
}

LRESULT CALLBACK Album2WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        switch (message) {
            case WM_DESTROY:
                StopAlbumTimer(1);
                if (AlbumView* view = ViewOf(1)) view->window = nullptr;
                gPainting[1] = false;
                return DefWindowProcW(window, message, wParam, lParam);
            case WM_MOVE: return 0;
            case WM_SIZE: OnSize(window, 1, wParam, lParam); return 0;
            case WM_PAINT: OnPaint(window, 1); return 0;
            case WM_ENDSESSION:
                if (gHooks.shutdown != nullptr) gHooks.shutdown();
            case WM_DISPLAYCHANGE: return DisplayChanged(window, wParam, lParam, 1);
            case WM_SYSCOMMAND: return OnSysCommandAlbum2(window, wParam, lParam);
            case WM_CLOSE: return OnSysCommandAlbum2(window, SC_CLOSE, 0);
            case WM_TIMER: (void)RenderFrame(1, 0); return 1;
            case WM_QUERYENDSESSION:
            case WM_ERASEBKGND: return 1;
            case WM_DPICHANGED: return DpiChanged(window, wParam, reinterpret_cast<const RECT*>(lParam), 1);
            default: return DefWindowProcW(window, message, wParam, lParam);
        }
    } catch (const FatalError& e) {
        MessageBoxW(nullptr, e.text.c_str(), gAppState ? gAppState->caption : L"", MB_OK);
        PostQuitMessage(1);
        return 0;
    }
}

}  // namespace quorvel
