// The playback-effect rebuild of a strip in slices. The strip is recoloured
// from the album's kept photos, in album order and row order (the
// order the effects draw their random hues in), so a finished rebuild holds
// the same pixels as JoinPhotos would have built, with no second strip
// (only the few recoloured photos around the frame wait beside it).
// Platform-neutral.
#pragma once
#include <cstdint>
#include <span>

#include "base/ErrorCodes.h"
#include "imaging/PhotoRecord.h"
#include "base/PixelBlock.h"
#include "strip/StripRebuildState.h"

namespace quorvel {

// Pixels one slice recolours: a few milliseconds of the slowest effect, far
// below the 65 ms tick. Seventy full-HD photos take some forty seconds.
constexpr std::int64_t kRebuildSlicePixels = std::int64_t{1} << 18;

// How far from the frame an edge between new and old colours is placed, in
// columns: the frame's glide of a few seconds.
constexpr std::int64_t kRebuildEdgeMargin = 64;

// The strip columns the next frame shows, first to last.
struct ColumnSpan {
    std::int32_t first = 0;
    std::int32_t last = -1;
};

// Starts a rebuild with effectBits over a strip the photos were joined into
// in stitchMode. kErrInvalidArgument when the strip does not have the photos' joined size.
[[nodiscard]] Status BeginStripRebuild(std::span<const PhotoRecord> photos, int stitchMode, const PixelBlock& strip,
                                       int effectBits, StripRebuildState& state);

// Recolours about `pixels` photo pixels into blocks of their own, then puts
// the finished photos into the strip where `shown` stays clear of the edge
// between new and old colours: a frame shows either the old colours or the
// new, never a cut between them. Should the frame have reached that edge,
// the photos it shows are finished at once instead. The state stops running
// once the strip is done. kErrInvalidArgument for a strip or photos other than at the
// start; kErrMemory or kErrMemoryAccess as JoinPhotos.
[[nodiscard]] Status ContinueStripRebuild(std::span<const PhotoRecord> photos, int stitchMode, PixelBlock& strip,
                                          StripRebuildState& state, std::int64_t pixels, ColumnSpan shown);

}  // namespace quorvel
