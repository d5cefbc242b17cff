#include "ui/PhotosPanel_win.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "display/DisplayState_win.h"
#include "base/ErrorReporter_win.h"
#include "base/Guards_win.h"
#include "base/Utilities_win.h"
#include "imaging/Decode_win.h"
#include "strip/Strip_win.h"
#include "display/Frame_win.h"
#include "photos/AlbumEdits_win.h"
#include "imaging/CropAndScale_win.h"
#include "imaging/ImageOps.h"
#include "imaging/Metadata_win.h"
#include "photos/PhotoPanelRules.h"
#include "storage/Settings_win.h"
#include "ui/GlyphDraw_win.h"
#include "ui/Panel_win.h"
#include "res/resource.h"

namespace quorvel {

namespace {

const wchar_t kModule[] = L"PhotosDlg";
constexpr ErrorSite kOpenSite{kModule, 95};
constexpr int kThumbWidth = 80, kThumbHeight = 59;
constexpr int kThumbSpacing = 90;
// The preview takes at most this share of the panel's width, so that the
// properties list beside it keeps room for its values.
constexpr int kPreviewShareNumerator = 3, kPreviewShareDenominator = 5;

constexpr int kFall = 2, kWinter = 1, kSummer = 4;

// Records in the order their table gives them; a control's first record is
// the one the shared drawing finds, the others are drawn here.
enum : int { kFitLook = 0, kActualSizeLook = 1, kFallLook = 6, kSummerLook = 7, kWinterLook = 8, kEffectOnLook = 12 };
const GlyphButtonSpec kPhotosButtons[] = {
    {IDC_ACTUAL_SIZE, IDB_BUTTON_FIT_WINDOW, 0x2190, 0x2192, 0, 0, 1},
    {IDC_ACTUAL_SIZE, IDB_BUTTON_ACTUAL_SIZE, 0xF04C},
    {IDC_ROTATE_LEFT, IDB_BUTTON_ROTATE_LEFT, 0x21B6, 0, 0, 0, 1},
    {IDC_ROTATE_RIGHT, IDB_BUTTON_ROTATE_RIGHT, 0x21B7, 0, 0, 0, 1},
    {IDC_SHIFT_LEFT, IDB_BUTTON_SHIFT_LEFT, 0xF033},
    {IDC_SHIFT_RIGHT, IDB_BUTTON_SHIFT_RIGHT, 0xF034},
    {IDC_FALL_PREVIEW, IDB_BUTTON_FALL, 0xF0DF},
    {IDC_SUMMER_PREVIEW, IDB_BUTTON_SUMMER, 0xF0D5},
    {IDC_WINTER_PREVIEW, IDB_BUTTON_WINTER, 0xF0DA},
    {IDC_DELETE_PHOTO, IDB_BUTTON_DELETE_PHOTO, 0xF03F},
    {IDC_FLIP_VERTICAL, IDB_BUTTON_FLIP_VERTICAL, 0xF035, 0xF036, kGlyphRaise, kGlyphLower},
    {IDC_FLIP_HORIZONTAL, IDB_BUTTON_FLIP_HORIZONTAL, 0xF033, 0xF034, kGlyphShiftLeft, kGlyphShiftRight},
    {0, IDB_BUTTON_EFFECT_ON, 0xF071},
    {IDC_HALVE_PHOTOS, IDB_BUTTON_HALVE, 0xF036, 0xF036, kGlyphRaise, kGlyphLower},
};
const int kPhotosColoured[] = {IDC_ALBUM1_RADIO, IDC_ALBUM2_RADIO, IDC_TRANSFORM_GROUP, IDC_EFFECTS_GROUP,
                               IDC_STITCH_GROUP, IDC_FALL_SAVED,   IDC_WINTER_SAVED,    IDC_SUMMER_SAVED,
                               IDC_STITCH_NONE,  IDC_STITCH_BLUR,  IDC_STITCH_COLLAGE,  IDC_APPLY_TO_ALL};
const int kPhotosGroups[] = {IDC_TRANSFORM_GROUP, IDC_EFFECTS_GROUP, IDC_STITCH_GROUP};
const PanelMenuItem kPhotosMenu[] = {{IDS_MENU_ABOUT, IDM_PANEL_ABOUT}, {IDS_MENU_QUORVEL_HELP, IDM_PANEL_HELP}};
const int kAlbumRadios[kAlbumCount] = {IDC_ALBUM1_RADIO, IDC_ALBUM2_RADIO};
const int kStitchRadios[] = {IDC_STITCH_NONE, IDC_STITCH_BLUR, IDC_STITCH_COLLAGE};
struct EffectControls {
    int button;
    int saved;
    int bit;
    int look;
};
const EffectControls kEffects[] = {{IDC_FALL_PREVIEW, IDC_FALL_SAVED, kFall, kFallLook},
                                   {IDC_WINTER_PREVIEW, IDC_WINTER_SAVED, kWinter, kWinterLook},
                                   {IDC_SUMMER_PREVIEW, IDC_SUMMER_SAVED, kSummer, kSummerLook}};

// One opening's state; a reopen after a display change starts it afresh
// but for what the panel has already changed.
struct PhotosState {
    int album = 0;
    int photo = 0;
    bool busy = false;
    bool fit = true;
    EffectPreview effect;
    // The preview's pixels as a top-down DIB: viewWidth x viewHeight from
    // (viewX, viewY) of the photo.
    std::vector<std::uint8_t> view;
    std::int32_t viewWidth = 0, viewHeight = 0, viewX = 0, viewY = 0;
    bool dragging = false;
    POINT lastCursor{};
    HWND dialog = nullptr, thumbnails = nullptr, properties = nullptr, preview = nullptr;
    HCURSOR arrow = nullptr, hand = nullptr;
    BitmapHandle carrier;
    PropertyTexts texts;
    // The cache names of the photos whose EXIF items this opening has read.
    std::set<std::u16string> itemsRead[kAlbumCount];
};
PhotosState gPhotos;
// Outlive a reopen: what the panel changed.
bool gRebuild = false;
bool gEffectsChanged = false;

AlbumSlot& Slot() { return gDisplayState->albums[gPhotos.album]; }
bool HasPhoto() { return gPhotos.photo >= 0 && gPhotos.photo < std::min(Slot().photoCount, kMaxPhotos); }
PixelBlock& Photo() { return Slot().photos[gPhotos.photo].block; }
bool AlbumInUse(int album) {
    return album == 0 || (gDisplayState->albums[album].inUse && gMode.role != Role::kConfigure);
}

void Changed() { gRebuild = true; }

BITMAPINFO TopDownInfo(int width, int height) {
    BITMAPINFO info = {};
    FillTopDownHeader(info.bmiHeader, width, height);
    return info;
}

// A preview shown on a photo is taken off before anything else touches the
// album, so that no previewed colour reaches a cache file.
void EndPreview() {
    const EffectPreview& shown = gPhotos.effect;
    if (shown.effect == 0) return;
    AlbumSlot& slot = gDisplayState->albums[shown.album];
    if (shown.photo < slot.photoCount) EndEffectPreview(gPhotos.effect, slot.photos[shown.photo].block);
    gPhotos.effect = {};
    for (const EffectControls& e : kEffects) InvalidateRect(GetDlgItem(gPhotos.dialog, e.button), nullptr, FALSE);
}

class WaitCursor {
public:
    WaitCursor() : old_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(old_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR old_;
};

// Keeps commands, selection notices and drawing from running inside one
// another while one of them shows a box or repaints.
class BusyScope {
public:
    BusyScope() : entered_(!gPhotos.busy) { gPhotos.busy = true; }
    ~BusyScope() {
        if (entered_) gPhotos.busy = false;
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
    bool Entered() const { return entered_; }

private:
    bool entered_;
};

RECT ClientRectOf(HWND dialog, HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

Status DrawThumbnail(int photo, bool replace) {
    std::vector<std::uint8_t> bits(ScaledBytes(kThumbWidth, kThumbHeight));
    const PixelBlock source = ShrinkForThumbnail(Slot().photos[photo].block, kThumbWidth, kThumbHeight);
    if (Status s = CropAndScale(source, kThumbWidth, kThumbHeight, 100.0, bits.data(), bits.size()); s != kOk) return s;
    BITMAPINFO info = TopDownInfo(kThumbWidth, kThumbHeight);
    WindowDc screen(nullptr);
    if (SetDIBits(screen.get(), gPhotos.carrier.get(), 0, kThumbHeight, bits.data(), &info, DIB_RGB_COLORS) !=
        kThumbHeight)
        return Fail(QV_SITE(kModule), kErrUpdateBitmap);
    HIMAGELIST images = ListView_GetImageList(gPhotos.thumbnails, LVSIL_NORMAL);
    const bool done = replace ? ImageList_Replace(images, photo, gPhotos.carrier.get(), nullptr) != FALSE
                              : ImageList_Add(images, gPhotos.carrier.get(), nullptr) == photo;
    return done ? kOk : Fail(QV_SITE(kModule), kErrLoadBitmap);
}

// The image lists are detached from their lists before they are destroyed.
void ReleasePanelViews() {
    if (gPhotos.thumbnails != nullptr) {
        ListView_DeleteAllItems(gPhotos.thumbnails);
        if (HIMAGELIST old = ListView_SetImageList(gPhotos.thumbnails, nullptr, LVSIL_NORMAL)) ImageList_Destroy(old);
    }
    if (gPhotos.properties != nullptr) ListView_DeleteAllItems(gPhotos.properties);
    std::vector<std::uint8_t>().swap(gPhotos.view);
    gPhotos.viewWidth = gPhotos.viewHeight = 0;
}

void SelectThumbnail() {
    ListView_SetItemState(gPhotos.thumbnails, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemState(gPhotos.thumbnails, gPhotos.photo, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(gPhotos.thumbnails, gPhotos.photo, FALSE);
}

Status FillThumbnails() {
    const int count = std::min(Slot().photoCount, kMaxPhotos);
    ListView_SetIconSpacing(gPhotos.thumbnails, kThumbSpacing, 0);
    HIMAGELIST images = ImageList_Create(kThumbWidth, kThumbHeight, ILC_COLOR32, count, 1);
    if (images == nullptr) return Fail(QV_SITE(kModule), kErrMemory);
    ListView_SetImageList(gPhotos.thumbnails, images, LVSIL_NORMAL);
    for (int photo = 0; photo < count; ++photo)
        if (Status s = DrawThumbnail(photo, false); s != kOk) return s;
    for (int photo = 0; photo < count; ++photo) {
        LVITEMW item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = photo;
        item.iImage = photo;
        if (ListView_InsertItem(gPhotos.thumbnails, &item) != photo) return Fail(QV_SITE(kModule), kErrListView);
    }
    SelectThumbnail();
    const RECT r = ClientRectOf(gPhotos.dialog, gPhotos.thumbnails);
    MoveWindow(gPhotos.thumbnails, r.left, r.top, r.right - r.left, kThumbHeight * 3 / 2, TRUE);
    return kOk;
}

// Below the thumbnails, as high as the panel leaves room for, the photo's
// shape, and never so wide that the properties list has no room.
void PlacePreview() {
    if (!HasPhoto()) return;
    RECT panel, list, client;
    GetWindowRect(gPhotos.dialog, &panel);
    GetWindowRect(gPhotos.thumbnails, &list);
    GetClientRect(gPhotos.dialog, &client);
    const RECT at = ClientRectOf(gPhotos.dialog, gPhotos.thumbnails);
    const int maxWidth = client.right * kPreviewShareNumerator / kPreviewShareDenominator - at.left;
    const PreviewSize size =
        FitPreview(Photo().width, Photo().height, panel.bottom - list.bottom - 15, std::max(maxWidth, 2));
    MoveWindow(gPhotos.preview, at.left, at.bottom + 5, size.width, size.height, FALSE);
    InvalidateRect(gPhotos.dialog, nullptr, TRUE);
}

Status SetUpPropertyList() {
    RECT panel, list;
    GetWindowRect(gPhotos.dialog, &panel);
    GetWindowRect(gPhotos.thumbnails, &list);
    const RECT preview = ClientRectOf(gPhotos.dialog, gPhotos.preview);
    POINT bottomRight{panel.right - 11, panel.bottom - 15};
    POINT top{0, list.bottom + 5};
    ScreenToClient(gPhotos.dialog, &bottomRight);
    ScreenToClient(gPhotos.dialog, &top);
    const int left = preview.right + 2;
    MoveWindow(gPhotos.properties, left, top.y, std::max<int>(bottomRight.x - left, 0),
               std::max<int>(bottomRight.y - top.y, 0), TRUE);
    while (ListView_DeleteColumn(gPhotos.properties, 0)) {
    }
    RECT inside;
    GetClientRect(gPhotos.properties, &inside);
    const PropertyText titles[2] = {kTextColumnName, kTextColumnValue};
    const double shares[2] = {1.2 / 3, 1.8 / 3};
    for (int column = 0; column < 2; ++column) {
        LVCOLUMNW c = {};
        c.mask = LVCF_TEXT | LVCF_WIDTH;
        c.pszText = const_cast<wchar_t*>(reinterpret_cast<const wchar_t*>(gPhotos.texts[titles[column]].c_str()));
        c.cx = static_cast<int>(inside.right * shares[column]);
        if (ListView_InsertColumn(gPhotos.properties, column, &c) != column)
            return Fail(QV_SITE(kModule), kErrListView);
    }
    return kOk;
}

Status ShowPhotoProperties() {
    ListView_DeleteAllItems(gPhotos.properties);
    if (!HasPhoto()) return kOk;
    // A photo's items are read when it is first shown, not as the album is
    // decoded: GDI+ under Wine decodes the whole photo to give them, which
    // would read every photo twice before the panel could answer.
    if (gPhotos.itemsRead[gPhotos.album].insert(Slot().photos[gPhotos.photo].fileName).second)
        if (Status s = ReadAlbumPhotoItems(gPhotos.album, gPhotos.photo); s != kOk) return s;
    const auto lines = FormatPhotoProperties(Slot().photos[gPhotos.photo], Slot().photoType, gPhotos.texts);
    for (int row = 0; row < static_cast<int>(lines.size()); ++row) {
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = const_cast<wchar_t*>(reinterpret_cast<const wchar_t*>(lines[row].label.c_str()));
        if (ListView_InsertItem(gPhotos.properties, &item) != row) return Fail(QV_SITE(kModule), kErrListView);
        ListView_SetItemText(gPhotos.properties, row, 1,
                             const_cast<wchar_t*>(reinterpret_cast<const wchar_t*>(lines[row].value.c_str())));
    }
    return kOk;
}

// The view is the whole photo in fit mode; at actual size the part of it
// the preview window holds, moved by a drag and held inside the photo.
void RefreshPreview(bool recompute) {
    if (!HasPhoto() || Photo().Empty()) {
        gPhotos.view.clear();
        gPhotos.viewWidth = gPhotos.viewHeight = 0;
        InvalidateRect(gPhotos.preview, nullptr, TRUE);
        return;
    }
    const PixelBlock& photo = Photo();
    RECT client;
    GetClientRect(gPhotos.preview, &client);
    if (gPhotos.fit) {
        gPhotos.viewWidth = photo.width;
        gPhotos.viewHeight = photo.height;
        gPhotos.viewX = gPhotos.viewY = 0;
    } else {
        gPhotos.viewWidth = std::min<std::int32_t>(client.right, photo.width);
        gPhotos.viewHeight = std::min<std::int32_t>(client.bottom, photo.height);
        if (recompute) gPhotos.viewX = gPhotos.viewY = 0;
        gPhotos.viewX = DraggedOffset(gPhotos.viewX, 0, photo.width, gPhotos.viewWidth);
        gPhotos.viewY = DraggedOffset(gPhotos.viewY, 0, photo.height, gPhotos.viewHeight);
    }
    const std::size_t stride = ScaledRowBytes(gPhotos.viewWidth);
    gPhotos.view.assign(stride * static_cast<std::size_t>(gPhotos.viewHeight), 0);
    for (std::int32_t y = 0; y < gPhotos.viewHeight; ++y)
        std::memcpy(gPhotos.view.data() + stride * y, photo.Row(gPhotos.viewY + y) + 3 * gPhotos.viewX,
                    static_cast<std::size_t>(gPhotos.viewWidth) * 3);
    InvalidateRect(gPhotos.preview, nullptr, FALSE);
}

void PaintPreview(HWND preview) {
    PaintScope paint(preview);
    RECT client;
    GetClientRect(preview, &client);
    if (gPhotos.view.empty()) {
        FillRect(paint.dc(), &client, gAppState->backgroundBrush);
        return;
    }
    BITMAPINFO info = TopDownInfo(gPhotos.viewWidth, gPhotos.viewHeight);
    if (gPhotos.fit) {
        SetStretchBltMode(paint.dc(), COLORONCOLOR);
        StretchDIBits(paint.dc(), 0, 0, client.right, client.bottom, 0, 0, gPhotos.viewWidth, gPhotos.viewHeight,
                      gPhotos.view.data(), &info, DIB_RGB_COLORS, SRCCOPY);
        return;
    }
    SetDIBitsToDevice(paint.dc(), 0, 0, gPhotos.viewWidth, gPhotos.viewHeight, 0, 0, 0, gPhotos.viewHeight,
                      gPhotos.view.data(), &info, DIB_RGB_COLORS);
    // What the photo leaves free of a larger window is the background.
    RECT right{gPhotos.viewWidth, 0, client.right, client.bottom};
    RECT below{0, gPhotos.viewHeight, gPhotos.viewWidth, client.bottom};
    FillRect(paint.dc(), &right, gAppState->backgroundBrush);
    FillRect(paint.dc(), &below, gAppState->backgroundBrush);
}

void StopDrag() {
    if (!gPhotos.dragging) return;
    gPhotos.dragging = false;
    ReleaseCapture();
}

LRESULT OnPreviewMessage(HWND preview, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: PaintPreview(preview); return 0;
        case WM_SETCURSOR: SetCursor(gPhotos.fit ? gPhotos.arrow : gPhotos.hand); return TRUE;
        case WM_LBUTTONDOWN:
            if (!gPhotos.fit && !gPhotos.dragging) {
                GetCursorPos(&gPhotos.lastCursor);
                gPhotos.dragging = true;
                SetCapture(preview);
            }
            return 0;
        case WM_MOUSEMOVE:
            if (gPhotos.dragging && HasPhoto()) {
                POINT now;
                GetCursorPos(&now);
                gPhotos.viewX =
                    DraggedOffset(gPhotos.viewX, now.x - gPhotos.lastCursor.x, Photo().width, gPhotos.viewWidth);
                gPhotos.viewY =
                    DraggedOffset(gPhotos.viewY, now.y - gPhotos.lastCursor.y, Photo().height, gPhotos.viewHeight);
                gPhotos.lastCursor = now;
                RefreshPreview(false);
            }
            return 0;
        case WM_LBUTTONUP: StopDrag(); return 0;
        // Another window took the mouse: the drag ends with it.
        case WM_CAPTURECHANGED: gPhotos.dragging = false; return 0;
        default: return DefSubclassProc(preview, message, wParam, lParam);
    }
}

// Inside the panels' boundary: a drag copies the shown part of the photo
// at every mouse move, an allocation that may fail.
LRESULT CALLBACK PreviewProc(HWND preview, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    return WithinPanelBoundary<LRESULT>(preview, 0, [&] { return OnPreviewMessage(preview, message, wParam, lParam); });
}

void ShowPhoto() {
    PlacePreview();
    ShowError(SetUpPropertyList());
    RefreshPreview(true);
    ShowError(ShowPhotoProperties());
}

Status ShowAlbum() {
    BusyScope busy;
    ReleasePanelViews();
    if (Status s = FillThumbnails(); s != kOk) return s;
    ShowPhoto();
    const AlbumSlot& slot = Slot();
    for (const EffectControls& e : kEffects)
        CheckDlgButton(gPhotos.dialog, e.saved, (slot.effectsEnabled & e.bit) ? BST_CHECKED : BST_UNCHECKED);
    for (int mode = 0; mode < 3; ++mode) {
        CheckDlgButton(gPhotos.dialog, kStitchRadios[mode], slot.stitchMode == mode ? BST_CHECKED : BST_UNCHECKED);
        EnableWindow(GetDlgItem(gPhotos.dialog, kStitchRadios[mode]),
                     StitchModeAvailable(mode, slot.sizeMismatch != 0, slot.orientationMismatch != 0));
    }
    return kOk;
}

void SelectPhoto(int photo) {
    if (gPhotos.busy || photo == gPhotos.photo || photo < 0 || photo >= Slot().photoCount) return;
    BusyScope busy;
    EndPreview();
    gPhotos.photo = photo;
    ShowPhoto();
}

Status ChooseAlbum(int album) {
    if (album == gPhotos.album || !AlbumInUse(album)) return kOk;
    EndPreview();
    gPhotos.album = album;
    gPhotos.photo = 0;
    return ShowAlbum();
}

Status DeletePhoto() {
    EndPreview();
    const Status status = DeleteAlbumPhoto(gPhotos.album, gPhotos.photo);
    if (status == kErrLastPhoto) {
        wchar_t text[kMessageChars];
        if (LoadText(kErrLastPhoto, text, sizeof text) == kOk) ShowNotice(text, MB_OK | MB_ICONINFORMATION);
        return kOk;
    }
    if (status != kOk) return status;
    Changed();
    gPhotos.photo = SelectionAfterDelete(gPhotos.photo, Slot().photoCount);
    return ShowAlbum();
}

Status ShiftPhoto(int direction) {
    EndPreview();
    int moved = gPhotos.photo;
    if (Status s = ShiftAlbumPhoto(gPhotos.album, gPhotos.photo, direction, &moved); s != kOk) return s;
    if (moved == gPhotos.photo) return kOk;
    Changed();
    gPhotos.photo = moved;
    return ShowAlbum();
}

Status TransformPhoto(int kind) {
    EndPreview();
    Status status = kOk;
    {
        WaitCursor wait;
        status = TransformAlbumPhoto(gPhotos.album, gPhotos.photo, kind);
    }
    Changed();
    // The turned photo shows in its own shape, in the strip and the preview.
    if (HasPhoto()) ShowError(DrawThumbnail(gPhotos.photo, true));
    InvalidateRect(gPhotos.thumbnails, nullptr, FALSE);
    ShowPhoto();
    return status;
}

Status HalveAlbum() {
    EndPreview();
    wchar_t question[kMessageChars];
    if (LoadText(kAskHalveResolution, question, sizeof question) == kOk &&
        AskOwner(question, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return kOk;
    Status status = kOk;
    {
        WaitCursor wait;
        status = HalveAlbumPhotos(gPhotos.album);
    }
    Changed();
    if (Status s = ShowAlbum(); status == kOk) status = s;
    return status;
}

void ToggleEffect(const EffectControls& effect) {
    if (!HasPhoto()) return;
    {
        WaitCursor wait;
        ToggleEffectPreview(gPhotos.effect, gPhotos.album, gPhotos.photo, Photo(), effect.bit);
    }
    RefreshPreview(false);
    for (const EffectControls& e : kEffects) InvalidateRect(GetDlgItem(gPhotos.dialog, e.button), nullptr, FALSE);
}

void SaveEffect(const EffectControls& effect) {
    AlbumSlot& slot = Slot();
    const bool on = IsDlgButtonChecked(gPhotos.dialog, effect.saved) == BST_CHECKED;
    slot.effectsEnabled =
        static_cast<std::int16_t>(on ? slot.effectsEnabled | effect.bit : slot.effectsEnabled & ~effect.bit);
    slot.effectsApplied = 0;
    gEffectsChanged = true;
    Changed();
}

void ChooseStitchMode(int mode) {
    if (IsDlgButtonChecked(gPhotos.dialog, kStitchRadios[mode]) != BST_CHECKED || Slot().stitchMode == mode) return;
    Slot().stitchMode = static_cast<std::int16_t>(mode);
    gEffectsChanged = true;
    Changed();
}

// The button offers the other mode, in its caption as in its glyph.
void ToggleActualSize(HWND dialog) {
    gPhotos.fit = !gPhotos.fit;
    StopDrag();
    RefreshPreview(true);
    wchar_t caption[kMessageChars];
    if (LoadText(gPhotos.fit ? IDS_ACTUAL_SIZE : IDS_FIT_WINDOW, caption, sizeof caption) == kOk)
        SetDlgItemTextW(dialog, IDC_ACTUAL_SIZE, caption);
    InvalidateRect(GetDlgItem(dialog, IDC_ACTUAL_SIZE), nullptr, FALSE);
}

Status RunCommand(HWND dialog, int id) {
    switch (id) {
        case IDC_ALBUM1_RADIO: return ChooseAlbum(0);
        case IDC_ALBUM2_RADIO: return ChooseAlbum(1);
        case IDC_ACTUAL_SIZE: ToggleActualSize(dialog); return kOk;
        case IDC_DELETE_PHOTO: return DeletePhoto();
        case IDC_SHIFT_LEFT: return ShiftPhoto(-1);
        case IDC_SHIFT_RIGHT: return ShiftPhoto(+1);
        case IDC_ROTATE_LEFT: return TransformPhoto(kRotateLeft);
        case IDC_ROTATE_RIGHT: return TransformPhoto(kRotateRight);
        case IDC_FLIP_HORIZONTAL: return TransformPhoto(kFlipHorizontal);
        case IDC_FLIP_VERTICAL: return TransformPhoto(kFlipVertical);
        case IDC_HALVE_PHOTOS: return HalveAlbum();
        case IDC_STITCH_NONE: ChooseStitchMode(0); return kOk;
        case IDC_STITCH_BLUR: ChooseStitchMode(1); return kOk;
        case IDC_STITCH_COLLAGE: ChooseStitchMode(2); return kOk;
        case IDCANCEL: EndPanel(dialog, 0); return kOk;
        default: break;
    }
    for (const EffectControls& e : kEffects) {
        if (id == e.button) ToggleEffect(e);
        if (id == e.saved) SaveEffect(e);
    }
    return kOk;
}

void OnCommand(HWND dialog, int id) {
    BusyScope busy;
    if (!busy.Entered()) return;
    ShowError(RunCommand(dialog, id));
    if (id != IDCANCEL) SetFocus(gPhotos.thumbnails);
}

// The button records that depend on the panel's state: the Actual Size
// button's two looks and an effect button's "on" look.
bool DrawStatefulButton(HWND dialog, const DRAWITEMSTRUCT* item) {
    int look = -1;
    if (item->CtlID == IDC_ACTUAL_SIZE) look = gPhotos.fit ? kFitLook : kActualSizeLook;
    for (const EffectControls& e : kEffects)
        if (static_cast<int>(item->CtlID) == e.button) look = gPhotos.effect.effect == e.bit ? kEffectOnLook : e.look;
    int count = 0;
    GlyphButton* table = PanelButtons(dialog, &count);
    if (look < 0 || table == nullptr || look >= count) return false;
    ShowError(DrawGlyphButton(dialog, table, look, count, item));
    return true;
}

bool OnMessage(HWND dialog, UINT message, WPARAM, LPARAM lParam, INT_PTR* result) {
    if (message == WM_DRAWITEM) {
        *result = TRUE;
        return DrawStatefulButton(dialog, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    }
    if (message != WM_NOTIFY) return false;
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    // The selection-change notice follows the mouse and the keyboard alike.
    if (header->idFrom == IDC_THUMBNAIL_LIST && header->code == LVN_ITEMCHANGED) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
        if ((change->uChanged & LVIF_STATE) && (change->uNewState & LVIS_SELECTED) &&
            !(change->uOldState & LVIS_SELECTED))
            SelectPhoto(change->iItem);
        return true;
    }
    return false;
}

Status InitialisePhotos(HWND dialog) {
    gPhotos = PhotosState{};
    gPhotos.dialog = dialog;
    gPhotos.thumbnails = GetDlgItem(dialog, IDC_THUMBNAIL_LIST);
    gPhotos.properties = GetDlgItem(dialog, IDC_PROPERTY_LIST);
    gPhotos.preview = GetDlgItem(dialog, IDC_PHOTO_PREVIEW);
    if (gPhotos.thumbnails == nullptr || gPhotos.properties == nullptr || gPhotos.preview == nullptr)
        return Fail(QV_SITE(kModule), kErrMissingResource);
    gPhotos.arrow = LoadCursorW(nullptr, IDC_ARROW);
    gPhotos.hand = LoadCursorW(nullptr, IDC_HAND);
    gPhotos.carrier.reset(static_cast<HBITMAP>(LoadImageW(gAppState->instance, MAKEINTRESOURCEW(IDB_THUMBNAIL_CARRIER),
                                                          IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!gPhotos.carrier) return Fail(QV_SITE(kModule), kErrLoadBitmap);
    if (Status s = LoadPropertyTexts(gPhotos.texts); s != kOk) return s;
    if (!SetWindowSubclass(gPhotos.preview, PreviewProc, 0, 0)) return Fail(QV_SITE(kModule), kErrWindowsApi);
    ListView_SetExtendedListViewStyle(gPhotos.properties, LVS_EX_FULLROWSELECT);
    gPhotos.busy = true;
    // Album 2 is read only when it is shown; a photo that cannot be read
    // ends the panel with its message, never the program.
    for (int album = 0; album < kAlbumCount; ++album) {
        SetDlgItemTextW(dialog, kAlbumRadios[album], gDisplayState->albums[album].folderName);
        if (!AlbumInUse(album)) {
            ShowWindow(GetDlgItem(dialog, kAlbumRadios[album]), SW_HIDE);
            continue;
        }
        if (Status s = DecodeAlbum(gDisplayState->albums[album], ReadPhotoOrder(album), PhotoItems::kSkip); s != kOk) {
            EndPanel(dialog, 0);
            return s;
        }
    }
    gPhotos.busy = false;
    CheckRadioButton(dialog, IDC_ALBUM1_RADIO, IDC_ALBUM2_RADIO, IDC_ALBUM1_RADIO);
    if (Status s = ShowAlbum(); s != kOk) {
        EndPanel(dialog, 0);
        return s;
    }
    // The dialog manager gives the first control the focus after this
    // returns; the thumbnails take it from there, for the keyboard.
    PostMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(gPhotos.thumbnails), TRUE);
    return kOk;
}

void OnDestroy(HWND, bool) {
    EndPreview();
    StopDrag();
    ReleasePanelViews();
    if (gPhotos.preview != nullptr) RemoveWindowSubclass(gPhotos.preview, PreviewProc, 0);
    gPhotos = PhotosState{};
    // The edits are in the cache files, which the display reads again; the
    // photos decoded for the panel would only lie beside the strips.
    for (AlbumSlot& slot : gDisplayState->albums) LetPhotosGo(slot);
}

const PanelDescription kPhotos{.largeTemplate = IDD_PHOTOS,
                               .smallTemplate = IDD_PHOTOS_SMALL,
                               .site = kOpenSite,
                               .panelRequest = kPanelPhotos,
                               .buttons = kPhotosButtons,
                               .colouredControls = kPhotosColoured,
                               .groupBoxes = kPhotosGroups,
                               .menu = kPhotosMenu,
                               .helpFile = L"QuorvelHelpPhotoPanel.bat",
                               .helpFlag = kHelpPhotos,
                               .onInit = InitialisePhotos,
                               .onCommand = OnCommand,
                               .onMessage = OnMessage,
                               .onDestroy = OnDestroy};

}  // namespace

Status OpenPhotosPanel(HWND owner) {
    if (gAppState == nullptr || gUserSettings == nullptr || gDisplayState == nullptr)
        return Fail(kOpenSite, kErrInvalidArgument);
    gRebuild = false;
    gEffectsChanged = false;
    const Status status = LaunchPanel(owner, kPhotos);
    if (gEffectsChanged) NoteSettingsChange(kSettingsEffects);
    if (gRebuild) gMode.restartRequested = true;
    return status;
}

}  // namespace quorvel
