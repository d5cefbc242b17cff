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
#include "ui/Notices_win.h"
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

// One opening's state; each opening ends with it reset but for what the
// panel changed, which its opener acts on.
struct PhotosState {
    bool rebuild = false;  // an album changed: the display is rebuilt
    bool effectsChanged = false;
    int album = 0;
    int photo = 0;
    bool busy = false;
    bool fit = true;
    EffectPreview effect{};
    // The preview's pixels as a top-down DIB: viewWidth x viewHeight from
    // (viewX, viewY) of the photo.
    std::vector<std::uint8_t> view{};
    std::int32_t viewWidth = 0, viewHeight = 0, viewX = 0, viewY = 0;
    bool dragging = false;
    POINT lastCursor{};
    HWND dialog = nullptr, thumbnails = nullptr, properties = nullptr, preview = nullptr;
    HCURSOR arrow = nullptr, hand = nullptr;
    BitmapHandle carrier{};
    PropertyTexts texts{};
    // The cache names of the photos whose EXIF items this opening has read.
    std::set<std::u16string> itemsRead[kAlbumCount]{};
};

AlbumSlot& Slot(const PhotosState& photos) { return gDisplayState->albums[photos.album]; }
bool HasPhoto(const PhotosState& photos) {
    return photos.photo >= 0 && photos.photo < std::min(Slot(photos).photoCount, kMaxPhotos);
}
PixelBlock& Photo(const PhotosState& photos) { return Slot(photos).photos[photos.photo].block; }
bool AlbumInUse(int album) {
    return album == 0 || (gDisplayState->albums[album].inUse && gMode.role != Role::kConfigure);
}

BITMAPINFO TopDownInfo(int width, int height) {
    BITMAPINFO info = {};
    FillTopDownHeader(info.bmiHeader, width, height);
    return info;
}

// A preview shown on a photo is taken off before anything else touches the
// album, so that no previewed colour reaches a cache file.
void EndPreview(PhotosState& photos) {
    const EffectPreview& shown = photos.effect;
    if (shown.effect == 0) return;
    AlbumSlot& slot = gDisplayState->albums[shown.album];
    if (shown.photo < slot.photoCount) EndEffectPreview(photos.effect, slot.photos[shown.photo].block);
    photos.effect = {};
    for (const EffectControls& e : kEffects) InvalidateRect(GetDlgItem(photos.dialog, e.button), nullptr, FALSE);
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
    explicit BusyScope(PhotosState& photos) : busy_(photos.busy), entered_(!busy_) { busy_ = true; }
    ~BusyScope() {
        if (entered_) busy_ = false;
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
    bool Entered() const { return entered_; }

private:
    bool& busy_;
    bool entered_;
};

Status DrawThumbnail(PhotosState& photos, int photo, bool replace) {
    std::vector<std::uint8_t> bits(ScaledBytes(kThumbWidth, kThumbHeight));
    const PixelBlock source = ShrinkForThumbnail(Slot(photos).photos[photo].block, kThumbWidth, kThumbHeight);
    if (Status s = CropAndScale(source, kThumbWidth, kThumbHeight, 100.0, bits.data(), bits.size()); s != kOk) return s;
    BITMAPINFO info = TopDownInfo(kThumbWidth, kThumbHeight);
    WindowDc screen(nullptr);
    if (SetDIBits(screen.get(), photos.carrier.get(), 0, kThumbHeight, bits.data(), &info, DIB_RGB_COLORS) !=
        kThumbHeight)
        return Fail(QV_SITE(kModule), kErrUpdateBitmap);
    HIMAGELIST images = ListView_GetImageList(photos.thumbnails, LVSIL_NORMAL);
    const bool done = replace ? ImageList_Replace(images, photo, photos.carrier.get(), nullptr) != FALSE
                              : ImageList_Add(images, photos.carrier.get(), nullptr) == photo;
    return done ? kOk : Fail(QV_SITE(kModule), kErrLoadBitmap);
}

// The image lists are detached from their lists before they are destroyed.
void ReleasePanelViews(PhotosState& photos) {
    if (photos.thumbnails != nullptr) {
        ListView_DeleteAllItems(photos.thumbnails);
        if (HIMAGELIST old = ListView_SetImageList(photos.thumbnails, nullptr, LVSIL_NORMAL)) ImageList_Destroy(old);
    }
    if (photos.properties != nullptr) ListView_DeleteAllItems(photos.properties);
    std::vector<std::uint8_t>().swap(photos.view);
    photos.viewWidth = photos.viewHeight = 0;
}

void SelectThumbnail(const PhotosState& photos) {
    ListView_SetItemState(photos.thumbnails, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemState(photos.thumbnails, photos.photo, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(photos.thumbnails, photos.photo, FALSE);
}

Status FillThumbnails(PhotosState& photos) {
    const int count = std::min(Slot(photos).photoCount, kMaxPhotos);
    ListView_SetIconSpacing(photos.thumbnails, kThumbSpacing, 0);
    HIMAGELIST images = ImageList_Create(kThumbWidth, kThumbHeight, ILC_COLOR32, count, 1);
    if (images == nullptr) return Fail(QV_SITE(kModule), kErrMemory);
    ListView_SetImageList(photos.thumbnails, images, LVSIL_NORMAL);
    for (int photo = 0; photo < count; ++photo)
        if (Status s = DrawThumbnail(photos, photo, false); s != kOk) return s;
    for (int photo = 0; photo < count; ++photo) {
        LVITEMW item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = photo;
        item.iImage = photo;
        if (ListView_InsertItem(photos.thumbnails, &item) != photo) return Fail(QV_SITE(kModule), kErrListView);
    }
    SelectThumbnail(photos);
    const RECT r = ChildRect(photos.dialog, photos.thumbnails);
    MoveWindow(photos.thumbnails, r.left, r.top, r.right - r.left, kThumbHeight * 3 / 2, TRUE);
    return kOk;
}

// Below the thumbnails, as high as the panel leaves room for, the photo's
// shape, and never so wide that the properties list has no room.
void PlacePreview(const PhotosState& photos) {
    if (!HasPhoto(photos)) return;
    RECT panel, list, client;
    GetWindowRect(photos.dialog, &panel);
    GetWindowRect(photos.thumbnails, &list);
    GetClientRect(photos.dialog, &client);
    const RECT at = ChildRect(photos.dialog, photos.thumbnails);
    const int maxWidth = client.right * kPreviewShareNumerator / kPreviewShareDenominator - at.left;
    const PreviewSize size =
        FitPreview(Photo(photos).width, Photo(photos).height, panel.bottom - list.bottom - 15, std::max(maxWidth, 2));
    MoveWindow(photos.preview, at.left, at.bottom + 5, size.width, size.height, FALSE);
    InvalidateRect(photos.dialog, nullptr, TRUE);
}

Status SetUpPropertyList(const PhotosState& photos) {
    RECT panel, list;
    GetWindowRect(photos.dialog, &panel);
    GetWindowRect(photos.thumbnails, &list);
    const RECT preview = ChildRect(photos.dialog, photos.preview);
    POINT bottomRight{panel.right - 11, panel.bottom - 15};
    POINT top{0, list.bottom + 5};
    ScreenToClient(photos.dialog, &bottomRight);
    ScreenToClient(photos.dialog, &top);
    const int left = preview.right + 2;
    MoveWindow(photos.properties, left, top.y, std::max<int>(bottomRight.x - left, 0),
               std::max<int>(bottomRight.y - top.y, 0), TRUE);
    while (ListView_DeleteColumn(photos.properties, 0)) {
    }
    RECT inside;
    GetClientRect(photos.properties, &inside);
    const PropertyText titles[2] = {kTextColumnName, kTextColumnValue};
    const double shares[2] = {1.2 / 3, 1.8 / 3};
    for (int column = 0; column < 2; ++column) {
        LVCOLUMNW c = {};
        c.mask = LVCF_TEXT | LVCF_WIDTH;
        c.pszText = const_cast<wchar_t*>(AsWide(photos.texts[titles[column]].c_str()));
        c.cx = static_cast<int>(inside.right * shares[column]);
        if (ListView_InsertColumn(photos.properties, column, &c) != column) return Fail(QV_SITE(kModule), kErrListView);
    }
    return kOk;
}

Status ShowPhotoProperties(PhotosState& photos) {
    ListView_DeleteAllItems(photos.properties);
    if (!HasPhoto(photos)) return kOk;
    // A photo's items are read when it is first shown, not as the album is
    // decoded: GDI+ under Wine decodes the whole photo to give them, which
    // would read every photo twice before the panel could answer.
    if (photos.itemsRead[photos.album].insert(Slot(photos).photos[photos.photo].fileName).second)
        if (Status s = ReadAlbumPhotoItems(photos.album, photos.photo); s != kOk) return s;
    const auto lines = FormatPhotoProperties(Slot(photos).photos[photos.photo], Slot(photos).photoType, photos.texts);
    for (int row = 0; row < static_cast<int>(lines.size()); ++row) {
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = const_cast<wchar_t*>(AsWide(lines[row].label.c_str()));
        if (ListView_InsertItem(photos.properties, &item) != row) return Fail(QV_SITE(kModule), kErrListView);
        ListView_SetItemText(photos.properties, row, 1, const_cast<wchar_t*>(AsWide(lines[row].value.c_str())));
    }
    return kOk;
}

// The view is the whole photo in fit mode; at actual size the part of it
// the preview window holds, moved by a drag and held inside the photo.
void RefreshPreview(PhotosState& photos, bool recompute) {
    if (!HasPhoto(photos) || Photo(photos).Empty()) {
        photos.view.clear();
        photos.viewWidth = photos.viewHeight = 0;
        InvalidateRect(photos.preview, nullptr, TRUE);
        return;
    }
    const PixelBlock& photo = Photo(photos);
    RECT client;
    GetClientRect(photos.preview, &client);
    if (photos.fit) {
        photos.viewWidth = photo.width;
        photos.viewHeight = photo.height;
        photos.viewX = photos.viewY = 0;
    } else {
        photos.viewWidth = std::min<std::int32_t>(client.right, photo.width);
        photos.viewHeight = std::min<std::int32_t>(client.bottom, photo.height);
        if (recompute) photos.viewX = photos.viewY = 0;
        photos.viewX = DraggedOffset(photos.viewX, 0, photo.width, photos.viewWidth);
        photos.viewY = DraggedOffset(photos.viewY, 0, photo.height, photos.viewHeight);
    }
    const std::size_t stride = ScaledRowBytes(photos.viewWidth);
    photos.view.assign(stride * static_cast<std::size_t>(photos.viewHeight), 0);
    for (std::int32_t y = 0; y < photos.viewHeight; ++y)
        std::memcpy(photos.view.data() + stride * y, photo.Row(photos.viewY + y) + 3 * photos.viewX,
                    static_cast<std::size_t>(photos.viewWidth) * 3);
    InvalidateRect(photos.preview, nullptr, FALSE);
}

void PaintPreview(HWND preview, const PhotosState& photos) {
    PaintScope paint(preview);
    RECT client;
    GetClientRect(preview, &client);
    if (photos.view.empty()) {
        FillRect(paint.dc(), &client, gAppState->backgroundBrush);
        return;
    }
    BITMAPINFO info = TopDownInfo(photos.viewWidth, photos.viewHeight);
    if (photos.fit) {
        SetStretchBltMode(paint.dc(), COLORONCOLOR);
        StretchDIBits(paint.dc(), 0, 0, client.right, client.bottom, 0, 0, photos.viewWidth, photos.viewHeight,
                      photos.view.data(), &info, DIB_RGB_COLORS, SRCCOPY);
        return;
    }
    SetDIBitsToDevice(paint.dc(), 0, 0, photos.viewWidth, photos.viewHeight, 0, 0, 0, photos.viewHeight,
                      photos.view.data(), &info, DIB_RGB_COLORS);
    // What the photo leaves free of a larger window is the background.
    RECT right{photos.viewWidth, 0, client.right, client.bottom};
    RECT below{0, photos.viewHeight, photos.viewWidth, client.bottom};
    FillRect(paint.dc(), &right, gAppState->backgroundBrush);
    FillRect(paint.dc(), &below, gAppState->backgroundBrush);
}

void StopDrag(PhotosState& photos) {
    if (!photos.dragging) return;
    photos.dragging = false;
    ReleaseCapture();
}

LRESULT OnPreviewMessage(HWND preview, UINT message, WPARAM wParam, LPARAM lParam, PhotosState& photos) {
    switch (message) {
        case WM_PAINT: PaintPreview(preview, photos); return 0;
        case WM_SETCURSOR: SetCursor(photos.fit ? photos.arrow : photos.hand); return TRUE;
        case WM_LBUTTONDOWN:
            if (!photos.fit && !photos.dragging) {
                GetCursorPos(&photos.lastCursor);
                photos.dragging = true;
                SetCapture(preview);
            }
            return 0;
        case WM_MOUSEMOVE:
            if (photos.dragging && HasPhoto(photos)) {
                POINT now;
                GetCursorPos(&now);
                photos.viewX =
                    DraggedOffset(photos.viewX, now.x - photos.lastCursor.x, Photo(photos).width, photos.viewWidth);
                photos.viewY =
                    DraggedOffset(photos.viewY, now.y - photos.lastCursor.y, Photo(photos).height, photos.viewHeight);
                photos.lastCursor = now;
                RefreshPreview(photos, false);
            }
            return 0;
        case WM_LBUTTONUP: StopDrag(photos); return 0;
        // Another window took the mouse: the drag ends with it.
        case WM_CAPTURECHANGED: photos.dragging = false; return 0;
        default: return DefSubclassProc(preview, message, wParam, lParam);
    }
}

// Inside the panels' boundary: a drag copies the shown part of the photo
// at every mouse move, an allocation that may fail.
LRESULT CALLBACK PreviewProc(HWND preview, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR photos) {
    return WithinPanelBoundary<LRESULT>(preview, 0, [&] {
        return OnPreviewMessage(preview, message, wParam, lParam, *reinterpret_cast<PhotosState*>(photos));
    });
}

// The properties go into the list the columns are set up for: not when they
// could not be.
Status ShowPhoto(PhotosState& photos) {
    PlacePreview(photos);
    const Status status = SetUpPropertyList(photos);
    RefreshPreview(photos, true);
    return status != kOk ? status : ShowPhotoProperties(photos);
}

Status ShowAlbum(PhotosState& photos) {
    BusyScope busy(photos);
    ReleasePanelViews(photos);
    if (Status s = FillThumbnails(photos); s != kOk) return s;
    const Status shown = ShowPhoto(photos);
    const AlbumSlot& slot = Slot(photos);
    for (const EffectControls& e : kEffects)
        CheckDlgButton(photos.dialog, e.saved, (slot.effectsEnabled & e.bit) ? BST_CHECKED : BST_UNCHECKED);
    for (int mode = 0; mode < 3; ++mode) {
        CheckDlgButton(photos.dialog, kStitchRadios[mode], slot.stitchMode == mode ? BST_CHECKED : BST_UNCHECKED);
        EnableWindow(GetDlgItem(photos.dialog, kStitchRadios[mode]),
                     StitchModeAvailable(mode, slot.sizeMismatch != 0, slot.orientationMismatch != 0));
    }
    return shown;
}

Status SelectPhoto(PhotosState& photos, int photo) {
    if (photos.busy || photo == photos.photo || photo < 0 || photo >= Slot(photos).photoCount) return kOk;
    BusyScope busy(photos);
    EndPreview(photos);
    photos.photo = photo;
    return ShowPhoto(photos);
}

Status ChooseAlbum(PhotosState& photos, int album) {
    if (album == photos.album || !AlbumInUse(album)) return kOk;
    EndPreview(photos);
    photos.album = album;
    photos.photo = 0;
    return ShowAlbum(photos);
}

Status DeletePhoto(PhotosState& photos) {
    EndPreview(photos);
    const Status status = DeleteAlbumPhoto(photos.album, photos.photo);
    if (status == kErrLastPhoto) {
        wchar_t text[kMessageChars];
        if (Status s = LoadText(kErrLastPhoto, text, sizeof text); s != kOk) return s;
        ShowNotice(text, MB_OK | MB_ICONINFORMATION);
        return kOk;
    }
    if (status != kOk) return status;
    photos.rebuild = true;
    photos.photo = SelectionAfterDelete(photos.photo, Slot(photos).photoCount);
    return ShowAlbum(photos);
}

Status ShiftPhoto(PhotosState& photos, int direction) {
    EndPreview(photos);
    int moved = photos.photo;
    if (Status s = ShiftAlbumPhoto(photos.album, photos.photo, direction, &moved); s != kOk) return s;
    if (moved == photos.photo) return kOk;
    photos.rebuild = true;
    photos.photo = moved;
    return ShowAlbum(photos);
}

// The first failure is the one shown; the photo is shown again whatever
// the turn did.
Status TransformPhoto(PhotosState& photos, int kind) {
    EndPreview(photos);
    Status status = kOk;
    {
        WaitCursor wait;
        status = TransformAlbumPhoto(photos.album, photos.photo, kind);
    }
    photos.rebuild = true;
    // The turned photo shows in its own shape, in the strip and the preview.
    if (Status s = HasPhoto(photos) ? DrawThumbnail(photos, photos.photo, true) : kOk; status == kOk) status = s;
    InvalidateRect(photos.thumbnails, nullptr, FALSE);
    if (Status s = ShowPhoto(photos); status == kOk) status = s;
    return status;
}

Status HalveAlbum(PhotosState& photos) {
    EndPreview(photos);
    wchar_t question[kMessageChars];
    if (Status s = LoadText(kAskHalveResolution, question, sizeof question); s != kOk) return s;
    if (AskOwner(question, MB_YESNO | MB_ICONQUESTION) != IDYES) return kOk;
    Status status = kOk;
    {
        WaitCursor wait;
        status = HalveAlbumPhotos(photos.album);
    }
    photos.rebuild = true;
    if (Status s = ShowAlbum(photos); status == kOk) status = s;
    return status;
}

void ToggleEffect(PhotosState& photos, const EffectControls& effect) {
    if (!HasPhoto(photos)) return;
    {
        WaitCursor wait;
        ToggleEffectPreview(photos.effect, photos.album, photos.photo, Photo(photos), effect.bit);
    }
    RefreshPreview(photos, false);
    for (const EffectControls& e : kEffects) InvalidateRect(GetDlgItem(photos.dialog, e.button), nullptr, FALSE);
}

void SaveEffect(PhotosState& photos, const EffectControls& effect) {
    AlbumSlot& slot = Slot(photos);
    const bool on = IsDlgButtonChecked(photos.dialog, effect.saved) == BST_CHECKED;
    slot.effectsEnabled =
        static_cast<std::int16_t>(on ? slot.effectsEnabled | effect.bit : slot.effectsEnabled & ~effect.bit);
    slot.effectsApplied = 0;
    photos.effectsChanged = true;
    photos.rebuild = true;
}

void ChooseStitchMode(PhotosState& photos, int mode) {
    AlbumSlot& slot = Slot(photos);
    if (IsDlgButtonChecked(photos.dialog, kStitchRadios[mode]) != BST_CHECKED || slot.stitchMode == mode) return;
    slot.stitchMode = static_cast<std::int16_t>(mode);
    photos.effectsChanged = true;
    photos.rebuild = true;
}

// The button offers the other mode, in its caption as in its glyph.
Status ToggleActualSize(HWND dialog, PhotosState& photos) {
    photos.fit = !photos.fit;
    StopDrag(photos);
    RefreshPreview(photos, true);
    wchar_t caption[kMessageChars];
    if (Status s = LoadText(photos.fit ? IDS_ACTUAL_SIZE : IDS_FIT_WINDOW, caption, sizeof caption); s != kOk) return s;
    SetDlgItemTextW(dialog, IDC_ACTUAL_SIZE, caption);
    InvalidateRect(GetDlgItem(dialog, IDC_ACTUAL_SIZE), nullptr, FALSE);
    return kOk;
}

Status RunCommand(HWND dialog, PhotosState& photos, int id) {
    switch (id) {
        case IDC_ALBUM1_RADIO: return ChooseAlbum(photos, 0);
        case IDC_ALBUM2_RADIO: return ChooseAlbum(photos, 1);
        case IDC_ACTUAL_SIZE: return ToggleActualSize(dialog, photos);
        case IDC_DELETE_PHOTO: return DeletePhoto(photos);
        case IDC_SHIFT_LEFT: return ShiftPhoto(photos, -1);
        case IDC_SHIFT_RIGHT: return ShiftPhoto(photos, +1);
        case IDC_ROTATE_LEFT: return TransformPhoto(photos, kRotateLeft);
        case IDC_ROTATE_RIGHT: return TransformPhoto(photos, kRotateRight);
        case IDC_FLIP_HORIZONTAL: return TransformPhoto(photos, kFlipHorizontal);
        case IDC_FLIP_VERTICAL: return TransformPhoto(photos, kFlipVertical);
        case IDC_HALVE_PHOTOS: return HalveAlbum(photos);
        case IDC_STITCH_NONE: ChooseStitchMode(photos, 0); return kOk;
        case IDC_STITCH_BLUR: ChooseStitchMode(photos, 1); return kOk;
        case IDC_STITCH_COLLAGE: ChooseStitchMode(photos, 2); return kOk;
        case IDCANCEL: EndPanel(dialog, 0); return kOk;
        default: break;
    }
    for (const EffectControls& e : kEffects) {
        if (id == e.button) ToggleEffect(photos, e);
        if (id == e.saved) SaveEffect(photos, e);
    }
    return kOk;
}

Status OnCommand(HWND dialog, PhotosState& photos, int id) {
    BusyScope busy(photos);
    if (!busy.Entered()) return kOk;
    const Status status = RunCommand(dialog, photos, id);
    if (id != IDCANCEL) SetFocus(photos.thumbnails);
    return status;
}

// The button records that depend on the panel's state: the Actual Size
// button's two looks and an effect button's "on" look.
std::optional<Status> DrawStatefulButton(HWND dialog, const PhotosState& photos, const DRAWITEMSTRUCT* item) {
    int look = -1;
    if (item->CtlID == IDC_ACTUAL_SIZE) look = photos.fit ? kFitLook : kActualSizeLook;
    for (const EffectControls& e : kEffects)
        if (static_cast<int>(item->CtlID) == e.button) look = photos.effect.effect == e.bit ? kEffectOnLook : e.look;
    const std::span<GlyphButton> table = PanelButtons(dialog);
    const int count = static_cast<int>(table.size());
    if (look < 0 || look >= count) return std::nullopt;
    return DrawGlyphButton(dialog, table.data(), look, count, item);
}

std::optional<Status> OnMessage(HWND dialog, PhotosState& photos, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_DRAWITEM)
        return DrawStatefulButton(dialog, photos, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    if (message != WM_NOTIFY) return std::nullopt;
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    // The selection-change notice follows the mouse and the keyboard alike.
    if (header->idFrom != IDC_THUMBNAIL_LIST || header->code != LVN_ITEMCHANGED) return std::nullopt;
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
    if ((change->uChanged & LVIF_STATE) && (change->uNewState & LVIS_SELECTED) && !(change->uOldState & LVIS_SELECTED))
        return SelectPhoto(photos, change->iItem);
    return kOk;
}

Status InitialisePhotos(HWND dialog, PhotosState& photos) {
    photos.dialog = dialog;
    photos.thumbnails = GetDlgItem(dialog, IDC_THUMBNAIL_LIST);
    photos.properties = GetDlgItem(dialog, IDC_PROPERTY_LIST);
    photos.preview = GetDlgItem(dialog, IDC_PHOTO_PREVIEW);
    if (photos.thumbnails == nullptr || photos.properties == nullptr || photos.preview == nullptr)
        return Fail(QV_SITE(kModule), kErrMissingResource);
    photos.arrow = LoadCursorW(nullptr, IDC_ARROW);
    photos.hand = LoadCursorW(nullptr, IDC_HAND);
    photos.carrier.reset(static_cast<HBITMAP>(LoadImageW(gAppState->instance, MAKEINTRESOURCEW(IDB_THUMBNAIL_CARRIER),
                                                         IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!photos.carrier) return Fail(QV_SITE(kModule), kErrLoadBitmap);
    if (Status s = LoadPropertyTexts(photos.texts); s != kOk) return s;
    if (!SetWindowSubclass(photos.preview, PreviewProc, 0, reinterpret_cast<DWORD_PTR>(&photos)))
        return Fail(QV_SITE(kModule), kErrWindowsApi);
    ListView_SetExtendedListViewStyle(photos.properties, LVS_EX_FULLROWSELECT);
    photos.busy = true;
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
    photos.busy = false;
    CheckRadioButton(dialog, IDC_ALBUM1_RADIO, IDC_ALBUM2_RADIO, IDC_ALBUM1_RADIO);
    if (Status s = ShowAlbum(photos); s != kOk) {
        EndPanel(dialog, 0);
        return s;
    }
    // The dialog manager gives the first control the focus after this
    // returns; the thumbnails take it from there, for the keyboard.
    PostMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(photos.thumbnails), TRUE);
    return kOk;
}

Status OnDestroy(HWND, PhotosState& photos, bool) {
    EndPreview(photos);
    StopDrag(photos);
    ReleasePanelViews(photos);
    if (photos.preview != nullptr) RemoveWindowSubclass(photos.preview, PreviewProc, 0);
    photos = PhotosState{.rebuild = photos.rebuild, .effectsChanged = photos.effectsChanged};
    // The edits are in the cache files, which the display reads again; the
    // photos decoded for the panel would only lie beside the strips.
    for (AlbumSlot& slot : gDisplayState->albums) LetPhotosGo(slot);
    return kOk;
}

const PanelDescription<PhotosState> kPhotos{.parts = {.largeTemplate = IDD_PHOTOS,
                                                      .smallTemplate = IDD_PHOTOS_SMALL,
                                                      .site = kOpenSite,
                                                      .panelRequest = kPanelPhotos,
                                                      .buttons = kPhotosButtons,
                                                      .colouredControls = kPhotosColoured,
                                                      .groupBoxes = kPhotosGroups,
                                                      .helpFile = L"QuorvelHelpPhotoPanel.bat",
                                                      .helpFlag = kHelpPhotos},
                                            .onInit = InitialisePhotos,
                                            .onCommand = OnCommand,
                                            .onMessage = OnMessage,
                                            .onDestroy = OnDestroy};

}  // namespace

Status OpenPhotosPanel(HWND owner) {
    if (gAppState == nullptr || gUserSettings == nullptr || gDisplayState == nullptr)
        return Fail(kOpenSite, kErrInvalidArgument);
    PhotosState photos;
    const Status status = LaunchPanel(owner, kPhotos, photos);
    if (photos.effectsChanged) NoteSettingsChange(kSettingsEffects);
    if (photos.rebuild) gMode.restartRequested = true;
    return status;
}

}  // namespace quorvel
