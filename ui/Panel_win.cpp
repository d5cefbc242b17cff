#include "ui/Panel_win.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "ui/DialogTemplate.h"
#include "base/ErrorReporter_win.h"
#include "display/Monitors_win.h"
#include "base/Utilities_win.h"
#include "ui/GlyphDraw_win.h"
#include "res/resource.h"

namespace quorvel {

ScreenDimensions gScreenSize;
HFONT gUiMessageFont = nullptr;
LOGFONTW gUiMessageLogFont;
ButtonPalette gButtonPalette;

namespace {

const wchar_t kModule[] = L"Quorvel";
int gHoveredButton = -1;

int SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi;
}

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

}  // namespace

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

Status ChooseTemplateSize(HWND owner, int* large, float* scale) {
    if (owner == nullptr || large == nullptr || scale == nullptr) {
        SetErrorLocation(QV_SITE(kModule));
        return kErrInvalidArgument;
    }
    if (Status s = GetCurrentDpi(0, 0); s != kOk) return s;
    const TemplateChoice choice = ChooseTemplate(gMode.currentDpi, SystemDpi());
    *large = choice.large ? 1 : 0;
    *scale = choice.scale;
    return kOk;
}

INT_PTR OpenPanelTemplate(HINSTANCE instance, HWND owner, DLGPROC procedure, int templateId, int pointSize,
                          int* patched) {
    if (patched != nullptr) *patched = 0;
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(5));  // RT_DIALOG
    if (found == nullptr) return -1;
    HGLOBAL loaded = LoadResource(instance, found);
    const DWORD size = SizeofResource(instance, found);
    const auto* bytes = loaded != nullptr ? static_cast<const std::uint8_t*>(LockResource(loaded)) : nullptr;
    if (bytes == nullptr || size == 0) return -1;
    std::vector<std::uint8_t> copy;
    switch (RewriteTemplateFont(bytes, size, static_cast<std::uint16_t>(pointSize), copy)) {
        case FontRewrite::Refused:
            return -1;
        case FontRewrite::Unchanged:
            return DialogBoxIndirectParamW(instance, reinterpret_cast<LPCDLGTEMPLATEW>(bytes), owner, procedure, 0);
        case FontRewrite::Rewritten:
            break;
    }
    if (patched != nullptr) *patched = 1;
    // Dialog templates must be DWORD aligned; a vector's storage is.
    return DialogBoxIndirectParamW(instance, reinterpret_cast<LPCDLGTEMPLATEW>(copy.data()), owner, procedure, 0);
}

Status LaunchPanel(HWND owner, const PanelLaunch& panel, INT_PTR* result) {
    INT_PTR ended = 0;
    for (;;) {
        if (panel.reset != nullptr) panel.reset();
        if (panel.reopenRequest != nullptr) *panel.reopenRequest = 0;
        int large = 1;
        float scale = 1.0f;
        if (Status s = ChooseTemplateSize(owner, &large, &scale); s != kOk) return s;
        const int templateId = large ? panel.largeTemplate : panel.smallTemplate;
        const int points = static_cast<int>(std::lround((large ? 12.0f : 9.0f) * scale));
        ended = OpenPanelTemplate(gAppState->instance, owner, panel.procedure, templateId, points, nullptr);
        if (ended == -1) {
            SetErrorLocation(panel.site);
            return kErrCreateDialog;
        }
        if (panel.reopenRequest == nullptr || *panel.reopenRequest != 1) break;
    }
    if (panel.release != nullptr) panel.release();
    if (panel.panelRequest >= 0 && panel.panelRequest < kPanelCount) gAppState->panelRequest[panel.panelRequest] = 0;
    if (result != nullptr) *result = ended;
    return kOk;
}

void CenterPanel(HWND window) {
    RECT r;
    if (window == nullptr || !GetWindowRect(window, &r)) return;
    const int screenW = GetSystemMetrics(SM_CXSCREEN);
    const int usableH = GetSystemMetrics(SM_CYSCREEN) - TaskbarHeight();
    const int w = std::min<int>(r.right - r.left, screenW);
    const int h = std::min<int>(r.bottom - r.top, usableH);
    MoveWindow(window, screenW / 2 - w / 2, usableH / 2 - h / 2, w, h, FALSE);
}

Status ReadButtonBitmap(HBITMAP bitmap, PixelBlock* pixels) {
    BITMAP info = {};
    if (bitmap == nullptr || GetObjectW(bitmap, sizeof info, &info) == 0 || info.bmWidth == 0 || info.bmHeight == 0) {
        SetErrorLocation(QV_SITE(kModule));
        return kErrLoadBitmap;
    }
    // The faces read packed 3-byte pixels, so the rows are fetched as 24-bit
    // rows and must have no padding.
    const int width = info.bmWidth;
    const int height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
    const int stride = ((width * 24 + 31) / 32) * 4;
    if (width * 3 < stride) {
        SetErrorLocation(QV_SITE(kModule));
        return kErrWidthNotMultipleOf4;
    }
    if (info.bmBitsPixel < 16) {
        SetErrorLocation(QV_SITE(kModule));
        return kErrColourTable;
    }
    PixelBlock block = PixelBlock::Make(width, height);
    if (block.Empty()) {
        SetErrorLocation(QV_SITE(kModule));
        return kErrMemory;
    }
    BITMAPINFO request = {};
    request.bmiHeader.biSize = sizeof request.bmiHeader;
    request.bmiHeader.biWidth = width;
    request.bmiHeader.biHeight = -height;  // top row first
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 24;
    request.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, bitmap, 0, height, block.pixels.data(), &request, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows != height) {
        SetErrorLocation(QV_SITE(kModule));
        return kErrColourTable;
    }
    *pixels = std::move(block);
    return kOk;
}

Status LoadButtonTemplate(int bitmapId, PixelBlock* pixels) {
    if (pixels == nullptr || gAppState == nullptr) {
        SetErrorLocation(QV_SITE(kModule));
        return kErrInvalidArgument;
    }
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageW(gAppState->instance, MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (bitmap == nullptr) {
        SaveWindowsError();
        SetErrorLocation(QV_SITE(kModule));
        return kErrLoadBitmap;
    }
    const Status status = ReadButtonBitmap(bitmap, pixels);
    DeleteObject(bitmap);
    return status;
}

Status FitControlToBitmap(HWND dialog, int controlId, int width, int height) {
    HWND control = dialog != nullptr ? GetDlgItem(dialog, controlId) : nullptr;
    RECT r;
    if (control == nullptr || !GetWindowRect(control, &r)) {
        SetErrorLocation(QV_SITE(kModule));
        return kErrInvalidArgument;
    }
    if (r.right - r.left + 1 <= width && r.bottom - r.top + 1 <= height) return kOk;
    POINT topLeft{r.left, r.top};
    ScreenToClient(dialog, &topLeft);
    MoveWindow(control, topLeft.x, topLeft.y, width, height, TRUE);
    return kOk;
}

Status BuildButtonFaces(const PixelBlock& pixels, GlyphButton* record) {
    if (record == nullptr || pixels.Empty()) {
        SetErrorLocation(QV_SITE(kModule));
        return kErrInvalidArgument;
    }
    struct Slot {
        ButtonFace face;
        HBITMAP GlyphButton::*field;
    };
    static const Slot kOrder[] = {
        {ButtonFace::Normal, &GlyphButton::normalFace},     {ButtonFace::Grey, &GlyphButton::greyFace},
        {ButtonFace::Pressed, &GlyphButton::pressedFace},   {ButtonFace::Disabled, &GlyphButton::disabledFace},
        {ButtonFace::HoverOnSelect, &GlyphButton::hoverSelectFace}, {ButtonFace::Hover, &GlyphButton::hoverFace},
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
            if (GetObjectW(face, sizeof check, &check) == 0) {
                SetErrorLocation(QV_SITE(kModule));
                return kErrBitmapDisplay;
            }
        }
    }
    return kOk;
}

LRESULT CALLBACK TrackButtonHover(HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    switch (message) {
        case WM_MOUSEMOVE: {
            int count = 0;
            GlyphButton* table = PanelButtons(GetParent(button), &count);
            if (table == nullptr) return 1;
            SetCurrentGlyphTable(table, count);
            POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ClientToScreen(button, &at);
            int index = -1;
            if (FindGlyphButtonAt(at.x, at.y, &index) == kOk && index >= 0) {
                UINT hoverTime = 100;
                SystemParametersInfoW(SPI_GETMOUSEHOVERTIME, 0, &hoverTime, 0);
                TRACKMOUSEEVENT track = {sizeof track, TME_HOVER, table[index].control, std::min<UINT>(hoverTime, 100)};
                if (!TrackMouseEvent(&track)) OutputDebugStringW(L"Quorvel:TrackMouseEvent failed\n");
            }
            break;
        }
        case WM_MOUSEHOVER: {
            int count = 0;
            GlyphButton* table = CurrentGlyphTable(&count);
            if (table == nullptr || wParam != 0) return 1;
            POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ClientToScreen(button, &at);
            int index = -1;
            if (FindGlyphButtonAt(at.x, at.y, &index) != kOk || index < 0) return 1;
            GlyphButton& record = table[index];
            for (int i = 0; i < 4; ++i) record.state[i] = 0;
            record.state[kHoverState] = 1;
            TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, record.control, 0};
            TrackMouseEvent(&track);
            gHoveredButton = index;
            InvalidateRect(record.control, nullptr, TRUE);
            return 0;
        }
        case WM_MOUSELEAVE: {
            int count = 0;
            GlyphButton* table = CurrentGlyphTable(&count);
            if (table != nullptr && gHoveredButton >= 0 && gHoveredButton < count) {
                table[gHoveredButton].state[kHoverState] = 0;
                InvalidateRect(table[gHoveredButton].control, nullptr, TRUE);
            }
            return 1;
        }
        default:
            break;
    }
    return DefSubclassProc(button, message, wParam, lParam);
}

Status SetUpGlyphButtons(HWND dialog, const GlyphButtonSpec* specs, GlyphButton* records, int count) {
    if (dialog == nullptr || specs == nullptr || records == nullptr || count <= 0) {
        SetErrorLocation(QV_SITE(kModule));
        return kErrInvalidArgument;
    }
    for (int i = 0; i < count; ++i) {
        const GlyphButtonSpec& spec = specs[i];
        GlyphButton& record = records[i];
        record.controlId = spec.controlId;
        record.glyph = spec.glyph;
        record.secondGlyph = spec.secondGlyph;
        record.glyphPlacement = spec.glyphPlacement;
        record.secondPlacement = spec.secondPlacement;
        record.fontFlags = spec.fontFlags;
        record.control = GetDlgItem(dialog, spec.controlId);
        if (record.control == nullptr) {
            SetErrorLocation(QV_SITE(kModule));
            return kErrInvalidArgument;
        }
        PixelBlock pixels;
        if (Status s = LoadButtonTemplate(spec.bitmapId, &pixels); s != kOk) return s;
        if (Status s = FitControlToBitmap(dialog, spec.controlId, pixels.width, pixels.height); s != kOk) return s;
        GetWindowRect(record.control, &record.controlRect);
        if (Status s = BuildButtonFaces(pixels, &record); s != kOk) return s;
        if (!SetWindowSubclass(record.control, TrackButtonHover, static_cast<UINT_PTR>(i), 0)) {
            SetErrorLocation(QV_SITE(kModule));
            return kErrWindowsApi;
        }
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
    // The hover table must not outlive the panel's records.
    int current = 0;
    if (CurrentGlyphTable(&current) == table) SetCurrentGlyphTable(nullptr, 0);
    gHoveredButton = -1;
}

void FreeGlyphButtons(GlyphButton* records, int count) {
    if (records == nullptr) return;
    for (int i = 0; i < count; ++i) {
        GlyphButton& r = records[i];
        for (HBITMAP* face : {&r.normalFace, &r.defaultFace, &r.greyFace, &r.pressedFace, &r.disabledFace,
                              &r.hoverFace, &r.hoverSelectFace}) {
            if (*face != nullptr) DeleteObject(*face);
            *face = nullptr;
        }
    }
}

Status SetPanelIcons(HWND dialog) {
    if (dialog == nullptr || gAppState == nullptr || gAppState->appIcon == nullptr) {
        SetErrorLocation(QV_SITE(kModule));
        return kErrInvalidArgument;
    }
    SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(gAppState->appIcon));
    SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(gAppState->appIcon));
    return kOk;
}

void AppendPanelSystemMenu(HWND dialog) {
    HMENU menu = GetSystemMenu(dialog, FALSE);
    if (menu == nullptr) return;
    wchar_t about[64], help[64];
    (void)LoadText(IDS_MENU_ABOUT, about, sizeof about);
    (void)LoadText(IDS_MENU_QUORVEL_HELP, help, sizeof help);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, IDM_PANEL_ABOUT, about);
    AppendMenuW(menu, MF_STRING, IDM_PANEL_HELP, help);
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

bool ScreenSizeChanged() {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    if (width == gScreenSize.width && height == gScreenSize.height) return false;
    gScreenSize = {width, height};
    return true;
}

bool DpiDiffers(WPARAM wParam) { return static_cast<int>(LOWORD(wParam)) != gMode.currentDpi; }

}  // namespace quorvel
