// Album import and the Monitor mapping panel against real files: the real
// file dialog typed into from another thread, an import batch's copy and
// checks, a panel reopened after a display change, and the display settings
// applet replaced by a stand-in that records how it was started.
#include <gtest/gtest.h>
#include <windows.h>
#include <knownfolders.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <thread>
#include <vector>

#include "base/PhotoTypes.h"
#include "base/Utilities_win.h"
#include "storage/Settings_win.h"
#include "ui/AlbumFolders_win.h"
#include "ui/FileSelection_win.h"
#include "ui/Import_win.h"
#include "ui/MonitorsPanel_win.h"
#include "ui/Panel_win.h"
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
    wchar_t text[kMessageChars];
    (void)LoadText(id, text, sizeof text);
    return text;
}

// Names long enough that forty of them need more than a thousand characters.
std::wstring LongName(int i) {
    wchar_t name[96];
    swprintf(name, std::size(name), L"the northern shore of the lake seen from the old boat house %03d.jpg", i);
    return name;
}

// The import's file dialog with `names` typed into it by another thread.
Status ChooseFiles(const std::vector<std::wstring>& names, FileSelection* selection, bool* chosen) {
    std::wstring typed;
    for (const std::wstring& name : names) typed += L"\"" + name + L"\" ";
    const std::wstring title = TextOf(IDS_IMPORT_TITLE);
    std::thread typist([&] { e2e::ChooseInFileDialog(GetCurrentProcessId(), title, typed); });
    const Status status = AskForFiles(nullptr, IDS_IMPORT_TITLE, IDS_IMPORT_FILTER, selection, chosen);
    typist.join();
    return status;
}

std::vector<std::wstring> Wide(const std::vector<std::u16string>& names) {
    std::vector<std::wstring> wide;
    for (const std::u16string& name : names) wide.emplace_back(name.begin(), name.end());
    return wide;
}

std::u16string U16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

// One import batch into `album` with its message boxes answered: what it
// copied, whether album 1 is now that folder, and what the boxes said.
struct Batch {
    Status status = kOk;
    int copied = 0;
    bool used = false;
    std::vector<std::wstring> said;
};
Batch ImportBatchInto(const std::wstring& from, std::vector<std::u16string> names, const std::wstring& album) {
    Batch batch;
    BoxWatcher watcher;
    batch.status = ImportIntoFolder(nullptr, FileSelection{U16(from), std::move(names)}, album.c_str(), &batch.copied,
                                    &batch.used);
    for (const SeenBox& box : watcher.Boxes()) batch.said.push_back(box.text);
    return batch;
}

}  // namespace

TEST(ImportFileDialog, TakesMoreThanFortyLongNamesAndKeepsBatchesApart) {
    ProcessRecords records;
    const std::wstring pictures = e2e::KnownFolder(FOLDERID_Pictures);
    std::vector<std::wstring> all;
    for (int i = 0; i < 47; ++i) {
        all.push_back(LongName(i));
        ASSERT_TRUE(WriteBytes(pictures + L"\\" + all.back(), "x"));
    }
    const std::vector<std::wstring> many(all.begin(), all.begin() + 45), two(all.begin() + 45, all.end());
    FileSelection selection;
    bool chosen = false;

    ASSERT_EQ(ChooseFiles(many, &selection, &chosen), kOk);
    EXPECT_TRUE(chosen);
    std::vector<std::wstring> got = Wide(selection.names);
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, many);

    ASSERT_EQ(ChooseFiles(two, &selection, &chosen), kOk);
    got = Wide(selection.names);
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, two) << "nothing of the batch before";
    for (const std::wstring& name : all) DeleteFileW((pictures + L"\\" + name).c_str());
}

// The import offers no file type that an album cannot show.
TEST(Import, EveryOfferedTypeIsAnAlbumType) {
    ProcessRecords records;
    const std::wstring list = LoadFilterList(IDS_IMPORT_FILTER);
    int patterns = 0;
    // Description, patterns, description, patterns... up to the empty entry.
    int index = 0;
    for (std::size_t at = 0; at < list.size() && list[at] != L'\0'; at = list.find(L'\0', at) + 1) {
        const std::wstring entry = list.substr(at, list.find(L'\0', at) - at);
        if (index++ % 2 == 0) continue;
        for (std::size_t from = 0; from <= entry.size();) {
            const std::size_t end = std::min(entry.find(L';', from), entry.size());
            const std::u16string name = u"photo" + U16(entry.substr(from + 1, end - from - 1));
            bool shown = false;
            for (int type = 1; type <= kPhotoTypeCount; ++type) shown = shown || NameHasPhotoType(name, type);
            EXPECT_TRUE(shown) << "offered: " << std::string(name.begin(), name.end());
            ++patterns;
            from = end + 1;
        }
    }
    EXPECT_GT(patterns, 0);
}

TEST(Import, AReplacedPhotoLosesItsCacheCopyAndPhotosOfAnotherTypeAreNamed) {
    ProcessRecords records;
    GdiplusSession gdiplus;
    TempFolder source;
    const std::wstring album = records.root / L"Lakes";
    ASSERT_TRUE(CreateDirectoryW(album.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((album + L"\\BMP").c_str(), nullptr));
    ASSERT_TRUE(WriteImage(album + L"\\shore.jpg", 100, 100, 0xFF0000));
    const std::u16string cacheName = CacheFileName(u"shore.jpg", 1);
    const std::wstring cache = album + L"\\BMP\\" + std::wstring(cacheName.begin(), cacheName.end());
    ASSERT_TRUE(WriteBytes(cache, "the old pixels"));
    ASSERT_TRUE(WriteImage(source / L"shore.jpg", 100, 100, 0x0000FF));
    ASSERT_TRUE(WriteImage(source / L"dunes.png", 100, 100, 0x00FF00));
    const Batch batch = ImportBatchInto(source.Path(), {u"shore.jpg", u"dunes.png"}, album);
    ASSERT_EQ(batch.status, kOk);
    EXPECT_EQ(batch.copied, 2);
    EXPECT_TRUE(batch.used);
    EXPECT_STREQ(gDisplayState->albums[0].folderName, L"Lakes");
    EXPECT_EQ(ReadBytes(album + L"\\shore.jpg"), ReadBytes(source / L"shore.jpg"));
    EXPECT_EQ(GetFileAttributesW(cache.c_str()), INVALID_FILE_ATTRIBUTES) << "the old pixels would show";
    EXPECT_EQ(batch.said, std::vector<std::wstring>{
                              L"1 of the copied photos are not of the album's type (*.jpg) and will not be shown."});
}

TEST(Import, SeventyOnePhotosWarnAsAtStartAndAPhotoAlreadyInTheAlbumIsNotCopied) {
    ProcessRecords records;
    GdiplusSession gdiplus;
    const std::wstring album = records.root / L"Forest";
    ASSERT_TRUE(CreateDirectoryW(album.c_str(), nullptr));
    for (int i = 0; i < 71; ++i)
        ASSERT_TRUE(WriteImage(album + L"\\tree " + std::to_wstring(i) + L".bmp", 100, 100, 0x206020));
    const Batch batch = ImportBatchInto(album, {u"tree 0.bmp"}, album);
    ASSERT_EQ(batch.status, kOk);
    EXPECT_EQ(batch.copied, 0);
    EXPECT_TRUE(batch.used);
    EXPECT_STREQ(gDisplayState->albums[0].folderName, L"Forest");
    EXPECT_EQ(ReadBytes(album + L"\\tree 0.bmp").size(), ReadBytes(album + L"\\tree 1.bmp").size());
    EXPECT_EQ(batch.said, std::vector<std::wstring>{L"Forest contains 71 pictures. Maximum allowed is: 70"});
}

// A photo with a name whose cache copy would run past the path limit is one
// a start would refuse: it is named and left where it is, and the others
// are imported.
TEST(Import, APhotoAStartWouldRefuseIsNamedAndNotCopied) {
    ProcessRecords records;
    GdiplusSession gdiplus;
    TempFolder source;
    const std::wstring album = records.root / L"Lakes";
    ASSERT_TRUE(CreateDirectoryW(album.c_str(), nullptr));
    // The photo's own path fits, at 259 characters; its cache copy's, in
    // "BMP", does not.
    const std::wstring longName = std::wstring(254 - album.size(), L'w') + L".png";
    ASSERT_TRUE(WriteImage(source / longName, 200, 150, 0x2080C0));
    ASSERT_TRUE(WriteImage(source / L"shore.png", 200, 150, 0x2080C0));
    const Batch batch = ImportBatchInto(source.Path(), {U16(longName), u"shore.png"}, album);
    ASSERT_EQ(batch.status, kOk);
    EXPECT_EQ(batch.copied, 1);
    EXPECT_TRUE(batch.used);
    EXPECT_EQ(Listing(album), Names{L"shore.png"});
    ASSERT_EQ(batch.said.size(), 1u);
    EXPECT_NE(batch.said[0].find(L"\n" + longName + L" (Error: Invalid argument)"), std::wstring::npos);
}

// The order the user gave album 1's photos belongs to its folder: importing
// into the album's own folder keeps it, into another folder forgets it, so
// same-named photos there come in that folder's own order.
TEST(Import, AStoredPhotoOrderStaysWithItsFolder) {
    ProcessRecords records;
    GdiplusSession gdiplus;
    TempFolder source;
    for (const wchar_t* name : {L"a.png", L"b.png", L"c.png"})
        ASSERT_TRUE(WriteImage(source / name, 200, 150, 0x2080C0));
    const std::wstring lakes = records.root / L"Lakes", dunes = records.root / L"Dunes";
    ASSERT_TRUE(CreateDirectoryW(lakes.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(dunes.c_str(), nullptr));
    ASSERT_TRUE(ImportBatchInto(source.Path(), {u"a.png", u"b.png"}, lakes).used);
    ASSERT_EQ(WriteSettingTextById(IDS_KEY_PHOTO_ORDER, 1, L"b.BMP|a.BMP"), kOk);

    ASSERT_TRUE(ImportBatchInto(source.Path(), {u"c.png"}, lakes).used);
    EXPECT_EQ(ReadPhotoOrder(0), u"b.BMP|a.BMP");
    ASSERT_TRUE(ImportBatchInto(source.Path(), {u"a.png", u"b.png"}, dunes).used);
    EXPECT_STREQ(gDisplayState->albums[0].folderName, L"Dunes");
    EXPECT_EQ(ReadPhotoOrder(0), u"");
}

TEST(MonitorsPanel, AReopenAfterADisplayChangeCountsTheMonitorsAgain) {
    ProcessRecords records;
    PanelLook look;
    // Three monitors left over from before the change; Xvfb has one.
    for (int i = 0; i < 3; ++i) {
        MonitorInfo& m = gDisplayState->monitors[i];
        m = {};
        m.left = 1920 * i;
        m.right = 1920 * i + 1919;
        m.bottom = 1079;
        m.deviceIndex = i;
        m.album = 0;
    }
    gDisplayState->lastMonitor = 2;
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    PanelScript script{L"Monitor Mapping Panel - Quorvel"};
    bool staleShown = false, thirdAfterReopen = true;
    script.steps.push_back([&](HWND panel) {
        staleShown = IsWindowVisible(GetDlgItem(panel, IDC_MONITOR_CHECK1 + 2)) != FALSE;
        gUiState.screenSize = {1, 1};
        SendMessageW(panel, WM_DISPLAYCHANGE, 32, MAKELPARAM(1920, 1080));
    });
    script.steps.push_back([&](HWND panel) {
        thirdAfterReopen = IsWindowVisible(GetDlgItem(panel, IDC_MONITOR_CHECK1 + 2)) != FALSE;
        Command(panel, IDCANCEL);
    });

    EXPECT_EQ(RunScripted(script, [&] { return OpenMonitorsPanel(owner); }), kOk);
    DestroyWindow(owner);
    EXPECT_TRUE(staleShown);
    EXPECT_FALSE(thirdAfterReopen);
    EXPECT_EQ(gDisplayState->lastMonitor, 0);
}

TEST(MonitorsPanel, StartsTheDisplaySettingsShown) {
    ProcessRecords records;
    // Started by name, the applet's host is looked for in the current
    // folder before the system folder.
    TempFolder stand;
    ASSERT_TRUE(CopyFileW(e2e::JoinPath(e2e::TestProgramFolder(), L"arg_recorder.exe").c_str(),
                          (stand / L"rundll32.exe").c_str(), FALSE));
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(stand.Path().c_str());
    const Status status = RunDisplaySettings();
    SetCurrentDirectoryW(previous);
    ASSERT_EQ(status, kOk);
    ASSERT_TRUE(e2e::WaitUntil([&] { return !ReadBytes(stand / L"args.txt").empty(); }));
    const std::string args = ReadBytes(stand / L"args.txt"), shows = ReadBytes(stand / L"shows.txt");
    const std::wstring started(reinterpret_cast<const wchar_t*>(args.data()), args.size() / sizeof(wchar_t));
    const std::wstring show(reinterpret_cast<const wchar_t*>(shows.data()), shows.size() / sizeof(wchar_t));
    EXPECT_NE(started.find(L"desk.cpl"), std::wstring::npos);
    EXPECT_NE(show, std::to_wstring(SW_HIDE) + L"\n");
    EXPECT_NE(show, L"default\n") << "told how to show";
}

namespace {

// Counts the task allocator's blocks that are still alive.
class LiveBlocks final : public IMallocSpy {
public:
    LONG live = 0;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid != IID_IUnknown && iid != IID_IMallocSpy) return *out = nullptr, E_NOINTERFACE;
        *out = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T bytes) override { return bytes; }
    void* STDMETHODCALLTYPE PostAlloc(void* block) override {
        if (block != nullptr) InterlockedIncrement(&live);
        return block;
    }
    void* STDMETHODCALLTYPE PreFree(void* block, BOOL spied) override {
        if (block != nullptr && spied) InterlockedDecrement(&live);
        return block;
    }
    void STDMETHODCALLTYPE PostFree(BOOL) override {}
    SIZE_T STDMETHODCALLTYPE PreRealloc(void* block, SIZE_T bytes, void** out, BOOL) override {
        *out = block;
        return bytes;
    }
    void* STDMETHODCALLTYPE PostRealloc(void* block, BOOL) override { return block; }
    void* STDMETHODCALLTYPE PreGetSize(void* block, BOOL) override { return block; }
    SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T bytes, BOOL) override { return bytes; }
    void* STDMETHODCALLTYPE PreDidAlloc(void* block, BOOL) override { return block; }
    int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int actual) override { return actual; }
    void STDMETHODCALLTYPE PreHeapMinimize() override {}
    void STDMETHODCALLTYPE PostHeapMinimize() override {}
};

// The folder browser rooted at `root`, its root folder chosen with OK.
bool BrowseAndTakeTheRoot(const std::wstring& root) {
    const std::wstring title = L"Choose the root";
    std::thread chooser([&] {
        HWND browser =
            e2e::WaitForWindow(GetCurrentProcessId(), [&](HWND w) { return e2e::FindControl(w, title) != nullptr; });
        if (browser != nullptr) e2e::ClickButton(e2e::FindControl(browser, IDOK));
    });
    wchar_t path[kPathChars];
    bool chosen = false;
    const Status status = BrowseForFolder(nullptr, root.c_str(), title.c_str(), path, &chosen);
    chooser.join();
    return status == kOk && chosen;
}

}  // namespace

TEST(FolderBrowser, LeavesNoItemListBehind) {
    ProcessRecords records;
    LiveBlocks spy;
    BrowseAndTakeTheRoot(records.root.Path());  // the shell's own caches fill once
    ASSERT_EQ(CoRegisterMallocSpy(&spy), S_OK);
    const bool chosen = BrowseAndTakeTheRoot(records.root.Path());
    CoRevokeMallocSpy();
    EXPECT_TRUE(chosen);
    EXPECT_EQ(spy.live, 0);
}
