// The glide of an album's viewport round the edge of its strip, one pixel
// per timer tick: right to the strip's end, up, left, down, and again. And
// the viewport's size for a window's client area. Platform-neutral.
#pragma once
#include <cstdint>

#include "base/ErrorCodes.h"
#include "base/FramePixels.h"
#include "base/PanState.h"
#include "base/PixelBlock.h"

namespace quorvel {

// The pan starts in the middle of the strip, heading right.
PanState StartPan(std::int32_t stripWidth, std::int32_t stripHeight);

struct ViewportSize {
    std::int32_t width = 0;   // l: a multiple of 4, so its rows need no padding
    std::int32_t height = 0;  // o
};

// l = min(W - 2B, cx - 2B), o = min(H - 2B, cy - 2B), each at least 12,
// then l raised to the next multiple of 4.
ViewportSize ViewportFor(std::int32_t stripWidth, std::int32_t stripHeight, std::int32_t clientWidth,
                         std::int32_t clientHeight, std::int32_t band);

// The playback-effect cycle after every fifth turn: the next bit of 2, 1, 8,
// 16 that is enabled and not yet applied (the applied set starting over once
// every enabled bit had its turn), or 0 when there is none. `applied` is
// updated as the cycle goes.
int NextEffectBit(std::int16_t enabled, std::int16_t& applied);

enum class PanOutcome { Moved, Turned };

// One tick: copies the viewport out of the strip at the current centre and
// moves one step, or, when the viewport would leave the strip, steps back
// and turns. 10001 for sizes that cannot pan; 10054 when the window does
// not lie inside the strip.
[[nodiscard]] Status PanOnce(const PixelBlock& strip, PanState& pan, const FramePixels& viewport, PanOutcome* outcome);

}  // namespace quorvel
