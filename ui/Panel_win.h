// The machinery every panel dialog shares: opening it from the template
// that suits the display (and again after a DPI or display change),
// centring it, its picture buttons, its icons, system-menu entries and
// background, and one report of what its handlers return. A panel brings
// its tables, its own record and the handlers that work on it.
#pragma once
#include <windows.h>

#include <functional>
#include <optional>
#include <span>

#include "base/AppState_win.h"
#include "base/ErrorReporter_win.h"
#include "base/Guards_win.h"
#include "res/resource.h"
#include "ui/ButtonFaces.h"
#include "ui/Help_win.h"
#include "ui/PictureButtons_win.h"

namespace quorvel {

struct ScreenDimensions {
    int width;
    int height;
};

// The ui layer's one process-wide record: what every panel shares and what
// outlives them. The start-up records the screen size and makes the message
// font (RecordScreenAndMessageFont) and fills the palette of the picture
// buttons' faces (FillButtonPalette); a panel that sees another screen size
// after a display change records it and reopens (ScreenSizeChanged); the
// shutdown deletes the font (DeleteUiMessageFont).
struct UiState {
    ScreenDimensions screenSize{};
    FontHandle messageFont;
    LOGFONTW messageLogFont{};
    ButtonPalette buttonPalette;
};
extern UiState gUiState;

// Start-up: records the screen size and makes the message font from the
// system's (an earlier one is deleted first).
[[nodiscard]] Status RecordScreenAndMessageFont();
void DeleteUiMessageFont();
void FillButtonPalette();
// The display-change trigger: true when the panel must end itself to be
// opened again (and then the record holds the new size).
bool ScreenSizeChanged();

// n scaled from 100 % to the current DPI.
int ScaleByDpi(int n);

// Runs the template as a modal dialog, its font rewritten to "Segoe UI" at
// pointSize (0 keeps the size). Returns the dialog's result or -1.
INT_PTR OpenPanelTemplate(HINSTANCE instance, HWND owner, DLGPROC procedure, int templateId, int pointSize,
                          int* patched, LPARAM parameter = 0);

// One entry a panel adds to its system menu, after a separator.
struct PanelMenuItem {
    unsigned textId;
    UINT command;
};
// The entries of every panel but Home and About.
inline constexpr PanelMenuItem kPanelMenu[] = {{IDS_MENU_ABOUT, IDM_PANEL_ABOUT},
                                               {IDS_MENU_QUORVEL_HELP, IDM_PANEL_HELP}};

// What the skeleton does alike for every panel, from the panel's tables.
// IDM_PANEL_ABOUT opens About and IDM_PANEL_HELP runs helpFile (asking
// whether its window was closed in a box of helpQuestion's style); SC_CLOSE
// ends the panel.
struct PanelParts {
    int largeTemplate = 0;
    int smallTemplate = 0;
    ErrorSite site{};       // recorded with 10005
    int panelRequest = -1;  // PanelId cleared at the end, or -1
    std::span<const GlyphButtonSpec> buttons{};
    std::span<const int> colouredControls{};  // statics and group boxes in the text colour
    std::span<const int> groupBoxes{};        // unthemed, so that they take the colour
    std::span<const PanelMenuItem> menu = kPanelMenu;
    const wchar_t* helpFile = nullptr;
    HelpFile helpFlag = kHelpHome;
    UINT helpQuestion = MB_YESNO | MB_ICONQUESTION;
};

// The record of a panel that keeps none of its own.
struct NoPanelState {};

// A panel as the one panel procedure runs it: its parts, and its handlers,
// each given the dialog and the panel's own record, which LaunchPanel keeps
// for the whole launch, reopenings included. A handler the panel leaves out
// does nothing; each returns how it went, and the skeleton shows a failure
// (ShowError) and the panel goes on. onInit runs after the shared set-up
// (centring, icons, unthemed group boxes, system menu, picture buttons).
// onSysCommand (asked before the shared handling of the system menu) and
// onMessage (before any shared handling) return nothing for what they leave
// to the skeleton; a message they handle gets TRUE. onDestroy runs after the
// buttons are freed; `reopening` tells a panel that opens again.
template <typename State = NoPanelState>
struct PanelDescription {
    PanelParts parts;
    Status (*onInit)(HWND dialog, State& state) = [](HWND, State&) -> Status { return kOk; };
    Status (*onCommand)(HWND dialog, State& state, int id) = [](HWND, State&, int) -> Status { return kOk; };
    std::optional<Status> (*onSysCommand)(HWND dialog, State& state, WPARAM command) =
        [](HWND, State&, WPARAM) -> std::optional<Status> { return std::nullopt; };
    std::optional<Status> (*onMessage)(HWND dialog, State& state, UINT message, WPARAM wParam, LPARAM lParam) =
        [](HWND, State&, UINT, WPARAM, LPARAM) -> std::optional<Status> { return std::nullopt; };
    Status (*onDestroy)(HWND dialog, State& state, bool reopening) = [](HWND, State&, bool) -> Status { return kOk; };
};

namespace panel_detail {

// A panel's handlers bound to its record, as the skeleton calls them
// whatever the record's type.
struct BoundHandlers {
    std::function<Status(HWND)> init;
    std::function<Status(HWND, int)> command;
    std::function<std::optional<Status>(HWND, WPARAM)> sysCommand;
    std::function<std::optional<Status>(HWND, UINT, WPARAM, LPARAM)> message;
    std::function<Status(HWND, bool)> destroy;
};

[[nodiscard]] Status Launch(HWND owner, const PanelParts& parts, const BoundHandlers& handlers, INT_PTR* result,
                            int* openings);

}  // namespace panel_detail

// Runs the panel until it ends without asking to be reopened: first centred
// on the primary monitor, then each time where it was (after a DPI change,
// where Windows put it), from the template that suits the DPI of that
// monitor, its font rewritten. `state` is the panel's record, the opener's
// to read when the panel has ended; result receives the panel's result,
// openings how often it was opened.
template <typename State>
[[nodiscard]] Status LaunchPanel(HWND owner, const PanelDescription<State>& panel, State& state,
                                 INT_PTR* result = nullptr, int* openings = nullptr) {
    return panel_detail::Launch(
        owner, panel.parts,
        {[&](HWND d) { return panel.onInit(d, state); }, [&](HWND d, int id) { return panel.onCommand(d, state, id); },
         [&](HWND d, WPARAM command) { return panel.onSysCommand(d, state, command); },
         [&](HWND d, UINT m, WPARAM w, LPARAM l) { return panel.onMessage(d, state, m, w, l); },
         [&](HWND d, bool reopening) { return panel.onDestroy(d, state, reopening); }},
        result, openings);
}
[[nodiscard]] inline Status LaunchPanel(HWND owner, const PanelDescription<>& panel, INT_PTR* result = nullptr,
                                        int* openings = nullptr) {
    NoPanelState none;
    return LaunchPanel(owner, panel, none, result, openings);
}
// Ends the panel (its hover subclasses removed first) with the result.
void EndPanel(HWND dialog, INT_PTR result);
// Ends the panel so that LaunchPanel opens it again where it is, sized for
// the display there.
void ReopenPanel(HWND dialog);
// The picture buttons of this opening of the panel, in its table's order.
std::span<GlyphButton> PanelButtons(HWND dialog);

// A panel: where its opening is aimed, within its monitor's work area; any
// other window: centred above the primary monitor's taskbar.
void CenterPanel(HWND window);
// A control's rectangle in its dialog's client area.
RECT ChildRect(HWND dialog, HWND child);

// Shows the exception being handled as the panels do: a FatalError's text
// in a box, anything else as 10034 (only an allocation fails that way
// here). Call it only from inside a catch block.
void ReportPanelException(HWND window);

// The boundary no C++ exception crosses, of the panel procedure and of the
// subclass procedures of a panel's controls: what `body` raises is shown,
// the message gets `failed` as its result, and the panel goes on.
template <typename Result, typename Body>
Result WithinPanelBoundary(HWND window, Result failed, Body&& body) {
    try {
        return body();
    } catch (...) {
        ReportPanelException(window);
    }
    return failed;
}

[[nodiscard]] Status SetPanelIcons(HWND dialog);
// A separator, then the items.
void AppendPanelSystemMenu(HWND dialog, std::span<const PanelMenuItem> items);

}  // namespace quorvel
