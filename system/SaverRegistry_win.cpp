#include "system/SaverRegistry_win.h"

#include <cwchar>

#include "base/ErrorReporter_win.h"
#include "base/Guards_win.h"
#include "base/Utilities_win.h"

namespace quorvel {

namespace {

const wchar_t kModule[] = L"ScreenSaver";
// Locations the error log has always named.
constexpr ErrorSite kDesktopKeySite{kModule, 661};
constexpr ErrorSite kDesktopValueSizeSite{kModule, 667};
constexpr ErrorSite kDesktopValueSite{kModule, 681};
constexpr ErrorSite kDesktopWriteKeySite{kModule, 631};
constexpr ErrorSite kDesktopWriteSite{kModule, 640};
const wchar_t kDesktopKey[] = L"Control Panel\\Desktop";

}  // namespace

Status ReadDesktopValue(const wchar_t* name, wchar_t* buffer) {
    if (name == nullptr || name[0] == L'\0' || buffer == nullptr) return Fail(kDesktopKeySite, kErrInvalidArgument);
    buffer[0] = L'\0';
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_READ, &opened) != ERROR_SUCCESS) {
        SaveWindowsError();
        SetErrorLocation(kDesktopValueSizeSite);
        return kErrOpenRegistry;
    }
    // Room for a terminator the stored text may lack.
    DWORD bytes = kDesktopValueBytes - sizeof(wchar_t);
    DWORD type = 0;
    const RegistryKey key(opened);
    const LONG result = RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes);
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
        gErrorLocation.windowsError = static_cast<DWORD>(result);
        SetErrorLocation(kDesktopValueSite, name);
        buffer[0] = L'\0';
        if (result == ERROR_MORE_DATA) return kErrRegistryBuffer;
        if (result == ERROR_FILE_NOT_FOUND) return kErrRegistryMissing;
        SetErrorLocation(QV_SITE(kModule));
        return kErrReadRegistry;
    }
    buffer[bytes / sizeof(wchar_t)] = L'\0';
    return kOk;
}

Status WriteDesktopValue(const wchar_t* name, const wchar_t* text) {
    if (name == nullptr || name[0] == L'\0' || text == nullptr) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_SET_VALUE, &opened) != ERROR_SUCCESS) {
        SaveWindowsError();
        SetErrorLocation(kDesktopWriteKeySite);
        return kErrOpenRegistry;
    }
    const RegistryKey key(opened);
    const DWORD bytes = static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t));
    const LONG result = RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
    if (result != ERROR_SUCCESS) {
        gErrorLocation.windowsError = static_cast<DWORD>(result);
        SetErrorLocation(kDesktopWriteSite, name);
        return kErrWriteRegistry;
    }
    return kOk;
}

Status DeleteDesktopValue(const wchar_t* name) {
    if (name == nullptr || name[0] == L'\0') return Fail(QV_SITE(kModule), kErrInvalidArgument);
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_SET_VALUE, &opened) != ERROR_SUCCESS) {
        SaveWindowsError();
        return Fail(QV_SITE(kModule), kErrOpenRegistry);
    }
    const RegistryKey key(opened);
    const LONG result = RegDeleteValueW(key.get(), name);
    if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND) return kOk;
    gErrorLocation.windowsError = static_cast<DWORD>(result);
    return Fail(QV_SITE(kModule), kErrWriteRegistry, name);
}

Status ScreenSaverPath(wchar_t (&path)[kPathChars]) {
    if (gAppState == nullptr) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    const int n = swprintf(path, kPathChars, L"%ls\\%ls.scr", gAppState->installFolder, gAppState->programName);
    if (n > 0 && n < kPathChars) return kOk;
    path[0] = L'\0';
    SetErrorLocation(QV_SITE(kModule), gAppState->installFolder);
    return kErrInvalidArgument;
}

bool SamePath(const wchar_t* a, const wchar_t* b) {
    if (_wcsicmp(a, b) == 0) return true;
    // Only a file that exists has a long form to compare.
    wchar_t longA[kPathChars], longB[kPathChars];
    const DWORD na = GetLongPathNameW(a, longA, kPathChars);
    const DWORD nb = GetLongPathNameW(b, longB, kPathChars);
    return na > 0 && na < kPathChars && nb > 0 && nb < kPathChars && _wcsicmp(longA, longB) == 0;
}

Status IsCurrentScreenSaver(bool* current) {
    if (current == nullptr || gAppState == nullptr) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    *current = false;
    wchar_t value[kDesktopValueBytes / sizeof(wchar_t)];
    const Status status = ReadDesktopValue(L"SCRNSAVE.EXE", value);
    if (status == kErrRegistryMissing || status == kErrReadRegistry) {
        gErrorLocation = {};
        return kOk;
    }
    if (status != kOk) return status;
    wchar_t saver[kPathChars], shortSaver[kPathChars];
    if (Status s = ScreenSaverPath(saver); s != kOk) return s;
    *current = SamePath(value, saver) ||
               (JoinPath(gAppState->installFolder, L"QUORVE~1.scr", shortSaver) && _wcsicmp(value, shortSaver) == 0);
    return kOk;
}

}  // namespace quorvel
