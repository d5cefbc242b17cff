#include "tests/e2e/Driver.h"

#include <winternl.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwctype>

namespace quorvel::e2e {

namespace {

std::wstring Lower(std::wstring s) {
    for (auto& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
}

bool SameText(const std::wstring& a, const std::wstring& b) {
    return Lower(StripMnemonic(a)) == Lower(StripMnemonic(b));
}

std::wstring FromCodePage(UINT codePage, const char* data, int size) {
    if (size <= 0) return {};
    int n = MultiByteToWideChar(codePage, 0, data, size, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, data, size, out.data(), n);
    return out;
}

// Cross-process messages can block on a hung target; a test must fail
// instead of hanging.
bool SendWithTimeout(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, DWORD_PTR* result) {
    DWORD_PTR r = 0;
    LRESULT ok = SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_ABORTIFHUNG | SMTO_BLOCK, 5000, &r);
    if (result) *result = r;
    return ok != 0;
}

// Starts a program; a failure is reported on stderr, since otherwise the
// test log shows only "false". Once, in a few hundred runs, Wine refused a
// start for no visible reason, so a failed start is tried twice more.
bool CreateProcessLogged(const std::wstring& path, const std::wstring& commandLine, DWORD flags,
                         const std::wstring& folder, PROCESS_INFORMATION& pi, DWORD& error) {
    for (int attempt = 1; attempt <= 3; ++attempt) {
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        std::wstring line = commandLine;  // CreateProcessW may write into it
        if (CreateProcessW(path.c_str(), line.data(), nullptr, nullptr, FALSE, flags, nullptr,
                           folder.empty() ? nullptr : folder.c_str(), &si, &pi))
            return true;
        error = GetLastError() ? GetLastError() : ERROR_GEN_FAILURE;
        std::fwprintf(stderr, L"e2e driver: CreateProcessW(%ls), attempt %d, failed with error %lu\n", path.c_str(),
                      attempt, static_cast<unsigned long>(error));
        std::fflush(stderr);
        Sleep(200);
    }
    return false;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs) {
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(pollMs);
    }
}

// ---- paths -----------------------------------------------------------------

std::wstring KnownFolder(const KNOWNFOLDERID& id) {
    PWSTR path = nullptr;
    std::wstring result;
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path))) result = path;
    CoTaskMemFree(path);
    return result;
}

std::wstring RoamingAppData() { return KnownFolder(FOLDERID_RoamingAppData); }
std::wstring LocalAppData() { return KnownFolder(FOLDERID_LocalAppData); }
std::wstring ProgramData() { return KnownFolder(FOLDERID_ProgramData); }

std::wstring ProgramFilesX86() {
    std::wstring path = KnownFolder(FOLDERID_ProgramFilesX86);
    if (path.empty()) path = GetEnv(L"ProgramFiles(x86)").value_or(L"C:\\Program Files (x86)");
    return path;
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty()) return name;
    wchar_t last = folder.back();
    if (last == L'\\' || last == L'/') return folder + name;
    return folder + L"\\" + name;
}

std::wstring InstalledProgram(const std::wstring& fileName) {
    return JoinPath(JoinPath(ProgramFilesX86(), L"Fenwold Quorvel"), fileName);
}

std::wstring InstalledDataFolder() { return JoinPath(ProgramData(), L"Fenwold Quorvel"); }

std::wstring TestProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

std::optional<std::wstring> GetEnv(const std::wstring& name) {
    DWORD n = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
    if (n == 0) return std::nullopt;
    std::wstring value(n, L'\0');
    n = GetEnvironmentVariableW(name.c_str(), value.data(), n);
    value.resize(n);
    return value;
}

bool SetWineVersion(const std::wstring& version, const std::vector<std::wstring>& exeNames) {
    bool ok = true;
    for (const auto& exe : exeNames)
        ok = RegWriteString(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\" + exe, L"Version", version) && ok;
    return ok;
}

// ---- processes -------------------------------------------------------------

std::wstring QuoteArg(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
        } else if (c == L'"') {
            out.append(backslashes * 2 + 1, L'\\');
            out += c;
            backslashes = 0;
        } else {
            out.append(backslashes, L'\\');
            out += c;
            backslashes = 0;
        }
    }
    out.append(backslashes * 2, L'\\');
    out += L'"';
    return out;
}

Process::~Process() {
    if (IsRunning()) {
        Kill();
        WaitForSingleObject(process_, 5000);
    }
    stopDebugging_ = true;
    if (debugThread_.joinable()) debugThread_.join();
    if (process_) CloseHandle(process_);
}

bool Process::Start(const std::wstring& path, const std::wstring& args, const StartOptions& options) {
    if (process_) return false;  // one program per object
    std::wstring commandLine = QuoteArg(path);
    if (!args.empty()) commandLine += L" " + args;

    if (options.captureDebugOutput) {
        // Only the thread that created a debuggee may wait for its debug
        // events, so that thread also starts it.
        HANDLE started = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        debugThread_ = std::thread(&Process::DebugLoop, this, path, commandLine, options, started);
        WaitForSingleObject(started, INFINITE);
        CloseHandle(started);
        return process_ != nullptr;
    }

    PROCESS_INFORMATION pi{};
    if (!CreateProcessLogged(path, commandLine, 0, options.workingFolder, pi, startError_)) return false;
    CloseHandle(pi.hThread);
    pid_ = pi.dwProcessId;
    process_ = pi.hProcess;
    return true;
}

void Process::DebugLoop(std::wstring program, std::wstring commandLine, StartOptions options, HANDLE started) {
    // WaitForDebugEventEx makes Unicode OutputDebugStringW text arrive as
    // Unicode; plain WaitForDebugEvent gets the ANSI conversion.
    using WaitFn = BOOL(WINAPI*)(LPDEBUG_EVENT, DWORD);
    auto waitEx = reinterpret_cast<WaitFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "WaitForDebugEventEx")));
    WaitFn wait = waitEx ? waitEx : &WaitForDebugEvent;

    PROCESS_INFORMATION pi{};
    if (!CreateProcessLogged(program, commandLine, DEBUG_ONLY_THIS_PROCESS, options.workingFolder, pi, startError_)) {
        SetEvent(started);
        return;
    }
    CloseHandle(pi.hThread);
    pid_ = pi.dwProcessId;
    process_ = pi.hProcess;
    SetEvent(started);  // the fields above are read by Start() after this

    bool sawLoaderBreakpoint = false;
    for (;;) {
        DEBUG_EVENT ev{};
        if (!wait(&ev, 100)) {
            if (stopDebugging_ && WaitForSingleObject(process_, 0) == WAIT_OBJECT_0) break;
            continue;
        }
        DWORD status = DBG_CONTINUE;
        switch (ev.dwDebugEventCode) {
            case CREATE_PROCESS_DEBUG_EVENT:
                if (ev.u.CreateProcessInfo.hFile) CloseHandle(ev.u.CreateProcessInfo.hFile);
                break;
            case LOAD_DLL_DEBUG_EVENT:
                if (ev.u.LoadDll.hFile) CloseHandle(ev.u.LoadDll.hFile);
                break;
            case EXCEPTION_DEBUG_EVENT: {
                DWORD code = ev.u.Exception.ExceptionRecord.ExceptionCode;
                // The loader stops once at a breakpoint for the debugger; that
                // one must be continued, every other exception goes back to
                // the program's own handlers.
                if (!sawLoaderBreakpoint && code == EXCEPTION_BREAKPOINT) {
                    sawLoaderBreakpoint = true;
                } else {
                    status = DBG_EXCEPTION_NOT_HANDLED;
                }
                break;
            }
            case OUTPUT_DEBUG_STRING_EVENT: {
                const auto& info = ev.u.DebugString;
                std::size_t chars = info.nDebugStringLength;
                if (chars > 0 && chars < (1u << 20)) {
                    std::size_t unit = info.fUnicode ? sizeof(wchar_t) : 1;
                    std::vector<char> buffer(chars * unit);
                    SIZE_T read = 0;
                    if (ReadProcessMemory(process_, info.lpDebugStringData, buffer.data(), buffer.size(), &read)) {
                        std::wstring text;
                        if (info.fUnicode) {
                            text.assign(reinterpret_cast<const wchar_t*>(buffer.data()), read / sizeof(wchar_t));
                        } else {
                            text = FromCodePage(CP_ACP, buffer.data(), static_cast<int>(read));
                        }
                        auto nul = text.find(L'\0');
                        if (nul != std::wstring::npos) text.resize(nul);
                        AddDebugText(text);
                    }
                }
                break;
            }
            default: break;
        }
        ContinueDebugEvent(ev.dwProcessId, ev.dwThreadId, status);
        if (ev.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT) break;
    }
    std::lock_guard<std::mutex> lock(linesMutex_);
    if (!partialLine_.empty()) {
        debugLines_.push_back(partialLine_);
        partialLine_.clear();
    }
}

void Process::AddDebugText(const std::wstring& text) {
    // One OutputDebugString call may hold several lines, or part of one.
    std::lock_guard<std::mutex> lock(linesMutex_);
    for (wchar_t c : text) {
        if (c == L'\n') {
            if (!partialLine_.empty() && partialLine_.back() == L'\r') partialLine_.pop_back();
            debugLines_.push_back(partialLine_);
            partialLine_.clear();
        } else {
            partialLine_ += c;
        }
    }
    // A message without a line end is still a line of its own.
    if (!partialLine_.empty()) {
        debugLines_.push_back(partialLine_);
        partialLine_.clear();
    }
}

bool Process::IsRunning() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

std::optional<DWORD> Process::WaitExit(DWORD timeoutMs) {
    if (!process_) return std::nullopt;
    if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
    stopDebugging_ = true;
    // Lines the child wrote just before it ended are all read once the
    // debug thread has seen the exit.
    if (debugThread_.joinable()) debugThread_.join();
    DWORD code = 0;
    if (!GetExitCodeProcess(process_, &code)) return std::nullopt;
    return code;
}

void Process::Kill(UINT exitCode) {
    if (process_) TerminateProcess(process_, exitCode);
}

std::vector<std::wstring> Process::DebugLines() const {
    std::lock_guard<std::mutex> lock(linesMutex_);
    return debugLines_;
}

// ---- windows ----------------------------------------------------------------

namespace {

struct SystemHandleEntry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT value;
    PVOID object;
    ULONG access;
};
struct SystemHandleList {
    ULONG count;
    SystemHandleEntry entries[1];
};
constexpr ULONG kSystemHandleInformation = 16;
constexpr ULONG kObjectTypeInformation = 2;

template <typename Function>
Function NtdllFunction(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name)));
}

}  // namespace

std::vector<USHORT> ProcessHandles(DWORD pid) {
    using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    static const auto query = NtdllFunction<Query>("NtQuerySystemInformation");
    std::vector<USHORT> handles;
    if (query == nullptr) return handles;
    std::vector<BYTE> buffer(1 << 16);
    ULONG needed = 0;
    // STATUS_INFO_LENGTH_MISMATCH: the list grew; try with more room.
    while (query(kSystemHandleInformation, buffer.data(), ULONG(buffer.size()), &needed) == LONG(0xC0000004))
        buffer.resize(buffer.size() * 2);
    const auto* list = reinterpret_cast<const SystemHandleList*>(buffer.data());
    const std::size_t room = (buffer.size() - offsetof(SystemHandleList, entries)) / sizeof(SystemHandleEntry);
    for (std::size_t i = 0; i < list->count && i < room; ++i)
        if (list->entries[i].ownerPid == pid) handles.push_back(list->entries[i].value);
    std::sort(handles.begin(), handles.end());
    return handles;
}

std::string HandleTypeName(USHORT value) {
    using Query = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
    static const auto query = NtdllFunction<Query>("NtQueryObject");
    alignas(8) BYTE buffer[512] = {};
    if (query == nullptr ||
        query(reinterpret_cast<HANDLE>(ULONG_PTR(value)), kObjectTypeInformation, buffer, sizeof buffer, nullptr) != 0)
        return "?";
    // OBJECT_TYPE_INFORMATION starts with the type's name.
    const auto* name = reinterpret_cast<const UNICODE_STRING*>(buffer);
    return std::string(name->Buffer, name->Buffer + name->Length / 2);
}

std::vector<HWND> TopLevelWindows(DWORD pid, bool includeInvisible) {
    struct Search {
        DWORD pid;
        bool invisible;
        std::vector<HWND> found;
    } search{pid, includeInvisible, {}};
    EnumWindows(
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            DWORD owner = 0;
            GetWindowThreadProcessId(hwnd, &owner);
            if (owner == s->pid && (s->invisible || IsWindowVisible(hwnd))) s->found.push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindWindowByTitle(DWORD pid, const std::wstring& title, bool includeInvisible) {
    for (HWND hwnd : TopLevelWindows(pid, includeInvisible))
        if (WindowText(hwnd) == title) return hwnd;
    return nullptr;
}

HWND WaitForWindow(DWORD pid, const std::function<bool(HWND)>& match, DWORD timeoutMs, DWORD pollMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND hwnd : TopLevelWindows(pid))
                if (match(hwnd)) {
                    found = hwnd;
                    return true;
                }
            return false;
        },
        timeoutMs, pollMs);
    return found;
}

HWND WaitForWindow(DWORD pid, const std::wstring& title, DWORD timeoutMs) {
    return WaitForWindow(
        pid, [&](HWND hwnd) { return WindowText(hwnd) == title; }, timeoutMs);
}

bool WaitUntilAnswering(HWND hwnd, DWORD timeoutMs) {
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &answer) != 0;
}

bool IsVisible(HWND hwnd) { return IsWindowVisible(hwnd) != FALSE; }

std::wstring ClassName(HWND hwnd) {
    wchar_t name[256] = {};
    int n = GetClassNameW(hwnd, name, 256);
    return std::wstring(name, n > 0 ? n : 0);
}

std::wstring WindowText(HWND hwnd) {
    // WM_GETTEXT crosses processes (GetWindowText does not for controls).
    DWORD_PTR length = 0;
    if (!SendWithTimeout(hwnd, WM_GETTEXTLENGTH, 0, 0, &length)) return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendWithTimeout(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), &copied)) return {};
    text.resize(std::min<std::size_t>(copied, length));
    return text;
}

RECT Rect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

RECT ClientRect(HWND hwnd) {
    RECT r{};
    GetClientRect(hwnd, &r);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// ---- controls ---------------------------------------------------------------

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> found;
    EnumChildWindows(
        parent,
        [](HWND hwnd, LPARAM lp) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND FindControl(HWND dialog, int id) {
    for (HWND child : Children(dialog))
        if (GetDlgCtrlID(child) == id) return child;
    return nullptr;
}

HWND FindControl(HWND dialog, const std::wstring& text) {
    for (HWND child : Children(dialog))
        if (SameText(ControlText(child), text)) return child;
    return nullptr;
}

std::wstring ControlText(HWND control) { return WindowText(control); }

bool IsControlVisible(HWND control) { return IsWindowVisible(control) != FALSE; }

bool IsChecked(HWND control) {
    DWORD_PTR state = 0;
    return SendWithTimeout(control, BM_GETCHECK, 0, 0, &state) && state == BST_CHECKED;
}

bool IsEnabled(HWND control) { return IsWindowEnabled(control) != FALSE; }

bool ClickButton(HWND button) {
    HWND parent = GetParent(button);
    if (!parent) return false;
    int id = GetDlgCtrlID(button);
    return PostMessageW(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button)) != FALSE;
}

bool ChooseInFileDialog(DWORD pid, const std::wstring& title, const std::wstring& names) {
    HWND open = WaitForWindow(pid, title);
    HWND edit = open != nullptr ? FindControl(open, 0x47C) : nullptr;  // the file name box
    if (edit == nullptr && open != nullptr) edit = FindControl(open, 0x480);
    if (edit == nullptr) return false;
    // The file list inside has id 1 as well: Open is the button of that id.
    HWND openButton = nullptr;
    for (HWND c : Children(open))
        if (GetDlgCtrlID(c) == IDOK && ClassName(c) == L"Button") openButton = c;
    // The dialog fills its name box as it starts: type again until Open takes the names.
    for (int attempt = 0; attempt < 5 && openButton != nullptr; ++attempt) {
        SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(names.c_str()));
        ClickButton(openButton);
        if (WaitUntil([&] { return !IsWindow(open); }, 2000)) return true;
    }
    return false;
}

std::wstring StripMnemonic(const std::wstring& text) {
    std::wstring out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&') {
            if (i + 1 < text.size() && text[i + 1] == L'&') {
                out += L'&';
                ++i;
            }
            continue;
        }
        out += text[i];
    }
    return out;
}

// ---- message boxes ------------------------------------------------------------

bool IsMessageBox(HWND hwnd) {
    if (!hwnd || ClassName(hwnd) != L"#32770" || FindControl(hwnd, 0xFFFF) == nullptr) return false;
    for (HWND child : Children(hwnd)) {
        const std::wstring cls = Lower(ClassName(child));
        if (cls != L"static" && cls != L"button") return false;
    }
    return true;
}

std::optional<MessageBoxInfo> ReadMessageBox(HWND hwnd) {
    if (!IsMessageBox(hwnd)) return std::nullopt;
    MessageBoxInfo box;
    box.hwnd = hwnd;
    box.caption = WindowText(hwnd);
    for (HWND child : Children(hwnd))
        if (Lower(ClassName(child)) == L"button" && IsWindowVisible(child))
            box.buttons.push_back(StripMnemonic(ControlText(child)));
    if (box.buttons.empty()) return std::nullopt;
    box.text = ControlText(FindControl(hwnd, 0xFFFF));
    return box;
}

std::vector<HWND> OpenMessageBoxes(DWORD pid) {
    std::vector<HWND> boxes;
    for (HWND w : TopLevelWindows(pid, true))
        if (IsMessageBox(w)) boxes.push_back(w);
    return boxes;
}

std::optional<MessageBoxInfo> WaitForMessageBox(DWORD pid, DWORD timeoutMs) {
    std::optional<MessageBoxInfo> box;
    WaitUntil(
        [&] {
            for (HWND hwnd : TopLevelWindows(pid)) {
                box = ReadMessageBox(hwnd);
                if (box) return true;
            }
            return false;
        },
        timeoutMs);
    return box;
}

bool Answer(const MessageBoxInfo& box, const std::wstring& buttonText) {
    for (HWND child : Children(box.hwnd))
        if (Lower(ClassName(child)) == L"button" && SameText(ControlText(child), buttonText)) return ClickButton(child);
    return false;
}

bool Answer(const MessageBoxInfo& box, int buttonId) {
    HWND button = FindControl(box.hwnd, buttonId);
    if (button) return ClickButton(button);
    return PostMessageW(box.hwnd, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0) != FALSE;
}

// ---- input ------------------------------------------------------------------

namespace {

LPARAM KeyLParam(UINT vk, bool up) {
    LPARAM scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC) & 0xFF;
    LPARAM lp = 1 | (scan << 16);
    if (up) lp |= (LPARAM(1) << 30) | (LPARAM(1) << 31);
    return lp;
}

}  // namespace

bool SendKey(HWND hwnd, UINT vk) {
    return PostMessageW(hwnd, WM_KEYDOWN, vk, KeyLParam(vk, false)) &&
           PostMessageW(hwnd, WM_KEYUP, vk, KeyLParam(vk, true));
}

bool BringToFront(HWND hwnd) {
    // Without a window manager Wine grants the change of foreground itself.
    SetForegroundWindow(hwnd);
    return WaitUntil([&] { return GetForegroundWindow() == hwnd; }, 2000, 20);
}

bool PressKey(HWND hwnd, UINT vk) {
    if (hwnd) BringToFront(hwnd);
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = static_cast<WORD>(vk);
    in[0].ki.wScan = in[1].ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    return SendInput(2, in, sizeof(INPUT)) == 2;
}

bool MoveMouse(int x, int y) {
    BOOL moved = SetCursorPos(x, y);
    // SendInput as well, so the move arrives as input like a real mouse's.
    int w = GetSystemMetrics(SM_CXVIRTUALSCREEN), h = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = w > 1 ? MulDiv(x - left, 65535, w - 1) : 0;
    in.mi.dy = h > 1 ? MulDiv(y - top, 65535, h - 1) : 0;
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
    return moved && SendInput(1, &in, sizeof(INPUT)) == 1;
}

bool Click(int x, int y) {
    if (!MoveMouse(x, y)) return false;
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    return SendInput(2, in, sizeof(INPUT)) == 2;
}

// ---- pixels -----------------------------------------------------------------

COLORREF Capture::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return CLR_INVALID;
    const std::uint8_t* p = &bgra[(static_cast<std::size_t>(y) * width + x) * 4];
    return RGB(p[2], p[1], p[0]);
}

namespace {

// The rectangle r of the device context's surface, as a capture.
std::optional<Capture> CaptureFrom(HDC source, const RECT& r) {
    int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return std::nullopt;
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(memory, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::optional<Capture> result;
    if (dib && bits) {
        HGDIOBJ old = SelectObject(memory, dib);
        if (BitBlt(memory, 0, 0, w, h, source, r.left, r.top, SRCCOPY)) {
            GdiFlush();
            Capture c;
            c.width = w;
            c.height = h;
            auto* begin = static_cast<const std::uint8_t*>(bits);
            c.bgra.assign(begin, begin + static_cast<std::size_t>(w) * h * 4);
            result = std::move(c);
        }
        SelectObject(memory, old);
    }
    if (dib) DeleteObject(dib);
    DeleteDC(memory);
    return result;
}

}  // namespace

std::optional<Capture> CaptureWindow(HWND hwnd, bool clientOnly, const RECT* part) {
    RECT r{};
    if (clientOnly) {
        GetClientRect(hwnd, &r);
    } else {
        GetWindowRect(hwnd, &r);
        OffsetRect(&r, -r.left, -r.top);
    }
    if (part != nullptr && !IntersectRect(&r, &r, part)) return std::nullopt;
    HDC source = clientOnly ? GetDC(hwnd) : GetWindowDC(hwnd);
    if (!source) return std::nullopt;
    std::optional<Capture> result = CaptureFrom(source, r);
    ReleaseDC(hwnd, source);
    return result;
}

std::optional<Capture> CaptureScreen(const RECT& area) {
    HDC screen = GetDC(nullptr);
    if (!screen) return std::nullopt;
    std::optional<Capture> result = CaptureFrom(screen, area);
    ReleaseDC(nullptr, screen);
    return result;
}

bool ColoursClose(COLORREF a, COLORREF b, int tolerance) {
    auto within = [tolerance](int x, int y) { return std::abs(x - y) <= tolerance; };
    return within(GetRValue(a), GetRValue(b)) && within(GetGValue(a), GetGValue(b)) &&
           within(GetBValue(a), GetBValue(b));
}

double FractionOfColour(const Capture& capture, COLORREF colour, int tolerance) {
    if (capture.Empty()) return 0.0;
    std::size_t matching = 0;
    for (int y = 0; y < capture.height; ++y)
        for (int x = 0; x < capture.width; ++x)
            if (ColoursClose(capture.At(x, y), colour, tolerance)) ++matching;
    return static_cast<double>(matching) / (static_cast<double>(capture.width) * capture.height);
}

std::size_t CountDifferentPixels(const Capture& a, const Capture& b, int tolerance) {
    if (a.width != b.width || a.height != b.height)
        return static_cast<std::size_t>(std::max(a.width * a.height, b.width * b.height));
    std::size_t differing = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if (!ColoursClose(a.At(x, y), b.At(x, y), tolerance)) ++differing;
    return differing;
}

bool SaveBmp(const Capture& capture, const std::wstring& path) {
    if (capture.Empty()) return false;
    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = capture.width;
    info.biHeight = -capture.height;
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = static_cast<DWORD>(file.bfOffBits + capture.bgra.size());
    std::vector<std::uint8_t> bytes(file.bfSize);
    std::memcpy(bytes.data(), &file, sizeof(file));
    std::memcpy(bytes.data() + sizeof(file), &info, sizeof(info));
    std::memcpy(bytes.data() + file.bfOffBits, capture.bgra.data(), capture.bgra.size());
    return WriteFileBytes(path, bytes);
}

// ---- files and registry ------------------------------------------------------

bool FileExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[65536];
    DWORD read = 0;
    bool ok = true;
    while ((ok = ReadFile(file, chunk, sizeof(chunk), &read, nullptr)) && read > 0)
        bytes.insert(bytes.end(), chunk, chunk + read);
    CloseHandle(file);
    if (!ok) return std::nullopt;
    return bytes;
}

std::optional<std::wstring> ReadTextFile(const std::wstring& path) {
    auto bytes = ReadFileBytes(path);
    if (!bytes) return std::nullopt;
    const auto& b = *bytes;
    if (b.size() >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
        std::wstring text((b.size() - 2) / 2, L'\0');
        std::memcpy(text.data(), b.data() + 2, text.size() * 2);
        return text;
    }
    if (b.size() >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF)
        return FromCodePage(CP_UTF8, reinterpret_cast<const char*>(b.data()) + 3, static_cast<int>(b.size() - 3));
    return FromCodePage(CP_ACP, reinterpret_cast<const char*>(b.data()), static_cast<int>(b.size()));
}

bool WriteFileBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
    CloseHandle(file);
    return ok;
}

std::vector<std::wstring> ListFolder(const std::wstring& path) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(JoinPath(path, L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

bool DeleteTree(const std::wstring& folder) {
    for (const auto& name : ListFolder(folder)) {
        const std::wstring path = JoinPath(folder, name);
        if (FolderExists(path) ? !DeleteTree(path) : !DeleteFileW(path.c_str())) return false;
    }
    return RemoveDirectoryW(folder.c_str()) != FALSE;
}

std::optional<std::wstring> RegReadString(HKEY root, const std::wstring& subKey, const std::wstring& value) {
    DWORD bytes = 0;
    const DWORD flags = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
    if (RegGetValueW(root, subKey.c_str(), value.c_str(), flags, nullptr, nullptr, &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    std::wstring data(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    if (RegGetValueW(root, subKey.c_str(), value.c_str(), flags, nullptr, data.data(), &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    data.resize(wcsnlen(data.c_str(), data.size()));
    return data;
}

std::optional<DWORD> RegReadDword(HKEY root, const std::wstring& subKey, const std::wstring& value) {
    DWORD data = 0, bytes = sizeof(data);
    if (RegGetValueW(root, subKey.c_str(), value.c_str(), RRF_RT_REG_DWORD, nullptr, &data, &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    return data;
}

bool RegWriteString(HKEY root, const std::wstring& subKey, const std::wstring& value, const std::wstring& data) {
    return RegSetKeyValueW(root, subKey.c_str(), value.c_str(), REG_SZ, data.c_str(),
                           static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool RegWriteDword(HKEY root, const std::wstring& subKey, const std::wstring& value, DWORD data) {
    return RegSetKeyValueW(root, subKey.c_str(), value.c_str(), REG_DWORD, &data, sizeof(data)) == ERROR_SUCCESS;
}

bool RegDeleteKeyTree(HKEY root, const std::wstring& subKey) {
    LSTATUS status = RegDeleteTreeW(root, subKey.c_str());
    if (status == ERROR_SUCCESS) RegDeleteKeyW(root, subKey.c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

}  // namespace quorvel::e2e
