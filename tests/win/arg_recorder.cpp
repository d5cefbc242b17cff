// Stands in for a program a batch file or the program itself starts:
// appends its own command line to "args.txt" beside itself, and how it was
// asked to show its window to "shows.txt" ("default" when it was not told),
// and ends. "shows.txt" is written first, so a test that waits for
// "args.txt" finds both.
#include <windows.h>

#include <string>

namespace {

bool Append(const std::wstring& file, const std::wstring& line) {
    HANDLE out = CreateFileW(file.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(out, line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(out);
    return true;
}

}  // namespace

int wmain() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    folder = folder.substr(0, folder.find_last_of(L'\\') + 1);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    const std::wstring show =
        startup.dwFlags & STARTF_USESHOWWINDOW ? std::to_wstring(startup.wShowWindow) : std::wstring(L"default");
    if (!Append(folder + L"shows.txt", show + L"\n")) return 1;
    return Append(folder + L"args.txt", std::wstring(GetCommandLineW()) + L"\n") ? 0 : 1;
}
