#include "display/Monitors_win.h"

#include <shellscalingapi.h>

#include <optional>
#include <vector>

#include "base/DisplayState_win.h"
#include "base/ErrorReporter_win.h"
#include "base/Utilities_win.h"
#include "display/MonitorMapping.h"
#include "res/resource.h"

namespace quorvel {

namespace {

const wchar_t kModule[] = L"settings";

// Locations the error log has always named.
constexpr ErrorSite kDpiLookupSite{L"Quorvel", 917};
constexpr ErrorSite kDpiMeasureSite{L"Quorvel", 928};

MonitorTable TableFromState() {
    MonitorTable t;
    const DisplayState& d = *gDisplayState;
    for (int i = 0; i < kMaxMonitors; ++i) {
        const MonitorInfo& m = d.monitors[i];
        t.entries[i].rect = {m.left, m.top, m.right, m.bottom};
        t.entries[i].album = m.album;
        t.entries[i].deviceIndex = m.deviceIndex;
    }
    t.primary = d.primaryMonitor;
    t.count = d.lastMonitor + 1;
    return t;
}

void TableToState(const MonitorTable& t) {
    DisplayState& d = *gDisplayState;
    for (int i = 0; i < kMaxMonitors; ++i) {
        MonitorInfo& m = d.monitors[i];
        m.left = t.entries[i].rect.left;
        m.top = t.entries[i].rect.top;
        m.right = t.entries[i].rect.right;
        m.bottom = t.entries[i].rect.bottom;
        m.album = t.entries[i].album;
        m.deviceIndex = t.entries[i].deviceIndex;
    }
    d.primaryMonitor = t.primary;
}

MappingMode CurrentMappingMode() {
    if (gMode.previewMode) return MappingMode::Preview;
    if (gMode.showMode || gMode.configureMode) return MappingMode::SaverOrConfigure;
    return MappingMode::Program;
}

}  // namespace

int EnumerateMonitors() {
    if (gDisplayState == nullptr) return 0;
    MonitorTable table = TableFromState();
    std::vector<DISPLAY_DEVICEW> adapters;
    auto adapterAt = [&adapters](int i) -> std::optional<AdapterInfo> {
        DISPLAY_DEVICEW adapter = {};
        adapter.cb = sizeof adapter;
        if (!EnumDisplayDevicesW(nullptr, i, &adapter, 0)) return std::nullopt;
        DEVMODEW mode = {};
        mode.dmSize = sizeof mode;
        if (!EnumDisplaySettingsW(adapter.DeviceName, ENUM_REGISTRY_SETTINGS, &mode)) {
            OutputDebugStringW(L"Quorvel:Store default failed\n");
            mode = {};
        }
        adapters.resize(i + 1);
        adapters[i] = adapter;
        AdapterInfo info;
        info.attachedToDesktop = (adapter.StateFlags & DISPLAY_DEVICE_ATTACHED_TO_DESKTOP) != 0;
        info.primary = (adapter.StateFlags & DISPLAY_DEVICE_PRIMARY_DEVICE) != 0;
        info.x = mode.dmPosition.x;
        info.y = mode.dmPosition.y;
        info.width = mode.dmPelsWidth;
        info.height = mode.dmPelsHeight;
        return info;
    };
    auto store = [&adapters](int index) {
        const DISPLAY_DEVICEW& adapter = adapters[index];
        DebugLine(L"%ls\n", adapter.DeviceName);
        MonitorInfo& m = gDisplayState->monitors[index];
        m.device = {};
        m.device.cb = sizeof m.device;
        EnumDisplayDevicesW(adapter.DeviceName, 0, &m.device, 0);
    };
    const int count = WalkAdapters(table, adapterAt, store);
    // The walk stores entries at their adapter index; keep the table's
    // rectangles and indices, and leave the album fields as they were.
    for (int i = 0; i < count; ++i) table.entries[i].album = gDisplayState->monitors[i].album;
    TableToState(table);
    return count;
}

Status MapAlbumsToMonitors() {
    if (gDisplayState == nullptr) {
        SetErrorLocation(QV_SITE(kModule));
        return kErrInvalidArgument;
    }
    if (gMode.previewMode) return kOk;
    const int count = EnumerateMonitors();
    if (count == 0) {
        SetErrorLocation(QV_SITE(L"settings"));
        return kErrNoMonitors;
    }
    gDisplayState->lastMonitor = count - 1;
    MonitorTable table = TableFromState();
    const MappingResult r = MapAlbums(table, CurrentMappingMode());
    if (r.onlyOneDisplay) OutputDebugStringW(L"Quorvel: Only one display\n");
    TableToState(table);
    for (int a = 0; a < 2; ++a) gDisplayState->albums[a].inUse = r.albumInUse[a] ? 1 : 0;
    return kOk;
}

Status AlbumArea(int album, int* x, int* y, int* width, int* height) {
    if (gDisplayState == nullptr || x == nullptr || y == nullptr || width == nullptr || height == nullptr) {
        SetErrorLocation(QV_SITE(kModule));
        return kErrInvalidArgument;
    }
    const MonitorTable table = TableFromState();
    const int taskbar = gMode.showMode ? 0 : TaskbarHeight();
    const std::optional<AlbumRect> r = AlbumAreaOf(table, album, gMode.showMode, taskbar);
    if (!r) {
        SetErrorLocation(QV_SITE(L"ScreenSaver"));
        return kErrNoMonitorsMapped;
    }
    *x = r->x;
    *y = r->y;
    *width = r->width;
    *height = r->height;
    return kOk;
}

int TaskbarHeight() {
    HWND taskbar = FindWindowW(L"Shell_traywnd", nullptr);
    RECT rect;
    if (taskbar == nullptr || !GetWindowRect(taskbar, &rect)) return 0;
    return rect.bottom - rect.top;
}

Status GetCurrentDpi(int x, int y) {
    HMONITOR monitor = MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTONEAREST);
    UINT dpi = 96;
    if (gMode.shcoreLibrary != nullptr) {
        using GetDpiFn = HRESULT(WINAPI*)(HMONITOR, MONITOR_DPI_TYPE, UINT*, UINT*);
        auto getDpi = reinterpret_cast<GetDpiFn>(
            reinterpret_cast<void*>(GetProcAddress(gMode.shcoreLibrary, "GetDpiForMonitor")));
        if (getDpi == nullptr) {
            SetErrorLocation(kDpiLookupSite, L"GetDpiForMonitor");
            return kErrProcAddress;
        }
        UINT dpiY = 0;
        if (FAILED(getDpi(monitor, MDT_EFFECTIVE_DPI, &dpi, &dpiY))) {
            wchar_t caption[64], text[kMessageChars];
            (void)LoadText(IDS_NOTIFICATION, caption, sizeof caption);
            (void)LoadText(IDS_DPI_FOR_MONITOR_FAILED, text, sizeof text);
            MessageBoxW(nullptr, text, caption, MB_OK);
            SetErrorLocation(kDpiMeasureSite);
            return kErrWindowsApi;
        }
    } else {
        HDC screen = GetDC(nullptr);
        dpi = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSX));
        ReleaseDC(nullptr, screen);
    }
    gMode.currentDpi = dpi > 96 ? static_cast<int>(dpi) : 96;
    return kOk;
}

}  // namespace quorvel
