#include "ui/Panel_win.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "base/Utilities_win.h"
#include "display/Monitors_win.h"
#include "ui/About_win.h"
#include "ui/DialogTemplate.h"
#include "ui/GlyphDraw_win.h"
#include "ui/GroupBoxes_win.h"

namespace quorvel {

UiState gUiState;

namespace {

const wchar_t kModule[] = L"Quorvel";

int SystemDpi() { return GetDeviceCaps(WindowDc().get(), LOGPIXELSX); }

// One launch of a panel: its parts and handlers, the button records of the
// opening and whether it ended itself to be opened again. Held by
// LaunchPanel, found through a window property of the dialog.
struct PanelInstance {
    const PanelParts* parts = nullptr;
    const panel_detail::BoundHandlers* handlers = nullptr;
    std::vector<GlyphButton> buttons;
    bool reopen = false;
    bool initialised = false;  // the panel's own set-up ran
    int points = 0;            // the font size of this opening
    int fittedPoints = 0;      // a smaller size that fits the work area, or 0
    // Where the opening goes: the primary monitor's work area at first, then
    // where the panel was when it ended itself to be opened again.
    ScreenRect aim;
    int givenDpi = 0;  // the DPI Windows gave with a DPI change; 0: the monitor's is measured
    int dpi = 96;      // the DPI this opening is built for
    ScreenRect work;   // the work area of its monitor
};

const wchar_t kInstanceProperty[] = L"QuorvelPanel";

PanelInstance* InstanceOf(HWND dialog) { return static_cast<PanelInstance*>(GetPropW(dialog, kInstanceProperty)); }

// Controls are laid out in units of the dialog's font, so a dialog larger
// than the work area is opened again with a smaller font rather than cut
// off. It is still hidden here.
bool RefitToWorkArea(HWND dialog, PanelInstance& instance) {
    RECT r;
    if (instance.points <= 0 || !GetWindowRect(dialog, &r)) return false;
    const ScreenRect& work = instance.work;
    const int points = PointSizeToFit(instance.points, r.right - r.left, r.bottom - r.top, work.right - work.left,
                                      work.bottom - work.top, SmallestReadablePoints(SystemDpi()));
    if (points == 0) return false;
    instance.fittedPoints = points;
    instance.reopen = true;
    EndDialog(dialog, 0);
    return true;
}

Status InitialisePanel(HWND dialog, PanelInstance& instance) {
    const PanelParts& parts = *instance.parts;
    instance.initialised = true;
    CenterPanel(dialog);
    if (Status s = SetPanelIcons(dialog); s != kOk) return s;
    for (int id : parts.groupBoxes) {
        UnthemeControl(dialog, id);
        PaintGroupBoxInTextColour(GetDlgItem(dialog, id));
    }
    AppendPanelSystemMenu(dialog, parts.menu);
    instance.buttons = std::vector<GlyphButton>(parts.buttons.size());
    if (!parts.buttons.empty())
        if (Status s = SetUpGlyphButtons(dialog, parts.buttons, instance.buttons); s != kOk) return s;
    return instance.handlers->init(dialog);
}

INT_PTR OnPanelDrawItem(HWND dialog, PanelInstance& instance, const DRAWITEMSTRUCT* item, Status* status) {
    const int count = static_cast<int>(instance.buttons.size());
    for (int i = 0; i < count; ++i)
        if (instance.buttons[i].controlId == static_cast<int>(item->CtlID)) {
            *status = DrawGlyphButton(dialog, instance.buttons.data(), i, count, item);
            return TRUE;
        }
    return FALSE;
}

// The program's dark background, and the dialog's result that says the
// background is erased.
INT_PTR PaintPanelBackground(HWND dialog, HDC dc) {
    if (gAppState != nullptr && gAppState->backgroundBrush != nullptr) {
        RECT r;
        GetClientRect(dialog, &r);
        FillRect(dc, &r, gAppState->backgroundBrush);
    }
    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 1);
    return TRUE;
}

// The panel's coloured texts on its background.
INT_PTR OnPanelColourStatic(const PanelParts& parts, HDC dc, HWND control) {
    const std::span<const int> coloured = parts.colouredControls;
    if (std::find(coloured.begin(), coloured.end(), GetDlgCtrlID(control)) == coloured.end()) return FALSE;
    SetTextColor(dc, gAppState->textColour);
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(gAppState->backgroundBrush);
}

bool OnPanelSysCommand(HWND dialog, PanelInstance& instance, WPARAM command, Status* status) {
    if (std::optional<Status> handled = instance.handlers->sysCommand(dialog, command)) {
        *status = *handled;
        return true;
    }
    if ((command & 0xFFF0) == SC_CLOSE) {
        EndPanel(dialog, 0);
        return true;
    }
    const PanelParts& parts = *instance.parts;
    switch (command) {
        case IDM_PANEL_ABOUT: *status = OpenAbout(dialog); return true;
        case IDM_PANEL_HELP: *status = RunHelp(parts.helpFile, parts.helpFlag, parts.helpQuestion); return true;
        default: return false;
    }
}

// The buttons are freed with the dialog, their subclasses first, as they
// hold the records.
Status OnPanelDestroy(HWND dialog, PanelInstance& instance) {
    RemoveButtonHover(instance.buttons);
    instance.buttons.clear();
    RemovePropW(dialog, kInstanceProperty);
    return instance.initialised ? instance.handlers->destroy(dialog, instance.reopen) : kOk;
}

ScreenRect ToScreenRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// Ends the panel so that LaunchPanel opens it again at `aim`, at the DPI
// given, or measured on that monitor when none is.
void ReopenAt(HWND dialog, PanelInstance& instance, const RECT& aim, int dpi) {
    instance.reopen = true;
    instance.fittedPoints = 0;  // the new display chooses afresh
    instance.aim = ToScreenRect(aim);
    instance.givenDpi = dpi;
    EndPanel(dialog, 0);
}

// Windows has moved the panel to a monitor of another DPI: it opens again
// where Windows suggests, built for that DPI (where it is, when no place
// comes with the message).
void OnPanelDpiChanged(HWND dialog, PanelInstance& instance, int dpi, const RECT* suggested) {
    if (dpi == instance.dpi) return;
    RECT where;
    if (suggested != nullptr)
        where = *suggested;
    else if (!GetWindowRect(dialog, &where))
        return;
    ReopenAt(dialog, instance, where, dpi);
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(monitor, &info))
        reinterpret_cast<std::vector<PanelMonitor>*>(list)->push_back(
            {ToScreenRect(info.rcMonitor), ToScreenRect(info.rcWork)});
    return TRUE;
}

// The monitor of this opening, its work area and DPI, which also becomes
// currentDpi (Home scales its font by it).
Status AimOpening(PanelInstance& instance) {
    std::vector<PanelMonitor> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    const int chosen = PanelMonitorFor(monitors, instance.aim);
    const PanelMonitor monitor = chosen >= 0 ? monitors[chosen] : PanelMonitor{{}, ToScreenRect(WorkAreaAt(0, 0))};
    instance.work = monitor.work;
    if (instance.givenDpi > 0) {
        gMode.currentDpi = std::max(instance.givenDpi, 96);
    } else if (Status s = GetCurrentDpi((monitor.area.left + monitor.area.right) / 2,
                                        (monitor.area.top + monitor.area.bottom) / 2);
               s != kOk) {
        return s;
    }
    instance.dpi = gMode.currentDpi;
    return kOk;
}

// One message; `status` receives how the handler that took it went.
INT_PTR Dispatch(HWND dialog, PanelInstance& instance, UINT message, WPARAM wParam, LPARAM lParam, Status* status) {
    if (std::optional<Status> handled = instance.handlers->message(dialog, message, wParam, lParam)) {
        *status = *handled;
        return TRUE;
    }
    switch (message) {
        case WM_ERASEBKGND: return PaintPanelBackground(dialog, reinterpret_cast<HDC>(wParam));
        case WM_CTLCOLORSTATIC:
            return OnPanelColourStatic(*instance.parts, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_DRAWITEM:
            return OnPanelDrawItem(dialog, instance, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), status);
        case WM_DISPLAYCHANGE:
            if (!instance.reopen && ScreenSizeChanged()) ReopenPanel(dialog);
            return TRUE;
        case WM_DPICHANGED:
            OnPanelDpiChanged(dialog, instance, LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            return TRUE;
        case WM_COMMAND: *status = instance.handlers->command(dialog, LOWORD(wParam)); return TRUE;
        case WM_SYSCOMMAND: return OnPanelSysCommand(dialog, instance, wParam, status) ? TRUE : FALSE;
        case WM_DESTROY: *status = OnPanelDestroy(dialog, instance); return FALSE;
        default: return FALSE;
    }
}

// The one dialog procedure of every panel, and the one place that shows
// what its handlers failed at.
INT_PTR CALLBACK PanelProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return WithinPanelBoundary<INT_PTR>(dialog, FALSE, [&]() -> INT_PTR {
        Status status = kOk;
        INT_PTR result = FALSE;
        if (message == WM_INITDIALOG) {
            auto* instance = reinterpret_cast<PanelInstance*>(lParam);
            SetPropW(dialog, kInstanceProperty, instance);
            if (!RefitToWorkArea(dialog, *instance)) status = InitialisePanel(dialog, *instance);
            result = TRUE;
        } else if (PanelInstance* instance = InstanceOf(dialog)) {
            result = Dispatch(dialog, *instance, message, wParam, lParam, &status);
        }
        ShowError(status);
        return result;
    });
}

}  // namespace

void ReportPanelException(HWND window) {
    try {
        throw;
    } catch (const FatalError& e) {
        MessageBoxW(window, e.text.c_str(), gAppState->caption, MB_OK);
    } catch (...) {
        SetErrorLocation(QV_SITE(kModule));
        ShowError(kErrMemory);
    }
}

Status RecordScreenAndMessageFont() {
    gUiState.screenSize = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    DeleteUiMessageFont();
    gUiState.messageLogFont = metrics.lfMessageFont;
    gUiState.messageFont.reset(CreateFontIndirectW(&gUiState.messageLogFont));
    if (!gUiState.messageFont) {
        SaveWindowsError();
        SetErrorLocation(QV_SITE(kModule));
        return kErrWindowsApi;
    }
    return kOk;
}

void DeleteUiMessageFont() { gUiState.messageFont.reset(); }

void FillButtonPalette() {
    gUiState.buttonPalette = MakeButtonPalette(gAppState != nullptr ? gAppState->backgroundColour : 0x502428);
}

bool ScreenSizeChanged() {
    const ScreenDimensions now{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (now.width == gUiState.screenSize.width && now.height == gUiState.screenSize.height) return false;
    gUiState.screenSize = now;
    return true;
}

int ScaleByDpi(int n) { return MulDiv(n, gMode.currentDpi, 100); }

INT_PTR OpenPanelTemplate(HINSTANCE instance, HWND owner, DLGPROC procedure, int templateId, int pointSize,
                          int* patched, LPARAM parameter) {
    if (patched != nullptr) *patched = 0;
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(5));  // RT_DIALOG
    if (found == nullptr) return -1;
    HGLOBAL loaded = LoadResource(instance, found);
    const DWORD size = SizeofResource(instance, found);
    const auto* bytes = loaded != nullptr ? static_cast<const std::uint8_t*>(LockResource(loaded)) : nullptr;
    if (bytes == nullptr || size == 0) return -1;
    // comctl32 is loaded on its first call (the saver never needs it); its
    // classes are registered before a template names one.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    std::vector<std::uint8_t> copy;
    switch (RewriteTemplateFont(bytes, size, static_cast<std::uint16_t>(pointSize), copy)) {
        case FontRewrite::Refused: return -1;
        case FontRewrite::Unchanged:
            return DialogBoxIndirectParamW(instance, reinterpret_cast<LPCDLGTEMPLATEW>(bytes), owner, procedure,
                                           parameter);
        case FontRewrite::Rewritten: break;
    }
    if (patched != nullptr) *patched = 1;
    // Dialog templates must be DWORD aligned; a vector's storage is.
    return DialogBoxIndirectParamW(instance, reinterpret_cast<LPCDLGTEMPLATEW>(copy.data()), owner, procedure,
                                   parameter);
}

namespace panel_detail {

Status Launch(HWND owner, const PanelParts& parts, const BoundHandlers& handlers, INT_PTR* result, int* openings) {
    if (owner == nullptr) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    PanelInstance instance;
    instance.parts = &parts;
    instance.handlers = &handlers;
    // A panel opens centred on the primary monitor, sized for its DPI; when
    // it ends itself to be opened again, it opens where it was.
    instance.aim = ToScreenRect(WorkAreaAt(0, 0));
    INT_PTR ended = 0;
    int opened = 0;
    do {
        instance.reopen = false;
        instance.initialised = false;
        if (Status s = AimOpening(instance); s != kOk) return s;
        const TemplateChoice choice = ChooseTemplate(instance.dpi, SystemDpi());
        const int templateId = choice.large ? parts.largeTemplate : parts.smallTemplate;
        instance.points = instance.fittedPoints > 0 ? instance.fittedPoints : choice.pointSize;
        ended = OpenPanelTemplate(gAppState->instance, owner, PanelProcedure, templateId, instance.points, nullptr,
                                  reinterpret_cast<LPARAM>(&instance));
        if (ended == -1) return Fail(parts.site, kErrCreateDialog);
        ++opened;
    } while (instance.reopen);
    if (parts.panelRequest >= 0 && parts.panelRequest < kPanelCount) gAppState->panelRequest[parts.panelRequest] = 0;
    if (result != nullptr) *result = ended;
    if (openings != nullptr) *openings = opened;
    return kOk;
}

}  // namespace panel_detail

void EndPanel(HWND dialog, INT_PTR result) {
    RemoveButtonHover(PanelButtons(dialog));
    EndDialog(dialog, result);
}

void ReopenPanel(HWND dialog) {
    PanelInstance* instance = InstanceOf(dialog);
    RECT where;
    if (instance == nullptr || !GetWindowRect(dialog, &where)) {
        EndPanel(dialog, 0);
        return;
    }
    ReopenAt(dialog, *instance, where, 0);
}

void CenterPanel(HWND window) {
    RECT r;
    if (window == nullptr || !GetWindowRect(window, &r)) return;
    // A panel goes where its opening is aimed, within its monitor's work
    // area; any other window is centred in what the primary monitor leaves
    // free of the taskbar, whichever side it is docked on.
    const PanelInstance* instance = InstanceOf(window);
    const ScreenRect work = instance != nullptr ? instance->work : ToScreenRect(WorkAreaAt(0, 0));
    const ScreenRect placed =
        PlacePanel(r.right - r.left, r.bottom - r.top, instance != nullptr ? instance->aim : work, work);
    MoveWindow(window, placed.left, placed.top, placed.right - placed.left, placed.bottom - placed.top, FALSE);
}

RECT ChildRect(HWND dialog, HWND child) {
    RECT r = {};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::span<GlyphButton> PanelButtons(HWND dialog) {
    PanelInstance* instance = InstanceOf(dialog);
    return instance != nullptr ? std::span<GlyphButton>(instance->buttons) : std::span<GlyphButton>();
}

Status SetPanelIcons(HWND dialog) {
    if (dialog == nullptr || gAppState == nullptr || gAppState->appIcon == nullptr)
        return Fail(QV_SITE(kModule), kErrInvalidArgument);
    SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(gAppState->appIcon));
    SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(gAppState->appIcon));
    return kOk;
}

void AppendPanelSystemMenu(HWND dialog, std::span<const PanelMenuItem> items) {
    HMENU menu = GetSystemMenu(dialog, FALSE);
    if (menu == nullptr || items.empty()) return;
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    for (const PanelMenuItem& item : items) {
        wchar_t text[64];
        (void)LoadText(item.textId, text, sizeof text);
        AppendMenuW(menu, MF_STRING, item.command, text);
    }
}

}  // namespace quorvel
