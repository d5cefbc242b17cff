#include "photos/Metadata_win.h"

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "base/AppState_win.h"
#include "base/ErrorReporter_win.h"
#include "base/DisplayState_win.h"

namespace quorvel {

namespace {

const wchar_t kModule[] = L"metadata";

// Photos beyond this size are not read a second time for their metadata.
constexpr LONGLONG kLargestFileRead = 256LL * 1024 * 1024;

// The whole photo file, or nothing when it cannot be read.
std::vector<std::uint8_t> ReadWholeFile(const wchar_t* path) {
    std::vector<std::uint8_t> bytes;
    if (path == nullptr) return bytes;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart <= kLargestFileRead) {
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
        DWORD read = 0;
        if (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size()) {
            bytes.clear();
        }
    }
    CloseHandle(file);
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
            const std::vector<std::uint8_t> file = ReadWholeFile(path);
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

const PropertyItem* FindPhotoProperty(int album, int photo, std::uint32_t tag) {
    if (gDisplayState == nullptr || album < 0 || album >= kAlbumCount) return nullptr;
    const AlbumSlot& slot = gDisplayState->albums[album];
    return FindPhotoProperty(slot.photos, slot.photoCount, photo, tag);
}

Status LoadPropertyTexts(PropertyTexts& texts) {
    HINSTANCE module = gAppState != nullptr && gAppState->instance != nullptr ? gAppState->instance
                                                                             : GetModuleHandleW(nullptr);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const wchar_t* text = nullptr;
        // With no buffer LoadStringW hands out the table's own text, which
        // is not terminated; its length comes back instead.
        const int length = LoadStringW(module, kPropertyTextIds[i], reinterpret_cast<LPWSTR>(&text), 0);
        if (length <= 0 || text == nullptr) {
            SetErrorLocation(QV_SITE(kModule), std::to_wstring(kPropertyTextIds[i]).c_str());
            return kErrResourceString;
        }
        texts[i].assign(reinterpret_cast<const char16_t*>(text), static_cast<std::size_t>(length));
    }
    return kOk;
}

}  // namespace quorvel
