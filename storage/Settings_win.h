// The settings file: "Quorvel.ini" in the per-user folder, one section
// "Header", every key named in the string table. UserSettings is the
// in-memory copy; the file is read at every start-up sequence and written
// after a panel changed something.
#pragma once
#include <cstdint>

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
};

extern UserSettings* gUserSettings;

// The settings file's full path: userFolder + "\" + programName + ".ini".
void SettingsFilePath(wchar_t (&path)[kPathChars]);

[[nodiscard]] Status ReadSettingText(const wchar_t* file, const wchar_t* section, const wchar_t* key,
                                     wchar_t* buffer, int bufferBytes);
[[nodiscard]] Status ReadSettingTextById(unsigned keyId, wchar_t* buffer, int bufferBytes);
// Numbered keys (album or monitor number 1..6); number 0 uses the key as named.
[[nodiscard]] Status ReadSettingTextById(unsigned keyId, int number, wchar_t* buffer, int bufferBytes);
[[nodiscard]] Status ReadSettingNumber(const wchar_t* key, std::int32_t* value);
[[nodiscard]] Status ReadSettingNumberById(unsigned keyId, int number, std::int32_t* value);
Status WriteSettingNumber(const wchar_t* key, std::int32_t value);
Status WriteSettingNumberById(unsigned keyId, int number, std::int32_t value);
Status WriteSettingTextById(unsigned keyId, int number, const wchar_t* text);

void ReadAllSettings();
void WriteAllSettings();
void WritePhrases();

// The in-memory fixes made after the read: an empty font name, a zero font
// size and zero colours get their defaults; the language flags are fixed.
void FixSettingsDefaults();

}  // namespace quorvel
