// The power plan the screen saver runs under: which plan suits the Windows
// version, reading POWERCFG's answer, and the batch-file lines that ask it
// to switch. Platform-neutral; the Windows side writes and runs the files.
#pragma once
#include <string>
#include <string_view>
#include <vector>

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
    std::u16string name;                 // each word followed by one space
    std::vector<std::u16string> listed;  // the ids of every plan Windows has
};

// Reads what "GetPowPl.bat" writes: the answer of "POWERCFG -GETACTIVESCHEME"
// and then that of "POWERCFG -LIST". The first line that is not blank is
// the active plan: its id is the first word shaped like a GUID (in English
// output it is the fourth word; localised output may differ), and every
// later word on that line is part of the name. Each later line that holds a
// GUID-shaped word lists a plan. A first line without such a word is not a
// capture: the plan is then left alone, since the id ends up in a batch
// file that is run.
CapturedPlan ParseActiveScheme(std::u16string_view output);

bool IsGuidShaped(std::u16string_view word);

// Whether Windows listed the plan `id` (ignoring case): POWERCFG switches
// only to a plan that exists.
bool PlanListed(const CapturedPlan& plan, std::u16string_view id);

// Switch at start and restore at exit only when the plans differ (ignoring
// case) and the user did not ask to keep the default plan.
bool PlanSwitchNeeded(const std::u16string& startingId, const std::u16string& chosenId, bool useDefaultPlan);

// The one line of "GetPowPl.bat" and of "SetActPlan.bat", as the bytes
// written. cmd reads a batch file in the console's code page and reads
// % & ( ) ^ in it as its own, so no line names a folder: the capture
// writes to its standard output, which the program sends to
// "ActivePowerPlan.txt", and each line is plain ASCII, the same in every
// code page. An id that is not GUID-shaped gives no line.
std::string CaptureCommand();
std::string SetActiveCommand(std::u16string_view planId);

}  // namespace quorvel
