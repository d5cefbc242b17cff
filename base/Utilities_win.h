// Small helpers used everywhere: string loading, path joins,
// existence tests, running a program and waiting for it, counting album
// images, and the flags of the log copy's file dialogs.
#pragma once
#include <cstdint>
#include <cwchar>
#include <string>
#include <string_view>

#include "base/AppState_win.h"

// A lean windows.h leaves the common dialogs out.
#include <commdlg.h>

namespace quorvel {

// wchar_t text is UTF-16 on Windows, as the portable core's char16_t text:
// the two pass into each other without a copy.
inline const char16_t* AsU16(const wchar_t* text) { return reinterpret_cast<const char16_t*>(text); }
inline const wchar_t* AsWide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
inline char16_t* AsU16(wchar_t* text) { return reinterpret_cast<char16_t*>(text); }
inline wchar_t* AsWide(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }

// The two file dialogs of the About dialog's log copy. The source is chosen
// in the old-style open dialog and must exist; the destination in an
// explorer-style save dialog that asks before overwriting. Both carry the
// hook that centres them.
constexpr DWORD kCopySourceDialogFlags =
    OFN_LONGNAMES | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_ENABLEHOOK | OFN_HIDEREADONLY;
constexpr DWORD kCopyDestinationDialogFlags =
    OFN_LONGNAMES | OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_ENABLEHOOK | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
// The values the copy has always passed.
static_assert(kCopySourceDialogFlags == 0x201824);
static_assert(kCopyDestinationDialogFlags == 0x280826);

// Loads string `id` into buffer (capacity bufferBytes / 2 characters). A
// missing entry leaves "XXXX" in the buffer and returns kErrResourceString,
// for the caller to pass up or report.
[[nodiscard]] Status LoadText(unsigned id, wchar_t* buffer, int bufferBytes);
// A format of the string table, ready for the wide printf family ("%s"
// becomes "%ls"); "XXXX" and kErrResourceString when it is missing.
[[nodiscard]] Status LoadWideFormat(unsigned id, std::wstring* format);
// Fills `out` (capacity `chars`) with the string-table format `formatId`
// and `args`, as swprintf does; filled even when the format is missing.
template <typename... Args>
[[nodiscard]] Status FormatText(wchar_t* out, std::size_t chars, unsigned formatId, Args... args) {
    std::wstring format;
    const Status s = LoadWideFormat(formatId, &format);
    swprintf(out, chars, format.c_str(), args...);
    return s;
}
// Fills `out` with folder + "\" + name. When that would not fit a path,
// `out` is left empty and the answer is false: a cut path could name some
// other file.
[[nodiscard]] bool JoinPath(const wchar_t* folder, const wchar_t* name, wchar_t (&out)[kPathChars]);
bool PathExists(const wchar_t* path);
bool FileExists(const wchar_t* path, Status* code);
// How RunAndWait starts a program. Shown: as the user would, its console
// window included, whatever it ends with. Quiet: a batch file run for its
// work alone (POWERCFG) opens no console window over the albums, and its
// exit code is its answer: anything but 0 is kErrAppFailed.
enum class RunStyle { Shown, Quiet };
// cmd takes a batch file's path from its command line, where it strips the
// quotes around a path holding & ( ) ^ and expands %...%: the path reaches
// it through the environment (%QuorvelBatch%) instead, expanded once and
// inside quotes. With `output` (a file handle opened inheritable) the
// program's standard output goes there.
[[nodiscard]] Status RunAndWait(const wchar_t* path, RunStyle style = RunStyle::Shown, HANDLE output = nullptr);
// Writes `text` as the whole of a batch file, replacing any older one. cmd
// reads a batch file in the console's code page, so the text must be plain
// ASCII, the same in every code page (anything else is kErrInvalidArgument); a folder's
// name reaches a batch file through the environment, or is not needed.
[[nodiscard]] Status WriteBatchFile(const wchar_t* path, std::string_view text);
[[nodiscard]] Status RunDisplaySettings();
[[nodiscard]] Status CountFiles(const wchar_t* folder, const wchar_t* pattern, int* count);
// Album photo types: 1 "*.jpg" ... 7 "*.tiff", 0 when none matched.
[[nodiscard]] Status FindAlbumImages(const wchar_t* folder, int* count, int* type);
// A file time as local seconds since 1970, read by mktime under the
// system's summer-time rule (0 when Windows cannot convert it).
std::int64_t LocalFileTime(const FILETIME& written);

}  // namespace quorvel
