// Unticking Quorvel as the screen saver gives back exactly what Windows had
// when it was ticked.
#include <gtest/gtest.h>

#include "system/SaverChoice.h"

using namespace quorvel;

namespace {

std::string Describe(const SaverState& s) {
    return (s.path ? "saver " + std::string(s.path->begin(), s.path->end()) : "no value") +
           (s.active ? ", on" : ", off");
}

}  // namespace

TEST(SaverChoice, UntickingGivesBackWhatWindowsHadBeforeTheTick) {
    const std::u16string other = u"C:\\Windows\\system32\\Mystify.scr";
    const struct {
        const char* name;
        SaverState before, restored;
    } cases[] = {
        {"(None)", {std::nullopt, false}, {std::nullopt, false}},
        {"no saver, screen saving on", {std::nullopt, true}, {std::nullopt, false}},
        {"an empty value", {u"", true}, {std::nullopt, false}},
        {"a saver, on", {other, true}, {other, true}},
        {"a saver, off", {other, false}, {other, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SaverRecord kept = RecordOfSaver(c.before);
        EXPECT_EQ(Describe(SaverToRestore(kept.path, kept.active)), Describe(c.restored));
    }
    // No record, or one kept before the on/off text was.
    EXPECT_EQ(Describe(SaverToRestore(std::nullopt, std::nullopt)), "no value, off");
    EXPECT_EQ(Describe(SaverToRestore(other, std::nullopt)), Describe({other, true}));
}
