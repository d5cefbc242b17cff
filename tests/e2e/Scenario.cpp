#include "tests/e2e/Scenario.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace quorvel::e2e {

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::optional<DWORD> Finish(Process& p) {
    std::optional<MessageBoxInfo> box;
    std::vector<HWND> albums;
    WaitUntil([&] {
        if (p.WaitExit(0)) return true;
        albums.clear();
        for (HWND w : TopLevelWindows(p.Pid())) {
            if (ClassName(w) != L"#32770")
                albums.push_back(w);
            else if ((box = ReadMessageBox(w)))
                return true;
        }
        return !albums.empty();
    });
    if (auto code = p.WaitExit(0)) return code;
    if (box) {
        ADD_FAILURE() << "unexpected message box \"" << Narrow(box->caption) << "\": " << Narrow(box->text);
        return std::nullopt;
    }
    for (HWND w : albums) {
        PressKey(w, VK_SPACE);
        PostMessageW(w, WM_CLOSE, 0, 0);
    }
    return p.WaitExit();
}

Snapshot TakeSnapshot(const std::wstring& folder) {
    Snapshot files;
    for (const auto& name : ListFolder(folder)) {
        const std::wstring path = JoinPath(folder, name);
        if (name == L"BMP") continue;
        if (FolderExists(path)) {
            for (auto& entry : TakeSnapshot(path))
                files.emplace_back(name + L"\\" + entry.first, std::move(entry.second));
        } else {
            files.emplace_back(name, ReadFileBytes(path).value_or(std::vector<std::uint8_t>{}));
        }
    }
    return files;
}

std::optional<DWORD> RunToEnd(const std::wstring& program, const std::wstring& args,
                              const std::wstring& workingFolder) {
    Process p;
    StartOptions options;
    options.workingFolder = workingFolder;
    if (!p.Start(program, args, options)) {
        ADD_FAILURE() << "could not start " << Narrow(program) << ": " << p.StartError();
        return std::nullopt;
    }
    return Finish(p);
}

bool WritePicture(const std::wstring& path, COLORREF colour) {
    Capture picture;
    picture.width = 240;
    picture.height = 160;
    picture.bgra.resize(240 * 160 * 4);
    for (std::size_t i = 0; i < picture.bgra.size(); i += 4) {
        picture.bgra[i] = GetBValue(colour);
        picture.bgra[i + 1] = GetGValue(colour);
        picture.bgra[i + 2] = GetRValue(colour);
        picture.bgra[i + 3] = 255;
    }
    return SaveBmp(picture, path);
}

bool GlideGoesOn(const Process& p, HWND window, int frames) {
    // The middle of the picture, away from the bands and the phrase.
    const RECT client = ClientRect(window);
    const int w = client.right - client.left, h = client.bottom - client.top;
    const RECT middle{w / 4, h / 2 - 40, w * 3 / 4, h / 2 + 40};
    auto last = CaptureWindow(window, true, &middle);
    int drawn = 0;
    WaitUntil([&] {
        if (!p.IsRunning()) return true;
        auto now = CaptureWindow(window, true, &middle);
        if (now && (!last || CountDifferentPixels(*now, *last) > 0)) {
            if (last) ++drawn;
            last = std::move(now);
        }
        return drawn >= frames;
    });
    return p.IsRunning() && drawn >= frames;
}

RECT ShowStandInTaskbar(const RECT& monitor) {
    static const wchar_t* const kClass = [] {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = CreateSolidBrush(RGB(0, 255, 0));
        wc.lpszClassName = L"QuorvelStandInTaskbar";
        RegisterClassExW(&wc);
        return wc.lpszClassName;
    }();
    const RECT bar{monitor.left, monitor.bottom - 40, monitor.right, monitor.bottom};
    HWND window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClass, L"", WS_POPUP, bar.left,
                                  bar.top, bar.right - bar.left, bar.bottom - bar.top, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ShowWindow(window, SW_SHOWNA);
    UpdateWindow(window);
    return bar;
}

std::vector<RECT> MonitorRects() {
    std::vector<RECT> rects;
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR, HDC, LPRECT rect, LPARAM found) -> BOOL {
            reinterpret_cast<std::vector<RECT>*>(found)->push_back(*rect);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&rects));
    return rects;
}

std::vector<POINT> PointsNotCoveredBy(DWORD pid, const RECT& area, int step) {
    std::vector<POINT> uncovered;
    auto along = [step](LONG from, LONG to) {
        std::vector<LONG> at;
        for (LONG v = from; v < to - 1; v += step) at.push_back(v);
        at.push_back(to - 1);
        return at;
    };
    for (LONG y : along(area.top, area.bottom))
        for (LONG x : along(area.left, area.right)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(WindowFromPoint(POINT{x, y}), &owner);
            if (owner != pid) uncovered.push_back({x, y});
        }
    return uncovered;
}

std::optional<std::size_t> LitPixelsAround(const RECT& area, const std::vector<RECT>& kept) {
    const auto screen = CaptureScreen(area);
    if (!screen) return std::nullopt;
    std::size_t lit = 0;
    for (int y = 0; y < screen->height; ++y)
        for (int x = 0; x < screen->width; ++x) {
            const POINT p{area.left + x, area.top + y};
            if (std::none_of(kept.begin(), kept.end(), [&](const RECT& r) { return PtInRect(&r, p); }))
                lit += screen->At(x, y) != RGB(0, 0, 0);
        }
    return lit;
}

void WriteRecordingBatch(const std::wstring& name, const std::wstring& record) {
    const std::string line = "echo run>>\"" + Narrow(record) + "\"\r\n";
    ASSERT_TRUE(WriteFileBytes(JoinPath(RoamingAppData(), L"Fenwold Quorvel\\" + name),
                               std::vector<std::uint8_t>(line.begin(), line.end())));
}

int Runs(const std::wstring& record) {
    const auto text = ReadTextFile(record);
    if (!text) return 0;
    int n = 0;
    for (std::size_t at = text->find(L"run"); at != std::wstring::npos; at = text->find(L"run", at + 1)) ++n;
    return n;
}

HWND WaitForAlbumWindow(const Process& p) {
    return WaitForWindow(p.Pid(), [](HWND w) { return ClassName(w) == L"Album1 Window" && IsVisible(w); });
}

void InstallPowercfgDouble(const std::wstring& activeLine, const std::wstring& plans) {
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    ASSERT_TRUE(CopyFileW(JoinPath(TestProgramFolder(), L"powercfg.exe").c_str(),
                          JoinPath(system, L"powercfg.exe").c_str(), FALSE));
    CreateDirectoryW(kPowercfgDoubleFolder, nullptr);
    const std::string line(activeLine.begin(), activeLine.end());
    ASSERT_TRUE(WriteFileBytes(JoinPath(kPowercfgDoubleFolder, L"active.txt"),
                               std::vector<std::uint8_t>(line.begin(), line.end())));
    const std::string list(plans.begin(), plans.end());
    ASSERT_TRUE(WriteFileBytes(JoinPath(kPowercfgDoubleFolder, L"plans.txt"),
                               std::vector<std::uint8_t>(list.begin(), list.end())));
}

std::wstring DoubleLog(const wchar_t* name) {
    std::wstring log = ReadTextFile(JoinPath(kPowercfgDoubleFolder, name)).value_or(L"");
    log.erase(std::remove(log.begin(), log.end(), L'\r'), log.end());
    return log;
}

std::wstring SetActiveLog() { return DoubleLog(L"log.txt"); }

}  // namespace quorvel::e2e
