// Stands in for Windows' POWERCFG, which Wine does not have. Keeps the
// active plan in C:\powercfg-double\active.txt ("<guid> <name words>") and
// the plans the machine has in plans.txt, one "<guid> <name words>" a line
// (without the file only Balanced, as on a Modern Standby laptop). Appends
// every -SETACTIVE it receives to C:\powercfg-double\log.txt, so a test can
// set the starting plan and read what the program asked for. Every call
// also goes to calls.txt, with whether it has a console window. A plan the
// list lacks is refused with exit code 1 and the active plan kept, as
// POWERCFG does; so is a call whose switch fail.txt names ("-SETACTIVE"),
// as when a policy forbids it. While hold.txt exists a call waits, as a
// slow POWERCFG would.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

const wchar_t kFolder[] = L"C:\\powercfg-double";
const wchar_t kBalanced[] = L"381b4222-f694-41f0-9685-ff5bb260df2e (Balanced)";

std::vector<std::wstring> ReadLines(const wchar_t* name) {
    std::vector<std::wstring> lines;
    FILE* f = _wfopen((std::wstring(kFolder) + L"\\" + name).c_str(), L"r");
    if (f == nullptr) return lines;
    wchar_t line[512];
    while (fgetws(line, 512, f) != nullptr) {
        std::wstring text = line;
        while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
        if (!text.empty()) lines.push_back(text);
    }
    fclose(f);
    return lines;
}

std::wstring ReadLine(const wchar_t* name) {
    const std::vector<std::wstring> lines = ReadLines(name);
    return lines.empty() ? L"" : lines.front();
}

std::wstring ReadActive() {
    const std::wstring active = ReadLine(L"active.txt");
    return active.empty() ? kBalanced : active;
}

std::vector<std::wstring> ReadPlans() {
    const std::vector<std::wstring> plans = ReadLines(L"plans.txt");
    return plans.empty() ? std::vector<std::wstring>{kBalanced} : plans;
}

std::wstring IdOf(const std::wstring& plan) { return plan.substr(0, plan.find(L' ')); }

std::wstring NameOf(const std::wstring& plan) {
    const std::size_t space = plan.find(L' ');
    return space == std::wstring::npos ? L"" : plan.substr(space + 1);
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
        wprintf(L"Power Scheme GUID: %ls  %ls\n", IdOf(active).c_str(), NameOf(active).c_str());
        return 0;
    }
    if (_wcsicmp(command.c_str(), L"-LIST") == 0) {
        const std::wstring active = IdOf(ReadActive());
        wprintf(L"\nExisting Power Schemes (* Active)\n-----------------------------------\n");
        for (const std::wstring& plan : ReadPlans())
            wprintf(L"Power Scheme GUID: %ls  %ls%ls\n", IdOf(plan).c_str(), NameOf(plan).c_str(),
                    _wcsicmp(IdOf(plan).c_str(), active.c_str()) == 0 ? L" *" : L"");
        return 0;
    }
    if (argc >= 3 && _wcsicmp(argv[1], L"-SETACTIVE") == 0) {
        for (const std::wstring& plan : ReadPlans()) {
            if (_wcsicmp(IdOf(plan).c_str(), argv[2]) != 0) continue;
            WriteText(L"active.txt", plan + L"\n", L"w");
            return 0;
        }
        fwprintf(stderr, L"The power scheme, subgroup or setting specified does not exist.\n");
        return 1;
    }
    fwprintf(stderr, L"powercfg double: unsupported arguments\n");
    return 1;
}
