// Where the program keeps its files: the machine-wide and per-user data
// folders, the first-time copy between them, and the per-user registry
// record that names them.
#pragma once
#include "base/AppState_win.h"

namespace quorvel {

[[nodiscard]] Status ComputeFolders();
// The first-time copy, and Repair's: the shipped files of the machine-wide
// folder (ShippedUserFiles), put into a new per-user folder as a whole, or
// over the per-user copies.
[[nodiscard]] Status CopyCommonToUser();
// Copies again each shipped file the per-user folder lacks (emptied by
// hand, or made by a sync tool before the first start); a file there is
// never replaced.
void RestoreShippedFiles();
[[nodiscard]] Status WriteRegistryRecord();
// A text value of the program's own registry record: `chars` characters of
// buffer; kErrRegistryMissing when the value is not there.
[[nodiscard]] Status ReadRecordText(const wchar_t* name, wchar_t* buffer, int chars);
[[nodiscard]] Status WriteRecordText(const wchar_t* name, const wchar_t* text);

}  // namespace quorvel
