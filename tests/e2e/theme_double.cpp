// Stands in for Windows' theme handlers, which Wine does not have. Tests
// register it for ".theme" and ".themepack" in the prefix.
//
// It does what Windows does, a while after the shell has already returned.
// A ".theme" (an ini file) is applied: the picture its [Control
// Panel\Desktop] "Wallpaper" names (environment variables expanded, a
// relative path taken from the theme's folder) becomes the desktop's
// "Wallpaper" value, and the theme's path becomes "CurrentTheme" of the
// user's Themes key. A ".themepack" (a cabinet) is unpacked into a folder
// named after the package in %LOCALAPPDATA%\Microsoft\Windows\Themes, and
// the ".theme" found there is applied. Every theme applied appends
// "applied <path>" to C:\theme-double\log.txt.
#include <windows.h>
#include <setupapi.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

namespace {

const wchar_t kLogFolder[] = L"C:\\theme-double";

bool EndsWith(const std::wstring& text, const std::wstring& end) {
    if (text.size() < end.size()) return false;
    return _wcsicmp(text.c_str() + text.size() - end.size(), end.c_str()) == 0;
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

bool IsRelative(const std::wstring& path) { return path.rfind(L"\\", 0) != 0 && path.find(L':') != 1; }

void Log(const std::wstring& line) {
    CreateDirectoryW(kLogFolder, nullptr);
    FILE* f = _wfopen((std::wstring(kLogFolder) + L"\\log.txt").c_str(), L"a");
    if (f == nullptr) return;
    fputws((line + L"\n").c_str(), f);
    fclose(f);
}

bool SetUserValue(const wchar_t* key, const wchar_t* name, const std::wstring& text) {
    return RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_SZ, text.c_str(),
                           DWORD((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

int Apply(const std::wstring& theme) {
    wchar_t named[MAX_PATH] = L"", picture[MAX_PATH] = L"";
    GetPrivateProfileStringW(L"Control Panel\\Desktop", L"Wallpaper", L"", named, MAX_PATH, theme.c_str());
    ExpandEnvironmentStringsW(named, picture, MAX_PATH);
    std::wstring wallpaper = picture;
    if (!wallpaper.empty() && IsRelative(wallpaper)) wallpaper = FolderOf(theme) + L"\\" + wallpaper;
    if (!SetUserValue(L"Control Panel\\Desktop", L"Wallpaper", wallpaper) ||
        !SetUserValue(L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes", L"CurrentTheme", theme))
        return 1;
    Log(L"applied " + theme);
    return 0;
}

// Each file of the cabinet goes to its own path below the folder.
UINT CALLBACK PlaceFile(PVOID folder, UINT notification, UINT_PTR param, UINT_PTR) {
    if (notification != SPFILENOTIFY_FILEINCABINET) return NO_ERROR;
    auto* file = reinterpret_cast<FILE_IN_CABINET_INFO_W*>(param);
    const std::wstring target = std::wstring(static_cast<const wchar_t*>(folder)) + L"\\" + file->NameInCabinet;
    SHCreateDirectoryExW(nullptr, FolderOf(target).c_str(), nullptr);
    lstrcpynW(file->FullTargetName, target.c_str(), MAX_PATH);
    return FILEOP_DOIT;
}

int Unpack(const std::wstring& package) {
    PWSTR local = nullptr;
    if (FAILED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &local))) return 1;
    const std::wstring name = package.substr(package.find_last_of(L'\\') + 1);
    const std::wstring folder =
        std::wstring(local) + L"\\Microsoft\\Windows\\Themes\\" + name.substr(0, name.size() - 10);
    CoTaskMemFree(local);
    SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    if (!SetupIterateCabinetW(package.c_str(), 0, PlaceFile, const_cast<wchar_t*>(folder.c_str()))) return 1;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*.theme").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 1;
    FindClose(search);
    return Apply(folder + L"\\" + found.cFileName);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const std::wstring path = argv[1];
    if (EndsWith(path, L".theme")) return Apply(path);
    if (EndsWith(path, L".themepack")) return Unpack(path);
    return 2;
}
