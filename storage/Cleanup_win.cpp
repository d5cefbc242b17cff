#include "storage/Cleanup_win.h"

#include <cwchar>
#include <iterator>
#include <string>

#include "base/ErrorReporter_win.h"
#include "storage/Settings_win.h"
#include "storage/StorageRules.h"
#include "storage/Storage_win.h"
#include "base/Text.h"
#include "base/FolderListing_win.h"
#include "base/Guards_win.h"
#include "base/PhotoTypes.h"
#include "base/Utilities_win.h"
#include "res/resource.h"

namespace quorvel {

namespace {

const wchar_t kModule[] = L"FileCleaner";
// Locations the error log has always named.
constexpr ErrorSite kCacheListingSite{kModule, 46};
constexpr ErrorSite kAlbumsListingSite{kModule, 155};
constexpr ErrorSite kMattingsListingSite{kModule, 393};
constexpr ErrorSite kUserFolderListingSite{kModule, 547};
constexpr ErrorSite kResetSettingsSite{kModule, 690};
constexpr ErrorSite kCleanupStartSite{kModule, 814};

bool IsFolder(const WIN32_FIND_DATAW& found) { return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

// Folders whose name begins with "." (the listing's own entries among them)
// are never touched. A folder that is a link to somewhere else is not
// walked either: deleting through it would delete outside the program's
// folders.
bool Untouchable(const WIN32_FIND_DATAW& found) {
    return IsFolder(found) && (found.cFileName[0] == L'.' || (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT));
}

// What is not there (any more) has not failed to go: a default folder the
// user never had, or a file something else deleted first.
bool Gone(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// True when `path` is a link (a reparse point) to somewhere else.
bool IsLinkOnDisk(const wchar_t* path) {
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Calls `visit` for each entry of `folder` matching `pattern`; false when
// the folder is there but cannot be listed. A folder that is itself a link,
// whether a root, a default album or a cache folder, is not listed: what it
// leads to is not the program's.
template <typename Visit>
bool ForEachEntry(const wchar_t* folder, const wchar_t* pattern, Visit visit) {
    wchar_t search[kPathChars];
    if (folder[0] == L'\0' || !JoinPath(folder, pattern, search)) return false;
    if (IsLinkOnDisk(folder)) return true;
    const bool listed = ForEachFound(search, [&](const WIN32_FIND_DATAW& found) {
        wchar_t path[kPathChars];
        if (!Untouchable(found) && JoinPath(folder, found.cFileName, path)) visit(found, path);
        return true;
    });
    return listed || Gone(GetLastError());
}

bool IsLink(std::u16string_view folder) { return IsLinkOnDisk(AsWide(std::u16string(folder).c_str())); }

// Keeps `path` when it may be cleaned, else takes the program's default
// folder `name`; empty when that may not be cleaned either. False when the
// default folder's path does not fit.
bool ChooseCleanableRoot(wchar_t (&path)[kPathChars], const wchar_t* name) {
    const char16_t* user = AsU16(gAppState->userFolder);
    if (IsCleanableRoot(AsU16(path), user, IsLink)) return true;
    if (!JoinPath(gAppState->userFolder, name, path)) return false;
    if (!IsCleanableRoot(AsU16(path), user, IsLink)) path[0] = L'\0';
    return true;
}

class Cleaner {
public:
    int failures = 0;

    void DeleteOne(const wchar_t* path) {
        if (!DeleteFileW(path) && !Gone(GetLastError())) ++failures;
    }
    // A folder that is a link stays, as the user made it.
    void RemoveOne(const wchar_t* path) {
        if (IsLinkOnDisk(path)) return;
        if (!RemoveDirectoryW(path) && !Gone(GetLastError())) ++failures;
    }

    // Deletes the files of `folder` and removes its sub-folders, one level
    // deep: a sub-folder that still holds files stays and counts.
    void EmptyFolder(const wchar_t* folder) {
        const bool listed = ForEachEntry(folder, L"*", [this](const WIN32_FIND_DATAW& found, const wchar_t* path) {
            if (IsFolder(found))
                RemoveOne(path);
            else
                DeleteOne(path);
        });
        if (!listed) ++failures;
    }
    void EmptyAndRemove(const wchar_t* folder) {
        EmptyFolder(folder);
        RemoveOne(folder);
    }

    void DeleteBitmapCaches(const wchar_t* albumsPath) {
        const bool listed = ForEachEntry(albumsPath, L"*", [this](const WIN32_FIND_DATAW& found, const wchar_t* album) {
            if (!IsFolder(found)) return;
            wchar_t cache[kPathChars];
            if (!CacheFolderOf(album, cache) || IsLinkOnDisk(cache)) return;
            ForEachEntry(cache, L"*.BMP", [this](const WIN32_FIND_DATAW& bitmap, const wchar_t* path) {
                if (!IsFolder(bitmap)) DeleteOne(path);
            });
            wchar_t mark[kPathChars];
            if (JoinPath(cache, AsWide(kUprightCopiesMark), mark)) DeleteOne(mark);
            if (PathExists(cache)) RemoveOne(cache);
        });
        if (!listed) SetErrorLocation(kCacheListingSite, albumsPath);
    }

    void DeleteImportedAlbums(const wchar_t* albumsPath) {
        const bool listed = ForEachEntry(albumsPath, L"*", [this](const WIN32_FIND_DATAW& found, const wchar_t* album) {
            if (IsFolder(found) && !IsKeptAlbumFolder(AsU16(found.cFileName))) EmptyAndRemove(album);
        });
        if (!listed) {
            ++failures;
            SetErrorLocation(kAlbumsListingSite, albumsPath);
        }
    }

    void ExamineDefaultAlbums(const wchar_t* albumsPath) {
        static const wchar_t* const kNames[] = {L"DefaultAlbum1", L"DefaultAlbum2"};
        for (int album = 0; album < 2; ++album) {
            wchar_t folder[kPathChars];
            // A default album that is gone has nothing to examine; start-up
            // creates it again.
            if (!JoinPath(albumsPath, kNames[album], folder) || !PathExists(folder)) continue;
            const bool listed =
                ForEachEntry(folder, L"*", [this, album](const WIN32_FIND_DATAW& found, const wchar_t* path) {
                    if (IsFolder(found))
                        RemoveOne(path);
                    else if (!IsKeptDefaultAlbumPhoto(album, AsU16(found.cFileName)))
                        DeleteOne(path);
                });
            if (!listed) ++failures;
        }
    }

    void DeleteImportedBoards(const wchar_t* mattingsPath) {
        const bool listed =
            ForEachEntry(mattingsPath, L"*", [this](const WIN32_FIND_DATAW& found, const wchar_t* path) {
                if (IsFolder(found))
                    EmptyAndRemove(path);
                else if (!IsKeptBoard(AsU16(found.cFileName)))
                    DeleteOne(path);
            });
        if (!listed) {
            ++failures;
            SetErrorLocation(kMattingsListingSite, mattingsPath);
        }
    }

    void ExamineUserFolder(const wchar_t* userFolder) {
        const bool listed = ForEachEntry(userFolder, L"*", [this](const WIN32_FIND_DATAW& found, const wchar_t* path) {
            if (IsFolder(found)) {
                if (!IsKeptUserFolder(AsU16(found.cFileName))) EmptyAndRemove(path);
            } else if (!IsKeptUserFile(AsU16(found.cFileName))) {
                DeleteOne(path);
            }
        });
        if (!listed) {
            ++failures;
            SetErrorLocation(kUserFolderListingSite, userFolder);
        }
    }
};

// One default setting: a text from the string table, a literal text, or a
// number, for key `keyId` numbered by album or monitor (0: as named).
struct DefaultSetting {
    unsigned keyId;
    int number;
    unsigned textId;
    const wchar_t* text;
    std::int32_t value;
};

// In the order they are written back; the first write decides whether the
// settings file can be written at all.
const DefaultSetting kDefaults[] = {
    {IDS_KEY_USER_SAYING, 1, IDS_DEFAULT_PHRASE1, nullptr, 0},
    {IDS_KEY_USER_SAYING, 2, IDS_DEFAULT_PHRASE2, nullptr, 0},
    {IDS_KEY_SAVER_SAYING, 0, IDS_DEFAULT_SAVER_PHRASE, nullptr, 0},
    {IDS_KEY_ALBUM_FOLDER, 1, 0, L"DefaultAlbum1", 0},
    {IDS_KEY_ALBUM_FOLDER, 2, 0, L"DefaultAlbum2", 0},
    {IDS_KEY_FONT_COLOR, 1, 0, nullptr, 0xFF0000},
    {IDS_KEY_FONT_COLOR, 2, 0, nullptr, 0x00FF00},
    {IDS_KEY_FONT_NAME, 0, 0, L"Arial", 0},
    {IDS_KEY_FONT_BOLD, 0, 0, nullptr, 0},
    {IDS_KEY_FONT_ITALIC, 0, 0, nullptr, 0},
    {IDS_KEY_FONT_SIZE, 0, 0, nullptr, 72},
    {IDS_KEY_MONITOR, 1, 0, nullptr, 0},
    {IDS_KEY_MONITOR, 2, 0, nullptr, 0},
    {IDS_KEY_MONITOR, 3, 0, nullptr, 0},
    {IDS_KEY_MONITOR, 4, 0, nullptr, 0},
    {IDS_KEY_MONITOR, 5, 0, nullptr, 0},
    {IDS_KEY_MONITOR, 6, 0, nullptr, 0},
    {IDS_KEY_ENGLISH, 0, 0, nullptr, 1},
    {IDS_KEY_SPANISH, 0, 0, nullptr, 0},
    {IDS_KEY_EFFECTS, 1, 0, nullptr, 0},
    {IDS_KEY_EFFECTS, 2, 0, nullptr, 0},
    {IDS_KEY_STITCH_MODE, 1, 0, nullptr, 1},
    {IDS_KEY_STITCH_MODE, 2, 0, nullptr, 1},
    {IDS_KEY_ALBUMS_PATH, 0, 0, L"", 0},
    {IDS_KEY_MATTINGS_PATH, 0, 0, L"", 0},
    {IDS_KEY_DEFAULT_POWER_PLAN, 0, 0, nullptr, 0},
    {IDS_KEY_TURN_UPRIGHT, 0, 0, nullptr, 0},
    {IDS_KEY_SMOOTH_GLIDE, 0, 0, nullptr, 0},
    {IDS_KEY_MATTING, 1, 0, L"01.jpg", 0},
    {IDS_KEY_MATTING, 2, 0, L"02.jpg", 0},
};

Status WriteDefault(const DefaultSetting& setting) {
    if (setting.textId != 0) {
        wchar_t text[200];
        if (Status s = LoadText(setting.textId, text, sizeof text); s != kOk) return s;
        return WriteSettingTextById(setting.keyId, setting.number, text);
    }
    if (setting.text != nullptr) return WriteSettingTextById(setting.keyId, setting.number, setting.text);
    return WriteSettingNumberById(setting.keyId, setting.number, setting.value);
}

// The string-table text `formatId` filled with `args`: what the cleanup has
// to tell the user.
template <typename... Args>
[[nodiscard]] Status Tell(std::wstring* notice, unsigned formatId, Args... args) {
    wchar_t text[kMessageChars];
    const Status s = FormatText(text, kMessageChars, formatId, args...);
    *notice = text;
    return s;
}

// Each run names itself by a mutex (the start-up takes them); this
// process's own does not count.
bool AnotherRunIsOpen() {
    auto open = [](const wchar_t* name) {
        return static_cast<bool>(KernelHandle(OpenMutexW(SYNCHRONIZE, FALSE, name)));
    };
    const bool ownsProgramMutex =
        (gMode.role == Role::kProgram || gMode.role == Role::kCleanup) && gMode.instanceMutex != nullptr;
    return open(kSaverMutex) || (!ownsProgramMutex && open(kProgramMutex));
}

}  // namespace

Status CleanupRepair(std::wstring* notice) {
    notice->clear();
    if (gAppState == nullptr) return Fail(kCleanupStartSite, kErrInvalidArgument);
    // The paths as read from the settings file; an empty one is the default
    // folder under userFolder, which is what the installation made.
    // A folder the user chose outside the per-user folder holds the user's
    // own files, and the per-user folder itself the settings and help files:
    // either is left alone, and the program's default folder is cleaned. A
    // default folder that is a link is not cleaned at all (empty path).
    wchar_t albumsPath[kPathChars], mattingsPath[kPathChars];
    AlbumsFolder(albumsPath);
    MattingsFolder(mattingsPath);
    if (!ChooseCleanableRoot(albumsPath, L"QuorvelAlbums") ||
        !ChooseCleanableRoot(mattingsPath, L"QuorvelMattingBoards")) {
        SetErrorLocation(kCleanupStartSite, gAppState->userFolder);
        return kErrInvalidArgument;
    }
    const bool albums = albumsPath[0] != L'\0', boards = mattingsPath[0] != L'\0';
    Cleaner cleaner;

    // A running saver or program shows the albums from their caches and
    // boards; nothing is touched beneath it.
    if (AnotherRunIsOpen()) return Tell(notice, IDS_CLEANUP_BUSY);

    // A temporary folder that stays is still in use (a batch file of it
    // running, another run of the program); nothing else is then touched,
    // and the user is told so rather than left to think it all went.
    OutputDebugStringW(L"Quorvel: Deleted temp files\n");
    if (RemoveTempFiles() != kOk) return Tell(notice, IDS_NOTHING_CLEANED, gAppState->tempFolder);

    OutputDebugStringW(L"Quorvel: Deleted bmp files\n");
    if (albums) cleaner.DeleteBitmapCaches(albumsPath);

    OutputDebugStringW(L"Quorvel: Deleted photo albums\n");
    if (albums) cleaner.DeleteImportedAlbums(albumsPath);

    OutputDebugStringW(L"Quorvel: examined default albums\n");
    if (albums) cleaner.ExamineDefaultAlbums(albumsPath);

    OutputDebugStringW(L"Quorvel: deleted mattings\n");
    if (boards) cleaner.DeleteImportedBoards(mattingsPath);

    OutputDebugStringW(L"Quorvel: examined Fenwold folder\n");
    cleaner.ExamineUserFolder(gAppState->userFolder);

    // A refused first default ends the cleanup: the file takes no write.
    // After it the rest are still worth writing, and a later refusal is
    // returned beside the summary.
    OutputDebugStringW(L"Quorvel: reset ini\n");
    if (Status s = WriteDefault(kDefaults[0]); s != kOk) return Fail(kResetSettingsSite, s);
    Status refused = kOk;
    for (std::size_t i = 1; i < std::size(kDefaults); ++i)
        if (Status s = WriteDefault(kDefaults[i]); s != kOk) refused = s;

    const Status told =
        cleaner.failures > 0 ? Tell(notice, IDS_CLEANUP_SUMMARY, cleaner.failures, gAppState->userFolder) : kOk;
    return refused != kOk ? refused : told;
}

}  // namespace quorvel
