// Which album each monitor shows, and the rectangle an album window covers.
// Platform-neutral: the Windows side fills a MonitorTable from the display
// adapters and hands it here, so every mapping rule is a unit test over a
// table.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/ErrorCodes.h"

namespace quorvel {

constexpr int kMonitorSlots = 6;

// Inclusive virtual-screen rectangle: width = right - left + 1.
struct MonitorRect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct MonitorEntry {
    MonitorRect rect;
    // The part of the monitor the taskbar and other docked bars leave free;
    // the walk sets the whole monitor, the Windows side the real work area.
    MonitorRect work;
    std::int16_t album = -1;  // -1 none, 0 first album, 1 second album
    std::int32_t deviceIndex = 0;
};

struct MonitorTable {
    std::array<MonitorEntry, kMonitorSlots> entries;
    std::int32_t primary = 0;
    std::int32_t count = 0;
};

// A display adapter's mode: its place on the virtual screen and its size.
struct DisplayMode {
    std::int32_t x = 0, y = 0;
    std::uint32_t width = 0, height = 0;
};

// The mode the adapter shows now, or, when that cannot be read, the one
// saved in the registry for the next logon. They differ under Remote Desktop
// and after a change that was not saved. Nothing when neither can be read.
std::optional<DisplayMode> ShownMode(const std::optional<DisplayMode>& current,
                                     const std::optional<DisplayMode>& saved);

// One display adapter as the walk sees it.
struct AdapterInfo {
    bool attachedToDesktop = false;
    bool primary = false;
    std::int32_t x = 0, y = 0;
    std::uint32_t width = 0, height = 0;  // 0 when no mode could be read
};

// Walks adapters 0, 1, 2... (`adapter` returns nothing past the last one)
// and stores, in order, those attached to the desktop with a height; at most
// six. An adapter off the desktop (a closed laptop's own panel) is passed
// over, not taken for the end. `store` is told each stored entry and its
// adapter so the caller can copy its device record. The album fields are
// left as they are. Returns the count.
int WalkAdapters(MonitorTable& table, const std::function<std::optional<AdapterInfo>(int)>& adapter,
                 const std::function<void(int entry, int adapter)>& store = nullptr);

enum class MappingMode { Program, SaverOrConfigure, Preview };

struct MappingResult {
    bool albumInUse[2] = {false, false};
    bool defaultWritten = false;
    bool onlyOneDisplay = false;
};

// Checks the stored album fields against the table and writes a default
// mapping when none is usable. The table's count must be above 0.
MappingResult MapAlbums(MonitorTable& table, MappingMode mode);

// True when `m` lies against `group` on one of its four sides (edges only).
bool Touches(const MonitorRect& m, const MonitorRect& group);

struct AlbumRect {
    std::int32_t x = 0, y = 0, width = 0, height = 0;
};

// The bounding rectangle of the album's monitors, one row short of the
// inclusive height; outside the screen saver, of their work areas (each
// kept within its monitor). kErrNoMonitorsMapped when no monitor shows the album, kErrNotPositive
// when nothing of it is left free.
[[nodiscard]] Status AlbumAreaOf(const MonitorTable& table, int album, bool saverMode, AlbumRect* area);

// The preview's album window inside its host, from the host's client
// rectangle (right and bottom exclusive) as read in the units the window is
// made in: from the client area's top-left corner, one pixel wider and
// higher, so that it covers the client area whole even where Windows
// converts the size between two DPI scales on the way.
AlbumRect PreviewArea(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);

// An album window's rectangle in its area: the strip's size, at most the
// area's. The program's window keeps the area's top-left corner; the
// saver's is centred in the area, the saver's cover showing black round it.
AlbumRect AlbumWindowIn(const AlbumRect& area, std::int32_t stripWidth, std::int32_t stripHeight, bool centred);

// The mapping panel's working copy: the table's monitors ordered by their
// left edges, so that Monitor 1 is the leftmost whatever its device order.
MonitorTable SortedByLeftEdge(const MonitorTable& table);

// True when the first album would show on no monitor while the second shows
// on one: every start would then fail, the saver's included.
bool LeavesFirstAlbumDark(const MonitorTable& table);

// Copies the working copy's album fields into `table`, each record matched
// by its device index. True when any album field changed.
bool WriteBackAlbums(const MonitorTable& working, MonitorTable& table);

// The model code of a monitor's device id ("MONITOR\\<model>\\..."), empty
// when the id has no such part.
std::u16string_view MonitorModel(std::u16string_view deviceId);

// A monitor's caption in the mapping panel: "<width>x<height>-<model>", and
// "-Main" for the primary monitor.
std::u16string MonitorCaption(const MonitorRect& rect, std::u16string_view deviceId, bool primary);

}  // namespace quorvel
