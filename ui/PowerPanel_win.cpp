#include "ui/PowerPanel_win.h"

#include <cwchar>
#include <string>

#include "display/DisplayState_win.h"
#include "base/ErrorReporter_win.h"
#include "base/Utilities_win.h"
#include "res/resource.h"
#include "storage/Settings_win.h"
#include "system/PowerPlan_win.h"
#include "system/SaverInstall_win.h"
#include "system/SaverRegistry_win.h"
#include "system/SaverWait.h"
#include "ui/Panel_win.h"
#include "ui/Notices_win.h"

namespace quorvel {

namespace {

const wchar_t kModule[] = L"ScreenSaver";
// Locations the error log has always named.
constexpr ErrorSite kPowerDialogSite{kModule, 111};

static_assert(static_cast<int>(ScrollAction::LineUp) == SB_LINEUP &&
              static_cast<int>(ScrollAction::ThumbTrack) == SB_THUMBTRACK &&
              static_cast<int>(ScrollAction::Bottom) == SB_BOTTOM);

const int kPowerColoured[] = {IDC_SET_SAVER,    IDC_SET_THEME,     IDC_SAVER_BEHAVIOUR_GROUP, IDC_WAIT_LABEL,
                              IDC_WAIT_MINUTES, IDC_MINUTES_LABEL, IDC_LOCK_ON_RESUME,        IDC_PLAN_GROUP,
                              IDC_VIDEO_PLAN,   IDC_DEFAULT_PLAN};
// Themed check boxes and radio buttons ignore the text colour as group
// boxes do.
const int kPowerUnthemed[] = {IDC_SET_SAVER,  IDC_SET_THEME,  IDC_SAVER_BEHAVIOUR_GROUP, IDC_LOCK_ON_RESUME,
                              IDC_PLAN_GROUP, IDC_VIDEO_PLAN, IDC_DEFAULT_PLAN};

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void Check(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }

int ShownWait(HWND dialog) { return static_cast<int>(GetDlgItemInt(dialog, IDC_WAIT_MINUTES, nullptr, FALSE)); }

void ShowWait(HWND dialog, int minutes) {
    SetScrollPos(GetDlgItem(dialog, IDC_WAIT_SCROLL), SB_CTL, ScrollPositionOfWait(minutes), TRUE);
    SetDlgItemInt(dialog, IDC_WAIT_MINUTES, static_cast<UINT>(minutes), FALSE);
}

// The boxes show what Windows holds, also after a change that failed. The
// wait belongs to Quorvel's saver, so it is offered only with it.
Status ShowInstalledState(HWND dialog) {
    bool saver = false, theme = false;
    if (Status s = IsCurrentScreenSaver(&saver); s != kOk) return s;
    if (Status s = IsCurrentTheme(&theme); s != kOk) return s;
    Check(dialog, IDC_SET_SAVER, saver);
    Check(dialog, IDC_SET_THEME, theme);
    EnableWindow(GetDlgItem(dialog, IDC_WAIT_MINUTES), saver);
    EnableWindow(GetDlgItem(dialog, IDC_WAIT_SCROLL), saver);
    return kOk;
}

void ShowLockOnResume(HWND dialog) {
    wchar_t value[kDesktopValueBytes / sizeof(wchar_t)];
    const bool secure = ReadDesktopValue(L"ScreenSaverIsSecure", value) == kOk && _wtoi(value) != 0;
    gErrorLocation = {};
    Check(dialog, IDC_LOCK_ON_RESUME, secure);
}

// Without a video plan for this Windows version the user's plan is what runs.
void ShowPlans(HWND dialog) {
    const bool videoPlan = gPowerPlan.chosenPlanId[0] != L'\0';
    SetDlgItemTextW(dialog, IDC_VIDEO_PLAN, gPowerPlan.chosenPlanName);
    wchar_t text[kMessageChars];
    ShowError(FormatText(text, kMessageChars, IDS_DEFAULT_PLAN_FORMAT, gPowerPlan.startingPlanName));
    SetDlgItemTextW(dialog, IDC_DEFAULT_PLAN, text);
    EnableWindow(GetDlgItem(dialog, IDC_VIDEO_PLAN), videoPlan);
    const bool useDefault = gUserSettings->useDefaultPowerPlan != 0 || !videoPlan;
    CheckRadioButton(dialog, IDC_VIDEO_PLAN, IDC_DEFAULT_PLAN, useDefault ? IDC_DEFAULT_PLAN : IDC_VIDEO_PLAN);
}

Status InitialisePower(HWND dialog) {
    if (gAppState == nullptr || gUserSettings == nullptr || gDisplayState == nullptr)
        return Fail(QV_SITE(kModule), kErrInvalidArgument);
    ShowLockOnResume(dialog);
    wchar_t seconds[kDesktopValueBytes / sizeof(wchar_t)];
    if (ReadDesktopValue(L"ScreenSaveTimeOut", seconds) != kOk) seconds[0] = L'\0';
    gErrorLocation = {};
    SetScrollRange(GetDlgItem(dialog, IDC_WAIT_SCROLL), SB_CTL, 0, BottomWaitPosition(), FALSE);
    ShowWait(dialog, WaitMinutesFromSeconds(AsU16(seconds)));
    if (Status s = ShowInstalledState(dialog); s != kOk) return s;
    ShowPlans(dialog);
    return kOk;
}

// A panel that cannot show what Windows holds closes.
Status OnInit(HWND dialog, NoPanelState&) {
    const Status status = InitialisePower(dialog);
    if (status != kOk) EndPanel(dialog, 0);
    return status;
}

// A change that failed is shown at once, before the boxes are set again to
// what Windows holds: reading that forgets the failure's location, as a
// missing value is no failure there. The lock box does the same.
Status OnSaverBox(HWND dialog) {
    ShowError(Checked(dialog, IDC_SET_SAVER) ? InstallScreenSaver() : UninstallScreenSaver());
    return ShowInstalledState(dialog);
}

// The theme brings the saver with it, and takes it away again.
Status OnThemeBox(HWND dialog) {
    const bool on = Checked(dialog, IDC_SET_THEME);
    const Status status = on ? InstallTheme() : UninstallTheme();
    ShowError(status);
    if (status != kOk) return ShowInstalledState(dialog);
    Check(dialog, IDC_SET_SAVER, on);
    return OnSaverBox(dialog);
}

void OnLockBox(HWND dialog) {
    const Status status = SetLockOnResume(Checked(dialog, IDC_LOCK_ON_RESUME));
    ShowError(status);
    if (status != kOk) ShowLockOnResume(dialog);
}

void ChoosePlan(bool useDefault) {
    gUserSettings->useDefaultPowerPlan = useDefault ? 1 : 0;
    NoteSettingsChange(kSettingsPowerPlan);
}

// Enter and Escape do nothing: the panel closes only through its close command.
Status OnCommand(HWND dialog, NoPanelState&, int id) {
    switch (id) {
        case IDC_SET_SAVER: return OnSaverBox(dialog);
        case IDC_SET_THEME: return OnThemeBox(dialog);
        case IDC_LOCK_ON_RESUME: OnLockBox(dialog); return kOk;
        case IDC_VIDEO_PLAN: ChoosePlan(false); return kOk;
        case IDC_DEFAULT_PLAN: ChoosePlan(true); return kOk;
        default: return kOk;
    }
}

Status OnScroll(HWND dialog, int action, int thumb) {
    const int minutes = ShownWait(dialog);
    const int next = WaitAfterScroll(minutes, action, thumb);
    if (next == minutes) return kOk;
    ShowWait(dialog, next);
    return SetSaverWait(next);
}

// Closing while another saver is Windows' asks first; a failure to tell is
// shown before the question.
std::optional<Status> OnSysCommand(HWND dialog, NoPanelState&, WPARAM command) {
    if ((command & 0xFFF0) != SC_CLOSE) return std::nullopt;
    bool current = false;
    const Status status = IsCurrentScreenSaver(&current);
    ShowError(status);
    if (!current) {
        wchar_t question[kMessageChars];
        if (Status s = LoadText(kAskNotCurrentSaver, question, sizeof question); s != kOk) return s;
        if (AskOwner(question, MB_YESNO | MB_ICONQUESTION) != IDYES) return kOk;
    }
    EndPanel(dialog, 0);
    return kOk;
}

// The panel keeps its size through display and DPI changes: it is never
// reopened.
std::optional<Status> OnMessage(HWND dialog, NoPanelState&, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_VSCROLL: return OnScroll(dialog, LOWORD(wParam), HIWORD(wParam));
        case WM_DISPLAYCHANGE:
        case WM_DPICHANGED: return kOk;
        default: return std::nullopt;
    }
}

const PanelDescription<> kPower{.parts = {.largeTemplate = IDD_POWER,
                                          .smallTemplate = IDD_POWER,
                                          .site = kPowerDialogSite,
                                          .panelRequest = kPanelPower,
                                          .colouredControls = kPowerColoured,
                                          .groupBoxes = kPowerUnthemed,
                                          .helpFile = L"QuorvelHelpPowerScreenSaver.bat",
                                          .helpFlag = kHelpPower},
                                .onInit = OnInit,
                                .onCommand = OnCommand,
                                .onSysCommand = OnSysCommand,
                                .onMessage = OnMessage};

}  // namespace

Status OpenPowerPanel(HWND owner) {
    if (owner == nullptr || gAppState == nullptr || gUserSettings == nullptr || gDisplayState == nullptr)
        return Fail(QV_SITE(kModule), kErrInvalidArgument);
    return LaunchPanel(owner, kPower);
}

}  // namespace quorvel
