#include "display/AlbumWindow_win.h"

#include <wtsapi32.h>

#include <algorithm>
#include <cwchar>
#include <memory>
#include <new>
#include <string>

#include "base/ErrorReporter_win.h"
#include "base/Guards_win.h"
#include "storage/Settings_win.h"
#include "base/Text.h"
#include "base/Utilities_win.h"
#include "display/DisplayState_win.h"
#include "display/Frame_win.h"
#include "strip/GlidePacer_win.h"
#include "display/Monitors_win.h"
#include "strip/Pan.h"
#include "strip/Strip_win.h"
#include "res/resource.h"

namespace quorvel {

namespace {

const wchar_t kModule[] = L"DecodeImage";

AlbumView* ViewOf(int album) {
    if (gDisplayState == nullptr || album < 0 || album > 1) return nullptr;
    return gDisplayState->albums[album].view;
}

void ReleaseMemoryBitmap(AlbumView& view) {
    view.viewport = {};
    view.selectedBitmap.reset();
    view.memoryDc.reset();
    view.memoryBitmap.reset();
}

// A frame needs a viewport, a window and the matting tile.
bool HasFrame(int album, const AlbumView* view) {
    return view != nullptr && view->viewportWidth > 0 && view->window != nullptr &&
           !gDisplayState->albums[album].mattingTile.block.Empty();
}

// The user's choice of the smooth glide: frames at the display's refresh,
// between whole pixels, instead of the one-pixel timer tick.
bool GlidesSmoothly() { return gUserSettings != nullptr && gUserSettings->smoothGlide != 0; }

// The glide's clock starts over when the display starts again after a
// pause, and after a wait this long (a suspended machine, a debugger): past
// it, catching up would race the viewport across the strip.
constexpr std::int64_t kLongestCatchUpTicks = 32;

void RestartGlideClock(AlbumView& view) {
    view.glideStart = GlideClock();
    view.glideTicks = 0;
}

// After every fifth turn a tick goes to the playback effects instead of the
// pan: true when it did, with the rebuild's start in *status.
bool EffectTurnDue(int album, AlbumView& view, Status* status) {
    if (view.pan.turns < 5) return false;
    view.pan.turns = 0;
    AlbumSlot& slot = gDisplayState->albums[album];
    const int bit = NextEffectBit(slot.effectsEnabled, slot.effectsApplied);
    *status = bit != 0 ? BeginEffectRebuild(slot, bit) : kOk;
    return true;
}

// While a rebuild of the strip runs, each tick recolours a slice of it
// before the pan moves, around the columns the frame shows.
Status ContinueRebuildUnderView(int album, const AlbumView& view) {
    AlbumSlot& slot = gDisplayState->albums[album];
    if (!slot.rebuild.Running()) return kOk;
    const std::int32_t left = view.pan.centreX - view.viewportWidth / 2;
    return ContinueEffectRebuild(slot, {left, left + view.viewportWidth - 1});
}

// One timer tick: the rebuild's slice, then the pan step.
Status TickOnce(int album, AlbumView& view, bool* rebuildFailed) {
    if (Status s = ContinueRebuildUnderView(album, view); s != kOk) {
        *rebuildFailed = true;
        return s;
    }
    // After the fifth turn the pan step only starts a rebuild, so a failure
    // of that step is the rebuild's.
    const bool rebuildDue = view.pan.turns >= 5;
    const Status s = PanStep(album);
    *rebuildFailed = s != kOk && rebuildDue;
    return s;
}

// One frame of the smooth glide drawn into the frame's bitmap for the time
// `when`: every tick due by then, each as a timer tick would have been
// (rebuild slice, effect turn, pan move), then the viewport as far past the
// last as the clock will be.
Status GlideOnce(int album, AlbumView& view, LONGLONG when, bool* rebuildFailed) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    if (view.glideStart == 0) RestartGlideClock(view);
    std::int64_t position = GlidePosition(when - view.glideStart, frequency.QuadPart, view.timerInterval);
    if (position / 256 - view.glideTicks > kLongestCatchUpTicks) {
        RestartGlideClock(view);
        position = 0;
    }
    const PixelBlock& strip = gDisplayState->albums[album].strip;
    for (; view.glideTicks < position / 256; ++view.glideTicks) {
        Status s = ContinueRebuildUnderView(album, view);
        if (s == kOk && !EffectTurnDue(album, view, &s))
            AdvancePan(strip.width, strip.height, view.pan, view.viewportWidth, view.viewportHeight);
        if (s != kOk) {
            *rebuildFailed = true;
            return s;
        }
    }
    if (view.viewport.Empty()) return Fail(QV_SITE(kModule), kErrBitmapDisplay);
    GdiFlush();
    const Status status = DrawGlide(strip, view.pan, static_cast<std::int32_t>(position % 256), view.viewport);
    if (status != kOk) SetErrorLocation(QV_SITE(kModule));
    return status;
}

constexpr wchar_t kSaverCoverClass[] = L"Quorvel Saver Cover";

// The saver's cover hands the input it sees to album 1's window, whose rules
// end the saver (a key, a mouse moved more than ten pixels, a click), and
// a click on it leaves the activation with album 1.
LRESULT CALLBACK SaverCoverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_SYSCOMMAND:
            if (const AlbumView* lead = ViewOf(0); lead != nullptr && IsWindow(lead->window))
                return SendMessageW(lead->window, message, wParam, lParam);
            break;
        case WM_NCDESTROY:
            if (gDisplayState != nullptr && gDisplayState->saverCover == window) gDisplayState->saverCover = nullptr;
            break;
        default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The saver covers every monitor whole: one black topmost window over the
// virtual screen (the bounding rectangle of all monitors), made before the
// album windows, which it owns, so that they stay above it. A cover from an
// earlier start goes first.
Status OpenSaverCover() {
    if (gDisplayState->saverCover != nullptr) DestroyWindow(gDisplayState->saverCover);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(gAppState->instance, kSaverCoverClass, &wc)) {
        wc.lpfnWndProc = SaverCoverProc;
        wc.hInstance = gAppState->instance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        wc.lpszClassName = kSaverCoverClass;
        if (RegisterClassExW(&wc) == 0) {
            SaveWindowsError();
            return Fail(QV_SITE(kModule), kErrClassRegistration);
        }
    }
    // A tool window, so that the taskbar shows no button for it.
    HWND cover = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kSaverCoverClass, L"", WS_POPUP,
                                 GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                                 GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN), nullptr,
                                 nullptr, gAppState->instance, nullptr);
    if (cover == nullptr) {
        SaveWindowsError();
        return Fail(QV_SITE(kModule), kErrCreateWindow);
    }
    gDisplayState->saverCover = cover;
    ShowWindow(cover, SW_SHOWNA);
    return kOk;
}

}  // namespace

Status CreateAlbumWindow(int album, HWND owner, int x, int y, int width, int height) {
    AlbumView* view = ViewOf(album);
    if (!IsWindow(owner) || width == 0 || height == 0 || gUserSettings == nullptr || gAppState == nullptr ||
        view == nullptr)
        return Fail(QV_SITE(kModule), kErrInvalidArgument);
    AlbumSlot& slot = gDisplayState->albums[album];

    if (view->className[0] == L'\0') {
        const wchar_t* name = album == 0 ? L"Album1 Window" : L"Album2 Window";
        const int iconId = album == 0 ? IDI_ALBUM1 : IDI_ALBUM2;
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = AlbumWindowProc;
        wc.hInstance = gAppState->instance;
        wc.hIcon = LoadIconW(gAppState->instance, MAKEINTRESOURCEW(iconId));
        wc.hIconSm = wc.hIcon;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = name;
        if (wc.hIcon == nullptr) return Fail(QV_SITE(kModule), kErrLoadIcon);
        if (RegisterClassExW(&wc) == 0) {
            SaveWindowsError();
            return Fail(QV_SITE(kModule), kErrClassRegistration);
        }
        wcscpy(view->className, name);
    }

    wchar_t title[kTextBufferChars];
    if (Status s = FormatText(title, kTextBufferChars, IDS_ALBUM_TITLE, slot.folderName, gAppState->caption); s != kOk)
        return s;
    // The saver's window is centred over its monitors, its cover black
    // round it; the program's keeps the area's corner.
    const AlbumRect placed =
        AlbumWindowIn({x, y, width, height}, slot.strip.width, slot.strip.height, gMode.role == Role::kSaver);
    const int w = placed.width;
    const int h = placed.height;
    // Album 1's window keeps the activation, so that keys reach it: in the
    // saver they end the display, in the program F2 opens Home.
    const bool activate = album == 0;

    if (view->window != nullptr && IsWindow(view->window)) {
        ShowWindow(view->window, activate ? SW_RESTORE : SW_SHOWNOACTIVATE);
        MoveWindow(view->window, placed.x, placed.y, w, h - 1, TRUE);
        SetWindowTextW(view->window, title);
    } else {
        DWORD style = WS_OVERLAPPEDWINDOW;
        DWORD extendedStyle = 0;
        HWND parent = owner;
        if (gMode.role == Role::kPreview) {
            style = WS_CHILD;
        } else if (gMode.role == Role::kSaver) {
            // Above the taskbar, and above the saver's cover, which owns it.
            style = WS_POPUP;
            extendedStyle = WS_EX_TOPMOST;
            parent = gDisplayState->saverCover != nullptr ? gDisplayState->saverCover : GetDesktopWindow();
        }
        if (Status s = BuildMattingTile(album); s != kOk) return s;
        // The window procedure sizes the viewport on WM_SIZE during creation,
        // so the window's record goes in with CreateWindowEx, not after it.
        // Should creation fail before the window took the record, it is
        // freed here.
        std::unique_ptr<AlbumWindowState> state(new (std::nothrow) AlbumWindowState);
        if (state == nullptr) return Fail(QV_SITE(kModule), kErrMemory);
        state->album = album;
        state->role = album == 0 ? AlbumRole::kLead : AlbumRole::kSecond;
        HWND window = CreateWindowExW(extendedStyle, view->className, title, style, placed.x, placed.y, w, h, parent,
                                      nullptr, gAppState->instance, &state);
        if (window == nullptr) {
            SaveWindowsError();
            return Fail(QV_SITE(kModule), kErrCreateWindow);
        }
        view->window = window;
        ShowWindow(window, activate ? SW_SHOW : SW_SHOWNA);
        if (HMENU menu = GetSystemMenu(window, FALSE)) {
            wchar_t text[64];
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            if (Status s = LoadText(IDS_ALBUM_MENU_HOME, text, sizeof text); s != kOk) return s;
            AppendMenuW(menu, MF_STRING, kMenuHome, text);
            if (Status s = LoadText(IDS_ALBUM_MENU_ABOUT, text, sizeof text); s != kOk) return s;
            AppendMenuW(menu, MF_STRING, kMenuAbout, text);
            if (Status s = LoadText(IDS_ALBUM_MENU_HELP, text, sizeof text); s != kOk) return s;
            AppendMenuW(menu, MF_STRING, kMenuHelp, text);
        }
        if (album == 0 && !WTSRegisterSessionNotification(window, NOTIFY_FOR_THIS_SESSION)) SaveWindowsError();
    }
    view->timerRunning = 0;
    view->pan = StartPan(slot.strip.width, slot.strip.height);
    return kOk;
}

Status StartAlbumTimer(int album) {
    AlbumView* view = ViewOf(album);
    if (view == nullptr || view->window == nullptr || view->timerInterval <= 0 || view->viewportWidth <= 0 ||
        view->timerRunning)
        return kOk;
    InvalidateRect(view->window, nullptr, FALSE);
    if (GlidesSmoothly()) {
        RestartGlideClock(*view);
        if (Status s = PaceGlide(view->window); s != kOk) return s;
    } else {
        SetTimer(view->window, album + 1, view->timerInterval, nullptr);
    }
    view->timerRunning = 1;
    return kOk;
}

void StopAlbumTimer(int album) {
    AlbumView* view = ViewOf(album);
    if (view == nullptr || !view->timerRunning || view->window == nullptr) return;
    // Both, whichever paced it: the setting may have been read again since.
    KillTimer(view->window, album + 1);
    StopPacingGlide(view->window);
    view->timerRunning = 0;
}

Status SizeAlbumView(HWND window, WPARAM type, int album, int cx, int cy) {
    AlbumView* view = ViewOf(album);
    if (window == nullptr || view == nullptr || cx <= 0 || cy <= 0) return kOk;
    AlbumSlot& slot = gDisplayState->albums[album];
    if (gMode.role == Role::kPreview) OutputDebugStringW(L"Small Quorvel preview: Window resized \n");
    DebugLine(L"Quorvel: Album%d: WM_SIZE ResizingType:%d PrevStatus:%d NewClientWidth:%d NewClientHeight:%d \n", album,
              static_cast<int>(type), static_cast<int>(slot.windowState), cx, cy);

    const int band = MattingBandWidth();
    const ViewportSize size = ViewportFor(slot.strip.width, slot.strip.height, cx, cy, band);
    view->viewportWidth = size.width;
    view->viewportHeight = size.height;
    view->viewportHeader = {};
    view->viewportHeader.biSize = sizeof(BITMAPINFOHEADER);
    view->viewportHeader.biWidth = size.width;
    view->viewportHeader.biHeight = -size.height;
    view->viewportHeader.biPlanes = 1;
    view->viewportHeader.biBitCount = 24;
    view->viewportHeader.biCompression = BI_RGB;
    view->viewportHeader.biSizeImage = static_cast<DWORD>(size.width) * size.height * 3;

    ReleaseMemoryBitmap(*view);
    const WindowDc windowDc(window);
    if (windowDc.get() == nullptr) return Fail(QV_SITE(kModule), kErrDeviceContext);
    if (GetDeviceCaps(windowDc.get(), BITSPIXEL) != 32) return Fail(QV_SITE(kModule), kErrBitsPerPixel);
    view->memoryDc.reset(CreateCompatibleDC(windowDc.get()));
    if (!view->memoryDc) return Fail(QV_SITE(kModule), kErrDeviceContext);
    if (GetDeviceCaps(view->memoryDc.get(), BITSPIXEL) != 32) return Fail(QV_SITE(kModule), kErrBitsPerPixel);
    const std::int32_t frameWidth = size.width + 2 * band;
    std::uint8_t* pixels = nullptr;
    view->memoryBitmap.reset(CreateTopDownBitmap(windowDc.get(), frameWidth, size.height + 2 * band, &pixels));
    if (!view->memoryBitmap || pixels == nullptr) {
        SaveWindowsError();
        return Fail(QV_SITE(kModule), kErrCreateBitmap);
    }
    view->selectedBitmap.emplace(view->memoryDc.get(), view->memoryBitmap.get());
    const std::int32_t frameRowBytes = frameWidth * 4;
    view->viewport = {pixels + static_cast<std::size_t>(band) * frameRowBytes + band * 4, size.width, size.height,
                      frameRowBytes};
    view->pan = StartPan(slot.strip.width, slot.strip.height);
    slot.windowState = static_cast<WindowState>(type);
    return kOk;
}

Status PanStep(int album) {
    AlbumView* view = ViewOf(album);
    if (view == nullptr) return Fail(QV_SITE(kModule), kErrPointer);
    AlbumSlot& slot = gDisplayState->albums[album];
    if (Status s = kOk; EffectTurnDue(album, *view, &s)) return s;
    // Without a memory bitmap (a display of the wrong depth) the frame has
    // nowhere to go.
    if (view->viewport.Empty()) return Fail(QV_SITE(kModule), kErrBitmapDisplay);
    // GDI may still be drawing the bands into the bitmap the step writes.
    GdiFlush();
    const Status status = PanOnce(slot.strip, view->pan, view->viewport, nullptr);
    if (status != kOk) SetErrorLocation(QV_SITE(kModule));
    return status;
}

Status RenderAlbum(int album, int repaint, bool* rebuildFailed) {
    *rebuildFailed = false;
    AlbumView* view = ViewOf(album);
    if (!HasFrame(album, view)) return kOk;
    const Status s =
        GlidesSmoothly() ? GlideOnce(album, *view, GlideClock(), rebuildFailed) : TickOnce(album, *view, rebuildFailed);
    if (s != kOk) return s;
    // No waits here: the window timer or the glide's waiter paces the
    // frames, and sleeping on the one user-interface thread would hold up the
    // other album and input.
    return DrawAlbumFrame(album, repaint, nullptr);
}

Status ShowGlideFrame(int album, std::int64_t lead, bool* rebuildFailed) {
    *rebuildFailed = false;
    AlbumView* view = ViewOf(album);
    if (!HasFrame(album, view)) return kOk;
    view->glideShownAt = GlideClock();
    if (Status s = DrawAlbumFrame(album, 0, nullptr); s != kOk) return s;
    return GlideOnce(album, *view, GlideClock() + lead, rebuildFailed);
}

void CloseAlbumView(int album) {
    AlbumView* view = ViewOf(album);
    if (view == nullptr) return;
    StopAlbumTimer(album);
    if (view->window != nullptr && IsWindow(view->window)) DestroyWindow(view->window);
    view->window = nullptr;
    if (view->className[0] != L'\0') {
        UnregisterClassW(view->className, gAppState ? gAppState->instance : nullptr);
        view->className[0] = L'\0';
    }
    gDisplayState->albums[album].mattingTile.block.Release();
    ReleaseMemoryBitmap(*view);
}

Status OpenAlbumDisplay(HWND owner, int album, UINT interval, const wchar_t* text, int length) {
    if (gDisplayState == nullptr || gUserSettings == nullptr || gAppState == nullptr)
        return Fail(QV_SITE(kModule), kErrInvalidArgument);
    if (owner == nullptr) return Fail(QV_SITE(kModule), kErrHandle);
    if (text == nullptr) return Fail(QV_SITE(kModule), kErrPointer);
    if (Status s = JoinPhotos(gDisplayState->albums[album], 0); s != kOk) return s;
    if (gMode.role == Role::kPreview) {
        // The host belongs to the screen-saver settings, often a process of
        // another DPI awareness, which the preview window takes as its child.
        // Its client area is read, and the preview made, in the host's own
        // units: no size is converted between DPI scales on the way.
        const WindowDpiContext hostUnits(owner);
        RECT client;
        GetClientRect(owner, &client);
        const AlbumRect area = PreviewArea(client.left, client.top, client.right, client.bottom);
        if (Status s = CreateAlbumWindow(album, owner, area.x, area.y, area.width, area.height); s != kOk) return s;
        OutputDebugStringW(L"Small Quorvel preview: Created Window\n");
    } else {
        int x = 0, y = 0, w = 0, h = 0;
        if (Status s = AlbumArea(album, &x, &y, &w, &h); s != kOk) return s;
        if (Status s = CreateAlbumWindow(album, owner, x, y, w, h); s != kOk) return s;
    }
    SetAlbumPhrase(album, text, length);
    ViewOf(album)->timerInterval = static_cast<std::int32_t>(interval);
    if (Status s = StartAlbumTimer(album); s != kOk) return s;
    gDisplayState->albums[album].windowMade = 1;
    return kOk;
}

Status OpenAlbumWindows(HWND owner) {
    for (int album = 0; album < 2; ++album)
        if (Status s = PrepareAlbumView(album); s != kOk) return s;
    if (gMode.role == Role::kSaver)
        if (Status s = OpenSaverCover(); s != kOk) return s;
    const wchar_t* phrase1 = gUserSettings->phrase[0];
    if (Status s = OpenAlbumDisplay(owner, 0, kAlbum1Interval, phrase1, static_cast<int>(wcslen(phrase1))); s != kOk)
        return s;
    const AlbumSlot& second = gDisplayState->albums[1];
    if (second.photoCount > 0 && second.inUse) {
        const wchar_t* phrase2 = gUserSettings->phrase[1];
        return OpenAlbumDisplay(owner, 1, kAlbum2Interval, phrase2, static_cast<int>(wcslen(phrase2)));
    }
    return kOk;
}

}  // namespace quorvel
