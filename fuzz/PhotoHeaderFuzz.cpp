// Any bytes as a photo file to SizeFromPhotoHeader. A size it states is one
// the header can hold (each side below 2^32), so the size check's product
// never overflows; no file makes it read more than a few windows per
// segment or block it passes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "imaging/PhotoHeader.h"

using namespace quorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MemoryByteSource source(data, size);
    const PhotoHeaderSize s = SizeFromPhotoHeader(source);
    if (s.known && (s.width < 0 || s.height < 0 || s.width > 0xFFFFFFFFLL || s.height > 0xFFFFFFFFLL)) std::abort();
    if (!s.known && !PhotoSizeRefused(s)) std::abort();
    return 0;
}
