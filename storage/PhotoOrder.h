// The order of an album's photos as the user arranged it in the Photos
// panel, kept in the settings file as one text of cache file names.
#pragma once
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

// The names joined with "|", which no Windows file name holds.
std::u16string PhotoOrderText(std::span<const std::u16string> names);

// Positions into `names` (the folder's order) in the stored order: the
// stored names that are still there first, then every other photo in the
// folder's order, so a photo added later goes to the end and a deleted one
// drops out. Names compare without regard to case, as Windows does.
std::vector<int> StoredPhotoOrder(std::span<const std::u16string> names, std::u16string_view stored);

}  // namespace quorvel
