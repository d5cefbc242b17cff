// The bitmap cache of an album: a "BMP" sub-folder holding a 24-bit BMP copy
// of every photo. This is the file format side, free of Windows calls: the
// cache file's bytes and the checked reading of any BMP (the names of the
// photo types and their cache files are in base/PhotoTypes.h). The file
// system side is in imaging/Decode_win.h.
#pragma once
#include <cstdint>
#include <cstdio>
#include <vector>

#include "base/ErrorCodes.h"
#include "base/PhotoTypes.h"
#include "base/PixelBlock.h"

namespace quorvel {

constexpr std::uint32_t kBmpFileHeaderBytes = 14;
constexpr std::uint32_t kBmpInfoHeaderBytes = 40;
constexpr std::uint32_t kCacheHeaderBytes = kBmpFileHeaderBytes + kBmpInfoHeaderBytes;
// What the two headers of a BMP file say, as far as the reader uses them.
struct CacheBitmapInfo {
    std::int32_t width = 0;
    std::int32_t height = 0;  // as stored: positive for bottom row first
    std::int32_t rowBytes = 0;
    std::uint16_t bitsPerPixel = 0;
    std::uint32_t coloursUsed = 0;
    std::uint32_t coloursImportant = 0;
    std::uint32_t pixelOffset = 0;
};

// Random access to the bytes of a file (or of memory) for the reader, which
// checks every size it is told against Size() before it reads or allocates.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // False unless all `bytes` bytes at `offset` were read.
    virtual bool ReadAt(std::uint64_t offset, void* out, std::size_t bytes) = 0;
    // All Size() bytes, when the source holds them in memory (a block of
    // memory, a mapped file): rows are then copied from there with no read.
    virtual const std::uint8_t* Bytes() const { return nullptr; }
};

class MemoryByteSource : public ByteSource {
public:
    MemoryByteSource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    explicit MemoryByteSource(const std::vector<std::uint8_t>& bytes) : data_(bytes.data()), size_(bytes.size()) {}
    std::uint64_t Size() const override { return size_; }
    bool ReadAt(std::uint64_t offset, void* out, std::size_t bytes) override;
    const std::uint8_t* Bytes() const override { return data_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

// A file opened through the C runtime with a narrow path: the native tests
// and benchmarks use it; the program opens its files with Windows calls.
class StdioByteSource : public ByteSource {
public:
    explicit StdioByteSource(const char* path);
    ~StdioByteSource() override;
    StdioByteSource(const StdioByteSource&) = delete;
    StdioByteSource& operator=(const StdioByteSource&) = delete;
    bool IsOpen() const { return file_ != nullptr; }
    std::uint64_t Size() const override { return size_; }
    bool ReadAt(std::uint64_t offset, void* out, std::size_t bytes) override;

private:
    std::FILE* file_ = nullptr;
    std::uint64_t size_ = 0;
};

// Where the writer puts a cache file's bytes, in order.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    // False unless all `bytes` bytes were written.
    virtual bool Write(const void* data, std::size_t bytes) = 0;
};

// The whole cache file of a block: 54 header bytes, then the rows bottom row
// first, width x 3 bytes each padded with zeros to a whole number of 32-bit
// words as every BMP row is (a width that is a multiple of 4 needs none).
// The rows go to the sink a band of about 1 MB at a time, so no copy of the
// whole file is made (and Wine writes one huge buffer ten times slower than
// the same bytes in bands). Codes: kErrInvalidArgument an inconsistent block, kErrMemory no
// memory for a band, kErrDiskWrite the sink refused a write.
[[nodiscard]] Status WriteCacheFile(const PixelBlock& block, ByteSink& sink);

// The same file's bytes in memory.
[[nodiscard]] Status EncodeCacheBitmap(const PixelBlock& block, std::vector<std::uint8_t>* file);

// Reads the headers and, when `block` is given, the pixels, top row first.
// Without a block only the header values are given; the block's rows come
// without the file's padding. Codes: kErrInvalidArgument not a BMP
// or a broken header, kErrImageDimension impossible dimensions, kErrColourTable
// a colour table, kErrBitsPerPixel not 24 bits per
// pixel or compressed, kErrDiskWrite the file is shorter than its headers say,
// kErrMemory no memory. The caller's old block is released first.
[[nodiscard]] Status ReadCacheBitmap(ByteSource& source, CacheBitmapInfo* info, PixelBlock* block);

// Reads the pixels of a cache file whose headers ReadCacheBitmap gave as
// `info` straight into the rows of `strip`, top row first from (byteOffset,
// topRow) on: row by row from the source's bytes when it holds them, else a
// band of rows at a time. No block of the whole photo is made.
// kErrInvalidArgument when the photo does not fit there, else ReadCacheBitmap's codes.
[[nodiscard]] Status ReadCacheRowsInto(ByteSource& source, const CacheBitmapInfo& info, PixelBlock& strip,
                                       std::size_t byteOffset, std::int32_t topRow);

// A reader code that means the file is broken, so the cache copy must be
// made again; the other codes mean a sound file the reader does not take.
bool CacheFileBroken(Status code);

}  // namespace quorvel
