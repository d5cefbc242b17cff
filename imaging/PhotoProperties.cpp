#include "imaging/PhotoProperties.h"

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

bool ValueUsed(std::uint32_t tag) {
    switch (tag) {
        case kTagImageDescription:
        case kTagMake:
        case kTagModel:
        case kTagOrientation:
        case kTagSoftware:
        case kTagArtist:
        case kTagImageTitle:
        case kTagCopyright:
        case kTagExposureTime:
        case kTagFNumber:
        case kTagIsoSpeed:
        case kTagExifVersion:
        case kTagDateTimeOriginal:
        case kTagExposureBias:
        case kTagMaxAperture:
        case kTagMeteringMode:
        case kTagFocalLength:
        case kTagUserComment:
        case kTagWhiteBalance:
        case kTagContrast:
        case kTagSaturation:
        case kTagSharpness: return true;
        default: return false;
    }
}

// Collects one reading's items within the limits of kPropertyBytesKept and
// kPropertyItemsKept.
class ItemKeeper {
public:
    explicit ItemKeeper(std::size_t sourceBytes) : bytesLeft_(std::min(sourceBytes, kPropertyBytesKept)) {}

    bool Full() const { return items_.size() >= kPropertyItemsKept; }

    // The item as kept, or none when it is left out.
    PropertyItem* Keep(std::uint32_t id, std::uint16_t type, std::span<const std::uint8_t> value) {
        if (Full()) return nullptr;
        const bool used = ValueUsed(id);
        if (used && value.size() > bytesLeft_) return nullptr;
        PropertyItem& item = items_.emplace_back();
        item.id = id;
        item.type = type;
        if (used) {
            item.value.assign(value.begin(), value.end());
            bytesLeft_ -= value.size();
        }
        return &item;
    }

    std::vector<PropertyItem> Take() { return std::move(items_); }

private:
    std::vector<PropertyItem> items_;
    std::size_t bytesLeft_;
};

struct TiffReader {
    std::span<const std::uint8_t> data;
    bool bigEndian = false;

    bool Has(std::uint64_t offset, std::uint64_t size) const {
        return offset <= data.size() && size <= data.size() - offset;
    }

    // Keeps the directory's entries; gives the EXIF directory's offset.
    std::optional<std::uint32_t> ReadDirectory(std::uint32_t offset, ItemKeeper& keeper) const {
        if (!Has(offset, 2)) return std::nullopt;
        const std::uint16_t count = Read16(&data[offset], bigEndian);
        std::optional<std::uint32_t> exif;
        for (std::uint32_t i = 0; i < count && !keeper.Full(); ++i) {
            const std::uint64_t entry = std::uint64_t(offset) + 2 + std::uint64_t(i) * 12;
            if (!Has(entry, 12)) break;
            const std::uint8_t* e = &data[entry];
            const std::uint16_t id = Read16(e, bigEndian);
            const std::uint16_t type = Read16(e + 2, bigEndian);
            const std::uint64_t size = std::uint64_t(Read32(e + 4, bigEndian)) * TypeSize(type);
            if (TypeSize(type) == 0) continue;
            std::uint64_t at = entry + 8;
            if (size > 4) at = Read32(e + 8, bigEndian);
            if (!Has(at, size)) continue;
            if (id == kTagExifIfd && (type == kTypeLong || type == kTypeSignedLong) && size == 4) {
                exif = Read32(e + 8, bigEndian);
            }
            PropertyItem* item = keeper.Keep(id, type, data.subspan(at, size));
            const std::size_t width = ElementSize(type);
            if (item == nullptr || !bigEndian || width == 1) continue;
            for (std::size_t k = 0; k + width <= item->value.size(); k += width) {
                std::reverse(item->value.begin() + k, item->value.begin() + k + width);
            }
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
    if (tiff.size() < 8) return {};
    TiffReader reader{tiff, false};
    if (tiff[0] == 'M' && tiff[1] == 'M') {
        reader.bigEndian = true;
    } else if (tiff[0] != 'I' || tiff[1] != 'I') {
        return {};
    }
    if (Read16(&tiff[2], reader.bigEndian) != 42) return {};
    ItemKeeper keeper(tiff.size());
    const std::uint32_t first = Read32(&tiff[4], reader.bigEndian);
    const std::optional<std::uint32_t> exif = reader.ReadDirectory(first, keeper);
    // Each directory is read once: a pointer back to the first cannot make
    // this loop or read it again.
    if (exif && *exif != first) reader.ReadDirectory(*exif, keeper);
    return keeper.Take();
}

}  // namespace

std::vector<PropertyItem> TakePropertyBlock(std::span<const std::uint8_t> block, std::uint32_t count) {
    ItemKeeper keeper(block.size());
    const std::uintptr_t first = reinterpret_cast<std::uintptr_t>(block.data());
    const std::uintptr_t end = first + block.size();
    const std::size_t fits = std::min<std::size_t>(count, block.size() / sizeof(GdiPropertyItem));
    for (std::size_t i = 0; i < fits && !keeper.Full(); ++i) {
        GdiPropertyItem header;
        std::memcpy(&header, block.data() + i * sizeof(GdiPropertyItem), sizeof header);
        const auto at = reinterpret_cast<std::uintptr_t>(header.value);
        const std::uintptr_t length = header.length;
        std::span<const std::uint8_t> value;
        if (at != 0 && at >= first && at <= end && length <= end - at) value = block.subspan(at - first, length);
        keeper.Keep(header.id, header.type, value);
    }
    return keeper.Take();
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
