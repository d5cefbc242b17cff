#include "app/Startup_win.h"

#include <objidl.h>
#include <shellapi.h>
#include <shellscalingapi.h>

#include <algorithm>
using std::max;
using std::min;
#include <gdiplus.h>

#include <cstdlib>
#include <ctime>
#include <cwchar>
#include <string>
#include <vector>

#include "app/AlbumStep_win.h"
#include "app/CommandLine.h"
#include "base/Text.h"
#include "base/WindowsVersion.h"
#include "base/ErrorReporter_win.h"
#include "base/Hooks_win.h"
#include "ui/About_win.h"
#include "storage/Folders_win.h"
#include "ui/Help_win.h"
#include "ui/Home_win.h"
#include "ui/Panel_win.h"
#include "storage/Settings_win.h"
#include "storage/Storage_win.h"
#include "base/Utilities_win.h"
#include "display/AlbumWindow_win.h"
#include "imaging/Decode_win.h"
#include "display/DisplayState_win.h"
#include "display/Frame_win.h"
#include "display/Monitors_win.h"
#include "system/PowerPlan_win.h"
#include "ui/Notices_win.h"
#include "system/SaverInstall_win.h"
#include "system/SaverRegistry_win.h"
#include "storage/Cleanup_win.h"
#include "res/resource.h"

namespace quorvel {

namespace {

// The program's mutex, owned; none when another run holds it already
// (*heldElsewhere) or it cannot be made.
HANDLE TakeProgramMutex(bool* heldElsewhere) {
    HANDLE mutex = CreateMutexW(nullptr, TRUE, kProgramMutex);
    *heldElsewhere = mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
    if (*heldElsewhere) {
        CloseHandle(mutex);
        return nullptr;
    }
    return mutex;
}

const wchar_t kModule[] = L"Quorvel";
// Locations the error log has always named.
constexpr ErrorSite kDpiAwarenessSite{kModule, 3137};
constexpr ErrorSite kDisplayStateMemorySite{kModule, 730};
constexpr ErrorSite kSettingsMemorySite{kModule, 735};
constexpr ErrorSite kRoleSite{kModule, 309};
constexpr ErrorSite kDesktopOwnerSite{kModule, 487};
constexpr ErrorSite kOwnerWindowSite{kModule, 498};
constexpr ErrorSite kStartupArgumentSite{kModule, 962};
constexpr ErrorSite kAppIconSite{kModule, 973};
constexpr ErrorSite kAppStateMemorySite{kModule, 196};

// A command-line fault: one box, then the program returns 0 at once.
int CommandLineFault(unsigned textId) {
    ShowNotice(textId);
    return 0;
}

// A box captioned "Notification".
Status Notify(unsigned textId) {
    wchar_t caption[64];
    if (Status s = LoadText(IDS_NOTIFICATION, caption, sizeof caption); s != kOk) return s;
    ShowNotice(textId, caption);
    return kOk;
}

bool AlbumWindowExists(int album) {
    if (gDisplayState == nullptr) return false;
    const AlbumView* view = gDisplayState->albums[album].view;
    return view != nullptr && view->window != nullptr && IsWindow(view->window);
}

void DetectOperatingSystem() {
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    auto isWow64 = reinterpret_cast<IsWow64ProcessFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "IsWow64Process")));
    BOOL wow64 = FALSE;
    if (isWow64 != nullptr && isWow64(GetCurrentProcess(), &wow64)) gAppState->wow64 = wow64 ? 1 : 0;

    // VerifyVersionInfo answers truthfully for the versions the manifest
    // names as supported; that is why the manifest lists Vista to 10.
    auto atLeast = [](DWORD major, DWORD minor) {
        OSVERSIONINFOEXW info = {};
        info.dwOSVersionInfoSize = sizeof info;
        info.dwMajorVersion = major;
        info.dwMinorVersion = minor;
        DWORDLONG mask = 0;
        mask = VerSetConditionMask(mask, VER_MAJORVERSION, VER_GREATER_EQUAL);
        mask = VerSetConditionMask(mask, VER_MINORVERSION, VER_GREATER_EQUAL);
        return VerifyVersionInfoW(&info, VER_MAJORVERSION | VER_MINORVERSION, mask) != FALSE;
    };
    static const struct {
        DWORD major, minor;
    } kSteps[] = {{10, 0}, {6, 3}, {6, 2}, {6, 1}, {6, 0}, {5, 2}, {5, 1}, {5, 0}, {4, 0}};
    WindowsVersion version = WindowsVersion::Other;
    for (const auto& step : kSteps)
        if (atLeast(step.major, step.minor)) {
            version = VersionFromNumbers(step.major, step.minor);
            break;
        }
    gAppState->windowsVersion = version;
    OutputDebugStringW(AsWide(OsDebugName(version)));
}

// Per-monitor DPI awareness comes from the manifest; on 8.1 and 10 the
// process checks that Windows granted it and tells the user when not.
Status CheckDpiAwareness() {
    const WindowsVersion version = gAppState->windowsVersion;
    if (version != WindowsVersion::Win81 && version != WindowsVersion::Win10) return kOk;
    gMode.shcoreLibrary = LoadLibraryW(L"Shcore.dll");
    if (gMode.shcoreLibrary == nullptr) {
        SaveWindowsError();
        SetErrorLocation(QV_SITE(kModule), L"Shcore.dll");
        return kErrLoadShcore;
    }
    using GetAwarenessFn = HRESULT(WINAPI*)(HANDLE, PROCESS_DPI_AWARENESS*);
    auto getAwareness = reinterpret_cast<GetAwarenessFn>(
        reinterpret_cast<void*>(GetProcAddress(gMode.shcoreLibrary, "GetProcessDpiAwareness")));
    if (getAwareness == nullptr) return Fail(kDpiAwarenessSite, kErrProcAddress, L"GetProcessDpiAwareness");
    PROCESS_DPI_AWARENESS awareness = PROCESS_DPI_UNAWARE;
    if (FAILED(getAwareness(nullptr, &awareness))) return Notify(IDS_DPI_AWARENESS_FAILED);
    if (awareness != PROCESS_PER_MONITOR_DPI_AWARE) return Notify(IDS_DPI_NOT_PER_MONITOR);
    return kOk;
}

// Once a process, with the seed of the colour effects' random numbers.
// GDI+ that will not start ends the start with its own text (it has no
// code), raised to the start-up frame.
void StartGdiplus() {
    if (gAppState->gdiplusStarted) return;
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&gAppState->gdiplusToken, &input, nullptr) != Gdiplus::Ok) {
        wchar_t text[kMessageChars];
        RaiseFatal(LoadText(IDS_GDIPLUS_FAILED, text, sizeof text));
        throw FatalError{text};
    }
    gAppState->gdiplusStarted = 1;
}

Status InitialiseSteps() {
    if (Status s = CheckDpiAwareness(); s != kOk) return s;
    if (AllocateDisplayState() == nullptr) return Fail(kDisplayStateMemorySite, kErrMemory);
    gUserSettings = static_cast<UserSettings*>(AllocateLockedBlock(sizeof(UserSettings)));
    if (gUserSettings == nullptr) return Fail(kSettingsMemorySite, kErrMemory);
    if (Status s = ComputeFolders(); s != kOk) return s;
    StartGdiplus();
    if (Status s = RecordScreenAndMessageFont(); s != kOk) return s;
    if (Status s = GetCurrentDpi(0, 0); s != kOk) return s;
    return StartupSequence(gMode.ownerWindow, gAppState->windowsVersion == WindowsVersion::Vista ? 1 : 0);
}

LRESULT CALLBACK KeyboardHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code < 0) return CallNextHookEx(gMode.keyboardHook, code, wParam, lParam);
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (wParam == PM_REMOVE && msg != nullptr && (msg->message == WM_KEYUP || msg->message == WM_SYSKEYUP) &&
        msg->wParam == VK_F1)
        ShowError(RunHelp(L"QuorvelHelp.bat", kHelpHome));
    return 0;
}

void Initialise(HINSTANCE) {
    try {
        Status status = InitialiseSteps();
        if (AlbumWindowExists(0)) {
            const DWORD thread = GetWindowThreadProcessId(gDisplayState->albums[0].view->window, nullptr);
            gMode.keyboardHook = SetWindowsHookExW(WH_GETMESSAGE, KeyboardHook, nullptr, thread);
        }
        RaiseFatal(status);
    } catch (const FatalError& e) {
        ShowFatal(e, gAppState->caption);
        PostQuitMessage(1);
    }
}

void MessageLoop(HACCEL accelerators) {
    MSG msg;
    for (;;) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got > 0 && AlbumWindowExists(0)) {
            // Messages for windows that are gone, and thread messages, are
            // dropped: nothing of the program posts to the thread.
            if (msg.hwnd == nullptr || !IsWindow(msg.hwnd)) continue;
            if (!TranslateAcceleratorW(msg.hwnd, accelerators, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            continue;
        }
        if (got == -1) break;
        if (!gMode.restartRequested) break;
        ShowError(StartupSequence(gMode.ownerWindow, 1));
    }
}

// The package's removal runs the program with "/u" before it deletes the
// files: a saver value still naming a Quorvel.scr (in any folder, by its long
// or short name) would leave the user with no saver, so the one the tick kept
// is given back, as the untick does. It shows nothing and takes no mutex,
// since nothing may hold up or refuse a removal.
void GiveBackUsersSaver() {
    wchar_t value[kDesktopValueBytes / sizeof(wchar_t)];
    if (ReadDesktopValue(L"SCRNSAVE.EXE", value) != kOk) return;
    const PathParts parts = SplitPath(AsU16(value));
    const std::u16string name = parts.fileName + parts.extension;
    if (EqualsNoCaseAscii(name, u"Quorvel.scr") || EqualsNoCaseAscii(name, u"QUORVE~1.scr"))
        (void)UninstallScreenSaver();
}

// Steps 1 to 8 of the entry; returns false when the program must return at
// once (a command-line fault already shown, or the saver given back).
bool ChooseRole(const std::vector<std::u16string>& args, int* returnCode) {
    const PathParts parts = SplitPath(args.empty() ? std::u16string() : args[0]);
    const SwitchArgs sw = ReadSwitch(args);
    DebugLine(L"Quorvel: args %d Drive:%ls Folder:%ls FileName:%ls,Extension:%ls FirstArg:%ls SecondArg:%ls\n",
              static_cast<int>(args.size()), AsWide(parts.drive.c_str()), AsWide(parts.folder.c_str()),
              AsWide(parts.fileName.c_str()), AsWide(parts.extension.c_str()), AsWide(sw.switchText.c_str()),
              AsWide(sw.handleText.c_str()));

    switch (RoleFromExtension(parts.extension)) {
        case ExtensionRole::RegularOrCleanup: {
            bool heldElsewhere = false;
            OutputDebugStringW(L"Quorvel as regular exe is launching\n");
            if (sw.valid && IsSwitch(sw.switchText, u'u')) {
                GiveBackUsersSaver();
                return false;
            }
            if (sw.valid && IsSwitch(sw.switchText, u'd')) {
                OutputDebugStringW(L"Quorvel: File Cleanup mode detected\n");
                gMode.role = Role::kCleanup;
                gMode.ownerWindow = GetActiveWindow();
                // The program's mutex, held while the cleanup runs, keeps a
                // program from starting beneath it; when a program holds it
                // already, the cleanup refuses (CleanupRepair).
                gMode.instanceMutex = TakeProgramMutex(&heldElsewhere);
            } else {
                gMode.role = Role::kProgram;
                gMode.instanceMutex = TakeProgramMutex(&heldElsewhere);
                if (heldElsewhere) {
                    OutputDebugStringW(L"Another instance of Quorvel already running\n");
                    Shutdown();
                }
            }
            return true;
        }
        case ExtensionRole::ScreenSaver: {
            OutputDebugStringW(L"Screen saver mode of Quorvel\n");
            const std::int64_t handle = HandleValue(sw.handleText);
            if (args.size() < 2) {
                gMode.role = Role::kConfigure;
                gMode.ownerWindow = GetActiveWindow();
            } else if (!sw.valid) {
                *returnCode = CommandLineFault(IDS_ARG_NOT_VALID);
                return false;
            } else if (IsSwitch(sw.switchText, u'c')) {
                gMode.ownerWindow =
                    handle > 0 ? reinterpret_cast<HWND>(static_cast<INT_PTR>(handle)) : GetDesktopWindow();
                if (!IsWindow(gMode.ownerWindow)) {
                    *returnCode = CommandLineFault(IDS_ARG_CONFIGURE_HANDLE);
                    return false;
                }
                gMode.role = Role::kConfigure;
            } else if (IsSwitch(sw.switchText, u'p')) {
                if (handle > 0) gMode.ownerWindow = reinterpret_cast<HWND>(static_cast<INT_PTR>(handle));
                if (gMode.ownerWindow == nullptr || !IsWindow(gMode.ownerWindow)) {
                    *returnCode = CommandLineFault(IDS_ARG_PREVIEW_HANDLE);
                    return false;
                }
                gMode.role = Role::kPreview;
            } else if (IsSwitch(sw.switchText, u's')) {
                gMode.role = Role::kSaver;
                // Savers may overlap (Lock starts one); the mutex tells the
                // power plan whether another saver still owns a switch.
                gMode.instanceMutex = CreateMutexW(nullptr, FALSE, kSaverMutex);
                gMode.sameRoleRunning = gMode.instanceMutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
            } else {
                *returnCode = CommandLineFault(IDS_ARG_NOT_VALID);
                return false;
            }
            return true;
        }
        case ExtensionRole::Unknown: break;
    }
    SetErrorLocation(kRoleSite);
    RaiseFatal(kErrAppFailed);  // raises
    return true;
}

void FillAppState(HINSTANCE instance) {
    static const wchar_t kEmpty[] = L"";
    gAppState->instance = instance;
    gAppState->emptyText = kEmpty;
    gAppState->textColour = 0x5CD6B9;
    gAppState->glyphHotColour = 0xFF12DC;
    gAppState->glyphColour = 0xD712DC;
    gAppState->backgroundColour = 0x502428;
    gAppState->backgroundBrush = CreateSolidBrush(0x502428);
}

void TakeOwnerWindow() {
    if (gMode.ownerWindow == nullptr) {
        OutputDebugStringW(L"Quorvel:No parent window\n");
        gMode.ownerWindow = GetDesktopWindow();
        if (!IsWindow(gMode.ownerWindow)) {
            SetErrorLocation(kDesktopOwnerSite);
            RaiseFatal(kErrInvalidArgument);
        }
        OutputDebugStringW(L"Quorvel: GetDesktopWindow() worked\n");
        return;
    }
    if (!IsWindow(gMode.ownerWindow)) {
        SetErrorLocation(kOwnerWindowSite);
        RaiseFatal(kErrInvalidArgument);
    }
    OutputDebugStringW(L"Quorvel: owner window from command line\n");
}

// At exit, the plan the start switched goes back. One Windows refuses stays
// recorded for the next start of this role, and the user is told.
void RestorePlanOrTell() {
    bool restored = true;
    ShowError(RestorePowerPlan(&restored));
    if (!restored) ShowNotice(IDS_RESTORE_PLAN_FAILED, gAppState->programName);
}

// The cleanup mode has no window: what the cleanup has to tell goes to the
// debugger output, with the place of the last failure.
void RunCleanupMode() {
    std::wstring notice;
    const Status s = CleanupRepair(&notice);
    if (!notice.empty()) {
        DebugLine(L"%ls\n", notice.c_str());
        if (gErrorLocation.sourceName[0] != L'\0')
            DebugLine(L"Quorvel: Error occured at file %ls line %d\n", gErrorLocation.sourceName, gErrorLocation.line);
    }
    ShowError(s);
}

// The power plan is switched once, at the first start of a display (the
// quick flag is set on restarts); the configuration screen neither switches
// nor restores, as it shows no album. Asking POWERCFG takes a moment, so
// the albums' first frames are drawn first; the glide starts once the plan
// is settled. The switch never ends the start.
void SwitchPowerPlan() {
    for (int album = 0; album < kAlbumCount; ++album)
        if (AlbumWindowExists(album)) UpdateWindow(gDisplayState->albums[album].view->window);
    // A wait that dispatches nothing, so the window system presents
    // what was just painted before the thread blocks on POWERCFG.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
    ShowError(StartPowerPlan());
}

// What a start opens: the albums, then Home, the cleanup or the album
// windows. A failure is returned for the start-up sequence to end the start.
Status OpenStart(HWND owner, int quick) {
    FillButtonPalette();
    if (Status s = ReadAllSettings(); s != kOk) return s;
    if (gMode.role != Role::kCleanup)
        if (Status s = PrepareAlbums(); s != kOk) return s;
    if (gMode.role == Role::kConfigure) return OpenHome(owner);
    if (gMode.role == Role::kCleanup) {
        RunCleanupMode();
        PostQuitMessage(0);
        return kOk;
    }
    if (Status s = OpenAlbumWindows(owner); s != kOk) return s;
    if (quick == 0 && gMode.role != Role::kPreview) SwitchPowerPlan();
    return kOk;
}

}  // namespace

Status StartupSequence(HWND owner, int quick) {
    gMode.restartRequested = false;
    if (gAppState == nullptr || !IsWindow(owner)) return Fail(kStartupArgumentSite, kErrInvalidArgument);
    if (gAppState->appIcon == nullptr) {
        gAppState->appIcon = LoadIconW(gAppState->instance, MAKEINTRESOURCEW(IDI_APP));
        if (gAppState->appIcon == nullptr) {
            SaveWindowsError();
            SetErrorLocation(kAppIconSite);
            return kErrLoadIcon;
        }
    }
    // A failure of the start ends it: raised, and answered here.
    try {
        RaiseFatal(OpenStart(owner, quick));
    } catch (const FatalError& e) {
        ShowFatal(e, gAppState->programName);
        PostQuitMessage(1);
    } catch (...) {
        ShowUnexpectedFailure(gAppState->programName);
        PostQuitMessage(1);
    }
    return kOk;
}

void Shutdown() {
    if (gMode.keyboardHook != nullptr) UnhookWindowsHookEx(gMode.keyboardHook);
    gMode.keyboardHook = nullptr;
    if (gAppState != nullptr && gAppState->backgroundBrush != nullptr) DeleteObject(gAppState->backgroundBrush);
    if (gDisplayState != nullptr) {
        for (int album = 0; album < kAlbumCount; ++album) {
            StopAlbumTimer(album);
            ReleaseAlbum(album);
            FreeAlbumView(gDisplayState->albums[album].view);
        }
        if (gDisplayState->phraseFont != nullptr) DeleteObject(gDisplayState->phraseFont);
    }
    DeleteUiMessageFont();
    if (gMode.role != Role::kConfigure && gMode.role != Role::kPreview) RestorePlanOrTell();
    if (gAppState != nullptr) {
        if (gAppState->gdiplusStarted) Gdiplus::GdiplusShutdown(gAppState->gdiplusToken);
        for (HFONT font : gAppState->glyphFonts)
            if (font != nullptr) DeleteObject(font);
        // The process is ending; a batch file left behind is found and
        // deleted by the next run's cleanup.
        (void)RemoveTempFiles();
    }
    FreeDisplayState();
    FreeAppState();
    FreeLockedBlock(gUserSettings);
    gUserSettings = nullptr;
    if (gMode.shcoreLibrary != nullptr) FreeLibrary(gMode.shcoreLibrary);
    CoUninitialize();
    if (gMode.instanceMutex != nullptr) CloseHandle(gMode.instanceMutex);
    ExitProcess(0);
}

namespace {

// The program's own path as the loader has it, whatever the command line
// says; empty when it cannot be read.
std::u16string ModulePath() {
    constexpr std::size_t kLongestPath = 32768;
    std::vector<wchar_t> path(kPathChars);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) return std::u16string(AsU16(path.data()), n);
        if (path.size() >= kLongestPath) return {};
        path.resize(path.size() * 2);
    }
}

void InstallHooks() {
    gHooks.openHome = OpenHome;
    gHooks.openAbout = OpenAbout;
    gHooks.openHomeHelp = [] { return RunHelp(L"QuorvelHelp.bat", kHelpHome); };
    gHooks.shutdown = Shutdown;
    // The window asking is an album window that the rebuild replaces: the
    // new windows belong to the program's own owner, as at the start.
    gHooks.rebuildDisplay = [](HWND) { return StartupSequence(gMode.ownerWindow, 1); };
    gHooks.repairAlbums = RunFirstTimeSetup;
    gHooks.notify = Notify;
}

}  // namespace

int RunProgram(HINSTANCE instance) {
    InstallHooks();
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::u16string> written;
    for (int i = 0; i < argc; ++i) written.emplace_back(AsU16(argv[i]));
    if (argv != nullptr) LocalFree(argv);
    const std::vector<std::u16string> args = ProgramArguments(written, ModulePath());

    if (!AllocateAppState()) {
        SetErrorLocation(kAppStateMemorySite);
        ShowError(kErrMemory);
        Shutdown();
    }
    gAppState->instance = instance;
    ShowError(LoadText(IDS_CAPTION, gAppState->caption, sizeof gAppState->caption));
    ShowError(LoadText(IDS_PROGRAM_NAME, gAppState->programName, sizeof gAppState->programName));

    try {
        int returnCode = 0;
        if (!ChooseRole(args, &returnCode)) return returnCode;
        DetectOperatingSystem();
        if (!IsSupportedVersion(gAppState->windowsVersion)) {
            ShowError(kErrUnsupportedOs);
            Shutdown();
        }
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        FillAppState(instance);
        TakeOwnerWindow();
    } catch (const FatalError& e) {
        ShowFatal(e, gAppState->caption);
        Shutdown();
    }

    Initialise(instance);
    gAppState->uiThreadId = GetCurrentThreadId();
    const HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    if (AlbumWindowExists(0)) MessageLoop(accelerators);
    OutputDebugStringW(L"Quorvel: quitting properly\n");
    Shutdown();
}

}  // namespace quorvel
