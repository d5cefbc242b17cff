// The saver joins its strip from the cache files themselves: the headers
// ReadCacheBitmap took, then the rows straight into the strip at the
// photo's place, from a mapped file or in bands. Any file the header reader
// takes must read into its place, the same both ways and the same as the
// photo read whole, and nothing may be written outside the strip.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "imaging/BitmapCache.h"
#include "fuzz/FuzzInput.h"

using namespace quorvel;

namespace {

// A file that can only be read, as one that cannot be mapped.
struct ReadOnlySource : MemoryByteSource {
    using MemoryByteSource::MemoryByteSource;
    const std::uint8_t* Bytes() const override { return nullptr; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    // Where the photo lies in the strip: columns to its left and rows above it.
    const std::uint8_t place = input.Byte();
    const std::int32_t left = place & 0x0F, top = place >> 4;
    const std::size_t used = size - input.Remaining();
    MemoryByteSource whole(data + used, size - used);
    ReadOnlySource inBands(data + used, size - used);
    CacheBitmapInfo info;
    if (ReadCacheBitmap(whole, &info, nullptr) != kOk) return 0;
    const std::int64_t rows = info.height < 0 ? -std::int64_t(info.height) : info.height;
    PixelBlock mapped = PixelBlock::Make(info.width + left + 3, std::int32_t(rows) + top + 2);
    PixelBlock banded = mapped;
    const Status fromMapping = ReadCacheRowsInto(whole, info, mapped, std::size_t(left) * 3, top);
    const Status fromBands = ReadCacheRowsInto(inBands, info, banded, std::size_t(left) * 3, top);
    if (fromMapping != fromBands) std::abort();
    if (fromMapping != kOk) return 0;
    if (mapped.pixels != banded.pixels) std::abort();
    // The rows landed where the photo read whole has them, and nowhere else.
    PixelBlock photo;
    if (ReadCacheBitmap(whole, &info, &photo) != kOk) std::abort();
    for (std::int32_t y = 0; y < mapped.height; ++y) {
        const bool inside = y >= top && y < top + photo.height;
        for (std::int32_t x = 0; x < mapped.rowBytes; ++x) {
            const bool column = x >= left * 3 && x < left * 3 + photo.rowBytes;
            const std::uint8_t expected = inside && column ? photo.Row(y - top)[x - left * 3] : 0;
            if (mapped.Row(y)[x] != expected) std::abort();
        }
    }
    return 0;
}
