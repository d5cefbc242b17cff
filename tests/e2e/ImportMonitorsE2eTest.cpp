// Album import and the Monitor mapping panel of the running program: photos
// brought in through the real file dialog and folder browser become album 1,
// a mapping chosen on a wall of two monitors reaches the settings file and
// the album windows, and the storage folders are probed without a trace.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/e2e/Driver.h"
#include "tests/e2e/Scenario.h"

using namespace quorvel::e2e;

namespace {

const wchar_t kMonitors[] = L"Monitor Mapping Panel - Quorvel";
const wchar_t kImportTitle[] =
    L"Please choose several photos of the same nature scene to import. All photos should be the same resolution "
    L"and orientation.";
const wchar_t kDestinationTitle[] = L"Please choose or create a destination folder to add these photos";
const wchar_t kAlbumsRootTitle[] = L"Select folder in this computer to hold all albums";

std::wstring UserFolder() { return JoinPath(RoamingAppData(), L"Fenwold Quorvel"); }
std::wstring AlbumsRoot() { return JoinPath(UserFolder(), L"QuorvelAlbums"); }

std::wstring UserSetting(const wchar_t* key) {
    wchar_t value[300] = L"";
    GetPrivateProfileStringW(L"Header", key, L"<none>", value, 300, JoinPath(UserFolder(), L"Quorvel.ini").c_str());
    return value;
}

HWND VisibleWindowOf(const Process& p, const wchar_t* cls) {
    return WaitForWindow(p.Pid(), [cls](HWND w) { return ClassName(w) == cls && IsVisible(w); });
}

// F2 on the album window, then the Home button.
bool PressHomeButton(const Process& p, HWND album, int button) {
    SendKey(album, VK_F2);
    HWND home = WaitForWindow(p.Pid(), L"Home - Quorvel");
    return home != nullptr && ClickButton(FindControl(home, button));
}

// The program started and its Monitor mapping panel opened over album 1.
HWND StartWithMonitorsPanel(Process& p, HWND* album) {
    if (!p.Start(InstalledProgram(L"Quorvel.exe"))) return nullptr;
    *album = VisibleWindowOf(p, L"Album1 Window");
    if (*album == nullptr || !PressHomeButton(p, *album, IDC_MONITORS_PANEL)) return nullptr;
    return WaitForWindow(p.Pid(), kMonitors);
}

// The folder browser showing `title`: selects `folder` and presses OK.
// Wine's browser takes a path only when it has no root; with one, the
// folder is picked among the root's children in the tree. Texts and the
// path travel through a block of the program's memory.
bool ChooseFolder(const Process& p, const std::wstring& title, const std::wstring& folder) {
    HWND browser = WaitForWindow(p.Pid(), [&](HWND w) { return FindControl(w, title) != nullptr; });
    if (browser == nullptr) return false;
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, p.Pid());
    if (process == nullptr) return false;
    auto* block = static_cast<wchar_t*>(VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE));
    bool selected = block != nullptr &&
                    WriteProcessMemory(process, block, folder.c_str(), (folder.size() + 1) * sizeof(wchar_t), nullptr);
    if (selected) SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(block));
    HWND tree = nullptr;
    for (HWND c : Children(browser))
        if (ClassName(c) == L"SysTreeView32") tree = c;
    const std::wstring leaf = folder.substr(folder.find_last_of(L'\\') + 1);
    const auto root = tree != nullptr ? SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0) : 0;
    if (root != 0) SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, root);
    for (auto item = root != 0 ? SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, root) : 0; selected && item != 0;
         item = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, item)) {
        TVITEMW query = {};
        query.mask = TVIF_TEXT;
        query.hItem = reinterpret_cast<HTREEITEM>(item);
        query.pszText = block + 512;
        query.cchTextMax = 256;
        WriteProcessMemory(process, block, &query, sizeof query, nullptr);
        SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(block));
        wchar_t text[256] = L"";
        ReadProcessMemory(process, block + 512, text, sizeof text, nullptr);
        if (leaf == text) SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, item);
    }
    if (block != nullptr) VirtualFreeEx(process, block, 0, MEM_RELEASE);
    CloseHandle(process);
    return selected && ClickButton(FindControl(browser, IDOK)) && WaitUntil([&] { return !IsWindow(browser); });
}

// Answers the next message box of the program (a panel's own statics can
// look like one, so `panel` is passed over); its text, or "<none>".
std::wstring AnswerBox(const Process& p, const std::wstring& button, HWND panel = nullptr) {
    HWND box = WaitForWindow(p.Pid(), [panel](HWND w) { return w != panel && ReadMessageBox(w).has_value(); });
    const auto info = box != nullptr ? ReadMessageBox(box) : std::nullopt;
    if (!info) return L"<none>";
    Answer(*info, button);
    return info->text;
}

double ShareOf(HWND window, COLORREF colour) {
    const auto capture = CaptureWindow(window);
    return capture ? FractionOfColour(*capture, colour, 2) : 0.0;
}

// The window moves on by itself: three frames in a row differ, which one
// repaint after a box cannot give.
bool Glides(HWND window) {
    auto last = CaptureWindow(window);
    for (int change = 0; change < 2; ++change)
        if (!last || !WaitUntil([&] {
                auto now = CaptureWindow(window);
                if (!now || CountDifferentPixels(*last, *now) == 0) return false;
                last = std::move(now);
                return true;
            }))
            return false;
    return true;
}

void Close(Process& p, HWND album) {
    PostMessageW(album, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(p.WaitExit(), 0u);
}

}  // namespace

// Photos a start would refuse (one that does not decode, one of 80 x 80
// pixels) are named and not copied, and album 1 stays as it was; an import
// whose copy fails leaves the album windows gliding, and the next start
// shows the album as before. There, three sound photos brought in become
// album 1 and glide.
TEST(Import, RefusedOrFailedImportsLeaveTheAlbumAndSoundPhotosBecomeAlbumOne) {
    const COLORREF green = RGB(20, 180, 60);
    const std::wstring pictures = KnownFolder(FOLDERID_Pictures);
    const std::string text = "not a photo";
    ASSERT_TRUE(WriteFileBytes(JoinPath(pictures, L"broken.jpg"), std::vector<std::uint8_t>(text.begin(), text.end())));
    Capture small;
    small.width = small.height = 80;
    small.bgra.assign(80 * 80 * 4, 0x80);
    ASSERT_TRUE(SaveBmp(small, JoinPath(pictures, L"small.bmp")));
    // Three small photos: their strip fills only part of the window.
    for (const wchar_t* name : {L"lake.bmp", L"lake 1.bmp", L"lake 2.bmp", L"lake 3.bmp"})
        ASSERT_TRUE(WritePicture(JoinPath(pictures, name), green));
    Process p;
    ASSERT_TRUE(p.Start(InstalledProgram(L"Quorvel.exe")));
    HWND album = VisibleWindowOf(p, L"Album1 Window");
    ASSERT_NE(album, nullptr);
    const std::wstring before = UserSetting(L"CurrentAlbumFolderName1");
    const std::wstring refused = JoinPath(AlbumsRoot(), L"Refused");
    ASSERT_TRUE(CreateDirectoryW(refused.c_str(), nullptr));
    ASSERT_TRUE(PressHomeButton(p, album, IDC_IMPORT_ALBUM));
    ASSERT_TRUE(ChooseInFileDialog(p.Pid(), kImportTitle, L"\"broken.jpg\" \"small.bmp\""));
    ASSERT_TRUE(ChooseFolder(p, kDestinationTitle, refused));
    const std::wstring said = AnswerBox(p, L"OK");
    EXPECT_NE(said.find(L"broken.jpg"), std::wstring::npos) << "each refused photo is named";
    EXPECT_NE(said.find(L"small.bmp"), std::wstring::npos);
    EXPECT_TRUE(Glides(album)) << "the same album window, gliding on";
    EXPECT_TRUE(ListFolder(refused).empty());
    EXPECT_EQ(UserSetting(L"CurrentAlbumFolderName1"), before);

    // A folder of the photo's name stands where its copy would go.
    const std::wstring blocked = JoinPath(AlbumsRoot(), L"Blocked");
    ASSERT_TRUE(CreateDirectoryW(blocked.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(JoinPath(blocked, L"lake.bmp").c_str(), nullptr));
    ASSERT_TRUE(PressHomeButton(p, album, IDC_IMPORT_ALBUM));
    ASSERT_TRUE(ChooseInFileDialog(p.Pid(), kImportTitle, L"lake.bmp"));
    ASSERT_TRUE(ChooseFolder(p, kDestinationTitle, blocked));
    EXPECT_EQ(AnswerBox(p, L"OK"), L"Error copying file");
    EXPECT_TRUE(Glides(album)) << "the album's timers run again after a failed import";
    EXPECT_EQ(UserSetting(L"CurrentAlbumFolderName1"), before);
    Close(p, album);

    Process again;
    ASSERT_TRUE(again.Start(InstalledProgram(L"Quorvel.exe")));
    album = VisibleWindowOf(again, L"Album1 Window");
    ASSERT_NE(album, nullptr);
    const std::wstring lakes = JoinPath(AlbumsRoot(), L"Lakes");
    ASSERT_TRUE(CreateDirectoryW(lakes.c_str(), nullptr));
    ASSERT_TRUE(PressHomeButton(again, album, IDC_IMPORT_ALBUM));
    ASSERT_TRUE(ChooseInFileDialog(again.Pid(), kImportTitle, L"\"lake 1.bmp\" \"lake 2.bmp\" \"lake 3.bmp\""));
    ASSERT_TRUE(ChooseFolder(again, kDestinationTitle, lakes));
    EXPECT_EQ(AnswerBox(again, L"No"), L"Would you like to import more photos?");
    for (const wchar_t* name : {L"lake 1.bmp", L"lake 2.bmp", L"lake 3.bmp"})
        EXPECT_TRUE(FileExists(JoinPath(lakes, name))) << Narrow(name);
    ASSERT_TRUE(WaitUntil([] { return UserSetting(L"CurrentAlbumFolderName1") == L"Lakes"; }));
    HWND rebuilt = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        rebuilt = VisibleWindowOf(again, L"Album1 Window");
        return rebuilt != nullptr && ShareOf(rebuilt, green) > 0.02;
    })) << "the glide shows the imported photos";
    Close(again, rebuilt);
}

// Monitor mapping's "Change album" refuses a folder holding a photo a start
// would refuse, naming it, and takes a folder whose photos all show.
TEST(AlbumChange, AFolderWithAPhotoAStartWouldRefuseIsNotTakenAndASoundOneIs) {
    const COLORREF green = RGB(20, 180, 60);
    Process p;
    HWND album = nullptr;
    HWND panel = StartWithMonitorsPanel(p, &album);
    ASSERT_NE(panel, nullptr);
    const std::wstring small = JoinPath(AlbumsRoot(), L"Small"), sound = JoinPath(AlbumsRoot(), L"Sound");
    for (const std::wstring& folder : {small, sound}) ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    // Three photos, as one alone fills too little of the window to tell.
    ASSERT_TRUE(WritePicture(JoinPath(small, L"lake.bmp"), green));
    for (const wchar_t* name : {L"lake 1.bmp", L"lake 2.bmp", L"lake 3.bmp"})
        ASSERT_TRUE(WritePicture(JoinPath(sound, name), green));
    Capture tiny;
    tiny.width = tiny.height = 80;
    tiny.bgra.assign(80 * 80 * 4, 0x80);
    ASSERT_TRUE(SaveBmp(tiny, JoinPath(small, L"tiny.bmp")));
    const std::wstring title =
        L"Change DefaultAlbum1 as current folder for album 1\nNote: you can also rename or delete "
        L"sub-folders";
    HWND radio = FindControl(panel, IDC_ALBUM1_RADIO);

    ASSERT_TRUE(ClickButton(FindControl(panel, IDC_CHANGE_ALBUM1)));
    ASSERT_TRUE(ChooseFolder(p, title, small));
    const std::wstring said = AnswerBox(p, L"OK", panel);
    EXPECT_NE(said.find(L"tiny.bmp"), std::wstring::npos) << Narrow(said);
    EXPECT_EQ(said.find(L"lake.bmp"), std::wstring::npos);
    EXPECT_EQ(ControlText(radio), L"DefaultAlbum1");

    ASSERT_TRUE(ClickButton(FindControl(panel, IDC_CHANGE_ALBUM1)));
    ASSERT_TRUE(ChooseFolder(p, title, sound));
    ASSERT_TRUE(WaitUntil([&] { return ControlText(radio) == L"Sound"; }));
    PostMessageW(panel, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([] { return UserSetting(L"CurrentAlbumFolderName1") == L"Sound"; }));
    HWND rebuilt = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        rebuilt = VisibleWindowOf(p, L"Album1 Window");
        return rebuilt != nullptr && ShareOf(rebuilt, green) > 0.02;
    })) << "the new album shows";
    Close(p, rebuilt);
}

TEST(TwoMonitors, MappingPanelPutsEachAlbumOnItsMonitorAndRefusesAlbumOneWithoutOne) {
    Process p;
    HWND album = nullptr;
    HWND panel = StartWithMonitorsPanel(p, &album);
    ASSERT_NE(panel, nullptr);
    HWND monitor1 = FindControl(panel, IDC_MONITOR_CHECK1), monitor2 = FindControl(panel, IDC_MONITOR_CHECK1 + 1);
    EXPECT_TRUE(IsControlVisible(monitor2));
    EXPECT_FALSE(IsControlVisible(FindControl(panel, IDC_MONITOR_CHECK1 + 2)));
    EXPECT_EQ(ControlText(FindControl(panel, IDC_MONITOR_TOP_LEFT1 + 1)), L"(1920,0)");
    // The program leaves the primary monitor free: album 1 shows on monitor 2.
    ASSERT_FALSE(IsChecked(monitor1));
    ASSERT_TRUE(IsChecked(monitor2));

    // Album 2 on monitor 2 would leave album 1 on none.
    ClickButton(FindControl(panel, IDC_ALBUM2_RADIO));
    SendMessageW(monitor2, BM_SETCHECK, BST_CHECKED, 0);
    ClickButton(monitor2);
    EXPECT_NE(AnswerBox(p, L"OK", panel).find(L"Album 1"), std::wstring::npos);
    EXPECT_EQ(ControlText(monitor2), L"DefaultAlbum1");

    ClickButton(FindControl(panel, IDC_ALBUM1_RADIO));
    SendMessageW(monitor1, BM_SETCHECK, BST_CHECKED, 0);
    ClickButton(monitor1);
    ClickButton(FindControl(panel, IDC_ALBUM2_RADIO));
    SendMessageW(monitor2, BM_SETCHECK, BST_CHECKED, 0);
    ClickButton(monitor2);
    ASSERT_TRUE(WaitUntil([&] { return ControlText(monitor2) == L"DefaultAlbum2"; }));
    PostMessageW(panel, WM_COMMAND, IDOK, 0);

    ASSERT_TRUE(WaitUntil([] { return UserSetting(L"Monitor1") == L"1" && UserSetting(L"Monitor2") == L"2"; }));
    HWND album1 = nullptr, album2 = VisibleWindowOf(p, L"Album2 Window");
    ASSERT_NE(album2, nullptr);
    ASSERT_TRUE(WaitUntil([&] {
        album1 = VisibleWindowOf(p, L"Album1 Window");
        return album1 != nullptr && Rect(album1).left < 1920;
    }));
    EXPECT_GE(Rect(album2).left, 1920);
    const auto a1 = CaptureWindow(album1), a2 = CaptureWindow(album2);
    EXPECT_TRUE(WaitUntil([&] {
        const auto b1 = CaptureWindow(album1), b2 = CaptureWindow(album2);
        return a1 && a2 && b1 && b2 && CountDifferentPixels(*a1, *b1) > 0 && CountDifferentPixels(*a2, *b2) > 0;
    })) << "both albums glide";
    Close(p, album1);
}

TEST(MonitorsPanel, ReadOnlyAlbumsRootIsRefusedAndNoProbeIsLeftAnywhere) {
    if (!GetEnv(L"QV_MOUNTED")) GTEST_SKIP() << "mounting is not permitted here, so no read-only folder";
    const std::wstring locked = L"C:\\ReadOnly", open = L"C:\\Writable";
    const auto lockedBefore = ListFolder(locked);
    ASSERT_TRUE(CreateDirectoryW(open.c_str(), nullptr));
    Process p;
    HWND album = nullptr;
    HWND panel = StartWithMonitorsPanel(p, &album);
    ASSERT_NE(panel, nullptr);
    const std::wstring root = ControlText(FindControl(panel, IDC_ALBUMS_ROOT));

    ASSERT_TRUE(ClickButton(FindControl(panel, IDC_ALBUMS_ROOT_BROWSE)));
    ASSERT_TRUE(ChooseFolder(p, kAlbumsRootTitle, locked));
    EXPECT_EQ(AnswerBox(p, L"OK", panel), L"Folder C:\\ReadOnly is not writable");
    EXPECT_EQ(ControlText(FindControl(panel, IDC_ALBUMS_ROOT)), root);
    EXPECT_EQ(ListFolder(locked), lockedBefore);

    ASSERT_TRUE(ClickButton(FindControl(panel, IDC_ALBUMS_ROOT_BROWSE)));
    ASSERT_TRUE(ChooseFolder(p, kAlbumsRootTitle, open));
    EXPECT_NE(AnswerBox(p, L"OK", panel).find(L"not moved"), std::wstring::npos);
    // The panel shows the new root once the box is answered, on its own time.
    EXPECT_TRUE(WaitUntil([&] { return ControlText(FindControl(panel, IDC_ALBUMS_ROOT)) == open; }))
        << Narrow(ControlText(FindControl(panel, IDC_ALBUMS_ROOT)));
    EXPECT_TRUE(ListFolder(open).empty()) << "the probe is removed";
    PostMessageW(panel, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return UserSetting(L"AlbumsPath") == open; }));
    HWND rebuilt = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        rebuilt = VisibleWindowOf(p, L"Album1 Window");
        return rebuilt != nullptr && rebuilt != album;
    }));
    Close(p, rebuilt);
}
