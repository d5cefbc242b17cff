// The Phrases and Matting boards panels of the running program: what a user
// chooses there reaches the settings file and the album window's frame.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <knownfolders.h>

#include <algorithm>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/e2e/Driver.h"
#include "tests/e2e/Scenario.h"

using namespace quorvel::e2e;

namespace {

const wchar_t kPhrases[] = L"Phrases Panel - Quorvel";
const wchar_t kMattings[] = L"Matting Boards Photos - Quorvel";
const wchar_t kImportTitle[] = L"Please choose any photos to be used as matting boards.";

std::wstring Ini() { return JoinPath(RoamingAppData(), L"Fenwold Quorvel\\Quorvel.ini"); }
bool IniHas(const std::wstring& line) {
    const auto text = ReadTextFile(Ini());
    return text && text->find(line) != std::wstring::npos;
}

// The program started, its album window found and, when asked, a panel
// opened over it.
class ProgramPanel : public ::testing::Test {
protected:
    void Start() {
        ASSERT_TRUE(p.Start(InstalledProgram(L"Quorvel.exe")));
        album = WaitForAlbumWindow(p);
        ASSERT_NE(album, nullptr);
    }
    HWND Open(int button, const wchar_t* title);
    Process p;
    HWND album = nullptr;
};

// F2 on the album window, then the Home button of the panel.
HWND OpenPanel(const Process& p, HWND album, int button, const wchar_t* title) {
    SendKey(album, VK_F2);
    HWND home = WaitForWindow(p.Pid(), L"Home - Quorvel");
    if (home == nullptr || !ClickButton(FindControl(home, button))) return nullptr;
    return WaitForWindow(p.Pid(), title);
}

HWND ProgramPanel::Open(int button, const wchar_t* title) { return OpenPanel(p, album, button, title); }

// Pixels of the album window's top band drawn in `colour` (within 1).
double BandPixels(HWND album, COLORREF colour) {
    const auto capture = CaptureWindow(album);
    if (!capture || capture->height < 100) return 0;
    Capture band = *capture;
    band.height = 100;
    band.bgra.resize(static_cast<std::size_t>(band.width) * 100 * 4);
    return FractionOfColour(band, colour, 1) * band.width * band.height;
}

// In the font dialog, picks the colour of that name and presses OK.
bool ChooseFontColour(const Process& p, const std::wstring& name) {
    HWND font = WaitForWindow(p.Pid(), L"Font");
    HWND colours = font != nullptr ? FindControl(font, 0x473) : nullptr;  // the dialog's colour list
    if (colours == nullptr) return false;
    const LRESULT index = SendMessageW(colours, CB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(name.c_str()));
    if (index < 0) return false;
    SendMessageW(colours, CB_SETCURSEL, index, 0);
    // A size large enough to count its pixels (the dialog starts with its own).
    HWND sizes = FindControl(font, 0x472);
    const LRESULT size = SendMessageW(sizes, CB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(L"48"));
    if (size < 0) return false;
    SendMessageW(sizes, CB_SETCURSEL, size, 0);
    SendMessageW(font, WM_COMMAND, MAKEWPARAM(0x472, CBN_SELCHANGE), reinterpret_cast<LPARAM>(sizes));
    SendMessageW(font, WM_COMMAND, MAKEWPARAM(0x473, CBN_SELCHANGE), reinterpret_cast<LPARAM>(colours));
    return ClickButton(FindControl(font, IDOK));
}

std::wstring Pictures() { return KnownFolder(FOLDERID_Pictures); }

// Presses the panel's import button and chooses the names.
bool Import(const Process& p, HWND panel, const std::wstring& names) {
    return ClickButton(FindControl(panel, IDC_IMPORT_MATTINGS)) && ChooseInFileDialog(p.Pid(), kImportTitle, names);
}

// The list view lives in the program: its item texts and places are asked
// through a block of the program's memory.
class RemoteList {
public:
    RemoteList(const Process& p, HWND list) : list_(list) {
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, p.Pid());
        if (process_ != nullptr) block_ = VirtualAllocEx(process_, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE);
    }
    ~RemoteList() {
        if (block_ != nullptr) VirtualFreeEx(process_, block_, 0, MEM_RELEASE);
        if (process_ != nullptr) CloseHandle(process_);
    }
    // The index of the selected item, or -1.
    int Selected() { return static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED)); }
    // The index of the item of that text, or -1.
    int Find(const std::wstring& text) {
        const int count = static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
        auto* remoteText = static_cast<wchar_t*>(block_) + 512;
        for (int i = 0; block_ != nullptr && i < count; ++i) {
            LVITEMW item = {};
            item.pszText = remoteText;
            item.cchTextMax = 256;
            WriteProcessMemory(process_, block_, &item, sizeof item, nullptr);
            SendMessageW(list_, LVM_GETITEMTEXTW, i, reinterpret_cast<LPARAM>(block_));
            wchar_t got[256] = L"";
            ReadProcessMemory(process_, remoteText, got, sizeof got, nullptr);
            if (text == got) return i;
        }
        return -1;
    }
    // The item's icon, in screen coordinates.
    RECT Icon(int index) {
        RECT r{LVIR_ICON, 0, 0, 0};
        WriteProcessMemory(process_, block_, &r, sizeof r, nullptr);
        SendMessageW(list_, LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(block_));
        ReadProcessMemory(process_, block_, &r, sizeof r, nullptr);
        MapWindowPoints(list_, nullptr, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

private:
    HWND list_;
    HANDLE process_ = nullptr;
    void* block_ = nullptr;
};

}  // namespace

TEST_F(ProgramPanel, PhrasesPanelTakesAGreekPhraseInAChosenColourToTheFileAndTheBand) {
    Start();
    HWND panel = Open(IDC_PHRASES_PANEL, kPhrases);
    ASSERT_NE(panel, nullptr);
    const std::wstring greek = L"\u039a\u0391\u039b\u0397\u039c\u0395\u03a1\u0391 \u039a\u039f\u03a3\u039c\u0395";
    SendMessageW(FindControl(panel, IDC_ALBUM1_PHRASE), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(greek.c_str()));
    ASSERT_TRUE(ClickButton(FindControl(panel, IDC_SELECT_FONT)));
    ASSERT_TRUE(ChooseFontColour(p, L"Red"));
    ASSERT_TRUE(WaitUntil([&] { return FindWindowByTitle(p.Pid(), L"Font") == nullptr; }));
    ASSERT_TRUE(ClickButton(FindControl(panel, IDC_UPDATE_PHRASE)));
    PostMessageW(panel, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitUntil([&] { return IniHas(L"CurrentUserSaying1=" + greek); })) << ReadTextFile(Ini()).value_or(L"");
    EXPECT_TRUE(IniHas(L"FontColor1=255\r\n") || IniHas(L"FontColor1=255\n"));
    EXPECT_TRUE(WaitUntil([&] { return BandPixels(album, RGB(255, 0, 0)) > 200; }));
}

// A text file named as a picture is refused and leaves the board of that
// name alone; boards imported with it are listed, and one clicked frames
// the album.
TEST_F(ProgramPanel, MattingsPanelRefusesATextFileNamedAsAPictureAndAClickedImportedBoardFramesTheAlbum) {
    const std::string text = "not a picture at all";
    ASSERT_TRUE(WriteFileBytes(JoinPath(Pictures(), L"01.jpg"), std::vector<std::uint8_t>(text.begin(), text.end())));
    ASSERT_TRUE(WritePicture(JoinPath(Pictures(), L"red board.bmp"), RGB(220, 0, 0)));
    ASSERT_TRUE(WritePicture(JoinPath(Pictures(), L"blue board.bmp"), RGB(0, 0, 220)));
    Start();
    HWND panel = Open(IDC_MATTINGS_PANEL, kMattings);
    ASSERT_NE(panel, nullptr);
    const auto before = SendMessageW(FindControl(panel, IDC_BOARD_LIST), LVM_GETITEMCOUNT, 0, 0);
    EXPECT_GT(before, 1);
    const std::wstring boards = JoinPath(RoamingAppData(), L"Fenwold Quorvel\\QuorvelMattingBoards\\01.jpg");
    const auto board = ReadFileBytes(boards);
    ASSERT_TRUE(board);

    ASSERT_TRUE(Import(p, panel, L"01.jpg"));
    const auto refused = WaitForMessageBox(p.Pid());
    ASSERT_TRUE(refused) << "the import is refused";
    ASSERT_TRUE(Answer(*refused, L"OK"));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(refused->hwnd); }));
    EXPECT_EQ(ReadFileBytes(boards), board) << "the board in use is not replaced";
    ASSERT_TRUE(IsWindow(panel));
    EXPECT_EQ(SendMessageW(FindControl(panel, IDC_BOARD_LIST), LVM_GETITEMCOUNT, 0, 0), before);
    {
        RemoteList list(p, FindControl(panel, IDC_BOARD_LIST));
        EXPECT_EQ(list.Selected(), list.Find(L"01.jpg")) << "the album keeps its board";
    }

    ASSERT_TRUE(Import(p, panel, L"\"red board.bmp\" \"blue board.bmp\""));
    // The panel opens again with the new boards listed.
    HWND reopened = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        reopened = FindWindowByTitle(p.Pid(), kMattings);
        return reopened != nullptr && reopened != panel && IsVisible(reopened);
    }));
    EXPECT_EQ(SendMessageW(FindControl(reopened, IDC_BOARD_LIST), LVM_GETITEMCOUNT, 0, 0), before + 2);
    RemoteList list(p, FindControl(reopened, IDC_BOARD_LIST));
    const int red = list.Find(L"red board.bmp");
    ASSERT_GE(red, 0);
    EXPECT_GE(list.Find(L"blue board.bmp"), 0);
    const RECT icon = list.Icon(red);
    ASSERT_TRUE(BringToFront(reopened));
    ASSERT_TRUE(Click((icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2));
    // Esc as input too, so that it comes after the click (a posted Cancel
    // would overtake it).
    ASSERT_TRUE(PressKey(reopened, VK_ESCAPE));
    ASSERT_TRUE(WaitUntil([&] { return IniHas(L"CurrentMatting1=red board.bmp"); }))
        << ReadTextFile(Ini()).value_or(L"");
    EXPECT_TRUE(WaitUntil([&] { return BandPixels(album, RGB(220, 0, 0)) > 50000; }));
}
