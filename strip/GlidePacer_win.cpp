#include "strip/GlidePacer_win.h"

#include <dwmapi.h>
#include <mmsystem.h>

#include <array>
#include <atomic>
#include <mutex>
#include <system_error>
#include <thread>

#include "base/ErrorReporter_win.h"

namespace quorvel {

namespace {

const wchar_t kModule[] = L"DecodeImage";

// Wine, and a desktop whose compositor is off in all but name, report
// composition yet return from DwmFlush at once; after this many quick
// returns in a row the timer paces instead.
constexpr int kQuickFlushLimit = 3;

// A slim reader-writer lock in std::lock_guard's shape. The threads
// library's mutex would do, but it makes a kernel event on its first
// contention and keeps it for the life of the process.
class SlimLock {
public:
    void lock() { AcquireSRWLockExclusive(&srw_); }
    void unlock() { ReleaseSRWLockExclusive(&srw_); }

private:
    SRWLOCK srw_ = SRWLOCK_INIT;
};

// The one waiter and the album windows it asks for frames. The windows
// are added and taken out on the user-interface thread and read by the
// waiter under the lock; `asked` passes between the two threads.
struct Pacer {
    SlimLock lock;
    std::array<HWND, 2> windows = {};
    std::array<std::atomic<bool>, 2> asked = {};
    std::atomic<bool> stop = false;
    std::thread waiter;
    // A process that ends with a window still paced ends the waiter with it.
    ~Pacer() {
        if (waiter.joinable()) waiter.detach();
    }
};

Pacer gPacer;

// The display's refresh period in counts of the performance counter; a
// frequency of 0 or 1 is the display's default, taken as 60 Hz.
LONGLONG RefreshPeriod(LONGLONG frequency) {
    DEVMODEW mode = {};
    mode.dmSize = sizeof mode;
    DWORD hertz = 60;
    if (EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode) && mode.dmDisplayFrequency > 1)
        hertz = mode.dmDisplayFrequency;
    return frequency / hertz;
}

constexpr std::size_t kNoSlot = 2;

// The window's own slot, else the first free one. The lock is held.
std::size_t SlotFor(HWND window) {
    std::size_t free = kNoSlot;
    for (std::size_t i = 0; i < gPacer.windows.size(); ++i) {
        if (gPacer.windows[i] == window) return i;
        if (gPacer.windows[i] == nullptr && free == kNoSlot) free = i;
    }
    return free;
}

void AskForFrames(LONGLONG period, LONGLONG now) {
    const std::lock_guard<SlimLock> held(gPacer.lock);
    for (std::size_t i = 0; i < gPacer.windows.size(); ++i)
        if (gPacer.windows[i] != nullptr && !gPacer.asked[i].exchange(true))
            PostMessageW(gPacer.windows[i], kGlideFrameMessage, static_cast<WPARAM>(period), static_cast<LPARAM>(now));
}

// The waiter: one frame asked for at each refresh until it is stopped. A
// refresh missed is skipped, not caught up: the glide's position follows the
// clock, not the number of frames.
void PaceFrames() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    const LONGLONG period = RefreshPeriod(frequency.QuadPart);
    BOOL composed = FALSE;
    int quickFlushes = SUCCEEDED(DwmIsCompositionEnabled(&composed)) && composed ? 0 : kQuickFlushLimit;
    // The waiter sleeps nearly all the time; when it wakes, it should not
    // queue behind busy threads for the processor.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    timeBeginPeriod(1);
    LONGLONG next = GlideClock() + period;
    for (;;) {
        bool flushed = false;
        if (quickFlushes < kQuickFlushLimit) {
            const LONGLONG before = GlideClock();
            flushed = SUCCEEDED(DwmFlush()) && GlideClock() - before > period / 4;
            quickFlushes = flushed ? 0 : quickFlushes + 1;
        }
        LONGLONG now = GlideClock();
        // Without the compositor, sleep to the boundary, rounded up to the
        // millisecond the raised timer resolution gives. A plain sleep, not a
        // wait on an event: under Wine a wait's timeout passes through its
        // server process and wakes later and less evenly.
        if (!flushed && next > now)
            Sleep(static_cast<DWORD>(((next - now) * 1000 + frequency.QuadPart - 1) / frequency.QuadPart));
        if (gPacer.stop) break;
        now = GlideClock();
        next += period;
        if (next <= now) next += ((now - next) / period + 1) * period;
        AskForFrames(period, now);
    }
    timeEndPeriod(1);
}

}  // namespace

LONGLONG GlideClock() {
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return count.QuadPart;
}

Status PaceGlide(HWND window) {
    {
        const std::lock_guard<SlimLock> held(gPacer.lock);
        const std::size_t slot = SlotFor(window);
        if (slot == kNoSlot) return Fail(QV_SITE(kModule), kErrInvalidArgument);
        gPacer.windows[slot] = window;
        gPacer.asked[slot] = false;
    }
    if (gPacer.waiter.joinable()) return kOk;
    gPacer.stop = false;
    try {
        gPacer.waiter = std::thread(PaceFrames);
        return kOk;
    } catch (const std::system_error&) {
        StopPacingGlide(window);
        return Fail(QV_SITE(kModule), kErrThread);
    }
}

void StopPacingGlide(HWND window) {
    bool anyLeft = false;
    {
        const std::lock_guard<SlimLock> held(gPacer.lock);
        for (HWND& paced : gPacer.windows) {
            if (paced == window) paced = nullptr;
            anyLeft = anyLeft || paced != nullptr;
        }
    }
    if (anyLeft) return;
    // The waiter sees the flag within a refresh.
    if (gPacer.waiter.joinable()) {
        gPacer.stop = true;
        gPacer.waiter.join();
    }
}

void GlideFrameDrawn(HWND window) {
    const std::lock_guard<SlimLock> held(gPacer.lock);
    for (std::size_t i = 0; i < gPacer.windows.size(); ++i)
        if (gPacer.windows[i] == window) gPacer.asked[i] = false;
}

}  // namespace quorvel
