// The panels' file dialogs: centred above the taskbar, their filters from
// the string table, and the multiple-selection file-open dialog, the user's
// Pictures folder first, its result read into a FileSelection.
#pragma once
#include <windows.h>

#include <string>

#include "base/ErrorCodes.h"
#include "ui/FileSelection.h"

namespace quorvel {

// The hook of the panels' file dialogs: centres them above the taskbar.
UINT_PTR CALLBACK CentreFileDialog(HWND hook, UINT message, WPARAM wParam, LPARAM lParam);
// A file dialog's filter list from a string-table text whose pairs are
// separated by "|", as the dialog wants it: each part null-ended, and an
// empty part at the end.
std::wstring LoadFilterList(unsigned textId);

// Opens the dialog titled and filtered by the two string-table texts.
// *chosen is false after Cancel; a failure of the dialog itself (a result
// too long for its buffer among them) is 10057 with the dialog's own code.
[[nodiscard]] Status AskForFiles(HWND owner, unsigned titleId, unsigned filterId, FileSelection* selection,
                                 bool* chosen);

}  // namespace quorvel
