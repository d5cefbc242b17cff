#include "imaging/ColourEffects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>

#include "tests/oracles/LiteralEffects.h"

namespace quorvel {
namespace {

PixelBlock RandomPhoto(std::int32_t width, std::int32_t height, unsigned seed) {
    PixelBlock photo = PixelBlock::Make(width, height);
    std::mt19937 engine(seed);
    for (auto& byte : photo.pixels) byte = static_cast<std::uint8_t>(engine());
    return photo;
}

// Every 24-bit colour once: 4096 x 4096 pixels.
PixelBlock AllColours() {
    PixelBlock photo = PixelBlock::Make(4096, 4096);
    for (std::uint32_t colour = 0; colour < (1u << 24); ++colour) {
        std::uint8_t* p = photo.pixels.data() + 3 * static_cast<std::size_t>(colour);
        p[0] = static_cast<std::uint8_t>(colour);
        p[1] = static_cast<std::uint8_t>(colour >> 8);
        p[2] = static_cast<std::uint8_t>(colour >> 16);
    }
    return photo;
}

PixelBlock OneColour(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    PixelBlock photo = PixelBlock::Make(1, 1);
    photo.pixels = {blue, green, red};
    return photo;
}

// Runs the program's effect and the literal one from the same generator
// state and expects the same bytes and the same number of draws.
void ExpectSameAsLiteral(const PixelBlock& start, const char* what) {
    SCOPED_TRACE(what);
    std::vector<std::uint16_t> hues = PhotoHues(start);
    std::vector<std::uint16_t> literalHues = literal::PhotoHues(start);
    ASSERT_TRUE(hues == literalHues) << "hues differ";

    PixelBlock fast = start, slow = start;
    std::srand(77);
    FallEffect(fast, hues);
    int nextAfterFast = std::rand();
    std::srand(77);
    literal::FallEffect(slow, literalHues);
    EXPECT_EQ(std::rand(), nextAfterFast) << "Fall drew a different number of values";
    EXPECT_TRUE(fast.pixels == slow.pixels) << "Fall differs";

    fast = start, slow = start;
    std::srand(78);
    SummerEffect(fast, hues);
    nextAfterFast = std::rand();
    std::srand(78);
    literal::SummerEffect(slow, literalHues);
    EXPECT_EQ(std::rand(), nextAfterFast) << "Summer drew a different number of values";
    EXPECT_TRUE(fast.pixels == slow.pixels) << "Summer differs";

    fast = start, slow = start;
    WinterEffect(fast);
    literal::WinterEffect(slow);
    EXPECT_TRUE(fast.pixels == slow.pixels) << "Winter differs";
}

TEST(ColourEffects, MatchTheLiteralRulesByteForByte) {
    // Odd widths leave pixels after the last group of sixteen in every row;
    // 48 leaves one group of sixteen after a group of thirty-two.
    ExpectSameAsLiteral(RandomPhoto(257, 131, 1), "random 257 x 131");
    ExpectSameAsLiteral(RandomPhoto(48, 400, 4), "random 48 x 400");
    ExpectSameAsLiteral(RandomPhoto(16, 3, 2), "random 16 x 3");
    ExpectSameAsLiteral(RandomPhoto(5, 7, 3), "random 5 x 7");
    ExpectSameAsLiteral(AllColours(), "every colour");
}

TEST(ColourEffects, WinterMatchesInShortRowsToo) {
    // Rows of eight pixels are too short for the sixteen-pixel steps, so
    // every colour goes through the pixel-by-pixel way.
    PixelBlock fast = AllColours();
    fast.width = 8;
    fast.height = 1 << 21;
    fast.rowBytes = 24;
    PixelBlock slow = fast;
    WinterEffect(fast);
    literal::WinterEffect(slow);
    EXPECT_TRUE(fast.pixels == slow.pixels);
}

TEST(ColourEffects, RandomBetweenStaysInItsRange) {
    std::srand(5);
    bool sawLow = false, sawTop = false;
    for (int i = 0; i < 20000; ++i) {
        unsigned v = RandomBetween(60, 165);
        ASSERT_GE(v, 60u);
        ASSERT_LE(v, 164u);
        sawLow |= v == 60;
        sawTop |= v == 164;
    }
    EXPECT_TRUE(sawLow);
    EXPECT_TRUE(sawTop);
    EXPECT_EQ(RandomBetween(7, 7), 7u);
    EXPECT_EQ(RandomBetween(9, 3), 9u);
}

TEST(ColourEffects, HuesOfThePrimaryAndSecondaryColours) {
    PixelBlock photo = PixelBlock::Make(8, 1);
    const std::uint8_t colours[8][3] = {{0, 0, 255}, {0, 255, 255}, {0, 255, 0},     {255, 255, 0},
                                        {255, 0, 0}, {255, 0, 255}, {128, 128, 128}, {0, 0, 0}};
    for (int i = 0; i < 8; ++i) std::copy(colours[i], colours[i] + 3, photo.pixels.begin() + 3 * i);
    std::vector<std::uint16_t> hues = PhotoHues(photo);
    EXPECT_EQ(hues, (std::vector<std::uint16_t>{0, 60, 120, 180, 240, 300, 0, 0}));
    EXPECT_TRUE(PhotoHues(PixelBlock{}).empty());
}

TEST(ColourEffects, NearGreyPixelsKeepTheirColour) {
    // Hue 0 would be chosen by Summer and hue 180 by Fall, but each pixel's
    // red lies within 1 of its green and its blue.
    for (auto start : {OneColour(100, 101, 99), OneColour(100, 99, 99), OneColour(200, 201, 201), OneColour(0, 1, 0)}) {
        PixelBlock fall = start, summer = start;
        FallEffect(fall, PhotoHues(fall));
        SummerEffect(summer, PhotoHues(summer));
        EXPECT_EQ(fall.pixels, start.pixels);
        EXPECT_EQ(summer.pixels, start.pixels);
    }
}

// Fall and Summer move the chosen pixels into their new hue band and keep
// each pixel's darkest and brightest channel; the others stay as they were.
void ExpectRecolouredInto(bool fall, int lowestHue, int highestHue) {
    PixelBlock start = RandomPhoto(200, 100, 9);
    PixelBlock changed = start;
    std::vector<std::uint16_t> before = PhotoHues(start);
    std::srand(3);
    if (fall)
        FallEffect(changed, before);
    else
        SummerEffect(changed, before);
    std::vector<std::uint16_t> after = PhotoHues(changed);
    int recoloured = 0;
    for (std::size_t i = 0; i < before.size(); ++i) {
        const std::uint8_t* a = &start.pixels[3 * i];
        const std::uint8_t* b = &changed.pixels[3 * i];
        bool grey = std::abs(a[2] - a[1]) <= 1 && std::abs(a[2] - a[0]) <= 1;
        bool chosen = fall ? before[i] >= 60 && before[i] <= 300 : before[i] <= 45 || before[i] >= 315;
        if (!chosen || grey) {
            ASSERT_TRUE(std::equal(a, a + 3, b)) << "pixel " << i;
            continue;
        }
        ++recoloured;
        EXPECT_EQ(*std::min_element(a, a + 3), *std::min_element(b, b + 3)) << "pixel " << i;
        EXPECT_EQ(*std::max_element(a, a + 3), *std::max_element(b, b + 3)) << "pixel " << i;
        // Truncating the middle channel can pull the hue a degree or two
        // back; a pixel with almost no chroma loses more.
        if (*std::max_element(b, b + 3) - *std::min_element(b, b + 3) >= 60) {
            int hue = after[i] >= 350 ? after[i] - 360 : after[i];
            EXPECT_GE(hue, lowestHue - 1) << "pixel " << i;
            EXPECT_LE(hue, highestHue + 1) << "pixel " << i;
        }
    }
    EXPECT_GT(recoloured, 1000);
}

TEST(ColourEffects, FallTurnsCoolColoursIntoRedsAndOranges) { ExpectRecolouredInto(true, 0, 44); }

TEST(ColourEffects, SummerTurnsWarmColoursIntoYellowGreens) { ExpectRecolouredInto(false, 60, 164); }

TEST(ColourEffects, WinterMakesABlueTintedMonochrome) {
    PixelBlock photo = PixelBlock::Make(3, 1);
    photo.pixels = {0, 0, 0, 255, 255, 255, 50, 200, 100};
    WinterEffect(photo);
    // Black: luminance 0. White: the sum falls just short of 255 and
    // truncates to 254. (R 100, G 200, B 50): 144 + 21 + 3.5 = 168.5 -> 168.
    EXPECT_EQ(photo.pixels, (std::vector<std::uint8_t>{100, 0, 0, 255, 154, 154, 255, 68, 68}));
}

TEST(ColourEffects, RowsAreAddressedThroughTheirByteCount) {
    // Two spare bytes after every row of 20 pixels stay untouched.
    PixelBlock packed = RandomPhoto(20, 6, 4);
    PixelBlock padded;
    padded.width = 20;
    padded.height = 6;
    padded.rowBytes = 62;
    padded.pixels.assign(62 * 6, 0xAB);
    for (int y = 0; y < 6; ++y) std::copy(packed.Row(y), packed.Row(y) + 60, padded.Row(y));

    std::srand(11);
    ApplyPlaybackEffect(packed, 2);
    std::srand(11);
    ApplyPlaybackEffect(padded, 2);
    WinterEffect(packed);
    WinterEffect(padded);
    for (int y = 0; y < 6; ++y) {
        EXPECT_TRUE(std::equal(packed.Row(y), packed.Row(y) + 60, padded.Row(y))) << "row " << y;
        EXPECT_EQ(padded.Row(y)[60], 0xAB);
        EXPECT_EQ(padded.Row(y)[61], 0xAB);
    }
}

TEST(ColourEffects, PlaybackBitsChooseOneEffectFallFirst) {
    const PixelBlock start = RandomPhoto(40, 30, 6);
    auto run = [&](int bits) {
        PixelBlock photo = start;
        std::srand(21);
        ApplyPlaybackEffect(photo, bits);
        return photo.pixels;
    };
    PixelBlock fall = start, summer = start, winter = start;
    std::srand(21);
    FallEffect(fall, PhotoHues(fall));
    std::srand(21);
    SummerEffect(summer, PhotoHues(summer));
    WinterEffect(winter);
    ASSERT_NE(fall.pixels, start.pixels);
    ASSERT_NE(summer.pixels, start.pixels);

    EXPECT_EQ(run(0), start.pixels);
    EXPECT_EQ(run(2), fall.pixels);
    EXPECT_EQ(run(2 | 1 | 4), fall.pixels);
    EXPECT_EQ(run(1), winter.pixels);
    EXPECT_EQ(run(1 | 4), winter.pixels);
    EXPECT_EQ(run(4), summer.pixels);
    EXPECT_EQ(run(8), start.pixels);
}

}  // namespace
}  // namespace quorvel
