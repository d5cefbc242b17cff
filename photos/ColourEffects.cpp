#include "photos/ColourEffects.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace quorvel {

namespace {

// The hue of a pixel depends only on G - B and 2R - G - B; these are the
// offsets that make both differences table indexes.
constexpr int kGreenBlueOffset = 255;
constexpr int kRedOffset = 510;
constexpr int kRedSpan = 2 * kRedOffset + 1;

// The hue rule, kept in the single-precision steps that decide which whole
// degree a pixel gets; 360 marks "no valid hue".
std::uint16_t HueFromDifferences(int greenMinusBlue, int twoRedMinusGreenBlue) {
    float hue = static_cast<float>(std::atan2(std::sqrt(3.0) * greenMinusBlue,
                                              static_cast<double>(twoRedMinusGreenBlue)) *
                                   57.29577951308232);
    if (hue < 0.0f) hue += 360.0f;
    if (hue >= 360.0f) hue -= 360.0f;
    unsigned degrees = static_cast<unsigned>(hue + 0.5f);
    if (degrees == 360) degrees = 0;
    return degrees > 359 ? 0 : static_cast<std::uint16_t>(degrees);
}

// atan2 per pixel is most of the cost of an effect, and a photo has only
// 511 x 1021 distinct difference pairs: one table of about 1 MB, made on
// first use, gives every hue exactly as the rule would.
const std::vector<std::uint16_t>& HueTable() {
    static const std::vector<std::uint16_t> table = [] {
        std::vector<std::uint16_t> t(static_cast<std::size_t>(2 * kGreenBlueOffset + 1) * kRedSpan);
        for (int d1 = -kGreenBlueOffset; d1 <= kGreenBlueOffset; ++d1)
            for (int d2 = -kRedOffset; d2 <= kRedOffset; ++d2)
                t[static_cast<std::size_t>(d1 + kGreenBlueOffset) * kRedSpan + (d2 + kRedOffset)] =
                    HueFromDifferences(d1, d2);
        return t;
    }();
    return table;
}

// 1 - |(h / 60) mod 2 - 1| for every new hue the effects draw (0 to 359).
const float* SectorShares() {
    static const std::vector<float> shares = [] {
        std::vector<float> s(360);
        for (unsigned h = 0; h < 360; ++h)
            s[h] = 1.0f - std::fabs(std::fmod(static_cast<float>(h) / 60.0f, 2.0f) - 1.0f);
        return s;
    }();
    return shares.data();
}

bool NearGrey(const std::uint8_t* p) {
    int b = p[0], g = p[1], r = p[2];
    return std::abs(r - g) <= 1 && std::abs(r - b) <= 1;
}

std::uint8_t ToByte(float value) { return static_cast<std::uint8_t>(static_cast<unsigned>(value)); }

// Gives the pixel hue h while keeping its brightest and darkest channel,
// so its brightness and saturation stay.
void Recolour(std::uint8_t* p, unsigned h, const float* shares) {
    int b = p[0], g = p[1], r = p[2];
    int mn = std::min(r, std::min(g, b));
    int mx = std::max(r, std::max(g, b));
    int chroma = mx - mn;
    float x = static_cast<float>(chroma) * shares[h];
    std::uint8_t lo = static_cast<std::uint8_t>(mn), hi = static_cast<std::uint8_t>(mx);
    std::uint8_t mid = ToByte(x + static_cast<float>(mn));
    std::uint8_t nr, ng, nb;
    switch (h / 60) {
        case 0: nr = hi, ng = mid, nb = lo; break;
        case 1: nr = mid, ng = hi, nb = lo; break;
        case 2: nr = lo, ng = hi, nb = mid; break;
        case 3: nr = lo, ng = mid, nb = hi; break;
        case 4: nr = mid, ng = lo, nb = hi; break;
        default: nr = hi, ng = lo, nb = mid; break;
    }
    p[0] = nb;
    p[1] = ng;
    p[2] = nr;
}

bool HuesFit(const PixelBlock& photo, const std::vector<std::uint16_t>& hues) {
    return !photo.Empty() &&
           hues.size() >= static_cast<std::size_t>(photo.width) * static_cast<std::size_t>(photo.height) &&
           photo.pixels.size() >= photo.Bytes();
}

template <typename Chosen>
void RecolourChosen(PixelBlock& photo, const std::vector<std::uint16_t>& hues, unsigned low, unsigned high,
                    Chosen chosen) {
    if (!HuesFit(photo, hues)) return;
    const float* shares = SectorShares();
    const std::uint16_t* hue = hues.data();
    for (std::int32_t y = 0; y < photo.height; ++y) {
        std::uint8_t* p = photo.Row(y);
        for (std::int32_t x = 0; x < photo.width; ++x, p += 3, ++hue) {
            if (!chosen(*hue) || NearGrey(p)) continue;
            Recolour(p, RandomBetween(low, high), shares);
        }
    }
}

}  // namespace

unsigned RandomBetween(unsigned low, unsigned high) {
    if (high <= low) return low;
    // Scaled by the generator's own range: with Windows' RAND_MAX of 32767
    // this is the divide by 32768, and a larger RAND_MAX cannot overflow or
    // reach past high - 1.
    unsigned long long draw = static_cast<unsigned long long>(std::rand());
    return low + static_cast<unsigned>(draw * (high - low) / (static_cast<unsigned long long>(RAND_MAX) + 1));
}

std::vector<std::uint16_t> PhotoHues(const PixelBlock& photo) {
    std::vector<std::uint16_t> hues;
    if (photo.Empty() || photo.pixels.size() < photo.Bytes()) return hues;
    hues.resize(static_cast<std::size_t>(photo.width) * static_cast<std::size_t>(photo.height));
    const std::uint16_t* table = HueTable().data();
    std::uint16_t* out = hues.data();
    for (std::int32_t y = 0; y < photo.height; ++y) {
        const std::uint8_t* p = photo.Row(y);
        for (std::int32_t x = 0; x < photo.width; ++x, p += 3) {
            int b = p[0], g = p[1], r = p[2];
            *out++ = table[static_cast<std::size_t>(g - b + kGreenBlueOffset) * kRedSpan +
                           static_cast<std::size_t>(2 * r - g - b + kRedOffset)];
        }
    }
    return hues;
}

void FallEffect(PixelBlock& photo, const std::vector<std::uint16_t>& hues) {
    RecolourChosen(photo, hues, 0, 45, [](unsigned hue) { return hue >= 60 && hue <= 300; });
}

void SummerEffect(PixelBlock& photo, const std::vector<std::uint16_t>& hues) {
    RecolourChosen(photo, hues, 60, 165, [](unsigned hue) { return hue <= 45 || hue >= 315; });
}

void WinterEffect(PixelBlock& photo) {
    if (photo.Empty() || photo.pixels.size() < photo.Bytes()) return;
    for (std::int32_t y = 0; y < photo.height; ++y) {
        std::uint8_t* p = photo.Row(y);
        for (std::int32_t x = 0; x < photo.width; ++x, p += 3) {
            double sum = 0.72 * p[1] + 0.21 * p[2] + 0.07 * p[0];
            unsigned l = static_cast<unsigned>(sum);
            if (l > 255) l = 255;
            p[0] = static_cast<std::uint8_t>(l + 100 >= 255 ? 255 : l + 100);
            p[1] = p[2] = static_cast<std::uint8_t>(l > 100 ? l - 100 : 0);
        }
    }
}

void ApplyPlaybackEffect(PixelBlock& photo, int effectBits) {
    if (effectBits & 2) {
        FallEffect(photo, PhotoHues(photo));
    } else if (effectBits & 1) {
        WinterEffect(photo);
    } else if (effectBits & 4) {
        SummerEffect(photo, PhotoHues(photo));
    }
}

}  // namespace quorvel
