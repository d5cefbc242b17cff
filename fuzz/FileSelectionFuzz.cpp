// A file-open dialog's result buffer as it hands it over (its stale text
// beyond the list among it) and the offset it gives of the first name: the
// names taken from it are whole names, and a selection is a choice.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/FuzzInput.h"
#include "ui/FileSelection.h"

using namespace quorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const std::size_t fileOffset = input.Word();
    const std::u16string buffer = input.RestAsText();
    const FileSelection selection = SplitFileSelection(buffer, fileOffset);
    if (selection.folder.find(u'\0') != std::u16string::npos) std::abort();
    for (const std::u16string& name : selection.names)
        if (name.empty() || name.find(u'\0') != std::u16string::npos || name.size() >= buffer.size()) std::abort();
    if (!selection.names.empty() && FileDialogOutcome(true, 0, selection) != FileDialogEnd::Chosen) std::abort();
    if (selection.names.empty() && FileDialogOutcome(true, 0, selection) != FileDialogEnd::Cancelled) std::abort();
    return 0;
}
