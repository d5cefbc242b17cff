#include "imaging/Decode_win.h"

#include <windows.h>
// GDI+ needs the COM property types that a lean windows.h leaves out.
#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <cwchar>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "base/ErrorReporter_win.h"
#include "base/FolderListing_win.h"
#include "base/Guards_win.h"
#include "storage/PhotoOrder.h"
#include "storage/Settings_win.h"
#include "storage/Storage_win.h"
#include "base/Utilities_win.h"
#include "imaging/BitmapCache.h"
#include "imaging/ImageOps.h"
#include "imaging/PhotoHeader.h"
#include "imaging/PhotoProperties_win.h"

namespace quorvel {

namespace {

const wchar_t kModule[] = L"DecodeImage";
const wchar_t kCacheModule[] = L"utilities";
constexpr std::int16_t kStitchModeMismatch = 2;

int SmallestSide() { return gMode.role == Role::kPreview ? kSmallestPreviewPhotoSide : kSmallestPhotoSide; }

class HandleByteSource : public ByteSource {
public:
    explicit HandleByteSource(HANDLE file) : file_(file) {
        LARGE_INTEGER size;
        if (GetFileSizeEx(file, &size) && size.QuadPart > 0) size_ = static_cast<std::uint64_t>(size.QuadPart);
    }
    std::uint64_t Size() const override { return size_; }
    bool ReadAt(std::uint64_t offset, void* out, std::size_t bytes) override {
        if (offset > size_ || bytes > size_ - offset) return false;
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(offset);
        if (!SetFilePointerEx(file_, at, nullptr, FILE_BEGIN)) return false;
        auto* to = static_cast<std::uint8_t*>(out);
        while (bytes > 0) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes, 1u << 30));
            DWORD read = 0;
            if (!ReadFile(file_, to, chunk, &read, nullptr) || read != chunk) return false;
            to += read;
            bytes -= read;
        }
        return true;
    }

private:
    HANDLE file_;
    std::uint64_t size_ = 0;
};

// A file read through its handle and, where it can be mapped, seen whole in
// memory: the reader then copies its rows straight from the mapping.
// Opened with read sharing only, the file cannot be cut short under the
// mapping. An empty file, or one that cannot be mapped, is only read.
class MappedFileSource : public HandleByteSource {
public:
    explicit MappedFileSource(HANDLE file) : HandleByteSource(file) {
        if (Size() == 0) return;
        mapping_.reset(CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr));
        if (mapping_) view_ = static_cast<const std::uint8_t*>(MapViewOfFile(mapping_.get(), FILE_MAP_READ, 0, 0, 0));
    }
    ~MappedFileSource() override {
        if (view_ != nullptr) UnmapViewOfFile(view_);
    }
    MappedFileSource(const MappedFileSource&) = delete;
    MappedFileSource& operator=(const MappedFileSource&) = delete;
    const std::uint8_t* Bytes() const override { return view_; }

private:
    KernelHandle mapping_;
    const std::uint8_t* view_ = nullptr;
};

class HandleByteSink : public ByteSink {
public:
    explicit HandleByteSink(HANDLE file) : file_(file) {}
    bool Write(const void* data, std::size_t bytes) override {
        DWORD written = 0;
        return bytes <= 0xFFFFFFFFu && WriteFile(file_, data, static_cast<DWORD>(bytes), &written, nullptr) &&
               written == bytes;
    }

private:
    HANDLE file_;
};

Status CopyLockedRows(Gdiplus::Bitmap& bitmap, int width, int height, PixelBlock* out, const wchar_t* path) {
    const std::uint64_t bytes = std::uint64_t(width) * 3 * std::uint64_t(height);
    if (bytes > 0x7FFFFFFFu) return Fail(QV_SITE(kModule), kErrMemory, path);
    PixelBlock block;
    try {
        block = PixelBlock::Make(width, height);
    } catch (const std::bad_alloc&) {
        SetErrorLocation(QV_SITE(kModule), path);
        return kErrMemory;
    }
    // GDI+ converts the rows straight into the block: its packed rows are
    // whole 32-bit words, as the width is a multiple of 4.
    Gdiplus::Rect rect(0, 0, width, height);
    Gdiplus::BitmapData data = {};
    data.Width = static_cast<UINT>(width);
    data.Height = static_cast<UINT>(height);
    data.Stride = block.rowBytes;
    data.PixelFormat = PixelFormat24bppRGB;
    data.Scan0 = block.pixels.data();
    if (bitmap.LockBits(&rect, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf, PixelFormat24bppRGB,
                        &data) != Gdiplus::Ok)
        return Fail(QV_SITE(kModule), kErrGdiplus, path);
    bitmap.UnlockBits(&data);
    *out = std::move(block);
    return kOk;
}

Status EnsureFolder(const wchar_t* path) {
    if (PathExists(path)) return kOk;
    if (CreateDirectoryW(path, nullptr)) return kOk;
    SaveWindowsError();
    SetErrorLocation(QV_SITE(kModule), path);
    return kErrCreateFolder;
}

// The time a file was last written; the directory entry's time stands in
// when the file's own cannot be read.
FILETIME LastWriteTime(const wchar_t* path, const FILETIME& listed) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    return GetFileAttributesExW(path, GetFileExInfoStandard, &data) ? data.ftLastWriteTime : listed;
}

// A cache copy carries the time of the photo it was made from, which is how
// the next start knows it still stands for the photo. A copy left with
// another time is only made once more.
void StampPhotoTime(const wchar_t* cachePath, const FILETIME& photoTime) {
    FileHandle file(CreateFileW(cachePath, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) SetFileTime(file.get(), nullptr, nullptr, &photoTime);
}

// The size a photo file's header states; unknown when the file cannot be
// read.
PhotoHeaderSize PhotoHead(const wchar_t* path) {
    FileHandle file(
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {};
    HandleByteSource source(file.get());
    return SizeFromPhotoHeader(source);
}

// A copy (a cache copy, a board's thumbnail) stands for the file it was made
// from while it carries that file's last-write time.
bool CarriesTimeOf(const wchar_t* copyPath, const FILETIME& sourceTime) {
    WIN32_FILE_ATTRIBUTE_DATA copy;
    return GetFileAttributesExW(copyPath, GetFileExInfoStandard, &copy) &&
           CompareFileTime(&copy.ftLastWriteTime, &sourceTime) == 0;
}

enum class CacheState { kMissing, kUsed, kRefused, kBroken, kStale };

// Takes the photo's pixels from its cache copy when the copy is sound and
// was made from the photo as it is now; the photo file then only gives its
// properties. Being newer than the photo is no proof: a photo replaced by a
// copied file keeps that file's older time.
Status TakeFromCache(const wchar_t* cachePath, const FILETIME& photoTime, PhotoPixels pixels, PhotoRecord* record,
                     CacheState* state) {
    *state = CacheState::kMissing;
    Status exists = kOk;
    if (!FileExists(cachePath, &exists)) {
        if (exists == kOk) return kOk;
        SetErrorLocation(QV_SITE(kModule), cachePath);
        return exists;
    }
    if (!CarriesTimeOf(cachePath, photoTime)) {
        *state = CacheState::kStale;
        return kOk;
    }
    // Sizes only: the headers are checked against the file's length, so a
    // copy cut short is still found broken.
    CacheBitmapInfo info;
    const Status read = ReadCacheBitmap(cachePath, &info, pixels == PhotoPixels::kHold ? &record->block : nullptr);
    if (read == kOk && pixels == PhotoPixels::kSizesOnly) {
        record->block.width = info.width;
        record->block.height = info.height < 0 ? -info.height : info.height;
        record->block.rowBytes = info.width * 3;
    }
    // The reader's refusal is not this photo's failure: it is decoded instead.
    gErrorLocation = {};
    if (read != kOk) {
        *state = CacheFileBroken(read) ? CacheState::kBroken : CacheState::kRefused;
        return kOk;
    }
    *state = CacheState::kUsed;
    return kOk;
}

Status MakeCacheCopy(int type, const wchar_t* photoPath, const wchar_t* cachePath, const PhotoRecord& record) {
    // BMP photos are copied as they are, so the cache holds the very file.
    if (type != 3) return WriteCacheBitmap(record, cachePath);
    if (CopyFileW(photoPath, cachePath, FALSE)) return kOk;
    SaveWindowsError();
    SetErrorLocation(QV_SITE(kModule), photoPath);
    return kErrCopyFile;
}

// A board's thumbnail is kept in the "BMP" folder of the boards as a BMP
// named after the board ("01.jpg" keeps "01.jpg.bmp") and stamped with the
// board's time, as an album's cache copy is: a start then reads 30 KB
// instead of decoding the board with GDI+. Only the full-size thumbnail is
// kept; the preview's small one is made each time.
struct KeptThumbnail {
    wchar_t folder[kPathChars];
    wchar_t path[kPathChars];
};

bool KeptThumbnailPath(const wchar_t* boardsFolder, const wchar_t* board, KeptThumbnail* kept) {
    if (gMode.role == Role::kPreview) return false;
    const std::wstring name = std::wstring(board) + L".bmp";
    return CacheFolderOf(boardsFolder, kept->folder) && JoinPath(kept->folder, name.c_str(), kept->path);
}

// The kept thumbnail when it was made from the board as it is now; anything
// else (missing, another time or size, unreadable) is no thumbnail.
bool TakeKeptThumbnail(const wchar_t* path, const FILETIME& boardTime, int side, PixelBlock* thumbnail) {
    if (!CarriesTimeOf(path, boardTime)) return false;
    FileHandle file(
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    HandleByteSource source(file.get());
    CacheBitmapInfo info;
    PixelBlock block;
    if (ReadCacheBitmap(source, &info, &block) != kOk || block.width != side || block.height != side) return false;
    *thumbnail = std::move(block);
    return true;
}

// The thumbnail only saves time: a folder or file that cannot be written
// leaves the board to be decoded again next time, with no message.
void KeepThumbnail(const KeptThumbnail& kept, const FILETIME& boardTime, const PhotoRecord& thumbnail) {
    if (EnsureFolder(kept.folder) == kOk && WriteCacheBitmap(thumbnail, kept.path) == kOk)
        StampPhotoTime(kept.path, boardTime);
    gErrorLocation = {};
}

struct AlbumFolders {
    wchar_t album[kPathChars];
    wchar_t cache[kPathChars];
    wchar_t search[kPathChars];
    wchar_t uprightMark[kPathChars];
    bool madeUpright;  // the cache copies were turned by their EXIF orientation
};

Status AlbumFoldersOf(const AlbumPhotos& slot, AlbumFolders* folders) {
    wchar_t root[kPathChars];
    AlbumsFolder(root);
    const std::u16string pattern = PhotoTypePattern(slot.photoType);
    if (pattern.empty() || !JoinPath(root, slot.folderName, folders->album) ||
        !CacheFolderOf(folders->album, folders->cache) ||
        !JoinPath(folders->album, AsWide(pattern.c_str()), folders->search) ||
        !JoinPath(folders->cache, AsWide(kUprightCopiesMark), folders->uprightMark)) {
        SetErrorLocation(QV_SITE(kModule), slot.folderName);
        return kErrInvalidArgument;
    }
    folders->madeUpright = PathExists(folders->uprightMark);
    return kOk;
}

// Marks the cache folder while its copies are turned upright, so that a
// change of the setting makes the copies of tagged photos again. A mark that
// cannot be written or removed only has those copies made again next time.
void MarkCopies(const AlbumFolders& folders, bool upright) {
    if (upright == folders.madeUpright) return;
    if (!upright) {
        DeleteFileW(folders.uprightMark);
        return;
    }
    FileHandle mark(
        CreateFileW(folders.uprightMark, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Where a photo named `name` of the album folder `album` lies and where its
// cache copy goes: a start cannot take a photo when either runs past the
// path limit.
Status PlacePhoto(const wchar_t* album, const wchar_t* cacheFolder, const wchar_t* name, int type,
                  wchar_t (&photoPath)[kPathChars], wchar_t (&cachePath)[kPathChars]) {
    const std::u16string cacheName = CacheFileName(AsU16(name), type);
    if (!JoinPath(album, name, photoPath) || !JoinPath(cacheFolder, AsWide(cacheName.c_str()), cachePath))
        return Fail(QV_SITE(kModule), kErrInvalidArgument, name);
    return kOk;
}

Status CheckSides(const PixelBlock& pixels, const wchar_t* path) {
    if (std::min(pixels.width, pixels.height) < SmallestSide()) return Fail(QV_SITE(kModule), kErrPhotoTooSmall, path);
    return kOk;
}

// The photos left out this run: each is logged once, however often its
// album is decoded again, and told to the user once.
struct RefusedThisRun {
    std::vector<std::wstring> logged;  // full paths
    std::vector<RefusedPhoto> untold;
};

RefusedThisRun& Refused() {
    static RefusedThisRun refused;
    return refused;
}

// One error-log row for a photo left out, from the location its refusal
// recorded (the photo's path or name); the run goes on without a box.
void NoteRefusedPhoto(const AlbumPhotos& slot, const AlbumFolders& folders, const wchar_t* name, Status reason) {
    RefusedThisRun& refused = Refused();
    wchar_t path[kPathChars], shown[kPathChars];
    if (!JoinPath(folders.album, name, path) || !JoinPath(slot.folderName, name, shown)) {
        gErrorLocation = {};
        return;
    }
    if (std::find(refused.logged.begin(), refused.logged.end(), path) != refused.logged.end()) {
        gErrorLocation = {};
        return;
    }
    LogFailure(reason);
    refused.logged.push_back(path);
    refused.untold.push_back({shown, reason});
}

// Decodes photo k of the album. *refused tells that a failure is the
// photo's own (start-up's rule refuses it), so the album can go on without
// it; any other failure is the folder's or the disk's.
Status DecodeOne(AlbumPhotos& slot, const AlbumFolders& folders, const WIN32_FIND_DATAW& found, int k, PhotoItems items,
                 PhotoPixels wanted, bool* firstPortrait, bool* refused) {
    *refused = false;
    const auto refuse = [refused](Status s) {
        *refused = true;
        return s;
    };
    PhotoRecord& record = slot.photos[k];
    record = PhotoRecord{};
    wchar_t photoPath[kPathChars], cachePath[kPathChars];
    if (Status s = PlacePhoto(folders.album, folders.cache, found.cFileName, slot.photoType, photoPath, cachePath);
        s != kOk)
        return refuse(s);
    const std::u16string cacheName = CacheFileName(AsU16(found.cFileName), slot.photoType);
    record.fileName = AsU16(found.cFileName);

    if (Status s = EnsureFolder(folders.cache); s != kOk) return s;
    const FILETIME photoTime = LastWriteTime(photoPath, found.ftLastWriteTime);
    CacheState cache = CacheState::kMissing;
    const bool upright = gUserSettings->turnPhotosUpright != 0;
    // Under a changed setting each photo's orientation tells whether its
    // copy must be made again, so its EXIF items are read whatever was asked.
    if (upright != folders.madeUpright) items = PhotoItems::kRead;
    if (Status s = TakeFromCache(cachePath, photoTime, wanted, &record, &cache); s != kOk) return s;
    if (cache == CacheState::kUsed && items == PhotoItems::kRead)
        if (Status s = ReadPhotoFileProperties(photoPath, record); s != kOk) return refuse(s);
    // A copy made under the other setting is made again only for a photo the
    // setting turns; the others look the same either way and keep any change
    // the Photos tools made.
    if (cache == CacheState::kUsed && upright != folders.madeUpright &&
        !UprightSteps(PhotoOrientation(record.properties)).empty())
        cache = CacheState::kStale;
    if (cache != CacheState::kUsed) {
        if (Status s = DecodePhoto(photoPath, items == PhotoItems::kRead || upright, &record); s != kOk)
            return refuse(s);
        if (upright)
            if (Status s = TurnUpright(record.block, PhotoOrientation(record.properties)); s != kOk)
                return refuse(Fail(QV_SITE(kModule), s, photoPath));
    }

    const PixelBlock& pixels = record.block;
    if (Status s = CheckSides(pixels, photoPath); s != kOk) return refuse(s);
    record.fileName = cacheName;
    // A cache copy of the photo as it is now is left as it is (the Photos
    // tools keep it), unless it is broken.
    const bool copyMade = cache == CacheState::kMissing || cache == CacheState::kBroken || cache == CacheState::kStale;
    if (copyMade) {
        if (Status s = MakeCacheCopy(slot.photoType, photoPath, cachePath, record); s != kOk) return s;
        StampPhotoTime(cachePath, photoTime);
    }
    // Sizes only: the join reads the pixels again, from a copy the reader
    // took or this program wrote (a copied BMP may be one it refuses).
    if (wanted == PhotoPixels::kSizesOnly && (cache == CacheState::kUsed || (copyMade && slot.photoType != 3)))
        record.block.DropPixels();

    record.fileTime = LocalFileTime(found.ftLastWriteTime);
    record.fileSize = (std::int64_t(found.nFileSizeHigh) << 32) | found.nFileSizeLow;

    if (k == 0) {
        *firstPortrait = pixels.width < pixels.height;
        return kOk;
    }
    const PixelBlock& first = slot.photos[0].block;
    if (pixels.height != first.height) {
        record.heightDiffers = 1;
        slot.sizeMismatch = 1;
    }
    if (pixels.width != first.width) {
        record.widthDiffers = 1;
        slot.sizeMismatch = 1;
    }
    if (pixels.width < pixels.height && !*firstPortrait) {
        record.portraitAmongLandscape = 1;
        slot.orientationMismatch = 1;
    }
    return kOk;
}

}  // namespace

Status DecodePhoto(const wchar_t* path, bool readProperties, PhotoRecord* record) {
    if (path == nullptr || record == nullptr) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    if (PhotoSizeRefused(PhotoHead(path))) return Fail(QV_SITE(kModule), kErrImageDimension, path);
    Gdiplus::Bitmap bitmap(path, FALSE);
    const UINT width = bitmap.GetWidth(), height = bitmap.GetHeight();
    // Rows are kept without padding, so the width is cut to a multiple of 4
    // (at most 3 columns go at the right).
    const UINT cutWidth = width & ~3u;
    if (bitmap.GetLastStatus() != Gdiplus::Ok || cutWidth == 0 || height == 0 || width > 0x7FFFFFFFu ||
        height > 0x7FFFFFFFu) {
        SetErrorLocation(QV_SITE(kModule), path);
        return kErrImageDimension;
    }
    if (Status s = CopyLockedRows(bitmap, int(cutWidth), int(height), &record->block, path); s != kOk) return s;
    if (readProperties) return ReadPhotoProperties(bitmap, *record, path);
    return kOk;
}

Status CheckAlbumPhoto(const wchar_t* source, const wchar_t* album, const wchar_t* name, int type) {
    if (source == nullptr || album == nullptr || name == nullptr) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    wchar_t cacheFolder[kPathChars], photoPath[kPathChars], cachePath[kPathChars];
    if (!CacheFolderOf(album, cacheFolder)) return Fail(QV_SITE(kModule), kErrInvalidArgument, name);
    if (Status s = PlacePhoto(album, cacheFolder, name, type, photoPath, cachePath); s != kOk) return s;
    PhotoRecord photo;
    if (Status s = DecodePhoto(source, false, &photo); s != kOk) return s;
    return CheckSides(photo.block, source);
}

std::vector<RefusedPhoto> TakeUntoldRefusedPhotos() { return std::exchange(Refused().untold, {}); }

Status DecodeAlbum(AlbumPhotos& slot, std::u16string_view storedOrder, PhotoItems items, PhotoPixels pixels) {
    if (gUserSettings == nullptr || gAppState == nullptr || slot.photoCount <= 0) {
        SetErrorLocation(QV_SITE(kModule));
        return kErrInvalidArgument;
    }
    slot.orientationMismatch = 0;
    slot.sizeMismatch = 0;
    AlbumFolders folders;
    if (Status s = AlbumFoldersOf(slot, &folders); s != kOk) return s;

    std::vector<WIN32_FIND_DATAW> files;
    std::vector<std::u16string> cacheNames;
    const bool listed = ForEachFile(folders.search, [&](const WIN32_FIND_DATAW& found) {
        if (!NameHasPhotoType(AsU16(found.cFileName), slot.photoType)) return true;
        files.push_back(found);
        cacheNames.push_back(CacheFileName(AsU16(found.cFileName), slot.photoType));
        return static_cast<int>(files.size()) < kMaxPhotos;
    });
    if (!listed) {
        SaveWindowsError();
        return Fail(QV_SITE(kModule), kErrFindFirstFile, folders.search);
    }

    // The order the user gave the photos in the Photos panel, so the strip
    // joins them that way; the folder's order otherwise.
    int k = 0;
    bool firstPortrait = false;
    for (int index : StoredPhotoOrder(cacheNames, storedOrder)) {
        bool refused = false;
        const Status s = DecodeOne(slot, folders, files[index], k, items, pixels, &firstPortrait, &refused);
        if (refused) {
            NoteRefusedPhoto(slot, folders, files[index].cFileName, s);
            slot.photos[k] = PhotoRecord{};
            continue;
        }
        if (s != kOk) return s;
        ++k;
    }

    // The folder may have changed since its photos were counted; the count
    // follows the records actually filled.
    for (int i = k; i < kMaxPhotos; ++i) slot.photos[i] = PhotoRecord{};
    slot.photoCount = k;
    if (k == 0) return Fail(QV_SITE(kModule), kErrMissingPhotos, folders.album);
    MarkCopies(folders, gUserSettings->turnPhotosUpright != 0);
    if (slot.orientationMismatch || slot.sizeMismatch) slot.stitchMode = kStitchModeMismatch;
    return kOk;
}

Status LoadMattingTile(int album, PixelBlock& thumbnail) {
    if (gUserSettings == nullptr || album < 0 || album >= kAlbumCount)
        return Fail(QV_SITE(kModule), kErrInvalidArgument);
    const wchar_t* board = gUserSettings->mattingFile[album];
    wchar_t folder[kPathChars], path[kPathChars];
    MattingsFolder(folder);
    if (!JoinPath(folder, board, path)) return Fail(QV_SITE(kModule), kErrInvalidArgument, board);
    Status exists = kOk;
    if (!FileExists(path, &exists)) {
        if (exists != kOk) {
            SetErrorLocation(QV_SITE(kModule), path);
            return exists;
        }
        // The chosen board has gone: the default boards come back and the
        // first two become the albums' boards.
        if (Status s = CopyDefaultMattings(); s != kOk) return s;
        if (!JoinPath(folder, board, path)) return Fail(QV_SITE(kModule), kErrInvalidArgument, board);
    }
    // The thumbnail is as big as the smallest board allowed.
    const int side = SmallestSide();
    KeptThumbnail kept;
    const bool keeps = KeptThumbnailPath(folder, board, &kept);
    const FILETIME boardTime = LastWriteTime(path, FILETIME{});
    if (keeps && TakeKeptThumbnail(kept.path, boardTime, side, &thumbnail)) return kOk;

    PhotoRecord photo;
    if (Status s = DecodePhoto(path, false, &photo); s != kOk) return s;
    if (std::min(photo.block.width, photo.block.height) < SmallestSide())
        return Fail(QV_SITE(kModule), kErrMattingTooSmall, path);

    Gdiplus::Bitmap source(photo.block.width, photo.block.height, photo.block.rowBytes, PixelFormat24bppRGB,
                           photo.block.pixels.data());
    Gdiplus::Bitmap canvas(side, side, PixelFormat24bppRGB);
    if (source.GetLastStatus() != Gdiplus::Ok || canvas.GetLastStatus() != Gdiplus::Ok)
        return Fail(QV_SITE(kModule), kErrGdiplus, path);
    {
        Gdiplus::Graphics graphics(&canvas);
        // Mirrored edges keep the outermost tile pixels from fading into
        // the empty canvas as they are stretched.
        Gdiplus::ImageAttributes attributes;
        attributes.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
        const Gdiplus::Status drawn =
            graphics.DrawImage(&source, Gdiplus::Rect(0, 0, side, side), 0, 0, photo.block.width, photo.block.height,
                               Gdiplus::UnitPixel, &attributes);
        if (graphics.GetLastStatus() != Gdiplus::Ok || drawn != Gdiplus::Ok)
            return Fail(QV_SITE(kModule), kErrGdiplus, path);
    }
    PhotoRecord made;
    if (Status s = CopyLockedRows(canvas, side, side, &made.block, path); s != kOk) return s;
    if (keeps) KeepThumbnail(kept, boardTime, made);
    thumbnail = std::move(made.block);
    return kOk;
}

Status CacheBitmapPath(const AlbumPhotos& slot, int photo, wchar_t (&path)[kPathChars]) {
    if (photo < 0 || photo >= slot.photoCount || photo >= kMaxPhotos) {
        SetErrorLocation(QV_SITE(kCacheModule));
        return kErrInvalidArgument;
    }
    wchar_t root[kPathChars], folder[kPathChars], cache[kPathChars];
    AlbumsFolder(root);
    if (!JoinPath(root, slot.folderName, folder) || !CacheFolderOf(folder, cache) ||
        !JoinPath(cache, AsWide(slot.photos[photo].fileName.c_str()), path))
        return Fail(QV_SITE(kCacheModule), kErrInvalidArgument, slot.folderName);
    return kOk;
}

Status PlaceCachedPhoto(const AlbumPhotos& album, int photo, PixelBlock& strip, std::size_t byteOffset,
                        std::int32_t topRow) {
    wchar_t path[kPathChars];
    if (Status s = CacheBitmapPath(album, photo, path); s != kOk) return s;
    FileHandle file(
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        SaveWindowsError();
        return Fail(QV_SITE(kCacheModule), kErrOpenFile, path);
    }
    MappedFileSource source(file.get());
    CacheBitmapInfo info;
    Status s = ReadCacheBitmap(source, &info, nullptr);
    const PixelBlock& sized = album.photos[photo].block;
    // The copy changed since its sizes were read (another program, a Photos
    // tool of a second Quorvel): its place in the strip no longer fits it.
    if (s == kOk && (info.width != sized.width || std::abs(info.height) != sized.height)) s = kErrImageDimension;
    if (s == kOk) s = ReadCacheRowsInto(source, info, strip, byteOffset, topRow);
    if (s != kOk) return Fail(QV_SITE(kCacheModule), s, path);
    return kOk;
}

Status WriteCacheBitmap(const PhotoRecord& record, const wchar_t* path) {
    if (path == nullptr || !HasBmpExtension(AsU16(path)) || record.block.pixels.empty() || record.block.height == 0 ||
        record.block.rowBytes <= 0)
        return kOk;
    // A copy rewritten by the Photos tools (turned or halved) still stands
    // for the photo it was made from, so it keeps that photo's time.
    WIN32_FILE_ATTRIBUTE_DATA replaced;
    const bool replacing = GetFileAttributesExW(path, GetFileExInfoStandard, &replaced) != FALSE;
    // Another program (a virus scanner, an indexer, a viewer) may hold the
    // copy open for a moment; the rewrite waits up to a second for it rather
    // than stop a Photos tool halfway through an album.
    HANDLE handle = INVALID_HANDLE_VALUE;
    for (int attempt = 0;; ++attempt) {
        handle = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION || attempt == 20) break;
        Sleep(50);
    }
    if (handle == INVALID_HANDLE_VALUE) {
        SaveWindowsError();
        SetErrorLocation(QV_SITE(kCacheModule), path);
        return kErrCreateFile;
    }
    HandleByteSink sink(handle);
    Status status = WriteCacheFile(record.block, sink);
    if (status == kErrDiskWrite) SaveWindowsError();
    if (status == kOk && replacing) SetFileTime(handle, nullptr, nullptr, &replaced.ftLastWriteTime);
    if (!CloseHandle(handle) && status == kOk) {
        SaveWindowsError();
        status = kErrDiskWrite;
    }
    if (status != kOk) {
        // A cut-short cache file would only be found broken later.
        DeleteFileW(path);
        SetErrorLocation(QV_SITE(kCacheModule), path);
    }
    return status;
}

Status ReadCacheBitmap(const wchar_t* path, CacheBitmapInfo* info, PixelBlock* block) {
    FileHandle file(CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        SaveWindowsError();
        SetErrorLocation(QV_SITE(kCacheModule), path);
        return kErrOpenFile;
    }
    HandleByteSource source(file.get());
    const Status s = ReadCacheBitmap(source, info, block);
    if (s != kOk) SetErrorLocation(QV_SITE(kCacheModule), path);
    return s;
}

}  // namespace quorvel
