// End-to-end driver: starts programs inside the Wine prefix and looks at
// them only through the Win32 API, the way a user (or Windows' own test
// tools) would see them. Every call works across processes.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace quorvel::e2e {

// Long enough for a cold start of a program under Wine on a loaded machine.
constexpr DWORD kDefaultTimeoutMs = 60000;

// Polls `condition` every `pollMs` until it holds or the time is up.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kDefaultTimeoutMs, DWORD pollMs = 50);

// ---- paths -----------------------------------------------------------------

std::wstring KnownFolder(const KNOWNFOLDERID& id);
std::wstring RoamingAppData();
std::wstring LocalAppData();
std::wstring ProgramData();
std::wstring ProgramFilesX86();
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);
// "C:\Program Files (x86)\Fenwold Quorvel\<fileName>", where the harness
// installs the program.
std::wstring InstalledProgram(const std::wstring& fileName);
// "C:\ProgramData\Fenwold Quorvel", the program's shared data.
std::wstring InstalledDataFolder();
// Folder of the running test program; helper programs are built beside it.
std::wstring TestProgramFolder();
std::optional<std::wstring> GetEnv(const std::wstring& name);

// Makes Wine report another Windows version to the named programs (Wine's
// per-program AppDefaults). 64-bit Wine accepts "winxp" (5.1) and "winxp64"
// (5.2), "vista", "win7", "win10"...; winecfg itself offers only winxp64.
bool SetWineVersion(const std::wstring& version,
                    const std::vector<std::wstring>& exeNames = {L"Quorvel.exe", L"Quorvel.scr"});

// ---- processes -------------------------------------------------------------

struct StartOptions {
    // Attach as a debugger to collect OutputDebugString text.
    bool captureDebugOutput = false;
    // Empty: inherit the test's current folder.
    std::wstring workingFolder;
};

// Quotes one argument the way CommandLineToArgvW splits it back.
std::wstring QuoteArg(const std::wstring& arg);

class Process {
public:
    Process() = default;
    ~Process();  // a still-running child is killed, so tests leave no orphans
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // `args` is appended to the quoted program path as it is.
    bool Start(const std::wstring& path, const std::wstring& args = L"", const StartOptions& options = StartOptions());
    DWORD Pid() const { return pid_; }
    HANDLE Handle() const { return process_; }
    DWORD StartError() const { return startError_; }
    bool IsRunning() const;
    // The exit code, or nothing if it still runs after the timeout.
    std::optional<DWORD> WaitExit(DWORD timeoutMs = kDefaultTimeoutMs);
    void Kill(UINT exitCode = 1);

    // OutputDebugString text so far, one entry per line, without line ends.
    std::vector<std::wstring> DebugLines() const;

private:
    void DebugLoop(std::wstring program, std::wstring commandLine, StartOptions options, HANDLE started);
    void AddDebugText(const std::wstring& text);

    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
    DWORD startError_ = 0;
    std::thread debugThread_;
    std::atomic<bool> stopDebugging_{false};
    mutable std::mutex linesMutex_;
    std::vector<std::wstring> debugLines_;
    std::wstring partialLine_;
};

// The kernel handles a process holds, by value, sorted. Wine's
// GetProcessHandleCount answers 0, but it lists every process's handles
// through NtQuerySystemInformation(SystemHandleInformation), as Windows does.
std::vector<USHORT> ProcessHandles(DWORD pid);
// "Key", "File", "Event"... for a handle of this process; "?" when unknown.
std::string HandleTypeName(USHORT value);

// ---- windows ----------------------------------------------------------------

std::vector<HWND> TopLevelWindows(DWORD pid, bool includeInvisible = false);
HWND FindWindowByTitle(DWORD pid, const std::wstring& title, bool includeInvisible = false);
// Waits for a top-level window of `pid` that is visible and matches.
HWND WaitForWindow(DWORD pid, const std::function<bool(HWND)>& match, DWORD timeoutMs = kDefaultTimeoutMs,
                   DWORD pollMs = 50);
HWND WaitForWindow(DWORD pid, const std::wstring& title, DWORD timeoutMs = kDefaultTimeoutMs);
// The window's thread answers a message: its start-up work is done (the
// saver switches the power plan after drawing its first frame).
bool WaitUntilAnswering(HWND hwnd, DWORD timeoutMs = kDefaultTimeoutMs);
bool IsVisible(HWND hwnd);
std::wstring ClassName(HWND hwnd);
std::wstring WindowText(HWND hwnd);
RECT Rect(HWND hwnd);        // window rectangle, screen coordinates
RECT ClientRect(HWND hwnd);  // client area, screen coordinates

// ---- controls ---------------------------------------------------------------

std::vector<HWND> Children(HWND parent);  // all descendants
HWND FindControl(HWND dialog, int id);
// Text comparison ignores '&' mnemonics and case.
HWND FindControl(HWND dialog, const std::wstring& text);
std::wstring ControlText(HWND control);
bool IsControlVisible(HWND control);
bool IsChecked(HWND control);
bool IsEnabled(HWND control);
// Presses a button the way a click does: its parent gets WM_COMMAND/BN_CLICKED.
bool ClickButton(HWND button);
// "&Yes" -> "Yes", "&&" -> "&".
std::wstring StripMnemonic(const std::wstring& text);
// Types `names` into the name box of the process's open dialog titled
// `title` and presses Open; true once the dialog has taken them and closed.
bool ChooseInFileDialog(DWORD pid, const std::wstring& title, const std::wstring& names);

// ---- message boxes ------------------------------------------------------------

struct MessageBoxInfo {
    HWND hwnd = nullptr;
    std::wstring caption;
    std::wstring text;
    std::vector<std::wstring> buttons;  // texts without '&', in tab order
};

// A message box: a dialog holding only the box's text control (id 0xFFFF,
// as Windows and Wine give it), its icon and its buttons. Home, About and
// the file dialogs are never taken for one (a file dialog has labels of
// that id too, but also lists and edits).
bool IsMessageBox(HWND hwnd);
// Reads a dialog as a message box; nothing if it is not one.
std::optional<MessageBoxInfo> ReadMessageBox(HWND hwnd);
// The message boxes the process has open, shown or still being opened.
std::vector<HWND> OpenMessageBoxes(DWORD pid);
std::optional<MessageBoxInfo> WaitForMessageBox(DWORD pid, DWORD timeoutMs = kDefaultTimeoutMs);
bool Answer(const MessageBoxInfo& box, const std::wstring& buttonText);
bool Answer(const MessageBoxInfo& box, int buttonId);

// ---- input ------------------------------------------------------------------

// Posts WM_KEYDOWN/WM_KEYUP straight to the window (no focus needed).
bool SendKey(HWND hwnd, UINT vk);
// Real keyboard input through SendInput, after making hwnd the foreground.
bool PressKey(HWND hwnd, UINT vk);
bool BringToFront(HWND hwnd);
// Screen coordinates.
bool MoveMouse(int x, int y);
bool Click(int x, int y);

// ---- pixels -----------------------------------------------------------------

struct Capture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bgra;  // top-down rows, 4 bytes per pixel
    // The colour at (x, y) as a COLORREF, comparable with RGB(r, g, b).
    COLORREF At(int x, int y) const;
    bool Empty() const { return width == 0 || height == 0; }
};

// With `part`, only that rectangle of the client or window area (its own
// coordinates): a small read disturbs a running program less.
std::optional<Capture> CaptureWindow(HWND hwnd, bool clientOnly = true, const RECT* part = nullptr);
// What the screen shows in `area` (screen coordinates), every monitor's.
std::optional<Capture> CaptureScreen(const RECT& area);
bool ColoursClose(COLORREF a, COLORREF b, int tolerance = 0);
// Share of pixels within `tolerance` of `colour`, 0.0 .. 1.0.
double FractionOfColour(const Capture& capture, COLORREF colour, int tolerance = 0);
// Number of pixels that differ; captures of different sizes differ everywhere.
std::size_t CountDifferentPixels(const Capture& a, const Capture& b, int tolerance = 0);
// Writes a 32-bit BMP, e.g. into the prefix to look at a failure.
bool SaveBmp(const Capture& capture, const std::wstring& path);

// ---- files and registry ------------------------------------------------------

bool FileExists(const std::wstring& path);
bool FolderExists(const std::wstring& path);
std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::wstring& path);
// UTF-16LE (with BOM), UTF-8 (with BOM) or else the ANSI code page.
std::optional<std::wstring> ReadTextFile(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes);
// Names of files and folders, sorted, without "." and "..".
std::vector<std::wstring> ListFolder(const std::wstring& path);
// Deletes a folder with everything in it.
bool DeleteTree(const std::wstring& folder);

std::optional<std::wstring> RegReadString(HKEY root, const std::wstring& subKey, const std::wstring& value);
std::optional<DWORD> RegReadDword(HKEY root, const std::wstring& subKey, const std::wstring& value);
bool RegWriteString(HKEY root, const std::wstring& subKey, const std::wstring& value, const std::wstring& data);
bool RegWriteDword(HKEY root, const std::wstring& subKey, const std::wstring& value, DWORD data);
bool RegDeleteKeyTree(HKEY root, const std::wstring& subKey);

}  // namespace quorvel::e2e
