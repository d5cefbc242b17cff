#include "ui/DialogTemplate.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace quorvel {

namespace {

constexpr std::uint16_t kExtendedVersion = 1;
constexpr std::uint16_t kExtendedSignature = 0xFFFF;
constexpr std::uint32_t kSetFontStyle = 0x40;  // DS_SETFONT
constexpr std::size_t kStyleOffset = 12;
constexpr std::size_t kItemCountOffset = 16;
constexpr std::size_t kMenuOffset = 26;
const char16_t kNewFace[] = u"Segoe UI";
constexpr std::size_t kNewFaceChars = 8;

std::uint16_t Word(const std::uint8_t* data, std::size_t at) {
    return static_cast<std::uint16_t>(data[at] | (data[at + 1] << 8));
}

// Moves `at` past a zero-terminated UTF-16 string; false when it runs off
// the end of the data.
bool SkipString(const std::uint8_t* data, std::size_t size, std::size_t& at) {
    for (;;) {
        if (at + 2 > size) return false;
        const std::uint16_t c = Word(data, at);
        at += 2;
        if (c == 0) return true;
    }
}

// A menu or class field: 0x0000, 0xFFFF plus an ordinal, or a string.
bool SkipNameOrOrdinal(const std::uint8_t* data, std::size_t size, std::size_t& at) {
    if (at + 2 > size) return false;
    const std::uint16_t first = Word(data, at);
    if (first == 0) {
        at += 2;
        return true;
    }
    if (first == 0xFFFF) {
        at += 4;
        return at <= size;
    }
    return SkipString(data, size, at);
}

std::size_t AlignTo4(std::size_t n) { return (n + 3) & ~static_cast<std::size_t>(3); }

}  // namespace

TemplateChoice ChooseTemplate(int monitorDpi, int systemDpi) {
    const int dpi = monitorDpi < 96 ? 96 : monitorDpi;
    TemplateChoice choice;
    choice.scale = static_cast<float>(dpi) / 100.0f;
    choice.large = dpi <= 100 && systemDpi <= dpi;
    const float points = (choice.large ? 12.0f : 9.0f) * choice.scale;
    choice.pointSize = static_cast<int>(std::lround(points));
    return choice;
}

int SmallestReadablePoints(int systemDpi) {
    constexpr int kReadablePixels = 10;
    const int dpi = systemDpi < 96 ? 96 : systemDpi;
    return (kReadablePixels * 72 + dpi - 1) / dpi;
}

int PointSizeToFit(int points, int width, int height, int workWidth, int workHeight, int smallest) {
    if (width <= workWidth && height <= workHeight) return 0;
    if (points <= smallest || width <= 0 || height <= 0) return 0;
    const double share = std::min(static_cast<double>(workWidth) / width, static_cast<double>(workHeight) / height);
    const int fitted = static_cast<int>(std::floor(points * share));
    return std::max(smallest, std::min(fitted, points - 1));
}

namespace {

std::int64_t Overlap(std::int32_t aLow, std::int32_t aHigh, std::int32_t bLow, std::int32_t bHigh) {
    return std::max<std::int64_t>(0, std::int64_t{std::min(aHigh, bHigh)} - std::max(aLow, bLow));
}

// How far apart two spans are; 0 when they meet.
std::int64_t Gap(std::int32_t aLow, std::int32_t aHigh, std::int32_t bLow, std::int32_t bHigh) {
    return std::max<std::int64_t>({0, std::int64_t{bLow} - aHigh, std::int64_t{aLow} - bHigh});
}

}  // namespace

int PanelMonitorFor(std::span<const PanelMonitor> monitors, const ScreenRect& aim) {
    int best = -1;
    std::int64_t bestShare = 0;
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const ScreenRect& m = monitors[i].area;
        const std::int64_t share =
            Overlap(aim.left, aim.right, m.left, m.right) * Overlap(aim.top, aim.bottom, m.top, m.bottom);
        if (share > bestShare) best = static_cast<int>(i), bestShare = share;
    }
    if (best >= 0) return best;
    std::int64_t bestDistance = 0;
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const ScreenRect& m = monitors[i].area;
        const std::int64_t dx = Gap(aim.left, aim.right, m.left, m.right);
        const std::int64_t dy = Gap(aim.top, aim.bottom, m.top, m.bottom);
        if (best < 0 || dx * dx + dy * dy < bestDistance) best = static_cast<int>(i), bestDistance = dx * dx + dy * dy;
    }
    return best;
}

ScreenRect PlacePanel(int width, int height, const ScreenRect& aim, const ScreenRect& work) {
    const int workWidth = std::max(0, work.right - work.left), workHeight = std::max(0, work.bottom - work.top);
    const int w = std::min(width, workWidth), h = std::min(height, workHeight);
    const int left = std::clamp(aim.left + (aim.right - aim.left) / 2 - w / 2, work.left, work.right - w);
    const int top = std::clamp(aim.top + (aim.bottom - aim.top) / 2 - h / 2, work.top, work.bottom - h);
    return {left, top, left + w, top + h};
}

FontRewrite RewriteTemplateFont(const std::uint8_t* data, std::size_t size, std::uint16_t pointSize,
                                std::vector<std::uint8_t>& out) {
    out.clear();
    if (data == nullptr || size < kMenuOffset) return size < 4 ? FontRewrite::Refused : FontRewrite::Unchanged;
    if (Word(data, 0) != kExtendedVersion || Word(data, 2) != kExtendedSignature) return FontRewrite::Unchanged;
    std::uint32_t style = 0;
    std::memcpy(&style, data + kStyleOffset, sizeof style);
    // Only DS_SETFONT puts a font block into the template; DS_FIXEDSYS alone
    // does not, and reading one there would overwrite the first item.
    if ((style & kSetFontStyle) == 0) return FontRewrite::Unchanged;

    std::size_t at = kMenuOffset;
    if (!SkipNameOrOrdinal(data, size, at) || !SkipNameOrOrdinal(data, size, at) || !SkipString(data, size, at))
        return FontRewrite::Refused;
    const std::size_t pointSizeAt = at;
    const std::size_t faceAt = at + 6;  // point size, weight, italic, charset
    std::size_t faceEnd = faceAt;
    if (faceAt > size || !SkipString(data, size, faceEnd)) return FontRewrite::Refused;
    const std::size_t oldChars = (faceEnd - faceAt) / 2 - 1;

    // Items start on a 4-byte boundary. A typeface of an even length keeps
    // them there; after an odd one the padding is redone so that the items
    // are not read from a shifted position.
    const std::size_t newFaceEnd = faceAt + (kNewFaceChars + 1) * 2;
    std::size_t restAt = faceEnd;
    std::size_t restOut = newFaceEnd;
    const bool hasItems = Word(data, kItemCountOffset) != 0;
    if (oldChars % 2 != 0 && hasItems) {
        restAt = AlignTo4(faceEnd);
        restOut = AlignTo4(newFaceEnd);
        if (restAt > size) return FontRewrite::Refused;
    }
    if (restAt > size) return FontRewrite::Refused;
    const std::size_t restBytes = size - restAt;
    const std::size_t expected = restOut + restBytes;
    if (oldChars % 2 == 0 || !hasItems) {
        if (expected != size + (kNewFaceChars - oldChars) * 2) return FontRewrite::Refused;
    }

    out.assign(expected, 0);
    std::memcpy(out.data(), data, faceAt);
    for (std::size_t i = 0; i <= kNewFaceChars; ++i) {
        const char16_t c = i < kNewFaceChars ? kNewFace[i] : u'\0';
        out[faceAt + 2 * i] = static_cast<std::uint8_t>(c & 0xFF);
        out[faceAt + 2 * i + 1] = static_cast<std::uint8_t>(c >> 8);
    }
    std::memcpy(out.data() + restOut, data + restAt, restBytes);
    if (pointSize != 0) {
        out[pointSizeAt] = static_cast<std::uint8_t>(pointSize & 0xFF);
        out[pointSizeAt + 1] = static_cast<std::uint8_t>(pointSize >> 8);
    }
    return FontRewrite::Rewritten;
}

}  // namespace quorvel
