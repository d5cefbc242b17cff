// Drawing of the panels' picture buttons: the face for the button's state,
// its caption and its glyphs.
#pragma once
#include <windows.h>

#include "ui/PictureButtons_win.h"

namespace quorvel {

// Draws record `index` of `table` for WM_DRAWITEM.
[[nodiscard]] Status DrawGlyphButton(HWND dialog, GlyphButton* table, int index, int count, const DRAWITEMSTRUCT* item);
// Whether the selected font draws `glyph` (a symbol font's glyphs also answer
// at U+F020-U+F0FF). With `symbolFont`, a font the mapper put in place of the
// glyph font (which was not found) has none of them.
bool GlyphInFont(HDC dc, wchar_t glyph, bool symbolFont);
// The program's own picture of a glyph (where the glyph font lacks it), at
// the selected font's height, left in `place` and centred in its height,
// in `colour`. False when there is no picture for it.
bool DrawGlyphPicture(HDC dc, wchar_t glyph, const RECT& place, COLORREF colour);
// Copies the whole bitmap to (0, 0) of the context.
[[nodiscard]] Status DrawBitmapAt00(HDC dc, HBITMAP bitmap);

}  // namespace quorvel
