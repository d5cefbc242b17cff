// The colour effects written out pixel by pixel, exactly as their rules
// read: atan2 for every hue, fmod for every new colour, a double sum for every
// luminance. Slow on purpose: the unit tests hold the program's effects to
// the same bytes, and the benchmarks measure them against it. Not part of the
// program.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "base/PixelBlock.h"
#include "imaging/ColourEffects.h"

namespace quorvel::literal {

inline std::vector<std::uint16_t> PhotoHues(const PixelBlock& photo) {
    std::vector<std::uint16_t> hues(static_cast<std::size_t>(photo.width) * photo.height, 0);
    for (std::int32_t row = 0; row < photo.height; ++row) {
        for (std::int32_t column = 0; column < photo.width; ++column) {
            const std::uint8_t* p = photo.Row(row) + column * 3;
            int B = p[0], G = p[1], R = p[2];
            float hue = static_cast<float>(std::atan2(std::sqrt(3.0) * (G - B), static_cast<double>(2 * R - G - B)) *
                                           57.29577951308232);
            if (hue < 0) hue += 360;
            if (hue >= 360) hue -= 360;
            unsigned degrees = static_cast<unsigned>(hue + 0.5f);
            if (degrees == 360) degrees = 0;
            if (degrees > 359) continue;
            hues[static_cast<std::size_t>(row) * photo.width + column] = static_cast<std::uint16_t>(degrees);
        }
    }
    return hues;
}

inline bool NearGrey(int R, int G, int B) { return std::abs(R - G) <= 1 && std::abs(R - B) <= 1; }

inline void Rebuild(std::uint8_t* p, unsigned h) {
    int B = p[0], G = p[1], R = p[2];
    int mn = std::min(R, std::min(G, B));
    int mx = std::max(R, std::max(G, B));
    int C = mx - mn;
    float X = C * (1.0f - std::fabs(std::fmod(h / 60.0f, 2.0f) - 1.0f));
    auto byte = [](float v) { return static_cast<std::uint8_t>(static_cast<unsigned>(v)); };
    float r, g, b;
    if (h < 60) {
        r = mx, g = X + mn, b = mn;
    } else if (h < 120) {
        r = X + mn, g = mx, b = mn;
    } else if (h < 180) {
        r = mn, g = mx, b = X + mn;
    } else if (h < 240) {
        r = mn, g = X + mn, b = mx;
    } else if (h < 300) {
        r = X + mn, g = mn, b = mx;
    } else {
        r = mx, g = mn, b = X + mn;
    }
    p[0] = byte(b);
    p[1] = byte(g);
    p[2] = byte(r);
}

inline void FallEffect(PixelBlock& photo, const std::vector<std::uint16_t>& hues) {
    for (std::int32_t row = 0; row < photo.height; ++row) {
        for (std::int32_t column = 0; column < photo.width; ++column) {
            std::uint8_t* p = photo.Row(row) + column * 3;
            unsigned hue = hues[static_cast<std::size_t>(row) * photo.width + column];
            if (hue < 60 || hue > 300 || NearGrey(p[2], p[1], p[0])) continue;
            Rebuild(p, quorvel::RandomBetween(0, 45));
        }
    }
}

inline void SummerEffect(PixelBlock& photo, const std::vector<std::uint16_t>& hues) {
    for (std::int32_t row = 0; row < photo.height; ++row) {
        for (std::int32_t column = 0; column < photo.width; ++column) {
            std::uint8_t* p = photo.Row(row) + column * 3;
            unsigned hue = hues[static_cast<std::size_t>(row) * photo.width + column];
            if (!(hue <= 45 || hue >= 315) || NearGrey(p[2], p[1], p[0])) continue;
            Rebuild(p, quorvel::RandomBetween(60, 165));
        }
    }
}

inline void WinterEffect(PixelBlock& photo) {
    for (std::int32_t row = 0; row < photo.height; ++row) {
        for (std::int32_t column = 0; column < photo.width; ++column) {
            std::uint8_t* p = photo.Row(row) + column * 3;
            double L = 0.72 * p[1];
            L += 0.21 * p[2];
            L += 0.07 * p[0];
            unsigned luminance = static_cast<unsigned>(L);
            if (luminance > 255) luminance = 255;
            p[0] = static_cast<std::uint8_t>(luminance + 100 >= 255 ? 255 : luminance + 100);
            std::uint8_t greenRed = static_cast<std::uint8_t>(luminance > 100 ? luminance - 100 : 0);
            p[1] = greenRed;
            p[2] = greenRed;
        }
    }
}

}  // namespace quorvel::literal
