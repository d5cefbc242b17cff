#include "imaging/ImageOps.h"

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

using Transform = PixelBlock (*)(const PixelBlock&);

[[nodiscard]] Status Replace(PixelBlock& photo, Transform change) {
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

namespace {

Transform TransformOf(int kind) {
    switch (kind) {
        case kRotateLeft: return RotateLeft;
        case kRotateRight: return RotateRight;
        case kFlipVertical: return FlipVertical;
        case kFlipHorizontal: return FlipHorizontal;
        default: return nullptr;
    }
}

}  // namespace

Status TransformPixels(PixelBlock& photo, int kind) {
    const Transform change = TransformOf(kind);
    if (change == nullptr) return kErrInvalidArgument;
    return Replace(photo, change);
}

Status HalvePixels(PixelBlock& photo) { return Replace(photo, Halve); }

std::vector<TransformKind> UprightSteps(int orientation) {
    switch (orientation) {
        case 2: return {kFlipHorizontal};
        case 3: return {kFlipVertical, kFlipHorizontal};
        case 4: return {kFlipVertical};
        case 5: return {kRotateRight, kFlipHorizontal};
        case 6: return {kRotateRight};
        case 7: return {kRotateLeft, kFlipHorizontal};
        case 8: return {kRotateLeft};
        default: return {};
    }
}

Status TurnUpright(PixelBlock& photo, int orientation) {
    const std::vector<TransformKind> steps = UprightSteps(orientation);
    if (!Readable(photo) || steps.empty()) return kOk;
    PixelBlock turned;
    try {
        for (TransformKind step : steps) turned = TransformOf(step)(turned.Empty() ? photo : turned);
        if (turned.width % 4 != 0) {
            PixelBlock cut = PixelBlock::Make(turned.width & ~3, turned.height);
            for (std::int32_t r = 0; r < cut.height; ++r) std::memcpy(cut.Row(r), turned.Row(r), cut.rowBytes);
            turned = std::move(cut);
        }
    } catch (const std::bad_alloc&) {
        return kErrMemory;
    }
    if (turned.Empty()) return kErrImageDimension;
    photo = std::move(turned);
    return kOk;
}

bool HalfKeepsSide(const PixelBlock& photo, std::int32_t smallestSide) {
    if (!Readable(photo)) return true;
    return std::min(photo.width / 2, photo.height / 2) >= smallestSide;
}

}  // namespace quorvel
