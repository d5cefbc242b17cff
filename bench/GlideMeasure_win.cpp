// Times the smooth glide's frames: album 1's window over the screen with a
// 5760 x 1080 strip, "SmoothGlide" on, as the program opens it. After a
// few seconds to settle (a fresh Wine prefix starts its services) it
// records, for ten seconds, when each frame goes to the
// window (the draw call, as the album's view notes it), and prints the median
// interval between frames, the 95th percentile minus the median (the
// spread), the frame rate and the glide's speed; and the same spread taken
// when the window procedure has returned, drawing included. Xvfb has no
// vertical blank, so under Wine this times the draw calls the waiter paces.
// Run it with tools/measure-glide.sh.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <vector>

#include "base/AppState_win.h"
#include "display/DisplayState_win.h"
#include "base/Utilities_win.h"
#include "display/AlbumWindow_win.h"
#include "display/Frame_win.h"
#include "strip/GlidePacer_win.h"
#include "storage/Settings_win.h"

using namespace quorvel;

namespace {

double Seconds(LONGLONG counts) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counts) / static_cast<double>(frequency.QuadPart);
}

// A strip of vertical stripes, so that each frame has columns to blend.
PixelBlock StripedStrip() {
    PixelBlock strip = PixelBlock::Make(5760, 1080);
    for (std::int32_t y = 0; y < strip.height; ++y)
        for (std::int32_t x = 0; x < strip.width; ++x)
            for (int c = 0; c < 3; ++c) strip.Row(y)[x * 3 + c] = static_cast<std::uint8_t>((x * (c + 1) + y) & 0xFF);
    return strip;
}

// Runs the message loop for `seconds`, noting when each glide frame went to
// the window and when its message had been handled.
void Glide(double seconds, const AlbumView& view, std::vector<LONGLONG>* shown, std::vector<LONGLONG>* handled,
           std::vector<LONGLONG>* refreshes) {
    const LONGLONG end = GlideClock() + static_cast<LONGLONG>(seconds / Seconds(1));
    MSG msg;
    while (GlideClock() < end) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            const std::int64_t shownBefore = view.glideShownAt;
            DispatchMessageW(&msg);
            if (msg.message != kGlideFrameMessage || handled == nullptr) continue;
            handled->push_back(GlideClock());
            refreshes->push_back(static_cast<LONGLONG>(msg.lParam));
            if (view.glideShownAt != shownBefore) shown->push_back(view.glideShownAt);
        }
    }
}

struct Spread {
    double median = 0;
    double spread = 0;  // 95th percentile minus median
};

Spread IntervalsOf(const std::vector<LONGLONG>& times) {
    std::vector<double> intervals;
    for (std::size_t i = 1; i < times.size(); ++i) intervals.push_back(Seconds(times[i] - times[i - 1]) * 1000);
    std::sort(intervals.begin(), intervals.end());
    if (intervals.empty()) return {};
    const double median = intervals[intervals.size() / 2];
    return {median, intervals[intervals.size() * 95 / 100] - median};
}

}  // namespace

int wmain() {
    if (!AllocateAppState() || AllocateDisplayState() == nullptr) return 1;
    gAppState->instance = GetModuleHandleW(nullptr);
    (void)LoadText(IDS_CAPTION, gAppState->caption, sizeof gAppState->caption);
    gUserSettings = static_cast<UserSettings*>(AllocateLockedBlock(sizeof(UserSettings)));
    wcscpy(gUserSettings->fontName, L"Tahoma");
    gUserSettings->fontSize = 28;
    gUserSettings->smoothGlide = 1;
    gMode.role = Role::kProgram;
    HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    AlbumSlot& slot = gDisplayState->albums[0];
    slot.strip = StripedStrip();
    slot.mattingThumbnail = PixelBlock::Make(100, 100);
    if (PrepareAlbumView(0) != kOk ||
        CreateAlbumWindow(0, owner, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)) != kOk) {
        std::printf("the album window could not be made\n");
        return 1;
    }
    AlbumView& view = *slot.view;
    view.timerInterval = kAlbum1Interval;
    if (StartAlbumTimer(0) != kOk) {
        std::printf("the glide could not be paced\n");
        return 1;
    }
    Glide(3.0, view, nullptr, nullptr, nullptr);

    std::vector<LONGLONG> shown, handled, refreshes;
    const std::int32_t startX = view.pan.centreX;
    const LONGLONG start = GlideClock();
    Glide(10.0, view, &shown, &handled, &refreshes);
    const double elapsed = Seconds(GlideClock() - start);
    const std::int32_t moved = view.pan.centreX - startX;
    StopAlbumTimer(0);
    CloseAlbumView(0);
    DestroyWindow(owner);
    if (shown.size() < 3) {
        std::printf("too few frames: %zu\n", shown.size());
        return 1;
    }
    const Spread draws = IntervalsOf(shown), ends = IntervalsOf(handled), wakes = IntervalsOf(refreshes);
    std::printf("viewport %d x %d, %zu frames in %.2f s\n", static_cast<int>(view.viewportWidth),
                static_cast<int>(view.viewportHeight), shown.size(), elapsed);
    std::printf("draw calls: median interval %.2f ms, spread (95th percentile - median) %.2f ms\n", draws.median,
                draws.spread);
    std::printf("frames done (next one drawn too): median interval %.2f ms, spread %.2f ms\n", ends.median,
                ends.spread);
    std::printf("the waiter's refreshes: median interval %.2f ms, spread %.2f ms\n", wakes.median, wakes.spread);
    std::printf("rate: %.1f frames a second\n", (shown.size() - 1) / Seconds(shown.back() - shown.front()));
    std::printf("glide: %.1f pixels a second (album 1's timer: %.1f)\n", moved / elapsed, 1000.0 / kAlbum1Interval);
    return 0;
}
