// The panels' picture buttons: owner-drawn push buttons whose faces are made
// from a template picture, scaled to the place the dialog laid out, and lit
// while the mouse hovers over them.
#pragma once
#include <windows.h>

#include <cstdint>

#include "base/ErrorCodes.h"
#include "base/PixelBlock.h"

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

// Loads a 24-bit-capable bitmap resource as packed 3-byte pixels, top row first.
[[nodiscard]] Status LoadButtonTemplate(int bitmapId, PixelBlock* pixels);
// The reading part of LoadButtonTemplate: 10058 when the 24-bit rows would
// carry padding, 10060 for fewer than 16 bits per pixel.
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

}  // namespace quorvel
