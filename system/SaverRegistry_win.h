// The screen-saver values of the current user's "Control Panel\Desktop"
// key, where Windows keeps its own screen-saver settings.
#pragma once
#include "base/AppState_win.h"

namespace quorvel {

constexpr int kDesktopValueBytes = 512;

// Reads a text value into buffer (kDesktopValueBytes bytes). kErrRegistryMissing when the
// value does not exist, kErrRegistryBuffer when it does not fit, kErrReadRegistry otherwise.
[[nodiscard]] Status ReadDesktopValue(const wchar_t* name, wchar_t* buffer);

// Writes a text value (REG_SZ): kErrOpenRegistry when the key cannot be opened, kErrWriteRegistry
// when the value cannot be written.
[[nodiscard]] Status WriteDesktopValue(const wchar_t* name, const wchar_t* text);

// Removes a value; one that is not there is no error. kErrOpenRegistry when the key
// cannot be opened, kErrWriteRegistry when the value cannot be removed.
[[nodiscard]] Status DeleteDesktopValue(const wchar_t* name);

// The program's screen saver: "Quorvel.scr" in installFolder.
[[nodiscard]] Status ScreenSaverPath(wchar_t (&path)[kPathChars]);

// Two paths of one file, whatever mix of long and short (8.3) names each
// uses, compared without regard to case.
bool SamePath(const wchar_t* a, const wchar_t* b);

// Whether "SCRNSAVE.EXE" names this program's screen saver, in its long or
// short form. A missing value means no, without error.
[[nodiscard]] Status IsCurrentScreenSaver(bool* current);

}  // namespace quorvel
