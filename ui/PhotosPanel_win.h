// The Photos panel: an album's photos as a strip of thumbnails, a preview
// that fits the window or shows the photo at actual size, the photo's
// properties, turns, flips, halving, moving and deleting a photo, trying the
// playback effects and choosing the album's effects and stitch mode.
#pragma once
#include <windows.h>

#include "base/ErrorCodes.h"

namespace quorvel {

// Opens the panel (again after a DPI or display change). When it changed an
// album the display is rebuilt afterwards (restartRequested), and the
// effects and stitch modes it changed are noted for the settings file.
[[nodiscard]] Status OpenPhotosPanel(HWND owner);

}  // namespace quorvel
