#include "photos/PhotoPanelRules.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "display/ColourEffects.h"

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
    const std::int32_t factor = std::min(photo.width / (4 * width), photo.height / (4 * height));
    if (factor < 2) return photo;
    PixelBlock shrunk = PixelBlock::Make(photo.width / factor, photo.height / factor);
    const std::uint32_t area = static_cast<std::uint32_t>(factor * factor);
    std::vector<std::uint32_t> sums(static_cast<std::size_t>(shrunk.width) * 3);
    for (std::int32_t y = 0; y < shrunk.height; ++y) {
        std::fill(sums.begin(), sums.end(), 0u);
        for (std::int32_t row = y * factor; row < (y + 1) * factor; ++row) {
            const std::uint8_t* in = photo.Row(row);
            for (std::int32_t x = 0; x < shrunk.width * factor; ++x)
                for (int c = 0; c < 3; ++c) sums[static_cast<std::size_t>(x / factor) * 3 + c] += in[3 * x + c];
        }
        std::uint8_t* out = shrunk.Row(y);
        for (std::size_t i = 0; i < sums.size(); ++i) out[i] = static_cast<std::uint8_t>(sums[i] / area);
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
