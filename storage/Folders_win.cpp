#include "storage/Folders_win.h"

#include <shlobj.h>

#include <cwchar>
#include <string>

#include "base/ErrorReporter_win.h"
#include "base/Guards_win.h"
#include "base/Utilities_win.h"
#include "res/resource.h"
#include "storage/StorageRules.h"

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

// Copies the shipped files (ShippedUserFiles) of the machine-wide folder
// `from` into `to`, and nothing else found there: every account of the
// machine may add files and folders to it. A shipped file that folder lacks
// is left out. With `replace`, a copy already in `to` is put back as
// installed and a failed copy stops with kErrCopyFile. Without it, a file in `to`
// stays as it is, and a copy that fails is left to the command that needs
// the file, which reports it there.
Status CopyShippedFiles(const wchar_t* from, const wchar_t* to, bool replace) {
    for (std::u16string_view name : ShippedUserFiles()) {
        const std::u16string terminated(name);
        const wchar_t* wide = AsWide(terminated.c_str());
        wchar_t source[kPathChars], target[kPathChars];
        if (!JoinPath(from, wide, source) || !JoinPath(to, wide, target))
            return Fail(QV_SITE(kSettingsModule), kErrInvalidArgument, wide);
        if (!replace && PathExists(target)) continue;
        const DWORD attributes = GetFileAttributesW(source);
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        if (CopyFileW(source, target, !replace) || !replace) continue;
        SaveWindowsError();
        SetErrorLocation(QV_SITE(kSettingsModule), source);
        return kErrCopyFile;
    }
    return kOk;
}

}  // namespace

Status CopyCommonToUser() {
    if (!PathExists(gAppState->commonFolder))
        return Fail(QV_SITE(kSettingsModule), kErrInvalidArgument, gAppState->commonFolder);
    // A repair puts the installed files back over the per-user folder as it
    // stands.
    if (PathExists(gAppState->userFolder))
        return CopyShippedFiles(gAppState->commonFolder, gAppState->userFolder, true);

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
    if (Status s = CopyShippedFiles(gAppState->commonFolder, partial.c_str(), true); s != kOk) return s;
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

// A top-up is the best it can be: a file it cannot copy stays missing, as
// before it, and what needs the file reports that when the file is used.
void RestoreShippedFiles() { (void)CopyShippedFiles(gAppState->commonFolder, gAppState->userFolder, false); }

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
    if (!PathExists(gAppState->userFolder)) {
        if (Status s = CopyCommonToUser(); s != kOk) return s;
    } else {
        RestoreShippedFiles();
    }
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
