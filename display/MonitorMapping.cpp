#include "display/MonitorMapping.h"

#include <algorithm>

namespace quorvel {

std::optional<DisplayMode> ShownMode(const std::optional<DisplayMode>& current,
                                     const std::optional<DisplayMode>& saved) {
    if (current && current->width > 0 && current->height > 0) return current;
    return saved;
}

int WalkAdapters(MonitorTable& table, const std::function<std::optional<AdapterInfo>(int)>& adapter,
                 const std::function<void(int, int)>& store) {
    int count = 0;
    for (int i = 0; count < kMonitorSlots; ++i) {
        const std::optional<AdapterInfo> info = adapter(i);
        if (!info) break;
        if (!info->attachedToDesktop || info->height == 0) continue;
        MonitorEntry& e = table.entries[count];
        e.rect.left = info->x;
        e.rect.top = info->y;
        e.rect.right = info->x + static_cast<std::int32_t>(info->width) - 1;
        e.rect.bottom = info->y + static_cast<std::int32_t>(info->height) - 1;
        e.work = e.rect;
        e.deviceIndex = i;
        if (info->primary) table.primary = i;
        if (store) store(count, i);
        ++count;
    }
    table.count = count;
    return count;
}

bool Touches(const MonitorRect& m, const MonitorRect& g) {
    return m.left == g.right + 1 || m.right == g.left - 1 || m.top == g.bottom + 1 || m.bottom == g.top - 1;
}

namespace {

void Grow(MonitorRect& group, const MonitorRect& m) {
    group.left = std::min(group.left, m.left);
    group.top = std::min(group.top, m.top);
    group.right = std::max(group.right, m.right);
    group.bottom = std::max(group.bottom, m.bottom);
}

}  // namespace

MappingResult MapAlbums(MonitorTable& table, MappingMode mode) {
    MappingResult result;
    if (mode == MappingMode::Preview || table.count <= 0) return result;
    const int count = std::min(table.count, kMonitorSlots);
    const int highestAlbum = std::min(count - 1, 1);  // one monitor shows only the first album

    bool stored = false;
    for (int i = 0; i < count; ++i) {
        const int a = table.entries[i].album;
        if (a < 0 || a > highestAlbum) continue;
        stored = true;
        result.albumInUse[a] = true;
        if (mode == MappingMode::SaverOrConfigure && a == 1) break;
    }
    if (stored) return result;

    result.defaultWritten = true;
    if (count == 1) {
        result.onlyOneDisplay = true;
        table.entries[0].album = 0;
        result.albumInUse[0] = true;
        return result;
    }
    if (mode == MappingMode::SaverOrConfigure) {
        for (int i = 0; i < count; ++i) table.entries[i].album = 0;
        result.albumInUse[0] = true;
        return result;
    }
    // The program leaves the primary monitor to the user's other windows and
    // grows two groups of touching monitors, one per album.
    bool startedA = false, startedB = false;
    MonitorRect groupA, groupB;
    for (int i = 0; i < count; ++i) {
        MonitorEntry& e = table.entries[i];
        if (e.deviceIndex == table.primary) {
            e.album = -1;
        } else if (!startedA) {
            startedA = true;
            groupA = e.rect;
            e.album = 0;
            result.albumInUse[0] = true;
        } else if (Touches(e.rect, groupA)) {
            e.album = 0;
            Grow(groupA, e.rect);
        } else if (!startedB) {
            startedB = true;
            groupB = e.rect;
            e.album = 1;
            result.albumInUse[1] = true;
        } else if (Touches(e.rect, groupB)) {
            e.album = 1;
            Grow(groupB, e.rect);
        }
    }
    return result;
}

AlbumRect PreviewArea(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    return {left, top, right - left + 1, bottom - top + 1};
}

Status AlbumAreaOf(const MonitorTable& table, int album, bool saverMode, AlbumRect* area) {
    bool found = false;
    MonitorRect box;
    for (int i = 0; i < std::min(table.count, kMonitorSlots); ++i) {
        const MonitorEntry& e = table.entries[i];
        if (e.album != album) continue;
        MonitorRect part = e.rect;
        if (!saverMode) {
            part.left = std::max(part.left, e.work.left);
            part.top = std::max(part.top, e.work.top);
            part.right = std::min(part.right, e.work.right);
            part.bottom = std::min(part.bottom, e.work.bottom);
        }
        if (!found) {
            box = part;
            found = true;
        } else {
            Grow(box, part);
        }
    }
    if (!found) return kErrNoMonitorsMapped;
    AlbumRect r;
    r.x = box.left;
    r.y = box.top;
    r.width = box.right - box.left + 1;
    r.height = box.bottom - box.top;
    if (r.width <= 0 || r.height <= 0) return kErrNotPositive;
    *area = r;
    return kOk;
}

AlbumRect AlbumWindowIn(const AlbumRect& area, std::int32_t stripWidth, std::int32_t stripHeight, bool centred) {
    AlbumRect r = area;
    r.width = std::min(stripWidth, area.width);
    r.height = std::min(stripHeight, area.height);
    if (centred) {
        r.x += (area.width - r.width) / 2;
        r.y += (area.height - r.height) / 2;
    }
    return r;
}

MonitorTable SortedByLeftEdge(const MonitorTable& table) {
    MonitorTable sorted = table;
    const int count = std::clamp(table.count, 0, kMonitorSlots);
    std::stable_sort(sorted.entries.begin(), sorted.entries.begin() + count,
                     [](const MonitorEntry& a, const MonitorEntry& b) { return a.rect.left < b.rect.left; });
    return sorted;
}

bool LeavesFirstAlbumDark(const MonitorTable& table) {
    bool shown[2] = {false, false};
    const int count = std::clamp(table.count, 0, kMonitorSlots);
    for (int i = 0; i < count; ++i)
        if (const int album = table.entries[i].album; album == 0 || album == 1) shown[album] = true;
    return shown[1] && !shown[0];
}

bool WriteBackAlbums(const MonitorTable& working, MonitorTable& table) {
    bool changed = false;
    const int count = std::clamp(working.count, 0, kMonitorSlots);
    for (int i = 0; i < count; ++i)
        for (int j = 0; j < count; ++j)
            if (table.entries[j].deviceIndex == working.entries[i].deviceIndex) {
                changed = changed || table.entries[j].album != working.entries[i].album;
                table.entries[j].album = working.entries[i].album;
            }
    return changed;
}

std::u16string_view MonitorModel(std::u16string_view deviceId) {
    constexpr std::u16string_view kPrefix = u"MONITOR\\";
    if (deviceId.substr(0, kPrefix.size()) != kPrefix) return {};
    const std::u16string_view rest = deviceId.substr(kPrefix.size());
    return rest.substr(0, rest.find(u'\\'));
}

std::u16string MonitorCaption(const MonitorRect& rect, std::u16string_view deviceId, bool primary) {
    auto number = [](std::int32_t n) {
        const std::string digits = std::to_string(n);
        return std::u16string(digits.begin(), digits.end());
    };
    std::u16string caption = number(rect.right - rect.left + 1) + u"x" + number(rect.bottom - rect.top + 1) + u"-";
    caption += MonitorModel(deviceId);
    if (primary) caption += u"-Main";
    return caption;
}

}  // namespace quorvel
