// The faces of a picture button, made from its template picture: dark
// artwork stays as drawn, near-white areas take the palette's colours, so
// one template gives the normal, hover, pressed and disabled looks.
#pragma once
#include <cstdint>
#include <vector>

#include "base/PixelBlock.h"

namespace quorvel {

// Colours in blue, green, red byte order, as in a 24-bit DIB pixel.
struct ButtonPalette {
    int borderWidth = 1;
    std::uint8_t border[3] = {};
    std::uint8_t flatNormal[3] = {};
    std::uint8_t flatHover[3] = {};
};

// The palette for a background colour given as a COLORREF (0x00BBGGRR):
// the border and the normal face keep its red and green and take blue 0xA0;
// the hover face is a light yellow.
ButtonPalette MakeButtonPalette(std::uint32_t backgroundColourRef);

// The template pictures keep their first columns for the glyph, closed by
// a hairline (tools/make_artwork.py); a caption starts after them.
constexpr int kGlyphAreaColumns = 40;

// Which of the program's own glyph pictures (res/Glyphs.rc, drawn by
// tools/make_artwork.py) stands for a glyph: a symbol font's glyph by its
// low byte, since it answers at 0xF000 plus that code too; the arrows of a
// text font after those. -1 for a glyph without a picture.
int GlyphPictureOffset(std::uint32_t glyph);

// In the order the faces are generated.
enum class ButtonFace { Normal, Grey, Pressed, Disabled, HoverOnSelect, Hover };

// One face as 32-bit pixels (blue, green, red, 0), top row first, rows of
// width * 4 bytes. `source` is the template: packed 3-byte pixels.
std::vector<std::uint8_t> MakeButtonFace(const PixelBlock& source, ButtonFace face, const ButtonPalette& palette);

// The factor a button's template picture is scaled by to fill its control as
// the dialog laid it out. The pictures are drawn for the large template at
// 96 DPI, where a control may be a little larger or smaller than its
// picture: there the picture is used as drawn (1). A control much larger or
// smaller (other DPIs, a dialog shrunk to fit) takes the picture scaled to
// fit inside it, keeping its shape.
double FaceScale(int pictureWidth, int pictureHeight, int controlWidth, int controlHeight);

}  // namespace quorvel
