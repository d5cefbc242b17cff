#include "ui/Home_win.h"

#include <commctrl.h>

#include <cstdlib>
#include <cwchar>
#include <string>

#include "base/ErrorReporter_win.h"
#include "base/Guards_win.h"
#include "ui/Help_win.h"
#include "ui/Import_win.h"
#include "ui/MonitorsPanel_win.h"
#include "ui/MattingsPanel_win.h"
#include "ui/PhotosPanel_win.h"
#include "ui/PhrasesPanel_win.h"
#include "ui/GroupBoxes_win.h"
#include "ui/Panel_win.h"
#include "ui/PowerPanel_win.h"
#include "ui/Notices_win.h"
#include "storage/Settings_win.h"
#include "base/Hooks_win.h"
#include "system/Session_win.h"
#include "base/Utilities_win.h"
#include "display/AlbumWindow_win.h"
#include "display/DisplayState_win.h"
#include "res/resource.h"

namespace quorvel {

// In PanelId order: Photos, Monitor Mapping, Mattings, Phrases, Power, Import.
const PanelRunner gPanelRunners[kPanelCount] = {OpenPhotosPanel,  OpenMonitorsPanel, OpenMattingsPanel,
                                                OpenPhrasesPanel, OpenPowerPanel,    OpenImport};

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

const int kHomeColoured[] = {IDC_ALBUM_GROUP, IDC_SAVER_GROUP, IDC_ALBUM1_LABEL, IDC_ALBUM2_LABEL};
const int kHomeGroups[] = {IDC_ALBUM_GROUP, IDC_SAVER_GROUP};
const PanelMenuItem kHomeMenu[] = {{IDS_MENU_ABOUT_QUORVEL, IDM_PANEL_ABOUT},
                                   {IDS_MENU_HOME_HELP, IDM_PANEL_HELP},
                                   {IDS_MENU_IMPORT_HELP, IDM_IMPORT_HELP}};

const int kAlbumLabels[kAlbumCount] = {IDC_ALBUM1_LABEL, IDC_ALBUM2_LABEL};
const int kAlbumEdits[kAlbumCount] = {IDC_ALBUM1_PHRASE, IDC_ALBUM2_PHRASE};

struct HomeState {
    FontHandle font;  // the dialog's font scaled to the DPI, while it is open
};

bool AlbumInUse(int album) { return gDisplayState != nullptr && gDisplayState->albums[album].inUse != 0; }

HWND AlbumWindow(int album) {
    if (gDisplayState == nullptr || gDisplayState->albums[album].view == nullptr) return nullptr;
    HWND window = gDisplayState->albums[album].view->window;
    return window != nullptr && IsWindow(window) ? window : nullptr;
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

// The dialog's font again, its height scaled to the DPI, with ClearType.
Status ScaleHomeFont(HWND dialog, HomeState& home) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    LOGFONTW logFont = {};
    if (font == nullptr || GetObjectW(font, sizeof logFont, &logFont) == 0)
        return Fail(QV_SITE(kModule), kErrInvalidArgument);
    if (logFont.lfHeight == 0) return Fail(kHomeFontSite, kErrCreateFont);
    // The template's font is already sized for the display; a larger one
    // would overrun the boxes laid out in its units.
    const LONG scaled = ScaleByDpi(logFont.lfHeight);
    if (std::abs(scaled) < std::abs(logFont.lfHeight)) logFont.lfHeight = scaled;
    logFont.lfQuality = CLEARTYPE_QUALITY;
    home.font.reset(CreateFontIndirectW(&logFont));
    if (!home.font) return Fail(QV_SITE(kModule), kErrCreateFont);
    SendMessageW(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(home.font.get()), FALSE);
    return kOk;
}

Status InitialiseHome(HWND dialog, HomeState& home) {
    if (gAppState != nullptr) gAppState->homeOpen = 1;
    OutputDebugStringW(L"Quorvel: Main InitDialog\n");
    FillAlbumPhrases(dialog);
    if (gMode.role == Role::kConfigure) {
        static const int kHidden[] = {IDC_POWER_PANEL,   IDC_LOCK,          IDC_SLEEP,
                                      IDC_ALBUM_GROUP,   IDC_ALBUM1_PHRASE, IDC_ALBUM2_PHRASE,
                                      IDC_UPDATE_PHRASE, IDC_ALBUM1_LABEL,  IDC_ALBUM2_LABEL};
        for (int id : kHidden) ShowWindow(GetDlgItem(dialog, id), SW_HIDE);
        static const int kSaverGroup[] = {IDC_SAVER_GROUP, IDC_SAVER_PHRASE, IDC_UPDATE_SAVER_PHRASE};
        CloseHiddenGap(dialog, IDC_ALBUM_GROUP, kSaverGroup);
    }
    return ScaleHomeFont(dialog, home);
}

// Album phrases that differ (ignoring case) from the album's phrase are
// taken. Only albums in use count: a hidden edit holds no phrase to keep.
Status UpdateAlbumPhrases(HWND dialog) {
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
    if (changed) return SaveSettings(kSettingsPhrases);
    ShowNotice(IDS_PHRASES_UNCHANGED);
    return kOk;
}

Status UpdateSaverPhrase(HWND dialog) {
    if (gUserSettings == nullptr) return kOk;
    wchar_t text[kPhraseChars] = L"";
    GetDlgItemTextW(dialog, IDC_SAVER_PHRASE, text, kPhraseChars);
    if (_wcsicmp(text, gUserSettings->screenSaverPhrase) == 0) {
        ShowNotice(IDS_SAVER_PHRASE_UNCHANGED);
        return kOk;
    }
    wcsncpy(gUserSettings->screenSaverPhrase, text, kPhraseChars - 1);
    return SaveSettings(kSettingsPhrases);
}

// The saver that runs before the lock shows the phrase in the edit.
Status Lock(HWND dialog) {
    if (gUserSettings != nullptr)
        GetDlgItemTextW(dialog, IDC_SAVER_PHRASE, gUserSettings->screenSaverPhrase, kPhraseChars);
    return LockWithSaver();
}

// A PC that cannot sleep, or a shutdown privilege refused, is told in a notice.
Status SleepOrTell(HWND dialog) {
    unsigned notice = 0;
    const Status s = SleepNow(dialog, &notice);
    if (notice != 0) ShowNotice(notice);
    return s;
}

Status RequestPanel(HWND dialog, PanelId panel) {
    if (gMode.role == Role::kConfigure && panel != kPanelPower) {
        if (PanelRunner run = gPanelRunners[panel]) ShowError(run(dialog));
        return SaveChangedSettings();
    }
    gAppState->panelRequest[panel] = 1;
    EndPanel(dialog, 1);
    return kOk;
}

Status OnCommand(HWND dialog, HomeState&, int id) {
    switch (id) {
        case IDOK:
            // Enter updates what is shown: only the saver phrase in configure mode.
            return gMode.role == Role::kConfigure ? UpdateSaverPhrase(dialog) : UpdateAlbumPhrases(dialog);
        case IDC_UPDATE_PHRASE: return UpdateAlbumPhrases(dialog);
        case IDC_UPDATE_SAVER_PHRASE: return UpdateSaverPhrase(dialog);
        case IDCANCEL: EndPanel(dialog, 0); break;
        case IDC_LOCK: return Lock(dialog);
        case IDC_SLEEP: return SleepOrTell(dialog);
        case IDC_PHRASES_PANEL: return RequestPanel(dialog, kPanelPhrases);
        case IDC_IMPORT_ALBUM: return RequestPanel(dialog, kPanelImport);
        case IDC_MONITORS_PANEL: return RequestPanel(dialog, kPanelMonitorMapping);
        case IDC_PHOTOS_PANEL: return RequestPanel(dialog, kPanelPhotos);
        case IDC_MATTINGS_PANEL: return RequestPanel(dialog, kPanelMattings);
        case IDC_POWER_PANEL: return RequestPanel(dialog, kPanelPower);
        default: break;
    }
    return kOk;
}

std::optional<Status> OnSysCommand(HWND, HomeState&, WPARAM command) {
    if (command != IDM_IMPORT_HELP) return std::nullopt;
    return RunHelp(L"QuorvelHelpImportAlbums.bat", kHelpImport);
}

// Mouse moves over the frame are not passed on.
std::optional<Status> OnMessage(HWND, HomeState&, UINT message, WPARAM, LPARAM) {
    if (message != WM_NCMOUSEMOVE && message != WM_NCMOUSELEAVE) return std::nullopt;
    return kOk;
}

Status OnDestroy(HWND, HomeState& home, bool reopening) {
    home.font.reset();
    if (gAppState != nullptr) gAppState->homeOpen = 0;
    // Without album windows (configure mode) closing Home ends the program;
    // not while it is being reopened, or the quit message would end the
    // next dialog before it shows.
    if (!reopening && AlbumWindow(0) == nullptr && AlbumWindow(1) == nullptr) PostQuitMessage(0);
    return kOk;
}

const PanelDescription<HomeState> kHome{.parts = {.largeTemplate = IDD_HOME,
                                                  .smallTemplate = IDD_HOME_SMALL,
                                                  .site = kHomeDialogSite,
                                                  .panelRequest = -1,
                                                  .buttons = kHomeButtons,
                                                  .colouredControls = kHomeColoured,
                                                  .groupBoxes = kHomeGroups,
                                                  .menu = kHomeMenu,
                                                  .helpFile = L"QuorvelHelp.bat",
                                                  .helpFlag = kHelpHome},
                                        .onInit = InitialiseHome,
                                        .onCommand = OnCommand,
                                        .onSysCommand = OnSysCommand,
                                        .onMessage = OnMessage,
                                        .onDestroy = OnDestroy};

}  // namespace

Status OpenHome(HWND owner) {
    if (owner == nullptr) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    HomeState home;
    int openings = 0;
    if (Status s = LaunchPanel(owner, kHome, home, nullptr, &openings); s != kOk) return s;
    const bool recreated = openings > 1;
    if (gMode.role != Role::kConfigure)
        if (Status s = RunRequestedPanel(owner); s != kOk) return s;
    if (!gMode.restartRequested && recreated) gMode.restartRequested = true;
    return kOk;
}

Status RunRequestedPanel(HWND owner) {
    gMode.restartRequested = false;
    if (gAppState == nullptr || owner == nullptr) return Fail(kRequestedPanelSite, kErrInvalidArgument);
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
        // A refused write is shown, and the display goes on as the panel left it.
        ShowError(SaveSettings(kAllSettings));
        if (status == kOk) {
            if (!gMode.restartRequested) {
                for (int album = 0; album < kAlbumCount; ++album) ShowError(StartAlbumTimer(album));
            } else {
                // The rebuild replaces the album windows, `owner` among
                // them: the new ones belong to the program's owner window,
                // as at the first start.
                if (gHooks.rebuildDisplay != nullptr) status = gHooks.rebuildDisplay(gMode.ownerWindow);
            }
        }
    }
    for (DWORD& flag : gAppState->panelRequest) flag = 0;
    return status;
}

}  // namespace quorvel
