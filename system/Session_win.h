// The session commands of the Home dialog: run the screen saver and then
// lock the workstation, and put the machine to sleep.
#pragma once
#include "base/AppState_win.h"

namespace quorvel {

// Writes the lock batch file into tempFolder (locking after the saver only
// when the desktop asks for the logon on resume) and runs it.
[[nodiscard]] Status LockWithSaver();
// Puts the PC to sleep as it sleeps (system/SleepChoice.h): suspends it,
// turns the displays off through `window` (a window of this thread whose
// procedure leaves WM_SYSCOMMAND to DefWindowProc). *notice is the text
// the user is to be told instead (no sleep on this PC, the shutdown
// privilege refused), or 0; a capability read or suspend Windows refuses
// is returned to report.
[[nodiscard]] Status SleepNow(HWND window, unsigned* notice);

}  // namespace quorvel
