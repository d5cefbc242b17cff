#include "display/Monitors_win.h"

#include <shellscalingapi.h>

#include <optional>
#include <vector>

#include "display/DisplayState_win.h"
#include "base/ErrorReporter_win.h"
#include "base/Guards_win.h"
#include "base/Hooks_win.h"
#include "display/MonitorMapping.h"
#include "res/resource.h"

namespace quorvel {

namespace {

const wchar_t kModule[] = L"settings";

// Locations the error log has always named.
constexpr ErrorSite kDpiLookupSite{L"Quorvel", 917};
constexpr ErrorSite kDpiMeasureSite{L"Quorvel", 928};

MappingMode CurrentMappingMode() {
    if (gMode.role == Role::kPreview) return MappingMode::Preview;
    if (gMode.role == Role::kSaver || gMode.role == Role::kConfigure) return MappingMode::SaverOrConfigure;
    return MappingMode::Program;
}

std::optional<DisplayMode> ReadMode(const wchar_t* device, DWORD which) {
    DEVMODEW mode = {};
    mode.dmSize = sizeof mode;
    if (!EnumDisplaySettingsW(device, which, &mode)) return std::nullopt;
    return DisplayMode{mode.dmPosition.x, mode.dmPosition.y, mode.dmPelsWidth, mode.dmPelsHeight};
}

}  // namespace

MonitorTable TableFromState() {
    MonitorTable t;
    const DisplayState& d = *gDisplayState;
    for (int i = 0; i < kMaxMonitors; ++i) {
        const MonitorInfo& m = d.monitors[i];
        t.entries[i].rect = {m.left, m.top, m.right, m.bottom};
        t.entries[i].work = t.entries[i].rect;
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

int EnumerateMonitors() {
    if (gDisplayState == nullptr) return 0;
    MonitorTable table = TableFromState();
    std::vector<DISPLAY_DEVICEW> adapters;
    auto adapterAt = [&adapters](int i) -> std::optional<AdapterInfo> {
        DISPLAY_DEVICEW adapter = {};
        adapter.cb = sizeof adapter;
        if (!EnumDisplayDevicesW(nullptr, i, &adapter, 0)) return std::nullopt;
        const std::optional<DisplayMode> shown = ShownMode(ReadMode(adapter.DeviceName, ENUM_CURRENT_SETTINGS),
                                                           ReadMode(adapter.DeviceName, ENUM_REGISTRY_SETTINGS));
        if (!shown) OutputDebugStringW(L"Quorvel:Store default failed\n");
        const DisplayMode mode = shown.value_or(DisplayMode{});
        adapters.resize(i + 1);
        adapters[i] = adapter;
        AdapterInfo info;
        info.attachedToDesktop = (adapter.StateFlags & DISPLAY_DEVICE_ATTACHED_TO_DESKTOP) != 0;
        info.primary = (adapter.StateFlags & DISPLAY_DEVICE_PRIMARY_DEVICE) != 0;
        info.x = mode.x;
        info.y = mode.y;
        info.width = mode.width;
        info.height = mode.height;
        return info;
    };
    auto store = [&adapters](int entry, int adapterIndex) {
        const DISPLAY_DEVICEW& adapter = adapters[adapterIndex];
        DebugLine(L"%ls\n", adapter.DeviceName);
        MonitorInfo& m = gDisplayState->monitors[entry];
        m.device = {};
        m.device.cb = sizeof m.device;
        EnumDisplayDevicesW(adapter.DeviceName, 0, &m.device, 0);
    };
    const int count = WalkAdapters(table, adapterAt, store);
    // Keep the walk's rectangles and device indices; the album fields belong
    // to the table's entries and stay as they were.
    for (int i = 0; i < count; ++i) table.entries[i].album = gDisplayState->monitors[i].album;
    TableToState(table);
    return count;
}

Status MapAlbumsToMonitors() {
    if (gDisplayState == nullptr) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    if (gMode.role == Role::kPreview) return kOk;
    const int count = EnumerateMonitors();
    if (count == 0) return Fail(QV_SITE(L"settings"), kErrNoMonitors);
    gDisplayState->lastMonitor = count - 1;
    MonitorTable table = TableFromState();
    const MappingResult r = MapAlbums(table, CurrentMappingMode());
    if (r.onlyOneDisplay) OutputDebugStringW(L"Quorvel: Only one display\n");
    TableToState(table);
    for (int a = 0; a < 2; ++a) gDisplayState->albums[a].inUse = r.albumInUse[a] ? 1 : 0;
    return kOk;
}

Status AlbumArea(int album, int* x, int* y, int* width, int* height) {
    if (gDisplayState == nullptr || x == nullptr || y == nullptr || width == nullptr || height == nullptr)
        return Fail(QV_SITE(kModule), kErrInvalidArgument);
    MonitorTable table = TableFromState();
    for (int i = 0; i < table.count; ++i) {
        MonitorEntry& e = table.entries[i];
        const RECT work =
            WorkAreaAt(e.rect.left + (e.rect.right - e.rect.left) / 2, e.rect.top + (e.rect.bottom - e.rect.top) / 2);
        e.work = {work.left, work.top, work.right - 1, work.bottom - 1};
    }
    AlbumRect r;
    if (Status s = AlbumAreaOf(table, album, gMode.role == Role::kSaver, &r); s != kOk) {
        SetErrorLocation(QV_SITE(L"ScreenSaver"));
        return s;
    }
    *x = r.x;
    *y = r.y;
    *width = r.width;
    *height = r.height;
    return kOk;
}

RECT WorkAreaAt(int x, int y) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTONEAREST), &info)) return info.rcWork;
    RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

namespace {

// Windows 7 to 10 1511 lack these, so they are looked up when first asked for.
template <typename Function>
Function User32Function(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

using SetThreadContextFn = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);

SetThreadContextFn SetThreadContext() {
    static const auto set = User32Function<SetThreadContextFn>("SetThreadDpiAwarenessContext");
    return set;
}

}  // namespace

WindowDpiContext::WindowDpiContext(HWND window) {
    using WindowContextFn = DPI_AWARENESS_CONTEXT(WINAPI*)(HWND);
    static const auto windowContext = User32Function<WindowContextFn>("GetWindowDpiAwarenessContext");
    if (window == nullptr || windowContext == nullptr || SetThreadContext() == nullptr) return;
    if (DPI_AWARENESS_CONTEXT context = windowContext(window)) previous_ = SetThreadContext()(context);
}

WindowDpiContext::~WindowDpiContext() {
    if (previous_ != nullptr) SetThreadContext()(previous_);
}

Status GetCurrentDpi(int x, int y) {
    HMONITOR monitor = MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTONEAREST);
    UINT dpi = 96;
    if (gMode.shcoreLibrary != nullptr) {
        using GetDpiFn = HRESULT(WINAPI*)(HMONITOR, MONITOR_DPI_TYPE, UINT*, UINT*);
        auto getDpi = reinterpret_cast<GetDpiFn>(
            reinterpret_cast<void*>(GetProcAddress(gMode.shcoreLibrary, "GetDpiForMonitor")));
        if (getDpi == nullptr) return Fail(kDpiLookupSite, kErrProcAddress, L"GetDpiForMonitor");
        UINT dpiY = 0;
        if (FAILED(getDpi(monitor, MDT_EFFECTIVE_DPI, &dpi, &dpiY))) {
            if (gHooks.notify != nullptr)
                if (Status s = gHooks.notify(IDS_DPI_FOR_MONITOR_FAILED); s != kOk) return s;
            return Fail(kDpiMeasureSite, kErrWindowsApi);
        }
    } else {
        dpi = static_cast<UINT>(GetDeviceCaps(WindowDc().get(), LOGPIXELSX));
    }
    gMode.currentDpi = dpi > 96 ? static_cast<int>(dpi) : 96;
    return kOk;
}

}  // namespace quorvel
