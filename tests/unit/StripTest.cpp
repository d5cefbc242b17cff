#include "strip/Strip.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "imaging/BitmapCache.h"
#include "imaging/ColourEffects.h"
#include "strip/StripRebuild.h"

namespace quorvel {
namespace {

// A photo whose every byte tells which photo, row, column and channel it is,
// so a misplaced copy shows up as a wrong value. Never 0, so black is told
// apart from photo pixels.
std::uint8_t PatternByte(int photo, int x, int y, int channel) {
    return static_cast<std::uint8_t>(1 + (photo * 53 + x * 7 + y * 13 + channel * 3) % 250);
}

PhotoRecord PatternPhoto(int index, std::int32_t width, std::int32_t height) {
    PhotoRecord record;
    record.block = PixelBlock::Make(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) record.block.Row(y)[x * 3 + c] = PatternByte(index, x, y, c);
    return record;
}

PhotoRecord UniformPhoto(std::int32_t width, std::int32_t height, std::uint8_t value) {
    PhotoRecord record;
    record.block = PixelBlock::Make(width, height);
    std::fill(record.block.pixels.begin(), record.block.pixels.end(), value);
    return record;
}

bool PixelIsBlack(const PixelBlock& block, int x, int y) {
    const std::uint8_t* p = block.Row(y) + x * 3;
    return p[0] == 0 && p[1] == 0 && p[2] == 0;
}

bool ColumnIsBlack(const PixelBlock& block, int x, int fromRow, int toRow) {
    for (int y = fromRow; y < toRow; ++y)
        if (!PixelIsBlack(block, x, y)) return false;
    return true;
}

// Whether the strip holds photo `index` (width x height) with its top-left
// pixel at (left, top).
bool HoldsPattern(const PixelBlock& strip, int index, int left, int top, int width, int height) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                if (strip.Row(top + y)[(left + x) * 3 + c] != PatternByte(index, x, y, c)) return false;
    return true;
}

TEST(StripJoin, ThreeFullHdPhotosButtOrLeaveBlackGaps) {
    std::vector<PhotoRecord> photos;
    for (int i = 0; i < 3; ++i) photos.push_back(PatternPhoto(i, 1920, 1080));

    PixelBlock strip;
    ASSERT_EQ(JoinPhotos(photos, kStitchNone, 0, PhotoPixelsAfterJoin::kKeep, strip), kOk);
    EXPECT_EQ(strip.width, 5760);
    EXPECT_EQ(strip.height, 1080);
    EXPECT_EQ(strip.rowBytes, 5760 * 3);
    EXPECT_TRUE(HoldsPattern(strip, 0, 0, 0, 1920, 1080));
    EXPECT_TRUE(HoldsPattern(strip, 1, 1920, 0, 1920, 1080));
    EXPECT_TRUE(HoldsPattern(strip, 2, 3840, 0, 1920, 1080));

    ASSERT_EQ(JoinPhotos(photos, kStitchCollage, 0, PhotoPixelsAfterJoin::kKeep, strip), kOk);
    EXPECT_EQ(strip.width, 5820);
    EXPECT_EQ(strip.height, 1080);
    EXPECT_TRUE(HoldsPattern(strip, 0, 0, 0, 1920, 1080));
    EXPECT_TRUE(HoldsPattern(strip, 1, 1950, 0, 1920, 1080));
    EXPECT_TRUE(HoldsPattern(strip, 2, 3900, 0, 1920, 1080));
    for (int x = 1920; x < 1950; ++x) EXPECT_TRUE(ColumnIsBlack(strip, x, 0, 1080)) << "column " << x;
    for (int x = 3870; x < 3900; ++x) EXPECT_TRUE(ColumnIsBlack(strip, x, 0, 1080)) << "column " << x;
}

TEST(StripJoin, MeasureCountsGapsOnlyBetweenCollagePhotos) {
    std::vector<PhotoRecord> photos;
    photos.push_back(PatternPhoto(0, 40, 10));
    photos.push_back(PatternPhoto(1, 24, 12));
    StripSize size;
    ASSERT_EQ(MeasureStrip(photos, kStitchBlur, size), kOk);
    EXPECT_EQ(size.width, 64);
    EXPECT_EQ(size.height, 12);
    ASSERT_EQ(MeasureStrip(photos, kStitchCollage, size), kOk);
    EXPECT_EQ(size.width, 94);
    ASSERT_EQ(MeasureStrip(std::span(photos).first(1), kStitchCollage, size), kOk);
    EXPECT_EQ(size.width, 40);
}

TEST(StripJoin, CollagePhotosSitInTheMiddleOfTheStripHeight) {
    for (const int tallest : {1081, 1082}) {
        std::vector<PhotoRecord> photos;
        photos.push_back(PatternPhoto(0, 8, tallest));
        photos.push_back(PatternPhoto(1, 12, 1080));
        PixelBlock strip;
        ASSERT_EQ(JoinPhotos(photos, kStitchCollage, 0, PhotoPixelsAfterJoin::kKeep, strip), kOk);
        ASSERT_EQ(strip.height, tallest);
        const int top = tallest == 1081 ? 0 : 1;
        EXPECT_EQ(CollageTopRow(tallest, 1080), top);
        EXPECT_TRUE(HoldsPattern(strip, 1, 38, top, 12, 1080)) << "strip height " << tallest;
        for (int x = 38; x < 50; ++x) {
            EXPECT_TRUE(ColumnIsBlack(strip, x, 0, top));
            EXPECT_TRUE(ColumnIsBlack(strip, x, top + 1080, tallest));
        }
    }
}

TEST(StripJoin, ShorterPhotoIsNeverReadPastItsLastRowAndBlackFillsBelow) {
    // The photos' blocks are sized exactly, so a read past the last row is
    // caught by the address sanitizer in the native run.
    for (const int mode : {kStitchNone, kStitchBlur}) {
        std::vector<PhotoRecord> photos;
        photos.push_back(PatternPhoto(0, 40, 20));
        photos.push_back(PatternPhoto(1, 40, 13));
        photos.push_back(PatternPhoto(2, 40, 20));
        PixelBlock strip;
        ASSERT_EQ(JoinPhotos(photos, mode, 0, PhotoPixelsAfterJoin::kKeep, strip), kOk);
        ASSERT_EQ(strip.height, 20);
        // Away from the softened seams, photo 1 is where it belongs and black
        // lies below it.
        for (int x = 55; x < 65; ++x) {
            for (int y = 0; y < 13; ++y) EXPECT_EQ(strip.Row(y)[x * 3], PatternByte(1, x - 40, y, 0));
            EXPECT_TRUE(ColumnIsBlack(strip, x, 13, 20)) << "mode " << mode << " column " << x;
        }
    }
}

TEST(StripJoin, RebuildOverAnOldStripOfTheSameSizeEqualsAFreshBuild) {
    for (const int mode : {kStitchNone, kStitchBlur, kStitchCollage}) {
        std::vector<PhotoRecord> photos;
        photos.push_back(PatternPhoto(0, 40, 17));
        photos.push_back(PatternPhoto(1, 36, 20));
        photos.push_back(PatternPhoto(2, 40, 12));
        PixelBlock fresh;
        ASSERT_EQ(JoinPhotos(photos, mode, 0, PhotoPixelsAfterJoin::kKeep, fresh), kOk);
        PixelBlock reused = fresh;
        std::fill(reused.pixels.begin(), reused.pixels.end(), 0xEE);  // what an earlier strip left
        const std::uint8_t* storage = reused.pixels.data();
        ASSERT_EQ(JoinPhotos(photos, mode, 0, PhotoPixelsAfterJoin::kKeep, reused), kOk);
        EXPECT_EQ(reused.pixels.data(), storage) << "mode " << mode;
        EXPECT_EQ(reused.pixels, fresh.pixels) << "mode " << mode;
    }
}

// A file the reader can only read, not see whole in memory.
struct ReadOnlySource : MemoryByteSource {
    using MemoryByteSource::MemoryByteSource;
    const std::uint8_t* Bytes() const override { return nullptr; }
};

// Photos held only as their sizes, each read from its cache file straight
// into its place (bottom-up rows; the small ones from a file seen whole in
// memory, as a mapped one is, the big one in bands): the same strip, in
// every stitch mode, as a join of the photos held in memory.
TEST(StripJoin, InPlaceFromCacheFilesEqualsTheJoinOfHeldPhotos) {
    for (const int mode : {kStitchNone, kStitchBlur, kStitchCollage}) {
        std::vector<PhotoRecord> photos, sized;
        std::vector<std::vector<std::uint8_t>> files(3);
        photos.push_back(PatternPhoto(0, 40, 17));
        photos.push_back(PatternPhoto(1, 36, 20));
        photos.push_back(PatternPhoto(2, 4000, 300));  // more rows than one read band holds
        for (std::size_t i = 0; i < photos.size(); ++i) {
            ASSERT_EQ(EncodeCacheBitmap(photos[i].block, &files[i]), kOk);
            sized.push_back(photos[i]);
            sized.back().block.DropPixels();
        }
        PixelBlock held, inPlace;
        ASSERT_EQ(JoinPhotos(photos, mode, 0, PhotoPixelsAfterJoin::kKeep, held), kOk);
        const PlacePhoto place = [&](std::size_t i, PixelBlock& strip, std::size_t x, std::int32_t top) {
            MemoryByteSource whole(files[i]);
            ReadOnlySource inBands(files[i]);
            ByteSource& source = i < 2 ? static_cast<ByteSource&>(whole) : inBands;
            CacheBitmapInfo info;
            if (Status s = ReadCacheBitmap(source, &info, nullptr); s != kOk) return s;
            return ReadCacheRowsInto(source, info, strip, x, top);
        };
        ASSERT_EQ(JoinPhotosInPlace(sized, mode, place, inPlace), kOk);
        EXPECT_EQ(inPlace.pixels, held.pixels) << "mode " << mode;
    }
}

TEST(StripJoin, ReleasesOrKeepsThePhotosPixels) {
    std::vector<PhotoRecord> photos;
    photos.push_back(PatternPhoto(0, 16, 4));
    photos.push_back(PatternPhoto(1, 16, 4));
    PixelBlock strip;
    ASSERT_EQ(JoinPhotos(photos, kStitchNone, 0, PhotoPixelsAfterJoin::kKeep, strip), kOk);
    EXPECT_FALSE(photos[0].block.Empty());
    EXPECT_FALSE(photos[1].block.Empty());
    ASSERT_EQ(JoinPhotos(photos, kStitchNone, 0, PhotoPixelsAfterJoin::kRelease, strip), kOk);
    EXPECT_TRUE(HoldsPattern(strip, 1, 16, 0, 16, 4));
    EXPECT_TRUE(photos[0].block.Empty());
    EXPECT_TRUE(photos[1].block.Empty());
    EXPECT_EQ(photos[1].block.width, 0);
}

TEST(StripJoin, RefusesMissingPhotosAndLeavesNoStrip) {
    PixelBlock strip = PixelBlock::Make(4, 4);
    std::vector<PhotoRecord> none;
    EXPECT_EQ(JoinPhotos(none, kStitchNone, 0, PhotoPixelsAfterJoin::kKeep, strip), kErrInvalidArgument);

    std::vector<PhotoRecord> photos;
    photos.push_back(PatternPhoto(0, 16, 4));
    photos.emplace_back();  // a record whose pixels were never decoded
    EXPECT_EQ(JoinPhotos(photos, kStitchNone, 0, PhotoPixelsAfterJoin::kRelease, strip), kErrInvalidArgument);
    EXPECT_FALSE(photos[0].block.Empty()) << "a refused join must not take the photos' pixels";

    photos[1] = PatternPhoto(1, 16, 4);
    photos[1].block.pixels.resize(16 * 3 * 3);  // one row short of its height
    EXPECT_EQ(JoinPhotos(photos, kStitchNone, 0, PhotoPixelsAfterJoin::kKeep, strip), kErrInvalidArgument);

    // Photos too narrow for a softened seam: the blur fails after every
    // photo was copied, and the photos must still be there.
    photos[1] = PatternPhoto(1, 16, 4);
    photos[0] = PatternPhoto(0, 8, 4);
    EXPECT_EQ(JoinPhotos(photos, kStitchBlur, 0, PhotoPixelsAfterJoin::kRelease, strip), kErrMemoryAccess);
    EXPECT_TRUE(strip.Empty());
    EXPECT_FALSE(photos[0].block.Empty());
    EXPECT_FALSE(photos[1].block.Empty());
}

TEST(StripJoin, PlaybackEffectRecoloursEachPhotoAndKeepsTheOriginals) {
    std::vector<PhotoRecord> photos;
    photos.push_back(PatternPhoto(0, 12, 6));
    photos.push_back(PatternPhoto(1, 8, 6));
    const std::vector<PhotoRecord> originals = photos;

    // Winter is deterministic; each photo is recoloured on its own.
    PixelBlock expected0 = photos[0].block;
    PixelBlock expected1 = photos[1].block;
    ApplyPlaybackEffect(expected0, 1);
    ApplyPlaybackEffect(expected1, 1);
    ASSERT_NE(expected0.pixels, photos[0].block.pixels) << "the effect must change the test photo";

    PixelBlock strip;
    ASSERT_EQ(JoinPhotos(photos, kStitchCollage, 1, PhotoPixelsAfterJoin::kKeep, strip), kOk);
    for (int y = 0; y < 6; ++y) {
        EXPECT_EQ(0, std::memcmp(strip.Row(y), expected0.Row(y), 12 * 3)) << "row " << y;
        EXPECT_EQ(0, std::memcmp(strip.Row(y) + 42 * 3, expected1.Row(y), 8 * 3)) << "row " << y;
    }
    EXPECT_EQ(photos[0].block.pixels, originals[0].block.pixels);
    EXPECT_EQ(photos[1].block.pixels, originals[1].block.pixels);

    // Fall picks its hues at random: with the same seed, the strip holds the
    // photos as recoloured whole, one after the other.
    std::srand(7);
    PixelBlock fall0 = photos[0].block;
    PixelBlock fall1 = photos[1].block;
    ApplyPlaybackEffect(fall0, 2);
    ApplyPlaybackEffect(fall1, 2);
    std::srand(7);
    ASSERT_EQ(JoinPhotos(photos, kStitchNone, 2, PhotoPixelsAfterJoin::kRelease, strip), kOk);
    for (int y = 0; y < 6; ++y) {
        EXPECT_EQ(0, std::memcmp(strip.Row(y), fall0.Row(y), 12 * 3));
        EXPECT_EQ(0, std::memcmp(strip.Row(y) + 12 * 3, fall1.Row(y), 8 * 3));
    }
}

TEST(StripJoin, EffectOnPhotosTallerThanOneBandMatchesTheWholePhotoRecoloured) {
    std::vector<PhotoRecord> photos;
    photos.push_back(PatternPhoto(0, 36, 150));
    photos.push_back(PatternPhoto(1, 20, 131));
    std::srand(11);
    PixelBlock whole0 = photos[0].block;
    PixelBlock whole1 = photos[1].block;
    ApplyPlaybackEffect(whole0, 4);
    ApplyPlaybackEffect(whole1, 4);
    ASSERT_NE(whole0.pixels, photos[0].block.pixels) << "the effect must change the test photo";
    std::srand(11);
    PixelBlock strip;
    ASSERT_EQ(JoinPhotos(photos, kStitchCollage, 4, PhotoPixelsAfterJoin::kKeep, strip), kOk);
    ASSERT_EQ(strip.height, 150);
    for (int y = 0; y < 150; ++y) EXPECT_EQ(0, std::memcmp(strip.Row(y), whole0.Row(y), 36 * 3)) << "row " << y;
    const int top = CollageTopRow(150, 131);
    for (int y = 0; y < 131; ++y)
        EXPECT_EQ(0, std::memcmp(strip.Row(top + y) + 66 * 3, whole1.Row(y), 20 * 3)) << "row " << y;
}

// An album of several photos, shorter and narrower ones among them, and its
// strip joined without an effect: what a rebuild starts from.
struct RebuildScene {
    std::vector<PhotoRecord> photos;
    PixelBlock strip;

    explicit RebuildScene(int mode) {
        photos.push_back(PatternPhoto(0, 40, 70));
        photos.push_back(PatternPhoto(1, 36, 64));
        photos.push_back(PatternPhoto(2, 44, 70));
        photos.push_back(PatternPhoto(3, 40, 51));
        EXPECT_EQ(JoinPhotos(photos, mode, 0, PhotoPixelsAfterJoin::kKeep, strip), kOk);
    }
};

bool ColumnsEqual(const PixelBlock& a, const PixelBlock& b, ColumnSpan span) {
    for (int y = 0; y < a.height; ++y)
        if (std::memcmp(a.Row(y) + span.first * 3, b.Row(y) + span.first * 3, (span.last - span.first + 1) * 3) != 0)
            return false;
    return true;
}

TEST(StripRebuild, SlicesEndInTheStripAWholeJoinBuildsAndNoFrameShowsACut) {
    for (const int mode : {kStitchNone, kStitchBlur, kStitchCollage}) {
        for (const int effect : {2, 1}) {
            RebuildScene scene(mode);
            const PixelBlock before = scene.strip;
            std::srand(5);
            PixelBlock whole;
            ASSERT_EQ(JoinPhotos(scene.photos, mode, effect, PhotoPixelsAfterJoin::kKeep, whole), kOk);
            ASSERT_NE(whole.pixels, before.pixels);

            std::srand(5);
            StripRebuildState state;
            ASSERT_EQ(BeginStripRebuild(scene.photos, mode, scene.strip, effect, state), kOk);
            int slices = 0;
            // The frame, 30 columns wide, glides one column per slice to the
            // strip's end and back.
            for (int step = 1, left = 30; state.Running(); left += step, ++slices) {
                if (left == 0 || left + 30 == scene.strip.width) step = -step;
                const ColumnSpan shown{left, left + 29};
                ASSERT_EQ(ContinueStripRebuild(scene.photos, mode, scene.strip, state, 40, shown), kOk);
                EXPECT_TRUE(ColumnsEqual(scene.strip, before, shown) || ColumnsEqual(scene.strip, whole, shown))
                    << "mode " << mode << ", slice " << slices;
            }
            EXPECT_EQ(scene.strip.pixels, whole.pixels) << "mode " << mode << ", effect " << effect;
            EXPECT_GT(slices, 10) << "a slice of 40 pixels is a row of one photo";
        }
    }
}

TEST(StripBlur, OnePhotoIsJoinedUnblurred) {
    std::vector<PhotoRecord> photos;
    photos.push_back(PatternPhoto(0, 64, 9));
    PixelBlock strip;
    ASSERT_EQ(JoinPhotos(photos, kStitchBlur, 0, PhotoPixelsAfterJoin::kKeep, strip), kOk);
    EXPECT_EQ(strip.pixels, photos[0].block.pixels);
}

TEST(StripBlur, SeamBetweenBlackAndGreyFollowsTheNarrowingWindows) {
    // Band pixels 0..14 are 0 and 15..29 are 150; each blurred pixel is the
    // mean over its window, worked out by hand: for pixel p the window holds
    // (window end - 14) grey pixels.
    std::vector<PhotoRecord> photos;
    photos.push_back(UniformPhoto(40, 3, 0));
    photos.push_back(UniformPhoto(40, 3, 150));
    PixelBlock strip;
    ASSERT_EQ(JoinPhotos(photos, kStitchBlur, 0, PhotoPixelsAfterJoin::kKeep, strip), kOk);

    const std::array<int, 30> expected = {0,  0,  0,  0,   0,   0,   0,   0,   0,   0,   12,  34,  42,  60,  70,
                                          80, 90, 96, 115, 125, 150, 150, 150, 150, 150, 150, 150, 150, 150, 150};
    for (int y = 0; y < 3; ++y)
        for (int p = 0; p < 30; ++p)
            for (int c = 0; c < 3; ++c)
                EXPECT_EQ(strip.Row(y)[(25 + p) * 3 + c], expected[p]) << "row " << y << " band pixel " << p;
    // Outside the band nothing changes.
    EXPECT_EQ(strip.Row(1)[24 * 3], 0);
    EXPECT_EQ(strip.Row(1)[55 * 3], 150);
}

TEST(StripBlur, WindowsStayInsideTheBand) {
    for (int p = 0; p < 30; ++p) {
        const BlurWindow w = SeamBlurWindow(p);
        if (w.width == 0) {
            EXPECT_TRUE(p <= 2 || p == 29) << p;
            continue;
        }
        EXPECT_GE(w.start, 0) << p;
        EXPECT_LE(w.start + w.width, 30) << p;
        EXPECT_EQ(w.start, p - w.width / 2) << p;
    }
    std::array<std::uint8_t, 90> row{};
    row[45] = 255;
    EXPECT_EQ(BlurSeamRow(row.data()), kOk);
}

TEST(StripBlur, SeamsOfTallerLaterPhotosBlurTheirWholeHeight) {
    // Photo 0 is the shortest; the work block must still take the 8 rows the
    // second seam copies (sized by photo 0 it would be overrun).
    std::vector<PhotoRecord> photos;
    photos.push_back(UniformPhoto(40, 4, 0));
    photos.push_back(UniformPhoto(40, 8, 150));
    photos.push_back(UniformPhoto(40, 8, 0));
    PixelBlock strip;
    ASSERT_EQ(JoinPhotos(photos, kStitchBlur, 0, PhotoPixelsAfterJoin::kKeep, strip), kOk);
    ASSERT_EQ(strip.height, 8);
    // Second seam (photo 1 grey, photo 2 black): pixel 14 of the band, strip
    // column 80 - 15 + 14 = 79, averages 8 grey and 7 black pixels.
    for (int y = 0; y < 8; ++y) EXPECT_EQ(strip.Row(y)[79 * 3], 150 * 8 / 15) << "row " << y;
    // First seam blurred in photo 0's four rows only; black stays below it.
    for (int y = 0; y < 4; ++y) EXPECT_EQ(strip.Row(y)[39 * 3], 150 * 7 / 15) << "row " << y;
    for (int y = 4; y < 8; ++y) {
        EXPECT_EQ(strip.Row(y)[39 * 3], 0) << "row " << y;
        EXPECT_EQ(strip.Row(y)[41 * 3], 150) << "row " << y;
    }
}

TEST(StripBlur, RefusesBandsOutsideTheStripRow) {
    PixelBlock strip = PixelBlock::Make(20, 2);
    const std::array<std::int32_t, 2> narrow = {10, 10};  // 15 pixels left of the seam do not exist
    const std::array<std::int32_t, 2> heights = {2, 2};
    EXPECT_EQ(BlurSeams(strip, narrow, heights), kErrMemoryAccess);
    const std::array<std::int32_t, 2> tooTall = {2, 3};
    const std::array<std::int32_t, 2> wide = {10, 10};
    EXPECT_EQ(BlurSeams(strip, wide, tooTall), kErrInvalidArgument);
}

TEST(StripViewport, CopiesTheWindowAtItsOffsetInto32BitPixelsAndRefusesOutside) {
    std::vector<PhotoRecord> photos;
    photos.push_back(PatternPhoto(0, 64, 40));
    PixelBlock strip;
    ASSERT_EQ(JoinPhotos(photos, kStitchNone, 0, PhotoPixelsAfterJoin::kKeep, strip), kOk);

    // The viewport sits at (2, 1) of a wider frame whose other pixels stay.
    std::vector<std::uint8_t> frame(20 * 4 * 12, 0xAB);
    // 17 pixels: the fast copy leaves the last few to the plain one.
    const FramePixels viewport{frame.data() + 20 * 4 + 2 * 4, 17, 10, 20 * 4};
    ASSERT_EQ(CopyStripWindow(strip, 5, 7, 9, viewport), kOk);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 17; ++x)
            for (int c = 0; c < 4; ++c)
                ASSERT_EQ(viewport.Row(y)[x * 4 + c], c < 3 ? PatternByte(0, 5 + x, 7 + y, c) : 0)
                    << x << ", " << y << ", channel " << c;
    EXPECT_EQ(viewport.Row(9)[0], 0xAB) << "rows not asked for keep their content";
    EXPECT_EQ(viewport.Row(0)[17 * 4], 0xAB) << "the frame right of the viewport";
    EXPECT_EQ(frame[2 * 4 - 1], 0xAB) << "the frame above it";

    EXPECT_EQ(CopyStripWindow(strip, 47, 30, 10, viewport), kOk);  // touches the bottom-right corner
    EXPECT_EQ(viewport.Row(9)[16 * 4 + 1], PatternByte(0, 63, 39, 1));
    EXPECT_EQ(CopyStripWindow(strip, 48, 0, 10, viewport), kErrTopLeft);
    EXPECT_EQ(CopyStripWindow(strip, 0, 31, 10, viewport), kErrTopLeft);
    EXPECT_EQ(CopyStripWindow(strip, -1, 0, 10, viewport), kErrTopLeft);
}

TEST(StripViewport, BlendIsTheCopyAtZeroTheMeanAtHalfAndStaysInsideTheStrip) {
    std::vector<PhotoRecord> photos;
    photos.push_back(PatternPhoto(0, 64, 40));
    PixelBlock strip;
    ASSERT_EQ(JoinPhotos(photos, kStitchNone, 0, PhotoPixelsAfterJoin::kKeep, strip), kOk);
    std::vector<std::uint8_t> copied(17 * 4 * 10), blended(17 * 4 * 10);
    const FramePixels copy{copied.data(), 17, 10, 17 * 4}, blend{blended.data(), 17, 10, 17 * 4};
    ASSERT_EQ(CopyStripWindow(strip, 5, 7, 10, copy), kOk);
    ASSERT_EQ(BlendStripWindow(strip, 5, 7, 1, 0, 0, 10, blend), kOk);
    EXPECT_EQ(blended, copied);

    for (const auto& [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
        ASSERT_EQ(BlendStripWindow(strip, 5, 7, dx, dy, 128, 10, blend), kOk);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 17; ++x)
                for (int c = 0; c < 3; ++c)
                    ASSERT_EQ(blend.Row(y)[x * 4 + c],
                              (PatternByte(0, 5 + x, 7 + y, c) + PatternByte(0, 5 + x + dx, 7 + y + dy, c) + 1) / 2)
                        << x << ", " << y << " toward " << dx << ", " << dy;
    }

    // The window touching the strip's right and bottom edges has no
    // neighbour beyond them; the whole-pixel window there is still drawn.
    EXPECT_EQ(BlendStripWindow(strip, 47, 30, 1, 0, 1, 10, blend), kErrTopLeft);
    EXPECT_EQ(BlendStripWindow(strip, 47, 30, 0, 1, 255, 10, blend), kErrTopLeft);
    EXPECT_EQ(BlendStripWindow(strip, 0, 0, -1, 0, 128, 10, blend), kErrTopLeft);
    EXPECT_EQ(BlendStripWindow(strip, 47, 30, 1, 0, 0, 10, blend), kOk);
}

// Marks every bitmap pixel a tile covers; true when all band pixels are.
bool TilesCoverTheBands(std::int32_t l, std::int32_t o, std::int32_t b) {
    const int w = l + 2 * b, h = o + 2 * b;
    std::vector<char> covered(static_cast<std::size_t>(w) * h, 0);
    for (const TilePlacement& t : MattingTilePlacements(l, o, b))
        for (int y = t.y; y < std::min(t.y + t.rows, h); ++y)
            for (int x = t.x; x < std::min(t.x + b, w); ++x) covered[static_cast<std::size_t>(y) * w + x] = 1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool inViewport = x >= b && x < b + l && y >= b && y < b + o;
            if (!inViewport && !covered[static_cast<std::size_t>(y) * w + x]) return false;
        }
    return true;
}

TEST(FrameGeometry, TileCountsAndCutTile) {
    const TileCounts even = CountMattingTiles(1000, 800, 100);
    EXPECT_EQ(even.perHorizontalBand, 13);
    EXPECT_EQ(even.wholePerSideBand, 8);
    EXPECT_EQ(even.cutRows, 0);
    EXPECT_EQ(MattingTilePlacements(1000, 800, 100).size(), 2u * 13 + 2u * 8);

    const TileCounts cut = CountMattingTiles(1000, 850, 100);
    EXPECT_EQ(cut.wholePerSideBand, 8);
    EXPECT_EQ(cut.cutRows, 50);
    const std::vector<TilePlacement> tiles = MattingTilePlacements(1000, 850, 100);
    ASSERT_EQ(tiles.size(), 2u * 13 + 2u * 9);
    // The last tile of each side band is the cut one, ending at the bottom band.
    const TilePlacement& leftCut = tiles[2 * 13 + 8];
    EXPECT_EQ(leftCut.x, 0);
    EXPECT_EQ(leftCut.y, 900);
    EXPECT_EQ(leftCut.rows, 50);
    EXPECT_EQ(tiles.back().x, 1100);
    EXPECT_EQ(tiles.back().y + tiles.back().rows, 950);

    EXPECT_TRUE(TilesCoverTheBands(1000, 800, 100));
    EXPECT_TRUE(TilesCoverTheBands(1000, 850, 100));
    EXPECT_TRUE(TilesCoverTheBands(1724, 879, 100));
    EXPECT_TRUE(TilesCoverTheBands(12, 12, 20));
    EXPECT_TRUE(MattingTilePlacements(100, 100, 0).empty());
}

TEST(FrameGeometry, PhraseFontHeightFromPointSize) {
    EXPECT_EQ(PhraseFontHeight(72), -96);
    EXPECT_EQ(PhraseFontHeight(-72), -95);
    EXPECT_EQ(PhraseFontHeight(12), -16);
}

}  // namespace
}  // namespace quorvel
