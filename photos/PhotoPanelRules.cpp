#include "photos/PhotoPanelRules.h"

#include <algorithm>
#include <utility>

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
