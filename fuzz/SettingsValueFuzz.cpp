// Quorvel.ini is the user's to edit by hand: every value the program reads
// from it, numbers and the album folder and board names, goes through these
// rules first.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz/FuzzInput.h"
#include "storage/SettingsFormat.h"
#include "storage/StorageRules.h"

using namespace quorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const int keyNumber = input.Byte();
    const std::u16string value = input.RestAsText();

    const SettingNumber number = ParseSettingNumber(value);
    if (!number.ok && number.value != 0) std::abort();
    const std::int16_t album = MonitorAlbumIndex(number.value);
    if (album < -1 || album > 1) std::abort();
    // What is written must read back as the same number.
    const SettingNumber again = ParseSettingNumber(FormatSettingNumber(number.value));
    if (!again.ok || again.value != number.value) std::abort();
    (void)FontWeightIsBold(number.value);
    (void)StoredPhraseColour(std::uint32_t(number.value));
    (void)NumberedKey(u"Monitor1", keyNumber);

    const std::u16string_view name = TrimLeadingBlanks(value);
    if (IsSafeChildName(name)) {
        // A name joined under a folder of the program stays inside it.
        const std::u16string root = u"C:\\Users\\u\\AppData\\Roaming\\Fenwold\\Quorvel\\Albums";
        if (!IsInsideFolder(root + u"\\" + std::u16string(name), root)) std::abort();
    }
    return 0;
}
