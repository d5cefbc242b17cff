// The soak: runs the installed saver on both albums for the given minutes
// and prints, once a minute, what would grow if something leaked or slowed
// down: each album's frame rate, the saver's kernel handles, GDI and USER
// objects (Windows only: Wine's GetGuiResources answers 0) and memory.
// Not a test: tools/soak.sh runs it on a display of two monitors.
#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "tests/e2e/Driver.h"

using namespace quorvel::e2e;
using Clock = std::chrono::steady_clock;

namespace {

// Frames shown per second: captures of the window that differ from the one
// before, taken as fast as capturing allows for `seconds`. Each timer tick
// moves the view, so this follows the tick rate (up to the capture rate).
double FrameRate(HWND window, double seconds) {
    auto previous = CaptureWindow(window);
    int changes = 0;
    const auto start = Clock::now();
    double elapsed = 0;
    while (previous && elapsed < seconds) {
        auto next = CaptureWindow(window);
        if (!next) break;
        if (CountDifferentPixels(*previous, *next) != 0) ++changes;
        previous = std::move(next);
        elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    }
    return elapsed > 0 ? changes / elapsed : 0;
}

HWND AlbumWindow(DWORD pid, const wchar_t* className) {
    return WaitForWindow(pid, [&](HWND w) { return ClassName(w) == className && IsVisible(w); });
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int minutes = argc > 1 ? _wtoi(argv[1]) : 30;
    // Album 1 on the first monitor, album 2 on the second.
    const std::wstring ini = JoinPath(InstalledDataFolder(), L"Quorvel.ini");
    WritePrivateProfileStringW(L"Header", L"Monitor1", L"1", ini.c_str());
    WritePrivateProfileStringW(L"Header", L"Monitor2", L"2", ini.c_str());
    Process saver;
    if (!saver.Start(InstalledProgram(L"Quorvel.scr"), L"/s")) return 2;
    HWND album1 = AlbumWindow(saver.Pid(), L"Album1 Window");
    HWND album2 = AlbumWindow(saver.Pid(), L"Album2 Window");
    if (album1 == nullptr || album2 == nullptr) {
        std::printf("soak: the saver did not show both albums\n");
        return 2;
    }
    std::printf("minute  album1 fps  album2 fps  handles  gdi  user  private KB  working set KB\n");
    for (int minute = 0; minute <= minutes; ++minute) {
        const auto sampled = Clock::now();
        PROCESS_MEMORY_COUNTERS_EX memory = {};
        memory.cb = sizeof memory;
        GetProcessMemoryInfo(saver.Handle(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
        std::printf("%6d  %10.1f  %10.1f  %7zu  %3lu  %4lu  %10zu  %14zu\n", minute, FrameRate(album1, 3.0),
                    FrameRate(album2, 3.0), ProcessHandles(saver.Pid()).size(),
                    GetGuiResources(saver.Handle(), GR_GDIOBJECTS), GetGuiResources(saver.Handle(), GR_USEROBJECTS),
                    memory.PrivateUsage / 1024, memory.WorkingSetSize / 1024);
        std::fflush(stdout);
        if (!saver.IsRunning()) {
            std::printf("soak: the saver ended by itself\n");
            return 1;
        }
        if (minute < minutes)
            Sleep(60000 - DWORD(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - sampled).count()));
    }
    PressKey(album1, VK_SPACE);
    return saver.WaitExit() == 0u ? 0 : 1;
}
