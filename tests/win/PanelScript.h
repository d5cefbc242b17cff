// Drives a panel on a real template from a timer on the test's own thread
// while the panel's modal loop runs: one step per tick, and the message
// boxes that come meanwhile answered and their texts kept.
#pragma once
#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "base/ErrorCodes.h"

namespace quorvel::test {

// The last step ends the panel. A step that opens a box runs the next
// steps from inside the box's loop, after the box is answered.
struct PanelScript {
    std::wstring title;
    std::deque<std::function<void(HWND)>> steps;
    std::vector<std::wstring> boxes;
};

// Runs `open` with the script's steps ticking; the panel must end by them.
Status RunScripted(PanelScript& script, const std::function<Status()>& open);

void Command(HWND panel, int id);
std::wstring Text(HWND panel, int id);
// The first box's text, for a failure message.
std::string FirstBox(const PanelScript& script);

}  // namespace quorvel::test
