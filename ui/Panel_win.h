// The machinery every panel dialog shares: opening it from the template
// that suits the display (and again after a DPI or display change),
// centring it, its picture buttons with their faces and hover tracking, its
// icons, system-menu entries and background. A panel brings only its table
// of buttons and its own handlers.
#pragma once
#include <windows.h>

#include <cstdint>
#include <span>

#include "base/AppState_win.h"
#include "base/ErrorReporter_win.h"
#include "base/Guards_win.h"
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

// A panel as the one panel procedure runs it: what every panel shares is
// done from this description, and the handlers add what is the panel's own.
// Every handler is optional. onInit runs after the shared set-up (centring,
// icons, unthemed group boxes, system menu, picture buttons); onSysCommand
// and onMessage return true for what they handled. IDM_PANEL_ABOUT opens
// About and IDM_PANEL_HELP runs helpFile; SC_CLOSE ends the panel unless
// onSysCommand, which is asked first, handled it.
struct PanelDescription {
    int largeTemplate = 0;
    int smallTemplate = 0;
    ErrorSite site{};       // recorded with 10005
    int panelRequest = -1;  // PanelId cleared at the end, or -1
    std::span<const GlyphButtonSpec> buttons{};
    std::span<const int> colouredControls{};  // statics and group boxes in the text colour
    std::span<const int> groupBoxes{};        // unthemed, so that they take the colour
    std::span<const PanelMenuItem> menu{};
    const wchar_t* helpFile = nullptr;
    HelpFile helpFlag = kHelpHome;
    Status (*onInit)(HWND dialog) = nullptr;
    void (*onCommand)(HWND dialog, int id) = nullptr;
    bool (*onSysCommand)(HWND dialog, WPARAM command) = nullptr;
    bool (*onMessage)(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) = nullptr;
    // After the buttons are freed; reopening tells a panel that opens again.
    void (*onDestroy)(HWND dialog, bool reopening) = nullptr;
};

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

// Runs the panel until it ends without asking to be reopened: first centred
// on the primary monitor, then each time where it was (after a DPI change,
// where Windows put it), from the template that suits the DPI of that
// monitor, its font rewritten. result receives the panel's result, openings
// how often it was opened.
[[nodiscard]] Status LaunchPanel(HWND owner, const PanelDescription& panel, INT_PTR* result = nullptr,
                                 int* openings = nullptr);
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
[[nodiscard]] Status SetPanelIcons(HWND dialog);
// A separator, then the items.
void AppendPanelSystemMenu(HWND dialog, std::span<const PanelMenuItem> items);
// WM_ERASEBKGND of every panel: the program's dark background, and the
// dialog's result that says the background is erased.
INT_PTR PaintPanelBackground(HWND dialog, HDC dc);
// WM_CTLCOLORSTATIC for the panel's coloured texts.
INT_PTR ColourPanelStatic(HDC dc);
}  // namespace quorvel
