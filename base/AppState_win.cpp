#include "base/AppState_win.h"

namespace quorvel {

AppState* gAppState = nullptr;
ErrorLocation gErrorLocation = {};
ModeState gMode = {};

void* AllocateLockedBlock(size_t bytes) {
    // Movable, zero-filled and locked for the life of the process: the block
    // never moves while it is locked, and its owner frees it at shutdown.
    HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (handle == nullptr) return nullptr;
    void* block = GlobalLock(handle);
    if (block == nullptr) GlobalFree(handle);
    return block;
}

void FreeLockedBlock(void* block) {
    if (block == nullptr) return;
    HGLOBAL handle = GlobalHandle(block);
    if (handle == nullptr) return;
    GlobalUnlock(handle);
    GlobalFree(handle);
}

bool AllocateAppState() {
    gAppState = static_cast<AppState*>(AllocateLockedBlock(sizeof(AppState)));
    return gAppState != nullptr;
}

void FreeAppState() {
    FreeLockedBlock(gAppState);
    gAppState = nullptr;
}

}  // namespace quorvel
