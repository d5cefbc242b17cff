#include "system/SaverInstall_win.h"

#include <shellapi.h>
#include <shlobj.h>

#include <string>

#include "base/ErrorReporter_win.h"
#include "base/Guards_win.h"
#include "base/Utilities_win.h"
#include "storage/Folders_win.h"
#include "storage/Storage_win.h"
#include "system/SaverChoice.h"
#include "system/SaverRegistry_win.h"
#include "system/SaverWait.h"
#include "system/ThemeChoice.h"

namespace quorvel {

namespace {

const wchar_t kModule[] = L"ScreenSaver";
// Locations the error log has always named.
constexpr ErrorSite kOpenThemeSite{kModule, 404};
const wchar_t kSaverValue[] = L"SCRNSAVE.EXE";
// What the user had before Quorvel took over, in the program's record.
const wchar_t kPreviousSaver[] = L"PreviousScreenSaver";
const wchar_t kPreviousSaverActive[] = L"PreviousScreenSaverActive";
const wchar_t kPreviousTheme[] = L"PreviousTheme";
const wchar_t kPreviousWallpaper[] = L"PreviousWallpaper";
const wchar_t kWallpaperValue[] = L"Wallpaper";
// The desktop picture the package installs in commonFolder.
const wchar_t kShippedPicture[] = L"QuorvelTheme.jpg";
constexpr UINT kTellWindows = SPIF_UPDATEINIFILE | SPIF_SENDCHANGE;

// Quorvel's theme file and its picture in themeFolder.
Status ThemePaths(wchar_t (&theme)[kPathChars], wchar_t (&picture)[kPathChars]) {
    if (JoinPath(gAppState->themeFolder, L"Quorvel.theme", theme) &&
        JoinPath(gAppState->themeFolder, L"Quorvel.jpg", picture))
        return kOk;
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
    if (read == kOk) before.path = AsU16(path);
    // A session that cannot tell goes by the value: a saver named is on.
    BOOL active = FALSE;
    before.active = SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &active, 0) ? active != FALSE : read == kOk;
    const SaverRecord record = RecordOfSaver(before);
    if (Status s = WriteRecordText(kPreviousSaver, AsWide(record.path.c_str())); s != kOk) return s;
    return WriteRecordText(kPreviousSaverActive, AsWide(record.active.c_str()));
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
    *text = AsU16(kept);
    return kOk;
}

// Windows applies a theme file the shell opens, and shows it in
// Personalization (Settings > Themes on Windows 10 and 11), without
// activating the window over the albums.
Status OpenWithShell(const wchar_t* file, const wchar_t* folder) {
    const auto result =
        reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", file, nullptr, folder, SW_SHOWNOACTIVATE));
    if (result > 32) return kOk;
    SaveWindowsError();
    SetErrorLocation(kOpenThemeSite, file);
    return kErrWindowsApi;
}

// The theme and the desktop picture Windows has before Quorvel's theme. A
// value Windows does not have is kept as none.
Status KeepUsersTheme() {
    wchar_t theme[kThemeChars], picture[kDesktopValueBytes / sizeof(wchar_t)];
    if (GetCurrentTheme(theme) != kOk) theme[0] = L'\0';
    if (ReadDesktopValue(kWallpaperValue, picture) != kOk) picture[0] = L'\0';
    gErrorLocation = {};
    if (Status s = WriteRecordText(kPreviousTheme, theme); s != kOk) return s;
    return WriteRecordText(kPreviousWallpaper, picture);
}

// UTF-16 with its mark: the profile functions read such a file as Unicode,
// so a path in any language reaches Windows whole.
Status WriteUnicodeFile(const wchar_t* path, const std::u16string& text) {
    const std::u16string marked = u"\xFEFF" + text;
    const DWORD bytes = static_cast<DWORD>(marked.size() * sizeof(char16_t));
    const FileHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file && WriteFile(file.get(), marked.data(), bytes, &written, nullptr) && written == bytes) return kOk;
    SaveWindowsError();
    return Fail(QV_SITE(kModule), kErrDiskWrite, path);
}

// Quorvel's theme in its own folder, made again at every tick: the picture
// the package installed, and a theme file naming it and the saver.
Status WriteQuorvelTheme(const wchar_t* theme, const wchar_t* picture, const wchar_t* saver) {
    wchar_t shipped[kPathChars];
    if (!JoinPath(gAppState->commonFolder, kShippedPicture, shipped))
        return Fail(QV_SITE(kModule), kErrInvalidArgument, gAppState->commonFolder);
    const int made = SHCreateDirectoryExW(nullptr, gAppState->themeFolder, nullptr);
    if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS && made != ERROR_FILE_EXISTS) {
        gErrorLocation.windowsError = static_cast<DWORD>(made);
        SetErrorLocation(QV_SITE(kModule), gAppState->themeFolder);
        return kErrCreateFolder;
    }
    if (!CopyFileW(shipped, picture, FALSE)) {
        SaveWindowsError();
        SetErrorLocation(QV_SITE(kModule), shipped);
        return kErrCopyFile;
    }
    return WriteUnicodeFile(theme, ThemeFileText(AsU16(picture), AsU16(saver)));
}

Status SetWallpaper(const wchar_t* picture) {
    if (SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, const_cast<wchar_t*>(picture), kTellWindows)) return kOk;
    SaveWindowsError();
    SetErrorLocation(QV_SITE(kModule), picture);
    return kErrWindowsFunction;
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
    const Status written =
        restore.path ? WriteDesktopValue(kSaverValue, AsWide(restore.path->c_str())) : DeleteDesktopValue(kSaverValue);
    if (written != kOk) return written;
    return TellWindows(SPI_SETSCREENSAVEACTIVE, restore.active ? TRUE : FALSE);
}

Status SetSaverWait(int minutes) {
    const std::u16string seconds = WaitSecondsText(minutes);
    if (Status s = WriteDesktopValue(L"ScreenSaveTimeOut", AsWide(seconds.c_str())); s != kOk) return s;
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
    wchar_t saver[kPathChars], theme[kPathChars], picture[kPathChars];
    if (Status s = ExistingSaverPath(saver); s != kOk) return s;
    if (Status s = ThemePaths(theme, picture); s != kOk) return s;
    bool current = false;
    if (Status s = IsCurrentTheme(&current); s != kOk) return s;
    if (!current) {
        if (Status s = KeepUsersTheme(); s != kOk) return s;
    }
    if (Status s = WriteQuorvelTheme(theme, picture, saver); s != kOk) return s;
    if (Status s = OpenWithShell(theme, gAppState->themeFolder); s != kOk) return s;
    return SetCurrentTheme(1);
}

Status UninstallTheme() {
    wchar_t theme[kPathChars], picture[kPathChars];
    if (Status s = ReadRecordText(kPreviousTheme, theme, kPathChars); s != kOk && s != kErrRegistryMissing) return s;
    if (Status s = ReadRecordText(kPreviousWallpaper, picture, kPathChars); s != kOk && s != kErrRegistryMissing)
        return s;
    gErrorLocation = {};
    const KeptTheme kept{AsU16(theme), PathExists(theme), AsU16(picture), PathExists(picture)};
    const ThemeRestore restore = ThemeToRestore(kept, AsU16(gAppState->themeFolder));
    const Status applied = restore.open ? OpenWithShell(AsWide(restore.open->c_str()), nullptr)
                                        : SetWallpaper(AsWide(restore.wallpaper.c_str()));
    if (applied != kOk) return applied;
    return WriteCurrentTheme(AsWide(restore.currentTheme.c_str()));
}

Status IsCurrentTheme(bool* current) {
    if (current == nullptr || gAppState == nullptr) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    *current = false;
    wchar_t value[kThemeChars];
    const Status read = GetCurrentTheme(value);
    if (read == kErrOpenRegistry || read == kErrRegistryMissing || read == kErrRegistryBuffer) {
        gErrorLocation = {};
        return kOk;
    }
    if (read != kOk) return read;
    *current = IsQuorvelTheme(AsU16(value), AsU16(gAppState->themeFolder));
    return kOk;
}

}  // namespace quorvel
