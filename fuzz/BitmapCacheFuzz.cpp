// The cache reader takes files that another copy of the program, a crash or
// the user left in the "BMP" folder: any bytes must give a code, never a
// read outside the file or an allocation the file cannot back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "imaging/BitmapCache.h"

using namespace quorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MemoryByteSource source(data, size);
    CacheBitmapInfo headerOnly;
    const Status headerStatus = ReadCacheBitmap(source, &headerOnly, nullptr);

    CacheBitmapInfo info;
    PixelBlock block;
    const Status status = ReadCacheBitmap(source, &info, &block);
    if (status != kOk) return 0;
    // A file the reader takes must have sound headers on their own too, and
    // must come back byte for byte when written again.
    if (headerStatus != kOk) std::abort();
    std::vector<std::uint8_t> again;
    if (EncodeCacheBitmap(block, &again) != kOk) return 0;
    MemoryByteSource reread(again);
    PixelBlock copy;
    if (ReadCacheBitmap(reread, &info, &copy) != kOk) std::abort();
    return 0;
}
