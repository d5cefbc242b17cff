// The settings file: "Quorvel.ini" in the per-user folder, one section
// "Header", every key named in the string table. UserSettings is the
// in-memory copy; the file is read at every start-up sequence and written
// after a panel changed something.
#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "base/AppState_win.h"
#include "storage/StorageRules.h"

namespace quorvel {

constexpr int kAlbumCount = 2;
constexpr int kMaxMonitors = 6;
// An album folder's name, a phrase and an album's photos as the program
// keeps them: the first 70 photos of an album are shown.
constexpr int kAlbumFolderChars = static_cast<int>(kLongestAlbumFolderName) + 1;
constexpr int kPhraseChars = 200;
constexpr int kMaxPhotos = 70;

// The settings' values. The display keeps copies of some (each monitor's
// album, each album's effects and stitch mode, its phrase and colour, the
// phrase font): it takes them from here and gives them back before a write.
struct UserSettings {
    wchar_t albumsPath[kPathChars];
    wchar_t mattingsPath[kPathChars];
    wchar_t albumFolderName[kAlbumCount][kPathChars];
    wchar_t fontName[32];
    std::int32_t fontBold;
    std::int32_t fontItalic;
    std::int32_t fontSize;
    COLORREF fontColour[kAlbumCount];
    std::int32_t english;
    std::int32_t spanish;
    wchar_t phrase[kAlbumCount][kPhraseChars];
    wchar_t screenSaverPhrase[kPhraseChars];
    std::int16_t effects[kAlbumCount];
    std::int16_t stitchMode[kAlbumCount];
    std::int32_t useDefaultPowerPlan;
    // 1: photos are turned by their EXIF orientation as their cache copies
    // are made. Only read: the user sets it in the file.
    std::int32_t turnPhotosUpright;
    // 1 glides the viewport at the display's refresh rate between whole
    // pixels; missing or 0 keeps the one-pixel tick. Read only: the user sets it.
    std::int32_t smoothGlide;
    // The matting board of each album, a file name in the boards folder.
    wchar_t mattingFile[kAlbumCount][kPathChars];
    // The album each monitor shows: -1 none, 0 album 1, 1 album 2.
    std::int16_t monitorAlbum[kMaxMonitors];
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

// The order the user gave album `album`'s (0 or 1) photos, their cache file
// names as PhotoOrderText keeps them: written at once, since no other record
// keeps it; read back empty when there is none.
[[nodiscard]] Status WritePhotoOrder(int album, std::span<const std::u16string> names);
std::u16string ReadPhotoOrder(int album);

// Reads every setting; a key name missing from the string table reads as
// empty, and the first such failure is returned.
[[nodiscard]] Status ReadAllSettings();

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
// Writes the groups named from UserSettings, in the order of the groups; a
// phrase colour of 0 (none) is not written. The writes stop at the first the
// file refuses.
[[nodiscard]] Status WriteSettings(unsigned groups);
// The configuration screen writes after each panel only what that panel
// changed: a full write would also store the monitor mapping it made up for
// itself (album 1 everywhere) over the program's own. A panel notes what it
// changes; the groups noted are written together and then forgotten.
void NoteSettingsChange(unsigned groups);

// The in-memory fixes made after the read: an empty font name, a zero font
// size and zero colours get their defaults; the language flags are fixed.
void FixSettingsDefaults();

}  // namespace quorvel
