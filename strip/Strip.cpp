#include "strip/Strip.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include "imaging/ColourEffects.h"

namespace quorvel {

namespace {

constexpr std::int32_t kSeamBandBytes = kSeamBandPixels * 3;
constexpr std::int32_t kSeamHalf = kSeamBandPixels / 2;

bool PhotoUsable(const PixelBlock& photo) {
    if (photo.width <= 0 || photo.height <= 0 || photo.pixels.empty()) return false;
    if (photo.rowBytes < photo.width * 3) return false;
    return photo.pixels.size() >= static_cast<std::size_t>(photo.rowBytes) * photo.height;
}

// Widens `count` 24-bit pixels to 32 bits with a zero top byte. Four pixels
// at a time: three 32-bit reads hold them (blue, green, red in order, low
// byte first, as on every Windows machine), four writes give each its own
// word. The last pixels go byte by byte, since the strip may end right
// behind the row.
void WidenRow(const std::uint8_t* from, std::uint8_t* to, std::int32_t count) {
    std::int32_t x = 0;
    for (; x + 4 < count; x += 4, from += 12, to += 16) {
        std::uint32_t in[3];
        std::memcpy(in, from, 12);
        const std::uint32_t out[4] = {in[0] & 0xFFFFFFu, ((in[0] >> 24) | (in[1] << 8)) & 0xFFFFFFu,
                                      ((in[1] >> 16) | (in[2] << 16)) & 0xFFFFFFu, in[2] >> 8};
        std::memcpy(to, out, 16);
    }
    for (; x < count; ++x, from += 3, to += 4) {
        to[0] = from[0];
        to[1] = from[1];
        to[2] = from[2];
        to[3] = 0;
    }
}

#if defined(__x86_64__) || defined(__i386__)
// A byte shuffle widens four pixels per instruction, two and a half times the
// speed of the word arithmetic; the processors that lack it (before SSSE3)
// take WidenRow alone.
bool CanShuffleBytes() { return __builtin_cpu_supports("ssse3"); }

// Widens the row's pixels while a 16-byte read stays inside it, and returns
// how many it did.
__attribute__((target("ssse3"))) std::int32_t WidenRowShuffled(const std::uint8_t* from, std::uint8_t* to,
                                                               std::int32_t count) {
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    std::int32_t x = 0;
    for (; x + 6 <= count; x += 4)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + x * 4),
                         _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from + x * 3)), spread));
    return x;
}
#else
bool CanShuffleBytes() { return false; }
std::int32_t WidenRowShuffled(const std::uint8_t*, std::uint8_t*, std::int32_t) { return 0; }
#endif

// Widens one row of `count` pixels, the shuffle taking what it can.
void WidenInto(const std::uint8_t* from, std::uint8_t* to, std::int32_t count, bool shuffle) {
    const std::int32_t done = shuffle ? WidenRowShuffled(from, to, count) : 0;
    WidenRow(from + done * 3, to + done * 4, count - done);
}

// out = (a x (256 - weight) + b x weight + 128) / 256, byte by byte; the sum
// stays below 65536, so 16-bit lanes hold it.
void BlendBytes(const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* out, std::int32_t count,
                std::int32_t weight) {
    std::int32_t i = 0;
#if defined(__x86_64__) || defined(__i386__)
    const __m128i zero = _mm_setzero_si128(), round = _mm_set1_epi16(128);
    const __m128i keepA = _mm_set1_epi16(static_cast<short>(256 - weight)),
                  takeB = _mm_set1_epi16(static_cast<short>(weight));
    for (; i + 16 <= count; i += 16) {
        const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
        const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
        auto half = [&](__m128i x, __m128i y) {
            return _mm_srli_epi16(
                _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(x, keepA), _mm_mullo_epi16(y, takeB)), round), 8);
        };
        const __m128i lo = half(_mm_unpacklo_epi8(va, zero), _mm_unpacklo_epi8(vb, zero));
        const __m128i hi = half(_mm_unpackhi_epi8(va, zero), _mm_unpackhi_epi8(vb, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(lo, hi));
    }
#endif
    for (; i < count; ++i) out[i] = static_cast<std::uint8_t>((a[i] * (256 - weight) + b[i] * weight + 128) >> 8);
}

}  // namespace

// Recolours the photo a band of rows at a time on its way into the strip.
// The effects work pixel by pixel in row order, so the result is the same as
// recolouring the whole photo, but the photo itself stays as decoded and the
// extra memory is one band (and its hues) instead of a whole photo's copy.
Status CopyPhotoRows(const PixelBlock& photo, int effectBits, std::size_t byteOffset, std::int32_t topRow,
                     std::int32_t firstRow, std::int32_t rowCount, PixelBlock& strip) {
    constexpr std::int32_t kBandRows = 64;
    const std::size_t rowBytes = static_cast<std::size_t>(photo.width) * 3;
    const std::int32_t end = std::min({firstRow + rowCount, photo.height, strip.height - topRow});
    if (effectBits == 0) {
        for (std::int32_t y = firstRow; y < end; ++y)
            std::memcpy(strip.Row(topRow + y) + byteOffset, photo.Row(y), rowBytes);
        return kOk;
    }
    try {
        PixelBlock band;
        for (std::int32_t first = firstRow; first < end; first += kBandRows) {
            const std::int32_t count = std::min(kBandRows, end - first);
            if (count != band.height) band = PixelBlock::Make(photo.width, count);
            for (std::int32_t y = 0; y < count; ++y) std::memcpy(band.Row(y), photo.Row(first + y), rowBytes);
            ApplyPlaybackEffect(band, effectBits);
            for (std::int32_t y = 0; y < count; ++y)
                std::memcpy(strip.Row(topRow + first + y) + byteOffset, band.Row(y), rowBytes);
        }
    } catch (const std::bad_alloc&) {
        return kErrMemory;
    }
    return kOk;
}

void BlackenColumn(PixelBlock& strip, std::size_t byteOffset, std::size_t bytes, std::int32_t fromRow,
                   std::int32_t toRow) {
    for (std::int32_t y = std::max(fromRow, 0); y < std::min(toRow, strip.height); ++y)
        std::memset(strip.Row(y) + byteOffset, 0, bytes);
}

namespace {

// The strip's size from the photos' sizes; `needPixels` also asks that each
// photo's pixels be there.
Status Measure(std::span<const PhotoRecord> photos, int stitchMode, bool needPixels, StripSize& size) {
    size = {};
    if (photos.empty()) return kErrInvalidArgument;
    std::int64_t width = 0;
    std::int32_t height = 0;
    for (std::size_t i = 0; i < photos.size(); ++i) {
        const PixelBlock& photo = photos[i].block;
        if (needPixels ? !PhotoUsable(photo) : (photo.width <= 0 || photo.height <= 0)) return kErrInvalidArgument;
        width += photo.width;
        if (stitchMode == kStitchCollage && i + 1 < photos.size()) width += kCollageGap;
        height = std::max(height, photo.height);
    }
    // Row bytes are kept in 32 bits beside the block.
    if (width * 3 > std::numeric_limits<std::int32_t>::max()) return kErrMemory;
    size.width = static_cast<std::int32_t>(width);
    size.height = height;
    return kOk;
}

// The join itself: `place(i, byteOffset, topRow)` writes photo i's rows into
// the strip; the rest (size, gaps, black rows, seams) is the same whoever
// holds the pixels.
template <class Place>
Status JoinWith(std::span<const PhotoRecord> photos, int stitchMode, bool needPixels, Place&& place,
                PixelBlock& strip) {
    StripSize size;
    if (const Status status = Measure(photos, stitchMode, needPixels, size); status != kOk) return status;

    // A rebuild of the same size (the next playback effect) writes over the
    // old strip instead of freeing it and faulting in a new block; it then
    // has to blacken the gaps and the rows below shorter photos itself.
    const bool reuse = strip.width == size.width && strip.height == size.height && strip.rowBytes == size.width * 3 &&
                       strip.pixels.size() == strip.Bytes();
    std::vector<std::int32_t> widths;
    std::vector<std::int32_t> heights;
    try {
        widths.reserve(photos.size());
        heights.reserve(photos.size());
        if (!reuse) {
            strip.Release();
            strip = PixelBlock::Make(size.width, size.height);
        }
    } catch (const std::bad_alloc&) {
        strip.Release();
        return kErrMemory;
    }
    if (strip.Empty()) return kErrMemory;

    std::size_t x = 0;
    for (std::size_t i = 0; i < photos.size(); ++i) {
        const PixelBlock& photo = photos[i].block;
        widths.push_back(photo.width);
        heights.push_back(photo.height);

        const std::int32_t top = stitchMode == kStitchCollage ? CollageTopRow(size.height, photo.height) : 0;
        if (const Status status = place(i, x, top); status != kOk) {
            strip.Release();
            return status;
        }
        const std::size_t photoBytes = static_cast<std::size_t>(photo.width) * 3;
        if (reuse) {
            BlackenColumn(strip, x, photoBytes, 0, top);
            BlackenColumn(strip, x, photoBytes, top + photo.height, size.height);
        }
        x += photoBytes;
        if (stitchMode == kStitchCollage && i + 1 < photos.size()) {
            if (reuse) BlackenColumn(strip, x, kCollageGap * 3, 0, size.height);
            x += kCollageGap * 3;
        }
    }

    if (stitchMode == kStitchBlur) {
        if (const Status status = BlurSeams(strip, widths, heights); status != kOk) {
            strip.Release();
            return status;
        }
    }
    return kOk;
}

}  // namespace

Status MeasureStrip(std::span<const PhotoRecord> photos, int stitchMode, StripSize& size) {
    return Measure(photos, stitchMode, true, size);
}

Status JoinPhotos(std::span<PhotoRecord> photos, int stitchMode, int effectBits, PhotoPixelsAfterJoin after,
                  PixelBlock& strip) {
    const Status status = JoinWith(
        photos, stitchMode, true,
        [&](std::size_t i, std::size_t x, std::int32_t top) {
            const PixelBlock& photo = photos[i].block;
            return CopyPhotoRows(photo, effectBits, x, top, 0, photo.height, strip);
        },
        strip);
    if (status != kOk) return status;
    // Only a finished strip takes the photos' place: after a failure the
    // photos are still there to try again. Every photo was alive beside the
    // new strip anyway, so letting them go one by one would not lower the peak.
    if (after == PhotoPixelsAfterJoin::kRelease)
        for (PhotoRecord& record : photos) record.block.Release();
    return kOk;
}

Status JoinPhotosInPlace(std::span<const PhotoRecord> photos, int stitchMode, const PlacePhoto& place,
                         PixelBlock& strip) {
    return JoinWith(
        photos, stitchMode, false,
        [&](std::size_t i, std::size_t x, std::int32_t top) { return place(i, strip, x, top); }, strip);
}

BlurWindow SeamBlurWindow(std::int32_t p) {
    std::int32_t width = 0;
    if (p >= 3 && p <= 12)
        width = p + 2;
    else if (p >= 13 && p <= 16)
        width = 15;
    else if (p >= 17 && p <= 28)
        width = 31 - p;
    if (width == 0) return {p, 0};
    return {p - width / 2, width};
}

Status BlurSeamRow(std::uint8_t* row) {
    // Running sums per channel make every window's sum one subtraction:
    // sums[k] holds the sum of pixels 0 .. k-1.
    unsigned sums[kSeamBandPixels + 1][3];
    for (int channel = 0; channel < 3; ++channel) sums[0][channel] = 0;
    for (std::int32_t k = 0; k < kSeamBandPixels; ++k)
        for (int channel = 0; channel < 3; ++channel) sums[k + 1][channel] = sums[k][channel] + row[k * 3 + channel];
    for (std::int32_t p = 0; p < kSeamBandPixels; ++p) {
        const BlurWindow window = SeamBlurWindow(p);
        if (window.width == 0) continue;
        if (window.start < 0 || window.start + window.width > kSeamBandPixels) return kErrMemoryAccess;
        for (int channel = 0; channel < 3; ++channel) {
            const unsigned sum = sums[window.start + window.width][channel] - sums[window.start][channel];
            row[p * 3 + channel] = static_cast<std::uint8_t>(sum / static_cast<unsigned>(window.width));
        }
    }
    return kOk;
}

Status BlurSeamAt(PixelBlock& strip, std::int64_t start, std::int32_t rows) {
    if (start < 0 || start + kSeamBandBytes > strip.rowBytes) return kErrMemoryAccess;
    if (rows > strip.height) return kErrInvalidArgument;
    std::vector<std::uint8_t> work;
    try {
        work.resize(static_cast<std::size_t>(std::max(rows, 0)) * kSeamBandBytes);
    } catch (const std::bad_alloc&) {
        return kErrMemory;
    }
    // Every row is read before any is written back, as the windows of a row
    // must see its unblurred pixels.
    for (std::int32_t y = 0; y < rows; ++y)
        std::memcpy(work.data() + static_cast<std::size_t>(y) * kSeamBandBytes, strip.Row(y) + start, kSeamBandBytes);
    for (std::int32_t y = 0; y < rows; ++y)
        if (const Status status = BlurSeamRow(work.data() + static_cast<std::size_t>(y) * kSeamBandBytes);
            status != kOk)
            return status;
    for (std::int32_t y = 0; y < rows; ++y)
        std::memcpy(strip.Row(y) + start, work.data() + static_cast<std::size_t>(y) * kSeamBandBytes, kSeamBandBytes);
    return kOk;
}

Status BlurSeams(PixelBlock& strip, std::span<const std::int32_t> widths, std::span<const std::int32_t> heights) {
    if (widths.size() != heights.size()) return kErrInvalidArgument;
    if (widths.size() < 2) return kOk;
    if (strip.Empty()) return kErrInvalidArgument;
    if (*std::max_element(heights.begin(), heights.end()) > strip.height) return kErrInvalidArgument;

    std::int64_t x = 0;
    for (std::size_t i = 0; i + 1 < widths.size(); ++i) {
        const std::int64_t start = x + std::int64_t{widths[i]} * 3 - kSeamHalf * 3;
        if (const Status status = BlurSeamAt(strip, start, heights[i]); status != kOk) return status;
        x += std::int64_t{widths[i]} * 3;
    }
    return kOk;
}

Status CopyStripWindow(const PixelBlock& strip, std::int32_t left, std::int32_t top, std::int32_t rows,
                       const FramePixels& viewport) {
    if (strip.Empty() || viewport.Empty()) return kErrInvalidArgument;
    if (rows < 0 || rows > viewport.height) return kErrInvalidArgument;
    if (left < 0 || top < 0 || std::int64_t{left} + viewport.width > strip.width ||
        std::int64_t{top} + rows > strip.height)
        return kErrTopLeft;
    const std::size_t offset = static_cast<std::size_t>(left) * 3;
    const bool shuffle = CanShuffleBytes();
    for (std::int32_t y = 0; y < rows; ++y)
        WidenInto(strip.Row(top + y) + offset, viewport.Row(y), viewport.width, shuffle);
    return kOk;
}

Status BlendStripWindow(const PixelBlock& strip, std::int32_t left, std::int32_t top, std::int32_t dx, std::int32_t dy,
                        std::int32_t weight, std::int32_t rows, const FramePixels& viewport) {
    if (weight == 0) return CopyStripWindow(strip, left, top, rows, viewport);
    if (weight < 0 || weight > 255 || std::abs(dx) + std::abs(dy) != 1) return kErrInvalidArgument;
    if (strip.Empty() || viewport.Empty() || rows < 0 || rows > viewport.height) return kErrInvalidArgument;
    const std::int32_t firstColumn = std::min(left, left + dx), firstRow = std::min(top, top + dy);
    if (firstColumn < 0 || firstRow < 0 || std::int64_t{firstColumn} + viewport.width + std::abs(dx) > strip.width ||
        std::int64_t{firstRow} + rows + std::abs(dy) > strip.height)
        return kErrTopLeft;
    const std::int32_t bytes = viewport.width * 3;
    const std::ptrdiff_t toNeighbour = std::ptrdiff_t{dy} * strip.rowBytes + dx * 3;
    const bool shuffle = CanShuffleBytes();
    // The blend works on the strip's 24-bit bytes, where both windows' rows
    // are contiguous, and the row is then widened as the whole-pixel copy does.
    std::vector<std::uint8_t> blended(static_cast<std::size_t>(bytes) + 16);
    for (std::int32_t y = 0; y < rows; ++y) {
        const std::uint8_t* near = strip.Row(top + y) + static_cast<std::size_t>(left) * 3;
        BlendBytes(near, near + toNeighbour, blended.data(), bytes, weight);
        WidenInto(blended.data(), viewport.Row(y), viewport.width, shuffle);
    }
    return kOk;
}

TileCounts CountMattingTiles(std::int32_t l, std::int32_t o, std::int32_t b) {
    TileCounts counts;
    if (b < 1 || l < 0 || o < 0) return counts;
    // Three more than fit across the viewport: one for each band's corner and
    // one for the part of a tile the viewport width leaves over.
    counts.perHorizontalBand = l / b + 3;
    counts.wholePerSideBand = o / b;
    counts.cutRows = o - counts.wholePerSideBand * b;
    return counts;
}

std::vector<TilePlacement> MattingTilePlacements(std::int32_t l, std::int32_t o, std::int32_t b) {
    std::vector<TilePlacement> tiles;
    if (b < 1 || l < 0 || o < 0) return tiles;
    const TileCounts counts = CountMattingTiles(l, o, b);
    for (const std::int32_t y : {0, o + b})
        for (std::int32_t n = 0; n < counts.perHorizontalBand; ++n) tiles.push_back({n * b, y, b});
    for (const std::int32_t x : {0, l + b}) {
        for (std::int32_t n = 0; n < counts.wholePerSideBand; ++n) tiles.push_back({x, b + n * b, b});
        if (counts.cutRows > 0) tiles.push_back({x, b + counts.wholePerSideBand * b, counts.cutRows});
    }
    return tiles;
}

std::int32_t PhraseFontHeight(std::int32_t fontSize) {
    return -static_cast<std::int32_t>(std::fabs(fontSize * 1.33 + 0.5));
}

}  // namespace quorvel
