#include "ui/MattingsPanel_win.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

#include "display/DisplayState_win.h"
#include "base/ErrorReporter_win.h"
#include "base/FolderListing_win.h"
#include "base/Guards_win.h"
#include "base/Utilities_win.h"
#include "imaging/Decode_win.h"
#include "display/Frame_win.h"
#include "imaging/CropAndScale_win.h"
#include "storage/Settings_win.h"
#include "storage/Storage_win.h"
#include "storage/StorageRules.h"
#include "system/SaverRegistry_win.h"
#include "ui/FileSelection_win.h"
#include "ui/Panel_win.h"
#include "ui/PreviewStrip_win.h"
#include "res/resource.h"

namespace quorvel {

namespace {

const wchar_t kModule[] = L"Mattings";
constexpr ErrorSite kOpenSite{kModule, 107};

const GlyphButtonSpec kMattingsButtons[] = {{IDC_IMPORT_MATTINGS, IDB_BUTTON_IMPORT_MATTINGS, 0xD2}};
const int kMattingsColoured[] = {IDC_ALBUM1_RADIO, IDC_ALBUM2_RADIO, IDC_MATTING_GROUP};
const int kMattingsGroups[] = {IDC_MATTING_GROUP};
const int kAlbumRadios[kAlbumCount] = {IDC_ALBUM1_RADIO, IDC_ALBUM2_RADIO};

// One opening's choices; a reopen (after an import, or a DPI or display
// change) keeps only the album chosen.
struct MattingsState {
    int album = 0;
    int listed[kAlbumCount] = {-1, -1};  // list index of each album's board
    bool busy = false;
};

PreviewContent PreviewNow(const MattingsState& mattings) {
    const AlbumView* view = gDisplayState->albums[mattings.album].view;
    const wchar_t* text = gMode.role == Role::kConfigure ? gUserSettings->screenSaverPhrase
                          : view != nullptr              ? view->phrase
                                                         : L"";
    return {mattings.album, text, DT_CENTER | DT_VCENTER | DT_SINGLELINE};
}

HWND BoardList(HWND dialog) { return GetDlgItem(dialog, IDC_BOARD_LIST); }

// The album's board made into its tile again and shown: in the preview and
// in the album's window.
Status ShowBoard(HWND dialog, int album) {
    if (Status s = LoadMattingTile(album, gDisplayState->albums[album].mattingThumbnail); s != kOk) return s;
    if (Status s = BuildMattingTile(album); s != kOk) return s;
    if (const AlbumView* view = gDisplayState->albums[album].view; view != nullptr && view->window != nullptr)
        InvalidateRect(view->window, nullptr, FALSE);
    InvalidateRect(GetDlgItem(dialog, IDC_PREVIEW_STRIP), nullptr, FALSE);
    return kOk;
}

void SelectListed(HWND dialog, const MattingsState& mattings) {
    HWND list = BoardList(dialog);
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    // -1 would select every item: an album whose board is not listed
    // selects none.
    const int index = mattings.listed[mattings.album];
    if (index < 0) return;
    ListView_EnsureVisible(list, index, FALSE);
    ListView_SetItemState(list, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

// The list's foot, the import button under it and the group box round both
// follow the dialog's size.
void LayOut(HWND dialog) {
    RECT window, list, button, group;
    GetWindowRect(dialog, &window);
    GetWindowRect(BoardList(dialog), &list);
    GetWindowRect(GetDlgItem(dialog, IDC_IMPORT_MATTINGS), &button);
    GetWindowRect(GetDlgItem(dialog, IDC_MATTING_GROUP), &group);
    const int border = GetSystemMetrics(SM_CYBORDER);
    const int buttonWidth = button.right - button.left, buttonHeight = button.bottom - button.top;
    group.right = window.right - 4 * GetSystemMetrics(SM_CXBORDER);
    group.bottom = window.bottom - border - 11;
    // 26 pixels under the button and 20 above it, whatever the button's
    // height at this DPI: at 96 DPI the list ends 113 pixels above the
    // window's foot.
    button.left = list.left;
    button.top = group.bottom - 26 - buttonHeight;
    list.bottom = button.top - 20;
    auto place = [dialog](int id, RECT r, int width, int height) {
        POINT topLeft{r.left, r.top};
        ScreenToClient(dialog, &topLeft);
        MoveWindow(GetDlgItem(dialog, id), topLeft.x, topLeft.y, width, height, FALSE);
    };
    place(IDC_BOARD_LIST, list, list.right - list.left, list.bottom - list.top);
    place(IDC_IMPORT_MATTINGS, button, buttonWidth, buttonHeight);
    place(IDC_MATTING_GROUP, group, group.right - group.left, group.bottom - group.top);
}

// The strip runs 3 pixels inside the group box's sides, 35 to 136 pixels
// below its top.
void PlaceStrip(HWND dialog, HWND strip) {
    RECT group;
    GetWindowRect(GetDlgItem(dialog, IDC_MATTING_GROUP), &group);
    POINT topLeft{group.left + 3, group.top + 35};
    POINT bottomRight{group.right - 3, group.top + 136};
    ScreenToClient(dialog, &topLeft);
    ScreenToClient(dialog, &bottomRight);
    MoveWindow(strip, topLeft.x, topLeft.y, bottomRight.x - topLeft.x, bottomRight.y - topLeft.y, FALSE);
}

// One board as a thumbnail in the image list. A file that does not decode
// (a desktop.ini, a video) is no board: false, and nothing is added.
bool AddThumbnail(const wchar_t* path, HDC dc, HBITMAP canvas, SIZE side, HIMAGELIST images) {
    PhotoRecord board;
    if (DecodePhoto(path, false, &board) != kOk) return false;
    std::vector<std::uint8_t> scaled(ScaledBytes(side.cx, side.cy));
    if (Status s = CropAndScale(board.block, side.cx, side.cy, 100.0, scaled.data(), scaled.size()); s != kOk) {
        ShowError(s);
        return false;
    }
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = side.cx;
    header.biHeight = -side.cy;
    header.biPlanes = 1;
    header.biBitCount = 24;
    if (SetDIBits(dc, canvas, 0, side.cy, scaled.data(), reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS) !=
        side.cy)
        return false;
    return ImageList_Add(images, canvas, nullptr) >= 0;
}

bool IsAlbumBoard(int album, const wchar_t* name) {
    const wchar_t* board = gUserSettings->mattingFile[album];
    return board[0] != L'\0' && _wcsicmp(board, name) == 0;
}

Status AddBoardItem(HWND list, MattingsState& mattings, const wchar_t* name, int index) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = index;
    item.pszText = const_cast<wchar_t*>(name);
    item.iImage = index;
    item.lParam = index;
    if (ListView_InsertItem(list, &item) < 0) return Fail(QV_SITE(kModule), kErrListView, name);
    for (int album = 0; album < kAlbumCount; ++album)
        if (mattings.listed[album] < 0 && IsAlbumBoard(album, name)) mattings.listed[album] = index;
    return kOk;
}

// The first boards of the folder, and the albums' own boards wherever they
// come in the folder.
Status FillBoards(HWND list, MattingsState& mattings, HDC dc, HBITMAP canvas, SIZE side, HIMAGELIST images) {
    wchar_t folder[kPathChars], pattern[kPathChars];
    MattingsFolder(folder);
    if (!JoinPath(folder, L"*.*", pattern)) return Fail(QV_SITE(kModule), kErrInvalidArgument, folder);
    int count = 0;
    Status added = kOk;
    const bool listed = ForEachFile(pattern, [&](const WIN32_FIND_DATAW& found) {
        if (IsThumbnailCacheName(AsU16(found.cFileName))) return true;
        const bool albumBoard = (mattings.listed[0] < 0 && IsAlbumBoard(0, found.cFileName)) ||
                                (mattings.listed[1] < 0 && IsAlbumBoard(1, found.cFileName));
        if (count >= kListedBoards && !albumBoard) return true;
        wchar_t path[kPathChars];
        if (!JoinPath(folder, found.cFileName, path) || !AddThumbnail(path, dc, canvas, side, images)) return true;
        added = AddBoardItem(list, mattings, found.cFileName, count);
        ++count;
        return added == kOk;
    });
    if (!listed) {
        SaveWindowsError();
        return Fail(QV_SITE(kModule), kErrFindFirstFile, pattern);
    }
    if (added != kOk) return added;
    if (count == 0) return Fail(QV_SITE(kModule), kErrMissingMatting, folder);
    for (int album = 0; album < kAlbumCount; ++album)
        if (gDisplayState->albums[album].inUse && mattings.listed[album] < 0)
            return Fail(QV_SITE(kModule), kErrMissingMatting, gUserSettings->mattingFile[album]);
    return kOk;
}

Status BuildList(HWND dialog, MattingsState& mattings) {
    HWND list = BoardList(dialog);
    if (list == nullptr) return Fail(QV_SITE(kModule), kErrMissingResource);
    BitmapHandle canvas(static_cast<HBITMAP>(LoadImageW(gAppState->instance, MAKEINTRESOURCEW(IDB_BOARD_THUMBNAIL),
                                                        IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    BITMAP canvasInfo = {};
    if (!canvas || GetObjectW(canvas.get(), sizeof canvasInfo, &canvasInfo) == 0) {
        SaveWindowsError();
        SetErrorLocation(QV_SITE(kModule));
        return kErrLoadBitmap;
    }
    const SIZE side{canvasInfo.bmWidth, canvasInfo.bmHeight};
    LayOut(dialog);
    HIMAGELIST images = ImageList_Create(side.cx, side.cy, ILC_COLOR32, 1, kListedBoards);
    if (images == nullptr) return Fail(QV_SITE(kModule), kErrMemory);
    // The list owns its image list from here and destroys it with itself.
    if (HIMAGELIST old = ListView_SetImageList(list, images, LVSIL_NORMAL)) ImageList_Destroy(old);
    ListView_DeleteAllItems(list);
    mattings.listed[0] = mattings.listed[1] = -1;
    ListView_SetIconSpacing(list, side.cx + 40, side.cy + 40);
    const Status status = FillBoards(list, mattings, WindowDc(list).get(), canvas.get(), side, images);
    SelectListed(dialog, mattings);
    SetFocus(list);
    return status;
}

Status InitialiseMattings(HWND dialog, MattingsState& mattings) {
    mattings = MattingsState{.album = mattings.album};
    if (Status s = PreparePreviewViews(); s != kOk) return s;
    HWND strip = GetDlgItem(dialog, IDC_PREVIEW_STRIP);
    if (strip == nullptr) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    PlaceStrip(dialog, strip);
    if (Status s = AttachPreviewStrip(strip, [&mattings] { return PreviewNow(mattings); }); s != kOk) return s;
    CheckRadioButton(dialog, IDC_ALBUM1_RADIO, IDC_ALBUM2_RADIO, kAlbumRadios[mattings.album]);
    SetDlgItemTextW(dialog, IDC_ALBUM1_RADIO, gDisplayState->albums[0].folderName);
    SetDlgItemTextW(dialog, IDC_ALBUM2_RADIO, gDisplayState->albums[1].folderName);
    if (GetSystemMetrics(SM_CMONITORS) < 2) ShowWindow(GetDlgItem(dialog, IDC_ALBUM2_RADIO), SW_HIDE);
    if (Status s = BuildMattingTile(mattings.album); s != kOk) return s;
    return BuildList(dialog, mattings);
}

Status ChooseBoard(HWND dialog, MattingsState& mattings, int index) {
    wchar_t name[kPathChars] = L"";
    ListView_GetItemText(BoardList(dialog), index, 0, name, kPathChars);
    wchar_t folder[kPathChars], path[kPathChars];
    MattingsFolder(folder);
    if (!JoinPath(folder, name, path)) return Fail(QV_SITE(kModule), kErrInvalidArgument, name);
    Status check = kOk;
    if (!FileExists(path, &check)) {
        SetErrorLocation(QV_SITE(kModule), path);
        return check != kOk ? check : kErrFileMissing;
    }
    if (Status s = CheckBoardFile(path); s != kOk) return s;
    wcsncpy(gUserSettings->mattingFile[mattings.album], name, kPathChars - 1);
    if (Status s = ShowBoard(dialog, mattings.album); s != kOk) return s;
    mattings.listed[mattings.album] = index;
    NoteSettingsChange(kSettingsBoards);
    return kOk;
}

Status OnBoardClick(HWND dialog, MattingsState& mattings, const NMITEMACTIVATE& click) {
    if (mattings.busy || click.iItem < 0) return kOk;
    mattings.busy = true;
    const Status status = ChooseBoard(dialog, mattings, click.iItem);
    mattings.busy = false;
    return status;
}

Status ImportBoards(HWND dialog, const MattingsState& mattings) {
    FileSelection selection;
    bool chosen = false;
    if (Status s = AskForFiles(dialog, IDS_BOARD_IMPORT_TITLE, IDS_BOARD_FILTER, &selection, &chosen);
        s != kOk || !chosen)
        return s;
    const std::wstring folder(selection.folder.begin(), selection.folder.end());
    wchar_t boards[kPathChars];
    MattingsFolder(boards);
    for (const std::u16string& each : selection.names) {
        const std::wstring name(each.begin(), each.end());
        wchar_t source[kPathChars], target[kPathChars];
        if (!JoinPath(folder.c_str(), name.c_str(), source) || !JoinPath(boards, name.c_str(), target))
            return Fail(QV_SITE(kModule), kErrInvalidArgument, name.c_str());
        // A board chosen in the boards folder itself is there already.
        if (SamePath(source, target)) continue;
        // A board that replaces the one in use must be one the next start
        // can cut a tile from.
        if (Status s = CheckBoardFile(source); s != kOk) return s;
        if (!CopyFileW(source, target, FALSE)) {
            SaveWindowsError();
            SetErrorLocation(QV_SITE(kModule), source);
            return kErrCopyFile;
        }
    }
    if (selection.names.empty()) return kOk;
    NoteSettingsChange(kSettingsBoards);
    if (Status s = ShowBoard(dialog, mattings.album); s != kOk) return s;
    ReopenPanel(dialog);
    return kOk;
}

Status ShowAlbum(HWND dialog, MattingsState& mattings, int album) {
    mattings.album = album;
    SelectListed(dialog, mattings);
    InvalidateRect(BoardList(dialog), nullptr, TRUE);
    const Status status = BuildMattingTile(album);
    InvalidateRect(GetDlgItem(dialog, IDC_PREVIEW_STRIP), nullptr, FALSE);
    return status;
}

Status OnCommand(HWND dialog, MattingsState& mattings, int id) {
    switch (id) {
        case IDOK:
        case IDCANCEL: EndPanel(dialog, id); return kOk;
        case IDC_IMPORT_MATTINGS: return ImportBoards(dialog, mattings);
        case IDC_ALBUM1_RADIO: return ShowAlbum(dialog, mattings, 0);
        case IDC_ALBUM2_RADIO: return ShowAlbum(dialog, mattings, 1);
        default: return kOk;
    }
}

std::optional<Status> OnMessage(HWND dialog, MattingsState& mattings, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_NOTIFY) return std::nullopt;
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->idFrom != IDC_BOARD_LIST || header->code != NM_CLICK) return std::nullopt;
    return OnBoardClick(dialog, mattings, *reinterpret_cast<const NMITEMACTIVATE*>(lParam));
}

// OK, Cancel, Esc and the close command all leave the album with its board
// freshly loaded; a reopen keeps the panel going instead.
Status OnDestroy(HWND dialog, MattingsState& mattings, bool reopening) {
    return reopening ? kOk : ShowBoard(dialog, mattings.album);
}

// This panel's help asks its question without an icon.
const PanelDescription<MattingsState> kMattings{.parts = {.largeTemplate = IDD_MATTINGS,
                                                          .smallTemplate = IDD_MATTINGS_SMALL,
                                                          .site = kOpenSite,
                                                          .panelRequest = kPanelMattings,
                                                          .buttons = kMattingsButtons,
                                                          .colouredControls = kMattingsColoured,
                                                          .groupBoxes = kMattingsGroups,
                                                          .helpFile = L"QuorvelHelpMattingBoards.bat",
                                                          .helpFlag = kHelpMattings,
                                                          .helpQuestion = MB_YESNO},
                                                .onInit = InitialiseMattings,
                                                .onCommand = OnCommand,
                                                .onMessage = OnMessage,
                                                .onDestroy = OnDestroy};

}  // namespace

Status CheckBoardFile(const wchar_t* path) {
    PhotoRecord board;
    if (Status s = DecodePhoto(path, false, &board); s != kOk) return s;
    if (std::min(board.block.width, board.block.height) < kSmallestBoardSide)
        return Fail(QV_SITE(kModule), kErrMattingTooSmall, path);
    return kOk;
}

Status OpenMattingsPanel(HWND owner) {
    if (owner == nullptr || gAppState == nullptr || gDisplayState == nullptr || gUserSettings == nullptr)
        return Fail(QV_SITE(kModule), kErrInvalidArgument);
    MattingsState mattings;
    return LaunchPanel(owner, kMattings, mattings);
}

}  // namespace quorvel
