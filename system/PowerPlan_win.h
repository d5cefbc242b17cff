// Switching Windows to a video-friendly power plan while the saver runs and
// back at exit, through POWERCFG run from batch files in the temp folder.
#pragma once
#include "base/AppState_win.h"

namespace quorvel {

// Chooses the plan, puts back a plan an earlier run of this role left
// switched, captures the active one and switches when needed.
[[nodiscard]] Status StartPowerPlan();
// Writes and runs "GetPowPl.bat" and reads "ActivePowerPlan.txt".
[[nodiscard]] Status CapturePowerPlan();
// Runs "SetActPlan.bat" for the starting plan (restore) or the chosen one.
[[nodiscard]] Status SetActivePowerPlan(bool restore);
// At exit: restores the starting plan when the start switched it; a
// failure only shows its box.
void RestorePowerPlan();

}  // namespace quorvel
