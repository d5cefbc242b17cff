// The machinery every panel dialog shares: opening it from the template
// that suits the display (and again after a DPI or display change),
// centring it, its picture buttons with their faces and hover tracking, its
// icons, system-menu entries and background. A panel brings only its table
// of buttons and its own handlers.
#pragma once
#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

#include "base/AppState_win.h"
#include "base/ErrorReporter_win.h"
#include "ui/ButtonFaces.h"
#include "ui/Help_win.h"

namespace quorvel {

// One owner-drawn push button of a panel.
struct GlyphButton {
    std::int32_t controlId;  // 0: bitmap loaded, no control
    HBITMAP normalFace;
    HBITMAP defaultFace;  // never generated
    HBITMAP greyFace;
    HBITMAP pressedFace;
    HBITMAP disabledFace;
    HBITMAP hoverFace;
    HBITMAP hoverSelectFace;
    std::int32_t state[4];  // state[kHoverState] is the hover flag
    std::int32_t pressedLook;
    std::int32_t glyph;        // UTF-16 code unit; 0 or less: none
    std::int32_t secondGlyph;  // 0: none
    HWND control;
    std::uint32_t secondPlacement;
    std::uint32_t glyphPlacement;
    std::uint32_t fontFlags;  // bit 0: keep the context's font
    float faceScale = 1.0f;   // the faces' size against the template picture
};

constexpr int kHoverState = 2;

// Placement flags of a glyph.
enum : std::uint32_t {
    kGlyphShiftLeft = 1,
    kGlyphShiftRight = 2,
    kGlyphRaise = 4,
    kGlyphLower = 8,
};

// What a panel's table says about one button.
struct GlyphButtonSpec {
    int controlId;
    int bitmapId;
    int glyph;
    int secondGlyph = 0;
    std::uint32_t glyphPlacement = 0;
    std::uint32_t secondPlacement = 0;
    std::uint32_t fontFlags = 0;
};

struct ScreenDimensions {
    int width;
    int height;
};

// Primary screen size as last recorded; a panel that sees another size
// after a display change reopens itself.
extern ScreenDimensions gScreenSize;
extern HFONT gUiMessageFont;
extern LOGFONTW gUiMessageLogFont;
extern ButtonPalette gButtonPalette;

// Start-up: records the screen size and makes UiMessageFont from the
// system's message font (an earlier one is deleted first).
[[nodiscard]] Status RecordScreenAndMessageFont();
void DeleteUiMessageFont();
void FillButtonPalette();

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
    ErrorSite site{};       // recorded with kErrCreateDialog
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
// in a box, anything else as kErrMemory (only an allocation fails that way
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

// A panel: where its opening is aimed, within its monitor's work area; any
// other window: centred above the primary monitor's taskbar.
void CenterPanel(HWND window);
// The hook of the panels' file dialogs: centres them above the taskbar.
UINT_PTR CALLBACK CentreFileDialog(HWND hook, UINT message, WPARAM wParam, LPARAM lParam);
// A file dialog's filter list from a string-table text whose pairs are
// separated by "|", as the dialog wants it: each part null-ended, and an
// empty part at the end.
std::wstring LoadFilterList(unsigned textId);
// Loads a 24-bit-capable bitmap resource as packed 3-byte pixels, top row first.
[[nodiscard]] Status LoadButtonTemplate(int bitmapId, PixelBlock* pixels);
// The reading part of LoadButtonTemplate: kErrWidthNotMultipleOf4 when the 24-bit rows would
// carry padding, kErrColourTable for fewer than 16 bits per pixel.
[[nodiscard]] Status ReadButtonBitmap(HBITMAP bitmap, PixelBlock* pixels);
// A control larger than width x height is made that size, centred where
// the dialog laid it out.
[[nodiscard]] Status FitControlToBitmap(HWND dialog, int controlId, int width, int height);
// A picture static (SS_BITMAP | SS_REALSIZECONTROL) scales its picture to
// the place the dialog laid out, whose shape depends on the font: the
// static shrinks to the picture's shape inside that place, centred.
void KeepPictureShape(HWND dialog, int controlId);
// The picture scaled by `scale` (FaceScale), smoothly.
[[nodiscard]] Status ScaleButtonPicture(PixelBlock* pixels, double scale);
[[nodiscard]] Status BuildButtonFaces(const PixelBlock& pixels, GlyphButton* record);
LRESULT CALLBACK TrackButtonHover(HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR index,
                                  DWORD_PTR data);

// Steps 2 and 3 of a panel's set-up: fills `records` from the table, builds
// every button, subclasses it (the subclass id is the record's index) and
// stores the table in the dialog. A record with control id 0 gets only its
// faces; a control's later records are looks of it, set up by its first.
[[nodiscard]] Status SetUpGlyphButtons(HWND dialog, const GlyphButtonSpec* specs, GlyphButton* records, int count);
// The table stored in the dialog, or nullptr.
GlyphButton* PanelButtons(HWND dialog, int* count);
// Removes the hover subclass of every button that is still a window.
void RemoveButtonHover(HWND dialog);
void FreeGlyphButtons(GlyphButton* records, int count);

[[nodiscard]] Status SetPanelIcons(HWND dialog);
// A separator, then the items.
void AppendPanelSystemMenu(HWND dialog, std::span<const PanelMenuItem> items);
// WM_ERASEBKGND of every panel: the program's dark background, and the
// dialog's result that says the background is erased.
INT_PTR PaintPanelBackground(HWND dialog, HDC dc);
// WM_CTLCOLORSTATIC for the panel's coloured texts.
INT_PTR ColourPanelStatic(HDC dc);
// A themed group box ignores the colours of WM_CTLCOLORSTATIC; without its
// theme it takes them like the other texts.
void UnthemeControl(HWND dialog, int controlId);
// Themes, and Wine's own drawing, keep a group box's caption black whatever
// WM_CTLCOLORSTATIC says, which cannot be read on the dark background: a
// group box given here is drawn by the panel, its caption in the text
// colour. Other controls are left as they are.
void PaintGroupBoxInTextColour(HWND control);
// Configure mode hides a group of controls: `moved` (a group box first, then
// what it holds) moves up into the place of the hidden group box, and the
// dialog loses the height no shown control needs any more, keeping the
// bottom margin it had below `moved`, and is centred again. Call it from
// the set-up, after the hiding.
void CloseHiddenGap(HWND dialog, int hiddenGroup, std::span<const int> moved);

// The display-change trigger: true when the panel must end itself to be
// opened again (and then ScreenSize holds the new size).
bool ScreenSizeChanged();

}  // namespace quorvel
