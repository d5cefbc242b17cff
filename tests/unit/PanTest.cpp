#include "strip/Pan.h"

#include <gtest/gtest.h>

#include <vector>

using namespace quorvel;

namespace {

// A strip whose every pixel encodes its column in blue and green and its
// row in red, so a copied viewport tells where it came from.
PixelBlock Gradient(int w, int h) {
    PixelBlock b = PixelBlock::Make(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = b.Row(y) + 3 * x;
            p[0] = std::uint8_t(x & 0xFF);
            p[1] = std::uint8_t(x >> 8);
            p[2] = std::uint8_t(y);
        }
    return b;
}

// A viewport of 32-bit pixels with its own memory.
struct Viewport {
    std::vector<std::uint8_t> memory;
    FramePixels pixels;
    Viewport(int w, int h) : memory(static_cast<std::size_t>(w) * 4 * h), pixels{memory.data(), w, h, w * 4} {}
};

int ColumnAt(const Viewport& v, int x, int y) { return v.pixels.Row(y)[4 * x] | (v.pixels.Row(y)[4 * x + 1] << 8); }

}  // namespace

TEST(ViewportFor, SizesOfThePanels) {
    // 5760 x 1080 strip on a 1920 x 1080 monitor in saver mode: 1920 x 1079 window.
    ViewportSize v = ViewportFor(5760, 1080, 1920, 1079, 100);
    EXPECT_EQ(v.width, 1720);
    EXPECT_EQ(v.height, 879);
    v = ViewportFor(5760, 1080, 150, 150, 100);
    EXPECT_EQ(v.width, 12);
    EXPECT_EQ(v.height, 12);
    v = ViewportFor(5760, 1080, 1921, 900, 100);
    EXPECT_EQ(v.width, 1724);  // 1721 rises to the next multiple of 4
    v = ViewportFor(1000, 700, 1920, 1080, 100);
    EXPECT_EQ(v.width, 800);  // the strip limits it
    EXPECT_EQ(v.height, 500);
}

TEST(PanOnce, GlidesRightThenUpLeftDownRoundTheEdge) {
    const PixelBlock strip = Gradient(64, 40);
    Viewport view(16, 10);
    PanState pan = StartPan(strip.width, strip.height);
    EXPECT_EQ(pan.centreX, 32);
    std::vector<int> turnsAt;
    std::vector<std::int16_t> directions;
    PanOutcome outcome;
    int firstLeft = -1;
    for (int tick = 0; tick < 400; ++tick) {
        ASSERT_EQ(PanOnce(strip, pan, view.pixels, &outcome), kOk);
        if (tick == 0) firstLeft = ColumnAt(view, 0, 0);
        if (outcome == PanOutcome::Turned) directions.push_back(pan.direction);
    }
    EXPECT_EQ(firstLeft, 32 - 8);  // the first copy is centred in the strip
    ASSERT_GE(directions.size(), 5u);
    EXPECT_EQ(std::vector<std::int16_t>(directions.begin(), directions.begin() + 5),
              (std::vector<std::int16_t>{kPanUp, kPanLeft, kPanDown, kPanRight, kPanUp}));
}

TEST(PanOnce, FirstMovesAreToTheRightAndReachTheStripsEnd) {
    const PixelBlock strip = Gradient(64, 40);
    Viewport view(16, 10);
    PanState pan = StartPan(strip.width, strip.height);
    PanOutcome outcome;
    int previous = -1, maxRight = 0;
    for (int tick = 0; tick < 60; ++tick) {
        ASSERT_EQ(PanOnce(strip, pan, view.pixels, &outcome), kOk);
        if (outcome == PanOutcome::Turned) break;
        const int left = ColumnAt(view, 0, 0);
        EXPECT_EQ(left, previous < 0 ? 24 : previous + 1);
        previous = left;
        maxRight = ColumnAt(view, 15, 0);
    }
    EXPECT_EQ(maxRight, 63);  // the viewport's right edge met the strip's end
}

TEST(PanOnce, OddHeightNeverReadsBelowTheStrip) {
    const PixelBlock strip = Gradient(40, 21);
    Viewport view(12, 21);  // as tall as the strip
    PanState pan = StartPan(strip.width, strip.height);
    PanOutcome outcome;
    for (int tick = 0; tick < 200; ++tick) ASSERT_EQ(PanOnce(strip, pan, view.pixels, &outcome), kOk);
}

TEST(PanOnce, RefusesSizesThatCannotPan) {
    const PixelBlock strip = Gradient(40, 20);
    Viewport wide(44, 10);
    PanState pan = StartPan(40, 20);
    EXPECT_EQ(PanOnce(strip, pan, wide.pixels, nullptr), kErrInvalidArgument);
    EXPECT_EQ(PanOnce(strip, pan, FramePixels{}, nullptr), kErrInvalidArgument);
}

TEST(NextEffectBit, CyclesThroughEnabledBitsInOrder) {
    std::int16_t applied = 0;
    EXPECT_EQ(NextEffectBit(2 | 1, applied), 2);
    EXPECT_EQ(NextEffectBit(2 | 1, applied), 1);
    EXPECT_EQ(NextEffectBit(2 | 1, applied), 2);  // all had their turn: start over
    applied = 0;
    EXPECT_EQ(NextEffectBit(4, applied), 4);
    EXPECT_EQ(NextEffectBit(4 | 1, applied), 1);
    EXPECT_EQ(NextEffectBit(0, applied), 0);
    applied = 0;
    EXPECT_EQ(NextEffectBit(16 | 8, applied), 8);
    EXPECT_EQ(NextEffectBit(16 | 8, applied), 16);
}

TEST(Glide, KeepsTheTimersSpeedWhateverTheFrames) {
    const std::int64_t second = 10'000'000;
    EXPECT_EQ(GlidePosition(second, second, 65), 256000 / 65);  // 15.4 pixels in a second
    EXPECT_EQ(GlidePosition(3600 * second + second / 2, second, 100), 36005 * 256);
}

// A strip 40 x 20, a viewport 16 x 8: the first tick shows columns 12..27.
TEST(Glide, DrawsBetweenTheNextTwoTicksAndHoldsAtTheCorner) {
    const PixelBlock strip = Gradient(40, 20);
    Viewport v(16, 8);
    PanState pan = StartPan(40, 20);
    ASSERT_EQ(DrawGlide(strip, pan, 0, v.pixels), kOk);
    EXPECT_EQ(ColumnAt(v, 0, 0), 12);
    ASSERT_EQ(DrawGlide(strip, pan, 192, v.pixels), kOk);
    EXPECT_EQ(ColumnAt(v, 0, 0), 13) << "three quarters of the way to column 13";
    EXPECT_EQ(v.pixels.Row(7)[4 * 5 + 2], 10 - 4 + 7) << "rows stay whole on a horizontal leg";

    while (pan.centreX < 33) ASSERT_EQ(AdvancePan(40, 20, pan, 16, 8), PanOutcome::Moved);
    ASSERT_EQ(DrawGlide(strip, pan, 128, v.pixels), kOk);
    EXPECT_EQ(ColumnAt(v, 0, 0), 24) << "the next tick turns: the last window holds";
    ASSERT_EQ(AdvancePan(40, 20, pan, 16, 8), PanOutcome::Turned);
    ASSERT_EQ(DrawGlide(strip, pan, 128, v.pixels), kOk);
    EXPECT_EQ(ColumnAt(v, 0, 0), 24);
    EXPECT_EQ(v.pixels.Row(0)[2], (6 + 5 + 1) / 2) << "half a row up";
}

// An odd viewport height on the way down: the extra row is drawn only while
// both blended windows have it, so nothing is read below the strip.
TEST(Glide, OddHeightGoingDownStaysInsideTheStrip) {
    const PixelBlock strip = Gradient(40, 21);
    Viewport v(16, 7);
    PanState pan = StartPan(40, 21);
    pan.direction = kPanDown;
    pan.centreY = 17;
    v.pixels.Row(6)[2] = 0xEE;
    ASSERT_EQ(DrawGlide(strip, pan, 128, v.pixels), kOk);
    EXPECT_EQ(v.pixels.Row(5)[2], (19 + 20 + 1) / 2);
    EXPECT_EQ(v.pixels.Row(6)[2], 0xEE);
    pan.centreY = 18;  // the last window: held whole, its six rows down to the strip's foot
    ASSERT_EQ(DrawGlide(strip, pan, 128, v.pixels), kOk);
    EXPECT_EQ(v.pixels.Row(5)[2], 20);
}
