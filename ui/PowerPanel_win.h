// The Power panel: Quorvel as Windows' screen saver (alone or with its
// theme), the saver's wait and the logon screen on resume, and the power
// plan while Quorvel runs.
#pragma once
#include "base/AppState_win.h"

namespace quorvel {

[[nodiscard]] Status OpenPowerPanel(HWND owner);

}  // namespace quorvel
