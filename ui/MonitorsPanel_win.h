// The Monitor mapping panel: which album each monitor shows, the folder
// behind each album, the storage folders and Windows' display settings.
#pragma once
#include <windows.h>

#include "base/ErrorCodes.h"

namespace quorvel {

// Home's "Monitors Panel" runner, also opened after an import on a wall of
// monitors. A changed assignment or album folder has the display rebuilt.
[[nodiscard]] Status OpenMonitorsPanel(HWND owner);

}  // namespace quorvel
