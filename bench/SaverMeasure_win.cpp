// Measures the running screen saver under Wine, as ratios against baselines
// taken in the same run:
//   - start to the first drawn frame, against starting a program that shows
//     an empty window (the fixture program) until its colour is read back
//     from the screen, as the frame is; cold (first run: first-time copy,
//     decoding, cache files) and warm (photos from the cache), each the
//     median of five starts, taken in rounds of one start of each kind;
//   - the share of one core the saver takes while album 1 glides;
//   - the tick rate album 1 reaches, against its 65 ms timer;
//   - on a display of two monitors (QV_MONITORS=2), the same with both
//     albums gliding, album 2 against its 100 ms timer.
// Run it with tools/measure-saver.sh (a fresh prefix with the package
// installed). Prints one line per figure.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/e2e/Driver.h"

using namespace quorvel::e2e;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kBand = 100;
constexpr int kSquare = 100;
constexpr int kStarts = 5;  // starts of each kind whose median counts
// How often a start is looked at, for its window and then for its pixels:
// fine enough that the wait does not round the times it measures.
constexpr DWORD kPollMs = 10;

double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

std::string Listed(const std::vector<double>& v) {
    std::string text;
    char one[16];
    for (double x : v) {
        std::snprintf(one, sizeof one, " %.3f", x);
        text += one;
    }
    return text;
}

// Writes the files under a folder through to the disk, so that their
// writing does not fall into a later start.
void FlushTree(const std::wstring& folder) {
    for (const auto& name : ListFolder(folder)) {
        const std::wstring path = JoinPath(folder, name);
        if (FolderExists(path)) {
            FlushTree(path);
            continue;
        }
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) continue;
        FlushFileBuffers(file);
        CloseHandle(file);
    }
}

bool IsAlbumWindow(HWND w) { return ClassName(w) == L"Album1 Window" && IsVisible(w); }
bool IsAlbum2Window(HWND w) { return ClassName(w) == L"Album2 Window" && IsVisible(w); }

// A square of the viewport shows a photo: its pixels are not all one
// colour. Only the square is read, as only the middle of the empty window
// is: a whole-screen read would hold up the saver it waits for.
bool FrameDrawn(HWND window) {
    const RECT square{kBand, kBand, kBand + kSquare, kBand + kSquare};
    const auto c = CaptureWindow(window, true, &square);
    if (!c || c->width < kSquare || c->height < kSquare) return false;
    const COLORREF first = c->At(0, 0);
    for (int y = 0; y < kSquare; y += 7)
        for (int x = 0; x < kSquare; x += 5)
            if (c->At(x, y) != first) return true;
    return false;
}

RECT MiddleSquare(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    const LONG x = client.right / 2 - kSquare / 2, y = client.bottom / 2 - kSquare / 2;
    return RECT{x, y, x + kSquare, y + kSquare};
}

bool MiddleIsBlue(HWND window) {
    const RECT middle = MiddleSquare(window);
    const auto c = CaptureWindow(window, true, &middle);
    return c && c->At(c->width / 2, c->height / 2) == RGB(0x33, 0x66, 0x99);
}

double EmptyWindowStart() {
    Process p;
    const auto start = Clock::now();
    if (!p.Start(JoinPath(TestProgramFolder(), L"..\\tests\\e2e\\fixture_app.exe"), L"/window 336699")) return -1;
    HWND w = WaitForWindow(
        p.Pid(), [](HWND h) { return WindowText(h) == L"Fixture Window" && IsVisible(h); }, 60000, kPollMs);
    // Seen as the saver's frame is: its colour read back from the screen.
    const bool painted = w != nullptr && WaitUntil([&] { return MiddleIsBlue(w); }, 60000, kPollMs);
    const double s = Seconds(start, Clock::now());
    if (w) PostMessageW(w, WM_CLOSE, 0, 0);
    p.WaitExit();
    return painted ? s : -1;
}

// Starts the saver and returns the seconds to its first drawn frame; the
// saver is left running in `p`.
double SaverFirstFrame(Process& p, HWND* window) {
    const auto start = Clock::now();
    if (!p.Start(InstalledProgram(L"Quorvel.scr"), L"/s")) return -1;
    *window = WaitForWindow(p.Pid(), IsAlbumWindow, 60000, kPollMs);
    if (*window == nullptr || !WaitUntil([&] { return FrameDrawn(*window); }, 60000, kPollMs)) return -1;
    return Seconds(start, Clock::now());
}

double CpuSeconds(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    auto s = [](FILETIME f) { return (double(f.dwHighDateTime) * 4294967296.0 + f.dwLowDateTime) / 1e7; };
    return s(kernel) + s(user);
}

// Viewport pixels moved to the left between two captures (the view glides
// right at first), found as the best matching shift.
int Shift(const Capture& a, const Capture& b) {
    int best = 0, bestSame = -1;
    for (int s = 0; s <= 200; ++s) {
        int same = 0;
        for (int y = kBand + 40; y < b.height - kBand - 40; y += 29)
            for (int x = kBand + 10; x + s < a.width - kBand - 10; x += 7) same += a.At(x + s, y) == b.At(x, y);
        if (same > bestSame) {
            bestSame = same;
            best = s;
        }
    }
    return best;
}

void End(Process& p, HWND window) {
    PressKey(window, VK_SPACE);
    p.WaitExit();
}

}  // namespace

// The tick rate of a gliding album window: its viewport's shift per second.
double TickRate(HWND window, double seconds) {
    const auto a = CaptureWindow(window);
    const auto t0 = Clock::now();
    Sleep(static_cast<DWORD>(seconds * 1000));
    const auto b = CaptureWindow(window);
    const double elapsed = Seconds(t0, Clock::now());
    return a && b ? Shift(*a, *b) / elapsed : 0;
}

int wmain() {
    const bool twoAlbums = GetSystemMetrics(SM_CMONITORS) >= 2;
    if (twoAlbums) {
        // Album 1 on the first monitor, album 2 on the second.
        const std::wstring ini = JoinPath(InstalledDataFolder(), L"Quorvel.ini");
        WritePrivateProfileStringW(L"Header", L"Monitor1", L"1", ini.c_str());
        WritePrivateProfileStringW(L"Header", L"Monitor2", L"2", ini.c_str());
    }
    // Each round starts the empty window, then the saver on a first run,
    // then the saver from the cache that run made, so a slow spell of the
    // machine weighs on the baseline as on the saver.
    // A first run makes the per-user folder (settings, albums, their
    // caches, the boards) anew from the installed content. The one the
    // round before made is moved aside, not deleted, and written through to
    // the disk before the round starts: deleted, or still being written,
    // it made the saver's own file copies up to twice as slow, a cost no
    // real first run pays. The folders moved aside are deleted at the end.
    // Every counted start comes straight after another program's exit, so
    // all of them meet Wine in the same state: on an idle prefix the empty
    // window is sometimes seen some 40 ms sooner than just after an exit.
    // An uncounted empty-window start opens each round for that (the first
    // one also lets a fresh prefix's own services settle).
    const std::wstring user = JoinPath(RoamingAppData(), L"Fenwold Quorvel");
    std::vector<std::wstring> aside;
    std::vector<double> empty, cold, warm;
    HWND window = nullptr;
    for (int i = 0; i < kStarts; ++i) {
        if (FolderExists(user)) {
            aside.push_back(user + L" " + std::to_wstring(i));
            if (!MoveFileW(user.c_str(), aside.back().c_str())) {
                std::printf("the per-user folder could not be moved aside\n");
                return 1;
            }
            FlushTree(aside.back());
        }
        (void)EmptyWindowStart();  // uncounted: see above
        empty.push_back(EmptyWindowStart());
        for (auto* kind : {&cold, &warm}) {
            Process p;
            kind->push_back(SaverFirstFrame(p, &window));
            if (kind->back() < 0) {
                std::printf("saver did not draw a frame\n");
                return 1;
            }
            End(p, window);
        }
    }
    for (const auto& folder : aside) (void)DeleteTree(folder);
    const double baseline = Median(empty);
    std::printf("empty window start: %.3f s (median of %d:%s)\n", baseline, kStarts, Listed(empty).c_str());
    std::printf("first frame, first run: %.3f s = %.2f x empty window (median of %d:%s)\n", Median(cold),
                Median(cold) / baseline, kStarts, Listed(cold).c_str());
    std::printf("first frame, from the cache: %.3f s = %.2f x empty window (median of %d:%s)\n", Median(warm),
                Median(warm) / baseline, kStarts, Listed(warm).c_str());

    Process p;
    if (SaverFirstFrame(p, &window) < 0) return 1;
    Sleep(1000);
    const double cpu0 = CpuSeconds(p.Handle());
    const auto t0 = Clock::now();
    const auto a = CaptureWindow(window);
    Sleep(4000);
    const auto b = CaptureWindow(window);
    const double elapsed = Seconds(t0, Clock::now());
    const double cpu = CpuSeconds(p.Handle()) - cpu0;
    std::printf("CPU, %s: %.1f %% of one core\n", twoAlbums ? "albums 1 and 2 gliding" : "album 1 gliding",
                100.0 * cpu / elapsed);
    if (a && b) {
        const double ticks = Shift(*a, *b) / elapsed;
        std::printf("tick rate, album 1: %.1f per second = %.2f of its 65 ms timer (%.1f)\n", ticks,
                    ticks / (1000.0 / 65), 1000.0 / 65);
    }
    if (twoAlbums) {
        HWND second = WaitForWindow(p.Pid(), IsAlbum2Window);
        if (second != nullptr) {
            const double ticks = TickRate(second, 4.0);
            std::printf("tick rate, album 2: %.1f per second = %.2f of its 100 ms timer (10.0)\n", ticks, ticks / 10.0);
        }
    }
    End(p, window);
    return 0;
}
