// Choosing a folder through the shell's folder browser, and checking that a
// folder can become an album before any album is switched to it.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "base/AppState_win.h"
#include "imaging/Decode_win.h"

namespace quorvel {

// The shell's folder browser, rooted at `root` (nullptr: the whole
// computer), with the new-folder button. *chosen is false after Cancel.
[[nodiscard]] Status BrowseForFolder(HWND owner, const wchar_t* root, const wchar_t* title, wchar_t (&path)[kPathChars],
                                     bool* chosen);

// A notice of the program's caption and the warning icon, owned by `owner`:
// the string-table format filled with up to two texts.
void WarnWithFormat(HWND owner, unsigned formatId, const wchar_t* first, const wchar_t* second = L"");

// True when `path` may become an album folder under `root`; otherwise the
// reason has been shown, a folder not directly below the root in the
// format `notBelowId` (path, root).
bool AlbumFolderAccepted(HWND owner, const wchar_t* path, const wchar_t* root, unsigned notBelowId);

// *showable: `folder` holds photos the display can show: at least one of an
// album type, and each of the first 70 passes start-up's own rule
// (CheckAlbumPhoto). More than 70 shows the same warning as a start. What
// makes it not showable has been told to the user, every photo refused
// named; a folder that cannot be searched is the code returned. The album
// in use is not touched either way. The photos named in `checked` were
// checked already (an import checks its photos before it copies them).
[[nodiscard]] Status AlbumFolderShowable(HWND owner, const wchar_t* folder, const wchar_t* folderName, int* type,
                                         bool* showable, const std::vector<std::u16string>& checked = {});

// One warning naming each photo and why it cannot be shown: the
// string-table format `formatId`, whose %s takes the list.
void TellRefusedPhotos(HWND owner, unsigned formatId, const std::vector<RefusedPhoto>& refused);

// Album `album` (0 or 1) becomes the folder `name` below the albums root;
// the settings take it with the next write. The photo order the user gave
// the album's former folder is forgotten, as it belongs to that folder.
void UseAlbumFolder(int album, const wchar_t* name);

}  // namespace quorvel
