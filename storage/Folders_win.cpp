#include "storage/Folders_win.h"

#include <shlobj.h>

#include <cwchar>
#include <string>

#include "base/ErrorReporter_win.h"
#include "base/Guards_win.h"
#include "base/Utilities_win.h"
#include "res/resource.h"

namespace quorvel {

namespace {

const wchar_t kModule[] = L"Quorvel";
const wchar_t kRecordKey[] = L"Software\\Fenwold\\Quorvel";
const wchar_t kSettingsModule[] = L"settings";

// Fills `out` with known folder + "\" + tail. False when the shell has no
// such folder or the result would not fit a path.
bool KnownFolderPath(REFKNOWNFOLDERID id, const wchar_t* tail, wchar_t (&out)[kPathChars]) {
    PWSTR base = nullptr;
    const HRESULT found = SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &base);
    const TaskMemory<PWSTR> owned(base);
    return SUCCEEDED(found) && base != nullptr && JoinPath(base, tail, out);
}

bool IsDotName(const wchar_t* name) { return name[0] == L'.'; }

// Copies the files of `from` into `to` and walks its folders while `depth`
// allows; a folder below the last allowed level stops the copy with 10083.
Status CopyLevel(const wchar_t* from, const wchar_t* to, int depth) {
    wchar_t search[kPathChars];
    if (!JoinPath(from, L"*.*", search)) return Fail(QV_SITE(kSettingsModule), kErrInvalidArgument, from);
    WIN32_FIND_DATAW found;
    const FindHandle find(FindFirstFileW(search, &found));
    if (!find) {
        SaveWindowsError();
        SetErrorLocation(QV_SITE(kSettingsModule), search);
        return kErrFindFirstFile;
    }
    do {
        wchar_t source[kPathChars], target[kPathChars];
        if (!JoinPath(from, found.cFileName, source) || !JoinPath(to, found.cFileName, target))
            return Fail(QV_SITE(kSettingsModule), kErrInvalidArgument, found.cFileName);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (IsDotName(found.cFileName)) continue;
            if (depth == 0) return Fail(QV_SITE(kSettingsModule), kErrFirstTimeInit, source);
            if (!PathExists(target) && !CreateDirectoryW(target, nullptr)) {
                SaveWindowsError();
                SetErrorLocation(QV_SITE(kSettingsModule), target);
                return kErrCreateFolder;
            }
            if (Status s = CopyLevel(source, target, depth - 1); s != kOk) return s;
        } else if (!CopyFileW(source, target, FALSE)) {
            SaveWindowsError();
            SetErrorLocation(QV_SITE(kSettingsModule), source);
            return kErrCopyFile;
        }
    } while (FindNextFileW(find.get(), &found));
    return kOk;
}

}  // namespace

Status CopyCommonToUser() {
    if (!PathExists(gAppState->commonFolder))
        return Fail(QV_SITE(kSettingsModule), kErrInvalidArgument, gAppState->commonFolder);
    // Files at the top, two folder levels below it; a third level is not
    // part of what the installer puts there. A repair copies over the
    // per-user folder as it stands.
    if (PathExists(gAppState->userFolder)) return CopyLevel(gAppState->commonFolder, gAppState->userFolder, 2);

    // A first copy is made beside the per-user folder and takes its name only
    // when complete: start-up copies only when there is no per-user folder,
    // so one left half-filled would never be completed. What an earlier
    // attempt left in the partial folder is copied over.
    const std::wstring partial = std::wstring(gAppState->userFolder) + L".partial";
    if (partial.size() >= kPathChars) return Fail(QV_SITE(kSettingsModule), kErrInvalidArgument, gAppState->userFolder);
    if (!PathExists(partial.c_str()) && !CreateDirectoryW(partial.c_str(), nullptr)) {
        SaveWindowsError();
        SetErrorLocation(QV_SITE(kSettingsModule), partial.c_str());
        return kErrCreateFolder;
    }
    if (Status s = CopyLevel(gAppState->commonFolder, partial.c_str(), 2); s != kOk) return s;
    if (!MoveFileW(partial.c_str(), gAppState->userFolder)) {
        // Another start of the program (the saver beside the program) may
        // have completed its own copy first.
        if (PathExists(gAppState->userFolder)) return kOk;
        SaveWindowsError();
        SetErrorLocation(QV_SITE(kSettingsModule), gAppState->userFolder);
        return kErrRename;
    }
    return kOk;
}

Status WriteRegistryRecord() {
    HKEY record = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRecordKey, 0, KEY_SET_VALUE, &record) != ERROR_SUCCESS) {
        OutputDebugStringW(L"[Quorvel] CurrentUser... does not exist\n");
        HKEY software = nullptr, company = nullptr, program = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_CREATE_SUB_KEY, &software) != ERROR_SUCCESS)
            return Fail(QV_SITE(kModule), kErrRegistryKeys, L"Software");
        LSTATUS r =
            RegCreateKeyExW(software, L"Fenwold", 0, nullptr, 0, KEY_CREATE_SUB_KEY, nullptr, &company, nullptr);
        RegCloseKey(software);
        if (r != ERROR_SUCCESS) return Fail(QV_SITE(kModule), kErrRegistryKeys, L"Fenwold");
        r = RegCreateKeyExW(company, L"Quorvel", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &program, nullptr);
        RegCloseKey(company);
        if (r != ERROR_SUCCESS) return Fail(QV_SITE(kModule), kErrRegistryKeys, L"Quorvel");
        RegCloseKey(program);
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kRecordKey, 0, KEY_SET_VALUE, &record) != ERROR_SUCCESS)
            return Fail(QV_SITE(kModule), kErrOpenRegistry, L"CU_Software\\Fenwold\\Quorvel");
    }
    auto setText = [record](const wchar_t* name, const wchar_t* text) {
        const DWORD bytes = DWORD((wcslen(text) + 1) * sizeof(wchar_t));
        return RegSetValueExW(record, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes) == ERROR_SUCCESS;
    };
    Status status = kOk;
    const DWORD installed = 1;
    if (!setText(L"Path", gAppState->userFolder)) {
        SetErrorLocation(QV_SITE(kModule), L"Path");
        status = kErrWriteRegistry;
    } else if (!setText(L"ThemePath", gAppState->themeFolder)) {
        SetErrorLocation(QV_SITE(kModule), L"ThemePath");
        status = kErrWriteRegistry;
    } else if (RegSetValueExW(record, L"installed", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&installed),
                              sizeof installed) != ERROR_SUCCESS) {
        SetErrorLocation(QV_SITE(kModule), L"Installed");
        status = kErrWriteRegistry;
    }
    RegCloseKey(record);
    return status;
}

Status ReadRecordText(const wchar_t* name, wchar_t* buffer, int chars) {
    if (name == nullptr || buffer == nullptr || chars <= 0) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    buffer[0] = L'\0';
    DWORD bytes = static_cast<DWORD>(chars * sizeof(wchar_t));
    const LSTATUS r = RegGetValueW(HKEY_CURRENT_USER, kRecordKey, name, RRF_RT_REG_SZ, nullptr, buffer, &bytes);
    if (r == ERROR_SUCCESS) return kOk;
    buffer[0] = L'\0';
    gErrorLocation.windowsError = static_cast<DWORD>(r);
    SetErrorLocation(QV_SITE(kModule), name);
    if (r == ERROR_FILE_NOT_FOUND) return kErrRegistryMissing;
    return r == ERROR_MORE_DATA ? kErrRegistryBuffer : kErrReadRegistry;
}

// The record is made again if a cleanup tool removed it.
Status WriteRecordText(const wchar_t* name, const wchar_t* text) {
    const DWORD bytes = static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t));
    const LSTATUS r = RegSetKeyValueW(HKEY_CURRENT_USER, kRecordKey, name, REG_SZ, text, bytes);
    if (r == ERROR_SUCCESS) return kOk;
    gErrorLocation.windowsError = static_cast<DWORD>(r);
    SetErrorLocation(QV_SITE(kModule), name);
    return kErrWriteRegistry;
}

Status ComputeFolders() {
    wchar_t company[100];
    if (Status s = LoadText(IDS_COMPANY_FOLDER, company, sizeof company); s != kOk) return s;

    if (!KnownFolderPath(FOLDERID_ProgramData, company, gAppState->commonFolder))
        return Fail(QV_SITE(kModule), kErrInvalidArgument);
    if (!PathExists(gAppState->commonFolder)) return Fail(QV_SITE(kModule), kErrFirstTimeInit, gAppState->commonFolder);
    if (!KnownFolderPath(FOLDERID_RoamingAppData, company, gAppState->userFolder))
        return Fail(QV_SITE(kModule), kErrInvalidArgument);
    if (!PathExists(gAppState->userFolder))
        if (Status s = CopyCommonToUser(); s != kOk) return s;
    wcscpy(gAppState->errorLogFolder, gAppState->userFolder);
    if (!KnownFolderPath(FOLDERID_LocalAppData, L"Microsoft\\Windows\\Themes\\Quorvel", gAppState->themeFolder) ||
        !KnownFolderPath(FOLDERID_ProgramFilesX86, company, gAppState->installFolder)) {
        SetErrorLocation(QV_SITE(kModule));
        return kErrInvalidArgument;
    }
    if (!PathExists(gAppState->userFolder)) return Fail(QV_SITE(kModule), kErrInvalidArgument, gAppState->userFolder);
    if (Status s = WriteRegistryRecord(); s != kOk) return s;

    wchar_t windows[kPathChars] = L"";
    PWSTR shellWindows = nullptr;
    const HRESULT found = SHGetKnownFolderPath(FOLDERID_Windows, 0, nullptr, &shellWindows);
    const TaskMemory<PWSTR> owned(shellWindows);
    if (SUCCEEDED(found) && shellWindows) {
        wcsncpy(windows, shellWindows, kPathChars - 1);
    } else if (GetWindowsDirectoryW(windows, kPathChars) == 0) {
        SetErrorLocation(QV_SITE(kModule));
        return kErrInvalidArgument;
    }
    swprintf(gAppState->systemFolder, kPathChars, L"%ls%ls", windows, gAppState->wow64 ? L"\\SysWow64" : L"\\System32");
    return kOk;
}

}  // namespace quorvel
