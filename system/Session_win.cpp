#include "system/Session_win.h"

#include <powrprof.h>

#include <cstddef>
#include <cwchar>

#include "base/ErrorReporter_win.h"
#include "base/Guards_win.h"
#include "base/Utilities_win.h"
#include "storage/Settings_win.h"
#include "system/SaverRegistry_win.h"
#include "system/SleepChoice.h"
#include "res/resource.h"

namespace quorvel {

namespace {

const wchar_t kModule[] = L"Quorvel";

// Windows' winnt.h names the three bytes after FastSystemS4 Hiberboot,
// WakeAlarmPresent and AoAc; MinGW-w64's still calls them spare2.
constexpr std::size_t kAoAcOffset = 0x14;
static_assert(offsetof(SYSTEM_POWER_CAPABILITIES, FastSystemS4) + 3 == kAoAcOffset);

[[nodiscard]] Status ReadPowerCapabilities(PowerCapabilities* capabilities) {
    SYSTEM_POWER_CAPABILITIES windows = {};  // before Windows 8 nothing fills AoAc
    if (!GetPwrCapabilities(&windows)) {
        SaveWindowsError();
        return Fail(QV_SITE(kModule), kErrWindowsFunction, L"GetPwrCapabilities");
    }
    capabilities->systemS1 = windows.SystemS1 != FALSE;
    capabilities->systemS2 = windows.SystemS2 != FALSE;
    capabilities->systemS3 = windows.SystemS3 != FALSE;
    capabilities->hibernation = windows.SystemS4 != FALSE && windows.HiberFilePresent != FALSE;
    capabilities->aoAc = reinterpret_cast<const BYTE*>(&windows)[kAoAcOffset] != FALSE;
    return kOk;
}

[[nodiscard]] Status Suspend(unsigned* notice) {
    HANDLE opened = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &opened)) {
        *notice = IDS_SHUTDOWN_TOKEN_FAILED;
        return kOk;
    }
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid);
    const KernelHandle token(opened);
    AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
    if (GetLastError() != ERROR_SUCCESS) {
        *notice = IDS_SHUTDOWN_ADJUST_FAILED;
        return kOk;
    }
    // Sleep, not hibernation; wake events kept (the force flag does nothing).
    if (!SetSuspendState(FALSE, FALSE, FALSE)) {
        SaveWindowsError();
        return Fail(QV_SITE(kModule), kErrSuspendRefused, L"SetSuspendState");
    }
    return kOk;
}

}  // namespace

// START takes its first quoted word as the window title, so the title comes
// first ("") and the quoted saver path after it is what runs. The install
// folder reaches the batch file through the environment: written into it,
// its name could read as another in the console's code page, or as commands.
Status LockWithSaver() {
    if (gAppState == nullptr || gUserSettings == nullptr) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    wchar_t secure[kDesktopValueBytes / sizeof(wchar_t)];
    const bool locks = ReadDesktopValue(L"ScreenSaverIsSecure", secure) == kOk && _wtoi(secure) != 0;
    gErrorLocation = {};  // an unreadable value only means no lock
    wchar_t path[kPathChars];
    if (!JoinPath(gAppState->tempFolder, locks ? L"FenwoldLok.bat" : L"FenwoldNoLok.bat", path))
        return Fail(QV_SITE(kModule), kErrInvalidArgument, gAppState->tempFolder);
    if (!SetEnvironmentVariableW(L"QuorvelFolder", gAppState->installFolder)) {
        SaveWindowsError();
        return Fail(QV_SITE(kModule), kErrInvalidArgument, gAppState->installFolder);
    }
    if (Status s = WriteBatchFile(path,
                                  "echo off\r\nstart \"\" /wait \"%QuorvelFolder%\\Quorvel.scr\" /s & rundll32 "
                                  "user32.dll,LockWorkStation\r\n");
        s != kOk)
        return s;
    return RunAndWait(path);
}

Status SleepNow(HWND window, unsigned* notice) {
    *notice = 0;
    PowerCapabilities capabilities;
    if (Status s = ReadPowerCapabilities(&capabilities); s != kOk) return s;
    switch (ChooseSleep(capabilities)) {
        case SleepAction::Suspend: return Suspend(notice);
        case SleepAction::DisplaysOff:
            // A system command carried out by DefWindowProc; 2 is "off".
            SendMessageW(window, WM_SYSCOMMAND, SC_MONITORPOWER, 2);
            return kOk;
        case SleepAction::NoSleep: *notice = IDS_NO_SLEEP; return kOk;
    }
    return kOk;
}

}  // namespace quorvel
