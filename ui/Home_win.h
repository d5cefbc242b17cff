// The Home dialog: the album and screen-saver phrases, the buttons that
// lead to the panels, Lock, Sleep, help and About.
#pragma once
#include "base/AppState_win.h"

namespace quorvel {

// A panel the Home dialog leads to; returns a code. Entries stay empty
// until their panel exists, and an empty entry opens nothing.
using PanelRunner = Status (*)(HWND owner);
extern const PanelRunner gPanelRunners[kPanelCount];

// Opens the Home dialog (again after a DPI or display change) and, in the
// regular program, then runs the panel it asked for.
[[nodiscard]] Status OpenHome(HWND owner);
// After the Home dialog closed: the requested panel, the settings write and
// the albums' restart (or their rebuild when a panel changed them).
[[nodiscard]] Status RunRequestedPanel(HWND owner);

}  // namespace quorvel
