#include "ui/About_win.h"

#include <commdlg.h>

#include <algorithm>
#include <cwchar>
#include <string>

#include "base/ErrorReporter_win.h"
#include "base/Hooks_win.h"
#include "ui/FileSelection_win.h"
#include "ui/Help_win.h"
#include "ui/Panel_win.h"
#include "ui/Notices_win.h"
#include "storage/Settings_win.h"
#include "storage/Storage_win.h"
#include "base/Text.h"
#include "base/Utilities_win.h"
#include "display/DisplayState_win.h"
#include "storage/Cleanup_win.h"
#include "system/SaverRegistry_win.h"
#include "res/resource.h"

namespace quorvel {

namespace {

const wchar_t kModule[] = L"Quorvel";
constexpr int kAboutButtonCount = 4;

const GlyphButtonSpec kAboutButtons[kAboutButtonCount] = {
    {IDC_COPY_LOG, IDB_BUTTON_COPY_LOG, 211},
    {IDC_SHOW_TERMS, IDB_BUTTON_TERMS, 0xF09D},
    {IDC_CLEANUP, IDB_BUTTON_CLEANUP, 63},
    {IDC_REPAIR, IDB_BUTTON_REPAIR, 64},
};

const int kAboutColoured[] = {IDC_VERSION_LINE, IDC_THANKS_GROUP, IDC_THANKS_LINE1, IDC_THANKS_LINE2, IDC_SAVER_STATUS};
const int kAboutGroups[] = {IDC_THANKS_GROUP};
const PanelMenuItem kAboutMenu[] = {{IDS_MENU_QUORVEL_HELP, IDM_PANEL_HELP}};

Status InitialiseAbout(HWND dialog, NoPanelState&) {
    if (gAppState != nullptr) gAppState->aboutOpen = 1;
    OutputDebugStringW(L"Quorvel: About InitDialog\n");
    KeepPictureShape(dialog, IDC_ABOUT_LOGO);
    if (gAppState == nullptr || gDisplayState == nullptr || gUserSettings == nullptr)
        return Fail(QV_SITE(kModule), kErrInvalidArgument);
    bool current = false;
    if (Status s = IsCurrentScreenSaver(&current); s != kOk) return s;
    if (!current) {
        wchar_t text[kMessageChars];
        if (Status s = LoadText(IDS_NOT_DEFAULT_SAVER, text, sizeof text); s != kOk) return s;
        SetDlgItemTextW(dialog, IDC_SAVER_STATUS, text);
    }
    return kOk;
}

// Fills `name` through a file dialog: 1 chosen, 0 cancelled, or a code.
Status ChooseFile(HWND owner, bool save, unsigned titleId, const wchar_t* filter, wchar_t* name, int* chosen) {
    wchar_t title[kMessageChars];
    if (Status s = LoadText(titleId, title, sizeof title); s != kOk) return s;
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name;
    dialog.nMaxFile = kPathChars;
    dialog.lpstrTitle = title;
    dialog.lpstrDefExt = L"csv";
    dialog.lpfnHook = CentreFileDialog;
    if (save) {
        dialog.Flags = kCopyDestinationDialogFlags;
    } else {
        dialog.lpstrInitialDir = gAppState->errorLogFolder;
        dialog.Flags = kCopySourceDialogFlags;
    }
    *chosen = 0;
    const BOOL ok = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    if (ok) {
        *chosen = 1;
        return kOk;
    }
    const DWORD error = CommDlgExtendedError();
    if (error == 0) return kOk;
    gErrorLocation.windowsError = error;
    SetErrorLocation(QV_SITE(kModule));
    return kErrWindowsApi;
}

Status ShowTerms(HWND dialog) {
    wchar_t text[kMessageChars];
    if (Status s = LoadText(IDS_TERMS_NOTICE, text, sizeof text); s != kOk) return s;
    MessageBoxW(dialog, text, gAppState->programName, MB_OK | MB_ICONEXCLAMATION);
    if (gAppState->helpOpened[kHelpTerms]) return kOk;
    wchar_t path[kPathChars];
    const Status status = JoinPath(gAppState->userFolder, L"QuorvelTerms.bat", path) ? RunAndWait(path) : kOk;
    gAppState->helpOpened[kHelpTerms] = 1;
    return status;
}

bool Agreed(HWND dialog, unsigned questionId) {
    wchar_t question[kMessageChars];
    ShowError(LoadText(questionId, question, sizeof question));
    return MessageBoxW(dialog, question, gAppState->programName, MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL) == IDYES;
}

// The cleanup and the repair end the program: their failure is shown
// before the quit message, which would close any box shown after it.
Status OnCommand(HWND dialog, NoPanelState&, int id) {
    switch (id) {
        case IDOK:
        case IDCANCEL: EndPanel(dialog, id); return kOk;
        case IDC_CLEANUP:
            if (!Agreed(dialog, kAskCleanup)) return kOk;
            CleanupAndTell();
            PostQuitMessage(0);
            return kOk;
        case IDC_REPAIR:
            if (!Agreed(dialog, kAskRepairFirst)) return kOk;
            if (gHooks.repairAlbums != nullptr) ShowError(gHooks.repairAlbums());
            PostQuitMessage(0);
            return kOk;
        case IDC_COPY_LOG: return CopyLogFile(dialog);
        case IDC_SHOW_TERMS: return ShowTerms(dialog);
        default: return kOk;
    }
}

Status OnDestroy(HWND, NoPanelState&, bool) {
    if (gAppState != nullptr) gAppState->aboutOpen = 0;
    return kOk;
}

const PanelDescription<> kAbout{.parts = {.largeTemplate = IDD_ABOUT,
                                          .smallTemplate = IDD_ABOUT_SMALL,
                                          .site = QV_SITE(kModule),
                                          .panelRequest = -1,
                                          .buttons = kAboutButtons,
                                          .colouredControls = kAboutColoured,
                                          .groupBoxes = kAboutGroups,
                                          .menu = kAboutMenu,
                                          .helpFile = L"QuorvelHelpAbout.bat",
                                          .helpFlag = kHelpAbout},
                                .onInit = InitialiseAbout,
                                .onCommand = OnCommand,
                                .onDestroy = OnDestroy};

}  // namespace

Status OpenAbout(HWND owner) { return LaunchPanel(owner, kAbout); }

Status CopyLogFile(HWND owner) {
    const std::wstring filter = LoadFilterList(IDS_COPY_FILTER);
    wchar_t source[kPathChars] = L"";
    int chosen = 0;
    if (Status s = ChooseFile(owner, false, IDS_COPY_SOURCE_TITLE, filter.c_str(), source, &chosen); s != kOk) return s;
    if (!chosen) return kOk;
    wchar_t destination[kPathChars];
    wcscpy(destination, source);
    if (Status s = ChooseFile(owner, true, IDS_COPY_DESTINATION_TITLE, filter.c_str(), destination, &chosen); s != kOk)
        return s;
    if (!chosen) return kOk;
    Status check = kOk;
    if (!FileExists(source, &check)) {
        SetErrorLocation(QV_SITE(kModule), source);
        return check != kOk ? check : kErrFileMissing;
    }
    if (!CopyFileW(source, destination, FALSE)) {
        SaveWindowsError();
        SetErrorLocation(QV_SITE(kModule), source);
        return kErrCopyFile;
    }
    wchar_t text[kMessageChars * 2];
    if (Status s = FormatText(text, kMessageChars * 2, IDS_COPIED, source, destination); s != kOk) return s;
    ShowNotice(text, MB_OK);
    return kOk;
}

void CleanupAndTell() {
    std::wstring notice;
    ShowError(CleanupRepair(&notice));
    if (!notice.empty()) MessageBoxW(nullptr, notice.c_str(), gAppState->caption, MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace quorvel
