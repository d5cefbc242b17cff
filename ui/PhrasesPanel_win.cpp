#include "ui/PhrasesPanel_win.h"

#include <commdlg.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>

#include "display/DisplayState_win.h"
#include "base/ErrorReporter_win.h"
#include "base/Guards_win.h"
#include "base/Utilities_win.h"
#include "display/Frame_win.h"
#include "strip/Strip.h"
#include "storage/Settings_win.h"
#include "storage/SettingsFormat.h"
#include "ui/GroupBoxes_win.h"
#include "ui/Panel_win.h"
#include "ui/PreviewStrip_win.h"
#include "res/resource.h"

namespace quorvel {

namespace {

const wchar_t kModule[] = L"SayingsDlg";
constexpr ErrorSite kOpenSite{kModule, 78};
constexpr int kPhraseLimit = kPhraseChars - 1;

const GlyphButtonSpec kPhrasesButtons[] = {
    {IDC_UPDATE_PHRASE, IDB_BUTTON_UPDATE_PHRASE, 0x28},
    {IDC_SELECT_FONT, IDB_BUTTON_SELECT_FONT, 0xF03E},
    {IDC_UPDATE_SAVER_PHRASE, IDB_BUTTON_UPDATE_PHRASE, 0x29},
};
const int kPhrasesColoured[] = {IDC_REPOSITORY_GROUP, IDC_PHRASE_GROUP, IDC_SAVER_PHRASE_GROUP, IDC_FONT_GROUP,
                                IDC_LANGUAGE_GROUP,   IDC_ALBUM1_RADIO, IDC_ALBUM2_RADIO,       IDC_FONT_NAME};
const int kPhrasesGroups[] = {IDC_PHRASE_GROUP, IDC_SAVER_PHRASE_GROUP, IDC_FONT_GROUP};
const int kAlbumEdits[kAlbumCount] = {IDC_ALBUM1_PHRASE, IDC_ALBUM2_PHRASE};
const int kAlbumRadios[kAlbumCount] = {IDC_ALBUM1_RADIO, IDC_ALBUM2_RADIO};

// One opening's choices; the launcher's reopen starts them afresh.
struct PhrasesState {
    int album = 0;
    bool saverPreview = false;
};

AlbumView* ViewOf(int album) { return gDisplayState->albums[album].view; }

bool AlbumShown(int album) { return album == 0 || (gDisplayState->albums[album].inUse && ViewOf(album)); }

PreviewContent PreviewNow(const PhrasesState& phrases) {
    const AlbumView* view = ViewOf(phrases.album);
    if (phrases.saverPreview || gMode.role == Role::kConfigure)
        return {phrases.album, gUserSettings->screenSaverPhrase, DT_CENTER | DT_VCENTER | DT_SINGLELINE};
    return {phrases.album, view != nullptr ? view->phrase : L"", DT_CENTER | DT_VCENTER | DT_WORDBREAK};
}

Status RefreshPreview(HWND dialog, const PhrasesState& phrases) {
    if (Status s = BuildMattingTile(phrases.album); s != kOk) return s;
    InvalidateRect(GetDlgItem(dialog, IDC_PREVIEW_STRIP), nullptr, FALSE);
    return kOk;
}

// Switching albums is the one time an edit is loaded from the stored
// phrase: a refresh after the saver phrase or the font keeps what the user
// has typed so far.
Status ShowAlbum(HWND dialog, PhrasesState& phrases, int album) {
    phrases.album = album;
    phrases.saverPreview = false;
    SetDlgItemTextW(dialog, kAlbumEdits[album], ViewOf(album)->phrase);
    return RefreshPreview(dialog, phrases);
}

// The strip spans the dialog window 1 pixel in from each side, 35 to 136
// pixels below its top, but never beyond the client area: a thicker frame
// would otherwise hide its ends.
void PlaceStrip(HWND dialog, HWND strip) {
    RECT window, client;
    GetWindowRect(dialog, &window);
    GetClientRect(dialog, &client);
    POINT topLeft{window.left + 1, window.top + 35};
    POINT bottomRight{window.right - 1, window.top + 136};
    ScreenToClient(dialog, &topLeft);
    ScreenToClient(dialog, &bottomRight);
    topLeft.x = std::max<LONG>(topLeft.x, client.left);
    topLeft.y = std::max<LONG>(topLeft.y, client.top);
    bottomRight.x = std::min<LONG>(bottomRight.x, client.right);
    MoveWindow(strip, topLeft.x, topLeft.y, bottomRight.x - topLeft.x, bottomRight.y - topLeft.y, FALSE);
}

void ShowFontName(HWND dialog) { SetDlgItemTextW(dialog, IDC_FONT_NAME, gDisplayState->phraseLogFont.lfFaceName); }

Status InitialisePhrases(HWND dialog, PhrasesState& phrases) {
    phrases = {};
    if (Status s = PreparePreviewViews(); s != kOk) return s;
    HWND strip = GetDlgItem(dialog, IDC_PREVIEW_STRIP);
    if (strip == nullptr) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    PlaceStrip(dialog, strip);
    if (Status s = AttachPreviewStrip(strip, [&phrases] { return PreviewNow(phrases); }); s != kOk) return s;
    for (int album = 0; album < kAlbumCount; ++album) {
        SetDlgItemTextW(dialog, kAlbumRadios[album], gDisplayState->albums[album].folderName);
        SetDlgItemTextW(dialog, kAlbumEdits[album], ViewOf(album)->phrase);
        SendDlgItemMessageW(dialog, kAlbumEdits[album], EM_LIMITTEXT, kPhraseLimit, 0);
    }
    SetDlgItemTextW(dialog, IDC_SAVER_PHRASE, gUserSettings->screenSaverPhrase);
    SendDlgItemMessageW(dialog, IDC_SAVER_PHRASE, EM_LIMITTEXT, kPhraseLimit, 0);
    CheckRadioButton(dialog, IDC_ALBUM1_RADIO, IDC_ALBUM2_RADIO, IDC_ALBUM1_RADIO);
    wchar_t english[32];
    if (Status s = LoadText(IDS_LANGUAGE_ENGLISH, english, sizeof english); s != kOk) return s;
    SendDlgItemMessageW(dialog, IDC_LANGUAGE_LIST, CB_RESETCONTENT, 0, 0);
    SendDlgItemMessageW(dialog, IDC_LANGUAGE_LIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(english));
    SendDlgItemMessageW(dialog, IDC_LANGUAGE_LIST, CB_SETCURSEL, 0, 0);
    ShowFontName(dialog);
    if (!AlbumShown(1)) ShowWindow(GetDlgItem(dialog, IDC_ALBUM2_RADIO), SW_HIDE);
    if (gMode.role == Role::kConfigure) {
        for (int id : {IDC_PHRASE_GROUP, IDC_ALBUM1_PHRASE, IDC_ALBUM2_PHRASE, IDC_UPDATE_PHRASE, IDC_ALBUM1_RADIO,
                       IDC_ALBUM2_RADIO})
            ShowWindow(GetDlgItem(dialog, id), SW_HIDE);
        static const int kSaverGroup[] = {IDC_SAVER_PHRASE_GROUP, IDC_SAVER_PHRASE, IDC_UPDATE_SAVER_PHRASE};
        CloseHiddenGap(dialog, IDC_PHRASE_GROUP, kSaverGroup);
    }
    return RefreshPreview(dialog, phrases);
}

Status UpdatePhrase(HWND dialog, PhrasesState& phrases) {
    wchar_t text[kPhraseChars] = L"";
    GetDlgItemTextW(dialog, kAlbumEdits[phrases.album], text, kPhraseChars);
    SetAlbumPhrase(phrases.album, text, kPhraseLimit);
    NoteSettingsChange(kSettingsPhrases);
    phrases.saverPreview = false;
    return RefreshPreview(dialog, phrases);
}

Status UpdateSaverPhrase(HWND dialog, PhrasesState& phrases) {
    GetDlgItemTextW(dialog, IDC_SAVER_PHRASE, gUserSettings->screenSaverPhrase, kPhraseChars);
    NoteSettingsChange(kSettingsPhrases);
    phrases.saverPreview = true;
    return RefreshPreview(dialog, phrases);
}

Status SelectFont(HWND dialog, PhrasesState& phrases) {
    AlbumView* view = ViewOf(phrases.album);
    LOGFONTW font = gDisplayState->phraseLogFont;
    // The dialog shows the size it finds in the height at the screen's DPI,
    // not at the 96 the album windows' height is reckoned at; given the
    // height of the stored size at that DPI, OK without a change keeps it.
    const int points = std::abs(gUserSettings->fontSize);
    font.lfHeight = -MulDiv(points, GetDeviceCaps(WindowDc().get(), LOGPIXELSY), 72);
    CHOOSEFONTW choose = {};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = dialog;
    choose.lpLogFont = &font;
    choose.iPointSize = points * 10;
    choose.rgbColors = view->textColour;
    choose.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT | CF_LIMITSIZE;
    choose.nSizeMin = kSmallestFontSize;
    choose.nSizeMax = kLargestFontSize;
    Status status = kOk;
    if (ChooseFontW(&choose)) status = ApplyChosenFont(phrases.album, font, choose.iPointSize, choose.rgbColors);
    ShowFontName(dialog);
    if (status != kOk) return status;
    phrases.saverPreview = false;
    return RefreshPreview(dialog, phrases);
}

Status OnCommand(HWND dialog, PhrasesState& phrases, int id) {
    switch (id) {
        case IDOK:
            // Enter updates the phrase that is shown: in the configuration
            // screen only the saver's is.
            return gMode.role == Role::kConfigure ? UpdateSaverPhrase(dialog, phrases) : UpdatePhrase(dialog, phrases);
        case IDC_UPDATE_PHRASE: return UpdatePhrase(dialog, phrases);
        case IDC_UPDATE_SAVER_PHRASE: return UpdateSaverPhrase(dialog, phrases);
        case IDC_SELECT_FONT: return SelectFont(dialog, phrases);
        case IDC_ALBUM1_RADIO: return ShowAlbum(dialog, phrases, 0);
        case IDC_ALBUM2_RADIO: return ShowAlbum(dialog, phrases, 1);
        case IDCANCEL: EndPanel(dialog, 0); return kOk;
        default: return kOk;
    }
}

const PanelDescription<PhrasesState> kPhrases{.parts = {.largeTemplate = IDD_PHRASES,
                                                        .smallTemplate = IDD_PHRASES_SMALL,
                                                        .site = kOpenSite,
                                                        .panelRequest = kPanelPhrases,
                                                        .buttons = kPhrasesButtons,
                                                        .colouredControls = kPhrasesColoured,
                                                        .groupBoxes = kPhrasesGroups,
                                                        .helpFile = L"QuorvelHelpOverlayPhrases.bat",
                                                        .helpFlag = kHelpPhrases},
                                              .onInit = InitialisePhrases,
                                              .onCommand = OnCommand};

}  // namespace

Status ApplyChosenFont(int album, const LOGFONTW& chosen, int pointTenths, COLORREF colour) {
    if (gDisplayState == nullptr || gUserSettings == nullptr || album < 0 || album >= kAlbumCount ||
        ViewOf(album) == nullptr) {
        SetErrorLocation(QV_SITE(kModule));
        return kErrInvalidArgument;
    }
    ViewOf(album)->textColour = StoredPhraseColour(colour);
    gUserSettings->fontSize = ClampedFontSize((pointTenths + 5) / 10);
    LOGFONTW& font = gDisplayState->phraseLogFont;
    font = chosen;
    font.lfHeight = PhraseFontHeight(gUserSettings->fontSize);
    font.lfWidth = 0;
    NoteSettingsChange(kSettingsFont);
    return CreatePhraseFont();
}

Status OpenPhrasesPanel(HWND owner) {
    if (gAppState == nullptr || gUserSettings == nullptr || gDisplayState == nullptr)
        return Fail(kOpenSite, kErrInvalidArgument);
    PhrasesState phrases;
    return LaunchPanel(owner, kPhrases, phrases);
}

}  // namespace quorvel
