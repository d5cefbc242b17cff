// The folders the albums live in and what must be there before they are
// shown: the albums root with its default albums, the two album folders, the
// matting boards folder with its default boards, the run's temporary folder
// and the Windows theme value.
#pragma once
#include "storage/Settings_win.h"

namespace quorvel {

constexpr int kThemeChars = 512;

// The storage steps of start-up's album step (app/AlbumStep_win.h): the
// albums root, with the default albums when it is new; one album's folder
// (the default album when the configured one is unusable or empty) in the
// settings, its photos counted (all of them, the slot keeps 70) and their
// type; the boards folder, with the default boards when the chosen ones are
// missing; the temporary folder.
[[nodiscard]] Status SettleAlbumsRoot();
[[nodiscard]] Status PrepareAlbumFolder(int album, int* photoCount, int* photoType);
[[nodiscard]] Status PrepareMattings();
[[nodiscard]] Status PrepareTempFolder();

[[nodiscard]] Status CreateDefaultAlbum(int albumIndex);
[[nodiscard]] Status CopyDefaultMattings();
// flag 1 names themeFolder's "Quorvel.theme" as the current theme, 0 clears it.
[[nodiscard]] Status SetCurrentTheme(int flag);
// Names `path` as the current theme, the key made first in a profile without it.
[[nodiscard]] Status WriteCurrentTheme(const wchar_t* path);
// buffer holds kThemeChars characters.
[[nodiscard]] Status GetCurrentTheme(wchar_t* buffer);
[[nodiscard]] Status RemoveTempFiles();

// The folders as the program uses them: the path from the settings file, or
// the default folder under userFolder when that path is empty.
void AlbumsFolder(wchar_t (&path)[kPathChars]);
void MattingsFolder(wchar_t (&path)[kPathChars]);
// The bitmap cache of an album folder, "<folder>\BMP"; the boards folder
// keeps its boards' thumbnails the same way. False, with `path` empty, when
// that does not fit a path.
[[nodiscard]] bool CacheFolderOf(const wchar_t* folder, wchar_t (&path)[kPathChars]);
// Where default content named by `relative` ("res\\...") is found: the
// current directory when it holds it, else the program's own folder.
void DefaultContentPath(const wchar_t* relative, wchar_t (&path)[kPathChars]);

}  // namespace quorvel
