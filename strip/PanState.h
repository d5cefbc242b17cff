// Where an album's viewport is on its strip and where it heads next: the
// state of the glide that strip/Pan.h moves one step per tick.
#pragma once
#include <cstdint>

namespace quorvel {

enum PanDirection : std::int16_t { kPanRight = 0, kPanUp = 1, kPanLeft = 2, kPanDown = 3 };

struct PanState {
    std::int32_t centreX = 0;
    std::int32_t centreY = 0;
    std::int16_t direction = kPanRight;
    std::int32_t step = 1;
    std::int32_t turns = 0;
};

}  // namespace quorvel
