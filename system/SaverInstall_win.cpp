#include "system/SaverInstall_win.h"

#include <shellapi.h>

#include "base/ErrorReporter_win.h"
#include "base/Utilities_win.h"
#include "storage/Folders_win.h"
#include "storage/Storage_win.h"
#include "system/SaverChoice.h"
#include "system/SaverRegistry_win.h"
#include "system/SaverWait.h"

namespace quorvel {

namespace {

const wchar_t kModule[] = L"ScreenSaver";
// Locations the error log has always named.
constexpr ErrorSite kThemePackageSite{kModule, 404};
const wchar_t kSaverValue[] = L"SCRNSAVE.EXE";
// What the user had before Quorvel took over, in the program's record.
const wchar_t kPreviousSaver[] = L"PreviousScreenSaver";
const wchar_t kPreviousSaverActive[] = L"PreviousScreenSaverActive";
const wchar_t kPreviousTheme[] = L"PreviousTheme";
// Windows unpacks a theme package after the shell has returned, and a large
// one takes a few seconds.
constexpr DWORD kUnpackWaitMs = 15000;
constexpr DWORD kUnpackPollMs = 100;
constexpr UINT kTellWindows = SPIF_UPDATEINIFILE | SPIF_SENDCHANGE;

Status ThemePath(wchar_t (&path)[kPathChars]) {
    if (JoinPath(gAppState->themeFolder, L"Quorvel.theme", path)) return kOk;
    SetErrorLocation(QV_SITE(kModule), gAppState->themeFolder);
    return kErrInvalidArgument;
}

// The installed saver, which must exist before anything names it.
Status ExistingSaverPath(wchar_t (&path)[kPathChars]) {
    if (Status s = ScreenSaverPath(path); s != kOk) return s;
    if (PathExists(path)) return kOk;
    SetErrorLocation(QV_SITE(kModule), path);
    return kErrFileMissing;
}

Status TellWindows(UINT action, UINT value) {
    if (SystemParametersInfoW(action, value, nullptr, kTellWindows)) return kOk;
    SaveWindowsError();
    SetErrorLocation(QV_SITE(kModule));
    return kErrWindowsFunction;
}

// What Windows has before Quorvel takes over, kept in the program's record.
Status KeepUsersSaver() {
    wchar_t path[kDesktopValueBytes / sizeof(wchar_t)];
    const Status read = ReadDesktopValue(kSaverValue, path);
    if (read != kOk && read != kErrRegistryMissing) return read;
    gErrorLocation = {};
    SaverState before;
    if (read == kOk) before.path = reinterpret_cast<const char16_t*>(path);
    // A session that cannot tell goes by the value: a saver named is on.
    BOOL active = FALSE;
    before.active = SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &active, 0) ? active != FALSE : read == kOk;
    const SaverRecord record = RecordOfSaver(before);
    if (Status s = WriteRecordText(kPreviousSaver, reinterpret_cast<const wchar_t*>(record.path.c_str())); s != kOk)
        return s;
    return WriteRecordText(kPreviousSaverActive, reinterpret_cast<const wchar_t*>(record.active.c_str()));
}

// A text of the program's record; nothing when the record lacks it.
Status ReadKeptText(const wchar_t* name, std::optional<std::u16string>* text) {
    wchar_t kept[kPathChars];
    const Status read = ReadRecordText(name, kept, kPathChars);
    if (read == kErrRegistryMissing) {
        gErrorLocation = {};
        return kOk;
    }
    if (read != kOk) return read;
    *text = reinterpret_cast<const char16_t*>(kept);
    return kOk;
}

Status OpenWithShell(const wchar_t* file, const wchar_t* folder) {
    const auto result =
        reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", file, nullptr, folder, SW_SHOWNOACTIVATE));
    if (result > 32) return kOk;
    SaveWindowsError();
    SetErrorLocation(kThemePackageSite, file);
    return kErrWindowsApi;
}

// The shell has only started the unpacking; the theme file is there once
// Windows has written it.
Status WaitForUnpackedTheme(const wchar_t* theme) {
    const ULONGLONG deadline = GetTickCount64() + kUnpackWaitMs;
    while (!PathExists(theme)) {
        if (GetTickCount64() >= deadline) return Fail(QV_SITE(kModule), kErrThemeNotUnpacked, theme);
        Sleep(kUnpackPollMs);
    }
    return kOk;
}

}  // namespace

Status InstallScreenSaver() {
    wchar_t saver[kPathChars];
    if (Status s = ExistingSaverPath(saver); s != kOk) return s;
    bool current = false;
    if (Status s = IsCurrentScreenSaver(&current); s != kOk) return s;
    if (!current) {
        if (Status s = KeepUsersSaver(); s != kOk) return s;
    }
    if (Status s = WriteDesktopValue(kSaverValue, saver); s != kOk) return s;
    return TellWindows(SPI_SETSCREENSAVEACTIVE, TRUE);
}

Status UninstallScreenSaver() {
    std::optional<std::u16string> path, active;
    if (Status s = ReadKeptText(kPreviousSaver, &path); s != kOk) return s;
    if (Status s = ReadKeptText(kPreviousSaverActive, &active); s != kOk) return s;
    const SaverState restore = SaverToRestore(path, active);
    const Status written = restore.path
                               ? WriteDesktopValue(kSaverValue, reinterpret_cast<const wchar_t*>(restore.path->c_str()))
                               : DeleteDesktopValue(kSaverValue);
    if (written != kOk) return written;
    return TellWindows(SPI_SETSCREENSAVEACTIVE, restore.active ? TRUE : FALSE);
}

Status SetSaverWait(int minutes) {
    const std::u16string seconds = WaitSecondsText(minutes);
    if (Status s = WriteDesktopValue(L"ScreenSaveTimeOut", reinterpret_cast<const wchar_t*>(seconds.c_str())); s != kOk)
        return s;
    return TellWindows(SPI_SETSCREENSAVETIMEOUT, static_cast<UINT>(WaitSeconds(minutes)));
}

Status SetLockOnResume(bool lock) {
    if (Status s = WriteDesktopValue(L"ScreenSaverIsSecure", lock ? L"1" : L"0"); s != kOk) return s;
    // Wine 8 does not implement this action; the value written above is
    // what it and the next logon read.
    SystemParametersInfoW(SPI_SETSCREENSAVESECURE, lock ? TRUE : FALSE, nullptr, kTellWindows);
    return kOk;
}

Status InstallTheme() {
    wchar_t saver[kPathChars], theme[kPathChars], package[kPathChars];
    if (Status s = ExistingSaverPath(saver); s != kOk) return s;
    if (Status s = ThemePath(theme); s != kOk) return s;
    bool current = false;
    if (Status s = IsCurrentTheme(&current); s != kOk) return s;
    if (!current) {
        wchar_t previous[kThemeChars] = L"";
        if (GetCurrentTheme(previous) != kOk) previous[0] = L'\0';
        gErrorLocation = {};
        if (Status s = WriteRecordText(kPreviousTheme, previous); s != kOk) return s;
    }
    if (!PathExists(theme)) {
        if (!JoinPath(gAppState->commonFolder, L"QuorvelW7.themepack", package))
            return Fail(QV_SITE(kModule), kErrInvalidArgument, gAppState->commonFolder);
        if (Status s = OpenWithShell(package, gAppState->commonFolder); s != kOk) return s;
        if (Status s = WaitForUnpackedTheme(theme); s != kOk) return s;
    }
    if (!WritePrivateProfileStringW(L"Boot", kSaverValue, saver, theme)) {
        SaveWindowsError();
        SetErrorLocation(QV_SITE(kModule), theme);
        return kErrIniWrite;
    }
    if (Status s = OpenWithShell(theme, gAppState->themeFolder); s != kOk) return s;
    return SetCurrentTheme(1);
}

Status UninstallTheme() {
    wchar_t previous[kPathChars] = L"";
    if (Status s = ReadRecordText(kPreviousTheme, previous, kPathChars); s != kOk && s != kErrRegistryMissing) return s;
    gErrorLocation = {};
    return WriteCurrentTheme(previous);
}

Status IsCurrentTheme(bool* current) {
    if (current == nullptr || gAppState == nullptr) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    *current = false;
    wchar_t value[kThemeChars], theme[kPathChars];
    const Status read = GetCurrentTheme(value);
    if (read == kErrOpenRegistry || read == kErrRegistryMissing || read == kErrRegistryBuffer) {
        gErrorLocation = {};
        return kOk;
    }
    if (read != kOk) return read;
    if (Status s = ThemePath(theme); s != kOk) return s;
    *current = SamePath(value, theme);
    return kOk;
}

}  // namespace quorvel
