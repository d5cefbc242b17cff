#include "ui/PictureButtons_win.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/ErrorReporter_win.h"
#include "imaging/CropAndScale_win.h"
#include "ui/ButtonFaces.h"
#include "ui/Panel_win.h"

namespace quorvel {

namespace {

const wchar_t kModule[] = L"Quorvel";

BitmapHandle MakeFace(const PixelBlock& pixels, ButtonFace face) {
    std::vector<std::uint8_t> bits = MakeButtonFace(pixels, face, gUiState.buttonPalette);
    if (bits.empty()) return BitmapHandle();
    BITMAP info = {};
    info.bmWidth = pixels.width;
    info.bmHeight = pixels.height;
    info.bmWidthBytes = pixels.width * 4;
    info.bmPlanes = 1;
    info.bmBitsPixel = 32;
    info.bmBits = bits.data();
    return BitmapHandle(CreateBitmapIndirect(&info));
}

// Moves the control to width x height, centred on `place` (screen coordinates).
void CentreInPlace(HWND dialog, HWND control, const RECT& place, int width, int height, BOOL repaint) {
    POINT topLeft{(place.left + place.right - width) / 2, (place.top + place.bottom - height) / 2};
    ScreenToClient(dialog, &topLeft);
    MoveWindow(control, topLeft.x, topLeft.y, width, height, repaint);
}

// A control larger than width x height is made that size, centred where
// the dialog laid it out.
Status FitControlToBitmap(HWND dialog, int controlId, int width, int height) {
    HWND control = dialog != nullptr ? GetDlgItem(dialog, controlId) : nullptr;
    RECT r;
    if (control == nullptr || !GetWindowRect(control, &r)) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    if (r.right - r.left + 1 <= width && r.bottom - r.top + 1 <= height) return kOk;
    CentreInPlace(dialog, control, r, width, height, TRUE);
    return kOk;
}

// The picture scaled by `scale` (FaceScale), smoothly.
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
        BitmapHandle GlyphButton::*field;
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
        BitmapHandle face = MakeFace(pixels, slot.face);
        if (!face) {
            SaveWindowsError();
            SetErrorLocation(QV_SITE(kModule));
            return kErrCreateBitmap;
        }
        record->*slot.field = std::move(face);
        if (slot.face == ButtonFace::Normal) {
            BITMAP check;
            if (GetObjectW(record->normalFace.get(), sizeof check, &check) == 0)
                return Fail(QV_SITE(kModule), kErrBitmapDisplay);
        }
    }
    return kOk;
}

LRESULT OnButtonHoverMessage(HWND button, UINT message, WPARAM wParam, LPARAM lParam, GlyphButton& record) {
    switch (message) {
        case WM_MOUSEMOVE: {
            UINT hoverTime = 100;
            SystemParametersInfoW(SPI_GETMOUSEHOVERTIME, 0, &hoverTime, 0);
            TRACKMOUSEEVENT track = {sizeof track, TME_HOVER, button, std::min<UINT>(hoverTime, 100)};
            if (!TrackMouseEvent(&track)) OutputDebugStringW(L"Quorvel:TrackMouseEvent failed\n");
            break;
        }
        case WM_MOUSEHOVER: {
            if (wParam != 0) return 1;
            for (std::int32_t& flag : record.state) flag = 0;
            record.state[kHoverState] = 1;
            TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, button, 0};
            TrackMouseEvent(&track);
            InvalidateRect(button, nullptr, TRUE);
            return 0;
        }
        case WM_MOUSELEAVE:
            record.state[kHoverState] = 0;
            InvalidateRect(button, nullptr, TRUE);
            return 1;
        default: break;
    }
    return DefSubclassProc(button, message, wParam, lParam);
}

// The hover subclass of a button; its data is the button's record.
LRESULT CALLBACK TrackButtonHover(HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR record) {
    return WithinPanelBoundary<LRESULT>(button, 0, [&] {
        return OnButtonHoverMessage(button, message, wParam, lParam, *reinterpret_cast<GlyphButton*>(record));
    });
}

}  // namespace

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
    CentreInPlace(dialog, control, r, width, height, FALSE);
}

Status SetUpGlyphButtons(HWND dialog, std::span<const GlyphButtonSpec> specs, std::span<GlyphButton> records) {
    if (dialog == nullptr || specs.empty() || records.size() != specs.size())
        return Fail(QV_SITE(kModule), kErrInvalidArgument);
    std::vector<SIZE> pictures(specs.size());  // each record's picture before scaling
    for (std::size_t i = 0; i < specs.size(); ++i) {
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
        const auto before = records.first(i);
        const auto earlier = std::find_if(before.begin(), before.end(), [&](const GlyphButton& e) {
            const SIZE& p = pictures[&e - records.data()];
            return control != nullptr ? e.control == control
                                      : p.cx == pixels.width && p.cy == pixels.height && e.control != nullptr;
        });
        const bool firstLook = control != nullptr && earlier == before.end();
        double scale = 1.0;
        if (firstLook) {
            RECT laidOut;
            GetClientRect(control, &laidOut);
            scale = FaceScale(pixels.width, pixels.height, laidOut.right, laidOut.bottom);
        } else if (earlier != before.end()) {
            scale = earlier->faceScale;
        }
        if (scale != 1.0)
            if (Status s = ScaleButtonPicture(&pixels, scale); s != kOk) return s;
        record.faceScale = static_cast<float>(scale);
        if (Status s = BuildButtonFaces(pixels, &record); s != kOk) return s;
        record.control = control;
        if (!firstLook) continue;
        if (Status s = FitControlToBitmap(dialog, spec.controlId, pixels.width, pixels.height); s != kOk) return s;
        if (!SetWindowSubclass(record.control, TrackButtonHover, i, reinterpret_cast<DWORD_PTR>(&record)))
            return Fail(QV_SITE(kModule), kErrWindowsApi);
    }
    return kOk;
}

void RemoveButtonHover(std::span<GlyphButton> records) {
    for (std::size_t i = 0; i < records.size(); ++i)
        if (records[i].control != nullptr && IsWindow(records[i].control))
            RemoveWindowSubclass(records[i].control, TrackButtonHover, i);
}

}  // namespace quorvel
