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

// Each row: the monitors as the walk stores them, the album fields the
// settings held (-1 for none), and the mapping that follows.
TEST(MapAlbums, StoredOrDefaultMappingOfEachLayout) {
    const struct {
        const char* what;
        std::vector<AdapterInfo> adapters;
        std::vector<int> stored;
        MappingMode mode;
        std::vector<int> albums;
        bool firstInUse, secondInUse, defaultWritten, onlyOneDisplay;
    } cases[] = {
        {"one monitor with a stale second album gets the default",
         {Screen(0, 0, true)},
         {1},
         MappingMode::Program,
         {0},
         true,
         false,
         true,
         true},
        {"program, two monitors: the primary stays free",
         {Screen(0, 0, true), Screen(1920, 0)},
         {},
         MappingMode::Program,
         {-1, 0},
         true,
         false,
         true,
         false},
        {"program, the primary in the middle: two groups",
         {Screen(-1920, 0), Screen(0, 0, true), Screen(1920, 0)},
         {},
         MappingMode::Program,
         {0, -1, 1},
         true,
         true,
         true,
         false},
        {"program, a row left of the primary joins one group",
         {Screen(0, 0, true), Screen(-1920, 0), Screen(-3840, 0), Screen(-5760, 0)},
         {},
         MappingMode::Program,
         {-1, 0, 0, 0},
         true,
         false,
         true,
         false},
        // Two far apart screens start A and B; a third touching neither
        // keeps its old value.
        {"program, a third group keeps its old value",
         {Screen(0, 0, true), Screen(10000, 0), Screen(20000, 0), Screen(30000, 0)},
         {},
         MappingMode::Program,
         {-1, 0, 1, -1},
         true,
         true,
         true,
         false},
        {"saver, stored values are kept",
         {Screen(0, 0, true), Screen(1920, 0), Screen(3840, 0)},
         {0, 1, 0},
         MappingMode::SaverOrConfigure,
         {0, 1, 0},
         true,
         true,
         false,
         false},
        {"saver, the default shows the first album everywhere",
         {Screen(0, 0, true), Screen(1920, 0)},
         {-1, 5},
         MappingMode::SaverOrConfigure,
         {0, 0},
         true,
         false,
         true,
         false},
        {"preview leaves everything alone",
         {Screen(0, 0, true)},
         {-1},
         MappingMode::Preview,
         {-1},
         false,
         false,
         false,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MonitorTable t = Table(c.adapters, c.stored);
        const MappingResult r = MapAlbums(t, c.mode);
        EXPECT_EQ(Albums(t), c.albums);
        EXPECT_EQ(r.albumInUse[0], c.firstInUse);
        EXPECT_EQ(r.albumInUse[1], c.secondInUse);
        EXPECT_EQ(r.defaultWritten, c.defaultWritten);
        EXPECT_EQ(r.onlyOneDisplay, c.onlyOneDisplay);
    }
}

TEST(Touches, ComparesEdgesOnly) {
    const MonitorRect g{0, 0, 1919, 1079};
    EXPECT_TRUE(Touches({1920, 5000, 3839, 6079}, g));  // edge matches though rows do not overlap
    EXPECT_TRUE(Touches({-1920, 0, -1, 1079}, g));
    EXPECT_TRUE(Touches({0, 1080, 1919, 2159}, g));
    EXPECT_TRUE(Touches({0, -1080, 1919, -1}, g));
    EXPECT_FALSE(Touches({1921, 0, 3840, 1079}, g));
}

// The rectangle an album window covers: one row short of its monitors,
// and outside the saver only what the taskbar leaves free.
TEST(AlbumAreaOf, BoundingRectangleOfTheAlbumsMonitors) {
    const MonitorRect whole{0, 0, 1919, 1079};
    const struct {
        const char* what;
        std::vector<AdapterInfo> adapters;
        std::vector<int> stored;
        MonitorRect firstWork;  // the first monitor's work area
        int album;
        bool saver;
        Status status;
        AlbumRect area;
    } cases[] = {
        {"a taskbar at the bottom, program",
         {Screen(0, 0, true)},
         {0},
         {0, 0, 1919, 1039},
         0,
         false,
         kOk,
         {0, 0, 1920, 1039}},
        {"a taskbar at the bottom, saver",
         {Screen(0, 0, true)},
         {0},
         {0, 0, 1919, 1039},
         0,
         true,
         kOk,
         {0, 0, 1920, 1079}},
        {"an album on no monitor", {Screen(0, 0, true)}, {0}, whole, 1, true, kErrNoMonitorsMapped, {}},
        {"a taskbar on the left of the primary only",
         {Screen(0, 0, true), Screen(1920, 0)},
         {0, 0},
         {60, 0, 1919, 1079},
         0,
         false,
         kOk,
         {60, 0, 3840 - 60, 1079}},
        {"nothing left free", {Screen(0, 0, true)}, {0}, {0, 0, 1919, 0}, 0, false, kErrNotPositive, {}},
        {"several monitors",
         {Screen(0, 0, true), Screen(1920, 0), Screen(3840, 0, false, 1280, 1024)},
         {-1, 1, 1},
         whole,
         1,
         true,
         kOk,
         {1920, 0, 1920 + 1280, 1079}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MonitorTable t = Table(c.adapters, c.stored);
        t.entries[0].work = c.firstWork;
        AlbumRect r;
        const Status status = AlbumAreaOf(t, c.album, c.saver, &r);
        EXPECT_EQ(status, c.status);
        if (status != kOk || c.status != kOk) continue;
        EXPECT_EQ(r.x, c.area.x);
        EXPECT_EQ(r.y, c.area.y);
        EXPECT_EQ(r.width, c.area.width);
        EXPECT_EQ(r.height, c.area.height);
    }
}

// The window over an album's area: the strip's size at most; the saver's
// centred, the program's at the area's corner.
TEST(AlbumWindowIn, TheStripsSizeAtMostTheAreasCentredInTheSaver) {
    const struct {
        const char* what;
        AlbumRect area;
        std::int32_t stripWidth, stripHeight;
        bool centred;
        AlbumRect window;
    } cases[] = {
        {"a strip larger than a 1080p monitor, saver", {0, 0, 1920, 1079}, 3200, 1200, true, {0, 0, 1920, 1079}},
        {"a strip lower than a 4K monitor, saver", {0, 0, 3840, 2159}, 3200, 1200, true, {320, 479, 3200, 1200}},
        {"a strip lower than a 4K monitor, program", {0, 0, 3840, 2119}, 3200, 1200, false, {0, 0, 3200, 1200}},
        {"a strip lower than a second 1440p monitor, saver",
         {1920, 0, 2560, 1439},
         3200,
         1200,
         true,
         {1920, 119, 2560, 1200}},
        {"a narrow strip higher than a monitor left of the primary, saver",
         {-1920, -200, 1920, 1079},
         1000,
         1500,
         true,
         {-1460, -200, 1000, 1079}},
        {"a narrow strip, program", {1920, 0, 1920, 1039}, 1000, 1500, false, {1920, 0, 1000, 1039}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const AlbumRect r = AlbumWindowIn(c.area, c.stripWidth, c.stripHeight, c.centred);
        EXPECT_EQ(r.x, c.window.x);
        EXPECT_EQ(r.y, c.window.y);
        EXPECT_EQ(r.width, c.window.width);
        EXPECT_EQ(r.height, c.window.height);
    }
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
