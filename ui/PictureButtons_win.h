// The panels' picture buttons: owner-drawn push buttons whose faces are made
// from a template picture, scaled to the place the dialog laid out, and lit
// while the mouse hovers over them.
#pragma once
#include <windows.h>

#include <cstdint>
#include <span>

#include "base/ErrorCodes.h"
#include "base/Guards_win.h"
#include "base/PixelBlock.h"

namespace quorvel {

// One owner-drawn push button of a panel.
struct GlyphButton {
    std::int32_t controlId;  // 0: bitmap loaded, no control
    BitmapHandle normalFace;
    BitmapHandle defaultFace;  // never generated
    BitmapHandle greyFace;
    BitmapHandle pressedFace;
    BitmapHandle disabledFace;
    BitmapHandle hoverFace;
    BitmapHandle hoverSelectFace;
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
// A picture static (SS_BITMAP | SS_REALSIZECONTROL) scales its picture to
// the place the dialog laid out, whose shape depends on the font: the
// static shrinks to the picture's shape inside that place, centred.
void KeepPictureShape(HWND dialog, int controlId);

// Steps 2 and 3 of a panel's set-up: fills `records` (one per spec) from the
// table, builds every button and subclasses it with its record, which must
// therefore stay where it is until RemoveButtonHover. A record with control
// id 0 gets only its faces; a control's later records are looks of it, set
// up by its first.
[[nodiscard]] Status SetUpGlyphButtons(HWND dialog, std::span<const GlyphButtonSpec> specs,
                                       std::span<GlyphButton> records);
// Removes the hover subclass of every button that is still a window.
void RemoveButtonHover(std::span<GlyphButton> records);

}  // namespace quorvel
