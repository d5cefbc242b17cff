// DisplayState: the one block the album display works in, with its two album
// slots, its table of up to six monitors, the phrase font and the saver's
// cover. Allocated at initialisation, freed at shutdown. The display keeps
// its own copies of some settings, which it takes from UserSettings and
// gives back before they are written.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>

#include "base/Guards_win.h"
#include "base/PixelBlock.h"
#include "storage/Settings_win.h"
#include "strip/FramePixels.h"
#include "strip/PanState.h"
#include "strip/Strip_win.h"

namespace quorvel {

// An album window's viewport and drawing state. Holds a memory bitmap, so it
// is made and freed by AllocateAlbumView / FreeAlbumView (display/Frame_win.h).
struct AlbumView {
    BITMAPINFOHEADER viewportHeader;  // width l, height -o: top row first
    HWND window;
    std::int32_t viewportWidth;   // l, a multiple of 4
    std::int32_t viewportHeight;  // o
    // The viewport's l x o pixels inside the memory bitmap, at (B, B); empty
    // while there is no memory bitmap.
    FramePixels viewport;
    wchar_t phrase[kPhraseChars];
    COLORREF textColour;
    // The frame is drawn here, (l + 2B) x (o + 2B), a 32-bit top-down DIB
    // section selected into a memory context, then copied to the window.
    // Declared in this order so that the bitmap is selected out before the
    // context and it are deleted.
    BitmapHandle memoryBitmap;
    MemoryDc memoryDc;
    std::optional<SelectedObject> selectedBitmap;
    // The window class ("Album1 Window" / "Album2 Window"), empty until registered.
    wchar_t className[15];
    std::int32_t timerRunning;
    std::int32_t timerInterval;  // milliseconds
    PanState pan;
    // The smooth glide's clock: its start (QueryPerformanceCounter) and the
    // ticks gone since, so each frame moves the pan as far as time says.
    std::int64_t glideStart;
    std::int64_t glideTicks;
    // When the last frame of the smooth glide went to the window, by the
    // same clock: what a measurement of the glide's pace reads.
    std::int64_t glideShownAt;
};

// The square cut from the album's matting board that the frame bands repeat.
struct MattingTile {
    BITMAPINFOHEADER header;  // width B, height -B, 24 bits
    PixelBlock block;
    std::int32_t stepX, stepY;           // both B, the band width
    std::int32_t drawWidth, drawHeight;  // both B
};

// What last changed an album window's size, which the debug line of its next
// WM_SIZE shows: a WM_SIZE type (SIZE_RESTORED, SIZE_MINIMIZED, ...), or a
// DPI or display change, after which the window is made again.
enum WindowState : std::int16_t { kDpiChanged = 10, kDisplayChanged = 11 };

// An album as the display holds it: its photos joined into its strip, and
// whether a monitor shows it, its window was made, its view, its matting
// board's thumbnail and the tile cut from it.
struct AlbumSlot : AlbumStrip {
    std::int32_t inUse = 0;
    std::int32_t windowMade = 0;
    AlbumView* view = nullptr;
    WindowState windowState = {};
    PixelBlock mattingThumbnail;
    MattingTile mattingTile;
};

struct MonitorInfo {
    DISPLAY_DEVICEW device;
    std::int32_t left, top, right, bottom;  // inclusive, virtual-screen pixels
    std::int16_t album;                     // -1 none, 0 album 1, 1 album 2
    std::int32_t deviceIndex;
};

struct DisplayState {
    HFONT phraseFont;
    LOGFONTW phraseLogFont;
    AlbumSlot albums[kAlbumCount];
    MonitorInfo monitors[kMaxMonitors];
    std::int32_t primaryMonitor;
    std::int32_t lastMonitor;
    // The screen saver's black cover over every monitor, which owns the
    // saver's album windows; null outside the saver.
    HWND saverCover;
};

extern DisplayState* gDisplayState;

// DisplayState holds pixel blocks, so it is constructed in its zero-filled
// global block and destroyed before the block is freed.
DisplayState* AllocateDisplayState();
void FreeDisplayState();

// Frees the album's photos, strip and matting thumbnail and clears the
// photo count, the in-use and window-made flags and the photo type.
void ReleaseAlbum(int album);

// The settings the display keeps copies of, taken from UserSettings: each
// monitor's album before the mapping, each album's effects and stitch mode
// once its photos are decoded (a mismatch among them sets the stitch mode
// only for an album decoded later, by the panels).
void TakeMonitorSettings();
void TakeAlbumSettings();
// Writes the settings groups named (storage/Settings_win.h), first giving
// UserSettings what the display holds of them: the album windows' phrases
// and colours, the phrase font once it is made, the mapping, the albums'
// folders, effects and stitch modes; the first write the file refuses is
// returned. SaveChangedSettings writes the groups the panels noted and
// forgets them.
[[nodiscard]] Status SaveSettings(unsigned groups);
[[nodiscard]] Status SaveChangedSettings();

}  // namespace quorvel
