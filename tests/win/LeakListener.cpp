// Every Win32 test must give back what it took: the GDI objects held by the
// program's guards (Wine's GetGuiResources always answers 0, so the counted
// build keeps its own tally), the process's GDI and USER objects as Windows
// counts them, and its kernel handles. A test that ends with more than it
// started with fails, whichever test it is.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
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
public:
    // On the recheck every test that ends with more kernel handles fails.
    void StartRecheck() { recheck_ = true; }
    const std::string& Suspects() const { return suspects_; }

private:
    void OnTestStart(const ::testing::TestInfo&) override { before_ = Now(); }
    void OnTestEnd(const ::testing::TestInfo& test) override {
        const Resources after = Now();
        EXPECT_LE(after.guardedGdi, before_.guardedGdi) << "GDI objects held by guards leaked";
        EXPECT_LE(after.gdi, before_.gdi) << "GDI objects leaked";
        EXPECT_LE(after.user, before_.user) << "USER objects leaked";
        if (after.handles.size() <= before_.handles.size()) return;
        // The first use of a system DLL keeps handles for the life of the
        // process (registry keys of its settings, a worker thread). A test
        // that ends with more handles is run once more after all the others,
        // when every DLL has kept what it keeps: only then is it a leak.
        if (!recheck_) {
            suspects_ += std::string(suspects_.empty() ? "" : ":") + test.test_suite_name() + "." + test.name();
            return;
        }
        std::vector<USHORT> added;
        std::set_difference(after.handles.begin(), after.handles.end(), before_.handles.begin(), before_.handles.end(),
                            std::back_inserter(added));
        std::string leaked;
        for (USHORT value : added) leaked += " " + quorvel::e2e::HandleTypeName(value);
        ADD_FAILURE() << "kernel handles leaked:" << leaked;
    }

    Resources before_;
    bool recheck_ = false;
    std::string suspects_;
};

LeakListener* gListener = nullptr;

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

// Every test once, checked by the listener (appended so that its failures are
// reported against the test that caused them), then the tests that ended with
// more kernel handles once more.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    gListener = new LeakListener;
    ::testing::UnitTest::GetInstance()->listeners().Append(gListener);
    int result = RUN_ALL_TESTS();
    if (!gListener->Suspects().empty()) {
        printf("Running again, for their kernel handles: %s\n", gListener->Suspects().c_str());
        GTEST_FLAG_SET(filter, gListener->Suspects());
        gListener->StartRecheck();
        result |= RUN_ALL_TESTS();
    }
    return result;
}
