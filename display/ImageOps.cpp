#include "display/ImageOps.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace quorvel {

namespace {

bool Readable(const PixelBlock& photo) {
    return !photo.Empty() && photo.rowBytes >= photo.width * 3 && photo.pixels.size() >= photo.Bytes();
}

void CopyPixel(std::uint8_t* to, const std::uint8_t* from) { std::memcpy(to, from, 3); }

[[nodiscard]] Status Replace(PixelBlock& photo, PixelBlock (*change)(const PixelBlock&)) {
    if (!Readable(photo)) return kOk;
    PixelBlock changed;
    try {
        changed = change(photo);
    } catch (const std::bad_alloc&) {
        return kErrMemory;
    }
    if (changed.Empty()) return kErrImageDimension;
    photo = std::move(changed);
    return kOk;
}

}  // namespace

PixelBlock RotateLeft(const PixelBlock& photo) {
    if (!Readable(photo)) return {};
    const std::int32_t w = photo.width, h = photo.height;
    PixelBlock turned = PixelBlock::Make(h, w);
    for (std::int32_t i = 0; i < h; ++i) {
        const std::uint8_t* in = photo.Row(i);
        for (std::int32_t j = 0; j < w; ++j) CopyPixel(turned.Row(w - 1 - j) + 3 * i, in + 3 * j);
    }
    return turned;
}

PixelBlock RotateRight(const PixelBlock& photo) {
    if (!Readable(photo)) return {};
    const std::int32_t w = photo.width, h = photo.height;
    PixelBlock turned = PixelBlock::Make(h, w);
    for (std::int32_t i = 0; i < h; ++i) {
        const std::uint8_t* in = photo.Row(i);
        for (std::int32_t j = 0; j < w; ++j) CopyPixel(turned.Row(j) + 3 * (h - 1 - i), in + 3 * j);
    }
    return turned;
}

PixelBlock FlipVertical(const PixelBlock& photo) {
    if (!Readable(photo)) return {};
    PixelBlock flipped = PixelBlock::Make(photo.width, photo.height);
    for (std::int32_t r = 0; r < photo.height; ++r)
        std::memcpy(flipped.Row(r), photo.Row(photo.height - 1 - r), flipped.rowBytes);
    return flipped;
}

PixelBlock FlipHorizontal(const PixelBlock& photo) {
    if (!Readable(photo)) return {};
    const std::int32_t w = photo.width;
    PixelBlock flipped = PixelBlock::Make(w, photo.height);
    for (std::int32_t r = 0; r < photo.height; ++r) {
        const std::uint8_t* in = photo.Row(r);
        std::uint8_t* out = flipped.Row(r);
        for (std::int32_t c = 0; c < w; ++c) CopyPixel(out + 3 * c, in + 3 * (w - 1 - c));
    }
    return flipped;
}

PixelBlock Halve(const PixelBlock& photo) {
    if (!Readable(photo)) return {};
    PixelBlock half = PixelBlock::Make(photo.width / 2, photo.height / 2);
    for (std::int32_t k = 0; k < half.height; ++k) {
        const std::uint8_t* in = photo.Row(2 * k);
        std::uint8_t* out = half.Row(k);
        for (std::int32_t m = 0; m < half.width; ++m) CopyPixel(out + 3 * m, in + 6 * m);
    }
    return half;
}

Status TransformPixels(PixelBlock& photo, int kind) {
    switch (kind) {
        case kRotateLeft: return Replace(photo, RotateLeft);
        case kRotateRight: return Replace(photo, RotateRight);
        case kFlipVertical: return Replace(photo, FlipVertical);
        case kFlipHorizontal: return Replace(photo, FlipHorizontal);
        default: return kErrInvalidArgument;
    }
}

Status HalvePixels(PixelBlock& photo) { return Replace(photo, Halve); }

bool HalfKeepsSide(const PixelBlock& photo, std::int32_t smallestSide) {
    if (!Readable(photo)) return true;
    return std::min(photo.width / 2, photo.height / 2) >= smallestSide;
}

}  // namespace quorvel
