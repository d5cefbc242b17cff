// The Phrases panel: the phrase of each album, the screen saver's phrase and
// the phrase font, with a preview of the album's top band.
#pragma once
#include <windows.h>

#include "base/ErrorCodes.h"

namespace quorvel {

// Opens the panel (again after a DPI or display change). kErrInvalidArgument without the
// process records.
[[nodiscard]] Status OpenPhrasesPanel(HWND owner);

// What the font dialog's OK makes of its choice: the phrase font (its height
// by the album frame's own rule for the chosen points, so the phrase keeps
// its size after a restart), the point size and the album's colour, pure
// black kept as a colour the settings do not take for "none". `pointTenths`
// is the dialog's size in tenths of a point, kept as the nearest whole point
// the dialog offers.
[[nodiscard]] Status ApplyChosenFont(int album, const LOGFONTW& chosen, int pointTenths, COLORREF colour);

}  // namespace quorvel
