// The album windows: one top-level window per album in use (a child of the
// settings dialog's preview in /p; in /s topmost, owned by the saver's
// cover over every monitor), a window timer per album that glides the
// viewport one pixel per tick (or, with SmoothGlide, frames at the display's
// refresh between whole pixels), and the viewport's size and memory bitmap.
#pragma once
#include <windows.h>

#include "base/ErrorCodes.h"
#include "res/resource.h"

namespace quorvel {

constexpr UINT kMenuHome = IDM_ALBUM_HOME;
constexpr UINT kMenuAbout = IDM_PANEL_ABOUT;
constexpr UINT kMenuHelp = IDM_PANEL_HELP;
constexpr UINT kAlbum1Interval = 65;
constexpr UINT kAlbum2Interval = 100;

// Album 1's window leads the display: its life keeps the program running, it
// follows the workstation's lock, and in the screen saver its input ends the
// saver. Album 2's window only shows its album.
enum class AlbumRole { kLead, kSecond };

// What one album window keeps between its messages, so that the two albums
// never share a paint guard or a cursor position. The window owns it:
// CreateAlbumWindow passes a std::unique_ptr<AlbumWindowState>* as
// CreateWindowEx's last argument, the procedure takes the record from it at
// WM_NCCREATE into the window's user data and frees it at WM_NCDESTROY.
struct AlbumWindowState {
    int album = 0;  // 0 for album 1, 1 for album 2
    AlbumRole role = AlbumRole::kLead;
    // Set while a paint renders: a paint that arrives meanwhile (through a
    // message box's loop) is skipped.
    bool painting = false;
    // The saver's first cursor position, which later moves are measured from.
    // Album 1's record holds it for both windows.
    bool cursorTaken = false;
    POINT firstCursor = {};
};

// Builds the strip, makes the window over the album's monitors, sets the
// phrase and starts the timer. Failures are returned; the start-up that
// calls it reports them as fatal.
[[nodiscard]] Status OpenAlbumDisplay(HWND owner, int album, UINT interval, const wchar_t* text, int length);
[[nodiscard]] Status CreateAlbumWindow(int album, HWND owner, int x, int y, int width, int height);
// The album's timer, or its place among the smooth glide's paced windows
// (kErrThread when the glide's waiter cannot start).
[[nodiscard]] Status StartAlbumTimer(int album);
void StopAlbumTimer(int album);
[[nodiscard]] Status SizeAlbumView(HWND window, WPARAM type, int album, int clientWidth, int clientHeight);
// One tick of the glide; after every fifth turn a rebuild of the strip with
// the next enabled playback effect may start instead (RenderAlbum carries
// it on a slice per tick).
[[nodiscard]] Status PanStep(int album);
// One frame: the pan step, then the frame drawn and copied to the window.
// Repaint also draws the bands and the phrase. On a failure *rebuildFailed
// tells a failed strip rebuild, which ends the display, from a failed pan
// step or drawing, which only the frame suffers.
[[nodiscard]] Status RenderAlbum(int album, int repaint, bool* rebuildFailed);
// A frame of the smooth glide at a refresh of the display: the frame drawn
// at the last refresh goes to the window now, so that the moment it is shown
// does not wait on the drawing, and the next one is drawn for `lead` counts
// of the performance counter later (a refresh period). Failures as
// RenderAlbum's.
[[nodiscard]] Status ShowGlideFrame(int album, std::int64_t lead, bool* rebuildFailed);
void CloseAlbumView(int album);

// Start-up's album step: the views of both albums, in the screen saver its
// black topmost cover over every monitor, album 1's window at 65 ms and,
// when album 2 has photos and is in use, album 2's at 100 ms.
// Failures are returned, for the start-up to report as fatal.
[[nodiscard]] Status OpenAlbumWindows(HWND owner);

// The one window procedure of "Album1 Window" and "Album2 Window". No C++
// exception leaves it: a failure raised below it is shown and ends the
// display.
LRESULT CALLBACK AlbumWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace quorvel
