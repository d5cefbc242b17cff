// Any bytes as the head of a photo file to SizeFromPhotoHeader. A size it
// states is one the header can hold (each side below 2^32), so the size
// check's product never overflows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "display/PhotoHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const quorvel::PhotoHeaderSize s = quorvel::SizeFromPhotoHeader(std::span<const std::uint8_t>(data, size));
    if (s.known && (s.width < 0 || s.height < 0 || s.width > 0xFFFFFFFFLL || s.height > 0xFFFFFFFFLL)) std::abort();
    (void)quorvel::PhotoTooLarge(s);
    return 0;
}
