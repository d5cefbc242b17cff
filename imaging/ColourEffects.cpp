#include "imaging/ColourEffects.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

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
    float hue = static_cast<float>(
        std::atan2(std::sqrt(3.0) * greenMinusBlue, static_cast<double>(twoRedMinusGreenBlue)) * 57.29577951308232);
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
    return (static_cast<unsigned>(r - g + 1) <= 2) & (static_cast<unsigned>(r - b + 1) <= 2);
}

// For each 60-degree sector of the new hue: the bit shifts that pick
// blue, green and red out of (darkest | middle << 8 | brightest << 16).
constexpr std::uint8_t kSectorShifts[6][3] = {{0, 8, 16}, {0, 16, 8}, {8, 16, 0}, {16, 8, 0}, {16, 0, 8}, {8, 0, 16}};

// Random colours make every comparison of channels a coin toss, so the
// smaller and larger are taken without branches.
inline int Smaller(int a, int b) { return b + ((a - b) & ((a - b) >> 31)); }
inline int Larger(int a, int b) { return a - ((a - b) & ((a - b) >> 31)); }

// Gives the pixel hue h while keeping its brightest and darkest channel,
// so its brightness and saturation stay. Fall's hues all lie in the first
// sector, which spares it the choice of channel order.
template <bool kRedSector>
void Recolour(std::uint8_t* p, unsigned h, const float* shares) {
    int b = p[0], g = p[1], r = p[2];
    int mn = Smaller(r, Smaller(g, b));
    int mx = Larger(r, Larger(g, b));
    float x = static_cast<float>(mx - mn) * shares[h];
    unsigned mid = static_cast<unsigned>(x + static_cast<float>(mn)) & 0xFF;
    if (kRedSector) {
        p[0] = static_cast<std::uint8_t>(mn);
        p[1] = static_cast<std::uint8_t>(mid);
        p[2] = static_cast<std::uint8_t>(mx);
        return;
    }
    unsigned values = static_cast<unsigned>(mn) | mid << 8 | static_cast<unsigned>(mx) << 16;
    const std::uint8_t* shift = kSectorShifts[h / 60];
    p[0] = static_cast<std::uint8_t>(values >> shift[0]);
    p[1] = static_cast<std::uint8_t>(values >> shift[1]);
    p[2] = static_cast<std::uint8_t>(values >> shift[2]);
}

bool HuesFit(const PixelBlock& photo, const std::vector<std::uint16_t>& hues) {
    return !photo.Empty() &&
           hues.size() >= static_cast<std::size_t>(photo.width) * static_cast<std::size_t>(photo.height) &&
           photo.pixels.size() >= photo.Bytes();
}

// Which pixels change is decided first, without branches, for a run of
// pixels at a time; random colours would otherwise make the choice a
// mispredicted branch for every third pixel. The chosen ones then draw
// their hues from the generator in pixel order, as one pass would.
template <bool kRedSector, typename Chosen>
void RecolourChosen(PixelBlock& photo, const std::vector<std::uint16_t>& hues, unsigned low, unsigned high,
                    Chosen chosen) {
    if (!HuesFit(photo, hues)) return;
    constexpr std::int32_t kRun = 256;
    const float* shares = SectorShares();
    const std::uint16_t* hue = hues.data();
    std::uint16_t picked[kRun];
    std::uint16_t drawn[kRun];
    for (std::int32_t y = 0; y < photo.height; ++y) {
        std::uint8_t* row = photo.Row(y);
        for (std::int32_t start = 0; start < photo.width; start += kRun) {
            std::int32_t end = std::min(photo.width, start + kRun);
            std::int32_t count = 0;
            for (std::int32_t x = start; x < end; ++x, ++hue) {
                picked[count] = static_cast<std::uint16_t>(x - start);
                count += chosen(*hue) & !NearGrey(row + 3 * x);
            }
            // The C runtime's generator may take a lock on every call; drawing
            // the run's hues first keeps that from stalling the recolouring.
            for (std::int32_t i = 0; i < count; ++i) drawn[i] = static_cast<std::uint16_t>(RandomBetween(low, high));
            std::uint8_t* run = row + 3 * start;
            for (std::int32_t i = 0; i < count; ++i) Recolour<kRedSector>(run + 3 * picked[i], drawn[i], shares);
        }
    }
}

// Winter's luminance is 0.72 G + 0.21 R + 0.07 B summed in doubles and
// truncated. That is the whole part of S / 100 with S = 72 G + 21 R + 7 B,
// except when S is an exact multiple of 100: the rounding of the three
// products may then land just below the whole number (white gives 254, not
// 255), so those pixels, about one in a hundred, take the double sum itself.
unsigned WinterLuminanceOfSum(const std::uint8_t* p) {
    double sum = 0.72 * p[1] + 0.21 * p[2] + 0.07 * p[0];
    unsigned l = static_cast<unsigned>(sum);
    return l > 255 ? 255 : l;
}

unsigned WinterLuminance(const std::uint8_t* p) {
    unsigned s = 72u * p[1] + 21u * p[2] + 7u * p[0];
    return s % 100 != 0 ? s / 100 : WinterLuminanceOfSum(p);
}

void WinterPixel(std::uint8_t* p, unsigned l) {
    p[0] = static_cast<std::uint8_t>(l + 100 >= 255 ? 255 : l + 100);
    p[1] = p[2] = static_cast<std::uint8_t>(l > 100 ? l - 100 : 0);
}

void WinterRun(std::uint8_t* p, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i, p += 3) WinterPixel(p, WinterLuminance(p));
}

#if defined(__x86_64__) || defined(__i386__)

// Byte shuffles between 16 interleaved blue-green-red pixels (three 16-byte
// vectors) and 16-bit lanes: for each half of eight pixels, green-red pairs
// and blue-zero pairs; back again, blue and green-red bytes per target
// vector. -128 leaves a byte zero.
struct WinterShuffles {
    alignas(16) std::int8_t pairs[2][2][3][16];  // [half][green-red, blue][source vector][byte]
    alignas(16) std::int8_t scatter[3][2][16];   // [target vector][blue, green-red][byte]
};

constexpr WinterShuffles MakeWinterShuffles() {
    WinterShuffles s{};
    for (int half = 0; half < 2; ++half)
        for (int v = 0; v < 3; ++v)
            for (int j = 0; j < 8; ++j) {
                int pixel = 8 * half + j;
                int green = 3 * pixel + 1, red = 3 * pixel + 2, blue = 3 * pixel;
                s.pairs[half][0][v][2 * j] = static_cast<std::int8_t>(green / 16 == v ? green % 16 : -128);
                s.pairs[half][0][v][2 * j + 1] = static_cast<std::int8_t>(red / 16 == v ? red % 16 : -128);
                s.pairs[half][1][v][2 * j] = static_cast<std::int8_t>(blue / 16 == v ? blue % 16 : -128);
                s.pairs[half][1][v][2 * j + 1] = -128;
            }
    for (int v = 0; v < 3; ++v)
        for (int m = 0; m < 16; ++m) {
            int k = 16 * v + m;
            bool blue = k % 3 == 0;
            s.scatter[v][0][m] = static_cast<std::int8_t>(blue ? k / 3 : -128);
            s.scatter[v][1][m] = static_cast<std::int8_t>(blue ? -128 : k / 3);
        }
    return s;
}

constexpr WinterShuffles kWinterShuffles = MakeWinterShuffles();

__attribute__((target("ssse3"))) inline __m128i Shuffle(__m128i v, const std::int8_t* mask) {
    return _mm_shuffle_epi8(v, _mm_load_si128(reinterpret_cast<const __m128i*>(mask)));
}

// S = 72 G + 21 R + 7 B (at most 25500) for eight pixels in 16-bit lanes;
// the eight pixels of a half lie in two neighbouring source vectors.
__attribute__((target("ssse3"))) inline __m128i WeightedSum(__m128i first, __m128i second, int half) {
    const auto& m = kWinterShuffles.pairs[half];
    __m128i greenRed = _mm_or_si128(Shuffle(first, m[0][half]), Shuffle(second, m[0][half + 1]));
    __m128i blue = _mm_or_si128(Shuffle(first, m[1][half]), Shuffle(second, m[1][half + 1]));
    return _mm_add_epi16(_mm_maddubs_epi16(greenRed, _mm_set1_epi16(21 << 8 | 72)),
                         _mm_maddubs_epi16(blue, _mm_set1_epi16(7)));
}

// (S * 5243) >> 19 is S / 100 for every S up to 25500.
__attribute__((target("ssse3"))) inline __m128i Hundredths(__m128i s) {
    return _mm_srli_epi16(_mm_mulhi_epu16(s, _mm_set1_epi16(5243)), 3);
}

// A group of sixteen pixels holding an exact multiple of 100, kept as it was
// so that those pixels can be redone from the double sum after the fast pass;
// handling them in line would cost a mispredicted branch in one group of
// seven.
struct WinterPending {
    alignas(16) std::uint8_t original[96];
    std::uint8_t* at;
    std::uint32_t lanes;
};

void RedoPending(const WinterPending* pending, std::size_t waiting) {
    for (std::size_t i = 0; i < waiting; ++i) {
        for (std::uint32_t lanes = pending[i].lanes; lanes != 0; lanes &= lanes - 1) {
            int lane = __builtin_ctz(lanes);
            WinterPixel(pending[i].at + 3 * lane, WinterLuminanceOfSum(pending[i].original + 3 * lane));
        }
    }
}

__attribute__((target("ssse3"))) std::size_t WinterSsse3(std::uint8_t* p, std::size_t count) {
    constexpr std::size_t kChunk = 64;
    WinterPending pending[kChunk + 1];
    const __m128i hundred = _mm_set1_epi16(100);
    const __m128i hundredBytes = _mm_set1_epi8(100);
    const auto& scatter = kWinterShuffles.scatter;
    std::size_t done = 0;
    while (done + 16 <= count) {
        std::size_t waiting = 0;
        for (std::size_t g = 0; g < kChunk && done + 16 <= count; ++g, done += 16, p += 48) {
            __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
            __m128i v2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32));
            __m128i sLow = WeightedSum(v0, v1, 0);
            __m128i sHigh = WeightedSum(v1, v2, 1);
            __m128i qLow = Hundredths(sLow);
            __m128i qHigh = Hundredths(sHigh);
            __m128i exactLow = _mm_cmpeq_epi16(_mm_mullo_epi16(qLow, hundred), sLow);
            __m128i exactHigh = _mm_cmpeq_epi16(_mm_mullo_epi16(qHigh, hundred), sHigh);
            int exact = _mm_movemask_epi8(_mm_packs_epi16(exactLow, exactHigh));
            // Written every time, kept only when a lane needs redoing.
            WinterPending& slot = pending[waiting];
            _mm_store_si128(reinterpret_cast<__m128i*>(slot.original), v0);
            _mm_store_si128(reinterpret_cast<__m128i*>(slot.original + 16), v1);
            _mm_store_si128(reinterpret_cast<__m128i*>(slot.original + 32), v2);
            slot.at = p;
            slot.lanes = static_cast<std::uint32_t>(exact);
            waiting += exact != 0;

            __m128i l = _mm_packus_epi16(qLow, qHigh);
            __m128i blue = _mm_adds_epu8(l, hundredBytes);
            __m128i greenRed = _mm_subs_epu8(l, hundredBytes);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p),
                             _mm_or_si128(Shuffle(blue, scatter[0][0]), Shuffle(greenRed, scatter[0][1])));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16),
                             _mm_or_si128(Shuffle(blue, scatter[1][0]), Shuffle(greenRed, scatter[1][1])));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 32),
                             _mm_or_si128(Shuffle(blue, scatter[2][0]), Shuffle(greenRed, scatter[2][1])));
        }
        RedoPending(pending, waiting);
    }
    return done;
}

#if !defined(_WIN32)
// The same steps on two groups of sixteen at once, one in each 128-bit half,
// where AVX2 is there. Not on Windows: GCC cannot keep the stack 32-byte
// aligned there, and a spilled 256-bit register would fault.
__attribute__((target("avx2"))) inline __m256i Shuffle2(__m256i v, const std::int8_t* mask) {
    return _mm256_shuffle_epi8(v, _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(mask))));
}

__attribute__((target("avx2"))) inline __m256i WeightedSum2(__m256i first, __m256i second, int half) {
    const auto& m = kWinterShuffles.pairs[half];
    __m256i greenRed = _mm256_or_si256(Shuffle2(first, m[0][half]), Shuffle2(second, m[0][half + 1]));
    __m256i blue = _mm256_or_si256(Shuffle2(first, m[1][half]), Shuffle2(second, m[1][half + 1]));
    return _mm256_add_epi16(_mm256_maddubs_epi16(greenRed, _mm256_set1_epi16(21 << 8 | 72)),
                            _mm256_maddubs_epi16(blue, _mm256_set1_epi16(7)));
}

__attribute__((target("avx2"))) inline __m256i Hundredths2(__m256i s) {
    return _mm256_srli_epi16(_mm256_mulhi_epu16(s, _mm256_set1_epi16(5243)), 3);
}

__attribute__((target("avx2"))) inline __m256i LoadPair(const std::uint8_t* a, const std::uint8_t* b) {
    return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a))),
                                   _mm_loadu_si128(reinterpret_cast<const __m128i*>(b)), 1);
}

__attribute__((target("avx2"))) inline void StorePair(std::uint8_t* a, std::uint8_t* b, __m256i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(a), _mm256_castsi256_si128(v));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(b), _mm256_extracti128_si256(v, 1));
}

__attribute__((target("avx2"))) std::size_t WinterAvx2(std::uint8_t* p, std::size_t count) {
    constexpr std::size_t kChunk = 32;
    WinterPending pending[kChunk + 1];
    const __m256i hundred = _mm256_set1_epi16(100);
    const __m256i hundredBytes = _mm256_set1_epi8(100);
    const auto& scatter = kWinterShuffles.scatter;
    std::size_t done = 0;
    while (done + 32 <= count) {
        std::size_t waiting = 0;
        for (std::size_t g = 0; g < kChunk && done + 32 <= count; ++g, done += 32, p += 96) {
            __m256i v0 = LoadPair(p, p + 48);
            __m256i v1 = LoadPair(p + 16, p + 64);
            __m256i v2 = LoadPair(p + 32, p + 80);
            __m256i sLow = WeightedSum2(v0, v1, 0);
            __m256i sHigh = WeightedSum2(v1, v2, 1);
            __m256i qLow = Hundredths2(sLow);
            __m256i qHigh = Hundredths2(sHigh);
            __m256i exactLow = _mm256_cmpeq_epi16(_mm256_mullo_epi16(qLow, hundred), sLow);
            __m256i exactHigh = _mm256_cmpeq_epi16(_mm256_mullo_epi16(qHigh, hundred), sHigh);
            // Per half: bits 0-15 the first group's pixels, 16-31 the second's.
            std::uint32_t exact =
                static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_packs_epi16(exactLow, exactHigh)));
            WinterPending& slot = pending[waiting];
            std::memcpy(slot.original, p, 96);
            slot.at = p;
            slot.lanes = exact;
            waiting += exact != 0;

            __m256i l = _mm256_packus_epi16(qLow, qHigh);
            __m256i blue = _mm256_adds_epu8(l, hundredBytes);
            __m256i greenRed = _mm256_subs_epu8(l, hundredBytes);
            StorePair(p, p + 48, _mm256_or_si256(Shuffle2(blue, scatter[0][0]), Shuffle2(greenRed, scatter[0][1])));
            StorePair(p + 16, p + 64,
                      _mm256_or_si256(Shuffle2(blue, scatter[1][0]), Shuffle2(greenRed, scatter[1][1])));
            StorePair(p + 32, p + 80,
                      _mm256_or_si256(Shuffle2(blue, scatter[2][0]), Shuffle2(greenRed, scatter[2][1])));
        }
        RedoPending(pending, waiting);
    }
    return done;
}
#endif

// Winter runs on every photo of an album while it is composed; sixteen pixels
// (or thirty-two) at a time keep it near the speed of copying the bytes.
// Processors without SSSE3 take the pixel-by-pixel way, which gives the same
// bytes.
std::size_t WinterWide(std::uint8_t* p, std::size_t count) {
    std::size_t done = 0;
#if !defined(_WIN32)
    static const bool hasAvx2 = __builtin_cpu_supports("avx2");
    if (hasAvx2) done = WinterAvx2(p, count);
#endif
    static const bool hasSsse3 = __builtin_cpu_supports("ssse3");
    return hasSsse3 ? done + WinterSsse3(p + 3 * done, count - done) : done;
}

#else

std::size_t WinterWide(std::uint8_t*, std::size_t) { return 0; }

#endif

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
    RecolourChosen<true>(photo, hues, 0, 45, [](unsigned hue) { return hue - 60 <= 240; });
}

void SummerEffect(PixelBlock& photo, const std::vector<std::uint16_t>& hues) {
    RecolourChosen<false>(photo, hues, 60, 165, [](unsigned hue) { return hue - 46 > 268; });
}

void WinterEffect(PixelBlock& photo) {
    if (photo.Empty() || photo.pixels.size() < photo.Bytes()) return;
    std::size_t pixelsPerRow = static_cast<std::size_t>(photo.width);
    for (std::int32_t y = 0; y < photo.height; ++y) {
        std::uint8_t* p = photo.Row(y);
        std::size_t done = WinterWide(p, pixelsPerRow);
        WinterRun(p + 3 * done, pixelsPerRow - done);
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
