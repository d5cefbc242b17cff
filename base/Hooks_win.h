// What the lower folders ask of the higher ones. The album windows open Home,
// About and help, and end the session; Home rebuilds the display after a
// panel, and About repairs the albums; the DPI lookup tells of its
// failure in a notification. The start-up sets these once; a hook
// left empty does nothing and reports success.
#pragma once
#include <windows.h>

#include "base/ErrorCodes.h"

namespace quorvel {

struct AppHooks {
    Status (*openHome)(HWND owner) = nullptr;
    Status (*openAbout)(HWND owner) = nullptr;
    Status (*openHomeHelp)() = nullptr;
    void (*shutdown)() = nullptr;  // ends the process
    Status (*rebuildDisplay)(HWND owner) = nullptr;
    Status (*repairAlbums)() = nullptr;
    // A box of string textId captioned "Notification".
    Status (*notify)(unsigned textId) = nullptr;
};

inline AppHooks gHooks;

}  // namespace quorvel
