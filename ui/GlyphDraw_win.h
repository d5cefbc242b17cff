// Drawing of the panels' picture buttons: the face for the button's state,
// its caption and its glyphs; plus the hit test the hover tracking uses.
#pragma once
#include <windows.h>

#include "ui/Panel_win.h"

namespace quorvel {

// Draws record `index` of `table` for WM_DRAWITEM.
[[nodiscard]] Status DrawGlyphButton(HWND dialog, GlyphButton* table, int index, int count, const DRAWITEMSTRUCT* item);
// Copies the whole bitmap to (0, 0) of the context.
[[nodiscard]] Status DrawBitmapAt00(HDC dc, HBITMAP bitmap);

// The table the hover tracking works on (the open panel's).
void SetCurrentGlyphTable(GlyphButton* table, int count);
GlyphButton* CurrentGlyphTable(int* count);
// Index of the first record whose control rectangle holds the screen point;
// `index` is left alone when none does. 10001 without a table.
[[nodiscard]] Status FindGlyphButtonAt(int x, int y, int* index);

}  // namespace quorvel
