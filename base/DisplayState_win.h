// DisplayState: the one block the album display works in, with its two album
// slots and its table of up to six monitors. Allocated at initialisation,
// freed at shutdown. The records grow as the display code lands; the
// settings file already reads and writes the fields it owns here.
#pragma once
#include <windows.h>

#include <array>
#include <cstdint>
#include <optional>

#include "base/FramePixels.h"
#include "base/Guards_win.h"
#include "base/PanState.h"
#include "base/PhotoRecord.h"
#include "base/PixelBlock.h"
#include "base/StripRebuildState.h"

namespace quorvel {

constexpr int kAlbumCount = 2;
constexpr int kMaxMonitors = 6;
constexpr int kAlbumFolderChars = 130;
constexpr int kPhraseChars = 200;
constexpr int kMaxPhotos = 70;

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

struct AlbumSlot {
    wchar_t folderName[kAlbumFolderChars];
    std::int32_t photoCount;
    std::array<PhotoRecord, kMaxPhotos> photos;
    std::int16_t photoType;
    PixelBlock strip;  // the joined photos
    StripRebuildState rebuild;
    std::int32_t inUse;
    std::int32_t windowMade;
    AlbumView* view;
    std::int16_t effectsEnabled;
    std::int16_t effectsApplied;
    WindowState windowState;
    std::int32_t orientationMismatch;
    std::int32_t sizeMismatch;
    std::int16_t stitchMode;
    wchar_t mattingFile[260];
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

}  // namespace quorvel
