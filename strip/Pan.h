// The glide of an album's viewport round the edge of its strip, one pixel
// per timer tick: right to the strip's end, up, left, down, and again. And
// the viewport's size for a window's client area. Platform-neutral.
#pragma once
#include <cstdint>

#include "base/ErrorCodes.h"
#include "strip/FramePixels.h"
#include "strip/PanState.h"
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
// and turns. kErrInvalidArgument for sizes that cannot pan; kErrTopLeft when the window does
// not lie inside the strip.
[[nodiscard]] Status PanOnce(const PixelBlock& strip, PanState& pan, const FramePixels& viewport, PanOutcome* outcome);

// One tick of a viewport of l x o pixels without drawing it: the move or
// turn PanOnce makes.
PanOutcome AdvancePan(std::int32_t stripWidth, std::int32_t stripHeight, PanState& pan, std::int32_t l, std::int32_t o);

// How far the smooth glide has come `elapsed` counts of a clock of
// `frequency` counts a second after it started, in 1/256 ticks of the
// window timer's interval: it keeps the timer's speed, one pixel per
// interval, whenever the frames come.
std::int64_t GlidePosition(std::int64_t elapsed, std::int64_t frequency, std::int32_t intervalMs);

// The smooth glide's frame, `fraction`/256 of a tick past the pan: the
// viewport drawn between the window the next tick shows and the one after
// it. At a corner, where the next tick turns or the one after would leave
// the strip, the frame holds on the last whole window. kErrInvalidArgument and kErrTopLeft as
// PanOnce.
[[nodiscard]] Status DrawGlide(const PixelBlock& strip, const PanState& pan, std::int32_t fraction,
                               const FramePixels& viewport);

}  // namespace quorvel
