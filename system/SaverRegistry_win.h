// The screen-saver values of the current user's "Control Panel\Desktop"
// key, where Windows keeps its own screen-saver settings.
#pragma once
#include "base/AppState_win.h"

namespace quorvel {

constexpr int kDesktopValueBytes = 512;

// Reads a text value into buffer (kDesktopValueBytes bytes). 10075 when the
// value does not exist, 10074 when it does not fit, 10048 otherwise.
[[nodiscard]] Status ReadDesktopValue(const wchar_t* name, wchar_t* buffer);

// Whether "SCRNSAVE.EXE" names this program's screen saver, in its long or
// short form. A missing value means no, without error.
[[nodiscard]] Status IsCurrentScreenSaver(bool* current);

}  // namespace quorvel
