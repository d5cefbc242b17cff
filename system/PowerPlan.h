// The power plan the screen saver runs under: which plan suits the Windows
// version, reading POWERCFG's answer, and the batch-file lines that ask it
// to switch. Platform-neutral; the Windows side writes and runs the files.
#pragma once
#include <string>
#include <string_view>

#include "base/WindowsVersion.h"

namespace quorvel {

struct PlanChoice {
    std::u16string id;  // empty when the version has no plan of its own
    std::u16string name;
};

PlanChoice ChoosePlan(WindowsVersion version);

struct CapturedPlan {
    bool valid = false;
    std::u16string id;
    std::u16string name;  // each word followed by one space
};

// Reads "POWERCFG -GETACTIVESCHEME" output. The plan id is the first word
// shaped like a GUID (in English output it is the fourth word; localised
// output may differ), and every later word is part of the name. Output
// without such a word is not a capture: the plan is then left alone, since
// the id ends up in a batch file that is run.
CapturedPlan ParseActiveScheme(std::u16string_view output);

bool IsGuidShaped(std::u16string_view word);

// Switch at start and restore at exit only when the plans differ (ignoring
// case) and the user did not ask to keep the default plan.
bool PlanSwitchNeeded(const std::u16string& startingId, const std::u16string& chosenId, bool useDefaultPlan);

// The one line of "GetPowPl.bat" and of "SetActPlan.bat".
std::u16string CaptureCommand(const std::u16string& outputPath);
std::u16string SetActiveCommand(const std::u16string& planId);

}  // namespace quorvel
