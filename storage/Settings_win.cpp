#include "storage/Settings_win.h"

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "base/ErrorReporter_win.h"
#include "base/Guards_win.h"
#include "storage/PhotoOrder.h"
#include "storage/SettingsFormat.h"
#include "base/Utilities_win.h"
#include "res/resource.h"

namespace quorvel {

UserSettings* gUserSettings = nullptr;

namespace {

const wchar_t kModule[] = L"settings";

// Locations the error log has always named.
constexpr ErrorSite kSettingsKeySite{L"utilities", 3232};

constexpr int kKeyChars = 64;

// Loads the key name of `keyId`, numbered for album or monitor `number`.
Status KeyName(unsigned keyId, int number, wchar_t (&key)[kKeyChars]) {
    if (Status s = LoadText(keyId, key, sizeof key); s != kOk) return s;
    if (number > 0) {
        const std::u16string numbered = NumberedKey(AsU16(key), number);
        wcsncpy(key, AsWide(numbered.c_str()), kKeyChars - 1);
        key[kKeyChars - 1] = L'\0';
    }
    return kOk;
}

Status Section(wchar_t (&section)[kKeyChars]) { return LoadText(IDS_INI_SECTION, section, sizeof section); }

// A write the file or the profile functions refuse: the text of
// kErrIniWrite is the failure's extra text.
Status RefusedWrite() {
    wchar_t message[kMessageChars];
    if (Status s = LoadText(kErrIniWrite, message, sizeof message); s != kOk) return s;
    return Fail(QV_SITE(kModule), kErrIniWrite, message);
}

// The profile functions keep Unicode text only in a file that starts with a
// UTF-16LE byte-order mark; a file they create themselves is ANSI and turns
// Greek or emoji into '?'. They also read ANSI, but no other form a user's
// editor may save: UTF-16 in the other byte order or without its mark, or
// UTF-8, read as nothing, and a write rewrites them as ANSI, every setting
// lost. So a file in such a form is converted to UTF-16LE with the mark
// before it is read, an ANSI file before the first write, and a missing file
// is created with the mark before the first write. The old file is kept as
// "Quorvel.ini.bak". Refused (kErrIniWrite) when the file must not be
// written: it is no text at all, or could not be converted.
Status PrepareSettingsFile(const wchar_t* path, bool forWrite) {
    FileHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    const bool exists = static_cast<bool>(file);
    // A missing file is made before a write; anything else wrong with it the
    // profile functions report themselves.
    if (!exists && (GetLastError() != ERROR_FILE_NOT_FOUND || !forWrite)) return kOk;
    std::vector<std::uint8_t> bytes;
    if (exists) {
        LARGE_INTEGER size = {};
        if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 16 * 1024 * 1024)
            return kOk;  // not a settings file; leave it to the profile functions
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        if (!bytes.empty() &&
            (!ReadFile(file.get(), bytes.data(), DWORD(bytes.size()), &read, nullptr) || read != bytes.size()))
            return kOk;
        file.reset();
    }
    const SettingsEncoding encoding = DetectSettingsEncoding(bytes);
    if (encoding == SettingsEncoding::kNotText) return RefusedWrite();
    if (encoding == SettingsEncoding::kUtf16Le || (encoding == SettingsEncoding::kAnsi && !forWrite)) return kOk;

    std::u16string text;
    if (encoding == SettingsEncoding::kAnsi) {
        const auto* ansi = reinterpret_cast<const char*>(bytes.data());
        const int n = bytes.empty() ? 0 : MultiByteToWideChar(CP_ACP, 0, ansi, int(bytes.size()), nullptr, 0);
        text.resize(n);
        if (n > 0) MultiByteToWideChar(CP_ACP, 0, ansi, int(bytes.size()), AsWide(text.data()), n);
    } else {
        text = SettingsFileText(bytes, encoding);
    }
    const std::wstring kept = std::wstring(path) + L".bak";
    if (!bytes.empty() && !CopyFileW(path, kept.c_str(), FALSE)) return RefusedWrite();
    // Written beside the file and moved over it, so a failure midway never
    // leaves a half-converted settings file.
    const std::wstring temp = std::wstring(path) + L".new";
    FileHandle out(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) return RefusedWrite();
    const unsigned char bom[2] = {0xFF, 0xFE};
    DWORD written = 0;
    BOOL ok = WriteFile(out.get(), bom, 2, &written, nullptr);
    if (ok && !text.empty()) ok = WriteFile(out.get(), text.data(), DWORD(text.size() * 2), &written, nullptr);
    out.reset();
    if (ok && MoveFileExW(temp.c_str(), path, MOVEFILE_REPLACE_EXISTING)) return kOk;
    DeleteFileW(temp.c_str());
    return RefusedWrite();
}

// A null value removes the key.
Status WriteValue(const wchar_t* key, const wchar_t* value) {
    if (gAppState == nullptr || key == nullptr) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    wchar_t section[kKeyChars];
    if (Status s = Section(section); s != kOk) return s;
    wchar_t path[kPathChars];
    SettingsFilePath(path);
    if (Status s = PrepareSettingsFile(path, true); s != kOk) return s;
    return WritePrivateProfileStringW(section, key, value, path) ? kOk : RefusedWrite();
}

// Before a group of writes: a file that cannot take them is refused once for
// the group, not once for each of its keys.
Status SettingsFileWritable() {
    if (gAppState == nullptr) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    wchar_t path[kPathChars];
    SettingsFilePath(path);
    return PrepareSettingsFile(path, true);
}

}  // namespace

void SettingsFilePath(wchar_t (&path)[kPathChars]) {
    swprintf(path, kPathChars, L"%ls\\%ls.ini", gAppState->userFolder, gAppState->programName);
}

Status ReadSettingText(const wchar_t* file, const wchar_t* section, const wchar_t* key, wchar_t* buffer,
                       int bufferBytes) {
    if (file == nullptr || section == nullptr || key == nullptr || buffer == nullptr || bufferBytes <= 1)
        return Fail(kSettingsKeySite, kErrInvalidArgument);
    const int chars = bufferBytes / 2;
    GetPrivateProfileStringW(section, key, L"", buffer, chars, file);
    const std::u16string_view trimmed = TrimLeadingBlanks(AsU16(buffer));
    if (trimmed.size() != std::char_traits<wchar_t>::length(buffer))
        wmemmove(buffer, buffer + (std::char_traits<wchar_t>::length(buffer) - trimmed.size()), trimmed.size() + 1);
    return buffer[0] == L'\0' ? kErrIniEntry : kOk;
}

Status ReadSettingTextById(unsigned keyId, int number, wchar_t* buffer, int bufferBytes) {
    if (buffer == nullptr || bufferBytes <= 1 || gAppState == nullptr)
        return Fail(kSettingsKeySite, kErrInvalidArgument);
    buffer[0] = L'\0';
    wchar_t key[kKeyChars];
    wchar_t section[kKeyChars];
    if (Status s = KeyName(keyId, number, key); s != kOk) return s;
    if (Status s = Section(section); s != kOk) return s;
    wchar_t path[kPathChars];
    SettingsFilePath(path);
    return ReadSettingText(path, section, key, buffer, bufferBytes);
}

Status ReadSettingTextById(unsigned keyId, wchar_t* buffer, int bufferBytes) {
    return ReadSettingTextById(keyId, 0, buffer, bufferBytes);
}

Status ReadSettingNumber(const wchar_t* key, std::int32_t* value) {
    if (value == nullptr || gAppState == nullptr) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    *value = 0;
    wchar_t section[kKeyChars];
    if (Status s = Section(section); s != kOk) return s;
    wchar_t path[kPathChars];
    SettingsFilePath(path);
    wchar_t text[64];
    if (Status s = ReadSettingText(path, section, key, text, sizeof text); s != kOk) return s;
    const SettingNumber n = ParseSettingNumber(AsU16(text));
    *value = n.value;
    return n.ok ? kOk : kErrIniEntry;
}

Status ReadSettingNumberById(unsigned keyId, int number, std::int32_t* value) {
    if (value == nullptr) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    *value = 0;
    wchar_t key[kKeyChars];
    if (Status s = KeyName(keyId, number, key); s != kOk) return s;
    return ReadSettingNumber(key, value);
}

Status WriteSettingNumber(const wchar_t* key, std::int32_t value) {
    const std::u16string text = FormatSettingNumber(value);
    return WriteValue(key, AsWide(text.c_str()));
}

Status WriteSettingNumberById(unsigned keyId, int number, std::int32_t value) {
    wchar_t key[kKeyChars];
    if (Status s = KeyName(keyId, number, key); s != kOk) return s;
    return WriteSettingNumber(key, value);
}

Status WriteSettingTextById(unsigned keyId, int number, const wchar_t* text) {
    wchar_t key[kKeyChars];
    if (Status s = KeyName(keyId, number, key); s != kOk) return s;
    return WriteValue(key, text);
}

Status WritePhotoOrder(int album, std::span<const std::u16string> names) {
    if (album < 0 || album >= kAlbumCount) return Fail(kSettingsKeySite, kErrInvalidArgument);
    const std::u16string text = PhotoOrderText(names);
    return WriteSettingTextById(IDS_KEY_PHOTO_ORDER, album + 1, AsWide(text.c_str()));
}

std::u16string ReadPhotoOrder(int album) {
    // Room for every photo's cache file name and its separator.
    std::vector<wchar_t> text(static_cast<std::size_t>(kMaxPhotos) * (kPathChars + 1), L'\0');
    if (ReadSettingTextById(IDS_KEY_PHOTO_ORDER, album + 1, text.data(),
                            static_cast<int>(text.size() * sizeof(wchar_t))) != kOk)
        return {};
    return AsU16(text.data());
}

namespace {

// The settings section, read once: the start reads some thirty keys, and each
// GetPrivateProfileString opens the file again. Values are read from it as
// that function reads them, into the same buffers. A name the string table
// lacks reads as empty, and the first such failure is kept.
class SectionReader {
public:
    SectionReader() {
        wchar_t section[kKeyChars], path[kPathChars];
        if ((failure_ = Section(section)) != kOk) return;
        SettingsFilePath(path);
        // A file that cannot be converted is read as the profile functions
        // read it; the first write refuses it, and the user is told then.
        if (PrepareSettingsFile(path, false) != kOk) gErrorLocation = {};
        // The section is as long as its photo orders allow; the buffer grows
        // until it holds it all (a full buffer returns its size less 2).
        for (DWORD chars = 1 << 15; chars <= (1u << 24); chars *= 4) {
            text_.assign(chars, u'\0');
            const DWORD got = GetPrivateProfileSectionW(section, AsWide(text_.data()), chars, path);
            if (got + 2 < chars) {
                text_.resize(got);
                return;
            }
        }
        text_.clear();
    }

    Status Failure() const { return failure_; }

    void Text(unsigned keyId, int number, wchar_t* buffer, int bufferBytes) {
        buffer[0] = L'\0';
        wchar_t key[kKeyChars];
        if (Status s = KeyName(keyId, number, key); s != kOk) {
            if (failure_ == kOk) failure_ = s;
            return;
        }
        const std::u16string value = ProfileSectionValue(text_, AsU16(key)).value_or(u"");
        const std::u16string_view trimmed =
            TrimLeadingBlanks(std::u16string_view(value).substr(0, static_cast<std::size_t>(bufferBytes / 2 - 1)));
        std::copy(trimmed.begin(), trimmed.end(), AsU16(buffer));
        buffer[trimmed.size()] = L'\0';
    }
    void Text(unsigned keyId, wchar_t* buffer, int bufferBytes) { Text(keyId, 0, buffer, bufferBytes); }

    void Number(unsigned keyId, int number, std::int32_t* value) {
        wchar_t text[64];
        Text(keyId, number, text, sizeof text);
        *value = ParseSettingNumber(AsU16(text)).value;
    }

private:
    std::u16string text_;
    Status failure_ = kOk;
};

}  // namespace

Status ReadAllSettings() {
    UserSettings* s = gUserSettings;
    if (s == nullptr || gAppState == nullptr) return kOk;
    std::int32_t n = 0;
    SectionReader read;

    read.Text(IDS_KEY_ALBUMS_PATH, s->albumsPath, sizeof s->albumsPath);
    for (int a = 0; a < 2; ++a)
        read.Text(IDS_KEY_ALBUM_FOLDER, a + 1, s->albumFolderName[a], sizeof s->albumFolderName[a]);
    read.Text(IDS_KEY_MATTINGS_PATH, s->mattingsPath, sizeof s->mattingsPath);
    for (int a = 0; a < 2; ++a) read.Text(IDS_KEY_MATTING, a + 1, s->mattingFile[a], sizeof s->mattingFile[a]);
    for (int a = 0; a < 2; ++a) read.Text(IDS_KEY_USER_SAYING, a + 1, s->phrase[a], sizeof s->phrase[a]);
    read.Text(IDS_KEY_SAVER_SAYING, s->screenSaverPhrase, sizeof s->screenSaverPhrase);
    read.Text(IDS_KEY_FONT_NAME, s->fontName, sizeof s->fontName);

    // The user's to edit: a size the font dialog would not offer is held to
    // its range before anything multiplies it.
    read.Number(IDS_KEY_FONT_SIZE, 0, &n);
    s->fontSize = ClampedFontSize(n);
    read.Number(IDS_KEY_FONT_BOLD, 0, &s->fontBold);
    read.Number(IDS_KEY_FONT_ITALIC, 0, &s->fontItalic);
    for (int a = 0; a < 2; ++a) {
        read.Number(IDS_KEY_FONT_COLOR, a + 1, &n);
        s->fontColour[a] = static_cast<COLORREF>(n);
    }
    for (int m = 0; m < kMaxMonitors; ++m) {
        read.Number(IDS_KEY_MONITOR, m + 1, &n);
        s->monitorAlbum[m] = MonitorAlbumIndex(n);
    }
    read.Number(IDS_KEY_ENGLISH, 0, &s->english);
    read.Number(IDS_KEY_SPANISH, 0, &s->spanish);
    for (int a = 0; a < 2; ++a) {
        read.Number(IDS_KEY_EFFECTS, a + 1, &n);
        s->effects[a] = static_cast<std::int16_t>(n);
    }
    for (int a = 0; a < 2; ++a) {
        read.Number(IDS_KEY_STITCH_MODE, a + 1, &n);
        s->stitchMode[a] = static_cast<std::int16_t>(n);
    }
    read.Number(IDS_KEY_DEFAULT_POWER_PLAN, 0, &s->useDefaultPowerPlan);
    read.Number(IDS_KEY_TURN_UPRIGHT, 0, &s->turnPhotosUpright);
    read.Number(IDS_KEY_SMOOTH_GLIDE, 0, &s->smoothGlide);
    return read.Failure();
}

void FixSettingsDefaults() {
    UserSettings* s = gUserSettings;
    if (s == nullptr) return;
    if (s->fontName[0] == L'\0') wcscpy(s->fontName, L"Milano LET");
    if (s->fontSize == 0) s->fontSize = -72;
    s->english = 1;
    s->spanish = 0;
    if (s->fontColour[0] == 0) s->fontColour[0] = 0xFF0000;
    if (s->fontColour[1] == 0) s->fontColour[1] = 0x00FF00;
}

namespace {

// A key's value as the file holds it.
struct SettingValue {
    unsigned keyId;
    int number;
    std::u16string text;
};
using SettingValues = std::vector<SettingValue>;

void AddText(SettingValues& values, unsigned keyId, int number, const wchar_t* text) {
    values.push_back({keyId, number, AsU16(text)});
}

void AddNumber(SettingValues& values, unsigned keyId, int number, std::int32_t value) {
    values.push_back({keyId, number, FormatSettingNumber(value)});
}

}  // namespace

Status WriteSettings(unsigned groups) {
    UserSettings* s = gUserSettings;
    if (s == nullptr || groups == 0) return kOk;
    if (Status st = SettingsFileWritable(); st != kOk) return st;
    SettingValues values;
    if (groups & kSettingsAlbums)
        for (int a = 0; a < 2; ++a) AddText(values, IDS_KEY_ALBUM_FOLDER, a + 1, s->albumFolderName[a]);
    if (groups & kSettingsPhrases) {
        for (int a = 0; a < 2; ++a) AddText(values, IDS_KEY_USER_SAYING, a + 1, s->phrase[a]);
        AddText(values, IDS_KEY_SAVER_SAYING, 0, s->screenSaverPhrase);
    }
    if (groups & kSettingsFont) {
        for (int a = 0; a < 2; ++a)
            if (s->fontColour[a] != 0)
                AddNumber(values, IDS_KEY_FONT_COLOR, a + 1, static_cast<std::int32_t>(s->fontColour[a]));
        AddText(values, IDS_KEY_FONT_NAME, 0, s->fontName);
        AddNumber(values, IDS_KEY_FONT_BOLD, 0, s->fontBold);
        AddNumber(values, IDS_KEY_FONT_ITALIC, 0, s->fontItalic);
        AddNumber(values, IDS_KEY_FONT_SIZE, 0, s->fontSize);
    }
    if (groups & kSettingsMapping)
        for (int m = 0; m < kMaxMonitors; ++m) AddNumber(values, IDS_KEY_MONITOR, m + 1, s->monitorAlbum[m] + 1);
    if (groups & kSettingsLanguage) {
        AddNumber(values, IDS_KEY_ENGLISH, 0, s->english);
        AddNumber(values, IDS_KEY_SPANISH, 0, s->spanish);
    }
    if (groups & kSettingsEffects)
        for (int a = 0; a < 2; ++a) {
            AddNumber(values, IDS_KEY_EFFECTS, a + 1, s->effects[a]);
            AddNumber(values, IDS_KEY_STITCH_MODE, a + 1, s->stitchMode[a]);
        }
    if (groups & kSettingsStorage) AddText(values, IDS_KEY_ALBUMS_PATH, 0, s->albumsPath);
    if (groups & kSettingsPowerPlan) AddNumber(values, IDS_KEY_DEFAULT_POWER_PLAN, 0, s->useDefaultPowerPlan);
    if (groups & kSettingsStorage) AddText(values, IDS_KEY_MATTINGS_PATH, 0, s->mattingsPath);
    if (groups & kSettingsBoards)
        for (int a = 0; a < 2; ++a) AddText(values, IDS_KEY_MATTING, a + 1, s->mattingFile[a]);
    // The values in order; the first the file refuses ends the writes.
    for (const SettingValue& value : values)
        if (Status st = WriteSettingTextById(value.keyId, value.number, AsWide(value.text.c_str())); st != kOk)
            return st;
    return kOk;
}

void NoteSettingsChange(unsigned groups) {
    if (gAppState != nullptr) gAppState->settingsChanged |= groups;
}

}  // namespace quorvel
