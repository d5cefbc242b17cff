// The Matting boards panel: the boards of the boards folder as thumbnails,
// the board of each album chosen with a click, and more boards imported.
#pragma once
#include <windows.h>

#include "base/ErrorCodes.h"

namespace quorvel {

// At most this many boards are listed, besides the albums' own boards.
constexpr int kListedBoards = 100;
// A board's shorter side must have at least this many pixels: the frame
// cuts its 100-pixel tile from it.
constexpr int kSmallestBoardSide = 100;

// Opens the panel (again after an import or a DPI or display change).
[[nodiscard]] Status OpenMattingsPanel(HWND owner);

// 0 when the file decodes and its shorter side is at least
// kSmallestBoardSide; kErrMattingTooSmall when it is smaller, the decoder's code when it
// does not decode. Both the click and the import ask this first.
[[nodiscard]] Status CheckBoardFile(const wchar_t* path);

}  // namespace quorvel
