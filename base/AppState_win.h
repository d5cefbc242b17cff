// The process-wide records of the Windows program: AppState, ErrorLocation
// and the start-up mode flags. Allocated by the program entry, freed by
// Shutdown; every user tests the pointer first.
#pragma once
#include <windows.h>

#include "base/ErrorCodes.h"
#include "base/WindowsVersion.h"

namespace quorvel {

constexpr int kPathChars = 260;
constexpr int kTextBufferChars = 1000;
constexpr int kMessageChars = 512;

enum HelpFile {
    kHelpImport,
    kHelpHome,
    kHelpMonitorMapping,
    kHelpMattings,
    kHelpPhotos,
    kHelpAbout,
    kHelpPhrases,
    kHelpPower,
    kHelpTerms,
    kHelpFileCount
};

enum PanelId {
    kPanelPhotos,
    kPanelMonitorMapping,
    kPanelMattings,
    kPanelPhrases,
    kPanelPower,
    kPanelImport,
    kPanelCount
};

struct AppState {
    wchar_t caption[100];
    wchar_t programName[100];
    wchar_t userFolder[kPathChars];
    wchar_t commonFolder[kPathChars];
    wchar_t tempFolder[kPathChars];
    wchar_t themeFolder[kPathChars];
    wchar_t installFolder[kPathChars];
    wchar_t errorLogFolder[kPathChars];
    wchar_t systemFolder[kPathChars];
    wchar_t textBuffer[kTextBufferChars];
    wchar_t errorText[kMessageChars];
    COLORREF textColour;
    COLORREF glyphColour;
    COLORREF glyphHotColour;
    HBRUSH backgroundBrush;
    COLORREF backgroundColour;
    HFONT glyphFonts[2];
    HINSTANCE instance;
    DWORD uiThreadId;
    const wchar_t* emptyText;
    DWORD reporting;
    WindowsVersion windowsVersion;
    DWORD wow64;
    DWORD sessionLocked;
    HICON appIcon;
    DWORD helpOpened[kHelpFileCount];
    ULONG_PTR gdiplusToken;
    BYTE gdiplusStarted;
    DWORD homeOpen;
    DWORD aboutOpen;
    DWORD panelRequest[kPanelCount];
    unsigned settingsChanged;  // SettingsGroup bits a panel changed (storage/Settings_win.h)
};

// Where the failure being reported arose. Set by the failing site, read and
// cleared by ShowError or RaiseFatal, so one failure is logged and shown once however
// many callers pass its code upward.
struct ErrorLocation {
    wchar_t sourceName[kPathChars];
    int line;
    bool shown;
    bool logged;
    DWORD windowsError;
    wchar_t extraText[kPathChars];
};

// The mutexes by which each run names itself: the program (and a cleanup
// run while it lasts), and the saver showing its albums.
inline constexpr wchar_t kProgramMutex[] = L"Quorvel_RegExe";
inline constexpr wchar_t kSaverMutex[] = L"Quorvel_Saver";

// What the command line makes of the process: the program (".exe" or
// ".tmp"), its cleanup run ("/d"), the saver's configuration screen ("/c",
// or a ".scr" started without arguments), its preview ("/p") or the saver
// itself ("/s"). kNone until the start-up has read the command line.
enum class Role { kNone, kProgram, kCleanup, kConfigure, kPreview, kSaver };

// How the process runs. The start-up sets the role, the owner window and its
// handles once; the rest changes as the program runs.
struct ModeState {
    Role role;
    HWND ownerWindow;
    bool restartRequested;
    int currentDpi;
    HHOOK keyboardHook;
    HMODULE shcoreLibrary;
    HANDLE instanceMutex;
    // Another process of the same role (the program, or the saver showing
    // its albums) held the role's mutex when this one started.
    bool sameRoleRunning;
};

extern AppState* gAppState;
extern ErrorLocation gErrorLocation;
extern ModeState gMode;

// Allocates AppState zero-filled from the global heap and locks it for the
// life of the process; FreeAppState releases it. Returns false when the
// memory cannot be had.
bool AllocateAppState();
void FreeAppState();

// Allocates a zero-filled, locked block of the global heap; FreeLockedBlock
// unlocks and frees it. Used for the three process-wide records.
void* AllocateLockedBlock(size_t bytes);
void FreeLockedBlock(void* block);

}  // namespace quorvel
