// The session commands of the Home dialog: run the screen saver and then
// lock the workstation, and put the machine to sleep.
#pragma once
#include "base/AppState_win.h"

namespace quorvel {

// Writes the lock batch file into tempFolder (locking after the saver only
// when the desktop asks for the logon on resume) and runs it.
[[nodiscard]] Status LockWithSaver();
// Suspends the machine; returns the button of a failure notice, else 0.
int SleepNow();

}  // namespace quorvel
