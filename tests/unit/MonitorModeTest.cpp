// The monitor walk sizes each monitor by the mode it shows now; the mode
// saved for the next logon counts only when the current one cannot be read.
#include <gtest/gtest.h>

#include "display/MonitorMapping.h"

using namespace quorvel;

namespace {

std::string Describe(const std::optional<DisplayMode>& m) {
    if (!m) return "none";
    return std::to_string(m->width) + "x" + std::to_string(m->height) + " at " + std::to_string(m->x);
}

}  // namespace

TEST(MonitorMode, TheCurrentModeWinsOverTheSavedOne) {
    const DisplayMode now{0, 0, 1280, 800}, saved{-1920, 0, 3840, 2160};
    EXPECT_EQ(Describe(ShownMode(now, saved)), Describe(now));
    EXPECT_EQ(Describe(ShownMode(std::nullopt, saved)), Describe(saved));
    EXPECT_EQ(Describe(ShownMode(DisplayMode{}, saved)), Describe(saved));
    EXPECT_EQ(Describe(ShownMode(std::nullopt, std::nullopt)), "none");
}
