#include "ui/PreviewStrip_win.h"

#include <commctrl.h>

#include "display/DisplayState_win.h"
#include "base/ErrorReporter_win.h"
#include "base/Guards_win.h"
#include "display/Frame_win.h"
#include "ui/Panel_win.h"

namespace quorvel {

namespace {

const wchar_t kModule[] = L"SayingsDlg";
constexpr UINT_PTR kPreviewSubclass = 1;

struct PreviewStrip {
    PreviewSource source;
    bool failureReported = false;
};

Status Paint(HWND strip, HDC dc, const PreviewStrip& preview) {
    RECT client;
    GetClientRect(strip, &client);
    return PaintPreview(dc, client.right, client.bottom, preview.source());
}

// A failure is reported after EndPaint: the box repaints the strip beneath
// it, and that paint must find nothing left to do.
void ReportOnce(Status status, PreviewStrip& preview) {
    if (status != kOk && !preview.failureReported) {
        preview.failureReported = true;
        ShowError(status);
    }
}

void OnPaint(HWND strip, PreviewStrip& preview) {
    Status status = kOk;
    {
        PaintScope paint(strip);
        status = Paint(strip, paint.dc(), preview);
    }
    ReportOnce(status, preview);
}

LRESULT CALLBACK PreviewProcedure(HWND strip, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    auto* preview = reinterpret_cast<PreviewStrip*>(data);
    return WithinPanelBoundary<LRESULT>(strip, 0, [&]() -> LRESULT {
        switch (message) {
            case WM_PAINT: OnPaint(strip, *preview); return 0;
            case WM_PRINTCLIENT: ReportOnce(Paint(strip, reinterpret_cast<HDC>(wParam), *preview), *preview); return 0;
            case WM_ERASEBKGND: return 1;
            case WM_NCDESTROY:
                RemoveWindowSubclass(strip, PreviewProcedure, kPreviewSubclass);
                delete preview;
                break;
            default: break;
        }
        return DefSubclassProc(strip, message, wParam, lParam);
    });
}

}  // namespace

Status PreparePreviewViews() {
    if (gDisplayState == nullptr) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    for (int album = 0; album < kAlbumCount; ++album)
        if (gDisplayState->albums[album].view == nullptr)
            if (Status s = PrepareAlbumView(album); s != kOk) return s;
    return kOk;
}

Status AttachPreviewStrip(HWND strip, PreviewSource source) {
    if (strip == nullptr || source == nullptr) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    auto* preview = new PreviewStrip{std::move(source)};
    if (!SetWindowSubclass(strip, PreviewProcedure, kPreviewSubclass, reinterpret_cast<DWORD_PTR>(preview))) {
        delete preview;
        SetErrorLocation(QV_SITE(kModule));
        return kErrWindowsApi;
    }
    return kOk;
}

Status PaintPreview(HDC dc, int width, int height, const PreviewContent& content) {
    if (dc == nullptr || width <= 0 || height <= 0 || gDisplayState == nullptr || content.album < 0 ||
        content.album >= kAlbumCount || gDisplayState->albums[content.album].view == nullptr) {
        SetErrorLocation(QV_SITE(kModule));
        return kErrInvalidArgument;
    }
    MemoryDc memory(CreateCompatibleDC(dc));
    if (!memory) {
        SaveWindowsError();
        SetErrorLocation(QV_SITE(kModule));
        return kErrDeviceContext;
    }
    if (GetDeviceCaps(memory.get(), BITSPIXEL) != 32) return Fail(QV_SITE(kModule), kErrBitsPerPixel);
    BitmapHandle bitmap(CreateCompatibleBitmap(dc, width + 1, height + 1));
    if (!bitmap) {
        SaveWindowsError();
        SetErrorLocation(QV_SITE(kModule));
        return kErrCreateBitmap;
    }
    // Declared after the bitmap and the context, so that the bitmap is
    // selected out before either is deleted.
    SelectedObject selected(memory.get(), bitmap.get());
    if (!selected) return Fail(QV_SITE(kModule), kErrBitmapDisplay);
    if (Status s = DrawTileRow(memory.get(), content.album, width + 1); s != kOk) return s;
    DrawPhraseText(memory.get(), RECT{0, 0, width, height}, content.text,
                   gDisplayState->albums[content.album].view->textColour, content.format);
    BitBlt(dc, 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
    return kOk;
}

}  // namespace quorvel
