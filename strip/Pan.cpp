#include "strip/Pan.h"

#include <algorithm>

#include "strip/Strip.h"

namespace quorvel {

PanState StartPan(std::int32_t stripWidth, std::int32_t stripHeight) {
    PanState p;
    p.centreX = stripWidth / 2;
    p.centreY = stripHeight / 2;
    return p;
}

ViewportSize ViewportFor(std::int32_t stripWidth, std::int32_t stripHeight, std::int32_t clientWidth,
                         std::int32_t clientHeight, std::int32_t band) {
    ViewportSize v;
    v.width = std::max(std::min(stripWidth - 2 * band, clientWidth - 2 * band), 12);
    v.height = std::max(std::min(stripHeight - 2 * band, clientHeight - 2 * band), 12);
    v.width = (v.width + 3) / 4 * 4;
    return v;
}

int NextEffectBit(std::int16_t enabled, std::int16_t& applied) {
    if (enabled <= 0) return 0;
    if (applied == enabled) applied = 0;
    for (int bit : {2, 1, 4, 8, 16}) {
        if ((enabled & bit) && !(applied & bit)) {
            applied = static_cast<std::int16_t>(applied | bit);
            return bit;
        }
    }
    return 0;
}

namespace {

bool WindowInside(std::int32_t W, std::int32_t H, const PanState& pan, std::int32_t l, std::int32_t o) {
    const std::int32_t left = pan.centreX - l / 2, right = pan.centreX + l / 2 - 1;
    const std::int32_t top = pan.centreY - o / 2, bottom = pan.centreY + o / 2 - 1;
    return left >= 0 && right < W && top >= 0 && bottom < H;
}

// The pixel step of the pan's direction.
void DirectionStep(std::int16_t direction, std::int32_t& dx, std::int32_t& dy) {
    dx = direction == kPanRight ? 1 : direction == kPanLeft ? -1 : 0;
    dy = direction == kPanDown ? 1 : direction == kPanUp ? -1 : 0;
}

// Moves the centre `steps` pan steps along its direction (back for a
// negative count).
void MoveCentre(PanState& pan, std::int32_t steps) {
    std::int32_t dx = 0, dy = 0;
    DirectionStep(pan.direction, dx, dy);
    pan.centreX += dx * pan.step * steps;
    pan.centreY += dy * pan.step * steps;
}

bool CanPan(const PixelBlock& strip, const FramePixels& viewport) {
    const std::int32_t W = strip.width, H = strip.height, l = viewport.width, o = viewport.height;
    return W > 0 && H > 0 && o > 0 && l > 0 && l <= W && o <= H;
}

}  // namespace

PanOutcome AdvancePan(std::int32_t stripWidth, std::int32_t stripHeight, PanState& pan, std::int32_t l,
                      std::int32_t o) {
    if (WindowInside(stripWidth, stripHeight, pan, l, o)) {
        MoveCentre(pan, 1);
        return PanOutcome::Moved;
    }
    MoveCentre(pan, -1);
    pan.direction = static_cast<std::int16_t>((pan.direction + 1) % 4);
    pan.turns += 1;
    return PanOutcome::Turned;
}

Status PanOnce(const PixelBlock& strip, PanState& pan, const FramePixels& viewport, PanOutcome* outcome) {
    if (!CanPan(strip, viewport)) return kErrInvalidArgument;
    const std::int32_t H = strip.height, l = viewport.width, o = viewport.height;
    if (WindowInside(strip.width, H, pan, l, o)) {
        // An odd viewport height reaches one row below `bottom`; that row is
        // copied only while it lies inside the strip.
        const std::int32_t top = pan.centreY - o / 2;
        const std::int32_t rows = top + o <= H ? o : o - 1;
        if (Status st = CopyStripWindow(strip, pan.centreX - l / 2, top, rows, viewport); st != kOk) return st;
    }
    const PanOutcome moved = AdvancePan(strip.width, H, pan, l, o);
    if (outcome) *outcome = moved;
    return kOk;
}

std::int64_t GlidePosition(std::int64_t elapsed, std::int64_t frequency, std::int32_t intervalMs) {
    if (elapsed <= 0 || frequency <= 0 || intervalMs <= 0) return 0;
    // Whole seconds apart from the rest, so that no product overflows.
    const std::int64_t ms256 = elapsed / frequency * 256000 + elapsed % frequency * 256000 / frequency;
    return ms256 / intervalMs;
}

Status DrawGlide(const PixelBlock& strip, const PanState& pan, std::int32_t fraction, const FramePixels& viewport) {
    if (!CanPan(strip, viewport)) return kErrInvalidArgument;
    const std::int32_t W = strip.width, H = strip.height, l = viewport.width, o = viewport.height;
    PanState at = pan;
    if (!WindowInside(W, H, at, l, o)) {
        MoveCentre(at, -1);
        fraction = 0;
    }
    PanState ahead = at;
    MoveCentre(ahead, 1);
    if (!WindowInside(W, H, ahead, l, o)) fraction = 0;
    std::int32_t dx = 0, dy = 0;
    DirectionStep(at.direction, dx, dy);
    const std::int32_t top = at.centreY - o / 2;
    // As in PanOnce, an odd height's extra row only while both windows have it.
    const std::int32_t rows = std::min(o, H - std::max(top, top + (fraction != 0 ? dy : 0)));
    return BlendStripWindow(strip, at.centreX - l / 2, top, dx, dy, fraction, rows, viewport);
}

}  // namespace quorvel
