// Every Win32 test must give back what it took: the GDI objects held by the
// program's guards (Wine's GetGuiResources always answers 0, so the counted
// build keeps its own tally), the process's GDI and USER objects as Windows
// counts them, and its kernel handles. A test that ends with more than it
// started with fails, whichever test it is.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "base/Guards_win.h"
#include "tests/e2e/Driver.h"

namespace {

struct Resources {
    long guardedGdi = 0;
    DWORD gdi = 0;
    DWORD user = 0;
    std::vector<USHORT> handles;
};

Resources Now() {
    Resources r;
    r.guardedGdi = quorvel::gGuardedGdiObjects;
    r.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    r.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    r.handles = quorvel::e2e::ProcessHandles(GetCurrentProcessId());
    return r;
}

class LeakListener : public ::testing::EmptyTestEventListener {
    void OnTestIterationStart(const ::testing::UnitTest&, int iteration) override { iteration_ = iteration; }
    void OnTestStart(const ::testing::TestInfo&) override { before_ = Now(); }
    void OnTestEnd(const ::testing::TestInfo&) override {
        const Resources after = Now();
        EXPECT_LE(after.guardedGdi, before_.guardedGdi) << "GDI objects held by guards leaked";
        EXPECT_LE(after.gdi, before_.gdi) << "GDI objects leaked";
        EXPECT_LE(after.user, before_.user) << "USER objects leaked";
        std::vector<USHORT> added;
        std::set_difference(after.handles.begin(), after.handles.end(), before_.handles.begin(), before_.handles.end(),
                            std::back_inserter(added));
        std::string leaked;
        for (USHORT value : added) leaked += " " + quorvel::e2e::HandleTypeName(value);
        // The first use of a system DLL keeps handles for the life of the
        // process (registry keys of its settings, a worker thread), so
        // handles are compared once every test has run once: ctest runs
        // the tests twice.
        if (iteration_ > 0)
            EXPECT_LE(after.handles.size(), before_.handles.size()) << "kernel handles leaked:" << leaked;
    }
    Resources before_;
    int iteration_ = 0;
};

// Appended before main runs the tests, so that its failures are reported
// against the test that caused them.
const bool kRegistered = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new LeakListener);
    return true;
}();

// The listener is only as good as the counts it reads: both must see one
// object more while a test holds it.
TEST(LeakListener, CountsSeeAHeldHandleAndAGuardedBitmap) {
    const Resources before = Now();
    quorvel::KernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    quorvel::BitmapHandle bitmap(CreateBitmap(4, 4, 1, 32, nullptr));
    const Resources held = Now();
    EXPECT_EQ(held.handles.size(), before.handles.size() + 1);
    EXPECT_EQ(held.guardedGdi, before.guardedGdi + 1);
}

}  // namespace
