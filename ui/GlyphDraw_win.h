// Drawing of the panels' picture buttons: the face for the button's state,
// its caption and its glyphs.
#pragma once
#include <windows.h>

#include "ui/Panel_win.h"

namespace quorvel {

// Draws record `index` of `table` for WM_DRAWITEM.
[[nodiscard]] Status DrawGlyphButton(HWND dialog, GlyphButton* table, int index, int count, const DRAWITEMSTRUCT* item);
// Copies the whole bitmap to (0, 0) of the context.
[[nodiscard]] Status DrawBitmapAt00(HDC dc, HBITMAP bitmap);

}  // namespace quorvel
