// Decoding an album's photos into 24-bit pixels, keeping the album's bitmap
// cache (the "BMP" sub-folder with a BMP copy of every photo) up to date,
// and the matting-board thumbnail.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/AppState_win.h"
#include "imaging/PhotoRecord.h"
#include "imaging/BitmapCache.h"
#include "storage/Settings_win.h"

namespace quorvel {

// An album as the scan of its folder and its decoding leave it: the folder
// inside the albums root, the type of its photos (base/PhotoTypes.h), their
// records, whether a photo's size or orientation differs from the first
// one's, and the stitch mode its photos are joined in, which such a
// mismatch makes 2.
struct AlbumPhotos {
    wchar_t folderName[kAlbumFolderChars] = {};
    std::int32_t photoCount = 0;
    std::array<PhotoRecord, kMaxPhotos> photos;
    std::int16_t photoType = 0;
    std::int32_t orientationMismatch = 0;
    std::int32_t sizeMismatch = 0;
    std::int16_t stitchMode = 0;
};

// Decodes one photo file with GDI+: 24-bit pixels, top row first, the width
// cut down to a multiple of 4. With readProperties the photo's property
// items and its date taken are kept in the record too (ReadPhotoProperties).
// Codes kErrImageDimension, kErrGdiplus, kErrMemory.
[[nodiscard]] Status DecodePhoto(const wchar_t* path, bool readProperties, PhotoRecord* record);

// Start-up's own rule for a photo of an album, which the import and an
// album change apply too before they copy or commit anything, so that no
// album they make stops a start: the photo, once it is `name` in the album
// folder `album`, and its cache copy lie within the path limit (kErrInvalidArgument), the
// file at `source` decodes (DecodePhoto's codes), and its smaller side is at
// least 100 pixels, 20 in preview mode (kErrPhotoTooSmall).
[[nodiscard]] Status CheckAlbumPhoto(const wchar_t* source, const wchar_t* album, const wchar_t* name, int type);

// A photo an album cannot show, and the code that says why.
struct RefusedPhoto {
    std::wstring name;
    Status reason = kOk;
};

// The photos DecodeAlbum left out since the last call, named by album folder
// and file name, each once a run: the program tells the user about them.
std::vector<RefusedPhoto> TakeUntoldRefusedPhotos();

// Fills the album's photo records, its mismatch flags and its cache, in the
// order `storedOrder` gives (ReadPhotoOrder), the folder's otherwise. A photo
// whose cache copy is sound and carries the photo's own last-write time
// takes its pixels from there, since the Photos tools change only the cache
// copies; the photo file is decoded to make a missing, broken or outdated
// cache copy (which then gets the photo's time), or when the reader refuses
// the copy. The photos' EXIF items are read only when asked (the Photos
// panel lists them; the albums on show never use them, and reading them
// opens each photo file once more).
// The photos' pixels are held in the records, or only their sizes (the
// album step: the join then reads each cache copy straight into the strip;
// a photo whose copy the reader refuses keeps its pixels).
// A photo that CheckAlbumPhoto's rule refuses costs only itself: it is left
// out with one error-log row a run, and an album left with no photo gives
// kErrMissingPhotos. A failure that is not the photo's own (the cache folder or a copy
// cannot be written) ends the decoding.
enum class PhotoItems { kSkip, kRead };
enum class PhotoPixels { kHold, kSizesOnly };
[[nodiscard]] Status DecodeAlbum(AlbumPhotos& album, std::u16string_view storedOrder,
                                 PhotoItems items = PhotoItems::kRead, PhotoPixels pixels = PhotoPixels::kHold);

// Decodes the matting board of album `album` (0 or 1, as the settings name
// it) into its square thumbnail (100 pixels, 20 in preview mode), stretched
// whatever its shape. A board that has gone brings back the default boards
// first.
[[nodiscard]] Status LoadMattingTile(int album, PixelBlock& thumbnail);

// "<albums folder>\<album folder>\BMP\<cache file name>" of a decoded photo;
// 10001 for a photo the album does not hold.
[[nodiscard]] Status CacheBitmapPath(const AlbumPhotos& album, int photo, wchar_t (&path)[kPathChars]);

// Writes the record's pixels as a cache BMP file. Writes nothing and returns
// 0 unless the path ends in ".bmp" and the record has pixels.
// A file it replaces keeps its last-write time.
[[nodiscard]] Status WriteCacheBitmap(const PhotoRecord& record, const wchar_t* path);

// Reads the cache copy of the album's photo `photo`, whose record holds only
// its sizes, straight into the strip from (byteOffset, topRow) on. A copy
// whose size no longer matches the record gives kErrImageDimension.
[[nodiscard]] Status PlaceCachedPhoto(const AlbumPhotos& album, int photo, PixelBlock& strip, std::size_t byteOffset,
                                      std::int32_t topRow);

// Reads the cache BMP file at `path`: its headers into *info and, with a
// block, its pixels.
[[nodiscard]] Status ReadCacheBitmap(const wchar_t* path, CacheBitmapInfo* info, PixelBlock* block);

}  // namespace quorvel
