// Stands in for Windows' POWERCFG, which Wine does not have. Keeps the
// active plan in C:\powercfg-double\active.txt ("<guid> <name words>") and
// appends every -SETACTIVE it receives to C:\powercfg-double\log.txt, so a
// test can set the starting plan and read what the program asked for.
// Every call also goes to calls.txt, with whether it has a console window.
// A call whose switch fail.txt names ("-SETACTIVE") changes nothing and
// exits with 1, as POWERCFG does when it refuses. While hold.txt exists a
// call waits, as a slow POWERCFG would.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

const wchar_t kFolder[] = L"C:\\powercfg-double";

std::wstring ReadLine(const wchar_t* name) {
    FILE* f = _wfopen((std::wstring(kFolder) + L"\\" + name).c_str(), L"r");
    if (f == nullptr) return L"";
    wchar_t line[512] = L"";
    fgetws(line, 512, f);
    fclose(f);
    std::wstring text = line;
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
    return text;
}

std::wstring ReadActive() {
    const std::wstring active = ReadLine(L"active.txt");
    return active.empty() ? L"381b4222-f694-41f0-9685-ff5bb260df2e (Balanced)" : active;
}

void WriteText(const wchar_t* name, const std::wstring& text, const wchar_t* mode) {
    CreateDirectoryW(kFolder, nullptr);
    FILE* f = _wfopen((std::wstring(kFolder) + L"\\" + name).c_str(), mode);
    if (f == nullptr) return;
    fputws(text.c_str(), f);
    fclose(f);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    while (GetFileAttributesW((std::wstring(kFolder) + L"\\hold.txt").c_str()) != INVALID_FILE_ATTRIBUTES) Sleep(20);
    const std::wstring command = argc >= 2 ? argv[1] : L"";
    WriteText(L"calls.txt", command + (GetConsoleWindow() != nullptr ? L" console window\n" : L" no window\n"), L"a");
    if (argc >= 3 && _wcsicmp(argv[1], L"-SETACTIVE") == 0) WriteText(L"log.txt", std::wstring(argv[2]) + L"\n", L"a");
    if (!command.empty() && _wcsicmp(ReadLine(L"fail.txt").c_str(), command.c_str()) == 0) return 1;
    if (_wcsicmp(command.c_str(), L"-GETACTIVESCHEME") == 0) {
        // A raw line as a test stored it may be anything, even malformed.
        const std::wstring active = ReadActive();
        if (active.rfind(L"raw:", 0) == 0) {
            wprintf(L"%ls\n", active.substr(4).c_str());
            return 0;
        }
        const std::size_t space = active.find(L' ');
        const std::wstring guid = active.substr(0, space);
        const std::wstring name = space == std::wstring::npos ? L"" : active.substr(space + 1);
        wprintf(L"Power Scheme GUID: %ls  %ls\n", guid.c_str(), name.c_str());
        return 0;
    }
    if (argc >= 3 && _wcsicmp(argv[1], L"-SETACTIVE") == 0) {
        WriteText(L"active.txt", std::wstring(argv[2]) + L" (Switched)\n", L"w");
        return 0;
    }
    fwprintf(stderr, L"powercfg double: unsupported arguments\n");
    return 1;
}
