// Sleep as each kind of PC has it, and never hibernation.
#include <gtest/gtest.h>

#include "system/SleepChoice.h"

using namespace quorvel;

TEST(SleepChoice, EachKindOfPcGetsTheSleepItHas) {
    const struct {
        const char* name;
        PowerCapabilities capabilities;
        SleepAction action;
    } cases[] = {
        {"S3", {.systemS3 = true}, SleepAction::Suspend},
        {"S3, hibernation on", {.systemS3 = true, .hibernation = true}, SleepAction::Suspend},
        {"S1 only, as Wine reports", {.systemS1 = true, .hibernation = true}, SleepAction::Suspend},
        {"S2 only", {.systemS2 = true}, SleepAction::Suspend},
        {"Modern Standby, hibernation on", {.hibernation = true, .aoAc = true}, SleepAction::DisplaysOff},
        {"Modern Standby, hibernation off", {.aoAc = true}, SleepAction::DisplaysOff},
        {"Modern Standby, S3 listed too", {.systemS3 = true, .aoAc = true}, SleepAction::DisplaysOff},
        {"neither, hibernation on", {.hibernation = true}, SleepAction::NoSleep},
        {"neither", {}, SleepAction::NoSleep},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ChooseSleep(c.capabilities), c.action);
    }
}
