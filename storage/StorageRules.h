// Rules about the names the program finds on disk or reads from the
// user-editable settings file: which names may be joined under a folder of
// the program, which default boards are not copied, and which installed
// files and folders a cleanup keeps. Platform-neutral, so they are tested
// natively as well as under Wine.
#pragma once
#include <cstddef>
#include <functional>
#include <span>
#include <string_view>

namespace quorvel {

// True when `name` is one plain path component that Windows accepts as a
// file or folder name. Album folder names and matting file names come from
// a file the user can edit; anything else (empty, ".", "..", separators, a
// drive or stream colon, reserved characters or device names) would let a
// join reach outside the albums root or the boards folder, so such a name
// is treated as missing.
bool IsSafeChildName(std::u16string_view name);

// The default boards folder may hold Explorer's thumbnail cache. A name is
// skipped when it equals "thumbs.db" ignoring case over the length of the
// name, so shortened names such as "THUMBS" are skipped as well.
bool IsThumbnailCacheName(std::u16string_view name);

// The installed state a cleanup returns to; every comparison ignores case.
// Album index 0 or 1 for the default albums; -1 when not a default album.
int DefaultAlbumIndex(std::u16string_view folderName);
bool IsKeptAlbumFolder(std::u16string_view folderName);
bool IsKeptDefaultAlbumPhoto(int albumIndex, std::u16string_view fileName);
bool IsKeptBoard(std::u16string_view fileName);
bool IsKeptUserFolder(std::u16string_view folderName);
bool IsKeptUserFile(std::u16string_view fileName);

// The files the package puts into the machine-wide data folder for each
// user: the settings file and the help batch files. That folder is open to
// every account of the machine, so the first-time copy and Repair copy
// these names and nothing else found there; a start copies again any of
// them the per-user folder lacks, and the cleanup keeps them.
std::span<const std::u16string_view> ShippedUserFiles();

// True when `path` lies below `folder` (Windows paths, letters compared
// without regard to case, either separator); the folder itself is not below
// it. The cleanup deletes only inside the program's own per-user folder: an
// albums or boards folder the user chose elsewhere holds the user's own
// files, and the per-user folder itself holds the settings and help files.
bool IsInsideFolder(std::u16string_view path, std::u16string_view folder);

// True when the cleanup may empty the albums or boards folder `root`: it
// lies below `userFolder`, and neither it nor a folder between the two is a
// link (`isLink` asks the disk), since through a link the cleanup would
// delete whatever the link leads to.
bool IsCleanableRoot(std::u16string_view root, std::u16string_view userFolder,
                     const std::function<bool(std::u16string_view folder)>& isLink);

// The longest album folder name the album slot keeps, and the longest path
// Windows takes without the long-path prefix.
constexpr std::size_t kLongestAlbumFolderName = 129;
constexpr std::size_t kLongestPath = 259;

// `folder` without its trailing separators, so that a folder at the top of a
// drive ("D:\") compares like any other ("D:").
std::u16string_view WithoutTrailingSeparators(std::u16string_view folder);

// The last component of `path`, trailing separators left out.
std::u16string_view LastComponent(std::u16string_view path);

// True when `path` names a folder directly below `root`: what stands before
// its last separator is `root` (letters compared without regard to case),
// and its own name is not empty.
bool IsOneLevelBelow(std::u16string_view path, std::u16string_view root);

// True when an album folder `name` under `root` leaves its bitmap cache
// folder ("<root>\<name>\BMP") within kLongestPath.
bool AlbumPathFits(std::u16string_view root, std::u16string_view name);

// Whether `path` can become an album folder under `root`.
enum class AlbumFolderVerdict { Usable, NotOneLevelBelow, NameTooLong, PathTooLong };
AlbumFolderVerdict CheckAlbumFolder(std::u16string_view path, std::u16string_view root);

}  // namespace quorvel
