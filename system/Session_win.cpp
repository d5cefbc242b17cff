#include "system/Session_win.h"

#include <powrprof.h>

#include <cwchar>

#include "base/ErrorReporter_win.h"
#include "base/Guards_win.h"
#include "base/Utilities_win.h"
#include "storage/Settings_win.h"
#include "system/SaverRegistry_win.h"
#include "res/resource.h"

namespace quorvel {

namespace {

const wchar_t kModule[] = L"Quorvel";

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

int SleepNow() {
    HANDLE opened = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &opened)) {
        wchar_t text[kMessageChars];
        (void)LoadText(IDS_SHUTDOWN_TOKEN_FAILED, text, sizeof text);
        return ShowNotice(text, MB_OK);
    }
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid);
    const KernelHandle token(opened);
    AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
    const DWORD error = GetLastError();
    if (error == ERROR_SUCCESS) {
        SetSuspendState(FALSE, FALSE, FALSE);  // sleep, not forced, wake events kept
        return 0;
    }
    wchar_t text[kMessageChars];
    (void)LoadText(IDS_SHUTDOWN_ADJUST_FAILED, text, sizeof text);
    return ShowNotice(text, MB_OK);
}

}  // namespace quorvel
