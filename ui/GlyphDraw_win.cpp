#include "ui/GlyphDraw_win.h"

#include <algorithm>
#include <cmath>

#include "base/ErrorReporter_win.h"
#include "base/Guards_win.h"
#include "ui/ButtonFaces.h"
#include "res/resource.h"

namespace quorvel {

namespace {

const wchar_t kModule[] = L"utilities";

// The glyph font is made once, from the OEM fixed font's height, and then
// serves every button of every panel drawn at its picture's size. Buttons
// whose faces are scaled (another DPI, a dialog shrunk to fit) share a
// second font of the scaled height, made again when that height changes.
Status SelectGlyphFont(HDC dc, const RECT& item, float scale, HFONT* previous) {
    HFONT& font = gAppState->glyphFonts[scale == 1.0f ? 0 : 1];
    LOGFONTW made = {};
    const bool stale = font != nullptr && scale != 1.0f && GetObjectW(font, sizeof made, &made) != 0;
    if (font == nullptr || stale) {
        HGDIOBJ oem = GetStockObject(OEM_FIXED_FONT);
        LOGFONTW oemFont = {};
        if (oem == nullptr || GetObjectW(oem, sizeof oemFont, &oemFont) == 0 || oemFont.lfHeight == 0)
            return Fail(QV_SITE(kModule), kErrCreateFont);
        LONG height = oemFont.lfHeight;
        if (item.bottom > 30 * scale) height = static_cast<LONG>(height * 1.8);
        if (scale != 1.0f) height = std::lround(height * scale);
        if (stale && made.lfHeight == height) {
            *previous = static_cast<HFONT>(SelectObject(dc, font));
            return kOk;
        }
        if (font != nullptr) DeleteObject(font);
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

// The caption centred on the button, or, where that would run into the
// glyph, centred in what the glyph leaves, in a smaller font if it is
// still too wide.
void DrawCaption(HDC dc, const wchar_t* caption, const RECT& client, int glyphRight) {
    SetTextColor(dc, gAppState->textColour);
    RECT measured = client;
    DrawTextW(dc, caption, -1, &measured, DT_SINGLELINE | DT_CALCRECT);
    const int width = measured.right - measured.left;
    RECT box = client;
    const int margin = 2;
    if (glyphRight > 0 && client.left + (client.right - client.left - width) / 2 < glyphRight + margin)
        box.left = glyphRight + margin;
    const int room = box.right - box.left - margin;
    FontHandle smaller;
    if (width > room && room > 0) {
        LOGFONTW logFont = {};
        if (GetObjectW(GetCurrentObject(dc, OBJ_FONT), sizeof logFont, &logFont) != 0) {
            logFont.lfHeight = MulDiv(logFont.lfHeight, room, width);
            logFont.lfWidth = 0;
            smaller.reset(CreateFontIndirectW(&logFont));
        }
    }
    SelectedObject selected(dc, smaller ? static_cast<HGDIOBJ>(smaller.get()) : GetCurrentObject(dc, OBJ_FONT));
    DrawTextW(dc, caption, -1, &box, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
}

// A glyph the selected font has, as text; else the program's own picture of
// it, in the same colour and at the font's height.
void DrawGlyph(HDC dc, wchar_t glyph, const RECT& place, COLORREF colour, bool symbolFont) {
    if (GlyphInFont(dc, glyph, symbolFont) || !DrawGlyphPicture(dc, glyph, place, colour)) {
        SetTextColor(dc, colour);
        RECT r = place;
        DrawTextW(dc, &glyph, 1, &r, DT_SINGLELINE | DT_VCENTER);
    }
}

}  // namespace

bool GlyphInFont(HDC dc, wchar_t glyph, bool symbolFont) {
    if (symbolFont) {
        wchar_t face[LF_FACESIZE] = L"";
        GetTextFaceW(dc, LF_FACESIZE, face);
        if (lstrcmpiW(face, L"WebDings") != 0) return false;
    }
    const wchar_t alias = glyph < 0x100                ? static_cast<wchar_t>(glyph + 0xF000)
                          : (glyph & 0xFF00) == 0xF000 ? static_cast<wchar_t>(glyph & 0xFF)
                                                       : glyph;
    for (wchar_t code : {glyph, alias}) {
        WORD index = 0xFFFF;
        if (GetGlyphIndicesW(dc, &code, 1, &index, GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR) return true;
        if (index != 0xFFFF) return true;
    }
    return false;
}

bool DrawGlyphPicture(HDC dc, wchar_t glyph, const RECT& place, COLORREF colour) {
    const int offset = GlyphPictureOffset(glyph);
    if (offset < 0) return false;
    BitmapHandle picture(static_cast<HBITMAP>(LoadImageW(
        gAppState->instance, MAKEINTRESOURCEW(IDB_GLYPH_PICTURES + offset), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    BITMAP info = {};
    if (!picture || GetObjectW(picture.get(), sizeof info, &info) == 0) return false;
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    const int size = metrics.tmHeight;
    const int top = place.top + (place.bottom - place.top - size) / 2;
    MemoryDc memory(CreateCompatibleDC(dc));
    BrushHandle brush(CreateSolidBrush(colour));
    if (!memory || !brush) return false;
    SelectedObject selectedPicture(memory.get(), picture.get());
    SelectedObject selectedBrush(dc, brush.get());
    const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
    // White in the picture takes the brush's colour, black keeps what is
    // there (the raster operation "DSPDxax").
    constexpr DWORD kPaintWhiteWithBrush = 0x00E20746;
    StretchBlt(dc, place.left, top, size, size, memory.get(), 0, 0, info.bmWidth, info.bmHeight, kPaintWhiteWithBrush);
    SetStretchBltMode(dc, oldMode);
    return true;
}

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
        face = record.disabledFace.get();
    } else if (item->itemAction & (ODA_SELECT | ODA_FOCUS)) {
        face = (hover ? record.hoverSelectFace : record.pressedLook ? record.pressedFace : record.normalFace).get();
    } else if (item->itemAction == ODA_DRAWENTIRE) {
        // No default face is ever made; a default button drawn whole shows
        // its normal face rather than nothing and an error on every paint.
        face = (hover                                                  ? record.hoverFace
                : item->itemState == ODS_DEFAULT && record.defaultFace ? record.defaultFace
                                                                       : record.normalFace)
                   .get();
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
    wchar_t caption[51] = L"";
    GetWindowTextW(item->hwndItem, caption, 51);
    RECT client;
    GetClientRect(item->hwndItem, &client);
    if (record.glyph <= 0) {
        DrawCaption(item->hDC, caption, client, 0);
        return kOk;
    }

    const bool ownFont = (record.fontFlags & 1) == 0;
    const wchar_t glyph[2] = {static_cast<wchar_t>(record.glyph), L'\0'};
    const wchar_t second[2] = {static_cast<wchar_t>(record.secondGlyph), L'\0'};
    HFONT previous = nullptr;
    if (ownFont)
        if (Status s = SelectGlyphFont(item->hDC, item->rcItem, record.faceScale, &previous); s != kOk) return s;
    const RECT place = PlaceGlyph(item->hwndItem, item->hDC, glyph, record.glyphPlacement);
    const RECT secondPlace = PlaceGlyph(item->hwndItem, item->hDC, glyph, record.secondPlacement);
    const int glyphRight = std::max<int>(place.left + LOWORD(GetTabbedTextExtentW(item->hDC, glyph, 1, 0, nullptr)),
                                         std::lround(kGlyphAreaColumns * record.faceScale));
    if (previous != nullptr) SelectObject(item->hDC, previous);
    DrawCaption(item->hDC, caption, client, glyphRight);

    if (ownFont)
        if (Status s = SelectGlyphFont(item->hDC, item->rcItem, record.faceScale, &previous); s != kOk) return s;
    DrawGlyph(item->hDC, glyph[0], place, gAppState->glyphColour, ownFont);
    if (record.secondGlyph != 0) DrawGlyph(item->hDC, second[0], secondPlace, gAppState->glyphHotColour, ownFont);
    if (previous != nullptr) SelectObject(item->hDC, previous);
    return kOk;
}

}  // namespace quorvel
