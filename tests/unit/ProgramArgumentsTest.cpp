// The role and switches come from the program's own path and what follows
// it, however the starter wrote that path on the command line.
#include <gtest/gtest.h>

#include "app/CommandLine.h"

using namespace quorvel;

TEST(ProgramArguments, TheModulePathStandsFirstAndTheSwitchesFollowIt) {
    const std::u16string saver = u"C:\\Program Files (x86)\\Fenwold Quorvel\\Quorvel.scr";
    using Args = std::vector<std::u16string>;
    const struct {
        const char* name;
        Args written;
        std::u16string module;
        Args read;
    } cases[] = {
        {"quoted", {saver, u"/s"}, saver, {saver, u"/s"}},
        {"short", {u"C:\\PROGRA~2\\FENWOL~1\\QUORVE~1.SCR", u"/s"}, saver, {saver, u"/s"}},
        {"unquoted",
         {u"C:\\Program", u"Files", u"(x86)\\Fenwold", u"Quorvel\\quorvel.scr", u"/p", u"9"},
         saver,
         {saver, u"/p", u"9"}},
        {"a bare name", {u"Quorvel", u"/c:42"}, saver, {saver, u"/c:42"}},
        {"nothing", {}, saver, {saver}},
        {"module unknown", {u"Quorvel.exe", u"/d"}, u"", {u"Quorvel.exe", u"/d"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ProgramArguments(c.written, c.module), c.read);
    }
}
