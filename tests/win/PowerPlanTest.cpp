// The batch files of the power plan switch, byte for byte, on real files.
#include <gtest/gtest.h>

#include <cwchar>

#include "system/PowerPlan_win.h"
#include "tests/win/TestState.h"

using namespace quorvel;
using namespace quorvel::test;

TEST(PowerPlanFiles, CaptureAndSwitchWriteOneLineWithoutALineBreak) {
    ProcessRecords records;
    wcscpy(gAppState->tempFolder, records.root.Path().c_str());
    // Wine has no POWERCFG: the capture runs, cmd ends it with its "not
    // found" code and nothing is captured, but its batch file is written
    // as on Windows.
    CapturedPlan captured;
    EXPECT_EQ(CapturePowerPlan(&captured), kErrAppFailed);
    EXPECT_EQ(ReadBytes(records.root / L"GetPowPl.bat"), "@POWERCFG -GETACTIVESCHEME && POWERCFG -LIST");
    EXPECT_STREQ(gPowerPlan.startingPlanId, L"");
    EXPECT_FALSE(captured.valid);

    // Nor can the switch run: cmd ends the batch with its "not found"
    // code, which is a failure, not a switch.
    wcscpy(gPowerPlan.chosenPlanId, L"8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c");
    EXPECT_EQ(SetActivePowerPlan(false), kErrAppFailed);
    EXPECT_EQ(ReadBytes(records.root / L"SetActPlan.bat"), "POWERCFG -SETACTIVE 8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c");
    // No starting plan was captured, so a restore has nothing to run.
    DeleteFileW((records.root / L"SetActPlan.bat").c_str());
    EXPECT_EQ(SetActivePowerPlan(true), kOk);
    EXPECT_TRUE(ReadBytes(records.root / L"SetActPlan.bat").empty());
}

// Neither a Windows version without a video plan nor a system without
// POWERCFG (Wine) has a plan to switch: no batch file, nothing to choose in
// the Power panel, nothing logged.
TEST(PowerPlanFiles, AStartWithoutAPlanOrPowercfgWritesNothing) {
    ProcessRecords records;
    wcscpy(gAppState->tempFolder, records.root.Path().c_str());
    wcscpy(gAppState->systemFolder, records.root.Path().c_str());
    for (const WindowsVersion version : {WindowsVersion::Vista, WindowsVersion::Win10}) {
        gAppState->windowsVersion = version;
        EXPECT_EQ(StartPowerPlan(), kOk);
        EXPECT_STREQ(gPowerPlan.chosenPlanId, L"");
        EXPECT_TRUE(ReadBytes(records.root / L"GetPowPl.bat").empty());
        EXPECT_TRUE(ReadBytes(records.root / L"Quorvel_ErrorsLog.csv").empty());
    }
}
