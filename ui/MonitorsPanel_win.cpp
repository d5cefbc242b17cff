#include "ui/MonitorsPanel_win.h"

#include <cwchar>
#include <string>

#include "display/DisplayState_win.h"
#include "base/ErrorReporter_win.h"
#include "base/Guards_win.h"
#include "base/Utilities_win.h"
#include "display/MonitorMapping.h"
#include "display/Monitors_win.h"
#include "storage/Settings_win.h"
#include "storage/Storage_win.h"
#include "storage/StorageRules.h"
#include "ui/AlbumFolders_win.h"
#include "ui/Panel_win.h"
#include "ui/Notices_win.h"
#include "res/resource.h"

namespace quorvel {

namespace {

const wchar_t kModule[] = L"VideoWallPanel";
constexpr ErrorSite kOpenSite{kModule, 117};

const GlyphButtonSpec kMonitorsButtons[] = {
    {IDC_CHANGE_ALBUM1, IDB_BUTTON_CHANGE_ALBUM1, 0xF0AC},
    {IDC_CHANGE_ALBUM2, IDB_BUTTON_CHANGE_ALBUM2, 0xF0AC, 0xF03B},
    {IDC_DISPLAY_SETTINGS, IDB_BUTTON_DISPLAY_SETTINGS, 0},
};
const int kMonitorsColoured[] = {
    IDC_TARGET_GROUP,
    IDC_STORAGE_GROUP,
    IDC_ALBUMS_ROOT_LABEL,
    IDC_MATTINGS_ROOT_LABEL,
    IDC_MONITORS_GROUP,
    IDC_DISPLAY_GROUP,
    IDC_CHANGE_ALBUM_GROUP,
    IDC_MATTINGS_ROOT,
    IDC_ALBUMS_ROOT,
    IDC_ALBUM1_RADIO,
    IDC_ALBUM2_RADIO,
    IDC_MONITOR_CHECK1,
    IDC_MONITOR_CHECK1 + 1,
    IDC_MONITOR_CHECK1 + 2,
    IDC_MONITOR_CHECK1 + 3,
    IDC_MONITOR_CHECK1 + 4,
    IDC_MONITOR_CHECK1 + 5,
    IDC_MONITOR_TOP_LEFT1,
    IDC_MONITOR_TOP_LEFT1 + 1,
    IDC_MONITOR_TOP_LEFT1 + 2,
    IDC_MONITOR_TOP_LEFT1 + 3,
    IDC_MONITOR_TOP_LEFT1 + 4,
    IDC_MONITOR_TOP_LEFT1 + 5,
    IDC_MONITOR_BOTTOM_RIGHT1,
    IDC_MONITOR_BOTTOM_RIGHT1 + 1,
    IDC_MONITOR_BOTTOM_RIGHT1 + 2,
    IDC_MONITOR_BOTTOM_RIGHT1 + 3,
    IDC_MONITOR_BOTTOM_RIGHT1 + 4,
    IDC_MONITOR_BOTTOM_RIGHT1 + 5,
    IDC_MONITOR_GROUP1,
    IDC_MONITOR_GROUP1 + 1,
    IDC_MONITOR_GROUP1 + 2,
    IDC_MONITOR_GROUP1 + 3,
    IDC_MONITOR_GROUP1 + 4,
    IDC_MONITOR_GROUP1 + 5,
};
const int kMonitorsGroups[] = {IDC_TARGET_GROUP,       IDC_STORAGE_GROUP,      IDC_MONITORS_GROUP,
                               IDC_DISPLAY_GROUP,      IDC_CHANGE_ALBUM_GROUP, IDC_MONITOR_GROUP1,
                               IDC_MONITOR_GROUP1 + 1, IDC_MONITOR_GROUP1 + 2, IDC_MONITOR_GROUP1 + 3,
                               IDC_MONITOR_GROUP1 + 4, IDC_MONITOR_GROUP1 + 5};
// The panel's working copy, ordered left to right, and what it changed; the
// changes outlive a reopen after a display change.
struct MonitorsState {
    MonitorTable working;
    int target = 0;
    bool changed = false;
    bool reopened = false;
};

const wchar_t* AlbumName(int album) { return gDisplayState->albums[album].folderName; }

std::wstring Text(unsigned id) {
    wchar_t text[kMessageChars];
    ShowError(LoadText(id, text, sizeof text));
    return text;
}

// The monitor record of a working-copy position: the one with its device index.
const MonitorInfo* RecordOf(const MonitorsState& monitors, int position) {
    for (const MonitorInfo& m : gDisplayState->monitors)
        if (m.deviceIndex == monitors.working.entries[position].deviceIndex) return &m;
    return nullptr;
}

// Written straight on the screen so the user can tell the monitors apart;
// the next repaint there takes it away.
void WriteOnMonitor(const MonitorsState& monitors, int position) {
    const MonitorEntry& e = monitors.working.entries[position];
    const std::wstring text = e.album == 0 || e.album == 1 ? AlbumName(e.album) : Text(IDS_MONITOR_NO_ALBUM);
    WindowDc screen(nullptr);
    SetTextAlign(screen.get(), TA_LEFT | TA_TOP);
    TextOutW(screen.get(), e.rect.left, e.rect.top, text.c_str(), static_cast<int>(text.size()));
}

void ShowAssignment(HWND dialog, const MonitorsState& monitors, int position) {
    const int album = monitors.working.entries[position].album;
    const bool shown = album == 0 || album == 1;
    CheckDlgButton(dialog, IDC_MONITOR_CHECK1 + position, shown ? BST_CHECKED : BST_UNCHECKED);
    WriteOnMonitor(monitors, position);
    SetDlgItemTextW(dialog, IDC_MONITOR_CHECK1 + position,
                    shown ? AlbumName(album) : Text(IDS_MONITOR_NO_ALBUM_SELECTED).c_str());
}

void Fill(HWND dialog, MonitorsState& monitors) {
    monitors.working = SortedByLeftEdge(TableFromState());
    const int count = monitors.working.count;
    SetDlgItemTextW(dialog, IDC_ALBUM1_RADIO, AlbumName(0));
    if (gMode.role != Role::kConfigure) SetDlgItemTextW(dialog, IDC_ALBUM2_RADIO, AlbumName(1));
    for (int k = 0; k < kMaxMonitors; ++k) {
        const int shown = k < count ? SW_SHOW : SW_HIDE;
        for (int id : {IDC_MONITOR_CHECK1, IDC_MONITOR_TOP_LEFT1, IDC_MONITOR_BOTTOM_RIGHT1, IDC_MONITOR_GROUP1})
            ShowWindow(GetDlgItem(dialog, id + k), shown);
        if (k >= count) continue;
        const MonitorRect& r = monitors.working.entries[k].rect;
        wchar_t corner[40];
        swprintf(corner, std::size(corner), L"(%d,%d)", r.left, r.top);
        SetDlgItemTextW(dialog, IDC_MONITOR_TOP_LEFT1 + k, corner);
        swprintf(corner, std::size(corner), L"(%d,%d)", r.right, r.bottom);
        SetDlgItemTextW(dialog, IDC_MONITOR_BOTTOM_RIGHT1 + k, corner);
        ShowAssignment(dialog, monitors, k);
        const MonitorInfo* record = RecordOf(monitors, k);
        const std::u16string caption =
            MonitorCaption(r, record != nullptr ? AsU16(record->device.DeviceID) : u"",
                           monitors.working.entries[k].deviceIndex == monitors.working.primary);
        SetDlgItemTextW(dialog, IDC_MONITOR_GROUP1 + k, AsWide(caption.c_str()));
    }
    if (count == 1) {
        EnableWindow(GetDlgItem(dialog, IDC_MONITOR_CHECK1), FALSE);
        ShowWindow(GetDlgItem(dialog, IDC_CHANGE_ALBUM2), SW_HIDE);
        ShowWindow(GetDlgItem(dialog, IDC_ALBUM2_RADIO), SW_HIDE);
    }
    SetDlgItemTextW(dialog, IDC_ALBUMS_ROOT, gUserSettings->albumsPath);
    SetDlgItemTextW(dialog, IDC_MATTINGS_ROOT, gUserSettings->mattingsPath);
}

// The working copy into the monitor table, so that a refill or a new
// enumeration starts from the user's choices.
void WriteBack(MonitorsState& monitors) {
    MonitorTable table = TableFromState();
    if (!WriteBackAlbums(monitors.working, table)) return;
    TableToState(table);
    monitors.changed = true;
    NoteSettingsChange(kSettingsMapping);
}

Status InitialiseMonitors(HWND dialog, MonitorsState& monitors) {
    monitors.target = 0;
    CheckRadioButton(dialog, IDC_ALBUM1_RADIO, IDC_ALBUM2_RADIO, IDC_ALBUM1_RADIO);
    if (gMode.role == Role::kConfigure) {
        ShowWindow(GetDlgItem(dialog, IDC_CHANGE_ALBUM2), SW_HIDE);
        ShowWindow(GetDlgItem(dialog, IDC_ALBUM2_RADIO), SW_HIDE);
        SetDlgItemTextW(dialog, IDC_CHANGE_ALBUM1, Text(IDS_MONITOR_SELECT_ALBUM).c_str());
    }
    // Reopened after a display change: the monitors may be others now.
    if (monitors.reopened)
        if (Status s = MapAlbumsToMonitors(); s != kOk) return s;
    Fill(dialog, monitors);
    return kOk;
}

void OnMonitorCheck(HWND dialog, MonitorsState& monitors, int position) {
    if (monitors.target != 0 && monitors.target != 1) return;
    MonitorEntry& entry = monitors.working.entries[position];
    const std::int16_t before = entry.album;
    const bool checked = IsDlgButtonChecked(dialog, IDC_MONITOR_CHECK1 + position) == BST_CHECKED;
    entry.album = checked ? static_cast<std::int16_t>(monitors.target) : std::int16_t(-1);
    if (LeavesFirstAlbumDark(monitors.working)) {
        entry.album = before;
        WarnWithFormat(dialog, IDS_FIRST_ALBUM_NEEDS_MONITOR, L"");
    }
    ShowAssignment(dialog, monitors, position);
}

Status ChangeAlbum(HWND dialog, MonitorsState& monitors, int album) {
    wchar_t root[kPathChars], title[kMessageChars], chosen[kPathChars];
    AlbumsFolder(root);
    if (Status s = FormatText(title, kMessageChars, IDS_CHANGE_ALBUM_TITLE, AlbumName(album), album + 1); s != kOk)
        return s;
    bool picked = false;
    if (Status s = BrowseForFolder(dialog, root, title, chosen, &picked); s != kOk || !picked) return s;
    const std::u16string_view path(AsU16(chosen));
    if (!AlbumFolderAccepted(dialog, chosen, root, IDS_NOT_ONE_LEVEL_BELOW)) return kOk;
    const std::u16string_view name16 = LastComponent(path);
    const std::wstring name(name16.begin(), name16.end());
    int type = 0;
    bool showable = false;
    if (Status s = AlbumFolderShowable(dialog, chosen, name.c_str(), &type, &showable); s != kOk || !showable) return s;
    ShowError(UseAlbumFolder(album, name.c_str()));
    monitors.changed = true;
    WriteBack(monitors);
    Fill(dialog, monitors);
    return kOk;
}

// A probe of a name no user folder has, removed at once: an earlier probe
// left behind must not make the folder look unwritable the next time.
bool FolderWritable(const wchar_t* folder) {
    wchar_t name[64], probe[kPathChars];
    swprintf(name, std::size(name), L"QuorvelWriteProbe-%lu-%lu", GetCurrentProcessId(), GetTickCount());
    if (!JoinPath(folder, name, probe) || !CreateDirectoryW(probe, nullptr)) return false;
    RemoveDirectoryW(probe);
    return true;
}

// Every name the folder must hold under it still makes a path Windows takes.
bool RootFits(const wchar_t* folder, bool albums) {
    const std::u16string_view root(AsU16(folder));
    for (int album = 0; album < kAlbumCount; ++album) {
        const wchar_t* name = albums ? AlbumName(album) : gUserSettings->mattingFile[album];
        const std::u16string_view name16(AsU16(name));
        if (albums ? !AlbumPathFits(root, name16)
                   : WithoutTrailingSeparators(root).size() + 1 + name16.size() > kLongestPath)
            return false;
    }
    return true;
}

Status ChangeStorageFolder(HWND dialog, MonitorsState& monitors, bool albums) {
    const std::wstring title = Text(albums ? IDS_ALBUMS_ROOT_TITLE : IDS_MATTINGS_ROOT_TITLE);
    wchar_t chosen[kPathChars];
    bool picked = false;
    if (Status s = BrowseForFolder(dialog, nullptr, title.c_str(), chosen, &picked); s != kOk || !picked) return s;
    if (!FolderWritable(chosen)) {
        WarnWithFormat(dialog, IDS_FOLDER_NOT_WRITABLE, chosen);
        return kOk;
    }
    if (!RootFits(chosen, albums)) {
        WarnWithFormat(dialog, IDS_ROOT_TOO_LONG, chosen);
        return kOk;
    }
    WarnWithFormat(dialog, IDS_STORAGE_NOT_MOVED, chosen);
    wchar_t* setting = albums ? gUserSettings->albumsPath : gUserSettings->mattingsPath;
    const std::u16string_view trimmed = WithoutTrailingSeparators(AsU16(chosen));
    const std::wstring stored(trimmed.begin(), trimmed.end());
    wcsncpy(setting, stored.c_str(), kPathChars - 1);
    SetDlgItemTextW(dialog, albums ? IDC_ALBUMS_ROOT : IDC_MATTINGS_ROOT, setting);
    NoteSettingsChange(kSettingsStorage);
    monitors.changed = true;
    return kOk;
}

Status ShowDisplaySettings(HWND dialog, MonitorsState& monitors) {
    const Status started = RunDisplaySettings();
    if (started == kOk && ShowNotice(Text(IDS_DISPLAY_CHANGED).c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return kOk;
    WriteBack(monitors);
    if (Status s = MapAlbumsToMonitors(); s != kOk) return s;
    Fill(dialog, monitors);
    monitors.changed = true;
    return started;
}

Status OnCommand(HWND dialog, MonitorsState& monitors, int id) {
    if (id >= IDC_MONITOR_CHECK1 && id < IDC_MONITOR_CHECK1 + kMaxMonitors) {
        OnMonitorCheck(dialog, monitors, id - IDC_MONITOR_CHECK1);
        return kOk;
    }
    switch (id) {
        case IDOK:
        case IDCANCEL: EndPanel(dialog, id); return kOk;
        case IDC_ALBUM1_RADIO: monitors.target = 0; return kOk;
        case IDC_ALBUM2_RADIO: monitors.target = 1; return kOk;
        case IDC_CHANGE_ALBUM1: return ChangeAlbum(dialog, monitors, 0);
        case IDC_CHANGE_ALBUM2: return ChangeAlbum(dialog, monitors, 1);
        case IDC_ALBUMS_ROOT_BROWSE: return ChangeStorageFolder(dialog, monitors, true);
        case IDC_MATTINGS_ROOT_BROWSE: return ChangeStorageFolder(dialog, monitors, false);
        case IDC_DISPLAY_SETTINGS: return ShowDisplaySettings(dialog, monitors);
        default: return kOk;
    }
}

// OK, Cancel, Esc and the close command all keep the assignment.
Status OnDestroy(HWND, MonitorsState& monitors, bool reopening) {
    WriteBack(monitors);
    monitors.reopened = reopening;
    return kOk;
}

const PanelDescription<MonitorsState> kMonitors{.parts = {.largeTemplate = IDD_MONITORS,
                                                          .smallTemplate = IDD_MONITORS_SMALL,
                                                          .site = kOpenSite,
                                                          .panelRequest = kPanelMonitorMapping,
                                                          .buttons = kMonitorsButtons,
                                                          .colouredControls = kMonitorsColoured,
                                                          .groupBoxes = kMonitorsGroups,
                                                          .helpFile = L"QuorvelHelpMonitorMapping.bat",
                                                          .helpFlag = kHelpMonitorMapping},
                                                .onInit = InitialiseMonitors,
                                                .onCommand = OnCommand,
                                                .onDestroy = OnDestroy};

}  // namespace

Status OpenMonitorsPanel(HWND owner) {
    if (owner == nullptr || gAppState == nullptr || gDisplayState == nullptr || gUserSettings == nullptr)
        return Fail(QV_SITE(kModule), kErrInvalidArgument);
    MonitorsState monitors;
    const Status status = LaunchPanel(owner, kMonitors, monitors);
    if (monitors.changed && gMode.role != Role::kConfigure) gMode.restartRequested = true;
    return status;
}

}  // namespace quorvel
