#include "storage/PhotoOrder.h"

#include <algorithm>

namespace quorvel {

namespace {

constexpr char16_t kSeparator = u'|';

bool SameName(std::u16string_view a, std::u16string_view b) {
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char16_t x, char16_t y) { return lower(x) == lower(y); });
}

}  // namespace

std::u16string PhotoOrderText(std::span<const std::u16string> names) {
    std::u16string text;
    for (const std::u16string& name : names) {
        if (!text.empty()) text += kSeparator;
        text += name;
    }
    return text;
}

std::vector<int> StoredPhotoOrder(std::span<const std::u16string> names, std::u16string_view stored) {
    std::vector<int> order;
    std::vector<bool> placed(names.size(), false);
    while (!stored.empty()) {
        const std::size_t end = std::min(stored.find(kSeparator), stored.size());
        const std::u16string_view name = stored.substr(0, end);
        for (std::size_t i = 0; i < names.size(); ++i)
            if (!placed[i] && SameName(names[i], name)) {
                placed[i] = true;
                order.push_back(static_cast<int>(i));
                break;
            }
        stored.remove_prefix(std::min(end + 1, stored.size()));
    }
    for (std::size_t i = 0; i < names.size(); ++i)
        if (!placed[i]) order.push_back(static_cast<int>(i));
    return order;
}

}  // namespace quorvel
