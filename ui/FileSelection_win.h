// The panels' multiple-selection file-open dialog: the user's Pictures
// folder first, centred above the taskbar, its result read into a
// FileSelection.
#pragma once
#include <windows.h>

#include "base/ErrorCodes.h"
#include "ui/FileSelection.h"

namespace quorvel {

// Opens the dialog titled and filtered by the two string-table texts.
// *chosen is false after Cancel; a failure of the dialog itself (a result
// too long for its buffer among them) is kErrWindowsApi with the dialog's own code.
[[nodiscard]] Status AskForFiles(HWND owner, unsigned titleId, unsigned filterId, FileSelection* selection,
                                 bool* chosen);

}  // namespace quorvel
