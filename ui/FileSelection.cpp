#include "ui/FileSelection.h"

#include "storage/StorageRules.h"

namespace quorvel {

namespace {

// The text at `at` up to its null (or the buffer's end).
std::u16string_view TextAt(std::u16string_view buffer, std::size_t at) {
    if (at >= buffer.size()) return {};
    const std::u16string_view rest = buffer.substr(at);
    return rest.substr(0, rest.find(u'\0'));
}

}  // namespace

FileSelection SplitFileSelection(std::u16string_view buffer, std::size_t fileOffset) {
    FileSelection selection;
    if (fileOffset == 0 || fileOffset >= buffer.size()) return selection;
    if (buffer[fileOffset - 1] != u'\0') {
        // The offset splits the one path; past its end it splits nothing.
        const std::u16string_view path = TextAt(buffer, 0);
        if (fileOffset >= path.size()) return selection;
        selection.folder = std::u16string(WithoutTrailingSeparators(path.substr(0, fileOffset)));
        selection.names.emplace_back(path.substr(fileOffset));
        return selection;
    }
    const std::u16string_view folder = TextAt(buffer, 0);
    for (std::size_t at = folder.size() + 1; at < buffer.size();) {
        const std::u16string_view name = TextAt(buffer, at);
        if (name.empty()) break;
        selection.names.emplace_back(name);
        at += name.size() + 1;
    }
    if (!selection.names.empty()) selection.folder = std::u16string(WithoutTrailingSeparators(folder));
    return selection;
}

FileDialogEnd FileDialogOutcome(bool opened, std::uint32_t dialogError, const FileSelection& selection) {
    if (!opened) return dialogError != 0 ? FileDialogEnd::Failed : FileDialogEnd::Cancelled;
    return selection.names.empty() ? FileDialogEnd::Cancelled : FileDialogEnd::Chosen;
}

}  // namespace quorvel
