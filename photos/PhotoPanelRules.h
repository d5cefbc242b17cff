// The Photos panel's rules that do not need a window: where the selection
// goes after a delete or a shift, which stitch modes an album allows, how
// big the preview is and how far a drag may move the actual-size view.
#pragma once
#include <cstdint>

#include "base/PixelBlock.h"

namespace quorvel {

// The photo selected after photo `deleted` went from an album that now has
// `countAfter` photos: the same place, or the new last photo when the last
// one went. -1 when the album is empty.
int SelectionAfterDelete(int deleted, int countAfter);

// The photo `selected` swaps with (direction -1 left, +1 right), which also
// becomes the selection, since the selection moves with the photo; -1 when
// there is no such neighbour.
int ShiftPartner(int selected, int count, int direction);

// Stitch modes: 0 None, 1 Blur, 2 Collage. Joining photos that differ in
// size or orientation edge to edge leaves steps in the strip, so only
// Collage, which separates them, is offered then.
bool StitchModeAvailable(int mode, bool sizeMismatch, bool orientationMismatch);

struct PreviewSize {
    std::int32_t width;
    std::int32_t height;
};
// The preview window for a photo of width x height in fit mode: as high as
// `availableHeight` allows (not above the photo's height), its width by the
// photo's shape, both even. A photo too wide for `maxWidth` is shown that
// wide and lower instead, keeping its shape.
PreviewSize FitPreview(std::int32_t width, std::int32_t height, std::int32_t availableHeight, std::int32_t maxWidth);

// The actual-size view's new offset after the cursor moved `delta` pixels:
// the photo follows the cursor and stops at its edges.
std::int32_t DraggedOffset(std::int32_t offset, std::int32_t delta, std::int32_t photoSize, std::int32_t viewSize);

// A copy of the photo shrunk by a whole factor, each pixel the average of
// its square, to no less than four times width x height: the thumbnail is
// scaled from this, which costs a fraction of scaling the whole photo. A
// photo too small for a factor of 2 is copied as it is.
PixelBlock ShrinkForThumbnail(const PixelBlock& photo, std::int32_t width, std::int32_t height);

// The one playback effect previewed on a photo's pixels, and the pixels it
// replaced: the photo's own colours come back from here, never from a file
// that a failed read could leave previewed.
struct EffectPreview {
    int album = -1;
    int photo = -1;
    int effect = 0;  // effect bit shown (ApplyPlaybackEffect), 0 none
    PixelBlock original;
};

// Shows `effect` on photo `photoIndex` of `album`, or takes it off when it is
// the one shown; another effect starts again from the photo's own pixels.
// The photo must be the one a preview already shown is on, if any (end that
// preview first when the selection moves).
void ToggleEffectPreview(EffectPreview& preview, int album, int photoIndex, PixelBlock& photo, int effect);
// Puts the photo's own pixels back; `photo` is the previewed one.
void EndEffectPreview(EffectPreview& preview, PixelBlock& photo);

}  // namespace quorvel
