#include "imaging/PhotoHeader.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace quorvel {

namespace {

// The file in windows of a few KB: the readers ask for a few bytes at a
// time, mostly one after the other, and jump over what they skip, so a
// header deep in a big file costs a few small reads.
class WindowReader {
public:
    explicit WindowReader(ByteSource& source) : source_(source) {}

    // The `count` bytes at `offset`, or none when the file ends before them
    // or cannot be read.
    const std::uint8_t* At(std::uint64_t offset, std::size_t count) {
        if (offset >= windowAt_ && offset - windowAt_ <= windowSize_ && count <= windowSize_ - (offset - windowAt_))
            return window_.data() + (offset - windowAt_);
        const std::uint64_t size = source_.Size();
        if (count > kWindowBytes || offset > size || count > size - offset) return nullptr;
        const auto bytes = static_cast<std::size_t>(std::min<std::uint64_t>(kWindowBytes, size - offset));
        windowSize_ = 0;
        if (!source_.ReadAt(offset, window_.data(), bytes)) return nullptr;
        windowAt_ = offset;
        windowSize_ = bytes;
        return window_.data();
    }

    bool Starts(const char* signature, std::size_t length) {
        const std::uint8_t* head = At(0, length);
        return head != nullptr && std::memcmp(head, signature, length) == 0;
    }

private:
    static constexpr std::size_t kWindowBytes = 4096;
    ByteSource& source_;
    std::array<std::uint8_t, kWindowBytes> window_{};
    std::uint64_t windowAt_ = 0;
    std::size_t windowSize_ = 0;
};

std::uint64_t BigEndian(const std::uint8_t* b, int bytes) {
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v = (v << 8) | b[i];
    return v;
}

std::uint64_t LittleEndian(const std::uint8_t* b, int bytes) {
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b[i];
    return v;
}

// Sides beyond 32 bits (only a BigTIFF can state them) are refused all the
// same, so they are held at the largest 32-bit side.
PhotoHeaderSize Sized(std::uint64_t width, std::uint64_t height) {
    return {true, static_cast<std::int64_t>(std::min<std::uint64_t>(width, 0xFFFFFFFF)),
            static_cast<std::int64_t>(std::min<std::uint64_t>(height, 0xFFFFFFFF))};
}

// Walks the markers to the first frame header (SOF0 to SOF15 but the
// Huffman, arithmetic-coding and restart markers among their numbers),
// seeking over each segment. Stray bytes between segments are passed over,
// as the JPEG decoders do.
PhotoHeaderSize JpegSize(WindowReader& file) {
    std::uint64_t at = 2;
    for (;;) {
        const std::uint8_t* pair = file.At(at, 2);
        if (pair == nullptr) return {};
        if (pair[0] != 0xFF || pair[1] == 0xFF) {  // a stray byte, or a fill byte before the code
            ++at;
            continue;
        }
        const std::uint8_t marker = pair[1];
        at += 2;
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) continue;  // no length
        if (marker == 0xDA || marker == 0xD9) return {};  // pixels begin: no frame header came first
        const std::uint8_t* length = file.At(at, 2);
        if (length == nullptr || BigEndian(length, 2) < 2) return {};
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            // Length, precision, height, width.
            const std::uint8_t* header = file.At(at, 7);
            if (header == nullptr || BigEndian(header, 2) < 7) return {};
            return Sized(BigEndian(header + 5, 2), BigEndian(header + 3, 2));
        }
        at += BigEndian(length, 2);
    }
}

// The logical screen, and the first picture's place on it: decoders differ
// in which of the two sizes the bitmap gets, so the larger counts.
PhotoHeaderSize GifSize(WindowReader& file) {
    const std::uint8_t* screen = file.At(6, 7);
    if (screen == nullptr) return {};
    std::uint64_t width = LittleEndian(screen, 2), height = LittleEndian(screen + 2, 2);
    std::uint64_t at = 13;
    if (screen[4] & 0x80) at += 3u << ((screen[4] & 7) + 1);  // the global colour table
    for (;;) {
        const std::uint8_t* block = file.At(at, 1);
        if (block == nullptr) return {};
        if (*block == 0x2C) {  // the first picture: left, top, width, height
            const std::uint8_t* place = file.At(at + 1, 8);
            if (place == nullptr) return {};
            width = std::max(width, LittleEndian(place, 2) + LittleEndian(place + 4, 2));
            height = std::max(height, LittleEndian(place + 2, 2) + LittleEndian(place + 6, 2));
            return Sized(width, height);
        }
        if (*block != 0x21) return {};  // the trailer, or no GIF block: no picture
        // An extension: its label, then sub-blocks led by their length up to an empty one.
        at += 2;
        for (;;) {
            const std::uint8_t* length = file.At(at, 1);
            if (length == nullptr) return {};
            at += 1 + std::uint64_t{*length};
            if (*length == 0) break;
        }
    }
}

PhotoHeaderSize BmpSize(WindowReader& file) {
    const std::uint8_t* head = file.At(0, 26);
    if (head == nullptr) return {};
    const std::uint64_t headerSize = LittleEndian(head + 14, 4);
    if (headerSize == 12) return Sized(LittleEndian(head + 18, 2), LittleEndian(head + 20, 2));
    if (headerSize < 16) return {};
    const auto width = static_cast<std::int32_t>(LittleEndian(head + 18, 4));
    const auto height = static_cast<std::int32_t>(LittleEndian(head + 22, 4));  // negative: rows top first
    if (width <= 0) return {};  // no BMP has one; the decoder refuses it
    return Sized(static_cast<std::uint64_t>(width),
                 height < 0 ? static_cast<std::uint64_t>(-static_cast<std::int64_t>(height)) : std::uint64_t(height));
}

// The width (tag 256) and height (257) entries of the first directory, in a
// TIFF or a BigTIFF file of either byte order.
PhotoHeaderSize TiffSize(WindowReader& file) {
    const std::uint8_t* head = file.At(0, 8);
    if (head == nullptr) return {};
    const bool big = head[0] == 'M';
    auto number = [big](const std::uint8_t* b, int bytes) {
        return big ? BigEndian(b, bytes) : LittleEndian(b, bytes);
    };
    const bool bigTiff = number(head + 2, 2) == 43;
    // A BigTIFF states 8-byte offsets, and its first directory's after them.
    if (bigTiff && ((head = file.At(0, 16)) == nullptr || number(head + 4, 2) != 8)) return {};
    const int countBytes = bigTiff ? 8 : 2, entryBytes = bigTiff ? 20 : 12, valueAt = bigTiff ? 12 : 8;
    const std::uint64_t directory = bigTiff ? number(head + 8, 8) : number(head + 4, 4);
    const std::uint8_t* counted = file.At(directory, std::size_t(countBytes));
    if (counted == nullptr) return {};
    // No directory has more entries than a classic one can count.
    const std::uint64_t count = std::min<std::uint64_t>(number(counted, countBytes), 0xFFFF);
    std::uint64_t width = 0, height = 0;
    bool hasWidth = false, hasHeight = false;
    for (std::uint64_t i = 0; i < count && !(hasWidth && hasHeight); ++i) {
        const std::uint8_t* entry =
            file.At(directory + std::uint64_t(countBytes) + i * std::uint64_t(entryBytes), std::size_t(entryBytes));
        if (entry == nullptr) return {};
        const std::uint64_t tag = number(entry, 2), type = number(entry + 2, 2);
        if (tag != 256 && tag != 257) continue;
        // A short, a long or (BigTIFF) a long8, lying in the entry itself.
        const int bytes = type == 3 ? 2 : type == 4 ? 4 : type == 16 && bigTiff ? 8 : 0;
        if (bytes == 0) return {};
        const std::uint64_t value = number(entry + valueAt, bytes);
        if (tag == 256) {
            width = value;
            hasWidth = true;
        } else {
            height = value;
            hasHeight = true;
        }
    }
    if (!hasWidth || !hasHeight) return {};
    return Sized(width, height);
}

}  // namespace

PhotoHeaderSize SizeFromPhotoHeader(ByteSource& source) {
    WindowReader file(source);
    if (file.Starts("\x89PNG\r\n\x1a\n", 8)) {
        const std::uint8_t* head = file.At(0, 24);
        if (head == nullptr || std::memcmp(head + 12, "IHDR", 4) != 0) return {};
        return Sized(BigEndian(head + 16, 4), BigEndian(head + 20, 4));
    }
    if (file.Starts("\xFF\xD8", 2)) return JpegSize(file);
    if (file.Starts("GIF87a", 6) || file.Starts("GIF89a", 6)) return GifSize(file);
    if (file.Starts("BM", 2)) return BmpSize(file);
    if (file.Starts("II*\0", 4) || file.Starts("MM\0*", 4) || file.Starts("II+\0", 4) || file.Starts("MM\0+", 4))
        return TiffSize(file);
    return {};
}

bool PhotoSizeRefused(const PhotoHeaderSize& size) {
    if (!size.known) return true;
    // Each side is below 2^32, so the product fits 64 unsigned bits.
    return static_cast<std::uint64_t>(size.width) * static_cast<std::uint64_t>(size.height) >
           static_cast<std::uint64_t>(kLargestPhotoPixels);
}

}  // namespace quorvel
