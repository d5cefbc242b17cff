#include "display/Frame_win.h"

#include <cstring>
#include <cwchar>
#include <optional>
#include <new>

#include "base/AppState_win.h"
#include "base/ErrorReporter_win.h"
#include "base/Guards_win.h"
#include "storage/Settings_win.h"
#include "display/AlbumWindow_win.h"
#include "strip/Strip.h"

namespace quorvel {

namespace {

constexpr wchar_t kModule[] = L"DecodeImage";
constexpr wchar_t kDefaultFontFace[] = L"Highlight LET";

AlbumView* ViewOf(int album) {
    if (gDisplayState == nullptr || album < 0 || album >= kAlbumCount) return nullptr;
    return gDisplayState->albums[album].view;
}

// The drawing settings of the phrase font other than its face and size.
void SetPhraseFontStyle(LOGFONTW& font) {
    font.lfOutPrecision = OUT_STROKE_PRECIS;
    font.lfClipPrecision = CLIP_STROKE_PRECIS;
    font.lfQuality = DRAFT_QUALITY;
    font.lfPitchAndFamily = VARIABLE_PITCH;
}

// The text of the top band: the screen saver's own phrase when it runs as
// the saver and one is set, otherwise the album's phrase.
const wchar_t* PhraseToDraw(const AlbumView& view) {
    if (gMode.role == Role::kSaver && gUserSettings != nullptr && gUserSettings->screenSaverPhrase[0] != L'\0')
        return gUserSettings->screenSaverPhrase;
    return view.phrase;
}

void DrawPhrase(const AlbumView& view, std::int32_t band) {
    DrawPhraseText(view.memoryDc.get(), RECT{0, 0, view.viewportWidth + 2 * band, band}, PhraseToDraw(view),
                   view.textColour, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

}  // namespace

void FillTopDownHeader(BITMAPINFOHEADER& header, std::int32_t width, std::int32_t height) {
    header = {};
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = width;
    header.biHeight = -height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = (static_cast<DWORD>(width) * 3 + 3) / 4 * 4 * height;
}

void DrawPhraseText(HDC dc, RECT area, const wchar_t* text, COLORREF colour, UINT format) {
    if (text == nullptr || text[0] == L'\0' || gDisplayState == nullptr) return;
    HGDIOBJ font = gDisplayState->phraseFont != nullptr ? static_cast<HGDIOBJ>(gDisplayState->phraseFont)
                                                        : GetStockObject(ANSI_VAR_FONT);
    SelectedObject selected(dc, font);
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = SetTextColor(dc, colour);
    DrawTextW(dc, text, -1, &area, format | DT_NOPREFIX);
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
}

Status DrawTileRow(HDC dc, int album, int width) {
    if (gDisplayState == nullptr || album < 0 || album >= kAlbumCount)
        return Fail(QV_SITE(kModule), kErrInvalidArgument);
    const MattingTile& tile = gDisplayState->albums[album].mattingTile;
    const std::int32_t side = tile.stepX;
    if (tile.block.Empty() || side <= 0 || tile.block.height < side || tile.block.rowBytes != side * 3)
        return Fail(QV_SITE(kModule), kErrInvalidArgument);
    for (int x = 0; x < width; x += side) {
        const int drawn = SetDIBitsToDevice(dc, x, 0, side, side, 0, 0, 0, side, tile.block.pixels.data(),
                                            reinterpret_cast<const BITMAPINFO*>(&tile.header), DIB_RGB_COLORS);
        if (drawn != side) {
            SetErrorLocation(QV_SITE(kModule));
            SaveWindowsError();
            return kErrBitmapDisplay;
        }
    }
    return kOk;
}

AlbumView* AllocateAlbumView() {
    void* block = AllocateLockedBlock(sizeof(AlbumView));
    if (block == nullptr) return nullptr;
    return new (block) AlbumView();
}

void FreeAlbumView(AlbumView*& view) {
    if (view == nullptr) return;
    view->~AlbumView();
    FreeLockedBlock(view);
    view = nullptr;
}

HBITMAP CreateTopDownBitmap(HDC dc, std::int32_t width, std::int32_t height, std::uint8_t** pixels) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    *pixels = static_cast<std::uint8_t*>(bits);
    return bitmap;
}

std::int32_t MattingBandWidth() { return gMode.role == Role::kPreview ? kPreviewBandWidth : kBandWidth; }

Status CreatePhraseFont() {
    if (gDisplayState == nullptr) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    LOGFONTW& font = gDisplayState->phraseLogFont;
    if (font.lfFaceName[0] == L'\0') {
        font = {};
        font.lfHeight = -120;
        font.lfWeight = FW_BOLD;
        SetPhraseFontStyle(font);
        wcsncpy(font.lfFaceName, kDefaultFontFace, LF_FACESIZE - 1);
    }
    if (gDisplayState->phraseFont != nullptr) DeleteObject(gDisplayState->phraseFont);
    gDisplayState->phraseFont = CreateFontIndirectW(&font);
    if (gDisplayState->phraseFont == nullptr) {
        SetErrorLocation(QV_SITE(kModule), font.lfFaceName);
        SaveWindowsError();
        return kErrCreateFont;
    }
    return kOk;
}

Status PrepareAlbumView(int album) {
    if (gDisplayState == nullptr || gUserSettings == nullptr || gAppState == nullptr)
        return Fail(QV_SITE(kModule), kErrInvalidArgument);
    if (album < 0 || album >= kAlbumCount) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    AlbumSlot& slot = gDisplayState->albums[album];
    // A view from an earlier start-up goes with its window, timer and class.
    if (slot.view != nullptr) CloseAlbumView(album);
    FreeAlbumView(slot.view);

    slot.view = AllocateAlbumView();
    if (slot.view == nullptr) return Fail(QV_SITE(kModule), kErrMemory);
    slot.view->textColour = gUserSettings->fontColour[album];

    if (album == 0) {
        LOGFONTW& font = gDisplayState->phraseLogFont;
        font = {};
        SetPhraseFontStyle(font);
        wcsncpy(font.lfFaceName, gUserSettings->fontName, LF_FACESIZE - 1);
        font.lfHeight = PhraseFontHeight(gUserSettings->fontSize);
        font.lfItalic = gUserSettings->fontItalic ? TRUE : FALSE;
        font.lfWeight = gUserSettings->fontBold ? FW_BOLD : FW_NORMAL;
        if (const Status status = CreatePhraseFont(); status != kOk) return status;
    }

    wcsncpy(slot.view->phrase, gUserSettings->phrase[album], kPhraseChars - 1);
    slot.view->phrase[kPhraseChars - 1] = L'\0';
    return kOk;
}

Status BuildMattingTile(int album) {
    AlbumView* view = ViewOf(album);
    if (view == nullptr) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    AlbumSlot& slot = gDisplayState->albums[album];
    const PixelBlock& thumbnail = slot.mattingThumbnail;
    const std::int32_t band = MattingBandWidth();
    // The tile is cut from the thumbnail's corner, so the thumbnail must be
    // at least a tile in each direction, not only above 19 pixels.
    if (thumbnail.width <= 19 || thumbnail.height <= 19 || thumbnail.width < band || thumbnail.height < band ||
        thumbnail.rowBytes < thumbnail.width * 3 ||
        thumbnail.pixels.size() < static_cast<std::size_t>(thumbnail.rowBytes) * thumbnail.height) {
        SetErrorLocation(QV_SITE(kModule));
        return kErrInvalidArgument;
    }

    MattingTile& tile = slot.mattingTile;
    FillTopDownHeader(tile.header, band, band);
    tile.block.Release();
    try {
        tile.block = PixelBlock::Make(band, band);
    } catch (const std::bad_alloc&) {
        SetErrorLocation(QV_SITE(kModule));
        return kErrMemory;
    }
    for (std::int32_t y = 0; y < band; ++y) std::memcpy(tile.block.Row(y), thumbnail.Row(y), band * 3);
    tile.stepX = tile.stepY = band;
    tile.drawWidth = tile.drawHeight = band;
    return kOk;
}

Status DrawMattingTiles(int album) {
    AlbumView* view = ViewOf(album);
    if (view == nullptr) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    const MattingTile& tile = gDisplayState->albums[album].mattingTile;
    const std::int32_t band = tile.stepX;
    if (tile.block.Empty() || band <= 0) return Fail(QV_SITE(kModule), kErrInvalidArgument);

    for (const TilePlacement& placed : MattingTilePlacements(view->viewportWidth, view->viewportHeight, band)) {
        // A top-down DIB of fewer rows over the same pixels is the tile's top
        // part: that is how the cut tile at a side band's foot is drawn.
        BITMAPINFOHEADER header = tile.header;
        header.biHeight = -placed.rows;
        header.biSizeImage = static_cast<DWORD>(band) * 3 * placed.rows;
        const int drawn =
            SetDIBitsToDevice(view->memoryDc.get(), placed.x, placed.y, band, placed.rows, 0, 0, 0, placed.rows,
                              tile.block.pixels.data(), reinterpret_cast<const BITMAPINFO*>(&header), DIB_RGB_COLORS);
        if (drawn != placed.rows) {
            SetErrorLocation(QV_SITE(kModule));
            SaveWindowsError();
            return kErrBitmapDisplay;
        }
    }
    return kOk;
}

void SetAlbumPhrase(int album, const wchar_t* text, int length) {
    AlbumView* view = ViewOf(album);
    if (view == nullptr) return;
    std::int32_t copied = 0;
    if (text != nullptr)
        while (copied < length && copied < kPhraseChars - 1 && text[copied] != L'\0') {
            view->phrase[copied] = text[copied];
            ++copied;
        }
    view->phrase[copied] = L'\0';
    if (view->window != nullptr) InvalidateRect(view->window, nullptr, FALSE);
}

Status DrawAlbumFrame(int album, int repaint, HDC target) {
    AlbumView* view = ViewOf(album);
    if (view == nullptr) return kOk;
    const MattingTile& tile = gDisplayState->albums[album].mattingTile;
    const std::int32_t l = view->viewportWidth;
    const std::int32_t o = view->viewportHeight;
    if (view->viewport.Empty() || l <= 0 || o <= 0 || tile.block.Empty()) return kOk;
    const BITMAPINFOHEADER& header = view->viewportHeader;
    if (header.biWidth != l || header.biHeight != -o || view->viewport.width != l || view->viewport.height != o) {
        SetErrorLocation(QV_SITE(kModule));
        return kErrInvalidArgument;
    }
    if (!view->memoryDc) return Fail(QV_SITE(kModule), kErrBitmapDisplay);
    const std::int32_t band = tile.stepX;

    if (repaint)
        if (const Status status = DrawMattingTiles(album); status != kOk) return status;

    if (repaint && gMode.role != Role::kPreview) DrawPhrase(*view, band);

    // Without a window GetDC would hand out the whole screen's context.
    std::optional<WindowDc> windowDc;
    if (target == nullptr && view->window != nullptr) windowDc.emplace(view->window);
    HDC destination = target != nullptr ? target : windowDc ? windowDc->get() : nullptr;
    if (destination == nullptr) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    // The pan step wrote the viewport into the bitmap already; between
    // repaints the bands stay as the window shows them.
    if (repaint)
        BitBlt(destination, 0, 0, l + 2 * band, o + 2 * band, view->memoryDc.get(), 0, 0, SRCCOPY);
    else
        BitBlt(destination, band, band, l, o, view->memoryDc.get(), band, band, SRCCOPY);
    return kOk;
}

}  // namespace quorvel
