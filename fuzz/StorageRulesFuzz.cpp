// The names a cleanup finds on disk and the folders the user chose decide
// what is deleted: the rules must hold for any name and any pair of paths.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz/FuzzInput.h"
#include "storage/StorageRules.h"

using namespace quorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const std::uint8_t links = input.Byte();
    std::vector<std::u16string> texts = input.RestAsTexts();
    texts.resize(2);
    const std::u16string& path = texts[0];
    const std::u16string& folder = texts[1];

    (void)IsSafeChildName(path);
    (void)IsThumbnailCacheName(path);
    const int albumIndex = DefaultAlbumIndex(path);
    if (albumIndex < -1 || albumIndex > 1) std::abort();
    (void)IsKeptAlbumFolder(path);
    (void)IsKeptDefaultAlbumPhoto(albumIndex, folder);
    (void)IsKeptBoard(path);
    (void)IsKeptUserFolder(path);
    (void)IsKeptUserFile(path);

    const bool inside = IsInsideFolder(path, folder);
    int asked = 0;
    // The byte says which of the folders asked about are links.
    const bool cleanable =
        IsCleanableRoot(path, folder, [&](std::u16string_view) { return (links >> (asked++ % 8) & 1) != 0; });
    // Nothing outside the per-user folder is ever emptied.
    if (cleanable && !inside) std::abort();
    return 0;
}
