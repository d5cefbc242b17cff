#include "tests/win/PanelScript.h"

#include <cwchar>
#include <utility>

#include "base/AppState_win.h"
#include "ui/Panel_win.h"

namespace quorvel::test {

namespace {

PanelScript* gScript = nullptr;

BOOL CALLBACK AnswerBox(HWND window, LPARAM) {
    wchar_t cls[32] = L"";
    GetClassNameW(window, cls, 32);
    HWND text = GetDlgItem(window, 0xFFFF);
    if (wcscmp(cls, L"#32770") != 0 || text == nullptr || !IsWindowVisible(window)) return TRUE;
    wchar_t said[512] = L"";
    GetWindowTextW(text, said, 512);
    gScript->boxes.push_back(said);
    PostMessageW(window, WM_COMMAND, IDOK, 0);
    ShowWindow(window, SW_HIDE);
    return TRUE;
}

void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), AnswerBox, 0);
    HWND panel = FindWindowW(L"#32770", gScript->title.c_str());
    if (panel == nullptr || !IsWindowVisible(panel) || gScript->steps.empty()) return;
    auto step = std::move(gScript->steps.front());
    gScript->steps.pop_front();
    step(panel);
}

}  // namespace

Status RunScripted(PanelScript& script, const std::function<Status()>& open) {
    gScript = &script;
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, OnTick);
    const Status status = open();
    KillTimer(nullptr, timer);
    gScript = nullptr;
    return status;
}

void Command(HWND panel, int id) { SendMessageW(panel, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

std::wstring Text(HWND panel, int id) {
    wchar_t text[256] = L"";
    GetDlgItemTextW(panel, id, text, 256);
    return text;
}

std::string FirstBox(const PanelScript& script) {
    if (script.boxes.empty()) return "";
    return std::string(script.boxes[0].begin(), script.boxes[0].end());
}

PanelLook::PanelLook() {
    gAppState->backgroundColour = 0x502428;
    gAppState->backgroundBrush = CreateSolidBrush(0x502428);
    gAppState->textColour = 0x5CD6B9;
    gAppState->appIcon = LoadIconW(nullptr, IDI_APPLICATION);
    FillButtonPalette();
}

PanelLook::~PanelLook() { DeleteObject(gAppState->backgroundBrush); }

}  // namespace quorvel::test
