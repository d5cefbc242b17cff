// The Phrases and Matting boards panels on real templates, driven from a
// timer on the test's own thread while the panel's modal loop runs, and the
// preview strip both of them paint.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <knownfolders.h>

#include <cwchar>
#include <deque>
#include <functional>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "base/ErrorReporter_win.h"
#include "base/Guards_win.h"
#include "base/Utilities_win.h"
#include "display/Frame_win.h"
#include "strip/Strip.h"
#include "storage/Settings_win.h"
#include "ui/MattingsPanel_win.h"
#include "ui/Panel_win.h"
#include "ui/PhrasesPanel_win.h"
#include "ui/PreviewStrip_win.h"
#include "res/resource.h"
#include "tests/e2e/Driver.h"
#include "tests/win/BoxWatcher.h"
#include "tests/win/PanelScript.h"
#include "tests/win/TestState.h"

using namespace quorvel;
using namespace quorvel::test;
namespace e2e = quorvel::e2e;

namespace {

std::wstring TextOf(unsigned id) {
    wchar_t text[kMessageChars] = L"";
    (void)LoadText(id, text, sizeof text);
    return text;
}

PixelBlock Plain(int side, std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
    PixelBlock block = PixelBlock::Make(side, side);
    for (std::size_t i = 0; i < block.pixels.size(); i += 3) {
        block.pixels[i] = blue;
        block.pixels[i + 1] = green;
        block.pixels[i + 2] = red;
    }
    return block;
}

class BoardAndPhrasePanels : public ::testing::Test {
protected:
    void SetUp() override {
        wcscpy(gUserSettings->fontName, L"Tahoma");
        gUserSettings->fontSize = 20;
        gUserSettings->fontColour[0] = RGB(255, 0, 0);
        gUserSettings->fontColour[1] = RGB(0, 255, 0);
        wcscpy(gUserSettings->phrase[0], L"stored one");
        wcscpy(gUserSettings->screenSaverPhrase, L"saver");
        wcscpy(gUserSettings->mattingsPath, (records.root / L"boards").c_str());
        CreateDirectoryW((records.root / L"boards").c_str(), nullptr);
        for (int album = 0; album < kAlbumCount; ++album) {
            AlbumSlot& slot = gDisplayState->albums[album];
            wcscpy(slot.folderName, album == 0 ? L"Hills" : L"Coast");
            slot.mattingThumbnail = Plain(100, 10, 20, 30);
        }
        gDisplayState->albums[0].inUse = 1;
        owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    }
    void TearDown() override {
        DestroyWindow(owner);
        for (AlbumSlot& slot : gDisplayState->albums) FreeAlbumView(slot.view);
        if (gDisplayState->phraseFont != nullptr) DeleteObject(gDisplayState->phraseFont);
        gDisplayState->phraseFont = nullptr;
    }
    void Board(const wchar_t* name, int width, int height) {
        ASSERT_TRUE(WriteImage(records.root / (std::wstring(L"boards\\") + name), width, height, 0x8090A0));
    }
    ProcessRecords records;
    PanelLook look;
    GdiplusSession gdiplus;
    HWND owner = nullptr;
};

// Typing survives a refresh that is not an album switch; the configuration
// screen's Enter stores the saver phrase; Greek and emoji are kept whole.
TEST_F(BoardAndPhrasePanels, PhrasesKeepTypingAndEnterUpdatesWhatIsShown) {
    PanelScript script;
    script.title = L"Phrases Panel - Quorvel";
    const std::wstring greek = L"\u039a\u03b1\u03bb\u03b7\u03bc\u03ad\u03c1\u03b1 \U0001F600";
    script.steps = {
        [&](HWND p) {
            EXPECT_EQ(Text(p, IDC_ALBUM1_PHRASE), L"stored one");
            EXPECT_EQ(Text(p, IDC_ALBUM1_RADIO), L"Hills");
            EXPECT_FALSE(IsWindowVisible(GetDlgItem(p, IDC_ALBUM2_RADIO))) << "album 2 is not in use";
            EXPECT_FALSE(IsWindowVisible(GetDlgItem(p, IDC_LANGUAGE_LIST)));
            SetDlgItemTextW(p, IDC_ALBUM1_PHRASE, greek.c_str());
            Command(p, IDC_UPDATE_SAVER_PHRASE);
            EXPECT_EQ(Text(p, IDC_ALBUM1_PHRASE), greek) << "the saver phrase's refresh keeps the typing";
            SendMessageW(p, WM_COMMAND, IDOK, 0);
            EXPECT_STREQ(gDisplayState->albums[0].view->phrase, greek.c_str());
            SetDlgItemTextW(p, IDC_ALBUM1_PHRASE, L"half typed");
            Command(p, IDC_ALBUM1_RADIO);
            EXPECT_EQ(Text(p, IDC_ALBUM1_PHRASE), greek) << "switching albums loads the stored phrase";
        },
        [](HWND p) { SendMessageW(p, WM_COMMAND, IDCANCEL, 0); },
    };
    ASSERT_EQ(RunScripted(script, [&] { return OpenPhrasesPanel(owner); }), kOk);
    EXPECT_TRUE(script.boxes.empty()) << FirstBox(script);

    gMode.role = Role::kConfigure;
    script.steps = {
        [](HWND p) {
            EXPECT_FALSE(IsWindowVisible(GetDlgItem(p, IDC_ALBUM1_PHRASE)));
            EXPECT_TRUE(IsWindowVisible(GetDlgItem(p, IDC_SAVER_PHRASE)));
            SetDlgItemTextW(p, IDC_SAVER_PHRASE, L"Fish & Chips");
            SendMessageW(p, WM_COMMAND, IDOK, 0);
            SendMessageW(p, WM_COMMAND, IDCANCEL, 0);
        },
    };
    ASSERT_EQ(RunScripted(script, [&] { return OpenPhrasesPanel(owner); }), kOk);
    EXPECT_STREQ(gUserSettings->screenSaverPhrase, L"Fish & Chips");
    EXPECT_TRUE(gAppState->settingsChanged & kSettingsPhrases);
}

// The font dialog's choice: a regular font stays regular, the height follows
// the frame's rule for the points chosen, and black stays drawable.
TEST_F(BoardAndPhrasePanels, TheChosenFontKeepsItsSizeWeightAndBlack) {
    ASSERT_EQ(PreparePreviewViews(), kOk);
    LOGFONTW chosen = {};
    wcscpy(chosen.lfFaceName, L"Arial");
    chosen.lfHeight = -40;
    chosen.lfWeight = FW_NORMAL;
    ASSERT_EQ(ApplyChosenFont(0, chosen, 400, RGB(0, 0, 0)), kOk);
    EXPECT_EQ(gDisplayState->phraseLogFont.lfHeight, PhraseFontHeight(40));
    EXPECT_EQ(gUserSettings->fontSize, 40);
    EXPECT_EQ(gDisplayState->albums[0].view->textColour, 0x010101u);
    ASSERT_EQ(SaveSettings(kSettingsFont), kOk);
    wchar_t bold[8], colour[16];
    GetPrivateProfileStringW(L"Header", L"FontBold", L"", bold, 8, records.settingsFile().c_str());
    GetPrivateProfileStringW(L"Header", L"FontColor1", L"", colour, 16, records.settingsFile().c_str());
    EXPECT_STREQ(bold, L"0");
    EXPECT_STREQ(colour, L"65793");
}

// The strip leaves no GDI object behind however often it is painted or its
// panel opened, and a paint that fails is reported once, not under every
// box it causes.
TEST_F(BoardAndPhrasePanels, PreviewPaintsLeaveNoGdiObjectAndFailOnce) {
    const long before = gGuardedGdiObjects;
    int paints = 0;
    PanelScript script;
    script.title = L"Phrases Panel - Quorvel";
    script.steps = {[&](HWND p) {
        HWND strip = GetDlgItem(p, IDC_PREVIEW_STRIP);
        const long open = gGuardedGdiObjects;  // the buttons' faces
        for (; paints < 100; ++paints) {
            RedrawWindow(strip, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            EXPECT_EQ(gGuardedGdiObjects, open);
        }
        SendMessageW(p, WM_COMMAND, IDCANCEL, 0);
    }};
    ASSERT_EQ(RunScripted(script, [&] { return OpenPhrasesPanel(owner); }), kOk);
    for (int i = 0; i < 99; ++i) {
        script.steps = {[](HWND p) { PostMessageW(p, WM_SYSCOMMAND, SC_CLOSE, 0); }};
        ASSERT_EQ(RunScripted(script, [&] { return OpenPhrasesPanel(owner); }), kOk);
    }
    EXPECT_EQ(paints, 100);
    EXPECT_EQ(gGuardedGdiObjects, before);
    EXPECT_TRUE(script.boxes.empty());

    // Without a tile every paint fails: one box for the opening.
    script.steps = {[](HWND p) {
                        gDisplayState->albums[0].mattingTile.block.Release();
                        for (int i = 0; i < 5; ++i)
                            RedrawWindow(GetDlgItem(p, IDC_PREVIEW_STRIP), nullptr, nullptr,
                                         RDW_INVALIDATE | RDW_UPDATENOW);
                    },
                    [](HWND) {}, [](HWND) {}, [](HWND p) { SendMessageW(p, WM_COMMAND, IDCANCEL, 0); }};
    ASSERT_EQ(RunScripted(script, [&] { return OpenPhrasesPanel(owner); }), kOk);
    EXPECT_EQ(script.boxes.size(), 1u);
    EXPECT_EQ(gGuardedGdiObjects, before);
}

// Nothing a panel control's own procedure raises crosses user32: it is
// shown as the panels show their failures, and goes no further.
TEST_F(BoardAndPhrasePanels, AnExceptionInsideAControlIsShownAndStopsThere) {
    HWND strip =
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 200, 60, nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(AttachPreviewStrip(strip, []() -> PreviewContent { throw std::bad_alloc(); }), kOk);
    {
        BoxWatcher boxes;
        EXPECT_NO_THROW(RedrawWindow(strip, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW));
        const auto seen = boxes.Boxes();
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_NE(seen[0].text.find(TextOf(kErrMemory)), std::wstring::npos);
    }
    DestroyWindow(strip);
}

TEST_F(BoardAndPhrasePanels, PhrasesAreDrawnWithoutPrefixProcessing) {
    ASSERT_EQ(PreparePreviewViews(), kOk);
    HDC screen = GetDC(nullptr);
    // Pixels inked by `draw` on a white canvas.
    auto inked = [&](const std::function<void(HDC, RECT&)>& draw) {
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 400, 60);
        HGDIOBJ old = SelectObject(dc, bitmap);
        RECT all{0, 0, 400, 60};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        draw(dc, all);
        int count = 0;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 400; ++x) count += GetPixel(dc, x, y) != RGB(255, 255, 255);
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        return count;
    };
    const UINT format = DT_LEFT | DT_TOP | DT_SINGLELINE;
    const int phrase = inked([&](HDC dc, RECT& r) { DrawPhraseText(dc, r, L"&&&&", RGB(0, 0, 0), format); });
    const int literal = inked([&](HDC dc, RECT& r) {
        HGDIOBJ old = SelectObject(dc, gDisplayState->phraseFont);
        SetBkMode(dc, TRANSPARENT);
        DrawTextW(dc, L"&&&&", -1, &r, format | DT_NOPREFIX);
        SelectObject(dc, old);
    });
    ReleaseDC(nullptr, screen);
    EXPECT_GT(literal, 0);
    EXPECT_EQ(phrase, literal) << "four ampersands drawn, none taken for a mnemonic";
}

// The folder's boards in the order the panel meets them.
std::vector<std::wstring> FolderOrder(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\*.*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return names;
}

// Files that are no boards are passed over; the album's board is listed
// even after the first hundred; one board lists normally; a click on a board
// that has gone says so; and the listing leaves no GDI object behind.
TEST_F(BoardAndPhrasePanels, BoardListSkipsNonBoardsKeepsTheAlbumsBoardAndAClickedBoardMustExist) {
    for (int i = 0; i <= kListedBoards; ++i) Board((L"b" + std::to_wstring(1000 + i) + L".png").c_str(), 120, 100);
    ASSERT_TRUE(WriteBytes(records.root / L"boards\\desktop.ini", "[.ShellClassInfo]\r\n"));
    ASSERT_TRUE(WriteBytes(records.root / L"boards\\a clip.mp4", "not a picture"));
    ASSERT_TRUE(WriteBytes(records.root / L"boards\\Thumbs.db", "x"));
    std::wstring last;
    for (const std::wstring& name : FolderOrder(records.root / L"boards"))
        if (name.ends_with(L".png")) last = name;
    wcscpy(gUserSettings->mattingFile[0], last.c_str());
    const long before = gGuardedGdiObjects;
    PanelScript script;
    script.title = L"Matting Boards Photos - Quorvel";
    int selected = -1;
    script.steps = {[&](HWND p) {
        HWND list = GetDlgItem(p, IDC_BOARD_LIST);
        EXPECT_EQ(ListView_GetItemCount(list), kListedBoards + 1);
        EXPECT_EQ(ListView_GetSelectedCount(list), 1u);
        selected = ListView_GetNextItem(list, -1, LVNI_SELECTED);
        SendMessageW(p, WM_COMMAND, IDCANCEL, 0);
    }};
    ASSERT_EQ(RunScripted(script, [&] { return OpenMattingsPanel(owner); }), kOk);
    EXPECT_TRUE(script.boxes.empty()) << FirstBox(script);
    EXPECT_EQ(selected, kListedBoards) << "the album's board comes after the first hundred";
    EXPECT_EQ(gGuardedGdiObjects, before);

    for (const std::wstring& name : FolderOrder(records.root / L"boards"))
        if (name != last) DeleteFileW((records.root / (L"boards\\" + name)).c_str());
    script.steps = {[&](HWND p) {
        HWND list = GetDlgItem(p, IDC_BOARD_LIST);
        EXPECT_EQ(ListView_GetItemCount(list), 1);
        EXPECT_NE(ListView_GetImageList(list, LVSIL_NORMAL), nullptr);
        DeleteFileW((records.root / (L"boards\\" + last)).c_str());
        NMITEMACTIVATE click = {};
        click.hdr = {list, IDC_BOARD_LIST, static_cast<UINT>(NM_CLICK)};
        click.iItem = 0;
        SendMessageW(p, WM_NOTIFY, IDC_BOARD_LIST, reinterpret_cast<LPARAM>(&click));
        Board(last.c_str(), 120, 100);
        SendMessageW(p, WM_COMMAND, IDCANCEL, 0);
    }};
    ASSERT_EQ(RunScripted(script, [&] { return OpenMattingsPanel(owner); }), kOk);
    ASSERT_EQ(script.boxes.size(), 1u) << "one board lists without a failure; the vanished one is reported";
    wchar_t missing[512];
    (void)LoadText(kErrFileMissing, missing, sizeof missing);
    EXPECT_NE(script.boxes[0].find(missing), std::wstring::npos);
}

// Boards chosen in the boards folder itself are there already: the import
// goes on past them, and the panel opens again on the album the user had
// chosen, whose board the next click changes.
TEST_F(BoardAndPhrasePanels, ImportingBoardsAlreadyThereGoesOnAndTheChosenAlbumStays) {
    // The import's dialog opens on the Pictures folder: here the boards folder.
    const std::wstring pictures = e2e::KnownFolder(FOLDERID_Pictures);
    CreateDirectoryW(pictures.c_str(), nullptr);
    for (const wchar_t* name : {L"a.png", L"b.png"})
        ASSERT_TRUE(WriteImage(pictures + L"\\" + name, 120, 100, 0x8090A0));
    wcscpy(gUserSettings->mattingsPath, pictures.c_str());
    for (auto& board : gUserSettings->mattingFile) wcscpy(board, L"a.png");
    gDisplayState->albums[1].inUse = 1;
    const std::wstring title = L"Matting Boards Photos - Quorvel";
    HWND first = nullptr;
    PanelScript script;
    script.title = title;
    script.steps = {
        [&](HWND p) {
            first = p;
            CheckRadioButton(p, IDC_ALBUM1_RADIO, IDC_ALBUM2_RADIO, IDC_ALBUM2_RADIO);
            Command(p, IDC_ALBUM2_RADIO);
            script.title = L"no step inside the file dialog";
            std::thread chooser([] {
                e2e::ChooseInFileDialog(GetCurrentProcessId(), TextOf(IDS_BOARD_IMPORT_TITLE), L"\"a.png\" \"b.png\"");
            });
            Command(p, IDC_IMPORT_MATTINGS);
            chooser.join();
            script.title = title;
        },
        [&](HWND p) {
            EXPECT_NE(p, first) << "the panel opens again with the boards listed";
            EXPECT_EQ(IsDlgButtonChecked(p, IDC_ALBUM2_RADIO), BST_CHECKED);
            HWND list = GetDlgItem(p, IDC_BOARD_LIST);
            LVFINDINFOW find = {};
            find.flags = LVFI_STRING;
            find.psz = L"b.png";
            NMITEMACTIVATE click = {};
            click.hdr = {list, IDC_BOARD_LIST, static_cast<UINT>(NM_CLICK)};
            click.iItem = ListView_FindItem(list, -1, &find);
            SendMessageW(p, WM_NOTIFY, IDC_BOARD_LIST, reinterpret_cast<LPARAM>(&click));
            SendMessageW(p, WM_COMMAND, IDCANCEL, 0);
        },
    };
    ASSERT_EQ(RunScripted(script, [&] { return OpenMattingsPanel(owner); }), kOk);
    EXPECT_TRUE(script.boxes.empty()) << FirstBox(script);
    EXPECT_STREQ(gUserSettings->mattingFile[1], L"b.png");
    EXPECT_STREQ(gUserSettings->mattingFile[0], L"a.png");
}

TEST_F(BoardAndPhrasePanels, ABoardMustDecodeAndHaveAHundredPixelSides) {
    Board(L"small.png", 120, 90);
    Board(L"square.png", 100, 100);
    ASSERT_TRUE(WriteBytes(records.root / L"boards\\text.jpg", "not a picture"));
    EXPECT_EQ(CheckBoardFile((records.root / L"boards\\small.png").c_str()), kErrMattingTooSmall);
    EXPECT_EQ(CheckBoardFile((records.root / L"boards\\square.png").c_str()), kOk);
    EXPECT_NE(CheckBoardFile((records.root / L"boards\\text.jpg").c_str()), kOk);
}

}  // namespace
