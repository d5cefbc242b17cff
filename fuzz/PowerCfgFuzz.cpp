// POWERCFG's answer comes in the system's language and code page; the plan
// id read from it ends up in a batch file that is run, so nothing but a
// GUID-shaped word may ever be taken as the id.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz/FuzzInput.h"
#include "system/PowerPlan.h"

using namespace quorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const std::u16string output = input.RestAsText();
    const CapturedPlan plan = ParseActiveScheme(output);
    if (!plan.valid) return 0;
    if (!IsGuidShaped(plan.id)) std::abort();
    for (const std::u16string& listed : plan.listed)
        if (!IsGuidShaped(listed)) std::abort();
    (void)SetActiveCommand(plan.id);
    (void)PlanSwitchNeeded(plan.id, u"8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c", false);
    return 0;
}
