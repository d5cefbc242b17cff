// Measures under Wine how long the Photos panel takes to open on an album of
// 70 photos whose cache copies exist: from the click on Home's Photos button
// to a panel that answers messages, against reading the album's cache files
// once in the same run. Run it with
//   tools/wine-test.sh build/win/bench/photos_panel_measure.exe
// (a fresh prefix with the package installed). Prints the figures and their ratio.
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

constexpr int kPhotos = 70;
const wchar_t kPanel[] = L"Photos Panel - Quorvel";

double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

std::wstring Album() { return JoinPath(RoamingAppData(), L"Fenwold Quorvel\\QuorvelAlbums\\DefaultAlbum1"); }

double ReadCachesOnce() {
    const std::wstring cache = JoinPath(Album(), L"BMP");
    const auto start = Clock::now();
    std::size_t bytes = 0;
    for (const std::wstring& name : ListFolder(cache))
        if (auto file = ReadFileBytes(JoinPath(cache, name))) bytes += file->size();
    const auto end = Clock::now();
    std::printf("cache files read: %zu bytes\n", bytes);
    return Seconds(start, end);
}

// F2, then the Photos button: the time from the click to a panel that
// answers, or a negative value when it did not open.
double OpenPanel(const Process& p, HWND album) {
    SendKey(album, VK_F2);
    HWND home = WaitForWindow(p.Pid(), L"Home - Quorvel");
    HWND button = home != nullptr ? FindControl(home, 1027) : nullptr;
    if (button == nullptr) return -1;
    const auto start = Clock::now();
    if (!ClickButton(button)) return -1;
    HWND panel = WaitForWindow(p.Pid(), kPanel, 120000);
    DWORD_PTR answer = 0;
    if (panel == nullptr || !SendMessageTimeoutW(panel, WM_NULL, 0, 0, SMTO_NORMAL, 120000, &answer)) return -1;
    const auto end = Clock::now();
    PressKey(panel, VK_ESCAPE);
    WaitUntil([&] { return !IsWindow(panel); });
    return Seconds(start, end);
}

}  // namespace

int wmain() {
    Process p;
    if (!p.Start(InstalledProgram(L"Quorvel.exe"))) return 1;
    HWND album = WaitForWindow(p.Pid(), [](HWND w) { return ClassName(w) == L"Album1 Window" && IsVisible(w); });
    if (album == nullptr) return 1;
    const std::wstring photo = JoinPath(Album(), L"0V_0H_ZoomIn_2_256.png");
    for (int i = 1; i < kPhotos; ++i) {
        wchar_t name[32];
        swprintf(name, 32, L"P%02d.png", i);
        if (!CopyFileW(photo.c_str(), JoinPath(Album(), name).c_str(), FALSE)) return 1;
    }
    // The first opening makes the cache copies of the new photos.
    if (OpenPanel(p, album) < 0) return 1;
    ReadCachesOnce();
    std::vector<double> reads, opens;
    for (int run = 0; run < 3; ++run) {
        reads.push_back(ReadCachesOnce());
        opens.push_back(OpenPanel(p, album));
        if (opens.back() < 0) return 1;
    }
    std::sort(reads.begin(), reads.end());
    std::sort(opens.begin(), opens.end());
    std::printf("reading the %d cache files once: %.3f s (median of 3)\n", kPhotos, reads[1]);
    std::printf("Photos button to a responsive panel: %.3f s (median of 3)\n", opens[1]);
    std::printf("ratio: %.2f\n", opens[1] / reads[1]);
    p.Kill(0);
    return 0;
}
