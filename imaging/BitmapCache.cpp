#include "imaging/BitmapCache.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace quorvel {

namespace {

void Put16(std::uint8_t* at, std::uint16_t v) {
    at[0] = static_cast<std::uint8_t>(v);
    at[1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::uint8_t* at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint16_t Get16(const std::uint8_t* at) { return static_cast<std::uint16_t>(at[0] | (at[1] << 8)); }

std::uint32_t Get32(const std::uint8_t* at) {
    return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
           (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

// Compression 0 is plain rows; anything else (run lengths, bit fields, an
// embedded JPEG or PNG) is not a layout the reader can copy.
constexpr std::uint32_t kNoCompression = 0;

// Rows are read and written in bands of about 1 MB: few calls, and little
// memory beside the photo or strip.
std::int64_t BandRows(std::int64_t rows, std::size_t stride) {
    return std::max<std::int64_t>(1, std::min<std::int64_t>(rows, static_cast<std::int64_t>((1u << 20) / stride)));
}

class VectorSink : public ByteSink {
public:
    explicit VectorSink(std::vector<std::uint8_t>& out) : out_(out) {}
    bool Write(const void* data, std::size_t bytes) override {
        const auto* from = static_cast<const std::uint8_t*>(data);
        out_.insert(out_.end(), from, from + bytes);
        return true;
    }

private:
    std::vector<std::uint8_t>& out_;
};

}  // namespace

bool MemoryByteSource::ReadAt(std::uint64_t offset, void* out, std::size_t bytes) {
    if (offset > size_ || bytes > size_ - offset) return false;
    if (bytes > 0) std::memcpy(out, data_ + offset, bytes);
    return true;
}

StdioByteSource::StdioByteSource(const char* path) {
    file_ = std::fopen(path, "rb");
    if (file_ == nullptr) return;
    if (std::fseek(file_, 0, SEEK_END) == 0) {
        const long end = std::ftell(file_);
        if (end >= 0) size_ = static_cast<std::uint64_t>(end);
    }
}

StdioByteSource::~StdioByteSource() {
    if (file_ != nullptr) std::fclose(file_);
}

bool StdioByteSource::ReadAt(std::uint64_t offset, void* out, std::size_t bytes) {
    if (file_ == nullptr || offset > size_ || bytes > size_ - offset) return false;
    if (offset > static_cast<std::uint64_t>(std::numeric_limits<long>::max())) return false;
    if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0) return false;
    return std::fread(out, 1, bytes, file_) == bytes;
}

Status WriteCacheFile(const PixelBlock& block, ByteSink& sink) {
    if (block.Empty() || block.rowBytes != block.width * 3) return kErrInvalidArgument;
    const std::uint64_t rowBytes = static_cast<std::uint64_t>(block.width) * 3;
    // A BMP row is a whole number of 32-bit words; the padding bytes are 0.
    const std::uint64_t stride = (rowBytes + 3) / 4 * 4;
    const std::uint64_t imageBytes = stride * static_cast<std::uint64_t>(block.height);
    if (block.pixels.size() < rowBytes * static_cast<std::uint64_t>(block.height)) return kErrInvalidArgument;
    // Both size fields are 32-bit.
    if (imageBytes + kCacheHeaderBytes > std::numeric_limits<std::uint32_t>::max()) return kErrInvalidArgument;

    std::uint8_t h[kCacheHeaderBytes] = {};
    h[0] = 'B';
    h[1] = 'M';
    Put32(h + 2, static_cast<std::uint32_t>(imageBytes + kCacheHeaderBytes));
    Put32(h + 10, kCacheHeaderBytes);
    Put32(h + 14, kBmpInfoHeaderBytes);
    Put32(h + 18, static_cast<std::uint32_t>(block.width));
    Put32(h + 22, static_cast<std::uint32_t>(block.height));
    Put16(h + 26, 1);
    Put16(h + 28, 24);
    Put32(h + 30, kNoCompression);
    Put32(h + 34, static_cast<std::uint32_t>(imageBytes));
    if (!sink.Write(h, sizeof h)) return kErrDiskWrite;

    const std::int64_t band = BandRows(block.height, stride);
    std::vector<std::uint8_t> buffer;
    try {
        buffer.assign(static_cast<std::size_t>(band * stride), 0);
    } catch (const std::bad_alloc&) {
        return kErrMemory;
    }
    // The file's first row is the block's last.
    for (std::int64_t done = 0; done < block.height; done += band) {
        const std::int64_t count = std::min<std::int64_t>(band, block.height - done);
        for (std::int64_t r = 0; r < count; ++r)
            std::memcpy(buffer.data() + r * stride, block.Row(static_cast<std::int32_t>(block.height - 1 - done - r)),
                        rowBytes);
        if (!sink.Write(buffer.data(), static_cast<std::size_t>(count * stride))) return kErrDiskWrite;
    }
    return kOk;
}

Status EncodeCacheBitmap(const PixelBlock& block, std::vector<std::uint8_t>* file) {
    if (file == nullptr) return kErrInvalidArgument;
    file->clear();
    VectorSink sink(*file);
    try {
        return WriteCacheFile(block, sink);
    } catch (const std::bad_alloc&) {
        return kErrMemory;
    }
}

Status ReadCacheBitmap(ByteSource& source, CacheBitmapInfo* info, PixelBlock* block) {
    if (info == nullptr) return kErrInvalidArgument;
    *info = {};
    if (block != nullptr) block->Release();
    std::uint8_t head[kCacheHeaderBytes];
    if (!source.ReadAt(0, head, kBmpFileHeaderBytes)) return kErrDiskWrite;
    if (head[0] != 'B' || head[1] != 'M') return kErrInvalidArgument;
    if (!source.ReadAt(kBmpFileHeaderBytes, head + kBmpFileHeaderBytes, kBmpInfoHeaderBytes)) return kErrDiskWrite;

    const std::uint32_t pixelOffset = Get32(head + 10);
    const std::uint32_t headerSize = Get32(head + 14);
    const std::int32_t width = static_cast<std::int32_t>(Get32(head + 18));
    const std::int32_t height = static_cast<std::int32_t>(Get32(head + 22));
    const std::uint16_t bits = Get16(head + 28);
    const std::uint32_t compression = Get32(head + 30);
    // A smaller header is the old OS/2 layout, whose fields lie elsewhere;
    // the pixels cannot begin inside the headers.
    if (headerSize < kBmpInfoHeaderBytes ||
        static_cast<std::uint64_t>(pixelOffset) < std::uint64_t{kBmpFileHeaderBytes} + headerSize)
        return kErrInvalidArgument;
    if (width <= 0 || height == 0 || height == std::numeric_limits<std::int32_t>::min()) return kErrImageDimension;

    const std::uint64_t rows = static_cast<std::uint64_t>(height < 0 ? -static_cast<std::int64_t>(height) : height);
    const std::uint64_t stride = ((std::uint64_t{bits} * static_cast<std::uint64_t>(width) + 31) / 32) * 4;
    if (bits <= 15) return kErrColourTable;
    if (bits != 24 || compression != kNoCompression) return kErrBitsPerPixel;
    if (stride > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) return kErrImageDimension;
    const std::uint64_t imageBytes = rows * stride;
    if (pixelOffset > source.Size() || imageBytes > source.Size() - pixelOffset) return kErrDiskWrite;
    info->width = width;
    info->height = height;
    info->rowBytes = static_cast<std::int32_t>(stride);
    info->bitsPerPixel = bits;
    info->coloursUsed = Get32(head + 46);
    info->coloursImportant = Get32(head + 50);
    info->pixelOffset = pixelOffset;
    if (block == nullptr) return kOk;

    if (imageBytes > std::numeric_limits<std::size_t>::max() || rows > std::numeric_limits<std::int32_t>::max())
        return kErrMemory;
    PixelBlock read;
    const std::size_t packed = static_cast<std::size_t>(width) * 3;
    // One read of all rows (a file read is costly, a row at a time more so);
    // padded rows go through a second buffer that keeps the padding behind.
    std::vector<std::uint8_t> padded;
    try {
        read.pixels.assign(packed * static_cast<std::size_t>(rows), 0);
        if (stride != packed) padded.assign(static_cast<std::size_t>(imageBytes), 0);
    } catch (const std::bad_alloc&) {
        return kErrMemory;
    }
    read.width = width;
    read.height = static_cast<std::int32_t>(rows);
    read.rowBytes = static_cast<std::int32_t>(packed);
    std::vector<std::uint8_t>& target = stride != packed ? padded : read.pixels;
    if (!source.ReadAt(pixelOffset, target.data(), target.size())) return kErrDiskWrite;
    if (stride != packed)
        for (std::int32_t fileRow = 0; fileRow < read.height; ++fileRow)
            std::memcpy(read.Row(fileRow), padded.data() + static_cast<std::size_t>(fileRow) * stride, packed);
    // A bottom-up file comes out top row first.
    if (height > 0) {
        std::vector<std::uint8_t> swap(packed);
        for (std::int32_t top = 0, bottom = read.height - 1; top < bottom; ++top, --bottom) {
            std::memcpy(swap.data(), read.Row(top), packed);
            std::memcpy(read.Row(top), read.Row(bottom), packed);
            std::memcpy(read.Row(bottom), swap.data(), packed);
        }
    }
    *block = std::move(read);
    return kOk;
}

Status ReadCacheRowsInto(ByteSource& source, const CacheBitmapInfo& info, PixelBlock& strip, std::size_t byteOffset,
                         std::int32_t topRow) {
    const std::int64_t rows = info.height < 0 ? -static_cast<std::int64_t>(info.height) : info.height;
    const std::size_t packed = static_cast<std::size_t>(info.width) * 3;
    const std::size_t stride = static_cast<std::size_t>(info.rowBytes);
    if (info.width <= 0 || rows <= 0 || stride < packed || topRow < 0 || rows > strip.height - topRow ||
        byteOffset > static_cast<std::size_t>(strip.rowBytes) || packed > strip.rowBytes - byteOffset ||
        strip.pixels.size() < strip.Bytes())
        return kErrInvalidArgument;
    // File row r holds photo row r of a top-down file, the last but r of a
    // bottom-up one.
    auto photoRow = [&](std::int64_t fileRow) {
        return topRow + static_cast<std::int32_t>(info.height > 0 ? rows - 1 - fileRow : fileRow);
    };
    if (const std::uint8_t* bytes = source.Bytes()) {
        if (info.pixelOffset > source.Size() ||
            static_cast<std::uint64_t>(rows) * stride > source.Size() - info.pixelOffset)
            return kErrDiskWrite;
        for (std::int64_t r = 0; r < rows; ++r)
            std::memcpy(strip.Row(photoRow(r)) + byteOffset, bytes + info.pixelOffset + r * stride, packed);
        return kOk;
    }
    const std::int64_t band = BandRows(rows, stride);
    std::vector<std::uint8_t> buffer;
    try {
        buffer.resize(static_cast<std::size_t>(band) * stride);
    } catch (const std::bad_alloc&) {
        return kErrMemory;
    }
    for (std::int64_t first = 0; first < rows; first += band) {
        const std::int64_t count = std::min(band, rows - first);
        if (!source.ReadAt(info.pixelOffset + static_cast<std::uint64_t>(first) * stride, buffer.data(),
                           static_cast<std::size_t>(count) * stride))
            return kErrDiskWrite;
        for (std::int64_t r = 0; r < count; ++r)
            std::memcpy(strip.Row(photoRow(first + r)) + byteOffset,
                        buffer.data() + static_cast<std::size_t>(r) * stride, packed);
    }
    return kOk;
}

bool CacheFileBroken(Status code) {
    return code == kErrInvalidArgument || code == kErrImageDimension || code == kErrDiskWrite;
}

}  // namespace quorvel
