// The EXIF/TIFF property items kept with a decoded photo and the capture
// time read from them. Portable: the items arrive as raw little-endian bytes
// (as GDI+ hands them out, or as ParseExifProperties reads them from the
// file), and every reader here checks type and length before it reads.
#pragma once
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "imaging/PhotoRecord.h"

namespace quorvel {

// Tag ids as GDI+ numbers them (the EXIF and TIFF tag numbers).
enum PropertyTag : std::uint32_t {
    kTagImageDescription = 270,
    kTagMake = 271,
    kTagModel = 272,
    kTagOrientation = 274,
    kTagSoftware = 305,
    kTagArtist = 315,
    kTagImageTitle = 800,
    kTagCopyright = 33432,
    kTagExposureTime = 33434,
    kTagFNumber = 33437,
    kTagExifIfd = 34665,
    kTagIsoSpeed = 34855,
    kTagExifVersion = 36864,
    kTagDateTimeOriginal = 36867,
    kTagExposureBias = 37380,
    kTagMaxAperture = 37381,
    kTagMeteringMode = 37383,
    kTagFocalLength = 37386,
    kTagUserComment = 37510,
    kTagWhiteBalance = 41987,
    kTagContrast = 41992,
    kTagSaturation = 41993,
    kTagSharpness = 41994,
};

enum PropertyType : std::uint16_t {
    kTypeByte = 1,
    kTypeAscii = 2,
    kTypeShort = 3,
    kTypeLong = 4,
    kTypeRational = 5,
    kTypeUndefined = 7,
    kTypeSignedLong = 9,
    kTypeSignedRational = 10,
};

// The first item with the tag, in block order; none when absent.
const PropertyItem* FindPhotoProperty(const std::vector<PropertyItem>& items, std::uint32_t tag);

struct Rational {
    std::int32_t numerator = 0;
    std::int32_t denominator = 0;
};

// A short value read as signed 16 bits (from a short, or the low half of a
// long as it lies in memory); none for other types or too few bytes.
std::optional<std::int16_t> PropertyShort(const PropertyItem& item);
// The first rational, both parts read as signed 32 bits; none for other
// types or fewer than 8 bytes.
std::optional<Rational> PropertyRational(const PropertyItem& item);
// The value bytes up to the first zero byte (or all of them when there is
// none), each byte one character, as the C locale converts them.
std::u16string PropertyBytesText(const PropertyItem& item);

// Capture time "yyyy:mm:dd hh:mm:ss": the broken-down local time with the
// daylight-saving flag left to the system, or none when the text is shorter than 19
// characters or a number position holds no digit.
std::optional<std::tm> ParseCaptureTime(std::u16string_view text);
// Seconds since 1970 of the capture time (mktime of the parsed time), 0
// when the item is not a usable capture time or it lies before 1970.
std::int64_t CaptureTimeOf(const PropertyItem& item);
// The record's date taken: the last capture-time item of the list wins.
std::int64_t CaptureTimeOf(const std::vector<PropertyItem>& items);

// The EXIF orientation of the photo (1 to 8 where the camera gave one; see
// UprightSteps), 0 when it has none.
int PhotoOrientation(const std::vector<PropertyItem>& items);

// What one reading of a photo's items keeps, however many its file or
// GDI+ gives: the values of the tags the program shows or uses, up to the
// size of what was read and at most kPropertyBytesKept bytes in all (a
// value that would pass that is left out); of every other tag only the id
// and type, since the list shows a photo's dates only when it has items;
// the first kPropertyItemsKept items. Entries may share their value bytes,
// so without these limits a small block could fill the memory.
constexpr std::size_t kPropertyBytesKept = 64 * 1024;
constexpr std::size_t kPropertyItemsKept = 1024;

// Reads the property items straight from a JPEG (its "Exif" APP1 segment)
// or TIFF file: the entries of the first directory and of the EXIF
// directory (each read once), in file order, values turned into
// little-endian as GDI+ gives them, kept as above. Malformed entries are
// skipped; nothing outside `file` is read.
std::vector<PropertyItem> ParseExifProperties(std::span<const std::uint8_t> file);

// GDI+'s PropertyItem as it lies in the block GdipGetAllPropertyItems fills
// (the same layout as Gdiplus::PropertyItem, which the Windows side checks).
struct GdiPropertyItem {
    std::uint32_t id;
    std::uint32_t length;
    std::uint16_t type;
    const void* value;
};

// The items of GDI+'s block: `count` item headers followed by their
// values, kept as above. Only the headers that fit in the block are read,
// and a value whose pointer does not lie inside the block is left empty.
std::vector<PropertyItem> TakePropertyBlock(std::span<const std::uint8_t> block, std::uint32_t count);

// True when a file starting with these bytes can hold EXIF items that
// ParseExifProperties reads: a JPEG or a TIFF file. Other files are not
// read a second time for their metadata.
bool MayHoldExif(std::span<const std::uint8_t> head);
constexpr std::size_t kExifSignatureBytes = 4;

}  // namespace quorvel
