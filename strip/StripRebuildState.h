// How far a playback-effect rebuild of an album's strip has come. The
// rebuild recolours the photos a slice per timer tick, in album order and
// row order, into blocks of their own, and puts finished photos into the
// strip together once the frame would not show a cut between old and new
// colours, so that the glide never waits for a whole strip.
#pragma once
#include <cstdint>
#include <vector>

#include "base/PixelBlock.h"

namespace quorvel {

struct StripRebuildState {
    std::int32_t effectBits = 0;
    std::int32_t photo = -1;  // the next photo to recolour; -1 while no rebuild runs
    std::int32_t row = 0;     // that photo's next row
    std::int32_t placed = 0;  // photos already in the strip
    std::int64_t column = 0;  // the strip column where photo `placed` starts
    // Recoloured photos placed..photo (the last one unfinished).
    std::vector<PixelBlock> recoloured;

    bool Running() const { return photo >= 0; }
};

}  // namespace quorvel
