// The About dialog: logo, version and acknowledgements, and the maintenance
// commands (copy a log file, terms, cleanup, repair, help).
#pragma once
#include "base/AppState_win.h"

namespace quorvel {

[[nodiscard]] Status OpenAbout(HWND owner);

// Copies a file the user chooses to a place the user chooses, through an
// open and a save dialog centred on the screen. Cancelling does nothing.
[[nodiscard]] Status CopyLogFile(HWND owner);

// The cleanup as About's button runs it: a failure is shown, then what the
// cleanup has to tell (it refused, or files stayed) in a box of its own.
void CleanupAndTell();

}  // namespace quorvel
