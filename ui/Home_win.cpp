#include "ui/Home_win.h"

#include <commctrl.h>
#include <powrprof.h>

#include <cwchar>
#include <string>

#include "ui/About_win.h"
#include "base/ErrorReporter_win.h"
#include "ui/Help_win.h"
#include "ui/Panel_win.h"
#include "storage/Settings_win.h"
#include "base/Hooks_win.h"
#include "base/Utilities_win.h"
#include "display/AlbumWindow_win.h"
#include "base/DisplayState_win.h"
#include "ui/GlyphDraw_win.h"
#include "system/SaverRegistry_win.h"
#include "res/resource.h"

namespace quorvel {

PanelRunner gPanelRunners[kPanelCount] = {};

namespace {

const wchar_t kModule[] = L"Quorvel";
// Locations the error log has always named.
constexpr ErrorSite kHomeDialogSite{kModule, 1785};
constexpr ErrorSite kHomeFontSite{kModule, 2163};
constexpr ErrorSite kRequestedPanelSite{kModule, 1277};
constexpr int kHomeButtonCount = 10;
constexpr int kPhraseLimit = kPhraseChars - 1;

const GlyphButtonSpec kHomeButtons[kHomeButtonCount] = {
    {IDC_LOCK, IDB_BUTTON_LOCK, 207},
    {IDC_SLEEP, IDB_BUTTON_SLEEP, 224},
    {IDC_UPDATE_PHRASE, IDB_BUTTON_UPDATE_PHRASE, 40},
    {IDC_IMPORT_ALBUM, IDB_BUTTON_IMPORT, 0xF0D2},
    {IDC_PHOTOS_PANEL, IDB_BUTTON_PHOTOS, 162},
    {IDC_MONITORS_PANEL, IDB_BUTTON_MONITORS, 190},
    {IDC_PHRASES_PANEL, IDB_BUTTON_PHRASES, 0xF05F},
    {IDC_POWER_PANEL, IDB_BUTTON_POWER, 192},
    {IDC_MATTINGS_PANEL, IDB_BUTTON_MATTINGS, 163},
    {IDC_UPDATE_SAVER_PHRASE, IDB_BUTTON_UPDATE_PHRASE, 41},
};

GlyphButton gHomeButtons[kHomeButtonCount];
HFONT gHomeFont = nullptr;
int gHomeReopen = 0;
int gHomeOpenings = 0;

const int kAlbumLabels[kAlbumCount] = {IDC_ALBUM1_LABEL, IDC_ALBUM2_LABEL};
const int kAlbumEdits[kAlbumCount] = {IDC_ALBUM1_PHRASE, IDC_ALBUM2_PHRASE};

bool AlbumInUse(int album) { return gDisplayState != nullptr && gDisplayState->albums[album].inUse != 0; }

HWND AlbumWindow(int album) {
    if (gDisplayState == nullptr || gDisplayState->albums[album].view == nullptr) return nullptr;
    HWND window = gDisplayState->albums[album].view->window;
    return window != nullptr && IsWindow(window) ? window : nullptr;
}

void Notice(unsigned textId) {
    wchar_t text[kMessageChars];
    (void)LoadText(textId, text, sizeof text);
    ShowNotice(text, MB_OK);
}

void EndHome(HWND dialog, INT_PTR result) {
    RemoveButtonHover(dialog);
    EndDialog(dialog, result);
}

void FillAlbumPhrases(HWND dialog) {
    for (int album = 0; album < kAlbumCount; ++album) {
        if (!AlbumInUse(album)) {
            ShowWindow(GetDlgItem(dialog, kAlbumLabels[album]), SW_HIDE);
            ShowWindow(GetDlgItem(dialog, kAlbumEdits[album]), SW_HIDE);
            continue;
        }
        SetDlgItemTextW(dialog, kAlbumLabels[album], gDisplayState->albums[album].folderName);
        SetDlgItemTextW(dialog, kAlbumEdits[album], gUserSettings != nullptr ? gUserSettings->phrase[album] : L"");
        SendDlgItemMessageW(dialog, kAlbumEdits[album], EM_LIMITTEXT, kPhraseLimit, 0);
    }
    SetDlgItemTextW(dialog, IDC_SAVER_PHRASE, gUserSettings != nullptr ? gUserSettings->screenSaverPhrase : L"");
    SendDlgItemMessageW(dialog, IDC_SAVER_PHRASE, EM_LIMITTEXT, kPhraseLimit, 0);
}

void AppendHomeSystemMenu(HWND dialog) {
    HMENU menu = GetSystemMenu(dialog, FALSE);
    if (menu == nullptr) return;
    wchar_t about[64], help[64], importHelp[64];
    (void)LoadText(IDS_MENU_ABOUT_QUORVEL, about, sizeof about);
    (void)LoadText(IDS_MENU_HOME_HELP, help, sizeof help);
    (void)LoadText(IDS_MENU_IMPORT_HELP, importHelp, sizeof importHelp);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, IDM_PANEL_ABOUT, about);
    AppendMenuW(menu, MF_STRING, IDM_PANEL_HELP, help);
    AppendMenuW(menu, MF_STRING, IDM_IMPORT_HELP, importHelp);
}

// The dialog's font again, its height scaled to the DPI, with ClearType.
Status ScaleHomeFont(HWND dialog) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    LOGFONTW logFont = {};
    if (font == nullptr || GetObjectW(font, sizeof logFont, &logFont) == 0) {
        SetErrorLocation(QV_SITE(kModule));
        return kErrInvalidArgument;
    }
    if (logFont.lfHeight == 0) {
        SetErrorLocation(kHomeFontSite);
        return kErrCreateFont;
    }
    logFont.lfHeight = MulDiv(logFont.lfHeight, gMode.currentDpi, 100);
    logFont.lfQuality = CLEARTYPE_QUALITY;
    if (gHomeFont != nullptr) DeleteObject(gHomeFont);
    gHomeFont = CreateFontIndirectW(&logFont);
    if (gHomeFont == nullptr) {
        SetErrorLocation(QV_SITE(kModule));
        return kErrCreateFont;
    }
    SendMessageW(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(gHomeFont), FALSE);
    return kOk;
}

Status InitialiseHome(HWND dialog) {
    CenterPanel(dialog);
    if (Status s = SetPanelIcons(dialog); s != kOk) return s;
    FillAlbumPhrases(dialog);
    UnthemeControl(dialog, IDC_ALBUM_GROUP);
    UnthemeControl(dialog, IDC_SAVER_GROUP);
    AppendHomeSystemMenu(dialog);
    for (GlyphButton& b : gHomeButtons) b = GlyphButton{};
    if (Status s = SetUpGlyphButtons(dialog, kHomeButtons, gHomeButtons, kHomeButtonCount); s != kOk) return s;
    if (gMode.configureMode) {
        static const int kHidden[] = {IDC_POWER_PANEL,   IDC_LOCK,          IDC_SLEEP,
                                      IDC_ALBUM_GROUP,   IDC_ALBUM1_PHRASE, IDC_ALBUM2_PHRASE,
                                      IDC_UPDATE_PHRASE, IDC_ALBUM1_LABEL,  IDC_ALBUM2_LABEL};
        for (int id : kHidden) ShowWindow(GetDlgItem(dialog, id), SW_HIDE);
    }
    return ScaleHomeFont(dialog);
}

void OnInitDialog(HWND dialog) {
    if (gAppState != nullptr) gAppState->homeOpen = 1;
    OutputDebugStringW(L"Quorvel: Main InitDialog\n");
    try {
        ReportError(InitialiseHome(dialog), 1);
    } catch (const FatalError& e) {
        MessageBoxW(dialog, e.text.c_str(), gAppState->caption, MB_OK);
    }
}

// Album phrases that differ (ignoring case) from the album's phrase are
// taken. Only albums in use count: a hidden edit holds no phrase to keep.
void UpdateAlbumPhrases(HWND dialog) {
    bool changed = false;
    for (int album = 0; album < kAlbumCount; ++album) {
        if (!AlbumInUse(album) || gUserSettings == nullptr) continue;
        wchar_t text[kPhraseChars] = L"";
        GetDlgItemTextW(dialog, kAlbumEdits[album], text, kPhraseChars);
        if (_wcsicmp(text, gUserSettings->phrase[album]) == 0) continue;
        wcsncpy(gUserSettings->phrase[album], text, kPhraseChars - 1);
        if (AlbumView* view = gDisplayState->albums[album].view) {
            wcsncpy(view->phrase, text, kPhraseChars - 1);
            if (view->window != nullptr) InvalidateRect(view->window, nullptr, TRUE);
        }
        changed = true;
    }
    if (changed)
        WritePhrases();
    else
        Notice(IDS_PHRASES_UNCHANGED);
}

void UpdateSaverPhrase(HWND dialog) {
    if (gUserSettings == nullptr) return;
    wchar_t text[kPhraseChars] = L"";
    GetDlgItemTextW(dialog, IDC_SAVER_PHRASE, text, kPhraseChars);
    if (_wcsicmp(text, gUserSettings->screenSaverPhrase) == 0) {
        Notice(IDS_SAVER_PHRASE_UNCHANGED);
        return;
    }
    wcsncpy(gUserSettings->screenSaverPhrase, text, kPhraseChars - 1);
    WritePhrases();
}

void RequestPanel(HWND dialog, PanelId panel) {
    if (gMode.configureMode && panel != kPanelPower) {
        if (PanelRunner run = gPanelRunners[panel]) ReportError(run(dialog), 1);
        return;
    }
    gAppState->panelRequest[panel] = 1;
    EndHome(dialog, 1);
}

void OnCommand(HWND dialog, int id) {
    switch (id) {
        case IDOK:
        case IDC_UPDATE_PHRASE: UpdateAlbumPhrases(dialog); break;
        case IDC_UPDATE_SAVER_PHRASE: UpdateSaverPhrase(dialog); break;
        case IDCANCEL: EndHome(dialog, 0); break;
        case IDC_LOCK: ReportError(LockWithSaver(dialog), 1); break;
        case IDC_SLEEP: SleepNow(); break;
        case IDC_PHRASES_PANEL: RequestPanel(dialog, kPanelPhrases); break;
        case IDC_IMPORT_ALBUM: RequestPanel(dialog, kPanelImport); break;
        case IDC_MONITORS_PANEL: RequestPanel(dialog, kPanelMonitorMapping); break;
        case IDC_PHOTOS_PANEL: RequestPanel(dialog, kPanelPhotos); break;
        case IDC_MATTINGS_PANEL: RequestPanel(dialog, kPanelMattings); break;
        case IDC_POWER_PANEL: RequestPanel(dialog, kPanelPower); break;
        default: break;
    }
}

bool OnSysCommand(HWND dialog, WPARAM command) {
    if ((command & 0xFFF0) == SC_CLOSE) {
        EndHome(dialog, 0);
        return true;
    }
    switch (command) {
        case IDM_PANEL_ABOUT: ReportError(OpenAbout(dialog), 1); return true;
        case IDM_PANEL_HELP: ReportError(RunHelp(L"QuorvelHelp.bat", kHelpHome), 1); return true;
        case IDM_IMPORT_HELP: ReportError(RunHelp(L"QuorvelHelpImportAlbums.bat", kHelpImport), 1); return true;
        default: return false;
    }
}

INT_PTR OnDrawItem(HWND dialog, const DRAWITEMSTRUCT* item) {
    for (int i = 0; i < kHomeButtonCount; ++i)
        if (kHomeButtons[i].controlId == static_cast<int>(item->CtlID)) {
            ReportError(DrawGlyphButton(dialog, gHomeButtons, i, kHomeButtonCount, item), 1);
            return TRUE;
        }
    return FALSE;
}

void Reopen(HWND dialog) {
    gHomeReopen = 1;
    EndHome(dialog, 0);
}

void OnDestroy() {
    FreeGlyphButtons(gHomeButtons, kHomeButtonCount);
    if (gHomeFont != nullptr) DeleteObject(gHomeFont);
    gHomeFont = nullptr;
    if (gAppState != nullptr) gAppState->homeOpen = 0;
    // Without album windows (configure mode) closing Home ends the program;
    // not while it is being reopened, or the quit message would end the
    // next dialog before it shows.
    if (!gHomeReopen && AlbumWindow(0) == nullptr && AlbumWindow(1) == nullptr) PostQuitMessage(0);
}

INT_PTR CALLBACK HomeProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: OnInitDialog(dialog); return TRUE;
        case WM_ERASEBKGND: return PaintPanelBackground(dialog, reinterpret_cast<HDC>(wParam));
        case WM_CTLCOLORSTATIC:
            switch (GetDlgCtrlID(reinterpret_cast<HWND>(lParam))) {
                case IDC_ALBUM_GROUP:
                case IDC_SAVER_GROUP:
                case IDC_ALBUM1_LABEL:
                case IDC_ALBUM2_LABEL: return ColourPanelStatic(reinterpret_cast<HDC>(wParam));
                default: return FALSE;
            }
        case WM_DRAWITEM: return OnDrawItem(dialog, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        case WM_NCMOUSEMOVE:
        case WM_NCMOUSELEAVE: return TRUE;
        case WM_DISPLAYCHANGE:
            if (!gHomeReopen && ScreenSizeChanged()) Reopen(dialog);
            return TRUE;
        case WM_DPICHANGED:
            if (DpiDiffers(wParam)) Reopen(dialog);
            return TRUE;
        case WM_COMMAND: OnCommand(dialog, LOWORD(wParam)); return TRUE;
        case WM_SYSCOMMAND: return OnSysCommand(dialog, wParam) ? TRUE : FALSE;
        case WM_DESTROY: OnDestroy(); return FALSE;
        default: return FALSE;
    }
}

void CountOpening() { ++gHomeOpenings; }

}  // namespace

Status OpenHome(HWND owner) {
    gHomeOpenings = 0;
    if (owner == nullptr) {
        SetErrorLocation(QV_SITE(kModule));
        return kErrInvalidArgument;
    }
    const PanelLaunch home{IDD_HOME, IDD_HOME_SMALL, HomeProcedure, &gHomeReopen, kHomeDialogSite, -1,
                           CountOpening, nullptr};
    if (Status s = LaunchPanel(owner, home, nullptr); s != kOk) return s;
    const bool recreated = gHomeOpenings > 1;
    if (!gMode.configureMode)
        if (Status s = RunRequestedPanel(owner); s != kOk) return s;
    if (!gMode.restartRequested && recreated) gMode.restartRequested = true;
    return kOk;
}

Status RunRequestedPanel(HWND owner) {
    gMode.restartRequested = false;
    if (gAppState == nullptr || owner == nullptr) {
        SetErrorLocation(kRequestedPanelSite);
        return kErrInvalidArgument;
    }
    bool requested = false;
    for (DWORD flag : gAppState->panelRequest) requested = requested || flag != 0;
    Status status = kOk;
    if (requested) {
        for (int album = 0; album < kAlbumCount; ++album) StopAlbumTimer(album);
        for (int panel = 0; panel < kPanelCount; ++panel)
            if (gAppState->panelRequest[panel] && gPanelRunners[panel] != nullptr) {
                status = gPanelRunners[panel](owner);
                break;
            }
        WriteAllSettings();
        if (status == kOk) {
            if (!gMode.restartRequested) {
                for (int album = 0; album < kAlbumCount; ++album) StartAlbumTimer(album);
            } else {
                if (gHooks.rebuildDisplay != nullptr) status = gHooks.rebuildDisplay(owner);
            }
        }
    }
    for (DWORD& flag : gAppState->panelRequest) flag = 0;
    return status;
}

Status LockWithSaver(HWND dialog) {
    if (gAppState == nullptr || gUserSettings == nullptr) {
        SetErrorLocation(QV_SITE(kModule));
        return kErrInvalidArgument;
    }
    wchar_t secure[kDesktopValueBytes / sizeof(wchar_t)];
    const bool locks = ReadDesktopValue(L"ScreenSaverIsSecure", secure) == kOk && _wtoi(secure) != 0;
    gErrorLocation = {};  // an unreadable value only means no lock
    wchar_t path[kPathChars];
    swprintf(path, kPathChars, L"%ls\\%ls", gAppState->tempFolder, locks ? L"FenwoldLok.bat" : L"FenwoldNoLok.bat");
    wchar_t command[kPathChars * 2];
    swprintf(command, kPathChars * 2,
             L"echo off\r\nstart /wait \"%ls\\Quorvel.scr\" /s & rundll32 user32.dll,LockWorkStation\r\n",
             gAppState->installFolder);
    char text[kPathChars * 4];
    const int bytes = WideCharToMultiByte(CP_ACP, 0, command, -1, text, sizeof text, nullptr, nullptr);
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool ok = file != INVALID_HANDLE_VALUE && bytes > 0 &&
                    WriteFile(file, text, static_cast<DWORD>(bytes - 1), &written, nullptr) &&
                    written == static_cast<DWORD>(bytes - 1);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (!ok) {
        SaveWindowsError();
        SetErrorLocation(QV_SITE(kModule), path);
        return kErrDiskWrite;
    }
    if (dialog != nullptr) GetDlgItemTextW(dialog, IDC_SAVER_PHRASE, gUserSettings->screenSaverPhrase, kPhraseChars);
    return RunAndWait(path);
}

int SleepNow() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        wchar_t text[kMessageChars];
        (void)LoadText(IDS_SHUTDOWN_TOKEN_FAILED, text, sizeof text);
        return ShowNotice(text, MB_OK);
    }
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid);
    AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    const DWORD error = GetLastError();
    CloseHandle(token);
    if (error == ERROR_SUCCESS) {
        SetSuspendState(FALSE, FALSE, FALSE);  // sleep, not forced, wake events kept
        return 0;
    }
    wchar_t text[kMessageChars];
    (void)LoadText(IDS_SHUTDOWN_ADJUST_FAILED, text, sizeof text);
    return ShowNotice(text, MB_OK);
}

}  // namespace quorvel
