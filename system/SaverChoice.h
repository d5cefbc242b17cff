// The screen saver the user had before Quorvel, as the program's registry
// record keeps it, and what unticking Quorvel gives back. Windows keeps
// "(None)" as no "SCRNSAVE.EXE" value with screen saving off; any other
// choice is the saver's path with screen saving on or off. Platform-neutral.
#pragma once
#include <optional>
#include <string>

namespace quorvel {

struct SaverState {
    // "SCRNSAVE.EXE"; nothing when the value is absent.
    std::optional<std::u16string> path;
    // SPI_GETSCREENSAVEACTIVE.
    bool active = false;
};

// The record's two texts: the path, empty for none (as the record has always
// kept it), and "1" or "0" for screen saving on or off.
struct SaverRecord {
    std::u16string path;
    std::u16string active;
};

SaverRecord RecordOfSaver(const SaverState& before);

// What unticking writes back, from the record's texts (nothing for a text
// the record lacks). No record, or an empty path, is "(None)". A record
// without its on/off text, kept before that text was, had its saver on.
SaverState SaverToRestore(const std::optional<std::u16string>& path, const std::optional<std::u16string>& active);

}  // namespace quorvel
