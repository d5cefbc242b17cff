#include "base/DisplayState_win.h"

#include <new>

#include "base/AppState_win.h"

namespace quorvel {

DisplayState* gDisplayState = nullptr;

DisplayState* AllocateDisplayState() {
    void* block = AllocateLockedBlock(sizeof(DisplayState));
    if (block == nullptr) return nullptr;
    // Value-initialisation keeps the plain fields zero, as the block came,
    // and constructs the pixel blocks properly.
    gDisplayState = new (block) DisplayState();
    return gDisplayState;
}

void FreeDisplayState() {
    if (gDisplayState == nullptr) return;
    gDisplayState->~DisplayState();
    FreeLockedBlock(gDisplayState);
    gDisplayState = nullptr;
}

}  // namespace quorvel
