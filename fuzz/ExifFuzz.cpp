// Photos carry EXIF blocks written by any camera or program. The fallback
// parser reads them from the file itself and the properties list formats
// what it found: both must cope with every byte.
#include <cstddef>
#include <cstdint>
#include <span>

#include "display/PhotoProperties.h"
#include "photos/Metadata.h"

using namespace quorvel;

namespace {

// Texts with every conversion the string table uses, so the formatter's
// number paths run.
PropertyTexts Texts() {
    PropertyTexts t;
    for (std::size_t i = 0; i < t.size(); ++i) t[i] = u"label";
    t[kTextFormatDimensions] = u"%lu X %lu";
    t[kTextFormatFStop] = u"f/%.1f";
    t[kTextFormatExposure] = u"1/%ld sec.";
    t[kTextFormatIso] = u"ISO-%d";
    t[kTextFormatNumber] = u"%d";
    t[kTextFormatMillimetres] = u"%.1f mm";
    t[kTextFormatWholeMillimetres] = u"%ld mm";
    t[kTextFormatAperture] = u"%.1f";
    t[kTextFormatStep] = u"%.1f step";
    t[kTextFormatWholeStep] = u"%ld step";
    t[kTextFormatFileSize] = u"%.1lf KB (%.2lf MB)";
    return t;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const PropertyTexts texts = Texts();
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
    photo.dateTaken = CaptureTimeOf(photo.properties);
    for (int albumType = 1; albumType <= 7; albumType += 3) (void)FormatPhotoProperties(photo, albumType, texts);
    return 0;
}
