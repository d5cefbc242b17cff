// The Photos panel on its real template, over albums of real photo files:
// what an opening may fail on, what it keeps through a reopen and hands to
// the settings file, and what a long run of openings leaves behind.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cwchar>
#include <map>
#include <string>

#include "base/ErrorReporter_win.h"
#include "base/Guards_win.h"
#include "base/Utilities_win.h"
#include "imaging/Decode_win.h"
#include "imaging/Metadata_win.h"
#include "storage/Settings_win.h"
#include "storage/Storage_win.h"
#include "ui/Panel_win.h"
#include "ui/PhotosPanel_win.h"
#include "res/resource.h"
#include "tests/win/ExiftoolRows.h"
#include "tests/win/PanelScript.h"
#include "tests/win/TestState.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

const wchar_t kTitle[] = L"Photos Panel - Quorvel";

std::wstring TextOf(unsigned id) {
    wchar_t text[kMessageChars] = L"";
    (void)LoadText(id, text, sizeof text);
    return text;
}

class PhotosPanel : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gdiplus.Started());
        gAppState->backgroundColour = 0x502428;
        gAppState->backgroundBrush = CreateSolidBrush(0x502428);
        gAppState->textColour = 0x5CD6B9;
        gAppState->appIcon = LoadIconW(nullptr, IDI_APPLICATION);
        FillButtonPalette();
        gUiState.screenSize = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        wchar_t root[kPathChars];
        AlbumsFolder(root);
        albums = root;
        CreateDirectoryW(albums.c_str(), nullptr);
        owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    }
    void TearDown() override {
        DestroyWindow(owner);
        for (int album = 0; album < kAlbumCount; ++album) ReleaseAlbum(album);
        DeleteObject(gAppState->backgroundBrush);
    }

    // A jpg album of photos width x height (and the named others), as the
    // album step leaves it before decoding.
    void Album(int album, const wchar_t* folder, std::initializer_list<const wchar_t*> photos, int width = 160,
               int height = 120) {
        CreateDirectoryW((albums + L"\\" + folder).c_str(), nullptr);
        for (const wchar_t* name : photos)
            ASSERT_TRUE(WriteImage(albums + L"\\" + folder + L"\\" + name, width, height, 0x4080C0));
        AlbumSlot& slot = gDisplayState->albums[album];
        wcscpy(slot.folderName, folder);
        slot.photoType = 1;
        slot.photoCount = static_cast<int>(photos.size());
        slot.inUse = 1;
    }

    ProcessRecords records;
    GdiplusSession gdiplus;
    std::wstring albums;
    HWND owner = nullptr;
};

// A photo the panel cannot show, in either album, is left out of it as the
// album windows leave it out; an album left with none is the panel's
// failure: shown once, the panel never comes up, and the caller goes on.
// Album 2 is not read at all while it is not in use.
TEST_F(PhotosPanel, APhotoItCannotShowIsLeftOutAndAnAlbumWithoutOneEndsOnlyThePanel) {
    Album(0, L"Hills", {L"a.jpg", L"b.jpg"});
    Album(1, L"Coast", {L"c.jpg"});
    ASSERT_TRUE(WriteBytes(albums + L"\\Coast\\broken.jpg", "not a photo"));
    ASSERT_TRUE(WriteImage(albums + L"\\Hills\\small.jpg", 160, 90, 0x4080C0));
    gDisplayState->albums[0].photoCount = 3;
    gDisplayState->albums[1].photoCount = 2;
    gDisplayState->albums[1].inUse = 0;
    bool opened = false;
    PanelScript script;
    script.title = kTitle;
    auto open = [&] {
        opened = false;
        script.boxes.clear();
        script.steps = {[&](HWND p) {
            opened = true;
            PostMessageW(p, WM_SYSCOMMAND, SC_CLOSE, 0);
        }};
        return RunScripted(script, [&] { return OpenPhotosPanel(owner); });
    };
    ASSERT_EQ(open(), kOk);
    EXPECT_TRUE(opened);
    EXPECT_TRUE(script.boxes.empty()) << FirstBox(script);
    EXPECT_EQ(gDisplayState->albums[0].photoCount, 2);

    gDisplayState->albums[1].inUse = 1;
    ASSERT_EQ(open(), kOk);
    EXPECT_TRUE(opened);
    EXPECT_TRUE(script.boxes.empty()) << FirstBox(script);
    EXPECT_EQ(gDisplayState->albums[1].photoCount, 1);

    ASSERT_TRUE(DeleteFileW((albums + L"\\Coast\\c.jpg").c_str()));
    gDisplayState->albums[1].photoCount = 1;
    ASSERT_EQ(open(), kOk);
    EXPECT_FALSE(opened);
    ASSERT_EQ(script.boxes.size(), 1u);
    EXPECT_NE(script.boxes[0].find(TextOf(kErrMissingPhotos)), std::wstring::npos) << FirstBox(script);
}

// The configuration screen: a Saved box and a stitch mode chosen before a
// display change reopens the panel are still the panel's changes after it,
// and they, and only they, reach the settings file.
TEST_F(PhotosPanel, ChangesSurviveAReopenAndOnlyTheyAreWritten) {
    gMode.role = Role::kConfigure;
    Album(0, L"Hills", {L"a.jpg", L"b.jpg"});
    HWND first = nullptr;
    bool reopened = false;
    PanelScript script;
    script.title = kTitle;
    script.steps = {
        [&](HWND p) {
            first = p;
            CheckDlgButton(p, IDC_SUMMER_SAVED, BST_CHECKED);
            Command(p, IDC_SUMMER_SAVED);
            CheckRadioButton(p, IDC_STITCH_NONE, IDC_STITCH_COLLAGE, IDC_STITCH_COLLAGE);
            Command(p, IDC_STITCH_COLLAGE);
            gUiState.screenSize.width -= 1;
            SendMessageW(p, WM_DISPLAYCHANGE, 32, 0);
        },
        [&](HWND p) {
            reopened = !IsWindow(first);
            EXPECT_EQ(IsDlgButtonChecked(p, IDC_SUMMER_SAVED), BST_CHECKED);
            EXPECT_EQ(IsDlgButtonChecked(p, IDC_STITCH_COLLAGE), BST_CHECKED);
            Command(p, IDCANCEL);
        },
    };
    ASSERT_EQ(RunScripted(script, [&] { return OpenPhotosPanel(owner); }), kOk);
    EXPECT_TRUE(script.boxes.empty()) << FirstBox(script);
    EXPECT_TRUE(reopened);
    EXPECT_TRUE(gMode.restartRequested) << "the display is rebuilt for the new stitch mode";

    ASSERT_EQ(SaveChangedSettings(), kOk);
    const std::wstring file = records.settingsFile();
    wchar_t effects[16] = L"", stitch[16] = L"", keys[1024] = L"";
    GetPrivateProfileStringW(L"Header", L"CurrentEffects1", L"", effects, 16, file.c_str());
    GetPrivateProfileStringW(L"Header", L"CurrentStitchMode1", L"", stitch, 16, file.c_str());
    EXPECT_STREQ(effects, L"4");
    EXPECT_STREQ(stitch, L"2");
    GetPrivateProfileStringW(L"Header", nullptr, L"", keys, 1024, file.c_str());
    std::wstring written;
    for (const wchar_t* key = keys; *key != L'\0'; key += wcslen(key) + 1) written += std::wstring(key) + L" ";
    EXPECT_EQ(written, L"CurrentEffects1 CurrentStitchMode1 CurrentEffects2 CurrentStitchMode2 ");
}

// Two openings, ended by Esc and by Close, each with a drag that
// loses the mouse to another window and a repaint while the panel asks a
// question: every paint is finished, a lost capture ends the drag so the
// next press starts one, and no GDI object or handle is left behind. The
// Actual Size button names the mode it offers.
TEST_F(PhotosPanel, OpeningsLeaveNothingBehindAndPaintsAndDragsEnd) {
    Album(0, L"Hills", {L"a.jpg", L"b.jpg"}, 640, 480);
    int rounds = 0;
    PanelScript script;
    script.title = kTitle;
    // Closed once with Esc, once from the system menu; the leak listener
    // checks what the openings left.
    for (int opening = 0; opening < 2; ++opening) {
        script.steps = {
            [&](HWND p) {
                HWND preview = GetDlgItem(p, IDC_PHOTO_PREVIEW);
                Command(p, IDC_ACTUAL_SIZE);
                EXPECT_EQ(Text(p, IDC_ACTUAL_SIZE), TextOf(IDS_FIT_WINDOW));
                SendMessageW(preview, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
                EXPECT_EQ(GetCapture(), preview);
                SetCapture(p);
                ReleaseCapture();
                SendMessageW(preview, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
                EXPECT_EQ(GetCapture(), preview) << "a lost capture ended the drag";
                SendMessageW(preview, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
                // The question keeps the panel busy while the next step runs.
                Command(p, IDC_HALVE_PHOTOS);
            },
            [&](HWND p) {
                HWND preview = GetDlgItem(p, IDC_PHOTO_PREVIEW);
                RedrawWindow(preview, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
                EXPECT_FALSE(GetUpdateRect(preview, nullptr, FALSE)) << "the paint was begun and ended";
                ++rounds;
            },
            [&](HWND p) {
                Command(p, IDC_ACTUAL_SIZE);
                EXPECT_EQ(Text(p, IDC_ACTUAL_SIZE), TextOf(IDS_ACTUAL_SIZE));
                if (opening % 2 == 0)
                    Command(p, IDCANCEL);
                else
                    PostMessageW(p, WM_SYSCOMMAND, SC_CLOSE, 0);
            },
        };
        script.boxes.clear();
        ASSERT_EQ(RunScripted(script, [&] { return OpenPhotosPanel(owner); }), kOk);
        ASSERT_EQ(script.boxes.size(), 1u) << "only the halving question";
        EXPECT_EQ(script.boxes[0], TextOf(kAskHalveResolution));
    }
    EXPECT_EQ(rounds, 2);
    // The photos decoded for the panel go with it; the halving question was
    // not answered Yes, so the cache copy keeps its width.
    EXPECT_TRUE(gDisplayState->albums[0].photos[0].block.Empty());
    wchar_t path[kPathChars];
    ASSERT_EQ(CacheBitmapPath(gDisplayState->albums[0], 0, path), kOk);
    CacheBitmapInfo info;
    ASSERT_EQ(ReadCacheBitmap(path, &info, nullptr), kOk);
    EXPECT_EQ(info.width, 640) << "the question was not answered Yes";
}

// The properties list of the panel, as label -> value.
std::map<std::wstring, std::wstring> ListedRows(HWND panel) {
    HWND list = GetDlgItem(panel, IDC_PROPERTY_LIST);
    std::map<std::wstring, std::wstring> rows;
    for (int row = 0; row < ListView_GetItemCount(list); ++row) {
        wchar_t label[128] = L"", value[256] = L"";
        ListView_GetItemText(list, row, 0, label, 128);
        ListView_GetItemText(list, row, 1, value, 256);
        rows[label] = value;
    }
    return rows;
}

// Both photos of an album of exiftool-tagged photos, the second chosen from
// the thumbnails: the list shows every row exiftool reads, Date taken (one
// in summer, one in winter) included. A photo's items are read as it is
// shown: the second photo's file, held by another program while the panel
// opens, is let go before it is chosen.
TEST_F(PhotosPanel, ThePropertiesListShowsWhatExiftoolReads) {
    ASSERT_TRUE(GetFileAttributesW(FixturePath(L"meta_made").c_str()) != INVALID_FILE_ATTRIBUTES)
        << "the metadata photos were not made: exiftool or ImageMagick missing (tools/setup-deps.sh)";
    const wchar_t* photos[] = {L"meta_full.jpg", L"meta_little.jpg"};
    CreateDirectoryW((albums + L"\\Tagged").c_str(), nullptr);
    for (const wchar_t* name : photos)
        ASSERT_TRUE(CopyFileW(FixturePath(name).c_str(), (albums + L"\\Tagged\\" + name).c_str(), FALSE));
    Album(0, L"Tagged", {});
    gDisplayState->albums[0].photoCount = 2;
    ASSERT_EQ(DecodeAlbum(gDisplayState->albums[0], ReadPhotoOrder(0)),
              kOk);  // the cache copies, without which a held photo cannot open
    const std::u16string secondCache = gDisplayState->albums[0].photos[1].fileName;
    const std::wstring second =
        albums + L"\\Tagged\\" + std::wstring(secondCache.begin(), secondCache.end() - 3) + L"jpg";
    FileHandle held(
        CreateFileW(second.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    std::vector<std::map<std::wstring, std::wstring>> shown;
    PanelScript script;
    script.title = kTitle;
    script.steps = {
        [&](HWND p) {
            shown.push_back(ListedRows(p));
            held.reset();
            HWND thumbnails = GetDlgItem(p, IDC_THUMBNAIL_LIST);
            ListView_SetItemState(thumbnails, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        },
        [&](HWND p) {
            shown.push_back(ListedRows(p));
            Command(p, IDCANCEL);
        },
    };
    ASSERT_EQ(RunScripted(script, [&] { return OpenPhotosPanel(owner); }), kOk);
    EXPECT_TRUE(script.boxes.empty()) << FirstBox(script);
    PropertyTexts texts;
    ASSERT_EQ(LoadPropertyTexts(texts), kOk);
    const auto label = [&](PropertyRow row) {
        const std::u16string& text = texts[static_cast<std::size_t>(row)];
        return std::wstring(text.begin(), text.end());
    };
    ASSERT_EQ(shown.size(), 2u);
    std::map<std::wstring, bool> seen;
    for (const auto& rows : shown) {
        const auto name = rows.find(label(PropertyRow::kFileName));
        ASSERT_NE(name, rows.end());
        const std::wstring file = name->second;
        SCOPED_TRACE(Narrow(U16(file)));
        seen[file] = true;
        WIN32_FILE_ATTRIBUTE_DATA data{};
        ASSERT_TRUE(GetFileAttributesExW((albums + L"\\Tagged\\" + file).c_str(), GetFileExInfoStandard, &data));
        const auto expected = ExpectedRows(ExiftoolReading(file), file, 1,
                                           std::int64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow, 0, true);
        ASSERT_TRUE(expected.count(PropertyRow::kDateTaken));
        // The file system's time, which exiftool is not asked for.
        EXPECT_TRUE(rows.count(label(PropertyRow::kDateModified)));
        for (const auto& [row, value] : expected) {
            if (row == PropertyRow::kDateModified) continue;
            const auto listed = rows.find(label(row));
            ASSERT_NE(listed, rows.end()) << "row " << static_cast<int>(row) + 1;
            EXPECT_EQ(Narrow(U16(listed->second)), Narrow(value)) << "row " << static_cast<int>(row) + 1;
        }
        EXPECT_EQ(rows.size(), expected.size());
    }
    EXPECT_EQ(seen.size(), 2u) << "the second photo's rows follow the selection";
}

}  // namespace
