// Group boxes on the panels' dark background: their captions in the text
// colour, and the gap a group hidden in configure mode leaves closed.
#pragma once
#include <windows.h>

#include <span>

namespace quorvel {

// A themed group box ignores the colours of WM_CTLCOLORSTATIC; without its
// theme it takes them like the other texts.
void UnthemeControl(HWND dialog, int controlId);
// Themes, and Wine's own drawing, keep a group box's caption black whatever
// WM_CTLCOLORSTATIC says, which cannot be read on the dark background: a
// group box given here is drawn by the panel, its caption in the text
// colour. Other controls are left as they are.
void PaintGroupBoxInTextColour(HWND control);
// Configure mode hides a group of controls: `moved` (a group box first, then
// what it holds) moves up into the place of the hidden group box, and the
// dialog loses the height no shown control needs any more, keeping the
// bottom margin it had below `moved`, and is centred again. Call it from
// the set-up, after the hiding.
void CloseHiddenGap(HWND dialog, int hiddenGroup, std::span<const int> moved);

}  // namespace quorvel
