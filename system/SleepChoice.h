// What the Home dialog's Sleep does on this PC, from the power capabilities
// Windows reports (SYSTEM_POWER_CAPABILITIES). SetSuspendState reaches only
// the sleep states S1 to S3. A Modern Standby PC (AoAc) has none of them: it
// sleeps in the working state once its displays are off, as its power
// button does it, and SetSuspendState there hibernates (hibernation on) or
// does nothing. Platform-neutral.
#pragma once

namespace quorvel {

struct PowerCapabilities {
    bool systemS1 = false;
    bool systemS2 = false;
    bool systemS3 = false;
    bool hibernation = false;  // S4 with the hibernation file present
    bool aoAc = false;         // Modern Standby
};

enum class SleepAction {
    Suspend,      // SetSuspendState, sleep rather than hibernation
    DisplaysOff,  // the displays off, and Modern Standby after them
    NoSleep,      // nothing to offer: the user is told so
};

// Never hibernation: the user asked for sleep.
SleepAction ChooseSleep(const PowerCapabilities& capabilities);

}  // namespace quorvel
