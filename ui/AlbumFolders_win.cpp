#include "ui/AlbumFolders_win.h"

#include <shlobj.h>

#include <algorithm>
#include <cwchar>

#include "display/DisplayState_win.h"
#include "base/ErrorReporter_win.h"
#include "base/FolderListing_win.h"
#include "base/Guards_win.h"
#include "base/PhotoTypes.h"
#include "base/Utilities_win.h"
#include "imaging/Decode_win.h"
#include "storage/Settings_win.h"
#include "storage/Storage_win.h"
#include "storage/StorageRules.h"
#include "res/resource.h"

namespace quorvel {

namespace {

const wchar_t kModule[] = L"settings";

}  // namespace

Status BrowseForFolder(HWND owner, const wchar_t* root, const wchar_t* title, wchar_t (&path)[kPathChars],
                       bool* chosen) {
    *chosen = false;
    path[0] = L'\0';
    const TaskMemory<PIDLIST_ABSOLUTE> rootItems(root != nullptr ? ILCreateFromPathW(root) : nullptr);
    BROWSEINFOW browse = {};
    browse.hwndOwner = owner;
    browse.pidlRoot = rootItems.get();
    browse.lpszTitle = title;
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_UAHINT;
    const TaskMemory<PIDLIST_ABSOLUTE> picked(SHBrowseForFolderW(&browse));
    if (!picked) return kOk;
    if (!SHGetPathFromIDListW(picked.get(), path)) {
        SaveWindowsError();
        path[0] = L'\0';
        wchar_t text[kMessageChars];
        if (Status s = LoadText(IDS_PATH_FROM_ID_FAILED, text, sizeof text); s != kOk) return s;
        return Fail(QV_SITE(kModule), kErrWindowsApi, text);
    }
    *chosen = true;
    return kOk;
}

void WarnWithFormat(HWND owner, unsigned formatId, const wchar_t* first, const wchar_t* second) {
    wchar_t text[kMessageChars];
    ShowError(FormatText(text, kMessageChars, formatId, first, second));
    MessageBoxW(owner, text, gAppState->caption, MB_OK | MB_ICONWARNING);
}

void WarnTooManyPhotos(const wchar_t* folderName, int count) {
    wchar_t text[kMessageChars];
    ShowError(FormatText(text, kMessageChars, IDS_TOO_MANY_PICTURES, folderName, count, kMaxPhotos));
    MessageBoxW(nullptr, text, gAppState->caption, MB_ICONWARNING);
}

bool AlbumFolderAccepted(HWND owner, const wchar_t* path, const wchar_t* root, unsigned notBelowId) {
    switch (CheckAlbumFolder(AsU16(path), AsU16(root))) {
        case AlbumFolderVerdict::Usable: return true;
        case AlbumFolderVerdict::NotOneLevelBelow: WarnWithFormat(owner, notBelowId, path, root); return false;
        case AlbumFolderVerdict::NameTooLong: WarnWithFormat(owner, IDS_ALBUM_NAME_TOO_LONG, path); return false;
        case AlbumFolderVerdict::PathTooLong: WarnWithFormat(owner, IDS_ALBUM_PATH_TOO_LONG, path); return false;
    }
    return false;
}

Status AlbumFolderShowable(HWND owner, const wchar_t* folder, const wchar_t* folderName, int* type, bool* showable,
                           const std::vector<std::u16string>& checked) {
    int count = 0;
    *type = 0;
    *showable = false;
    if (Status s = FindAlbumImages(folder, &count, type); s != kOk) return s;
    if (count == 0) {
        WarnWithFormat(owner, IDS_ALBUM_FOLDER_EMPTY, folder);
        return kOk;
    }
    if (count > kMaxPhotos) WarnTooManyPhotos(folderName, count);
    wchar_t pattern[kPathChars];
    const std::u16string typePattern = PhotoTypePattern(*type);
    if (!JoinPath(folder, AsWide(typePattern.c_str()), pattern)) {
        WarnWithFormat(owner, IDS_ALBUM_PATH_TOO_LONG, folder);
        return kOk;
    }
    int listed = 0;
    std::vector<RefusedPhoto> refused;
    const bool searched = ForEachFile(pattern, [&](const WIN32_FIND_DATAW& found) {
        const std::u16string name = AsU16(found.cFileName);
        if (!NameHasPhotoType(name, *type)) return true;
        ++listed;
        if (std::find(checked.begin(), checked.end(), name) != checked.end()) return listed < kMaxPhotos;
        wchar_t path[kPathChars];
        const Status s = JoinPath(folder, found.cFileName, path) ? CheckAlbumPhoto(path, folder, found.cFileName, *type)
                                                                 : kErrInvalidArgument;
        gErrorLocation = {};
        if (s != kOk) refused.push_back({found.cFileName, s});
        return listed < kMaxPhotos;
    });
    if (!searched) return kOk;
    TellRefusedPhotos(owner, IDS_ALBUM_PHOTOS_REFUSED, refused);
    *showable = listed > 0 && refused.empty();
    return kOk;
}

void TellRefusedPhotos(HWND owner, unsigned formatId, const std::vector<RefusedPhoto>& refused) {
    if (refused.empty()) return;
    std::wstring list;
    for (const RefusedPhoto& photo : refused) {
        wchar_t reason[kMessageChars];
        ShowError(LoadText(photo.reason, reason, sizeof reason));
        list += L"\n" + photo.name + L" (" + reason + L")";
    }
    // Seventy names may not fit a message buffer.
    std::wstring format;
    ShowError(LoadWideFormat(formatId, &format));
    std::vector<wchar_t> text(format.size() + list.size() + 1);
    swprintf(text.data(), text.size(), format.c_str(), list.c_str());
    MessageBoxW(owner, text.data(), gAppState->caption, MB_OK | MB_ICONWARNING);
}

Status UseAlbumFolder(int album, const wchar_t* name) {
    AlbumSlot& slot = gDisplayState->albums[album];
    const Status forgotten =
        _wcsicmp(slot.folderName, name) != 0 ? WriteSettingTextById(IDS_KEY_PHOTO_ORDER, album + 1, nullptr) : kOk;
    wcsncpy(slot.folderName, name, kAlbumFolderChars - 1);
    slot.folderName[kAlbumFolderChars - 1] = L'\0';
    wcsncpy(gUserSettings->albumFolderName[album], name, kPathChars - 1);
    gUserSettings->albumFolderName[album][kPathChars - 1] = L'\0';
    NoteSettingsChange(kSettingsAlbums);
    return forgotten;
}

}  // namespace quorvel
