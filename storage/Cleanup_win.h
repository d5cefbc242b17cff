// Cleanup and repair: returns the user's data to the installed state. Runs
// at once in the "/d" cleanup mode, and from the About dialog's Cleanup
// button after the user agreed.
#pragma once
#include <string>

#include "base/AppState_win.h"

namespace quorvel {

// Deletes imported albums, bitmap caches, imported boards and stray files
// of the per-user folder, keeps what the installation put there, and writes
// the default settings back. Deletion failures are counted and summarised,
// never fatal. *notice is what the user is to be told: that nothing was
// cleaned and why, or how much could not be deleted; empty when all went.
[[nodiscard]] Status CleanupRepair(std::wstring* notice);

}  // namespace quorvel
