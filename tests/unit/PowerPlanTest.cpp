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

// What "GetPowPl.bat" leaves: POWERCFG's active plan, then its list. Each
// row is one answer; a capture that is not valid leaves the plan alone.
TEST(ParseActiveScheme, ReadsEachAnswerOfPowercfg) {
    const struct {
        const char* what;
        const char16_t* output;
        bool valid;
        const char16_t* id;
        const char16_t* name;       // each word followed by one space
        const char16_t* listed;     // a plan the list names, in another case
        const char16_t* notListed;  // a plan it does not
    } cases[] = {
        {"English, a name with trailing spaces",
         u"Power Scheme GUID: 381b4222-f694-41f0-9685-ff5bb260df2e  (Balanced Plus)\r\n", true,
         u"381b4222-f694-41f0-9685-ff5bb260df2e", u"(Balanced Plus) ", nullptr, nullptr},
        {"localised: the GUID wherever it stands",
         u"GUID du mode de gestion de l'alimentation : "
         u"8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C  (Performances \u00e9lev\u00e9es)",
         true, u"8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C", u"(Performances \u00e9lev\u00e9es) ", nullptr, nullptr},
        {"the list after the active plan names the plans Windows has",
         u"Power Scheme GUID: 381b4222-f694-41f0-9685-ff5bb260df2e  (Balanced)\r\n"
         u"\r\nExisting Power Schemes (* Active)\r\n-----------------------------------\r\n"
         u"Power Scheme GUID: 381b4222-f694-41f0-9685-ff5bb260df2e  (Balanced) *\r\n"
         u"Power Scheme GUID: a1841308-3541-4fab-bc81-f71556f20b4a  (Power saver)\r\n",
         true, u"381b4222-f694-41f0-9685-ff5bb260df2e", u"(Balanced) ", u"A1841308-3541-4FAB-BC81-F71556F20B4A",
         u"8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c"},
        {"nothing", u"", false, u"", u"", nullptr, nullptr},
        {"no GUID", u"Power Scheme GUID: & del C:\\x (Evil)", false, u"", u"", nullptr, nullptr},
        {"a GUID only on a later line",
         u"Power Scheme GUID: & del C:\\x (Evil)\r\n"
         u"Power Scheme GUID: 381b4222-f694-41f0-9685-ff5bb260df2e  (Balanced) *",
         false, u"", u"", nullptr, nullptr},
        {"a GUID run into a command", u"Power Scheme GUID: 381b4222-f694-41f0-9685-ff5bb260df2e&calc", false, u"", u"",
         nullptr, nullptr},
        {"hex without the dashes", u"Power Scheme GUID: 381b4222f69441f09685ff5bb260df2e0000 (x)", false, u"", u"",
         nullptr, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const CapturedPlan p = ParseActiveScheme(c.output);
        EXPECT_EQ(p.valid, c.valid);
        if (!c.valid) continue;
        EXPECT_EQ(p.id, c.id);
        EXPECT_EQ(p.name, c.name);
        if (c.listed) {
            EXPECT_TRUE(PlanListed(p, c.listed));
        }
        if (c.notListed) {
            EXPECT_FALSE(PlanListed(p, c.notListed));
        }
    }
}

TEST(PlanSwitchNeeded, OnlyForADifferentPlanWithoutTheDefaultChoice) {
    const std::u16string high = u"8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c";
    const std::u16string balanced = u"381b4222-f694-41f0-9685-ff5bb260df2e";
    const struct {
        const char* what;
        std::u16string starting, chosen;
        bool useDefaultPlan, needed;
    } cases[] = {
        {"the same plan in capitals", u"8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C", high, false, false},
        {"a different plan", balanced, high, false, true},
        {"a different plan, the user keeps the default", balanced, high, true, false},
        {"no plan captured", u"", high, false, false},
        {"no plan for this Windows", balanced, u"", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(PlanSwitchNeeded(c.starting, c.chosen, c.useDefaultPlan), c.needed);
    }
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
