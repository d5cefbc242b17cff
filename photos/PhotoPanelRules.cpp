#include "photos/PhotoPanelRules.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "imaging/ColourEffects.h"

namespace quorvel {

int SelectionAfterDelete(int deleted, int countAfter) {
    if (countAfter <= 0) return -1;
    return std::clamp(deleted, 0, countAfter - 1);
}

int ShiftPartner(int selected, int count, int direction) {
    const int partner = selected + (direction < 0 ? -1 : 1);
    if (selected < 0 || selected >= count || partner < 0 || partner >= count) return -1;
    return partner;
}

bool StitchModeAvailable(int mode, bool sizeMismatch, bool orientationMismatch) {
    return mode == 2 || !(sizeMismatch || orientationMismatch);
}

PreviewSize FitPreview(std::int32_t width, std::int32_t height, std::int32_t availableHeight, std::int32_t maxWidth) {
    if (width <= 0 || height <= 0 || availableHeight <= 0 || maxWidth <= 0) return {0, 0};
    const auto even = [](std::int64_t n) { return static_cast<std::int32_t>(n + (n & 1)); };
    PreviewSize size;
    size.height = even(std::min(availableHeight, height));
    size.width = even(std::int64_t{size.height} * width / height);
    if (size.width > maxWidth) {
        size.width = maxWidth & ~1;
        size.height = std::max<std::int32_t>(even(std::int64_t{size.width} * height / width), 2);
    }
    return size;
}

std::int32_t DraggedOffset(std::int32_t offset, std::int32_t delta, std::int32_t photoSize, std::int32_t viewSize) {
    const std::int32_t furthest = std::max(photoSize - viewSize, 0);
    return std::clamp(offset - delta, 0, furthest);
}

PixelBlock ShrinkForThumbnail(const PixelBlock& photo, std::int32_t width, std::int32_t height) {
    if (photo.Empty() || width <= 0 || height <= 0) return photo;
    // A column's sum over one square is kept in 16 bits; a larger factor
    // would only leave a bigger copy for the scaling to finish.
    constexpr std::int32_t kLargestFactor = 0xFFFF / 0xFF;
    const std::int32_t factor = std::min({photo.width / (4 * width), photo.height / (4 * height), kLargestFactor});
    if (factor < 2) return photo;
    PixelBlock shrunk = PixelBlock::Make(photo.width / factor, photo.height / factor);
    // Each band of `factor` rows is added up column by column first (a plain
    // add a byte, which the compiler vectorises), then each square's columns;
    // the average multiplies by the reciprocal, and the half added keeps
    // whole quotients from falling below themselves by rounding.
    const std::size_t used = static_cast<std::size_t>(shrunk.width) * factor * 3;
    std::vector<std::uint16_t> columns(used);
    const double reciprocal = 1.0 / (static_cast<double>(factor) * factor);
    for (std::int32_t y = 0; y < shrunk.height; ++y) {
        const std::uint8_t* top = photo.Row(y * factor);
        for (std::size_t i = 0; i < used; ++i) columns[i] = top[i];
        for (std::int32_t row = y * factor + 1; row < (y + 1) * factor; ++row) {
            const std::uint8_t* in = photo.Row(row);
            for (std::size_t i = 0; i < used; ++i) columns[i] = static_cast<std::uint16_t>(columns[i] + in[i]);
        }
        const std::uint16_t* column = columns.data();
        std::uint8_t* out = shrunk.Row(y);
        for (std::int32_t x = 0; x < shrunk.width; ++x, out += 3) {
            std::uint32_t blue = 0, green = 0, red = 0;
            for (std::int32_t k = 0; k < factor; ++k, column += 3) {
                blue += column[0];
                green += column[1];
                red += column[2];
            }
            out[0] = static_cast<std::uint8_t>((blue + 0.5) * reciprocal);
            out[1] = static_cast<std::uint8_t>((green + 0.5) * reciprocal);
            out[2] = static_cast<std::uint8_t>((red + 0.5) * reciprocal);
        }
    }
    return shrunk;
}

void ToggleEffectPreview(EffectPreview& preview, int album, int photoIndex, PixelBlock& photo, int effect) {
    const int shown = preview.effect;
    EndEffectPreview(preview, photo);
    if (shown == effect || photo.Empty()) return;
    // The copy is made before the effect changes anything, so a failed
    // allocation leaves the photo as it is.
    PixelBlock effected = photo;
    ApplyPlaybackEffect(effected, effect);
    preview.original = std::exchange(photo, std::move(effected));
    preview.album = album;
    preview.photo = photoIndex;
    preview.effect = effect;
}

void EndEffectPreview(EffectPreview& preview, PixelBlock& photo) {
    if (preview.effect != 0) photo = std::move(preview.original);
    preview = EffectPreview{};
}

}  // namespace quorvel
