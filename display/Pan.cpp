#include "display/Pan.h"

#include <algorithm>

#include "display/Strip.h"

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

Status PanOnce(const PixelBlock& strip, PanState& pan, const FramePixels& viewport, PanOutcome* outcome) {
    const std::int32_t W = strip.width, H = strip.height, l = viewport.width, o = viewport.height;
    if (W <= 0 || H <= 0 || o <= 0 || l <= 0 || l > W || o > H) return kErrInvalidArgument;
    const std::int32_t left = pan.centreX - l / 2, right = pan.centreX + l / 2 - 1;
    const std::int32_t top = pan.centreY - o / 2, bottom = pan.centreY + o / 2 - 1;
    const std::int32_t s = pan.step;
    if (left >= 0 && right < W && top >= 0 && bottom < H) {
        // An odd viewport height reaches one row below `bottom`; that row is
        // copied only while it lies inside the strip.
        const std::int32_t rows = top + o <= H ? o : o - 1;
        if (Status st = CopyStripWindow(strip, left, top, rows, viewport); st != kOk) return st;
        switch (pan.direction) {
            case kPanRight: pan.centreX += s; break;
            case kPanUp: pan.centreY -= s; break;
            case kPanLeft: pan.centreX -= s; break;
            default: pan.centreY += s; break;
        }
        if (outcome) *outcome = PanOutcome::Moved;
        return kOk;
    }
    switch (pan.direction) {
        case kPanRight: pan.centreX -= s; break;
        case kPanUp: pan.centreY += s; break;
        case kPanLeft: pan.centreX += s; break;
        default: pan.centreY -= s; break;
    }
    pan.direction = static_cast<std::int16_t>((pan.direction + 1) % 4);
    pan.turns += 1;
    if (outcome) *outcome = PanOutcome::Turned;
    return kOk;
}

}  // namespace quorvel
