// The monitor table of DisplayState: enumeration of the display adapters,
// the album-to-monitor mapping and the rectangle of each album window.
#pragma once
#include "base/AppState_win.h"
#include "display/MonitorMapping.h"

namespace quorvel {

// The monitor table of DisplayState as the mapping rules see it, and its
// rectangles, device indices and album fields stored back.
MonitorTable TableFromState();
void TableToState(const MonitorTable& table);
// Fills the monitor table and the primary index; returns the count (0-6).
int EnumerateMonitors();
// 0, or kErrNoMonitors when no monitor is attached. Preview mode does nothing.
[[nodiscard]] Status MapAlbumsToMonitors();
// Position and size of the album's window, or kErrNoMonitorsMapped when no monitor shows it.
[[nodiscard]] Status AlbumArea(int album, int* x, int* y, int* width, int* height);
// The work area of the monitor nearest (x, y), right and bottom exclusive:
// the monitor less the taskbar and other docked bars, on whichever side.
RECT WorkAreaAt(int x, int y);
// Runs the thread in a window's DPI awareness context while it lives: what
// the thread reads of the window then comes in the window's own units, and a
// child it creates in the window has the window's awareness (a child always
// does) and those units too. Windows 10 1607 and later; elsewhere, or when
// Windows refuses the window's context, the thread keeps its own.
class WindowDpiContext {
public:
    explicit WindowDpiContext(HWND window);
    ~WindowDpiContext();
    WindowDpiContext(const WindowDpiContext&) = delete;
    WindowDpiContext& operator=(const WindowDpiContext&) = delete;

private:
    DPI_AWARENESS_CONTEXT previous_ = nullptr;
};

// Measures the effective DPI of the monitor nearest (x, y) into
// gMode.currentDpi (96 at least), through Shcore when it is there.
[[nodiscard]] Status GetCurrentDpi(int x, int y);

}  // namespace quorvel
