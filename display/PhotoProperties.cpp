#include "display/PhotoProperties.h"

#include <algorithm>
#include <cstring>

#include "base/Text.h"

namespace quorvel {

namespace {

std::uint16_t Read16(const std::uint8_t* p, bool bigEndian) {
    return bigEndian ? std::uint16_t(p[0] << 8 | p[1]) : std::uint16_t(p[1] << 8 | p[0]);
}

std::uint32_t Read32(const std::uint8_t* p, bool bigEndian) {
    if (bigEndian) return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
    return std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
}

std::int32_t SignedLittle32(const std::uint8_t* p) { return static_cast<std::int32_t>(Read32(p, false)); }

}  // namespace

const PropertyItem* FindPhotoProperty(const std::vector<PropertyItem>& items, std::uint32_t tag) {
    for (const PropertyItem& item : items) {
        if (item.id == tag) return &item;
    }
    return nullptr;
}

std::optional<std::int16_t> PropertyShort(const PropertyItem& item) {
    if (item.type != kTypeShort && item.type != kTypeLong && item.type != kTypeSignedLong) return std::nullopt;
    if (item.value.size() < 2) return std::nullopt;
    return static_cast<std::int16_t>(Read16(item.value.data(), false));
}

std::optional<Rational> PropertyRational(const PropertyItem& item) {
    if (item.type != kTypeRational && item.type != kTypeSignedRational) return std::nullopt;
    if (item.value.size() < 8) return std::nullopt;
    return Rational{SignedLittle32(item.value.data()), SignedLittle32(item.value.data() + 4)};
}

std::u16string PropertyBytesText(const PropertyItem& item) {
    std::string_view bytes(reinterpret_cast<const char*>(item.value.data()), item.value.size());
    return FromAscii(bytes.substr(0, bytes.find('\0')));
}

std::optional<std::tm> ParseCaptureTime(std::u16string_view text) {
    if (text.size() < 19) return std::nullopt;
    auto number = [&](std::size_t first, std::size_t last) -> std::optional<int> {
        int value = 0;
        for (std::size_t i = first; i <= last; ++i) {
            if (text[i] < u'0' || text[i] > u'9') return std::nullopt;
            value = value * 10 + (text[i] - u'0');
        }
        return value;
    };
    auto year = number(0, 3), month = number(5, 6), day = number(8, 9);
    auto hour = number(11, 12), minute = number(14, 15), second = number(17, 18);
    if (!year || !month || !day || !hour || !minute || !second) return std::nullopt;
    std::tm time{};
    time.tm_year = *year - 1900;
    time.tm_mon = *month - 1;
    time.tm_mday = *day;
    time.tm_hour = *hour;
    time.tm_min = *minute;
    time.tm_sec = *second;
    // Whether summer time applied on that day is the system's rule to say.
    time.tm_isdst = -1;
    return time;
}

std::int64_t CaptureTimeOf(const PropertyItem& item) {
    if (item.id != kTagDateTimeOriginal || item.value.empty()) return 0;
    std::optional<std::tm> time = ParseCaptureTime(PropertyBytesText(item));
    // Cameras write "0000:00:00 00:00:00" when they do not know the date.
    if (!time || time->tm_mon < 0 || time->tm_mday < 1) return 0;
    const std::time_t seconds = std::mktime(&*time);
    return seconds > 0 ? static_cast<std::int64_t>(seconds) : 0;
}

std::int64_t CaptureTimeOf(const std::vector<PropertyItem>& items) {
    std::int64_t taken = 0;
    for (const PropertyItem& item : items) {
        if (item.id == kTagDateTimeOriginal && !item.value.empty()) taken = CaptureTimeOf(item);
    }
    return taken;
}

int PhotoOrientation(const std::vector<PropertyItem>& items) {
    const PropertyItem* item = FindPhotoProperty(items, kTagOrientation);
    if (item == nullptr) return 0;
    return PropertyShort(*item).value_or(0);
}

namespace {

std::size_t TypeSize(std::uint16_t type) {
    switch (type) {
        case 1:
        case 2:
        case 6:
        case 7: return 1;
        case 3:
        case 8: return 2;
        case 4:
        case 9:
        case 11: return 4;
        case 5:
        case 10:
        case 12: return 8;
        default: return 0;
    }
}

// Width of one number inside a value, for turning it little-endian.
std::size_t ElementSize(std::uint16_t type) { return type == 5 || type == 10 ? 4 : TypeSize(type); }

struct TiffReader {
    std::span<const std::uint8_t> data;
    bool bigEndian = false;

    bool Has(std::uint64_t offset, std::uint64_t size) const {
        return offset <= data.size() && size <= data.size() - offset;
    }

    // Appends the directory's entries; gives the EXIF directory's offset.
    std::optional<std::uint32_t> ReadDirectory(std::uint32_t offset, std::vector<PropertyItem>& items) const {
        if (!Has(offset, 2)) return std::nullopt;
        const std::uint16_t count = Read16(&data[offset], bigEndian);
        std::optional<std::uint32_t> exif;
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint64_t entry = std::uint64_t(offset) + 2 + std::uint64_t(i) * 12;
            if (!Has(entry, 12)) break;
            const std::uint8_t* e = &data[entry];
            PropertyItem item;
            item.id = Read16(e, bigEndian);
            item.type = Read16(e + 2, bigEndian);
            const std::uint64_t size = std::uint64_t(Read32(e + 4, bigEndian)) * TypeSize(item.type);
            if (TypeSize(item.type) == 0) continue;
            std::uint64_t at = entry + 8;
            if (size > 4) at = Read32(e + 8, bigEndian);
            if (!Has(at, size)) continue;
            item.value.assign(data.begin() + at, data.begin() + at + size);
            const std::size_t width = ElementSize(item.type);
            if (bigEndian && width > 1) {
                for (std::size_t k = 0; k + width <= item.value.size(); k += width) {
                    std::reverse(item.value.begin() + k, item.value.begin() + k + width);
                }
            }
            if (item.id == kTagExifIfd && (item.type == kTypeLong || item.type == kTypeSignedLong) && size == 4) {
                exif = Read32(item.value.data(), false);
            }
            items.push_back(std::move(item));
        }
        return exif;
    }
};

// Byte order mark and the number 42 in that order.
bool StartsAsTiff(std::span<const std::uint8_t> file) {
    if (file.size() < kExifSignatureBytes) return false;
    return (file[0] == 'I' && file[1] == 'I' && file[2] == 42 && file[3] == 0) ||
           (file[0] == 'M' && file[1] == 'M' && file[2] == 0 && file[3] == 42);
}

std::vector<PropertyItem> ParseTiff(std::span<const std::uint8_t> tiff) {
    std::vector<PropertyItem> items;
    if (tiff.size() < 8) return items;
    TiffReader reader{tiff, false};
    if (tiff[0] == 'M' && tiff[1] == 'M') {
        reader.bigEndian = true;
    } else if (tiff[0] != 'I' || tiff[1] != 'I') {
        return items;
    }
    if (Read16(&tiff[2], reader.bigEndian) != 42) return items;
    const std::optional<std::uint32_t> exif = reader.ReadDirectory(Read32(&tiff[4], reader.bigEndian), items);
    // The EXIF directory is read once: a pointer back into a directory
    // already read cannot make this loop.
    if (exif) reader.ReadDirectory(*exif, items);
    return items;
}

}  // namespace

std::vector<PropertyItem> TakePropertyBlock(std::span<const std::uint8_t> block, std::uint32_t count) {
    std::vector<PropertyItem> items;
    const std::uintptr_t first = reinterpret_cast<std::uintptr_t>(block.data());
    const std::uintptr_t end = first + block.size();
    const std::size_t fits = std::min<std::size_t>(count, block.size() / sizeof(GdiPropertyItem));
    items.reserve(fits);
    for (std::size_t i = 0; i < fits; ++i) {
        GdiPropertyItem header;
        std::memcpy(&header, block.data() + i * sizeof(GdiPropertyItem), sizeof header);
        PropertyItem item;
        item.id = header.id;
        item.type = header.type;
        const auto at = reinterpret_cast<std::uintptr_t>(header.value);
        const std::uintptr_t length = header.length;
        if (at != 0 && at >= first && at <= end && length <= end - at) {
            const std::uint8_t* value = block.data() + (at - first);
            item.value.assign(value, value + length);
        }
        items.push_back(std::move(item));
    }
    return items;
}

bool MayHoldExif(std::span<const std::uint8_t> head) {
    return StartsAsTiff(head) || (head.size() >= kExifSignatureBytes && head[0] == 0xFF && head[1] == 0xD8);
}

std::vector<PropertyItem> ParseExifProperties(std::span<const std::uint8_t> file) {
    if (StartsAsTiff(file)) return ParseTiff(file);
    if (!MayHoldExif(file)) return {};
    std::size_t at = 2;
    while (at + 4 <= file.size()) {
        if (file[at] != 0xFF) return {};
        const std::uint8_t marker = file[at + 1];
        if (marker == 0xFF) {  // fill byte before a marker
            ++at;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9) return {};  // image data: no metadata after it
        const std::size_t length = Read16(&file[at + 2], true);
        if (length < 2 || at + 2 + length > file.size()) return {};
        const std::span<const std::uint8_t> payload = file.subspan(at + 4, length - 2);
        static const std::uint8_t kExif[6] = {'E', 'x', 'i', 'f', 0, 0};
        if (marker == 0xE1 && payload.size() > 6 && std::equal(kExif, kExif + 6, payload.begin())) {
            return ParseTiff(payload.subspan(6));
        }
        at += 2 + length;
    }
    return {};
}

}  // namespace quorvel
