// Quorvel as Windows' screen saver and desktop theme, the saver's wait and
// the logon screen on resume: written where Windows keeps them and told to
// the running session, so that Windows' own settings show them at once.
// What the user had before is kept in the program's registry record and
// given back when Quorvel is unticked.
#pragma once
#include "base/AppState_win.h"

namespace quorvel {

// Makes the installed "Quorvel.scr" the active screen saver; never names a
// file that is not there (kErrFileMissing).
[[nodiscard]] Status InstallScreenSaver();
// Puts back the saver the user had, with screen saving on or off as it was;
// "(None)" when nothing was kept.
[[nodiscard]] Status UninstallScreenSaver();
[[nodiscard]] Status SetSaverWait(int minutes);
[[nodiscard]] Status SetLockOnResume(bool lock);

// Quorvel's theme: "Quorvel.theme" and its picture written into
// themeFolder, the theme naming the picture and the saver, and opened once
// with the shell, which has Windows apply it. The user's theme and picture
// are kept first. Nothing waits for Windows.
[[nodiscard]] Status InstallTheme();
// Opens the user's theme again, so that Windows applies it; when its file
// is gone, puts the user's picture back on the desktop instead.
[[nodiscard]] Status UninstallTheme();
// Whether the current theme is Quorvel's (IsQuorvelTheme). A profile
// without the value, or with one too long to be ours, has another theme:
// no error.
[[nodiscard]] Status IsCurrentTheme(bool* current);

}  // namespace quorvel
