// The boxes that tell the user something or ask a question. They live
// here, above every folder that does the work: a lower folder returns what
// happened and the panel or the start-up decides what the user sees.
#pragma once
#include "base/AppState_win.h"

namespace quorvel {

// A task-modal box of the program's caption (or `caption`), with the arrow
// cursor while it shows; the answer is the button pressed.
int ShowNotice(const wchar_t* text, UINT style, const wchar_t* caption = nullptr);
// The same for string textId of the table, with OK.
void ShowNotice(unsigned textId, const wchar_t* caption = nullptr);
// A task-modal question owned by the program's owner window, captioned with
// the program's name.
int AskOwner(const wchar_t* text, UINT style);

}  // namespace quorvel
