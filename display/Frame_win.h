// The frame round an album's viewport: the matting tile cut from the album's
// matting board, the phrase font, the album's view record, and drawing one
// frame (tiled bands, viewport, phrase) into the view's memory bitmap.
#pragma once
#include <windows.h>

#include "base/ErrorCodes.h"
#include "display/DisplayState_win.h"

namespace quorvel {

// A zeroed view record (constructed in a locked global block); nullptr when
// the memory cannot be had. FreeAlbumView releases the memory device context
// and bitmap the view holds, then the record; it leaves the window alone.
AlbumView* AllocateAlbumView();
void FreeAlbumView(AlbumView*& view);

// 100 pixels, 20 in the small preview.
std::int32_t MattingBandWidth();

// The header of a 24-bit top-down DIB of width x height pixels, whose rows
// are padded to whole 32-bit words.
void FillTopDownHeader(BITMAPINFOHEADER& header, std::int32_t width, std::int32_t height);

// Makes the album's view (text colour and phrase from the settings) and, for
// album 0, the phrase font from the font settings. kErrInvalidArgument when a process
// record is missing.
[[nodiscard]] Status PrepareAlbumView(int album);

// Creates the phrase font from DisplayState's LOGFONTW, first resetting an
// empty face name to the default description. kErrCreateFont when GDI refuses.
[[nodiscard]] Status CreatePhraseFont();

// Cuts the B x B tile from the top-left corner of the album's matting
// thumbnail. kErrInvalidArgument without a view, or for a thumbnail not above 19 pixels a
// side or smaller than the tile.
[[nodiscard]] Status BuildMattingTile(int album);

// Tiles the four bands of the view's memory bitmap. kErrBitmapDisplay when a tile is not
// drawn whole.
[[nodiscard]] Status DrawMattingTiles(int album);

// The album's phrase becomes the first `length` characters of text (at most
// 199), or empty for no text or a length of 0; the album window is repainted.
void SetAlbumPhrase(int album, const wchar_t* text, int length);

// Writes a phrase in the phrase font (the stock variable-pitch font before
// one is made) and `colour` on a transparent background. Never with prefix
// processing: a phrase is the user's text, and "Fish & Chips" keeps its
// ampersand instead of underlining the space after it.
void DrawPhraseText(HDC dc, RECT area, const wchar_t* text, COLORREF colour, UINT format);

// The album's tile repeated across the top of `dc`, from (0, 0) to `width`.
// kErrInvalidArgument without a tile; kErrBitmapDisplay when GDI draws fewer rows than the tile has.
[[nodiscard]] Status DrawTileRow(HDC dc, int album, int width);

// A 32-bit top-down DIB section of width x height and its pixels, so that
// code can write pixels straight where GDI copies them from (the frame's
// memory bitmap). nullptr when GDI refuses.
HBITMAP CreateTopDownBitmap(HDC dc, std::int32_t width, std::int32_t height, std::uint8_t** pixels);

// One frame without the pan step: on repaint the tiled bands, then the
// viewport block at (B, B), on repaint (and outside the preview) the phrase
// in the top band, and the whole memory bitmap copied to `target` at (0, 0),
// or to the album window's own device context when target is nullptr.
// It never waits: pacing the frames is the caller's (the window timer).
// Returns 0 without drawing while the view lacks a viewport or a tile;
// kErrBitmapDisplay when GDI draws fewer rows than asked; kErrInvalidArgument without a window context.
[[nodiscard]] Status DrawAlbumFrame(int album, int repaint, HDC target);

}  // namespace quorvel
