// The panel machinery on real resources: the templates and bitmaps compiled
// into this test program from the program's resource script.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "base/Guards_win.h"
#include "ui/DialogTemplate.h"
#include "ui/Panel_win.h"
#include "ui/GlyphDraw_win.h"
#include "ui/GroupBoxes_win.h"
#include "ui/Home_win.h"
#include "res/resource.h"
#include "display/Monitors_win.h"
#include "tests/win/PanelScript.h"
#include "tests/win/TestState.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

std::vector<std::uint8_t> DialogResource(int id) {
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(id), RT_DIALOG);
    if (found == nullptr) return {};
    const auto* bytes = static_cast<const std::uint8_t*>(LockResource(LoadResource(self, found)));
    return std::vector<std::uint8_t>(bytes, bytes + SizeofResource(self, found));
}

// What a dialog opened through OpenPanelTemplate saw of itself.
struct Seen {
    int openings = 0;
    LOGFONTW font = {};
    std::wstring title;
};
Seen gSeen;

void Record(HWND dialog) {
    ++gSeen.openings;
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    GetObjectW(font, sizeof gSeen.font, &gSeen.font);
    wchar_t title[100] = L"";
    GetWindowTextW(dialog, title, 100);
    gSeen.title = title;
}

INT_PTR CALLBACK RecordingProcedure(HWND dialog, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITDIALOG) return FALSE;
    Record(dialog);
    EndDialog(dialog, 40 + gSeen.openings);
    return TRUE;
}

// A panel that asks to be reopened once, as after a DPI change.
Status RecordAndEnd(HWND dialog, NoPanelState&) {
    Record(dialog);
    if (gSeen.openings == 1)
        ReopenPanel(dialog);
    else
        EndPanel(dialog, 40 + gSeen.openings);
    return kOk;
}

class Panels : public ::testing::Test {
protected:
    void SetUp() override {
        wcscpy(gAppState->tempFolder, records.root.Path().c_str());
        gAppState->backgroundColour = 0x502428;
        gAppState->backgroundBrush = CreateSolidBrush(0x502428);
        gAppState->textColour = 0x5CD6B9;
        gAppState->glyphColour = 0xD712DC;
        gAppState->glyphHotColour = 0xFF12DC;
        gAppState->appIcon = LoadIconW(nullptr, IDI_APPLICATION);
        FillButtonPalette();
        gSeen = {};
    }
    void TearDown() override {
        DeleteObject(gAppState->backgroundBrush);
        for (HFONT& f : gAppState->glyphFonts) {
            if (f != nullptr) DeleteObject(f);
            f = nullptr;
        }
    }
    ProcessRecords records;
};

std::u16string FaceOf(const std::vector<std::uint8_t>& t, std::size_t at) {
    std::u16string s;
    for (; t[at] | t[at + 1]; at += 2) s.push_back(static_cast<char16_t>(t[at] | (t[at + 1] << 8)));
    return s;
}

TEST_F(Panels, RewritesTheFontOfTheRealTemplates) {
    for (int id : {IDD_HOME, IDD_HOME_SMALL, IDD_ABOUT, IDD_ABOUT_SMALL}) {
        const auto resource = DialogResource(id);
        ASSERT_FALSE(resource.empty()) << id;
        std::vector<std::uint8_t> copy;
        ASSERT_EQ(RewriteTemplateFont(resource.data(), resource.size(), 17, copy), FontRewrite::Rewritten) << id;
        // windres wrote "Segoe UI" itself: same length, only the size differs.
        ASSERT_EQ(copy.size(), resource.size());
        std::size_t differing = 0, at = 0;
        for (std::size_t i = 0; i < copy.size(); ++i)
            if (copy[i] != resource[i]) ++differing, at = i;
        EXPECT_EQ(differing, 1u) << id;
        EXPECT_EQ(copy[at], 17);
        EXPECT_EQ(FaceOf(copy, (at & ~std::size_t{1}) + 6), u"Segoe UI") << id;
    }
}

TEST_F(Panels, OpensTheTemplateWithTheNewFontAndReopensOnRequest) {
    gMode.currentDpi = 96;
    int patched = 0;
    EXPECT_EQ(OpenPanelTemplate(gAppState->instance, GetDesktopWindow(), RecordingProcedure, IDD_HOME, 12, &patched),
              41);
    EXPECT_EQ(patched, 1);
    EXPECT_STREQ(gSeen.font.lfFaceName, L"Segoe UI");
    HDC screen = GetDC(nullptr);
    const int systemDpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(gSeen.font.lfHeight, -MulDiv(12, systemDpi, 72));
    EXPECT_EQ(gSeen.title, L"Home - Quorvel");
    EXPECT_EQ(OpenPanelTemplate(gAppState->instance, GetDesktopWindow(), RecordingProcedure, 9999, 12, &patched), -1);

    gSeen = {};
    gAppState->panelRequest[kPanelPower] = 1;
    const PanelDescription<> launch{.parts = {.largeTemplate = IDD_ABOUT,
                                              .smallTemplate = IDD_ABOUT_SMALL,
                                              .site = ErrorSite{L"test", 7},
                                              .panelRequest = kPanelPower},
                                    .onInit = RecordAndEnd};
    INT_PTR result = 0;
    int openings = 0;
    ASSERT_EQ(LaunchPanel(GetDesktopWindow(), launch, &result, &openings), kOk);
    EXPECT_EQ(gSeen.openings, 2);
    EXPECT_EQ(openings, 2);
    EXPECT_EQ(result, 42);
    EXPECT_EQ(gAppState->panelRequest[kPanelPower], 0u);
    EXPECT_EQ(gSeen.title, L"About - Quorvel");
    EXPECT_EQ(gSeen.font.lfHeight, -MulDiv(12, systemDpi, 72));  // 96 DPI: the large template at 12 points

    const PanelDescription<> missing{
        .parts = {.largeTemplate = 4321, .smallTemplate = 4322, .site = ErrorSite{L"test", 7}}};
    EXPECT_EQ(LaunchPanel(GetDesktopWindow(), missing, &result), kErrCreateDialog);
    EXPECT_EQ(gErrorLocation.line, 7);
}

TEST_F(Panels, LoadsButtonTemplatesAsPacked24BitRows) {
    PixelBlock pixels;
    ASSERT_EQ(LoadButtonTemplate(IDB_BUTTON_COPY_LOG, &pixels), kOk);
    EXPECT_EQ(pixels.width, 160);
    EXPECT_EQ(pixels.height, 50);
    EXPECT_EQ(pixels.rowBytes, 480);
    // Top-left corner in the background colour, the middle white, the
    // bottom edge dark: the rows come top row first.
    EXPECT_EQ(pixels.Row(0)[0], 0x50);
    EXPECT_EQ(pixels.Row(0)[2], 0x28);
    EXPECT_EQ(pixels.Row(25)[80 * 3], 0xFF);
    EXPECT_LT(pixels.Row(49)[80 * 3], 0x40);
    EXPECT_EQ(LoadButtonTemplate(4242, &pixels), kErrLoadBitmap);
}

HBITMAP Dib(int width, int height, int bits) {
    std::vector<std::uint8_t> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
    header->biSize = sizeof *header;
    header->biWidth = width;
    header->biHeight = height;
    header->biPlanes = 1;
    header->biBitCount = static_cast<WORD>(bits);
    void* pixels = nullptr;
    return CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &pixels, nullptr, 0);
}

TEST_F(Panels, RefusesTemplatesWhoseRowsAreNotPacked) {
    PixelBlock pixels;
    HBITMAP padded = Dib(161, 50, 24);
    EXPECT_EQ(ReadButtonBitmap(padded, &pixels), kErrWidthNotMultipleOf4);
    HBITMAP paletted = Dib(160, 50, 8);
    EXPECT_EQ(ReadButtonBitmap(paletted, &pixels), kErrColourTable);
    HBITMAP packed = Dib(20, 4, 24);
    EXPECT_EQ(ReadButtonBitmap(packed, &pixels), kOk);
    EXPECT_EQ(pixels.width, 20);
    for (HBITMAP b : {padded, paletted, packed}) DeleteObject(b);
}

// A dialog of the Home template with the buttons set up as a panel does.
struct HomeLike {
    HWND dialog = nullptr;
    GlyphButton records[2] = {};
    HomeLike() {
        const auto resource = DialogResource(IDD_HOME);
        dialog = CreateDialogIndirectParamW(
            GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(resource.data()), nullptr,
            [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    }
    ~HomeLike() {
        RemoveButtonHover(records);
        DestroyWindow(dialog);
    }
};

COLORREF FacePixel(HBITMAP face, int x, int y) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, face);
    const COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return c;
}

TEST_F(Panels, SetsUpGlyphButtonsOnADialog) {
    HomeLike home;
    ASSERT_NE(home.dialog, nullptr);
    const GlyphButtonSpec specs[2] = {{IDC_LOCK, IDB_BUTTON_LOCK, 207}, {IDC_SLEEP, IDB_BUTTON_SLEEP, 224, 33, 0, 1}};
    ASSERT_EQ(SetUpGlyphButtons(home.dialog, specs, home.records), kOk);
    const GlyphButton& lock = home.records[0];
    EXPECT_EQ(lock.control, GetDlgItem(home.dialog, IDC_LOCK));
    EXPECT_EQ(lock.glyph, 207);
    EXPECT_EQ(home.records[1].secondGlyph, 33);
    EXPECT_EQ(home.records[1].secondPlacement, 1u);
    // The control was larger than its bitmap, so it now has the bitmap's size.
    RECT r;
    GetWindowRect(lock.control, &r);
    EXPECT_EQ(r.right - r.left, 200);
    EXPECT_EQ(r.bottom - r.top, 56);
    EXPECT_FALSE(lock.defaultFace);
    for (const BitmapHandle* face : {&lock.normalFace, &lock.greyFace, &lock.pressedFace, &lock.disabledFace,
                                     &lock.hoverFace, &lock.hoverSelectFace})
        EXPECT_TRUE(*face);
    EXPECT_EQ(FacePixel(lock.normalFace.get(), 80, 20), RGB(0x28, 0x24, 0xA0));
    EXPECT_EQ(FacePixel(lock.hoverFace.get(), 80, 20), RGB(0xFF, 0xFF, 0xB3));
    EXPECT_EQ(FacePixel(lock.pressedFace.get(), 80, 20), RGB(0, 0, 0));
    EXPECT_EQ(FacePixel(lock.disabledFace.get(), 80, 20), RGB(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(FacePixel(lock.normalFace.get(), 0, 0), RGB(0x28, 0x24, 0x50));

    // A hover on the button marks it; a leave clears the mark.
    POINT middle{80, 25};
    SendMessageW(lock.control, WM_MOUSEHOVER, 0, MAKELPARAM(middle.x, middle.y));
    EXPECT_EQ(lock.state[kHoverState], 1);
    SendMessageW(lock.control, WM_MOUSEHOVER, MK_LBUTTON, MAKELPARAM(middle.x, middle.y));
    SendMessageW(lock.control, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(lock.state[kHoverState], 0);

    RemoveButtonHover(home.records);
    SendMessageW(lock.control, WM_MOUSEHOVER, 0, MAKELPARAM(middle.x, middle.y));
    EXPECT_EQ(lock.state[kHoverState], 0) << "the subclass is gone";
    const HBITMAP normal = lock.normalFace.get(), hoverSelect = lock.hoverSelectFace.get();
    home.records[0] = GlyphButton{};
    EXPECT_EQ(GetObjectType(normal), 0u) << "the faces go with their record";
    EXPECT_EQ(GetObjectType(hoverSelect), 0u);
}

TEST_F(Panels, ALookWithoutAControlAndASecondLookOfOneButtonAreSetUpOnce) {
    HomeLike home;
    ASSERT_NE(home.dialog, nullptr);
    // Record 1 is another look of the Lock button, record 2 a look drawn in
    // some other button's place: neither is subclassed again.
    const GlyphButtonSpec specs[3] = {
        {IDC_LOCK, IDB_BUTTON_LOCK, 207}, {IDC_LOCK, IDB_BUTTON_SLEEP, 224}, {0, IDB_BUTTON_COPY_LOG, 33}};
    GlyphButton records[3] = {};
    ASSERT_EQ(SetUpGlyphButtons(home.dialog, specs, records), kOk);
    HWND lock = GetDlgItem(home.dialog, IDC_LOCK);
    SendMessageW(lock, WM_MOUSEHOVER, 0, MAKELPARAM(80, 25));
    EXPECT_EQ(records[0].state[kHoverState], 1);
    EXPECT_EQ(records[1].state[kHoverState], 0) << "one subclass per control";
    EXPECT_EQ(records[1].control, lock);
    EXPECT_EQ(records[2].control, nullptr);
    EXPECT_TRUE(records[2].normalFace);
    RemoveButtonHover(records);
}

// Draws record `index` into a memory bitmap of the button's size and
// returns the colour at (x, y).
struct Drawn {
    Status status;
    COLORREF at;
};
Drawn Draw(HWND dialog, GlyphButton* table, int index, UINT action, UINT state, int x, int y, int bottom = 50) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP target = CreateCompatibleBitmap(screen, 160, 50);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, target);
    RECT all{0, 0, 160, 50};
    HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
    FillRect(dc, &all, green);
    DeleteObject(green);
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_BUTTON;
    item.CtlID = table[index].controlId;
    item.itemAction = action;
    item.itemState = state;
    item.hwndItem = table[index].control;
    item.hDC = dc;
    item.rcItem = {0, 0, 160, bottom};
    Drawn d{DrawGlyphButton(dialog, table, index, 2, &item), GetPixel(dc, x, y)};
    SelectObject(dc, old);
    DeleteObject(target);
    DeleteDC(dc);
    return d;
}

TEST_F(Panels, DrawsTheFaceForTheButtonsState) {
    HomeLike home;
    const GlyphButtonSpec specs[2] = {{IDC_LOCK, IDB_BUTTON_LOCK, 0}, {IDC_SLEEP, IDB_BUTTON_SLEEP, 224}};
    ASSERT_EQ(SetUpGlyphButtons(home.dialog, specs, home.records), kOk);
    GlyphButton* t = home.records;
    const COLORREF blue = RGB(0x28, 0x24, 0xA0), yellow = RGB(0xFF, 0xFF, 0xB3);
    // A spot away from the caption and the glyph.
    const int x = 150, y = 6;
    EXPECT_EQ(Draw(home.dialog, t, 0, ODA_DRAWENTIRE, 0, x, y).at, blue);
    EXPECT_EQ(Draw(home.dialog, t, 0, ODA_DRAWENTIRE, ODS_DEFAULT, x, y).at, blue);
    EXPECT_EQ(Draw(home.dialog, t, 0, ODA_SELECT, ODS_SELECTED, x, y).at, blue);
    t[0].pressedLook = 1;
    EXPECT_EQ(Draw(home.dialog, t, 0, ODA_SELECT, ODS_SELECTED, x, y).at, RGB(0, 0, 0));
    t[0].state[kHoverState] = 1;
    EXPECT_EQ(Draw(home.dialog, t, 0, ODA_DRAWENTIRE, 0, x, y).at, yellow);
    EXPECT_EQ(Draw(home.dialog, t, 0, ODA_SELECT, ODS_SELECTED, x, y).at, RGB(0, 0, 0));
    // Disabled wins over hover.
    EXPECT_EQ(Draw(home.dialog, t, 0, ODA_DRAWENTIRE, ODS_DISABLED, x, y).at, RGB(0xFF, 0xFF, 0xFF));
    // No face for other actions: the background stays.
    EXPECT_EQ(Draw(home.dialog, t, 0, 8, 0, x, y).at, RGB(0, 255, 0));
    // A button without a glyph makes no glyph font.
    EXPECT_EQ(gAppState->glyphFonts[0], nullptr);
    EXPECT_EQ(Draw(home.dialog, t, 2, ODA_DRAWENTIRE, 0, x, y).status, kErrInvalidArgument);
    EXPECT_EQ(Draw(home.dialog, t, -1, ODA_DRAWENTIRE, 0, x, y).status, kErrInvalidArgument);
}

TEST_F(Panels, MakesTheGlyphFontOnceFromTheOemFont) {
    HomeLike home;
    const GlyphButtonSpec specs[2] = {{IDC_LOCK, IDB_BUTTON_LOCK, 207}, {IDC_SLEEP, IDB_BUTTON_SLEEP, 224}};
    ASSERT_EQ(SetUpGlyphButtons(home.dialog, specs, home.records), kOk);
    LOGFONTW oem = {};
    GetObjectW(GetStockObject(OEM_FIXED_FONT), sizeof oem, &oem);
    ASSERT_EQ(Draw(home.dialog, home.records, 1, ODA_DRAWENTIRE, 0, 0, 0, 80).status, kOk);
    HFONT made = gAppState->glyphFonts[0];
    ASSERT_NE(made, nullptr);
    LOGFONTW glyph = {};
    GetObjectW(made, sizeof glyph, &glyph);
    EXPECT_EQ(glyph.lfHeight, static_cast<LONG>(oem.lfHeight * 1.8));
    EXPECT_STREQ(glyph.lfFaceName, L"WebDings");
    EXPECT_EQ(glyph.lfCharSet, SYMBOL_CHARSET);
    EXPECT_EQ(glyph.lfPitchAndFamily, VARIABLE_PITCH | FF_ROMAN);
    ASSERT_EQ(Draw(home.dialog, home.records, 0, ODA_DRAWENTIRE, 0, 0, 0, 25).status, kOk);
    EXPECT_EQ(gAppState->glyphFonts[0], made);
}

TEST_F(Panels, HoverLightsTheButtonUnderTheMouseAfterTheDialogMoved) {
    HomeLike home;
    const GlyphButtonSpec specs[2] = {{IDC_LOCK, IDB_BUTTON_LOCK, 207}, {IDC_SLEEP, IDB_BUTTON_SLEEP, 224}};
    ASSERT_EQ(SetUpGlyphButtons(home.dialog, specs, home.records), kOk);
    RECT before;
    GetWindowRect(home.dialog, &before);
    SetWindowPos(home.dialog, nullptr, before.left + 333, before.top + 77, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    for (int i : {1, 0}) {
        SendMessageW(home.records[i].control, WM_MOUSEHOVER, 0, MAKELPARAM(20, 20));
        EXPECT_EQ(home.records[i].state[kHoverState], 1) << i;
        EXPECT_EQ(home.records[1 - i].state[kHoverState], 0) << i;
        SendMessageW(home.records[i].control, WM_MOUSELEAVE, 0, 0);
    }
}

TEST_F(Panels, CentresAboveTheTaskbarAndKeepsPanelsOnTheScreen) {
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 5, 5, 400, 301, nullptr, nullptr, nullptr, nullptr);
    CenterPanel(window);
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_EQ(r.left, sw / 2 - 200);
    EXPECT_EQ(r.top, sh / 2 - 301 / 2);
    MoveWindow(window, 0, 0, sw + 300, sh + 50, FALSE);
    CenterPanel(window);
    GetWindowRect(window, &r);
    EXPECT_EQ(r.right - r.left, sw);
    EXPECT_EQ(r.bottom - r.top, sh);
    EXPECT_EQ(r.left, 0);
    DestroyWindow(window);
}

TEST_F(Panels, RecordsTheScreenAndTheMessageFont) {
    ASSERT_EQ(RecordScreenAndMessageFont(), kOk);
    EXPECT_EQ(gUiState.screenSize.width, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(gUiState.screenSize.height, GetSystemMetrics(SM_CYSCREEN));
    HFONT first = gUiState.messageFont.get();
    ASSERT_NE(first, nullptr);
    EXPECT_NE(gUiState.messageLogFont.lfHeight, 0);
    ASSERT_EQ(RecordScreenAndMessageFont(), kOk);
    EXPECT_EQ(GetObjectType(first), 0u) << "the earlier font is deleted";
    EXPECT_FALSE(ScreenSizeChanged());
    gUiState.screenSize.width -= 1;
    EXPECT_TRUE(ScreenSizeChanged());
    EXPECT_FALSE(ScreenSizeChanged());
    const HFONT second = gUiState.messageFont.get();
    DeleteUiMessageFont();
    EXPECT_EQ(gUiState.messageFont.get(), nullptr);
    EXPECT_EQ(GetObjectType(second), 0u);
}

TEST_F(Panels, ScalesByTheCurrentDpi) {
    gMode.currentDpi = 144;
    EXPECT_EQ(ScaleByDpi(100), 144);
    EXPECT_EQ(ScaleByDpi(10), 14);
}

// Windows moves a panel dragged onto a monitor of another DPI and sends it
// WM_DPICHANGED with the new DPI and the place it suggests there (Wine has
// one DPI for every monitor and never sends it, so the test does). The panel
// opens again at that place, from the template and at the font size of the
// new DPI; the DPI it was opened at changes nothing, whatever another panel
// measured meanwhile.
TEST_F(Panels, ADpiChangeReopensThePanelWhereWindowsPutItWithThatDpisTemplate) {
    const PanelDescription<> about{
        .parts = {.largeTemplate = IDD_ABOUT, .smallTemplate = IDD_ABOUT_SMALL, .site = ErrorSite{L"test", 7}}};
    const RECT work = WorkAreaAt(0, 0);
    RECT suggested = {}, placed = {};
    PanelScript script;
    script.title = L"About - Quorvel";
    script.steps = {
        [&](HWND panel) {
            // As when another panel opened over it on a monitor of 150 %.
            gMode.currentDpi = 144;
            RECT same;
            GetWindowRect(panel, &same);
            SendMessageW(panel, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&same));
        },
        [&](HWND panel) {
            RECT r;
            GetWindowRect(panel, &r);
            suggested = {work.left + 10, work.top + 20, work.left + 10 + (r.right - r.left) * 3 / 2,
                         work.top + 20 + (r.bottom - r.top) * 3 / 2};
            SendMessageW(panel, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
        },
        [&](HWND panel) {
            Record(panel);
            GetWindowRect(panel, &placed);
            EndPanel(panel, 0);
        },
    };
    EXPECT_EQ(LaunchPanel(nullptr, about), kErrInvalidArgument);
    int openings = 0;
    ASSERT_EQ(RunScripted(script, [&] { return LaunchPanel(GetDesktopWindow(), about, nullptr, &openings); }), kOk);
    EXPECT_EQ(openings, 2);
    HDC screen = GetDC(nullptr);
    const int systemDpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(gSeen.font.lfHeight, -MulDiv(13, systemDpi, 72)) << "144 DPI: the small template at 13 points";
    EXPECT_EQ(gMode.currentDpi, 144);
    const ScreenRect expected = PlacePanel(placed.right - placed.left, placed.bottom - placed.top,
                                           {suggested.left, suggested.top, suggested.right, suggested.bottom},
                                           {work.left, work.top, work.right, work.bottom});
    EXPECT_EQ(placed.left, expected.left);
    EXPECT_EQ(placed.top, expected.top);
}

TEST_F(Panels, SetsTheIconsAndExtendsTheSystemMenu) {
    HomeLike home;
    ASSERT_EQ(SetPanelIcons(home.dialog), kOk);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(home.dialog, WM_GETICON, ICON_BIG, 0)), gAppState->appIcon);
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(home.dialog, WM_GETICON, ICON_SMALL, 0)), gAppState->appIcon);
    AppendPanelSystemMenu(home.dialog, kPanelMenu);
    HMENU menu = GetSystemMenu(home.dialog, FALSE);
    const int n = GetMenuItemCount(menu);
    wchar_t text[64];
    GetMenuStringW(menu, IDM_PANEL_ABOUT, text, 64, MF_BYCOMMAND);
    EXPECT_STREQ(text, L"About");
    GetMenuStringW(menu, IDM_PANEL_HELP, text, 64, MF_BYCOMMAND);
    EXPECT_STREQ(text, L"Quorvel Help");
    EXPECT_EQ(GetMenuItemID(menu, n - 3), 0u);  // the separator
    gAppState->appIcon = nullptr;
    EXPECT_EQ(SetPanelIcons(home.dialog), kErrInvalidArgument);
}

// Closes Home as soon as its modal loop runs: a thread timer is dispatched
// by that loop, so no wait is needed.
void CALLBACK CloseHome(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM) -> BOOL {
            wchar_t title[100] = L"";
            GetWindowTextW(window, title, 100);
            if (wcscmp(title, L"Home - Quorvel") == 0) PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
            return TRUE;
        },
        0);
}

// The leak listener compares this test's objects and handles before and
// after; a font, a button face or a hover record kept by one opening would
// add up to 200.
TEST_F(Panels, OpensAndClosesHome200TimesLeavingNothingBehind) {
    const Role role = std::exchange(gMode.role, Role::kConfigure);
    const UINT_PTR timer = SetTimer(nullptr, 0, 1, CloseHome);
    for (int i = 0; i < 200; ++i) {
        if (OpenHome(GetDesktopWindow()) != kOk) {
            ADD_FAILURE() << "opening " << i;
            break;
        }
        // Closing Home without album windows asks the program to end.
        MSG quit;
        while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    KillTimer(nullptr, timer);
    gMode.role = role;
}

}  // namespace

namespace {

int PixelsNear(HDC dc, const RECT& area, COLORREF colour, int tolerance) {
    int n = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) {
            const COLORREF c = GetPixel(dc, x, y);
            if (std::abs(GetRValue(c) - GetRValue(colour)) <= tolerance &&
                std::abs(GetGValue(c) - GetGValue(colour)) <= tolerance &&
                std::abs(GetBValue(c) - GetBValue(colour)) <= tolerance)
                ++n;
        }
    return n;
}

}  // namespace

// Wine's WebDings has almost none of the glyphs the buttons use; a glyph a
// font lacks is drawn as the program's own picture, in the glyph's colour.
TEST_F(Panels, AGlyphTheFontLacksIsDrawnAsTheProgramsPicture) {
    MemoryDc dc(CreateCompatibleDC(nullptr));
    BitmapHandle target(CreateBitmap(64, 64, 1, 32, nullptr));
    SelectedObject selected(dc.get(), target.get());
    RECT all{0, 0, 64, 64};
    FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    LOGFONTW symbol = {};
    symbol.lfHeight = 32;
    symbol.lfCharSet = SYMBOL_CHARSET;
    wcscpy(symbol.lfFaceName, L"WebDings");
    FontHandle webdings(CreateFontIndirectW(&symbol));
    {
        SelectedObject font(dc.get(), webdings.get());
        EXPECT_FALSE(GlyphInFont(dc.get(), 207, true));  // the lock
        EXPECT_TRUE(DrawGlyphPicture(dc.get(), 207, all, RGB(255, 0, 0)));
        EXPECT_FALSE(DrawGlyphPicture(dc.get(), L'A', all, RGB(255, 0, 0))) << "no picture for it";
    }
    // Drawn at the font's height, centred in the place's height, in red.
    TEXTMETRICW metrics = {};
    {
        SelectedObject font(dc.get(), webdings.get());
        GetTextMetricsW(dc.get(), &metrics);
    }
    const int top = (64 - metrics.tmHeight) / 2;
    const RECT square{0, top, metrics.tmHeight, top + metrics.tmHeight};
    EXPECT_GT(PixelsNear(dc.get(), square, RGB(255, 0, 0), 0), metrics.tmHeight * metrics.tmHeight / 5);
    const RECT right{metrics.tmHeight, 0, 64, 64};
    EXPECT_EQ(PixelsNear(dc.get(), right, RGB(0, 0, 0), 0), (64 - metrics.tmHeight) * 64);

    // A text font has its letters, but is no glyph font.
    symbol.lfCharSet = DEFAULT_CHARSET;
    wcscpy(symbol.lfFaceName, L"Tahoma");
    FontHandle tahoma(CreateFontIndirectW(&symbol));
    SelectedObject font(dc.get(), tahoma.get());
    EXPECT_TRUE(GlyphInFont(dc.get(), L'A', false));
    EXPECT_FALSE(GlyphInFont(dc.get(), L'A', true));
}

// Wine and themes draw a group box's caption black on the dark panels; the
// panels draw it in their text colour.
TEST_F(Panels, GroupBoxCaptionsTakeTheTextColour) {
    HomeLike home;
    HWND group = GetDlgItem(home.dialog, IDC_ALBUM_GROUP);
    ShowWindow(home.dialog, SW_SHOWNOACTIVATE);
    const auto captionPixels = [&] {
        RedrawWindow(group, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        RECT r;
        GetClientRect(group, &r);
        r.bottom = 24;
        WindowDc dc(group);
        return PixelsNear(dc.get(), r, gAppState->textColour, 16);
    };
    EXPECT_EQ(captionPixels(), 0);
    PaintGroupBoxInTextColour(group);
    EXPECT_GT(captionPixels(), 20);
}
