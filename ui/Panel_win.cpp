#include "ui/Panel_win.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "ui/DialogTemplate.h"
#include "base/ErrorReporter_win.h"
#include "base/Guards_win.h"
#include "display/Monitors_win.h"
#include "imaging/CropAndScale_win.h"
#include "base/Utilities_win.h"
#include "ui/About_win.h"
#include "ui/GlyphDraw_win.h"
#include "ui/Help_win.h"
#include "res/resource.h"

namespace quorvel {

ScreenDimensions gScreenSize;
HFONT gUiMessageFont = nullptr;
LOGFONTW gUiMessageLogFont;
ButtonPalette gButtonPalette;

namespace {

const wchar_t kModule[] = L"Quorvel";

int SystemDpi() { return GetDeviceCaps(WindowDc().get(), LOGPIXELSX); }

HBITMAP MakeFace(const PixelBlock& pixels, ButtonFace face) {
    std::vector<std::uint8_t> bits = MakeButtonFace(pixels, face, gButtonPalette);
    if (bits.empty()) return nullptr;
    BITMAP info = {};
    info.bmWidth = pixels.width;
    info.bmHeight = pixels.height;
    info.bmWidthBytes = pixels.width * 4;
    info.bmPlanes = 1;
    info.bmBitsPixel = 32;
    info.bmBits = bits.data();
    return CreateBitmapIndirect(&info);
}

// One opening of a panel: its description, its button records and whether
// it ended itself to be opened again. Held by LaunchPanel, found through a
// window property of the dialog.
struct PanelInstance {
    const PanelDescription* panel = nullptr;
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
    const PanelDescription& panel = *instance.panel;
    instance.initialised = true;
    CenterPanel(dialog);
    if (Status s = SetPanelIcons(dialog); s != kOk) return s;
    for (int id : panel.groupBoxes) {
        UnthemeControl(dialog, id);
        PaintGroupBoxInTextColour(GetDlgItem(dialog, id));
    }
    AppendPanelSystemMenu(dialog, panel.menu);
    instance.buttons.assign(panel.buttons.size(), GlyphButton{});
    if (!panel.buttons.empty())
        if (Status s = SetUpGlyphButtons(dialog, panel.buttons.data(), instance.buttons.data(),
                                         static_cast<int>(panel.buttons.size()));
            s != kOk)
            return s;
    return panel.onInit != nullptr ? panel.onInit(dialog) : kOk;
}

INT_PTR OnPanelDrawItem(HWND dialog, PanelInstance& instance, const DRAWITEMSTRUCT* item) {
    const int count = static_cast<int>(instance.buttons.size());
    for (int i = 0; i < count; ++i)
        if (instance.buttons[i].controlId == static_cast<int>(item->CtlID)) {
            ShowError(DrawGlyphButton(dialog, instance.buttons.data(), i, count, item));
            return TRUE;
        }
    return FALSE;
}

INT_PTR OnPanelColourStatic(const PanelDescription& panel, HDC dc, HWND control) {
    const int id = GetDlgCtrlID(control);
    for (int coloured : panel.colouredControls)
        if (coloured == id) return ColourPanelStatic(dc);
    return FALSE;
}

bool OnPanelSysCommand(HWND dialog, const PanelDescription& panel, WPARAM command) {
    if (panel.onSysCommand != nullptr && panel.onSysCommand(dialog, command)) return true;
    if ((command & 0xFFF0) == SC_CLOSE) {
        EndPanel(dialog, 0);
        return true;
    }
    switch (command) {
        case IDM_PANEL_ABOUT: ShowError(OpenAbout(dialog)); return true;
        case IDM_PANEL_HELP: ShowError(RunHelp(panel.helpFile, panel.helpFlag)); return true;
        default: return false;
    }
}

void OnPanelDestroy(HWND dialog, PanelInstance& instance) {
    FreeGlyphButtons(instance.buttons.data(), static_cast<int>(instance.buttons.size()));
    RemovePropW(dialog, kInstanceProperty);
    if (instance.initialised && instance.panel->onDestroy != nullptr)
        instance.panel->onDestroy(dialog, instance.reopen);
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

INT_PTR Dispatch(HWND dialog, PanelInstance& instance, UINT message, WPARAM wParam, LPARAM lParam) {
    const PanelDescription& panel = *instance.panel;
    if (INT_PTR result = FALSE; panel.onMessage != nullptr && panel.onMessage(dialog, message, wParam, lParam, &result))
        return result;
    switch (message) {
        case WM_ERASEBKGND: return PaintPanelBackground(dialog, reinterpret_cast<HDC>(wParam));
        case WM_CTLCOLORSTATIC:
            return OnPanelColourStatic(panel, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_DRAWITEM: return OnPanelDrawItem(dialog, instance, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        case WM_DISPLAYCHANGE:
            if (!instance.reopen && ScreenSizeChanged()) ReopenPanel(dialog);
            return TRUE;
        case WM_DPICHANGED:
            OnPanelDpiChanged(dialog, instance, LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            return TRUE;
        case WM_COMMAND:
            if (panel.onCommand != nullptr) panel.onCommand(dialog, LOWORD(wParam));
            return TRUE;
        case WM_SYSCOMMAND: return OnPanelSysCommand(dialog, panel, wParam) ? TRUE : FALSE;
        case WM_DESTROY: OnPanelDestroy(dialog, instance); return FALSE;
        default: return FALSE;
    }
}

// The one dialog procedure of every panel.
INT_PTR CALLBACK PanelProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return WithinPanelBoundary<INT_PTR>(dialog, FALSE, [&]() -> INT_PTR {
        if (message == WM_INITDIALOG) {
            auto* instance = reinterpret_cast<PanelInstance*>(lParam);
            SetPropW(dialog, kInstanceProperty, instance);
            if (RefitToWorkArea(dialog, *instance)) return TRUE;
            ShowError(InitialisePanel(dialog, *instance));
            return TRUE;
        }
        PanelInstance* instance = InstanceOf(dialog);
        return instance != nullptr ? Dispatch(dialog, *instance, message, wParam, lParam) : FALSE;
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

// An explorer-style dialog calls the hook with its child dialog; the
// window to move is then the parent.
UINT_PTR CALLBACK CentreFileDialog(HWND hook, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITDIALOG) return 0;
    CenterPanel((GetWindowLongPtrW(hook, GWL_STYLE) & WS_CHILD) ? GetParent(hook) : hook);
    return 1;
}

std::wstring LoadFilterList(unsigned textId) {
    wchar_t text[kMessageChars];
    (void)LoadText(textId, text, sizeof text);
    std::wstring list = text;
    std::replace(list.begin(), list.end(), L'|', L'\0');
    return list + L'\0';
}

Status RecordScreenAndMessageFont() {
    gScreenSize.width = GetSystemMetrics(SM_CXSCREEN);
    gScreenSize.height = GetSystemMetrics(SM_CYSCREEN);
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    DeleteUiMessageFont();
    gUiMessageLogFont = metrics.lfMessageFont;
    gUiMessageFont = CreateFontIndirectW(&gUiMessageLogFont);
    if (gUiMessageFont == nullptr) {
        SaveWindowsError();
        SetErrorLocation(QV_SITE(kModule));
        return kErrWindowsApi;
    }
    return kOk;
}

void DeleteUiMessageFont() {
    if (gUiMessageFont != nullptr) DeleteObject(gUiMessageFont);
    gUiMessageFont = nullptr;
}

void FillButtonPalette() {
    gButtonPalette = MakeButtonPalette(gAppState != nullptr ? gAppState->backgroundColour : 0x502428);
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

Status LaunchPanel(HWND owner, const PanelDescription& panel, INT_PTR* result, int* openings) {
    if (owner == nullptr) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    PanelInstance instance;
    instance.panel = &panel;
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
        const int templateId = choice.large ? panel.largeTemplate : panel.smallTemplate;
        instance.points = instance.fittedPoints > 0 ? instance.fittedPoints : choice.pointSize;
        ended = OpenPanelTemplate(gAppState->instance, owner, PanelProcedure, templateId, instance.points, nullptr,
                                  reinterpret_cast<LPARAM>(&instance));
        if (ended == -1) return Fail(panel.site, kErrCreateDialog);
        ++opened;
    } while (instance.reopen);
    if (panel.panelRequest >= 0 && panel.panelRequest < kPanelCount) gAppState->panelRequest[panel.panelRequest] = 0;
    if (result != nullptr) *result = ended;
    if (openings != nullptr) *openings = opened;
    return kOk;
}

void EndPanel(HWND dialog, INT_PTR result) {
    RemoveButtonHover(dialog);
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

Status ReadButtonBitmap(HBITMAP bitmap, PixelBlock* pixels) {
    BITMAP info = {};
    if (bitmap == nullptr || GetObjectW(bitmap, sizeof info, &info) == 0 || info.bmWidth == 0 || info.bmHeight == 0)
        return Fail(QV_SITE(kModule), kErrLoadBitmap);
    // The faces read packed 3-byte pixels, so the rows are fetched as 24-bit
    // rows and must have no padding.
    const int width = info.bmWidth;
    const int height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
    const int stride = ((width * 24 + 31) / 32) * 4;
    if (width * 3 < stride) return Fail(QV_SITE(kModule), kErrWidthNotMultipleOf4);
    if (info.bmBitsPixel < 16) return Fail(QV_SITE(kModule), kErrColourTable);
    PixelBlock block = PixelBlock::Make(width, height);
    if (block.Empty()) return Fail(QV_SITE(kModule), kErrMemory);
    BITMAPINFO request = {};
    request.bmiHeader.biSize = sizeof request.bmiHeader;
    request.bmiHeader.biWidth = width;
    request.bmiHeader.biHeight = -height;  // top row first
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 24;
    request.bmiHeader.biCompression = BI_RGB;
    if (GetDIBits(WindowDc().get(), bitmap, 0, height, block.pixels.data(), &request, DIB_RGB_COLORS) != height)
        return Fail(QV_SITE(kModule), kErrColourTable);
    *pixels = std::move(block);
    return kOk;
}

Status LoadButtonTemplate(int bitmapId, PixelBlock* pixels) {
    if (pixels == nullptr || gAppState == nullptr) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    BitmapHandle bitmap(static_cast<HBITMAP>(
        LoadImageW(gAppState->instance, MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!bitmap) {
        SaveWindowsError();
        SetErrorLocation(QV_SITE(kModule));
        return kErrLoadBitmap;
    }
    return ReadButtonBitmap(bitmap.get(), pixels);
}

Status FitControlToBitmap(HWND dialog, int controlId, int width, int height) {
    HWND control = dialog != nullptr ? GetDlgItem(dialog, controlId) : nullptr;
    RECT r;
    if (control == nullptr || !GetWindowRect(control, &r)) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    if (r.right - r.left + 1 <= width && r.bottom - r.top + 1 <= height) return kOk;
    POINT topLeft{(r.left + r.right - width) / 2, (r.top + r.bottom - height) / 2};
    ScreenToClient(dialog, &topLeft);
    MoveWindow(control, topLeft.x, topLeft.y, width, height, TRUE);
    return kOk;
}

void KeepPictureShape(HWND dialog, int controlId) {
    HWND control = GetDlgItem(dialog, controlId);
    auto* picture = reinterpret_cast<HBITMAP>(SendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP info = {};
    RECT r;
    if (picture == nullptr || GetObjectW(picture, sizeof info, &info) == 0 || info.bmWidth <= 0 || info.bmHeight <= 0 ||
        !GetWindowRect(control, &r))
        return;
    const double scale = std::min(static_cast<double>(r.right - r.left) / info.bmWidth,
                                  static_cast<double>(r.bottom - r.top) / std::abs(info.bmHeight));
    const int width = static_cast<int>(info.bmWidth * scale);
    const int height = static_cast<int>(std::abs(info.bmHeight) * scale);
    POINT topLeft{(r.left + r.right - width) / 2, (r.top + r.bottom - height) / 2};
    ScreenToClient(dialog, &topLeft);
    MoveWindow(control, topLeft.x, topLeft.y, width, height, FALSE);
}

Status ScaleButtonPicture(PixelBlock* pixels, double scale) {
    if (pixels == nullptr || pixels->Empty() || scale <= 0) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    const int width = std::max(1, static_cast<int>(std::lround(pixels->width * scale)));
    const int height = std::max(1, static_cast<int>(std::lround(pixels->height * scale)));
    std::vector<std::uint8_t> padded(ScaledBytes(width, height));
    if (Status s = CropAndScale(*pixels, width, height, 100.0, padded.data(), padded.size()); s != kOk) return s;
    PixelBlock scaled = PixelBlock::Make(width, height);
    if (scaled.Empty()) return Fail(QV_SITE(kModule), kErrMemory);
    for (int y = 0; y < height; ++y)
        std::memcpy(scaled.Row(y), padded.data() + y * ScaledRowBytes(width), static_cast<std::size_t>(width) * 3);
    *pixels = std::move(scaled);
    return kOk;
}

Status BuildButtonFaces(const PixelBlock& pixels, GlyphButton* record) {
    if (record == nullptr || pixels.Empty()) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    struct Slot {
        ButtonFace face;
        HBITMAP GlyphButton::*field;
    };
    static const Slot kOrder[] = {
        {ButtonFace::Normal, &GlyphButton::normalFace},
        {ButtonFace::Grey, &GlyphButton::greyFace},
        {ButtonFace::Pressed, &GlyphButton::pressedFace},
        {ButtonFace::Disabled, &GlyphButton::disabledFace},
        {ButtonFace::HoverOnSelect, &GlyphButton::hoverSelectFace},
        {ButtonFace::Hover, &GlyphButton::hoverFace},
    };
    for (const Slot& slot : kOrder) {
        HBITMAP face = MakeFace(pixels, slot.face);
        if (face == nullptr) {
            SaveWindowsError();
            SetErrorLocation(QV_SITE(kModule));
            return kErrCreateBitmap;
        }
        if (record->*slot.field != nullptr) DeleteObject(record->*slot.field);
        record->*slot.field = face;
        if (slot.face == ButtonFace::Normal) {
            BITMAP check;
            if (GetObjectW(face, sizeof check, &check) == 0) return Fail(QV_SITE(kModule), kErrBitmapDisplay);
        }
    }
    return kOk;
}

namespace {

// The subclass id is the button's index in its dialog's table, so each
// button finds its own record wherever the dialog has been moved.
LRESULT OnButtonHoverMessage(HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR index) {
    int count = 0;
    GlyphButton* table = PanelButtons(GetParent(button), &count);
    GlyphButton* record = table != nullptr && index < static_cast<UINT_PTR>(count) ? &table[index] : nullptr;
    switch (message) {
        case WM_MOUSEMOVE: {
            if (record == nullptr) return 1;
            UINT hoverTime = 100;
            SystemParametersInfoW(SPI_GETMOUSEHOVERTIME, 0, &hoverTime, 0);
            TRACKMOUSEEVENT track = {sizeof track, TME_HOVER, button, std::min<UINT>(hoverTime, 100)};
            if (!TrackMouseEvent(&track)) OutputDebugStringW(L"Quorvel:TrackMouseEvent failed\n");
            break;
        }
        case WM_MOUSEHOVER: {
            if (record == nullptr || wParam != 0) return 1;
            for (std::int32_t& flag : record->state) flag = 0;
            record->state[kHoverState] = 1;
            TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, button, 0};
            TrackMouseEvent(&track);
            InvalidateRect(button, nullptr, TRUE);
            return 0;
        }
        case WM_MOUSELEAVE:
            if (record != nullptr) record->state[kHoverState] = 0;
            InvalidateRect(button, nullptr, TRUE);
            return 1;
        default: break;
    }
    return DefSubclassProc(button, message, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK TrackButtonHover(HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR index, DWORD_PTR) {
    return WithinPanelBoundary<LRESULT>(button, 0,
                                        [&] { return OnButtonHoverMessage(button, message, wParam, lParam, index); });
}

Status SetUpGlyphButtons(HWND dialog, const GlyphButtonSpec* specs, GlyphButton* records, int count) {
    if (dialog == nullptr || specs == nullptr || records == nullptr || count <= 0)
        return Fail(QV_SITE(kModule), kErrInvalidArgument);
    std::vector<SIZE> pictures(static_cast<std::size_t>(count));  // each record's picture before scaling
    for (int i = 0; i < count; ++i) {
        const GlyphButtonSpec& spec = specs[i];
        GlyphButton& record = records[i];
        record.controlId = spec.controlId;
        record.glyph = spec.glyph;
        record.secondGlyph = spec.secondGlyph;
        record.glyphPlacement = spec.glyphPlacement;
        record.secondPlacement = spec.secondPlacement;
        record.fontFlags = spec.fontFlags;
        PixelBlock pixels;
        if (Status s = LoadButtonTemplate(spec.bitmapId, &pixels); s != kOk) return s;
        pictures[i] = {pixels.width, pixels.height};
        // A record without a control is a look drawn in another button's
        // place; a second record of a control is another look of it, whose
        // control the first record has already sized and subclassed. Both
        // take the scale of the earlier record they go with.
        HWND control = spec.controlId != 0 ? GetDlgItem(dialog, spec.controlId) : nullptr;
        if (spec.controlId != 0 && control == nullptr) return Fail(QV_SITE(kModule), kErrInvalidArgument);
        const GlyphButton* earlier = std::find_if(records, records + i, [&](const GlyphButton& e) {
            const SIZE& p = pictures[&e - records];
            return control != nullptr ? e.control == control
                                      : p.cx == pixels.width && p.cy == pixels.height && e.control != nullptr;
        });
        const bool firstLook = control != nullptr && earlier == records + i;
        double scale = 1.0;
        if (firstLook) {
            RECT laidOut;
            GetClientRect(control, &laidOut);
            scale = FaceScale(pixels.width, pixels.height, laidOut.right, laidOut.bottom);
        } else if (earlier != records + i) {
            scale = earlier->faceScale;
        }
        if (scale != 1.0)
            if (Status s = ScaleButtonPicture(&pixels, scale); s != kOk) return s;
        record.faceScale = static_cast<float>(scale);
        if (Status s = BuildButtonFaces(pixels, &record); s != kOk) return s;
        record.control = control;
        if (!firstLook) continue;
        if (Status s = FitControlToBitmap(dialog, spec.controlId, pixels.width, pixels.height); s != kOk) return s;
        if (!SetWindowSubclass(record.control, TrackButtonHover, static_cast<UINT_PTR>(i), 0))
            return Fail(QV_SITE(kModule), kErrWindowsApi);
    }
    SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(records));
    SetWindowLongPtrW(dialog, DWLP_USER, count);
    return kOk;
}

GlyphButton* PanelButtons(HWND dialog, int* count) {
    if (dialog == nullptr) return nullptr;
    auto* table = reinterpret_cast<GlyphButton*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
    const auto n = static_cast<int>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (table == nullptr || n <= 0) return nullptr;
    if (count != nullptr) *count = n;
    return table;
}

void RemoveButtonHover(HWND dialog) {
    int count = 0;
    GlyphButton* table = PanelButtons(dialog, &count);
    if (table == nullptr) return;
    for (int i = 0; i < count; ++i)
        if (table[i].control != nullptr && IsWindow(table[i].control))
            RemoveWindowSubclass(table[i].control, TrackButtonHover, static_cast<UINT_PTR>(i));
}

void FreeGlyphButtons(GlyphButton* records, int count) {
    if (records == nullptr) return;
    for (int i = 0; i < count; ++i) {
        GlyphButton& r = records[i];
        for (HBITMAP* face : {&r.normalFace, &r.defaultFace, &r.greyFace, &r.pressedFace, &r.disabledFace, &r.hoverFace,
                              &r.hoverSelectFace}) {
            if (*face != nullptr) DeleteObject(*face);
            *face = nullptr;
        }
    }
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

INT_PTR PaintPanelBackground(HWND dialog, HDC dc) {
    if (gAppState != nullptr && gAppState->backgroundBrush != nullptr) {
        RECT r;
        GetClientRect(dialog, &r);
        FillRect(dc, &r, gAppState->backgroundBrush);
    }
    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 1);
    return TRUE;
}

INT_PTR ColourPanelStatic(HDC dc) {
    SetTextColor(dc, gAppState->textColour);
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<INT_PTR>(gAppState->backgroundBrush);
}

void UnthemeControl(HWND dialog, int controlId) {
    using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    HMODULE theme = LoadLibraryW(L"uxtheme.dll");
    if (theme == nullptr) return;
    auto setTheme =
        reinterpret_cast<SetWindowThemeFn>(reinterpret_cast<void*>(GetProcAddress(theme, "SetWindowTheme")));
    if (setTheme != nullptr) setTheme(GetDlgItem(dialog, controlId), L"", L"");
    FreeLibrary(theme);
}

namespace {

void DrawGroupBox(HWND box, HDC dc) {
    RECT r;
    GetClientRect(box, &r);
    SelectedObject font(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(box, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    RECT frame = r;
    frame.top += metrics.tmHeight / 2;
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    wchar_t caption[kMessageChars] = L"";
    if (GetWindowTextW(box, caption, kMessageChars) == 0) return;
    RECT text = {r.left + metrics.tmAveCharWidth, r.top, r.right - metrics.tmAveCharWidth, r.top + metrics.tmHeight};
    DrawTextW(dc, caption, -1, &text, DT_SINGLELINE | DT_CALCRECT);
    text.right = std::min(text.right + 2, r.right - 1);
    text.left -= 2;
    FillRect(dc, &text, gAppState->backgroundBrush);
    SetTextColor(dc, gAppState->textColour);
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, caption, -1, &text, DT_SINGLELINE | DT_CENTER | DT_END_ELLIPSIS);
}

LRESULT CALLBACK PaintGroupBox(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR);

LRESULT OnGroupBoxMessage(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PaintScope paint(box);
            DrawGroupBox(box, paint.dc());
            return 0;
        }
        case WM_ERASEBKGND: return 1;  // the dialog has painted the background under it
        case WM_SETTEXT:
        case WM_ENABLE: {
            // The button class draws at once in its own colours: paint the
            // dialog there again, and the box over it.
            const LRESULT result = DefSubclassProc(box, message, wParam, lParam);
            RECT r;
            GetWindowRect(box, &r);
            MapWindowPoints(nullptr, GetParent(box), reinterpret_cast<POINT*>(&r), 2);
            RedrawWindow(GetParent(box), &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            return result;
        }
        case WM_NCDESTROY: RemoveWindowSubclass(box, PaintGroupBox, 0); break;
        default: break;
    }
    return DefSubclassProc(box, message, wParam, lParam);
}

LRESULT CALLBACK PaintGroupBox(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    return WithinPanelBoundary<LRESULT>(box, 0, [&] { return OnGroupBoxMessage(box, message, wParam, lParam); });
}

}  // namespace

void PaintGroupBoxInTextColour(HWND control) {
    if (control == nullptr || gAppState == nullptr) return;
    if ((GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK) != BS_GROUPBOX) return;
    SetWindowSubclass(control, PaintGroupBox, 0, 0);
}

namespace {

RECT ChildRect(HWND dialog, HWND child) {
    RECT r = {};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace

void CloseHiddenGap(HWND dialog, int hiddenGroup, std::span<const int> moved) {
    if (dialog == nullptr || moved.empty()) return;
    const RECT hidden = ChildRect(dialog, GetDlgItem(dialog, hiddenGroup));
    const RECT group = ChildRect(dialog, GetDlgItem(dialog, moved[0]));
    const int shift = group.top - hidden.top;
    if (shift <= 0) return;
    for (int id : moved) {
        HWND control = GetDlgItem(dialog, id);
        const RECT r = ChildRect(dialog, control);
        MoveWindow(control, r.left, r.top - shift, r.right - r.left, r.bottom - r.top, FALSE);
    }
    RECT client;
    GetClientRect(dialog, &client);
    const int margin = client.bottom - group.bottom;
    int lowest = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        // The dialog is not shown yet, so the style says what will be.
        if (GetWindowLongPtrW(child, GWL_STYLE) & WS_VISIBLE)
            lowest = std::max<int>(lowest, ChildRect(dialog, child).bottom);
    const int spare = client.bottom - (lowest + std::max(margin, 0));
    if (spare <= 0) return;
    RECT window;
    GetWindowRect(dialog, &window);
    SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left, window.bottom - window.top - spare,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CenterPanel(dialog);
}

bool ScreenSizeChanged() {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    if (width == gScreenSize.width && height == gScreenSize.height) return false;
    gScreenSize = {width, height};
    return true;
}

}  // namespace quorvel
