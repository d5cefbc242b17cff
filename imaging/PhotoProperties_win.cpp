#include "imaging/PhotoProperties_win.h"

#include <algorithm>
#include <cstddef>
#include <new>
#include <vector>

#include "base/ErrorReporter_win.h"
#include "base/Guards_win.h"

namespace quorvel {

namespace {

const wchar_t kModule[] = L"metadata";

// Photos beyond this size are not read a second time for their metadata.
constexpr LONGLONG kLargestFileRead = 256LL * 1024 * 1024;

// The whole photo file when it is one that can hold EXIF items (a JPEG or
// a TIFF file), else nothing; also nothing when it cannot be read.
std::vector<std::uint8_t> ReadExifFile(const wchar_t* path) {
    if (path == nullptr) return {};
    FileHandle file(
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart < LONGLONG(kExifSignatureBytes) ||
        size.QuadPart > kLargestFileRead)
        return {};
    std::uint8_t head[kExifSignatureBytes];
    DWORD read = 0;
    if (!ReadFile(file.get(), head, DWORD(kExifSignatureBytes), &read, nullptr) || read != kExifSignatureBytes ||
        !MayHoldExif(head))
        return {};
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    std::copy_n(head, kExifSignatureBytes, bytes.begin());
    const DWORD rest = static_cast<DWORD>(bytes.size() - kExifSignatureBytes);
    if (!ReadFile(file.get(), bytes.data() + kExifSignatureBytes, rest, &read, nullptr) || read != rest) return {};
    return bytes;
}

static_assert(sizeof(GdiPropertyItem) == sizeof(Gdiplus::PropertyItem) &&
              offsetof(GdiPropertyItem, length) == offsetof(Gdiplus::PropertyItem, length) &&
              offsetof(GdiPropertyItem, type) == offsetof(Gdiplus::PropertyItem, type) &&
              offsetof(GdiPropertyItem, value) == offsetof(Gdiplus::PropertyItem, value));

}  // namespace

Status ReadPhotoProperties(Gdiplus::Image& image, PhotoRecord& record, const wchar_t* path) {
    record.properties.clear();
    record.properties.shrink_to_fit();
    record.dateTaken = 0;
    try {
        UINT bytes = 0, count = 0;
        if (image.GetPropertySize(&bytes, &count) == Gdiplus::Ok && count > 0 && bytes > 0) {
            std::vector<std::uint8_t> block(bytes, 0);
            if (image.GetAllPropertyItems(bytes, count, reinterpret_cast<Gdiplus::PropertyItem*>(block.data())) ==
                Gdiplus::Ok) {
                record.properties = TakePropertyBlock(block, count);
            }
        }
        if (FindPhotoProperty(record.properties, kTagExifVersion) == nullptr) {
            const std::vector<std::uint8_t> file = ReadExifFile(path);
            for (PropertyItem& item : ParseExifProperties(file)) {
                // GDI+'s own items come first, so its values win the lookup.
                if (FindPhotoProperty(record.properties, item.id) == nullptr) {
                    record.properties.push_back(std::move(item));
                }
            }
        }
    } catch (const std::bad_alloc&) {
        record.properties.clear();
        SetErrorLocation(QV_SITE(kModule), path);
        return kErrMemory;
    }
    record.dateTaken = CaptureTimeOf(record.properties);
    return kOk;
}

Status ReadPhotoFileProperties(const wchar_t* path, PhotoRecord& record) {
    Gdiplus::Image image(path, FALSE);
    if (image.GetLastStatus() != Gdiplus::Ok) return kOk;
    return ReadPhotoProperties(image, record, path);
}

}  // namespace quorvel
