// The settings file through the real profile functions.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "base/ErrorReporter_win.h"
#include "storage/Settings_win.h"
#include "res/resource.h"
#include "tests/win/BoxWatcher.h"
#include "tests/win/TestState.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

std::wstring Ini(std::initializer_list<const wchar_t*> lines) {
    std::wstring text = L"[Header]\r\n";
    for (const wchar_t* l : lines) text += std::wstring(l) + L"\r\n";
    return text;
}

std::wstring ReadRaw(const std::wstring& file, const wchar_t* key) {
    wchar_t value[400] = L"";
    GetPrivateProfileStringW(L"Header", key, L"<missing>", value, 400, file.c_str());
    return value;
}

}  // namespace

TEST(ReadAllSettings, MissingOrBlankValuesGetTheirDefaultsAfterStartUp) {
    ProcessRecords records;
    ASSERT_TRUE(WriteUtf16File(records.settingsFile(),
                               Ini({L"CurrentUserSaying1=  ALL IS WELL!", L"FontSize=0", L"English=0", L"Spanish=1",
                                    L"Monitor3=2", L"Monitor2=0", L"FontColor1=0", L"FontColor2=255"})));
    EXPECT_EQ(ReadAllSettings(), kOk);
    FixSettingsDefaults();
    EXPECT_STREQ(gUserSettings->fontName, L"Milano LET");
    EXPECT_STREQ(gUserSettings->phrase[0], L"ALL IS WELL!");
    EXPECT_EQ(gUserSettings->fontSize, -72);
    EXPECT_EQ(gUserSettings->english, 1);
    EXPECT_EQ(gUserSettings->spanish, 0);
    EXPECT_EQ(gUserSettings->monitorAlbum[2], 1);
    EXPECT_EQ(gUserSettings->monitorAlbum[1], -1);
    EXPECT_EQ(gUserSettings->monitorAlbum[5], -1);  // missing key
    EXPECT_EQ(gUserSettings->fontColour[0], 0xFF0000u);
    EXPECT_EQ(gUserSettings->fontColour[1], 255u);
}

// The start reads the section once; each value must still read as the
// profile function reads it on its own.
TEST(ReadAllSettings, ReadsEachValueAsGetPrivateProfileStringDoes) {
    ProcessRecords records;
    ASSERT_TRUE(WriteUtf16File(records.settingsFile(),
                               Ini({L"CurrentUserSaying1 =  \"ALL IS WELL!\"  ", L"currentusersaying2='I GOT THIS!\"",
                                    L"FontName=\t'Georgia'", L"FontSize= 12 ", L"FontSize=40"})));
    EXPECT_EQ(ReadAllSettings(), kOk);
    EXPECT_STREQ(gUserSettings->phrase[0], L"ALL IS WELL!");
    EXPECT_EQ(gUserSettings->phrase[0], ReadRaw(records.settingsFile(), L"CurrentUserSaying1"));
    EXPECT_EQ(gUserSettings->phrase[1], ReadRaw(records.settingsFile(), L"CurrentUserSaying2"));
    EXPECT_EQ(gUserSettings->fontName, ReadRaw(records.settingsFile(), L"FontName"));
    EXPECT_EQ(gUserSettings->fontSize, 12);
}

TEST(ReadAllSettings, NoFontSizeKeyGivesMinus72AndNoFileReadsEmpty) {
    ProcessRecords records;
    EXPECT_EQ(ReadAllSettings(), kOk);  // no file at all
    FixSettingsDefaults();
    EXPECT_EQ(gUserSettings->fontSize, -72);
    EXPECT_STREQ(gUserSettings->albumsPath, L"");
    EXPECT_EQ(gUserSettings->stitchMode[0], 0);
}

TEST(ReadAllSettings, NumbersAreTruncatedAndEveryKeyLandsInItsField) {
    ProcessRecords records;
    ASSERT_TRUE(WriteUtf16File(
        records.settingsFile(),
        Ini({L"FontSize=72.9", L"CurrentAlbumFolderName1=Autumn", L"CurrentAlbumFolderName2=Coast",
             L"AlbumsPath=D:\\Albums", L"MattingsPath=D:\\Boards", L"CurrentMatting1=05.jpg",
             L"CurrentMatting2=sox.jpg", L"ScreenSaverSaying=OUT TO LUNCH UNTIL 2:00", L"FontName=Georgia",
             L"FontBold=1", L"FontItalic=1", L"CurrentEffects1=3", L"CurrentEffects2=1", L"CurrentStitchMode1=2",
             L"CurrentStitchMode2=0", L"UseDefaultPowerPlan=1", L"Monitor1=1", L"Monitor6=2"})));
    EXPECT_EQ(ReadAllSettings(), kOk);
    EXPECT_EQ(gUserSettings->fontSize, 72);
    EXPECT_STREQ(gUserSettings->albumFolderName[0], L"Autumn");
    EXPECT_STREQ(gUserSettings->albumFolderName[1], L"Coast");
    EXPECT_STREQ(gUserSettings->albumsPath, L"D:\\Albums");
    EXPECT_STREQ(gUserSettings->mattingsPath, L"D:\\Boards");
    EXPECT_STREQ(gUserSettings->mattingFile[0], L"05.jpg");
    EXPECT_STREQ(gUserSettings->mattingFile[1], L"sox.jpg");
    EXPECT_STREQ(gUserSettings->screenSaverPhrase, L"OUT TO LUNCH UNTIL 2:00");
    EXPECT_STREQ(gUserSettings->fontName, L"Georgia");
    EXPECT_EQ(gUserSettings->fontBold, 1);
    EXPECT_EQ(gUserSettings->fontItalic, 1);
    EXPECT_EQ(gUserSettings->effects[0], 3);
    EXPECT_EQ(gUserSettings->effects[1], 1);
    EXPECT_EQ(gUserSettings->stitchMode[0], 2);
    EXPECT_EQ(gUserSettings->stitchMode[1], 0);
    EXPECT_EQ(gUserSettings->useDefaultPowerPlan, 1);
    EXPECT_EQ(gUserSettings->monitorAlbum[0], 0);
    EXPECT_EQ(gUserSettings->monitorAlbum[5], 1);
}

// The size is the user's to edit: one the font dialog does not offer is
// held to its 8 to 72 points as it is read, never multiplied out of range.
TEST(ReadAllSettings, AFontSizeTheFontDialogDoesNotOfferIsHeldToItsRange) {
    ProcessRecords records;
    const std::pair<const wchar_t*, std::int32_t> sizes[] = {{L"FontSize=2000000000", 72},
                                                             {L"FontSize=-1e30", -72},
                                                             {L"FontSize=300", 72},
                                                             {L"FontSize=3", 8},
                                                             {L"FontSize=40", 40}};
    for (const auto& [line, size] : sizes) {
        ASSERT_TRUE(WriteUtf16File(records.settingsFile(), Ini({line})));
        EXPECT_EQ(ReadAllSettings(), kOk);
        EXPECT_EQ(gUserSettings->fontSize, size) << line;
    }
}

// A monitor's value is an album number, 1 or 2; anything else a user or
// another tool wrote there names no album, however large.
TEST(ReadAllSettings, AMonitorValueThatNamesNoAlbumLeavesTheMonitorWithout) {
    ProcessRecords records;
    ASSERT_TRUE(WriteUtf16File(records.settingsFile(),
                               Ini({L"Monitor1=-1e30", L"Monitor2=65538", L"Monitor3=1e30", L"Monitor4=3"})));
    EXPECT_EQ(ReadAllSettings(), kOk);
    for (int m = 0; m < 4; ++m) EXPECT_EQ(gUserSettings->monitorAlbum[m], -1) << "Monitor" << m + 1;
}

TEST(WriteSettings, GreekAndEmojiPhrasesSurviveAWriteAndARead) {
    ProcessRecords records;
    const wchar_t greek[] = L"\u039a\u03b1\u03bb\u03b7\u03bc\u03ad\u03c1\u03b1 \u03ba\u03cc\u03c3\u03bc\u03b5";
    const wchar_t emoji[] = L"Calm \U0001F333\U0001F30A \u65e5\u672c";
    wcscpy(gUserSettings->phrase[0], greek);
    wcscpy(gUserSettings->phrase[1], emoji);
    ASSERT_EQ(WriteSettings(kSettingsPhrases), kOk);
    const std::string bytes = ReadBytes(records.settingsFile());
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");  // created as UTF-16LE
    gUserSettings->phrase[0][0] = gUserSettings->phrase[1][0] = L'\0';
    EXPECT_EQ(ReadAllSettings(), kOk);
    EXPECT_STREQ(gUserSettings->phrase[0], greek);
    EXPECT_STREQ(gUserSettings->phrase[1], emoji);
}

// A settings file a user's editor saved in another form of text: the start
// reads its settings, a phrase update keeps them all beside the new phrase,
// and the file as it was is kept. A file that is no text is never written.
TEST(WriteSettings, EveryFormOfTextKeepsItsSettingsAndTheOldFileIsKept) {
    const std::wstring lines =
        L"[Header]\r\nFontName=Georgia\r\nCurrentMatting1=sox.jpg\r\nScreenSaverSaying=Back at 3\r\n";
    std::string bigEndian = "\xFE\xFF", littleEndian, ansi;
    for (wchar_t c : lines) {
        bigEndian += {'\0', static_cast<char>(c)};
        littleEndian += {static_cast<char>(c), '\0'};
        ansi += static_cast<char>(c);
    }
    const std::pair<const char*, std::string> files[] = {
        {"UTF-16BE", bigEndian}, {"UTF-16LE without its mark", littleEndian}, {"ANSI", ansi}};
    const wchar_t greek[] = L"\u0393\u03b5\u03b9\u03ac";
    for (const auto& [form, bytes] : files) {
        SCOPED_TRACE(form);
        ProcessRecords records;
        const std::wstring file = records.settingsFile();
        ASSERT_TRUE(WriteBytes(file, bytes));
        EXPECT_EQ(ReadAllSettings(), kOk);
        EXPECT_STREQ(gUserSettings->fontName, L"Georgia");
        wcscpy(gUserSettings->phrase[0], greek);
        ASSERT_EQ(WriteSettings(kSettingsPhrases), kOk);
        EXPECT_EQ(ReadRaw(file, L"CurrentUserSaying1"), greek);
        EXPECT_EQ(ReadRaw(file, L"ScreenSaverSaying"), L"Back at 3");
        EXPECT_EQ(ReadRaw(file, L"FontName"), L"Georgia");
        EXPECT_EQ(ReadRaw(file, L"CurrentMatting1"), L"sox.jpg");
        EXPECT_EQ(ReadBytes(file + L".bak"), bytes);
    }

    ProcessRecords records;
    const std::wstring file = records.settingsFile();
    const std::string photo("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00", 14);
    ASSERT_TRUE(WriteBytes(file, photo));
    EXPECT_EQ(ReadAllSettings(), kOk);
    BoxWatcher boxes;
    const Status refused = WriteSettings(kSettingsPhrases);
    EXPECT_EQ(refused, kErrIniWrite);
    ShowError(refused);
    EXPECT_EQ(ReadBytes(file), photo);
    EXPECT_EQ(boxes.Boxes().size(), 1u) << "one refusal for the phrases together";
    EXPECT_EQ(GetFileAttributesW((file + L".bak").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(WriteSettings, ZeroColourIsNotWrittenBack) {
    ProcessRecords records;
    ASSERT_TRUE(WriteUtf16File(records.settingsFile(), Ini({L"FontColor1=16711680"})));
    AlbumView view = {};
    view.textColour = 0;
    gDisplayState->albums[0].view = &view;
    ASSERT_EQ(SaveSettings(kAllSettings), kOk);
    gDisplayState->albums[0].view = nullptr;
    EXPECT_EQ(ReadRaw(records.settingsFile(), L"FontColor1"), L"16711680");
}

// The configuration screen makes up its own mapping (album 1 on every
// monitor); a panel there that changed only the boards must not store it.
TEST(WriteSettings, AfterAPanelOnlyTheGroupsItChangedAreWritten) {
    ProcessRecords records;
    ASSERT_TRUE(WriteUtf16File(records.settingsFile(), Ini({L"Monitor2=2", L"CurrentMatting1=old.jpg"})));
    DisplayState& d = *gDisplayState;
    for (int m = 0; m < kMaxMonitors; ++m) d.monitors[m].album = 0;
    wcscpy(gUserSettings->mattingFile[0], L"new.jpg");
    NoteSettingsChange(kSettingsBoards);
    ASSERT_EQ(SaveChangedSettings(), kOk);
    EXPECT_EQ(ReadRaw(records.settingsFile(), L"CurrentMatting1"), L"new.jpg");
    EXPECT_EQ(ReadRaw(records.settingsFile(), L"Monitor2"), L"2");
    wcscpy(gUserSettings->mattingFile[0], L"newer.jpg");
    ASSERT_EQ(SaveChangedSettings(), kOk);
    EXPECT_EQ(ReadRaw(records.settingsFile(), L"CurrentMatting1"), L"new.jpg") << "the change was written once";
}

TEST(WriteSettings, WriteAllWritesEveryKeyAndReadsBackTheSame) {
    ProcessRecords records;
    UserSettings& s = *gUserSettings;
    wcscpy(s.albumsPath, L"C:\\Albums");
    wcscpy(s.mattingsPath, L"C:\\Boards");
    wcscpy(s.fontName, L"Arial");
    s.fontSize = 72;
    s.english = 1;
    wcscpy(s.phrase[0], L"ALL IS WELL!");
    wcscpy(s.phrase[1], L"I GOT THIS!");
    wcscpy(s.screenSaverPhrase, L"OUT TO LUNCH UNTIL 2:00");
    s.useDefaultPowerPlan = 1;
    DisplayState& d = *gDisplayState;
    wcscpy(d.albums[0].folderName, L"DefaultAlbum1");
    wcscpy(d.albums[1].folderName, L"DefaultAlbum2");
    wcscpy(gUserSettings->mattingFile[0], L"01.jpg");
    wcscpy(gUserSettings->mattingFile[1], L"02.jpg");
    d.albums[0].stitchMode = 1;
    d.albums[1].stitchMode = 2;
    d.albums[1].effectsEnabled = 5;
    for (int m = 0; m < kMaxMonitors; ++m) d.monitors[m].album = -1;
    d.monitors[1].album = 1;
    ASSERT_EQ(SaveSettings(kAllSettings), kOk);

    const std::wstring file = records.settingsFile();
    EXPECT_EQ(ReadRaw(file, L"CurrentAlbumFolderName1"), L"DefaultAlbum1");
    EXPECT_EQ(ReadRaw(file, L"CurrentAlbumFolderName2"), L"DefaultAlbum2");
    EXPECT_EQ(ReadRaw(file, L"CurrentUserSaying2"), L"I GOT THIS!");
    EXPECT_EQ(ReadRaw(file, L"FontName"), L"Arial");
    EXPECT_EQ(ReadRaw(file, L"FontSize"), L"72");
    EXPECT_EQ(ReadRaw(file, L"Monitor1"), L"0");
    EXPECT_EQ(ReadRaw(file, L"Monitor2"), L"2");
    EXPECT_EQ(ReadRaw(file, L"Monitor6"), L"0");
    EXPECT_EQ(ReadRaw(file, L"CurrentStitchMode2"), L"2");
    EXPECT_EQ(ReadRaw(file, L"CurrentEffects2"), L"5");
    EXPECT_EQ(ReadRaw(file, L"UseDefaultPowerPlan"), L"1");
    EXPECT_EQ(ReadRaw(file, L"CurrentMatting2"), L"02.jpg");
    EXPECT_EQ(ReadRaw(file, L"ScreenSaverSaying"), L"OUT TO LUNCH UNTIL 2:00");
    EXPECT_EQ(ReadRaw(file, L"English"), L"1");
    EXPECT_EQ(ReadRaw(file, L"Spanish"), L"0");

    UserSettings before = s;
    std::memset(&s, 0, sizeof s);
    EXPECT_EQ(ReadAllSettings(), kOk);
    EXPECT_STREQ(s.albumFolderName[1], before.albumFolderName[1]);
    EXPECT_STREQ(s.mattingsPath, before.mattingsPath);
    EXPECT_EQ(s.stitchMode[1], 2);
    EXPECT_EQ(gUserSettings->monitorAlbum[1], 1);
}

// The write shows nothing itself; the caller's report shows the text.
TEST(WriteSettings, ARefusedWriteReturns10061WithItsTextAndItsReportShowsIt) {
    ProcessRecords records;
    // A settings "file" that is a folder cannot be written.
    CreateDirectoryW(records.settingsFile().c_str(), nullptr);
    BoxWatcher boxes;
    const Status refused = WriteSettingTextById(IDS_KEY_FONT_NAME, 0, L"Arial");
    EXPECT_EQ(refused, kErrIniWrite);
    const std::wstring extra = gErrorLocation.extraText;
    EXPECT_TRUE(boxes.Boxes().empty());
    // The box is modal on this thread: the watcher has seen it when the report returns.
    ShowError(refused);
    const auto seen = boxes.Boxes();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, L"Quorvel.ini not found in C:\\Users\\CurrentUserName\\AppData\\Local\\Fenwold\\Quorvel");
    EXPECT_EQ(extra, seen[0].text);
}

TEST(ReadSettingText, BadArgumentsGive10001) {
    ProcessRecords records;
    wchar_t buffer[8];
    EXPECT_EQ(ReadSettingText(nullptr, L"Header", L"FontName", buffer, sizeof buffer), kErrInvalidArgument);
    EXPECT_EQ(ReadSettingText(L"x.ini", L"Header", L"FontName", buffer, 0), kErrInvalidArgument);
    EXPECT_STREQ(gErrorLocation.sourceName, L"utilities");
    EXPECT_EQ(gErrorLocation.line, 3232);
    EXPECT_EQ(ReadSettingTextById(IDS_KEY_FONT_NAME, buffer, sizeof buffer), kErrIniEntry);
}

// A regular font written after a panel reads back regular at the next start.
TEST(WriteSettings, ARegularPhraseFontIsNotStoredAsBold) {
    ProcessRecords records;
    DisplayState& d = *gDisplayState;
    wcscpy(d.phraseLogFont.lfFaceName, L"Arial");
    d.phraseLogFont.lfWeight = FW_NORMAL;
    d.phraseFont = CreateFontIndirectW(&d.phraseLogFont);
    ASSERT_EQ(SaveSettings(kSettingsFont), kOk);
    EXPECT_EQ(ReadRaw(records.settingsFile(), L"FontBold"), L"0");
    d.phraseLogFont.lfWeight = FW_SEMIBOLD;
    ASSERT_EQ(SaveSettings(kSettingsFont), kOk);
    EXPECT_EQ(ReadRaw(records.settingsFile(), L"FontBold"), L"1");
    DeleteObject(d.phraseFont);
    d.phraseFont = nullptr;
}
