#include "display/PhotoProperties_win.h"

#include <algorithm>
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

// Copies GDI+'s block: item headers whose value pointers lie inside it.
void TakeItems(const std::vector<std::uint8_t>& block, UINT count, std::vector<PropertyItem>& items) {
    const auto* headers = reinterpret_cast<const Gdiplus::PropertyItem*>(block.data());
    const std::uintptr_t first = reinterpret_cast<std::uintptr_t>(block.data());
    const std::uintptr_t end = first + block.size();
    const UINT fits = static_cast<UINT>(std::min<std::size_t>(count, block.size() / sizeof(Gdiplus::PropertyItem)));
    items.reserve(fits);
    for (UINT i = 0; i < fits; ++i) {
        PropertyItem item;
        item.id = headers[i].id;
        item.type = headers[i].type;
        const auto at = reinterpret_cast<std::uintptr_t>(headers[i].value);
        const std::uintptr_t length = headers[i].length;
        if (at != 0 && at >= first && at <= end && length <= end - at) {
            const auto* value = reinterpret_cast<const std::uint8_t*>(at);
            item.value.assign(value, value + length);
        }
        items.push_back(std::move(item));
    }
}

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
                TakeItems(block, count, record.properties);
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
