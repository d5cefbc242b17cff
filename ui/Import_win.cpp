#include "ui/Import_win.h"

#include <cwchar>
#include <string>
#include <vector>

#include "display/DisplayState_win.h"
#include "base/ErrorReporter_win.h"
#include "base/PhotoTypes.h"
#include "base/Utilities_win.h"
#include "imaging/Decode_win.h"
#include "storage/Settings_win.h"
#include "storage/Storage_win.h"
#include "storage/StorageRules.h"
#include "ui/AlbumFolders_win.h"
#include "ui/FileSelection_win.h"
#include "ui/MonitorsPanel_win.h"
#include "ui/Notices_win.h"
#include "res/resource.h"

namespace quorvel {

namespace {

const wchar_t kModule[] = L"settings";
constexpr ErrorSite kCopySite{kModule, 1632};

std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

// The photo's type from its name, 0 for none of the album types.
int TypeOfName(const std::u16string& name) {
    for (int type = 1; type <= kPhotoTypeCount; ++type)
        if (NameHasPhotoType(name, type)) return type;
    return 0;
}

// A replaced photo's cache copy holds the old pixels; the next decode makes
// it again from the new file.
void ForgetCacheCopy(const wchar_t* album, const std::u16string& name) {
    const int type = TypeOfName(name);
    if (type == 0) return;
    wchar_t cache[kPathChars], copy[kPathChars];
    if (!CacheFolderOf(album, cache) || !JoinPath(cache, Wide(CacheFileName(name, type)).c_str(), copy)) return;
    DeleteFileW(copy);
}

// The chosen photos that `album` can show by start-up's own rule; the
// others are named to the user and left where they are.
FileSelection AdmittedPhotos(HWND owner, const FileSelection& selection, const wchar_t* album) {
    FileSelection admitted{selection.folder, {}};
    std::vector<RefusedPhoto> refused;
    const std::wstring folder = Wide(selection.folder);
    for (const std::u16string& each : selection.names) {
        const std::wstring name = Wide(each);
        wchar_t source[kPathChars];
        Status s = JoinPath(folder.c_str(), name.c_str(), source) ? kOk : kErrInvalidArgument;
        if (s == kOk) s = CheckAlbumPhoto(source, album, name.c_str(), TypeOfName(each));
        gErrorLocation = {};
        if (s == kOk) {
            admitted.names.push_back(each);
        } else {
            refused.push_back({name, s});
        }
    }
    TellRefusedPhotos(owner, IDS_IMPORT_PHOTOS_REFUSED, refused);
    return admitted;
}

// Copies the chosen files into `album`, replacing same-named ones; *copied
// counts what arrived, so a failure half-way still leaves it right.
Status CopySelection(HWND owner, const FileSelection& selection, const wchar_t* album, int* copied) {
    const std::wstring folder = Wide(selection.folder);
    for (const std::u16string& each : selection.names) {
        const std::wstring name = Wide(each);
        wchar_t source[kPathChars], target[kPathChars];
        if (!JoinPath(folder.c_str(), name.c_str(), source) || !JoinPath(album, name.c_str(), target)) {
            WarnWithFormat(owner, IDS_ALBUM_PATH_TOO_LONG, name.c_str());
            continue;
        }
        // Photos chosen in the album itself are there already.
        if (_wcsicmp(source, target) == 0) continue;
        const bool replacing = PathExists(target);
        if (!CopyFileW(source, target, FALSE)) {
            SaveWindowsError();
            SetErrorLocation(kCopySite, source);
            return kErrCopyFile;
        }
        ++*copied;
        if (replacing) ForgetCacheCopy(album, each);
    }
    return kOk;
}

// Copied photos of another type than the album's never show: say so.
void WarnOtherTypes(HWND owner, const FileSelection& selection, int albumType) {
    int others = 0;
    for (const std::u16string& name : selection.names)
        if (!NameHasPhotoType(name, albumType)) ++others;
    if (others == 0) return;
    wchar_t text[kMessageChars];
    ShowError(
        FormatText(text, kMessageChars, IDS_IMPORT_OTHER_TYPE, others, Wide(PhotoTypePattern(albumType)).c_str()));
    MessageBoxW(owner, text, gAppState->caption, MB_OK | MB_ICONWARNING);
}

// One batch: *more tells whether the user asked for another.
Status ImportBatch(HWND owner, int* copied, bool* more) {
    *more = false;
    FileSelection selection;
    bool chosen = false;
    if (Status s = AskForFiles(owner, IDS_IMPORT_TITLE, IDS_IMPORT_FILTER, &selection, &chosen); s != kOk || !chosen)
        return s;
    wchar_t root[kPathChars], title[kMessageChars], destination[kPathChars];
    AlbumsFolder(root);
    if (Status s = LoadText(IDS_IMPORT_DESTINATION_TITLE, title, sizeof title); s != kOk) return s;
    if (Status s = BrowseForFolder(owner, root, title, destination, &chosen); s != kOk || !chosen) return s;
    const std::u16string_view path(AsU16(destination));
    if (!AlbumFolderAccepted(owner, destination, root, IDS_NOT_A_SUB_FOLDER)) return kOk;
    const std::wstring name = Wide(LastComponent(path));
    wchar_t album[kPathChars];
    if (!JoinPath(root, name.c_str(), album)) return Fail(QV_SITE(kModule), kErrInvalidArgument, name.c_str());
    bool used = false;
    if (Status s = ImportIntoFolder(owner, selection, album, copied, &used); s != kOk || !used) return s;
    wchar_t question[kMessageChars];
    if (Status s = LoadText(kAskImportMore, question, sizeof question); s != kOk) return s;
    *more = AskOwner(question, MB_YESNO | MB_ICONQUESTION) == IDYES;
    return kOk;
}

}  // namespace

Status ImportIntoFolder(HWND owner, const FileSelection& selection, const wchar_t* album, int* copied, bool* used) {
    *used = false;
    const FileSelection admitted = AdmittedPhotos(owner, selection, album);
    if (admitted.names.empty()) return kOk;
    if (Status s = CopySelection(owner, admitted, album, copied); s != kOk) return s;
    const std::u16string_view path(AsU16(album));
    const std::wstring name = Wide(LastComponent(path));
    int type = 0;
    bool showable = false;
    if (Status s = AlbumFolderShowable(owner, album, name.c_str(), &type, &showable, admitted.names);
        s != kOk || !showable)
        return s;
    // The album is switched even when the settings refuse to forget the
    // former folder's photo order; the refusal is shown and the import goes on.
    ShowError(UseAlbumFolder(0, name.c_str()));
    WarnOtherTypes(owner, admitted, type);
    *used = true;
    return kOk;
}

Status OpenImport(HWND owner) {
    if (owner == nullptr || gAppState == nullptr || gDisplayState == nullptr || gUserSettings == nullptr)
        return Fail(QV_SITE(kModule), kErrInvalidArgument);
    int copied = 0;
    Status status = kOk;
    for (bool more = true; more && status == kOk;) status = ImportBatch(owner, &copied, &more);
    // Reported here whatever was copied: a failure returned would leave the
    // album windows standing still, as their timers restart only after a
    // runner that succeeded.
    ShowError(status);
    if (copied == 0) return kOk;
    if (gDisplayState->lastMonitor > 0) ShowError(OpenMonitorsPanel(owner));
    if (gMode.role != Role::kConfigure) gMode.restartRequested = true;
    return kOk;
}

}  // namespace quorvel
