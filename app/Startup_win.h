// Start-up, the message loop and shutdown of the one executable that serves
// as program (.exe), screen saver (.scr) and cleanup run (/d).
#pragma once
#include "base/AppState_win.h"

namespace quorvel {

// The program entry: reads the command line, chooses the role, initialises,
// runs the loop and shuts down. Returns only for a command-line fault.
int RunProgram(HINSTANCE instance);

[[nodiscard]] Status StartupSequence(HWND owner, int quick);
// Releases everything and ends the process with exit code 0.
[[noreturn]] void Shutdown();

}  // namespace quorvel
