#include "ui/ButtonFaces.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace quorvel {

namespace {

constexpr std::uint8_t kNearWhite = 0xEF;

bool IsNearWhite(const std::uint8_t* p) { return p[0] >= kNearWhite && p[1] >= kNearWhite && p[2] >= kNearWhite; }

void Put(std::uint8_t* to, const std::uint8_t* bgr) { std::memcpy(to, bgr, 3); }

}  // namespace

ButtonPalette MakeButtonPalette(std::uint32_t backgroundColourRef) {
    const std::uint8_t red = backgroundColourRef & 0xFF;
    const std::uint8_t green = (backgroundColourRef >> 8) & 0xFF;
    ButtonPalette palette;
    palette.borderWidth = 1;
    const std::uint8_t blueFace[3] = {0xA0, green, red};
    std::memcpy(palette.border, blueFace, 3);
    std::memcpy(palette.flatNormal, blueFace, 3);
    const std::uint8_t lightYellow[3] = {0xB3, 0xFF, 0xFF};
    std::memcpy(palette.flatHover, lightYellow, 3);
    return palette;
}

std::vector<std::uint8_t> MakeButtonFace(const PixelBlock& source, ButtonFace face, const ButtonPalette& palette) {
    const int w = source.width;
    const int h = source.height;
    std::vector<std::uint8_t> out;
    if (source.Empty() || source.rowBytes < w * 3 || source.pixels.size() < source.Bytes()) return out;
    out.assign(static_cast<std::size_t>(w) * h * 4, 0);
    const int b = palette.borderWidth;
    static const std::uint8_t kBlack[3] = {0, 0, 0};
    for (int r = 0; r < h; ++r) {
        const std::uint8_t* in = source.Row(r);
        std::uint8_t* to = out.data() + static_cast<std::size_t>(r) * w * 4;
        for (int c = 0; c < w; ++c, in += 3, to += 4) {
            if (face == ButtonFace::Disabled || !IsNearWhite(in)) {
                Put(to, in);
                continue;
            }
            const bool topOrLeft = r < b || c < b;
            switch (face) {
                case ButtonFace::Normal:
                    Put(to, topOrLeft || r >= h - b || c >= w - b ? palette.border : palette.flatNormal);
                    break;
                case ButtonFace::Hover: Put(to, topOrLeft ? palette.border : palette.flatHover); break;
                default: Put(to, topOrLeft ? palette.border : kBlack); break;
            }
        }
    }
    return out;
}

double FaceScale(int pictureWidth, int pictureHeight, int controlWidth, int controlHeight) {
    if (pictureWidth <= 0 || pictureHeight <= 0 || controlWidth <= 0 || controlHeight <= 0) return 1.0;
    const double scale =
        std::min(static_cast<double>(controlWidth) / pictureWidth, static_cast<double>(controlHeight) / pictureHeight);
    constexpr double kAsDrawnLow = 0.9, kAsDrawnHigh = 1.25;
    return scale >= kAsDrawnLow && scale <= kAsDrawnHigh ? 1.0 : scale;
}

int GlyphPictureOffset(std::uint32_t glyph) {
    if (glyph < 0x100 || (glyph & 0xFF00) == 0xF000) return static_cast<int>(glyph & 0xFF);
    static constexpr std::uint32_t kTextGlyphs[] = {0x2190, 0x2192, 0x21B6, 0x21B7};
    for (std::size_t i = 0; i < std::size(kTextGlyphs); ++i)
        if (kTextGlyphs[i] == glyph) return 0x100 + static_cast<int>(i);
    return -1;
}

}  // namespace quorvel
