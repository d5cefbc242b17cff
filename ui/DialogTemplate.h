// Dialog templates as bytes: which of a panel's two templates suits the
// display, the monitor and place a panel opens at, and the copy of an
// extended template whose font is rewritten to "Segoe UI" at a chosen point
// size. Portable so that the rules are unit-tested natively; the Windows
// side only finds, loads and shows.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace quorvel {

struct TemplateChoice {
    bool large = true;
    float scale = 1.0f;  // effective DPI / 100
    int pointSize = 12;
};

// The large template suits an ordinary display: at most 100 DPI and a
// system DPI not above the monitor's. Its font is 12 x scale points, the
// small template's 9 x scale, rounded half away from zero. A DPI below 96
// counts as 96.
TemplateChoice ChooseTemplate(int monitorDpi, int systemDpi);

// The smallest point size whose text is still readable at a system DPI: 10
// pixels high. A dialog that still does not fit is cut by the work area.
int SmallestReadablePoints(int systemDpi);

// The point size to open again a dialog that measured width x height pixels
// (frame included) at `points` and does not fit a work area of workWidth x
// workHeight: smaller in proportion to its larger overflow, and at least
// one point smaller, since the frame does not shrink with the font; never
// below `smallest`. 0 when it fits, or when it is already at the smallest.
int PointSizeToFit(int points, int width, int height, int workWidth, int workHeight, int smallest);

// A rectangle on the virtual screen as Windows gives it: right and bottom
// exclusive.
struct ScreenRect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// One monitor as a panel sees it: the whole of it, and what the taskbar and
// other docked bars leave free.
struct PanelMonitor {
    ScreenRect area;
    ScreenRect work;
};

// The monitor of a panel aimed at `aim` (the primary monitor's work area at
// its first opening, then the place it was at, or the one Windows suggests
// after moving it to a monitor of another DPI), as Windows picks the monitor
// of a rectangle: the one holding the largest part of it, the nearest when
// none holds any. -1 when there is no monitor.
int PanelMonitorFor(std::span<const PanelMonitor> monitors, const ScreenRect& aim);

// A panel of width x height pixels centred on `aim`, no larger than the work
// area, and moved into it where it would stick out.
ScreenRect PlacePanel(int width, int height, const ScreenRect& aim, const ScreenRect& work);

enum class FontRewrite {
    Rewritten,  // `out` holds the copy with the new typeface
    Unchanged,  // classic template, or no font block: use the resource as it is
    Refused,    // malformed: the dialog must not be created from it
};

// Copies an extended template (DLGTEMPLATEEX) with its typeface replaced by
// "Segoe UI"; a nonzero pointSize also replaces the point size.
FontRewrite RewriteTemplateFont(const std::uint8_t* data, std::size_t size, std::uint16_t pointSize,
                                std::vector<std::uint8_t>& out);

}  // namespace quorvel
