#include "system/SaverWait.h"

#include <algorithm>

#include "base/Text.h"

namespace quorvel {

namespace {

int ClampWait(long long minutes) {
    return static_cast<int>(std::clamp<long long>(minutes, kMinWaitMinutes, kMaxWaitMinutes));
}

}  // namespace

int WaitMinutesFromSeconds(std::u16string_view seconds) {
    const std::string text = ToAscii(seconds);
    if (text.empty() || text.size() > 12 || text.find_first_not_of("0123456789") != std::string::npos)
        return kMinWaitMinutes;
    return ClampWait(std::stoll(text) / 60);
}

int WaitSeconds(int minutes) { return ClampWait(minutes) * 60; }

std::u16string WaitSecondsText(int minutes) { return FromAscii(std::to_string(WaitSeconds(minutes))); }

int ScrollPositionOfWait(int minutes) { return kMaxWaitMinutes - ClampWait(minutes); }

int BottomWaitPosition() { return ScrollPositionOfWait(kMinWaitMinutes); }

int WaitAfterScroll(int minutes, int action, int thumb) {
    long long next = minutes;
    switch (static_cast<ScrollAction>(action)) {
        case ScrollAction::LineUp: next += 1; break;
        case ScrollAction::LineDown: next -= 1; break;
        case ScrollAction::PageUp: next += kWaitPageMinutes; break;
        case ScrollAction::PageDown: next -= kWaitPageMinutes; break;
        case ScrollAction::ThumbPosition:
        case ScrollAction::ThumbTrack: next = kMaxWaitMinutes - thumb; break;
        case ScrollAction::Top: next = kMaxWaitMinutes; break;
        case ScrollAction::Bottom: next = kMinWaitMinutes; break;
        default: return minutes;
    }
    return ClampWait(next);
}

}  // namespace quorvel
