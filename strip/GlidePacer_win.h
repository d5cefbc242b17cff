// The smooth glide's pace: one waiting thread for the process, woken at
// each refresh of the display (DwmFlush while the desktop is composed,
// otherwise a sleep to the next 1/refresh-rate boundary at 1-millisecond
// timer resolution), that posts kGlideFrameMessage to each album window
// gliding smoothly. The
// windows draw on the user-interface thread as on a timer tick. The
// message's wParam is the refresh period and its lParam the moment of the
// refresh, both in counts of the performance counter.
#pragma once
#include <windows.h>

#include "base/ErrorCodes.h"

namespace quorvel {

constexpr UINT kGlideFrameMessage = WM_APP + 17;

// The clock of the glide and its waiter: QueryPerformanceCounter's count.
LONGLONG GlideClock();

// Adds the window to the paced ones, starting the thread with the first.
// kErrThread when the thread cannot be started.
[[nodiscard]] Status PaceGlide(HWND window);
// Takes the window out; the thread ends, and is waited for, with the last.
void StopPacingGlide(HWND window);
// A window has drawn the frame it was asked for. Until then it is asked for
// no other, so frames never queue up in front of input behind a slow draw.
void GlideFrameDrawn(HWND window);

}  // namespace quorvel
