#include "ui/GroupBoxes_win.h"

#include <commctrl.h>

#include <algorithm>

#include "base/Guards_win.h"
#include "base/Utilities_win.h"
#include "ui/Panel_win.h"

namespace quorvel {

void UnthemeControl(HWND dialog, int controlId) {
    using SetWindowThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    HMODULE theme = LoadLibraryW(L"uxtheme.dll");
    if (theme == nullptr) return;
    auto setTheme =
        reinterpret_cast<SetWindowThemeFn>(reinterpret_cast<void*>(GetProcAddress(theme, "SetWindowTheme")));
    if (setTheme != nullptr) setTheme(GetDlgItem(dialog, controlId), L"", L"");
    FreeLibrary(theme);
}

namespace {

void DrawGroupBox(HWND box, HDC dc) {
    RECT r;
    GetClientRect(box, &r);
    SelectedObject font(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(box, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    RECT frame = r;
    frame.top += metrics.tmHeight / 2;
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    wchar_t caption[kMessageChars] = L"";
    if (GetWindowTextW(box, caption, kMessageChars) == 0) return;
    RECT text = {r.left + metrics.tmAveCharWidth, r.top, r.right - metrics.tmAveCharWidth, r.top + metrics.tmHeight};
    DrawTextW(dc, caption, -1, &text, DT_SINGLELINE | DT_CALCRECT);
    text.right = std::min(text.right + 2, r.right - 1);
    text.left -= 2;
    FillRect(dc, &text, gAppState->backgroundBrush);
    SetTextColor(dc, gAppState->textColour);
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, caption, -1, &text, DT_SINGLELINE | DT_CENTER | DT_END_ELLIPSIS);
}

LRESULT CALLBACK PaintGroupBox(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR);

LRESULT OnGroupBoxMessage(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PaintScope paint(box);
            DrawGroupBox(box, paint.dc());
            return 0;
        }
        case WM_ERASEBKGND: return 1;  // the dialog has painted the background under it
        case WM_SETTEXT:
        case WM_ENABLE: {
            // The button class draws at once in its own colours: paint the
            // dialog there again, and the box over it.
            const LRESULT result = DefSubclassProc(box, message, wParam, lParam);
            const RECT r = ChildRect(GetParent(box), box);
            RedrawWindow(GetParent(box), &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
            return result;
        }
        case WM_NCDESTROY: RemoveWindowSubclass(box, PaintGroupBox, 0); break;
        default: break;
    }
    return DefSubclassProc(box, message, wParam, lParam);
}

LRESULT CALLBACK PaintGroupBox(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    return WithinPanelBoundary<LRESULT>(box, 0, [&] { return OnGroupBoxMessage(box, message, wParam, lParam); });
}

}  // namespace

void PaintGroupBoxInTextColour(HWND control) {
    if (control == nullptr || gAppState == nullptr) return;
    if ((GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK) != BS_GROUPBOX) return;
    SetWindowSubclass(control, PaintGroupBox, 0, 0);
}

void CloseHiddenGap(HWND dialog, int hiddenGroup, std::span<const int> moved) {
    if (dialog == nullptr || moved.empty()) return;
    const RECT hidden = ChildRect(dialog, GetDlgItem(dialog, hiddenGroup));
    const RECT group = ChildRect(dialog, GetDlgItem(dialog, moved[0]));
    const int shift = group.top - hidden.top;
    if (shift <= 0) return;
    for (int id : moved) {
        HWND control = GetDlgItem(dialog, id);
        const RECT r = ChildRect(dialog, control);
        MoveWindow(control, r.left, r.top - shift, r.right - r.left, r.bottom - r.top, FALSE);
    }
    RECT client;
    GetClientRect(dialog, &client);
    const int margin = client.bottom - group.bottom;
    int lowest = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        // The dialog is not shown yet, so the style says what will be.
        if (GetWindowLongPtrW(child, GWL_STYLE) & WS_VISIBLE)
            lowest = std::max<int>(lowest, ChildRect(dialog, child).bottom);
    const int spare = client.bottom - (lowest + std::max(margin, 0));
    if (spare <= 0) return;
    RECT window;
    GetWindowRect(dialog, &window);
    SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left, window.bottom - window.top - spare,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CenterPanel(dialog);
}

}  // namespace quorvel
