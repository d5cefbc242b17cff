#include "display/DisplayState_win.h"

#include <cwchar>
#include <iterator>
#include <new>
#include <utility>

#include "base/AppState_win.h"
#include "storage/SettingsFormat.h"

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

void ReleaseAlbum(int album) {
    if (gDisplayState == nullptr || album < 0 || album >= kAlbumCount) return;
    AlbumSlot& slot = gDisplayState->albums[album];
    ReleaseAlbumPixels(slot);
    slot.mattingThumbnail.Release();
    slot.photoCount = 0;
    slot.inUse = 0;
    slot.windowMade = 0;
    slot.photoType = 0;
}

void TakeMonitorSettings() {
    if (gDisplayState == nullptr || gUserSettings == nullptr) return;
    for (int m = 0; m < kMaxMonitors; ++m) gDisplayState->monitors[m].album = gUserSettings->monitorAlbum[m];
}

void TakeAlbumSettings() {
    if (gDisplayState == nullptr || gUserSettings == nullptr) return;
    for (int a = 0; a < kAlbumCount; ++a) {
        gDisplayState->albums[a].effectsEnabled = gUserSettings->effects[a];
        gDisplayState->albums[a].stitchMode = gUserSettings->stitchMode[a];
    }
}

namespace {

void CopyText(wchar_t* to, const wchar_t* from, std::size_t chars) {
    wcsncpy(to, from, chars - 1);
    to[chars - 1] = L'\0';
}

}  // namespace

Status SaveSettings(unsigned groups) {
    UserSettings* s = gUserSettings;
    const DisplayState* d = gDisplayState;
    if (s == nullptr || d == nullptr) return kOk;
    for (int a = 0; a < kAlbumCount; ++a) {
        const AlbumSlot& slot = d->albums[a];
        if ((groups & kSettingsAlbums) && slot.folderName[0] != L'\0')
            CopyText(s->albumFolderName[a], slot.folderName, kPathChars);
        // Without an album window (the configuration screen, or before the
        // windows are built) the phrase and colour in memory are the user's;
        // only a window's own replace them.
        if ((groups & kSettingsPhrases) && slot.view != nullptr)
            CopyText(s->phrase[a], slot.view->phrase, kPhraseChars);
        if ((groups & kSettingsFont) && slot.view != nullptr && slot.view->textColour != 0)
            s->fontColour[a] = slot.view->textColour;
        if (groups & kSettingsEffects) {
            s->effects[a] = slot.effectsEnabled;
            s->stitchMode[a] = slot.stitchMode;
        }
    }
    // The phrase font describes the user's choice once it exists; before
    // that the values read from the file stand.
    if ((groups & kSettingsFont) && d->phraseFont != nullptr) {
        CopyText(s->fontName, d->phraseLogFont.lfFaceName, std::size(s->fontName));
        s->fontBold = FontWeightIsBold(d->phraseLogFont.lfWeight) ? 1 : 0;
        s->fontItalic = d->phraseLogFont.lfItalic;
    }
    if (groups & kSettingsMapping)
        for (int m = 0; m < kMaxMonitors; ++m) s->monitorAlbum[m] = d->monitors[m].album;
    return WriteSettings(groups);
}

Status SaveChangedSettings() {
    return gAppState != nullptr ? SaveSettings(std::exchange(gAppState->settingsChanged, 0u)) : kOk;
}

}  // namespace quorvel
