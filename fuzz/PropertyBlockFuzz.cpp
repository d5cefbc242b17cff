// GDI+ hands a photo's property items over as one block of item headers
// whose value pointers should lie inside the block; a decoder that gets a
// count, a length or a pointer wrong must not make the program read beyond
// the block. The fuzzer's bytes are the block, with each header's pointer
// field taken as an offset from the block's start (0 stays a null pointer),
// so that pointers inside, at the edge of and beyond the block all occur.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "imaging/PhotoProperties.h"
#include "fuzz/FuzzInput.h"

using namespace quorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const std::uint32_t count = input.Word();
    const std::size_t used = size - input.Remaining();
    // A block of its own, so that AddressSanitizer sees a read past its end.
    std::vector<std::uint8_t> block(data + used, data + size);
    const std::uintptr_t base = reinterpret_cast<std::uintptr_t>(block.data());
    for (std::size_t at = 0; at + sizeof(GdiPropertyItem) <= block.size(); at += sizeof(GdiPropertyItem)) {
        GdiPropertyItem header;
        std::memcpy(&header, block.data() + at, sizeof header);
        std::int32_t offset = 0;
        std::memcpy(&offset, &header.value, sizeof offset);
        header.value = offset == 0 ? nullptr : reinterpret_cast<const void*>(base + std::intptr_t(offset));
        std::memcpy(block.data() + at, &header, sizeof header);
    }
    const std::vector<PropertyItem> items = TakePropertyBlock(block, count);
    std::size_t kept = 0;
    for (const PropertyItem& item : items) kept += item.value.size();
    if (items.size() > count || items.size() > kPropertyItemsKept || kept > block.size() || kept > kPropertyBytesKept)
        std::abort();
    return 0;
}
