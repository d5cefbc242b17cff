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
// first ("") and the quoted saver path after it is what runs.
Status LockWithSaver() {
    if (gAppState == nullptr || gUserSettings == nullptr) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    wchar_t secure[kDesktopValueBytes / sizeof(wchar_t)];
    const bool locks = ReadDesktopValue(L"ScreenSaverIsSecure", secure) == kOk && _wtoi(secure) != 0;
    gErrorLocation = {};  // an unreadable value only means no lock
    wchar_t path[kPathChars];
    if (!JoinPath(gAppState->tempFolder, locks ? L"FenwoldLok.bat" : L"FenwoldNoLok.bat", path))
        return Fail(QV_SITE(kModule), kErrInvalidArgument, gAppState->tempFolder);
    wchar_t command[kPathChars * 2];
    swprintf(command, kPathChars * 2,
             L"echo off\r\nstart \"\" /wait \"%ls\\Quorvel.scr\" /s & rundll32 user32.dll,LockWorkStation\r\n",
             gAppState->installFolder);
    char text[kPathChars * 4];
    const int bytes = WideCharToMultiByte(CP_ACP, 0, command, -1, text, sizeof text, nullptr, nullptr);
    FileHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file || bytes <= 0 || !WriteFile(file.get(), text, static_cast<DWORD>(bytes - 1), &written, nullptr) ||
        written != static_cast<DWORD>(bytes - 1)) {
        SaveWindowsError();
        SetErrorLocation(QV_SITE(kModule), path);
        return kErrDiskWrite;
    }
    file.reset();  // written and closed before it runs
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
