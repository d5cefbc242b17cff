// Stands in for Windows' theme handlers, which Wine does not have. Tests
// register it for ".themepack" and ".theme" in the prefix.
//
// Opened with a ".themepack", it does what Windows does a while after the
// shell has already returned: it unpacks "Quorvel.theme" into the user's
// theme folder. The package's text says how long the unpacking takes in
// milliseconds, or "never". Opened with a ".theme", it applies nothing but
// appends "applied <path>" to C:\theme-double\log.txt.
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <string>

namespace {

const wchar_t kLogFolder[] = L"C:\\theme-double";

bool EndsWith(const std::wstring& text, const std::wstring& end) {
    if (text.size() < end.size()) return false;
    return _wcsicmp(text.c_str() + text.size() - end.size(), end.c_str()) == 0;
}

void Log(const std::wstring& line) {
    CreateDirectoryW(kLogFolder, nullptr);
    FILE* f = _wfopen((std::wstring(kLogFolder) + L"\\log.txt").c_str(), L"a");
    if (f == nullptr) return;
    fputws((line + L"\n").c_str(), f);
    fclose(f);
}

std::string ReadPackage(const std::wstring& path) {
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (f == nullptr) return "";
    char text[64] = "";
    const std::size_t read = fread(text, 1, sizeof text - 1, f);
    fclose(f);
    return std::string(text, read);
}

// Written under another name and renamed, so the program never sees half a file.
void Unpack() {
    PWSTR local = nullptr;
    if (FAILED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &local))) return;
    const std::wstring folder = std::wstring(local) + L"\\Microsoft\\Windows\\Themes\\Quorvel";
    CoTaskMemFree(local);
    SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    const std::wstring partial = folder + L"\\unpacking.tmp";
    FILE* f = _wfopen(partial.c_str(), L"wb");
    if (f == nullptr) return;
    fputs("[Theme]\r\nDisplayName=Quorvel\r\n\r\n[Control Panel\\Desktop]\r\nWallpaper=\r\n", f);
    fclose(f);
    MoveFileExW(partial.c_str(), (folder + L"\\Quorvel.theme").c_str(), MOVEFILE_REPLACE_EXISTING);
    Log(L"unpacked");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const std::wstring path = argv[1];
    if (EndsWith(path, L".theme")) {
        Log(L"applied " + path);
        return 0;
    }
    if (!EndsWith(path, L".themepack")) return 2;
    const std::string delay = ReadPackage(path);
    if (delay.rfind("never", 0) == 0) return 0;
    Sleep(static_cast<DWORD>(atoi(delay.c_str())));
    Unpack();
    return 0;
}
