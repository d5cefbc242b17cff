#include "system/PowerPlan.h"

#include <gtest/gtest.h>

using namespace quorvel;

TEST(ChoosePlan, ByWindowsVersion) {
    EXPECT_EQ(ChoosePlan(WindowsVersion::Win7).id, u"2206ad87-69c6-44d5-bc1b-ef50f97bfa60");
    EXPECT_EQ(ChoosePlan(WindowsVersion::Win81).name, u"(Video Player)");
    EXPECT_EQ(ChoosePlan(WindowsVersion::Win8).id, ChoosePlan(WindowsVersion::Win81).id);
    EXPECT_EQ(ChoosePlan(WindowsVersion::Win10).name, u"(High performance)");
    EXPECT_TRUE(ChoosePlan(WindowsVersion::Vista).id.empty());
}

TEST(ParseActiveScheme, EnglishOutputGivesIdAndNameWithTrailingSpaces) {
    const CapturedPlan p =
        ParseActiveScheme(u"Power Scheme GUID: 381b4222-f694-41f0-9685-ff5bb260df2e  (Balanced Plus)\r\n");
    ASSERT_TRUE(p.valid);
    EXPECT_EQ(p.id, u"381b4222-f694-41f0-9685-ff5bb260df2e");
    EXPECT_EQ(p.name, u"(Balanced Plus) ");
}

TEST(ParseActiveScheme, LocalisedOutputFindsTheGuidWhereverItStands) {
    const CapturedPlan p = ParseActiveScheme(
        u"GUID du mode de gestion de l'alimentation : "
        u"8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C  (Performances \u00e9lev\u00e9es)");
    ASSERT_TRUE(p.valid);
    EXPECT_EQ(p.id, u"8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C");
    EXPECT_EQ(p.name, u"(Performances \u00e9lev\u00e9es) ");
}

// What "GetPowPl.bat" leaves: the active plan, then POWERCFG's list.
TEST(ParseActiveScheme, TheListAfterTheActivePlanNamesThePlansWindowsHas) {
    const CapturedPlan p = ParseActiveScheme(
        u"Power Scheme GUID: 381b4222-f694-41f0-9685-ff5bb260df2e  (Balanced)\r\n"
        u"\r\nExisting Power Schemes (* Active)\r\n-----------------------------------\r\n"
        u"Power Scheme GUID: 381b4222-f694-41f0-9685-ff5bb260df2e  (Balanced) *\r\n"
        u"Power Scheme GUID: a1841308-3541-4fab-bc81-f71556f20b4a  (Power saver)\r\n");
    ASSERT_TRUE(p.valid);
    EXPECT_EQ(p.id, u"381b4222-f694-41f0-9685-ff5bb260df2e");
    EXPECT_EQ(p.name, u"(Balanced) ");
    EXPECT_TRUE(PlanListed(p, u"A1841308-3541-4FAB-BC81-F71556F20B4A"));
    EXPECT_FALSE(PlanListed(p, ChoosePlan(WindowsVersion::Win10).id));
}

TEST(ParseActiveScheme, MalformedOutputIsNoCapture) {
    for (const char16_t* text : {u"", u"Power Scheme GUID: & del C:\\x (Evil)",
                                 u"Power Scheme GUID: & del C:\\x (Evil)\r\n"
                                 u"Power Scheme GUID: 381b4222-f694-41f0-9685-ff5bb260df2e  (Balanced) *",
                                 u"Power Scheme GUID: 381b4222-f694-41f0-9685-ff5bb260df2e&calc",
                                 u"Power Scheme GUID: 381b4222f69441f09685ff5bb260df2e0000 (x)"}) {
        EXPECT_FALSE(ParseActiveScheme(text).valid);
    }
}

TEST(PlanSwitchNeeded, OnlyForADifferentPlanWithoutTheDefaultChoice) {
    const std::u16string high = u"8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c";
    EXPECT_FALSE(PlanSwitchNeeded(u"8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C", high, false));
    EXPECT_TRUE(PlanSwitchNeeded(u"381b4222-f694-41f0-9685-ff5bb260df2e", high, false));
    EXPECT_FALSE(PlanSwitchNeeded(u"381b4222-f694-41f0-9685-ff5bb260df2e", high, true));
    EXPECT_FALSE(PlanSwitchNeeded(u"", high, false));
    EXPECT_FALSE(PlanSwitchNeeded(u"381b4222-f694-41f0-9685-ff5bb260df2e", u"", false));
}

// cmd reads a batch file in the console's code page and takes % & ( ) ^
// as its own: the lines are plain ASCII and name no folder, whatever the
// profile is called (the capture writes to its standard output).
TEST(BatchLines, ExactBytesWithoutAFolder) {
    EXPECT_EQ(CaptureCommand(), "@POWERCFG -GETACTIVESCHEME && POWERCFG -LIST");
    EXPECT_EQ(SetActiveCommand(u"8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c"),
              "POWERCFG -SETACTIVE 8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c");
    EXPECT_EQ(SetActiveCommand(u"8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c & del x"), "");
}
