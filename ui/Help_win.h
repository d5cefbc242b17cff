// Help entries: each runs a batch file from the per-user folder.
#pragma once
#include "base/AppState_win.h"

namespace quorvel {

// Runs userFolder\file and waits for it. A file already run in this process
// (its helpOpened flag set) asks first whether its window was closed, in a
// box of questionStyle.
[[nodiscard]] Status RunHelp(const wchar_t* file, HelpFile flag, UINT questionStyle = MB_YESNO | MB_ICONQUESTION);

}  // namespace quorvel
