// What a multiple-selection file-open dialog hands back, as a folder and the
// names chosen in it. Platform-neutral, so it is tested natively.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

struct FileSelection {
    std::u16string folder;  // without a trailing separator
    std::vector<std::u16string> names;
};

// `buffer` is the dialog's whole result buffer and fileOffset the offset of
// the first name in it. Several names come as the folder, then each name,
// each ended by a null and the list by an empty name; whatever follows that
// is stale text of the buffer. A single name comes as one full path, which
// fileOffset splits. Empty when the buffer holds no name.
FileSelection SplitFileSelection(std::u16string_view buffer, std::size_t fileOffset);

enum class FileDialogEnd { Chosen, Cancelled, Failed };

// How the dialog ended. It answers the same for Cancel and for a failure of
// its own (a selection too long for the buffer among them); only its
// extended error, 0 after Cancel, tells them apart. A dialog that closed
// with no name chose nothing.
FileDialogEnd FileDialogOutcome(bool opened, std::uint32_t dialogError, const FileSelection& selection);

}  // namespace quorvel
