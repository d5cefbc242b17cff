// Photos carry EXIF blocks written by any camera or program. The fallback
// parser reads them from the file itself and the properties list formats
// what it found: both must cope with every byte. Entries may share their
// value bytes, so what a photo keeps must stay within the limits of
// imaging/PhotoProperties.h, whatever the block makes of them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "imaging/PhotoProperties.h"
#include "imaging/Metadata.h"
#include "tests/unit/EnglishPropertyTexts.h"

using namespace quorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The real texts, so that every number conversion of the list runs.
    static const PropertyTexts texts = EnglishTexts();
    const std::span<const std::uint8_t> file(data, size);
    if (!MayHoldExif(file.first(size < kExifSignatureBytes ? size : kExifSignatureBytes))) {
        // The program would not read such a file again; the parser must
        // still refuse it quietly.
        (void)ParseExifProperties(file);
        return 0;
    }
    PhotoRecord photo;
    photo.fileName = u"P1.BMP";
    photo.block = PixelBlock::Make(4, 2);
    photo.fileSize = std::int64_t(size);
    photo.properties = ParseExifProperties(file);
    std::size_t kept = 0;
    for (const PropertyItem& item : photo.properties) kept += item.value.size();
    if (kept > size || kept > kPropertyBytesKept || photo.properties.size() > kPropertyItemsKept) std::abort();
    photo.dateTaken = CaptureTimeOf(photo.properties);
    for (int albumType = 1; albumType <= 7; albumType += 3) (void)FormatPhotoProperties(photo, albumType, texts);
    return 0;
}
