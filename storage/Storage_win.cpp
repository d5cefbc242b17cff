#include "storage/Storage_win.h"

#include <cwchar>
#include <string>

#include "base/ErrorReporter_win.h"
#include "base/FolderListing_win.h"
#include "base/Guards_win.h"
#include "storage/Folders_win.h"
#include "storage/Settings_win.h"
#include "storage/StorageRules.h"
#include "base/Text.h"
#include "base/Utilities_win.h"
#include "res/resource.h"

namespace quorvel {

namespace {

const wchar_t kModule[] = L"settings";
const wchar_t kThemeKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes";
const wchar_t* const kDefaultAlbumNames[kAlbumCount] = {L"DefaultAlbum1", L"DefaultAlbum2"};
const wchar_t* const kDefaultAlbumPictures[kAlbumCount] = {L"0V_0H_ZoomIn_2_256.png", L"0V_0H_ZoomOut_2_256.png"};
const wchar_t* const kTempFileNames[] = {L"FenwoldLok.bat", L"FenwoldNoLok.bat", L"ActivePowerPlan.txt",
                                         L"GetPowPl.bat", L"SetActPlan.bat"};

bool SafeName(const wchar_t* name) { return IsSafeChildName(AsU16(name)); }

Status CreateFolder(const wchar_t* path) {
    if (CreateDirectoryW(path, nullptr)) return kOk;
    SaveWindowsError();
    SetErrorLocation(QV_SITE(kModule), path);
    return kErrCreateFolder;
}

// Takes `configured` when it names an existing folder, else the default
// folder under userFolder, created when missing. `created` tells the caller
// that the folder is new.
Status SettleFolder(wchar_t* configured, const wchar_t* defaultName, bool* created) {
    if (created != nullptr) *created = false;
    if (configured[0] != L'\0' && PathExists(configured)) return kOk;
    wchar_t path[kPathChars];
    if (!JoinPath(gAppState->userFolder, defaultName, path))
        return Fail(QV_SITE(kModule), kErrInvalidArgument, defaultName);
    if (!PathExists(path)) {
        if (Status s = CreateFolder(path); s != kOk) return s;
        if (created != nullptr) *created = true;
    }
    wcscpy(configured, path);
    return kOk;
}

Status ScanAlbum(int album, const wchar_t* albumsPath, int* photoCount, int* photoType) {
    const wchar_t* name = gUserSettings->albumFolderName[album];
    wchar_t folder[kPathChars];
    if (!JoinPath(albumsPath, name, folder)) return Fail(QV_SITE(kModule), kErrInvalidArgument, name);
    return FindAlbumImages(folder, photoCount, photoType);
}

// A name from the settings file that is unsafe, too long for the album's
// record or names no folder counts as missing, so the default album takes its place.
bool AlbumFolderUsable(int album, const wchar_t* albumsPath) {
    const wchar_t* name = gUserSettings->albumFolderName[album];
    if (name[0] == L'\0' || !SafeName(name) || wcslen(name) >= kAlbumFolderChars) return false;
    wchar_t folder[kPathChars];
    return JoinPath(albumsPath, name, folder) && PathExists(folder);
}

void DefaultFolder(const wchar_t* configured, const wchar_t* defaultName, wchar_t (&path)[kPathChars]) {
    path[0] = L'\0';
    if (configured != nullptr && configured[0] != L'\0') {
        wcsncpy(path, configured, kPathChars - 1);
        path[kPathChars - 1] = L'\0';
    } else if (gAppState != nullptr && !JoinPath(gAppState->userFolder, defaultName, path)) {
        path[0] = L'\0';
    }
}

// A copy keeps the size and the time of last write of what it was copied
// from; a picture of the user's that merely has a default board's name does
// not.
bool IsCopyOf(const WIN32_FILE_ATTRIBUTE_DATA& file, const WIN32_FIND_DATAW& original) {
    return file.nFileSizeHigh == original.nFileSizeHigh && file.nFileSizeLow == original.nFileSizeLow &&
           CompareFileTime(&file.ftLastWriteTime, &original.ftLastWriteTime) == 0;
}

bool MattingUsable(const wchar_t* mattingsPath, const wchar_t* name) {
    if (!SafeName(name)) return false;
    wchar_t path[kPathChars];
    return JoinPath(mattingsPath, name, path) && FileExists(path, nullptr);
}

}  // namespace

Status PrepareAlbumFolder(int album, int* photoCount, int* photoType) {
    const wchar_t* albumsPath = gUserSettings->albumsPath;
    if (!AlbumFolderUsable(album, albumsPath))
        if (Status s = CreateDefaultAlbum(album); s != kOk) return s;
    if (Status s = ScanAlbum(album, albumsPath, photoCount, photoType); s != kOk) return s;
    if (*photoCount == 0) {
        if (Status s = CreateDefaultAlbum(album); s != kOk) return s;
        if (Status s = ScanAlbum(album, albumsPath, photoCount, photoType); s != kOk) return s;
    }
    return kOk;
}

Status PrepareMattings() {
    wchar_t* mattingsPath = gUserSettings->mattingsPath;
    if (Status s = SettleFolder(mattingsPath, L"QuorvelMattingBoards", nullptr); s != kOk) return s;
    int count = 0, type = 0;
    if (Status s = FindAlbumImages(mattingsPath, &count, &type); s != kOk) return s;
    if (count > 0 && MattingUsable(mattingsPath, gUserSettings->mattingFile[0]) &&
        MattingUsable(mattingsPath, gUserSettings->mattingFile[1]))
        return kOk;
    return CopyDefaultMattings();
}

Status PrepareTempFolder() {
    if (gAppState->tempFolder[0] != L'\0' && PathExists(gAppState->tempFolder)) return kOk;
    // The program and the saver can run at once; each has its own folder so
    // neither deletes the other's batch files.
    wchar_t path[kPathChars];
    if (!JoinPath(gAppState->userFolder, gMode.role == Role::kProgram ? L"TempExe" : L"TempSaver", path))
        return Fail(QV_SITE(kModule), kErrInvalidArgument, gAppState->userFolder);
    if (!PathExists(path))
        if (Status s = CreateFolder(path); s != kOk) return s;
    wcscpy(gAppState->tempFolder, path);
    return kOk;
}

Status SettleAlbumsRoot() {
    if (gAppState == nullptr || gUserSettings == nullptr) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    bool newRoot = false;
    if (Status s = SettleFolder(gUserSettings->albumsPath, L"QuorvelAlbums", &newRoot); s != kOk) return s;
    if (newRoot)
        for (int album = 0; album < kAlbumCount; ++album)
            if (Status s = CreateDefaultAlbum(album); s != kOk) return s;
    return kOk;
}

void AlbumsFolder(wchar_t (&path)[kPathChars]) {
    DefaultFolder(gUserSettings ? gUserSettings->albumsPath : nullptr, L"QuorvelAlbums", path);
}

void MattingsFolder(wchar_t (&path)[kPathChars]) {
    DefaultFolder(gUserSettings ? gUserSettings->mattingsPath : nullptr, L"QuorvelMattingBoards", path);
}

bool CacheFolderOf(const wchar_t* folder, wchar_t (&path)[kPathChars]) { return JoinPath(folder, L"BMP", path); }

// Windows starts a screen saver in the system folder, so the default content
// is looked for beside the program too.
void DefaultContentPath(const wchar_t* relative, wchar_t (&path)[kPathChars]) {
    wchar_t folder[kPathChars];
    const DWORD n = GetCurrentDirectoryW(kPathChars, folder);
    if (n > 0 && n < kPathChars && JoinPath(folder, relative, path) && PathExists(path)) return;
    const DWORD m = GetModuleFileNameW(nullptr, folder, kPathChars);
    if (m > 0 && m < kPathChars) {
        if (wchar_t* slash = wcsrchr(folder, L'\\')) *slash = L'\0';
        if (JoinPath(folder, relative, path)) return;
    }
    path[0] = L'\0';
}

Status CreateDefaultAlbum(int albumIndex) {
    if (gUserSettings == nullptr || gAppState == nullptr || (albumIndex != 0 && albumIndex != 1)) return kOk;
    wchar_t albumsPath[kPathChars];
    AlbumsFolder(albumsPath);
    if (!PathExists(albumsPath)) return kOk;

    wchar_t relative[kPathChars], source[kPathChars], folder[kPathChars], target[kPathChars];
    swprintf(relative, kPathChars, L"res\\%ls", kDefaultAlbumPictures[albumIndex]);
    DefaultContentPath(relative, source);
    if (!JoinPath(albumsPath, kDefaultAlbumNames[albumIndex], folder) ||
        !JoinPath(folder, kDefaultAlbumPictures[albumIndex], target)) {
        SetErrorLocation(QV_SITE(kModule), albumsPath);
        return kErrInvalidArgument;
    }
    if (!PathExists(folder))
        if (Status s = CreateFolder(folder); s != kOk) return s;
    wcscpy(gUserSettings->albumFolderName[albumIndex], kDefaultAlbumNames[albumIndex]);
    if (!CopyFileW(source, target, FALSE)) {
        SaveWindowsError();
        SetErrorLocation(QV_SITE(kModule), source);
        return kErrCopyFile;
    }
    return kOk;
}

Status CopyDefaultMattings() {
    if (gAppState == nullptr) return kOk;
    wchar_t mattingsPath[kPathChars];
    MattingsFolder(mattingsPath);
    if (!PathExists(mattingsPath)) return kOk;

    wchar_t sourceFolder[kPathChars], search[kPathChars];
    DefaultContentPath(L"QuorvelMattingBoards", sourceFolder);
    if (!JoinPath(sourceFolder, L"*.*", search)) return Fail(QV_SITE(kModule), kErrInvalidArgument, sourceFolder);
    // The boards folder may be one the user chose, holding their own
    // pictures: a default board is copied only where no file of its name is,
    // and a file there is never replaced. The first two default boards the
    // folder then holds as installed become the albums' boards; a picture of
    // the user's that carries a default board's name only when there are not
    // two such.
    std::wstring installed[kAlbumCount], own[kAlbumCount];
    int installedCount = 0, ownCount = 0;
    Status copied = kOk;
    const bool listed = ForEachFile(search, [&](const WIN32_FIND_DATAW& found) {
        if (IsThumbnailCacheName(AsU16(found.cFileName))) return true;
        wchar_t source[kPathChars], target[kPathChars];
        if (!JoinPath(sourceFolder, found.cFileName, source) || !JoinPath(mattingsPath, found.cFileName, target))
            return true;
        WIN32_FILE_ATTRIBUTE_DATA there;
        bool copy = true;
        if (GetFileAttributesExW(target, GetFileExInfoStandard, &there)) {
            if (there.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return true;
            copy = IsCopyOf(there, found);
        } else if (!CopyFileW(source, target, TRUE)) {
            SaveWindowsError();
            copied = Fail(QV_SITE(kModule), kErrCopyFile, source);
            return false;
        }
        if (copy && installedCount < kAlbumCount) installed[installedCount++] = found.cFileName;
        if (!copy && ownCount < kAlbumCount) own[ownCount++] = found.cFileName;
        return true;
    });
    if (!listed) {
        SaveWindowsError();
        return Fail(QV_SITE(kModule), kErrFindFirstFile, search);
    }
    if (copied != kOk) return copied;
    for (int i = 0; installedCount < kAlbumCount && i < ownCount; ++i) installed[installedCount++] = own[i];
    if (installedCount < kAlbumCount) return Fail(QV_SITE(kModule), kErrMissingMatting, sourceFolder);
    if (gUserSettings != nullptr)
        for (int album = 0; album < kAlbumCount; ++album) {
            wcsncpy(gUserSettings->mattingFile[album], installed[album].c_str(), kPathChars - 1);
            gUserSettings->mattingFile[album][kPathChars - 1] = L'\0';
        }
    return kOk;
}

Status SetCurrentTheme(int flag) {
    if (gAppState == nullptr) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    wchar_t value[kPathChars] = L"";
    if (flag == 1 && !JoinPath(gAppState->themeFolder, L"Quorvel.theme", value))
        return Fail(QV_SITE(kModule), kErrInvalidArgument, gAppState->themeFolder);
    return WriteCurrentTheme(value);
}

Status WriteCurrentTheme(const wchar_t* path) {
    if (path == nullptr) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    const DWORD bytes = static_cast<DWORD>((wcslen(path) + 1) * sizeof(wchar_t));
    const LSTATUS r = RegSetKeyValueW(HKEY_CURRENT_USER, kThemeKey, L"CurrentTheme", REG_SZ, path, bytes);
    if (r == ERROR_SUCCESS) return kOk;
    gErrorLocation.windowsError = static_cast<DWORD>(r);
    SetErrorLocation(QV_SITE(kModule), L"CurrentTheme");
    return kErrWriteRegistry;
}

Status GetCurrentTheme(wchar_t* buffer) {
    if (buffer == nullptr) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kThemeKey, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return Fail(QV_SITE(kModule), kErrOpenRegistry, kThemeKey);
    wchar_t value[257] = L"";
    DWORD bytes = 256 * sizeof(wchar_t);
    DWORD type = 0;
    const RegistryKey key(opened);
    const LSTATUS r =
        RegQueryValueExW(key.get(), L"CurrentTheme", nullptr, &type, reinterpret_cast<BYTE*>(value), &bytes);
    if (r == ERROR_SUCCESS) {
        value[bytes / sizeof(wchar_t) < 256 ? bytes / sizeof(wchar_t) : 256] = L'\0';
        wcsncpy(buffer, value, kThemeChars - 1);
        buffer[kThemeChars - 1] = L'\0';
        return kOk;
    }
    SetErrorLocation(QV_SITE(kModule), L"CurrentTheme");
    if (r == ERROR_MORE_DATA) return kErrRegistryBuffer;
    if (r == ERROR_FILE_NOT_FOUND) return kErrRegistryMissing;
    return kErrReadRegistry;
}

Status RemoveTempFiles() {
    if (gAppState == nullptr || gAppState->tempFolder[0] == L'\0' || !PathExists(gAppState->tempFolder)) return kOk;
    Status status = kOk;
    for (const wchar_t* name : kTempFileNames) {
        wchar_t path[kPathChars];
        if (!JoinPath(gAppState->tempFolder, name, path) || !PathExists(path)) continue;
        if (!DeleteFileW(path)) {
            SaveWindowsError();
            SetErrorLocation(QV_SITE(kModule), path);
            status = kErrDeleteFile;
        }
    }
    if (!RemoveDirectoryW(gAppState->tempFolder)) {
        SaveWindowsError();
        SetErrorLocation(QV_SITE(kModule), gAppState->tempFolder);
        return kErrDeleteFolder;
    }
    return status;
}

}  // namespace quorvel
