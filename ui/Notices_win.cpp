#include "ui/Notices_win.h"

#include "base/ErrorReporter_win.h"
#include "base/Utilities_win.h"

namespace quorvel {

int ShowNotice(const wchar_t* text, UINT style, const wchar_t* caption) {
    if (caption == nullptr) caption = gAppState ? gAppState->caption : L"";
    HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    const int answer = MessageBoxW(nullptr, text, caption, style | MB_TASKMODAL);
    SetCursor(previous);
    return answer;
}

void ShowNotice(unsigned textId, const wchar_t* caption) {
    wchar_t text[kMessageChars];
    ShowError(LoadText(textId, text, sizeof text));
    ShowNotice(text, MB_OK, caption);
}

int AskOwner(const wchar_t* text, UINT style) {
    const wchar_t* caption = gAppState ? gAppState->programName : L"";
    return MessageBoxW(gMode.ownerWindow, text, caption, (style & ~MB_RIGHT) | MB_TASKMODAL);
}

}  // namespace quorvel
