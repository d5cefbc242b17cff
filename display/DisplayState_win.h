// DisplayState: the one block the album display works in, with its two album
// slots and its table of up to six monitors. Allocated at initialisation,
// freed at shutdown. The records grow as the display code lands; the
// settings file already reads and writes the fields it owns here.
#pragma once
#include <windows.h>

#include <array>
#include <cstdint>

#include "display/PhotoRecord.h"
#include "display/PixelBlock.h"

namespace quorvel {

constexpr int kAlbumCount = 2;
constexpr int kMaxMonitors = 6;
constexpr int kAlbumFolderChars = 130;
constexpr int kPhraseChars = 200;
constexpr int kMaxPhotos = 70;

// An album window's viewport and drawing state.
struct AlbumView {
    HWND window;
    wchar_t phrase[kPhraseChars];
    COLORREF textColour;
};

struct AlbumSlot {
    wchar_t folderName[kAlbumFolderChars];
    std::int32_t photoCount;
    std::array<PhotoRecord, kMaxPhotos> photos;
    std::int16_t photoType;
    PixelBlock strip;  // the joined photos
    std::int32_t inUse;
    std::int32_t windowMade;
    AlbumView* view;
    std::int16_t effectsEnabled;
    std::int16_t effectsApplied;
    std::int16_t windowState;
    std::int32_t orientationMismatch;
    std::int32_t sizeMismatch;
    std::int16_t stitchMode;
    wchar_t mattingFile[260];
    PixelBlock mattingThumbnail;
};

struct MonitorInfo {
    DISPLAY_DEVICEW device;
    std::int32_t left, top, right, bottom;  // inclusive, virtual-screen pixels
    std::int16_t album;                     // -1 none, 0 album 1, 1 album 2
    std::int32_t deviceIndex;
};

struct DisplayState {
    wchar_t scratchPath[260];
    wchar_t scratchText[512];
    HFONT phraseFont;
    LOGFONTW phraseLogFont;
    AlbumSlot albums[kAlbumCount];
    MonitorInfo monitors[kMaxMonitors];
    std::int32_t primaryMonitor;
    std::int32_t lastMonitor;
};

extern DisplayState* gDisplayState;

// DisplayState holds pixel blocks, so it is constructed in its zero-filled
// global block and destroyed before the block is freed.
DisplayState* AllocateDisplayState();
void FreeDisplayState();

}  // namespace quorvel
