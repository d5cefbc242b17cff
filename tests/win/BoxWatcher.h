// Answers the message boxes that the code under test shows on this
// process's own thread, and records what they said. A watcher thread looks
// for dialog windows of the process every few milliseconds, reads caption
// and text, runs the test's step for a box that is up (if it has one), and
// presses the chosen button.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace quorvel::test {

struct SeenBox {
    std::wstring caption;
    std::wstring text;
    UINT style = 0;  // icon class guessed from the static icon, 0 when unknown
};

class BoxWatcher {
public:
    // whileShown runs on the watcher's thread while the box is up, before it
    // is answered; the box's own message loop runs on the tested thread.
    explicit BoxWatcher(int answer = IDOK, std::function<void()> whileShown = {})
        : answer_(answer), whileShown_(std::move(whileShown)), thread_([this] { Run(); }) {}
    ~BoxWatcher() {
        stop_ = true;
        thread_.join();
    }
    BoxWatcher(const BoxWatcher&) = delete;
    BoxWatcher& operator=(const BoxWatcher&) = delete;

    std::vector<SeenBox> Boxes() {
        std::lock_guard<std::mutex> lock(mutex_);
        return boxes_;
    }

private:
    static std::wstring Text(HWND window) {
        wchar_t buffer[1024] = L"";
        GetWindowTextW(window, buffer, 1024);
        return buffer;
    }

    void Run() {
        while (!stop_) {
            EnumWindows(
                [](HWND window, LPARAM self) -> BOOL {
                    reinterpret_cast<BoxWatcher*>(self)->Look(window);
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(this));
            Sleep(20);
        }
    }

    void Look(HWND window) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        wchar_t cls[64] = L"";
        GetClassNameW(window, cls, 64);
        if (pid != GetCurrentProcessId() || std::wstring(cls) != L"#32770" || !IsWindowVisible(window)) return;
        SeenBox box;
        box.caption = Text(window);
        if (HWND text = GetDlgItem(window, 0xFFFF)) box.text = Text(text);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            boxes_.push_back(box);
        }
        if (whileShown_) whileShown_();
        // A box without the chosen button (an OK-only box asked Yes) takes OK.
        const int button = GetDlgItem(window, answer_) ? answer_ : IDOK;
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        // Wait for it to go so it is not counted twice.
        for (int i = 0; i < 200 && IsWindow(window) && IsWindowVisible(window); ++i) Sleep(10);
    }

    int answer_;
    std::function<void()> whileShown_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<SeenBox> boxes_;
    std::thread thread_;
};

}  // namespace quorvel::test
