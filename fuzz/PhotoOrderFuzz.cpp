// The order of an album's photos is kept in the settings file as one text
// that the user may edit: whatever it holds, every photo of the folder is
// shown exactly once, and an order written is read back as written.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/FuzzInput.h"
#include "storage/PhotoOrder.h"

using namespace quorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    // Up to 70 names in the folder, then the stored text.
    const std::size_t count = input.Byte() % 71;
    std::vector<std::u16string> texts = input.RestAsTexts();
    std::vector<std::u16string> names(texts.begin(), texts.begin() + std::ptrdiff_t(std::min(count, texts.size())));
    std::u16string stored;
    for (std::size_t i = names.size(); i < texts.size(); ++i) stored += texts[i];

    const std::vector<int> order = StoredPhotoOrder(names, stored);
    std::vector<bool> seen(names.size(), false);
    if (order.size() != names.size()) std::abort();
    for (int index : order) {
        if (index < 0 || std::size_t(index) >= names.size() || seen[std::size_t(index)]) std::abort();
        seen[std::size_t(index)] = true;
    }

    // Names as the cache folder holds them (no "|", each different from the
    // others), written in that order, read back in that order.
    std::vector<std::u16string> written;
    for (const std::u16string& name : names) {
        bool usable = !name.empty() && name.find(u'|') == std::u16string::npos;
        for (const std::u16string& other : written) usable = usable && other.size() != name.size();
        if (usable) written.push_back(name);
    }
    const std::vector<int> back = StoredPhotoOrder(written, PhotoOrderText(written));
    for (std::size_t i = 0; i < back.size(); ++i)
        if (back[i] != int(i)) std::abort();
    return 0;
}
