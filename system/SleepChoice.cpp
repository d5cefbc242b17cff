#include "system/SleepChoice.h"

namespace quorvel {

SleepAction ChooseSleep(const PowerCapabilities& capabilities) {
    // Modern Standby first: such a PC may still list an S-state its firmware
    // has, but Windows does not use it.
    if (capabilities.aoAc) return SleepAction::DisplaysOff;
    if (capabilities.systemS1 || capabilities.systemS2 || capabilities.systemS3) return SleepAction::Suspend;
    return SleepAction::NoSleep;
}

}  // namespace quorvel
