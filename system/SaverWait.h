// The screen saver's wait as the Power panel shows and sets it: whole
// minutes from 1 to 999, on a vertical scroll bar that runs the other way
// (position = 999 - minutes) so that its up arrow lengthens the wait.
// Windows keeps the wait in seconds, and anything below a minute reads back
// as one minute, so a wait of 0 cannot be set. Platform-neutral.
#pragma once
#include <string>
#include <string_view>

namespace quorvel {

constexpr int kMinWaitMinutes = 1;
constexpr int kMaxWaitMinutes = 999;
constexpr int kWaitPageMinutes = 21;

// The scroll-bar actions, numbered as Windows numbers them (SB_LINEUP ...).
enum class ScrollAction : int {
    LineUp = 0,
    LineDown = 1,
    PageUp = 2,
    PageDown = 3,
    ThumbPosition = 4,
    ThumbTrack = 5,
    Top = 6,
    Bottom = 7,
};

// "ScreenSaveTimeOut" as minutes: unreadable text or less than a minute
// counts as one minute, more than the longest wait as the longest.
int WaitMinutesFromSeconds(std::u16string_view seconds);
// The wait in seconds, as Windows keeps it, held within 1 to 999 minutes.
int WaitSeconds(int minutes);
std::u16string WaitSecondsText(int minutes);

int ScrollPositionOfWait(int minutes);
// The end of the scroll range: the shortest wait.
int BottomWaitPosition();
// The wait after the scroll-bar action (thumb: the thumb's position); other
// actions leave it as it is.
int WaitAfterScroll(int minutes, int action, int thumb);

}  // namespace quorvel
