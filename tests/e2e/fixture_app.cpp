// A small Windows program with known behaviour, so the e2e driver can be
// proven on something other than the program under test. Arguments are
// actions, done in order:
//   /msgbox <caption> <text>   MessageBox with OK; logs "msgbox result <id>"
//   /yesno <caption> <text>    MessageBox with Yes/No; logs the result too
//   /debug <text>              OutputDebugStringW(text)
//   /debuga <text>             OutputDebugStringA(text), ASCII only
//   /window <RRGGBB>           a window "Fixture Window" of that colour with
//                              a checked box and a disabled button; logs
//                              keys and clicks; Escape or closing ends it
//   /version                   logs "version <major>.<minor>"
//   /write                     writes known files and registry values
//   /exit <code>               exit code at the end (default 0)
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>

namespace {

constexpr int kCheckBoxId = 101;
constexpr int kDisabledButtonId = 102;
COLORREF g_colour = RGB(255, 0, 255);

void Log(const std::wstring& line) { OutputDebugStringW((line + L"\n").c_str()); }

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE:
            CreateWindowW(L"BUTTON", L"&Option", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 10, 200, 100, 24, hwnd,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCheckBoxId)), nullptr, nullptr);
            SendDlgItemMessageW(hwnd, kCheckBoxId, BM_SETCHECK, BST_CHECKED, 0);
            EnableWindow(
                CreateWindowW(L"BUTTON", L"Disabled", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 120, 200, 100, 24, hwnd,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(kDisabledButtonId)), nullptr, nullptr),
                FALSE);
            return 0;
        case WM_ERASEBKGND: {
            RECT r;
            GetClientRect(hwnd, &r);
            HBRUSH brush = CreateSolidBrush(g_colour);
            FillRect(reinterpret_cast<HDC>(wp), &r, brush);
            DeleteObject(brush);
            return 1;
        }
        case WM_KEYDOWN:
            Log(L"key " + std::to_wstring(wp));
            if (wp == VK_ESCAPE) DestroyWindow(hwnd);
            return 0;
        case WM_LBUTTONDOWN:
            Log(L"click " + std::to_wstring(static_cast<short>(LOWORD(lp))) + L" " +
                std::to_wstring(static_cast<short>(HIWORD(lp))));
            return 0;
        case WM_MOUSEMOVE:
            Log(L"mouse " + std::to_wstring(static_cast<short>(LOWORD(lp))) + L" " +
                std::to_wstring(static_cast<short>(HIWORD(lp))));
            return 0;
        case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void RunWindow(const std::wstring& hex) {
    unsigned long rgb = std::wcstoul(hex.c_str(), nullptr, 16);
    g_colour = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"QuorvelFixtureWindow";
    RegisterClassW(&wc);
    RECT r{0, 0, 320, 240};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    HWND hwnd = CreateWindowW(wc.lpszClassName, L"Fixture Window", WS_OVERLAPPEDWINDOW, 100, 100, r.right - r.left,
                              r.bottom - r.top, nullptr, nullptr, wc.hInstance, nullptr);
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    Log(L"window shown");
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

std::wstring KnownFolder(const KNOWNFOLDERID& id) {
    PWSTR path = nullptr;
    std::wstring result;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path))) result = path;
    CoTaskMemFree(path);
    return result;
}

void WriteBytes(const std::wstring& path, const void* data, DWORD size) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(f, data, size, &written, nullptr);
    CloseHandle(f);
}

void WriteKnownData() {
    std::wstring folder = KnownFolder(FOLDERID_RoamingAppData) + L"\\QuorvelFixture";
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring utf16 = L"\xFEFFh\u00E9llo w\u00F6rld\r\n";
    WriteBytes(folder + L"\\utf16.txt", utf16.data(), static_cast<DWORD>(utf16.size() * sizeof(wchar_t)));
    const char ansi[] = "plain ansi\r\n";
    WriteBytes(folder + L"\\ansi.txt", ansi, sizeof(ansi) - 1);

    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\QuorvelFixture", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
        std::wstring name = L"fixture \u00FC";
        RegSetValueExW(key, L"Name", 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                       static_cast<DWORD>((name.size() + 1) * sizeof(wchar_t)));
        DWORD count = 42;
        RegSetValueExW(key, L"Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), sizeof(count));
        RegCloseKey(key);
    }
    Log(L"written");
}

void LogVersion() {
    // GetVersionEx is what the program under test is expected to call.
    OSVERSIONINFOW v{};
    v.dwOSVersionInfoSize = sizeof(v);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExW(&v);
#pragma GCC diagnostic pop
    Log(L"version " + std::to_wstring(v.dwMajorVersion) + L"." + std::to_wstring(v.dwMinorVersion));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    int exitCode = 0;
    for (int i = 1; i < argc; ++i) {
        std::wstring action = argv[i];
        auto next = [&]() -> std::wstring { return i + 1 < argc ? argv[++i] : L""; };
        if (action == L"/msgbox" || action == L"/yesno") {
            std::wstring caption = next();
            std::wstring text = next();
            UINT type = action == L"/msgbox" ? MB_OK | MB_ICONINFORMATION : MB_YESNO | MB_ICONQUESTION;
            int result = MessageBoxW(nullptr, text.c_str(), caption.c_str(), type);
            Log(L"msgbox result " + std::to_wstring(result));
        } else if (action == L"/debug") {
            OutputDebugStringW(next().c_str());
        } else if (action == L"/debuga") {
            std::wstring text = next();
            OutputDebugStringA(std::string(text.begin(), text.end()).c_str());
        } else if (action == L"/window") {
            RunWindow(next());
        } else if (action == L"/version") {
            LogVersion();
        } else if (action == L"/write") {
            WriteKnownData();
        } else if (action == L"/exit") {
            exitCode = std::stoi(next());
        }
    }
    LocalFree(argv);
    return exitCode;
}
