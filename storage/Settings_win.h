// The settings file: "Quorvel.ini" in the per-user folder, one section
// "Header", every key named in the string table. UserSettings is the
// in-memory copy; the file is read at every start-up sequence and written
// after a panel changed something.
#pragma once
#include <cstdint>
#include <string>

#include "base/AppState_win.h"

namespace quorvel {

struct UserSettings {
    wchar_t albumsPath[kPathChars];
    wchar_t mattingsPath[kPathChars];
    wchar_t albumFolderName[2][kPathChars];
    wchar_t fontName[32];
    std::int32_t fontBold;
    std::int32_t fontItalic;
    std::int32_t fontSize;
    COLORREF fontColour[2];
    std::int32_t english;
    std::int32_t spanish;
    wchar_t phrase[2][200];
    wchar_t screenSaverPhrase[200];
    std::int16_t effects[2];
    std::int16_t stitchMode[2];
    std::int32_t useDefaultPowerPlan;
    // 1: photos are turned by their EXIF orientation as their cache copies
    // are made. Only read: the user sets it in the file.
    std::int32_t turnPhotosUpright;
    // 1 glides the viewport at the display's refresh rate between whole
    // pixels; missing or 0 keeps the one-pixel tick. Read only: the user sets it.
    std::int32_t smoothGlide;
};

extern UserSettings* gUserSettings;

// The settings file's full path: userFolder + "\" + programName + ".ini".
void SettingsFilePath(wchar_t (&path)[kPathChars]);

[[nodiscard]] Status ReadSettingText(const wchar_t* file, const wchar_t* section, const wchar_t* key, wchar_t* buffer,
                                     int bufferBytes);
[[nodiscard]] Status ReadSettingTextById(unsigned keyId, wchar_t* buffer, int bufferBytes);
// Numbered keys (album or monitor number 1..6); number 0 uses the key as named.
[[nodiscard]] Status ReadSettingTextById(unsigned keyId, int number, wchar_t* buffer, int bufferBytes);
[[nodiscard]] Status ReadSettingNumber(const wchar_t* key, std::int32_t* value);
[[nodiscard]] Status ReadSettingNumberById(unsigned keyId, int number, std::int32_t* value);
// A write the file refuses gives kErrIniWrite, with its text as the extra text.
[[nodiscard]] Status WriteSettingNumber(const wchar_t* key, std::int32_t value);
[[nodiscard]] Status WriteSettingNumberById(unsigned keyId, int number, std::int32_t value);
// A null text removes the key.
[[nodiscard]] Status WriteSettingTextById(unsigned keyId, int number, const wchar_t* text);

// The order the user gave album `album`'s (0 or 1) photos, as
// PhotoOrderText keeps it: written from the album's records at once, since
// no other record keeps it; read back empty when there is none.
[[nodiscard]] Status WritePhotoOrder(int album);
std::u16string ReadPhotoOrder(int album);

// Reads every setting; a key name missing from the string table reads as
// empty, and the first such failure is returned.
[[nodiscard]] Status ReadAllSettings();
// Writes every setting from UserSettings and DisplayState, as after a panel
// in the program. The writes stop at the first the file refuses.
[[nodiscard]] Status WriteAllSettings();

// Groups of settings that a panel changes together.
enum SettingsGroup : unsigned {
    kSettingsAlbums = 1,   // album folder names
    kSettingsPhrases = 2,  // album and screen-saver phrases
    kSettingsFont = 4,     // phrase font and colours
    kSettingsMapping = 8,  // album of each monitor
    kSettingsLanguage = 16,
    kSettingsEffects = 32,  // playback effects and stitch modes
    kSettingsStorage = 64,  // albums and boards folders
    kSettingsPowerPlan = 128,
    kSettingsBoards = 256,  // matting board of each album
    kAllSettings = 511,
};
// Writes only the groups named, in the order WriteAllSettings writes them.
[[nodiscard]] Status WriteSettings(unsigned groups);
// The configuration screen writes after each panel only what that panel
// changed: a full write would also store the monitor mapping it made up for
// itself (album 1 everywhere) over the program's own. A panel notes what it
// changes; WriteChangedSettings writes those groups and forgets them.
void NoteSettingsChange(unsigned groups);
[[nodiscard]] Status WriteChangedSettings();
[[nodiscard]] Status WritePhrases();

// The in-memory fixes made after the read: an empty font name, a zero font
// size and zero colours get their defaults; the language flags are fixed.
void FixSettingsDefaults();

}  // namespace quorvel
