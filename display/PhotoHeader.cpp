#include "display/PhotoHeader.h"

#include <cstring>

namespace quorvel {

namespace {

std::uint32_t BigEndian(std::span<const std::uint8_t> b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v = (v << 8) | b[at + static_cast<std::size_t>(i)];
    return v;
}

std::uint32_t LittleEndian(std::span<const std::uint8_t> b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b[at + static_cast<std::size_t>(i)];
    return v;
}

bool Starts(std::span<const std::uint8_t> head, const char* signature, std::size_t length) {
    return head.size() >= length && std::memcmp(head.data(), signature, length) == 0;
}

PhotoHeaderSize Sized(std::int64_t width, std::int64_t height) { return {true, width, height}; }

// Walks the markers to the first frame header (SOF0 to SOF15 but the
// Huffman, arithmetic-coding and restart markers among their numbers).
PhotoHeaderSize JpegSize(std::span<const std::uint8_t> head) {
    std::size_t at = 2;
    while (at + 4 <= head.size()) {
        if (head[at] != 0xFF) return {};
        const std::uint8_t marker = head[at + 1];
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {  // no length
            at += 2;
            continue;
        }
        const std::size_t length = BigEndian(head, at + 2, 2);
        if (length < 2) return {};
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (at + 9 > head.size() || length < 7) return {};
            return Sized(BigEndian(head, at + 7, 2), BigEndian(head, at + 5, 2));
        }
        if (marker == 0xDA || marker == 0xD9) return {};  // pixels begin: no frame header came first
        at += 2 + length;
    }
    return {};
}

}  // namespace

PhotoHeaderSize SizeFromPhotoHeader(std::span<const std::uint8_t> head) {
    if (Starts(head, "\x89PNG\r\n\x1a\n", 8)) {
        if (head.size() < 24 || std::memcmp(head.data() + 12, "IHDR", 4) != 0) return {};
        return Sized(BigEndian(head, 16, 4), BigEndian(head, 20, 4));
    }
    if (Starts(head, "\xFF\xD8", 2)) return JpegSize(head);
    if (Starts(head, "GIF87a", 6) || Starts(head, "GIF89a", 6)) {
        if (head.size() < 10) return {};
        return Sized(LittleEndian(head, 6, 2), LittleEndian(head, 8, 2));
    }
    if (Starts(head, "BM", 2) && head.size() >= 26) {
        const std::uint32_t headerSize = LittleEndian(head, 14, 4);
        if (headerSize == 12) return Sized(LittleEndian(head, 18, 2), LittleEndian(head, 20, 2));
        if (headerSize < 40) return {};
        const auto height = static_cast<std::int32_t>(LittleEndian(head, 22, 4));  // negative: rows top first
        const auto width = static_cast<std::int32_t>(LittleEndian(head, 18, 4));
        if (width <= 0) return {};  // no BMP has one; the decoder refuses it
        return Sized(width, height < 0 ? -static_cast<std::int64_t>(height) : height);
    }
    return {};
}

bool PhotoTooLarge(const PhotoHeaderSize& size) {
    if (!size.known) return false;
    // Each side is below 2^32, so the product fits 64 unsigned bits.
    return static_cast<std::uint64_t>(size.width) * static_cast<std::uint64_t>(size.height) >
           static_cast<std::uint64_t>(kLargestPhotoPixels);
}

}  // namespace quorvel
