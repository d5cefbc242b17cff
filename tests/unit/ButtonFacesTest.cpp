#include "ui/ButtonFaces.h"

#include <gtest/gtest.h>

#include <array>

using quorvel::ButtonFace;
using quorvel::ButtonPalette;
using quorvel::MakeButtonFace;
using quorvel::MakeButtonPalette;
using quorvel::PixelBlock;

namespace {

using Bgr = std::array<std::uint8_t, 3>;

const Bgr kWhite{255, 255, 255};
const Bgr kNearWhite{0xEF, 0xF5, 0xFF};
const Bgr kJustDark{0xEE, 0xFF, 0xFF};  // one channel below 239
const Bgr kArt{0x40, 0x30, 0x20};

// A 6 x 4 template, all near-white but for two artwork pixels.
PixelBlock Template() {
    PixelBlock b = PixelBlock::Make(6, 4);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 6; ++c) {
            const Bgr& p = (r == 0 && c == 3) ? kJustDark : (r == 2 && c == 2) ? kArt : (c == 1 ? kNearWhite : kWhite);
            std::copy(p.begin(), p.end(), b.Row(r) + c * 3);
        }
    return b;
}

Bgr At(const std::vector<std::uint8_t>& face, int w, int r, int c) {
    const std::uint8_t* p = face.data() + (r * w + c) * 4;
    EXPECT_EQ(p[3], 0) << "fourth byte stays 0";
    return {p[0], p[1], p[2]};
}

Bgr Of(const std::uint8_t (&c)[3]) { return {c[0], c[1], c[2]}; }

TEST(ButtonPalette, ComesFromTheBackgroundColour) {
    const ButtonPalette p = MakeButtonPalette(0x502428);  // RGB(0x28, 0x24, 0x50)
    EXPECT_EQ(p.borderWidth, 1);
    EXPECT_EQ(Of(p.border), (Bgr{0xA0, 0x24, 0x28}));
    EXPECT_EQ(Of(p.flatNormal), (Bgr{0xA0, 0x24, 0x28}));
    EXPECT_EQ(Of(p.flatHover), (Bgr{0xB3, 0xFF, 0xFF}));
}

// A palette with distinct colours, so that border and face can be told apart.
ButtonPalette Distinct(int border = 1) {
    ButtonPalette p;
    p.borderWidth = border;
    const std::uint8_t b[3] = {1, 2, 3}, n[3] = {4, 5, 6}, h[3] = {7, 8, 9};
    std::copy(b, b + 3, p.border);
    std::copy(n, n + 3, p.flatNormal);
    std::copy(h, h + 3, p.flatHover);
    return p;
}

TEST(ButtonFaces, NormalFaceHasABorderOnAllFourSides) {
    const PixelBlock t = Template();
    const ButtonPalette p = Distinct();
    const auto face = MakeButtonFace(t, ButtonFace::Normal, p);
    ASSERT_EQ(face.size(), 6u * 4 * 4);
    EXPECT_EQ(At(face, 6, 0, 0), Of(p.border));
    EXPECT_EQ(At(face, 6, 3, 4), Of(p.border));  // bottom row
    EXPECT_EQ(At(face, 6, 2, 5), Of(p.border));  // right column
    EXPECT_EQ(At(face, 6, 1, 1), Of(p.flatNormal));
    EXPECT_EQ(At(face, 6, 2, 4), Of(p.flatNormal));
    EXPECT_EQ(At(face, 6, 2, 2), kArt);       // artwork kept
    EXPECT_EQ(At(face, 6, 0, 3), kJustDark);  // not near-white: kept even on the border
}

TEST(ButtonFaces, OtherFacesHaveTheBorderOnlyTopAndLeft) {
    const PixelBlock t = Template();
    const ButtonPalette p = Distinct();
    const auto hover = MakeButtonFace(t, ButtonFace::Hover, p);
    EXPECT_EQ(At(hover, 6, 0, 4), Of(p.border));
    EXPECT_EQ(At(hover, 6, 2, 0), Of(p.border));
    EXPECT_EQ(At(hover, 6, 3, 4), Of(p.flatHover));
    EXPECT_EQ(At(hover, 6, 2, 5), Of(p.flatHover));
    EXPECT_EQ(At(hover, 6, 1, 1), Of(p.flatHover));
    EXPECT_EQ(At(hover, 6, 2, 2), kArt);
    for (ButtonFace f : {ButtonFace::Grey, ButtonFace::Pressed, ButtonFace::HoverOnSelect}) {
        const auto face = MakeButtonFace(t, f, p);
        EXPECT_EQ(At(face, 6, 0, 1), Of(p.border));
        EXPECT_EQ(At(face, 6, 3, 0), Of(p.border));
        EXPECT_EQ(At(face, 6, 3, 5), (Bgr{0, 0, 0}));
        EXPECT_EQ(At(face, 6, 1, 1), (Bgr{0, 0, 0}));
        EXPECT_EQ(At(face, 6, 2, 2), kArt);
    }
}

TEST(ButtonFaces, DisabledFaceIsTheTemplate) {
    const PixelBlock t = Template();
    const auto face = MakeButtonFace(t, ButtonFace::Disabled, Distinct());
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 6; ++c) {
            const std::uint8_t* p = t.Row(r) + c * 3;
            EXPECT_EQ(At(face, 6, r, c), (Bgr{p[0], p[1], p[2]})) << r << "," << c;
        }
}

TEST(ButtonFaces, BorderWidthComesFromThePalette) {
    const PixelBlock t = Template();
    const ButtonPalette p = Distinct(2);
    const auto face = MakeButtonFace(t, ButtonFace::Normal, p);
    EXPECT_EQ(At(face, 6, 1, 1), Of(p.border));
    EXPECT_EQ(At(face, 6, 2, 4), Of(p.border));
    EXPECT_EQ(At(face, 6, 2, 3), Of(p.border));  // row 2 = H - B
    const auto hover = MakeButtonFace(t, ButtonFace::Hover, p);
    EXPECT_EQ(At(hover, 6, 2, 3), Of(p.flatHover));
    EXPECT_EQ(At(hover, 6, 1, 3), Of(p.border));
}

TEST(ButtonFaces, AnEmptyOrShortTemplateGivesNoFace) {
    EXPECT_TRUE(MakeButtonFace(PixelBlock{}, ButtonFace::Normal, Distinct()).empty());
    PixelBlock t = Template();
    t.pixels.resize(10);
    EXPECT_TRUE(MakeButtonFace(t, ButtonFace::Normal, Distinct()).empty());
}

}  // namespace

TEST(FaceScale, KeepsThePictureAsDrawnNearItsSizeAndFitsItInsideOtherwise) {
    using quorvel::FaceScale;
    EXPECT_DOUBLE_EQ(FaceScale(200, 56, 200, 56), 1.0);
    EXPECT_DOUBLE_EQ(FaceScale(200, 56, 187, 72), 1.0);           // 96 DPI: a little narrower, taller
    EXPECT_DOUBLE_EQ(FaceScale(160, 50, 270, 116), 270.0 / 160);  // 144 DPI: the width limits
    EXPECT_DOUBLE_EQ(FaceScale(200, 56, 120, 40), 0.6);           // a dialog shrunk to fit
    EXPECT_DOUBLE_EQ(FaceScale(200, 56, 0, 40), 1.0);             // no layout to follow
}

TEST(GlyphPictureOffset, SymbolGlyphsByLowByteTextArrowsAfterThem) {
    using quorvel::GlyphPictureOffset;
    EXPECT_EQ(GlyphPictureOffset(0xCF), 0xCF);
    EXPECT_EQ(GlyphPictureOffset(0xF0CF), 0xCF);  // the same WebDings glyph
    EXPECT_EQ(GlyphPictureOffset(0x21B7), 0x103);
    EXPECT_EQ(GlyphPictureOffset(0x263A), -1);
}
