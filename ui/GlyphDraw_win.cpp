#include "ui/GlyphDraw_win.h"

#include "base/ErrorReporter_win.h"
#include "base/Guards_win.h"

namespace quorvel {

namespace {

const wchar_t kModule[] = L"utilities";

// The glyph font is made once, from the OEM fixed font's height, and then
// serves every button of every panel whatever its size.
Status SelectGlyphFont(HDC dc, const RECT& item, HFONT* previous) {
    HFONT& font = gAppState->glyphFonts[0];
    if (font == nullptr) {
        HGDIOBJ oem = GetStockObject(OEM_FIXED_FONT);
        LOGFONTW oemFont = {};
        if (oem == nullptr || GetObjectW(oem, sizeof oemFont, &oemFont) == 0 || oemFont.lfHeight == 0)
            return Fail(QV_SITE(kModule), kErrCreateFont);
        LONG height = oemFont.lfHeight;
        if (item.bottom > 30) height = static_cast<LONG>(height * 1.8);
        LOGFONTW glyphFont = {};
        glyphFont.lfHeight = height;
        glyphFont.lfWeight = FW_NORMAL;
        glyphFont.lfCharSet = SYMBOL_CHARSET;
        glyphFont.lfOutPrecision = OUT_TT_PRECIS;
        glyphFont.lfClipPrecision = CLIP_STROKE_PRECIS;
        glyphFont.lfQuality = DRAFT_QUALITY;
        glyphFont.lfPitchAndFamily = VARIABLE_PITCH | FF_ROMAN;
        lstrcpynW(glyphFont.lfFaceName, L"WebDings", LF_FACESIZE);
        font = CreateFontIndirectW(&glyphFont);
        if (font == nullptr) return Fail(QV_SITE(kModule), kErrCreateFont);
    }
    *previous = static_cast<HFONT>(SelectObject(dc, font));
    return kOk;
}

// The client rectangle with its left edge 3 pixels in, moved by the
// placement flags by fractions of the glyph's measured size.
RECT PlaceGlyph(HWND control, HDC dc, const wchar_t* glyph, std::uint32_t flags) {
    RECT r;
    GetClientRect(control, &r);
    r.left += 3;
    const DWORD extent = GetTabbedTextExtentW(dc, glyph, 1, 0, nullptr);
    const int w = LOWORD(extent);
    const int h = HIWORD(extent);
    if (flags & kGlyphRaise) r.top -= h / 3;
    if (flags & kGlyphLower) r.top += h / 3;
    if (flags & kGlyphShiftLeft) r.left -= w / 4;
    if (flags & kGlyphShiftRight) r.left += w / 4;
    return r;
}

}  // namespace

Status DrawBitmapAt00(HDC dc, HBITMAP bitmap) {
    if (dc == nullptr || bitmap == nullptr) return Fail(QV_SITE(kModule), kErrBitmapDisplay);
    MemoryDc memory(CreateCompatibleDC(dc));
    BITMAP info;
    if (!memory || GetObjectW(bitmap, sizeof info, &info) == 0) return Fail(QV_SITE(kModule), kErrBitmapDisplay);
    SelectedObject selected(memory.get(), bitmap);
    if (!selected) return Fail(QV_SITE(kModule), kErrBitmapDisplay);
    BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, memory.get(), 0, 0, SRCCOPY);
    return kOk;
}

Status DrawGlyphButton(HWND dialog, GlyphButton* table, int index, int count, const DRAWITEMSTRUCT* item) {
    if (index < 0 || index > count - 1 || dialog == nullptr || table == nullptr || item == nullptr ||
        item->hDC == nullptr || item->hwndItem == nullptr || gAppState == nullptr) {
        SetErrorLocation(QV_SITE(kModule));
        return kErrInvalidArgument;
    }
    const GlyphButton& record = table[index];
    const bool hover = record.state[kHoverState] != 0;
    HBITMAP face = nullptr;
    bool drawFace = true;
    if (item->itemState == ODS_DISABLED) {
        face = record.disabledFace;
    } else if (item->itemAction & (ODA_SELECT | ODA_FOCUS)) {
        face = hover ? record.hoverSelectFace : record.pressedLook ? record.pressedFace : record.normalFace;
    } else if (item->itemAction == ODA_DRAWENTIRE) {
        // No default face is ever made; a default button drawn whole shows
        // its normal face rather than nothing and an error on every paint.
        face = hover                                                             ? record.hoverFace
               : item->itemState == ODS_DEFAULT && record.defaultFace != nullptr ? record.defaultFace
                                                                                 : record.normalFace;
    } else {
        drawFace = false;
    }
    if (drawFace)
        if (Status s = DrawBitmapAt00(item->hDC, face); s != kOk) return s;

    if (item->itemAction == ODA_FOCUS && item->itemState == ODS_FOCUS) {
        RECT focus = item->rcItem;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(item->hDC, &focus);
    }

    SetBkMode(item->hDC, TRANSPARENT);
    SetTextColor(item->hDC, gAppState->textColour);
    wchar_t caption[51] = L"";
    GetWindowTextW(item->hwndItem, caption, 51);
    RECT client;
    GetClientRect(item->hwndItem, &client);
    DrawTextW(item->hDC, caption, -1, &client, DT_SINGLELINE | DT_VCENTER | DT_CENTER);

    if (record.glyph <= 0) return kOk;
    SetTextColor(item->hDC, gAppState->glyphColour);
    const wchar_t glyph[2] = {static_cast<wchar_t>(record.glyph), L'\0'};
    HFONT previous = nullptr;
    if ((record.fontFlags & 1) == 0)
        if (Status s = SelectGlyphFont(item->hDC, item->rcItem, &previous); s != kOk) return s;

    RECT place = PlaceGlyph(item->hwndItem, item->hDC, glyph, record.glyphPlacement);
    DrawTextW(item->hDC, glyph, 1, &place, DT_SINGLELINE | DT_VCENTER);
    if (record.secondGlyph != 0) {
        const wchar_t second[2] = {static_cast<wchar_t>(record.secondGlyph), L'\0'};
        place = PlaceGlyph(item->hwndItem, item->hDC, glyph, record.secondPlacement);
        SetTextColor(item->hDC, gAppState->glyphHotColour);
        DrawTextW(item->hDC, second, 1, &place, DT_SINGLELINE | DT_VCENTER);
    }
    if (previous != nullptr) SelectObject(item->hDC, previous);
    return kOk;
}

}  // namespace quorvel
