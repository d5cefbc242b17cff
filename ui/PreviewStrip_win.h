// The preview strip of the Phrases and Matting boards panels: the album's
// matting tile repeated across the strip and a phrase over it, as the
// album window's top band shows them.
#pragma once
#include <windows.h>

#include <functional>

#include "base/ErrorCodes.h"

namespace quorvel {

// What the strip shows: the album's tile and its text colour, and the text
// drawn with the DrawText format given.
struct PreviewContent {
    int album = 0;
    const wchar_t* text = L"";
    UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
};
// The panel's answer to "what does the preview show now".
using PreviewSource = std::function<PreviewContent()>;

// The configuration screen opens no album windows, so there are no album
// views; the preview (and the phrase font) need them all the same. Makes the
// view of each album that has none.
[[nodiscard]] Status PreparePreviewViews();

// Paints the static `strip` as the preview from now on, until it is
// destroyed. A paint that fails is reported once for this attachment: the
// error box would otherwise repaint the strip beneath it and fail again.
[[nodiscard]] Status AttachPreviewStrip(HWND strip, PreviewSource source);

// Draws the preview of `content` into dc over width x height pixels: the
// tile row and the text drawn off-screen, then copied. 10082 on a display
// that is not 32 bits per pixel, 10041 when the bitmap cannot be made,
// 10051 when the tile is not drawn whole, 10001 for an album without view.
[[nodiscard]] Status PaintPreview(HDC dc, int width, int height, const PreviewContent& content);

}  // namespace quorvel
