#include "system/SaverChoice.h"

namespace quorvel {

SaverRecord RecordOfSaver(const SaverState& before) { return {before.path.value_or(u""), before.active ? u"1" : u"0"}; }

SaverState SaverToRestore(const std::optional<std::u16string>& path, const std::optional<std::u16string>& active) {
    // "(None)" as Windows' own settings make it, even where the session
    // still said "on" with no saver named.
    if (!path || path->empty()) return {};
    if (active == u"0") return {path, false};
    return {path, true};
}

}  // namespace quorvel
