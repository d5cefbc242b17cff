// Album import: photos the user chooses are copied into a folder directly
// below the albums root, which then becomes album 1.
#pragma once
#include <windows.h>

#include "base/ErrorCodes.h"
#include "ui/FileSelection.h"

namespace quorvel {

// Home's "Import Album" runner. Batch after batch until the user declines
// to import more. When anything was copied, the Monitor mapping panel
// follows on a wall of monitors and the display is rebuilt, whatever ended
// the import. A failure is reported here, so that the album windows go on
// either way.
[[nodiscard]] Status OpenImport(HWND owner);

// One batch's copy into `album`, a folder directly below the albums root,
// which becomes album 1 when its photos show (*used). A chosen photo that
// start-up would refuse is named and not copied; what refuses the folder
// has been told. *copied counts what arrived, a failure half-way included.
[[nodiscard]] Status ImportIntoFolder(HWND owner, const FileSelection& selection, const wchar_t* album, int* copied,
                                      bool* used);

}  // namespace quorvel
