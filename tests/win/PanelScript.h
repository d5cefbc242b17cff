// Drives a panel from a timer on the test's own thread while the panel's
// modal loop runs, and gives the process records the colours, brush, icon
// and button palette a panel is drawn with.
#pragma once
#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "base/ErrorCodes.h"

namespace quorvel::test {

// Steps run one per timer tick while a panel is up; message boxes that come
// meanwhile are answered and their texts kept. The last step ends the panel.
// A step that opens a box runs the next steps from inside the box's loop,
// after the box is answered.
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

// The look start-up gives the panels, for the life of the object; the
// process records must exist first.
class PanelLook {
public:
    PanelLook();
    ~PanelLook();
    PanelLook(const PanelLook&) = delete;
    PanelLook& operator=(const PanelLook&) = delete;
};

}  // namespace quorvel::test
