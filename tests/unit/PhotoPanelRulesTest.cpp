// The Photos panel's selection, shift, stitch, preview and drag rules, and
// the photo order kept in the settings file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imaging/ColourEffects.h"
#include "photos/PhotoPanelRules.h"
#include "storage/PhotoOrder.h"

using namespace quorvel;

TEST(PhotoPanelRules, SelectionStaysOnARealPhotoAfterDeleteAndFollowsAShift) {
    EXPECT_EQ(SelectionAfterDelete(1, 3), 1);
    EXPECT_EQ(SelectionAfterDelete(3, 3), 2);  // the last one went
    EXPECT_EQ(SelectionAfterDelete(0, 0), -1);
    EXPECT_EQ(ShiftPartner(1, 3, -1), 0);
    EXPECT_EQ(ShiftPartner(1, 3, +1), 2);
    EXPECT_EQ(ShiftPartner(0, 3, -1), -1);
    EXPECT_EQ(ShiftPartner(2, 3, +1), -1);
    // A second click moves the same photo on instead of swapping it back.
    const int moved = ShiftPartner(0, 3, +1);
    EXPECT_EQ(ShiftPartner(moved, 3, +1), 2);
}

TEST(PhotoPanelRules, MismatchedPhotosAllowOnlyCollage) {
    EXPECT_TRUE(StitchModeAvailable(0, false, false));
    EXPECT_TRUE(StitchModeAvailable(1, false, false));
    EXPECT_FALSE(StitchModeAvailable(0, true, false));
    EXPECT_FALSE(StitchModeAvailable(1, false, true));
    EXPECT_TRUE(StitchModeAvailable(2, true, true));
}

TEST(PhotoPanelRules, PreviewKeepsThePhotosShapeAndItsWidthCapped) {
    const PreviewSize landscape = FitPreview(400, 300, 201, 1000);
    EXPECT_EQ(landscape.height, 202);
    EXPECT_EQ(landscape.width, 270);
    const PreviewSize small = FitPreview(120, 100, 500, 1000);  // never above the photo
    EXPECT_EQ(small.height, 100);
    EXPECT_EQ(small.width, 120);
    // 10000 x 100 at 100 high would be 10000 wide: capped, shape kept.
    const PreviewSize wide = FitPreview(10000, 100, 300, 500);
    EXPECT_EQ(wide.width, 500);
    EXPECT_EQ(wide.height, 6);
}

TEST(PhotoPanelRules, DragStopsAtThePhotosEdges) {
    EXPECT_EQ(DraggedOffset(50, 10, 400, 100), 40);  // right by 10 shows 10 further left
    EXPECT_EQ(DraggedOffset(5, 10, 400, 100), 0);
    EXPECT_EQ(DraggedOffset(290, -20, 400, 100), 300);
    EXPECT_EQ(DraggedOffset(0, -20, 80, 100), 0);  // view wider than the photo
}

TEST(PhotoPanelRules, ThumbnailSourceIsTheAverageOfEachSquare) {
    // 3200 x 1200 for 80 x 59: a factor of 5 keeps 640 x 240.
    PixelBlock big = PixelBlock::Make(3200, 1200);
    const PixelBlock shrunk = ShrinkForThumbnail(big, 80, 59);
    EXPECT_EQ(shrunk.width, 640);
    EXPECT_EQ(shrunk.height, 240);
    EXPECT_EQ(shrunk.rowBytes, 640 * 3);

    PixelBlock photo = PixelBlock::Make(200, 120);
    for (std::int32_t y = 0; y < 120; ++y)
        for (std::int32_t x = 0; x < 200; ++x)
            photo.Row(y)[3 * x] = static_cast<std::uint8_t>((x % 2) * 100 + (y % 2) * 20);
    const PixelBlock half = ShrinkForThumbnail(photo, 25, 15);
    ASSERT_EQ(half.width, 100);
    ASSERT_EQ(half.height, 60);
    EXPECT_EQ(half.Row(7)[3 * 9], 60);  // (0 + 100 + 20 + 120) / 4
    const PixelBlock same = ShrinkForThumbnail(photo, 80, 59);
    EXPECT_EQ(same.pixels, photo.pixels);

    // Every pixel of an uneven shrink (a factor of 3 and columns and rows
    // left over) is its square's average rounded down, as the rule reads.
    PixelBlock noisy = PixelBlock::Make(1000, 752);
    for (std::size_t i = 0; i < noisy.pixels.size(); ++i)
        noisy.pixels[i] = static_cast<std::uint8_t>(i * 2654435761u >> 13);
    const PixelBlock third = ShrinkForThumbnail(noisy, 80, 59);
    ASSERT_EQ(third.width, 333);
    ASSERT_EQ(third.height, 250);
    int wrong = 0;
    for (std::int32_t y = 0; y < third.height; ++y)
        for (std::int32_t x = 0; x < third.width * 3; ++x) {
            unsigned sum = 0;
            for (std::int32_t dy = 0; dy < 3; ++dy)
                for (std::int32_t dx = 0; dx < 3; ++dx) sum += noisy.Row(3 * y + dy)[(3 * (x / 3) + dx) * 3 + x % 3];
            wrong += third.Row(y)[x] != sum / 9;
        }
    EXPECT_EQ(wrong, 0);
}

TEST(EffectPreview, ThePhotosOwnPixelsAlwaysComeBack) {
    PixelBlock photo = PixelBlock::Make(8, 2);
    for (std::size_t i = 0; i < photo.pixels.size(); ++i) photo.pixels[i] = static_cast<std::uint8_t>(i * 37);
    const PixelBlock own = photo;
    PixelBlock winter = own;
    ApplyPlaybackEffect(winter, 1);

    EffectPreview preview;
    ToggleEffectPreview(preview, 0, 3, photo, 2);  // Fall
    EXPECT_NE(photo.pixels, own.pixels);
    ToggleEffectPreview(preview, 0, 3, photo, 1);  // then Winter: on the photo's own colours
    EXPECT_EQ(photo.pixels, winter.pixels);
    EXPECT_EQ(preview.effect, 1);
    ToggleEffectPreview(preview, 0, 3, photo, 1);  // Winter again: off
    EXPECT_EQ(photo.pixels, own.pixels);
    EXPECT_EQ(preview.effect, 0);

    // Ending a preview (another photo chosen, a turn, closing) restores it.
    ToggleEffectPreview(preview, 0, 3, photo, 4);
    EndEffectPreview(preview, photo);
    EXPECT_EQ(photo.pixels, own.pixels);
    EXPECT_EQ(preview.photo, -1);
    EndEffectPreview(preview, photo);  // nothing shown: nothing changes
    EXPECT_EQ(photo.pixels, own.pixels);
}

TEST(PhotoOrder, StoredOrderFirstThenNewPhotosAndGoneOnesDropped) {
    const std::vector<std::u16string> folder = {u"A.BMP", u"B.BMP", u"C.BMP", u"D.BMP"};
    EXPECT_EQ(PhotoOrderText(folder), u"A.BMP|B.BMP|C.BMP|D.BMP");
    EXPECT_EQ(StoredPhotoOrder(folder, u"c.bmp|X.BMP|A.BMP"), (std::vector<int>{2, 0, 1, 3}));
    EXPECT_EQ(StoredPhotoOrder(folder, u""), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(StoredPhotoOrder(folder, u"B.BMP|B.BMP"), (std::vector<int>{1, 0, 2, 3}));
}
