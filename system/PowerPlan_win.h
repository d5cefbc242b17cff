// Switching Windows to a video-friendly power plan while the saver runs and
// back at exit, through POWERCFG run from batch files in the temp folder.
#pragma once
#include "base/AppState_win.h"
#include "system/PowerPlan.h"

namespace quorvel {

// This run's power plans: the one active when the display started and the
// one chosen to run under (empty when the Windows version has none), and
// whether the start made the chosen one active: the exit restores exactly
// then, whatever the settings say by that time.
struct PowerPlanState {
    wchar_t startingPlanId[100];
    wchar_t startingPlanName[150];
    wchar_t chosenPlanId[100];
    wchar_t chosenPlanName[150];
    bool planSwitched;
};
extern PowerPlanState gPowerPlan;

// Chooses the plan, puts back a plan an earlier run of this role left
// switched, captures the active one and switches when needed. What Windows
// refuses (a plan it lacks, a switch a policy forbids, POWERCFG's answer)
// costs only the switch: a row in the error log, and the start goes on
// with the user's plan. A settings write the file refuses is returned.
[[nodiscard]] Status StartPowerPlan();
// Writes and runs "GetPowPl.bat" and reads "ActivePowerPlan.txt" into the
// starting plan and `captured` (with every plan Windows listed).
[[nodiscard]] Status CapturePowerPlan(CapturedPlan* captured);
// Runs "SetActPlan.bat" for the starting plan (restore) or the chosen one.
[[nodiscard]] Status SetActivePowerPlan(bool restore);
// At exit: restores the starting plan when the start switched it, and lets
// its record go (a refused write is returned). A restore Windows refuses
// leaves *restored false and the record in place.
[[nodiscard]] Status RestorePowerPlan(bool* restored);

}  // namespace quorvel
