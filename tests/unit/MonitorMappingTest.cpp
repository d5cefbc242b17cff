#include "display/MonitorMapping.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace quorvel;

namespace {

AdapterInfo Screen(int x, int y, bool primary = false, unsigned w = 1920, unsigned h = 1080) {
    AdapterInfo a;
    a.attachedToDesktop = true;
    a.primary = primary;
    a.x = x;
    a.y = y;
    a.width = w;
    a.height = h;
    return a;
}

// A table as the walk fills it, with stored album fields (-1 for none).
MonitorTable Table(const std::vector<AdapterInfo>& adapters, const std::vector<int>& stored = {}) {
    MonitorTable t;
    for (int i = 0; i < kMonitorSlots; ++i) t.entries[i].album = i < int(stored.size()) ? stored[i] : -1;
    WalkAdapters(t, [&](int i) -> std::optional<AdapterInfo> {
        if (i >= int(adapters.size())) return std::nullopt;
        return adapters[i];
    });
    return t;
}

std::vector<int> Albums(const MonitorTable& t) {
    std::vector<int> out;
    for (int i = 0; i < t.count; ++i) out.push_back(t.entries[i].album);
    return out;
}

}  // namespace

TEST(WalkAdapters, StoresAtMostSixAndSkipsUnattachedOrEmptyAdapters) {
    std::vector<AdapterInfo> seven;
    for (int i = 0; i < 7; ++i) seven.push_back(Screen(i * 1920, 0, i == 0));
    MonitorTable t = Table(seven);
    EXPECT_EQ(t.count, 6);
    EXPECT_EQ(t.entries[5].rect.left, 5 * 1920);
    EXPECT_EQ(t.entries[5].rect.right, 6 * 1920 - 1);

    std::vector<AdapterInfo> gaps = {Screen(0, 0, true), Screen(1920, 0), Screen(3840, 0, false, 1920, 0),
                                     Screen(3840, 0)};
    gaps[1].attachedToDesktop = false;
    t = Table(gaps);
    EXPECT_EQ(t.count, 2);
    EXPECT_EQ(t.entries[1].rect.left, 3840);
    EXPECT_EQ(t.entries[1].deviceIndex, 3);
}

// A laptop with its lid closed: its own panel is not on the desktop, the
// external monitor after it is, and is the one monitor shown.
TEST(WalkAdapters, ALidClosedLaptopShowsItsExternalMonitor) {
    std::vector<AdapterInfo> adapters = {Screen(0, 0), Screen(0, 0, true, 2560, 1440)};
    adapters[0].attachedToDesktop = false;
    MonitorTable t;
    std::vector<std::pair<int, int>> stored;
    const int count = WalkAdapters(
        t,
        [&](int i) -> std::optional<AdapterInfo> {
            if (i >= int(adapters.size())) return std::nullopt;
            return adapters[i];
        },
        [&](int entry, int adapter) { stored.emplace_back(entry, adapter); });
    EXPECT_EQ(count, 1);
    EXPECT_EQ(t.primary, 1);
    EXPECT_EQ(t.entries[0].deviceIndex, 1);
    EXPECT_EQ(t.entries[0].rect.right, 2559);
    EXPECT_EQ(stored, (std::vector<std::pair<int, int>>{{0, 1}}));
    EXPECT_TRUE(MapAlbums(t, MappingMode::SaverOrConfigure).albumInUse[0]);
}

TEST(WalkAdapters, InclusiveRectanglesPrimaryAndUntouchedAlbums) {
    MonitorTable t = Table({Screen(-1280, 0, false, 1280, 1024), Screen(0, 0, true)}, {1, 0});
    EXPECT_EQ(t.primary, 1);
    EXPECT_EQ(t.entries[0].rect.left, -1280);
    EXPECT_EQ(t.entries[0].rect.right, -1);
    EXPECT_EQ(t.entries[0].rect.bottom, 1023);
    EXPECT_EQ(t.entries[0].album, 1);  // the walk never writes album fields
    EXPECT_EQ(t.entries[1].deviceIndex, 1);
}

TEST(MapAlbums, OneMonitorWithAStaleSecondAlbumGetsTheDefault) {
    MonitorTable t = Table({Screen(0, 0, true)}, {1});
    const MappingResult r = MapAlbums(t, MappingMode::Program);
    EXPECT_TRUE(r.onlyOneDisplay);
    EXPECT_EQ(Albums(t), (std::vector<int>{0}));
    EXPECT_TRUE(r.albumInUse[0]);
    EXPECT_FALSE(r.albumInUse[1]);
}

TEST(MapAlbums, ProgramModeTwoMonitorsLeavesThePrimaryFree) {
    MonitorTable t = Table({Screen(0, 0, true), Screen(1920, 0)});
    const MappingResult r = MapAlbums(t, MappingMode::Program);
    EXPECT_EQ(Albums(t), (std::vector<int>{-1, 0}));
    EXPECT_TRUE(r.albumInUse[0]);
    EXPECT_FALSE(r.albumInUse[1]);
}

TEST(MapAlbums, ProgramModePrimaryInTheMiddleGivesTwoGroups) {
    MonitorTable t = Table({Screen(-1920, 0), Screen(0, 0, true), Screen(1920, 0)});
    const MappingResult r = MapAlbums(t, MappingMode::Program);
    EXPECT_EQ(Albums(t), (std::vector<int>{0, -1, 1}));
    EXPECT_TRUE(r.albumInUse[1]);
}

TEST(MapAlbums, ProgramModeRowLeftOfThePrimaryJoinsOneGroup) {
    MonitorTable t = Table({Screen(0, 0, true), Screen(-1920, 0), Screen(-3840, 0), Screen(-5760, 0)});
    const MappingResult r = MapAlbums(t, MappingMode::Program);
    EXPECT_EQ(Albums(t), (std::vector<int>{-1, 0, 0, 0}));
    EXPECT_FALSE(r.albumInUse[1]);
}

TEST(MapAlbums, ProgramModeAThirdGroupKeepsItsOldValue) {
    // Two far apart screens start A and B; a third touching neither keeps -1.
    MonitorTable t = Table({Screen(0, 0, true), Screen(10000, 0), Screen(20000, 0), Screen(30000, 0)});
    MapAlbums(t, MappingMode::Program);
    EXPECT_EQ(Albums(t), (std::vector<int>{-1, 0, 1, -1}));
}

TEST(MapAlbums, SaverModeWithStoredValuesStopsAtTheSecondAlbum) {
    MonitorTable t = Table({Screen(0, 0, true), Screen(1920, 0), Screen(3840, 0)}, {0, 1, 0});
    const MappingResult r = MapAlbums(t, MappingMode::SaverOrConfigure);
    EXPECT_FALSE(r.defaultWritten);
    EXPECT_TRUE(r.albumInUse[0]);
    EXPECT_TRUE(r.albumInUse[1]);
}

TEST(MapAlbums, SaverModeDefaultShowsTheFirstAlbumEverywhere) {
    MonitorTable t = Table({Screen(0, 0, true), Screen(1920, 0)}, {-1, 5});
    const MappingResult r = MapAlbums(t, MappingMode::SaverOrConfigure);
    EXPECT_TRUE(r.defaultWritten);
    EXPECT_EQ(Albums(t), (std::vector<int>{0, 0}));
    EXPECT_FALSE(r.albumInUse[1]);
}

TEST(MapAlbums, PreviewLeavesEverythingAlone) {
    MonitorTable t = Table({Screen(0, 0, true)}, {-1});
    const MappingResult r = MapAlbums(t, MappingMode::Preview);
    EXPECT_EQ(Albums(t), (std::vector<int>{-1}));
    EXPECT_FALSE(r.albumInUse[0]);
}

TEST(Touches, ComparesEdgesOnly) {
    const MonitorRect g{0, 0, 1919, 1079};
    EXPECT_TRUE(Touches({1920, 5000, 3839, 6079}, g));  // edge matches though rows do not overlap
    EXPECT_TRUE(Touches({-1920, 0, -1, 1079}, g));
    EXPECT_TRUE(Touches({0, 1080, 1919, 2159}, g));
    EXPECT_TRUE(Touches({0, -1080, 1919, -1}, g));
    EXPECT_FALSE(Touches({1921, 0, 3840, 1079}, g));
}

TEST(AlbumAreaOf, WorkAreaOutsideTheSaverAndOneRowShort) {
    MonitorTable t = Table({Screen(0, 0, true)}, {0});
    t.entries[0].work = {0, 0, 1919, 1039};  // a 40-pixel taskbar at the bottom
    AlbumRect program, saver, none;
    ASSERT_EQ(AlbumAreaOf(t, 0, false, &program), kOk);
    EXPECT_EQ(program.width, 1920);
    EXPECT_EQ(program.height, 1039);
    ASSERT_EQ(AlbumAreaOf(t, 0, true, &saver), kOk);
    EXPECT_EQ(saver.height, 1079);
    EXPECT_EQ(saver.x, 0);
    EXPECT_EQ(AlbumAreaOf(t, 1, true, &none), kErrNoMonitorsMapped);
}

TEST(AlbumAreaOf, ATaskbarAtTheSideNarrowsTheAreaAndAnEmptyAreaIsRefused) {
    MonitorTable t = Table({Screen(0, 0, true), Screen(1920, 0)}, {0, 0});
    t.entries[0].work = {60, 0, 1919, 1079};  // the taskbar on the left of the primary only
    AlbumRect r;
    ASSERT_EQ(AlbumAreaOf(t, 0, false, &r), kOk);
    EXPECT_EQ(r.x, 60);
    EXPECT_EQ(r.width, 3840 - 60);
    EXPECT_EQ(r.height, 1079);

    MonitorTable one = Table({Screen(0, 0, true)}, {0});
    one.entries[0].work = {0, 0, 1919, 0};
    EXPECT_EQ(AlbumAreaOf(one, 0, false, &r), kErrNotPositive);
}

TEST(AlbumAreaOf, BoundingRectangleOfSeveralMonitors) {
    MonitorTable t = Table({Screen(0, 0, true), Screen(1920, 0), Screen(3840, 0, false, 1280, 1024)}, {-1, 1, 1});
    AlbumRect r;
    ASSERT_EQ(AlbumAreaOf(t, 1, true, &r), kOk);
    EXPECT_EQ(r.x, 1920);
    EXPECT_EQ(r.width, 1920 + 1280);
    EXPECT_EQ(r.height, 1079);
}

TEST(LeavesFirstAlbumDark, OnlyWhenTheSecondAlbumHasAMonitorAndTheFirstNone) {
    EXPECT_TRUE(LeavesFirstAlbumDark(Table({Screen(0, 0, true), Screen(1920, 0)}, {-1, 1})));
    EXPECT_FALSE(LeavesFirstAlbumDark(Table({Screen(0, 0, true), Screen(1920, 0)}, {0, 1})));
    EXPECT_FALSE(LeavesFirstAlbumDark(Table({Screen(0, 0, true), Screen(1920, 0)}, {-1, 0})));
    // An album-2 field past the monitor count is not shown anywhere.
    EXPECT_FALSE(LeavesFirstAlbumDark(Table({Screen(0, 0, true)}, {0, 1})));
}

TEST(WriteBackAlbums, AnyNewAssignmentCountsAsAChangeAndFollowsTheDeviceIndex) {
    MonitorTable table = Table({Screen(1920, 0, true), Screen(0, 0), Screen(3840, 0)}, {0, -1, -1});
    MonitorTable working = SortedByLeftEdge(table);
    ASSERT_EQ(working.entries[0].rect.left, 0);
    EXPECT_FALSE(WriteBackAlbums(working, table));
    EXPECT_EQ(Albums(table), (std::vector<int>{0, -1, -1}));

    working.entries[0].album = 1;  // the leftmost monitor, adapter 1
    EXPECT_TRUE(WriteBackAlbums(working, table));
    EXPECT_EQ(Albums(table), (std::vector<int>{0, 1, -1}));

    MonitorTable inOrder = Table({Screen(0, 0, true), Screen(1920, 0)}, {0, 0});
    MonitorTable inOrderWorking = SortedByLeftEdge(inOrder);
    inOrderWorking.entries[1].album = 1;
    EXPECT_TRUE(WriteBackAlbums(inOrderWorking, inOrder));
    EXPECT_EQ(Albums(inOrder), (std::vector<int>{0, 1}));
}

TEST(MonitorCaption, SizeModelAndMainForThePrimary) {
    const MonitorRect rect{0, 0, 1919, 1079};
    EXPECT_EQ(MonitorCaption(rect, u"MONITOR\\DEL4065\\{4d36e96e}\\0001", true), u"1920x1080-DEL4065-Main");
    EXPECT_EQ(MonitorCaption(rect, u"MONITOR\\Default_Monitor", false), u"1920x1080-Default_Monitor");
    EXPECT_EQ(MonitorCaption(rect, u"", false), u"1920x1080-");
}
