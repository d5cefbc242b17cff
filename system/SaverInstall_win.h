// Quorvel as Windows' screen saver and desktop theme, the saver's wait and
// the logon screen on resume: written where Windows keeps them and told to
// the running session, so that Windows' own settings show them at once.
// What the user had before is kept in the program's registry record and
// given back when Quorvel is unticked.
#pragma once
#include "base/AppState_win.h"

namespace quorvel {

// Makes the installed "Quorvel.scr" the active screen saver; never names a
// file that is not there (10038).
[[nodiscard]] Status InstallScreenSaver();
// Puts back the saver the user had, with screen saving on or off as it was;
// "(None)" when nothing was kept.
[[nodiscard]] Status UninstallScreenSaver();
[[nodiscard]] Status SetSaverWait(int minutes);
[[nodiscard]] Status SetLockOnResume(bool lock);

// themeFolder's "Quorvel.theme" as the current theme: unpacked from the
// theme package when it is not there yet, given the saver in its [Boot]
// section, and applied by opening it.
[[nodiscard]] Status InstallTheme();
// Puts back the theme the user had; Windows shows it from then on.
[[nodiscard]] Status UninstallTheme();
// Whether the current theme is Quorvel's. A profile without the value, or
// with one too long to be ours, has another theme: no error.
[[nodiscard]] Status IsCurrentTheme(bool* current);

}  // namespace quorvel
