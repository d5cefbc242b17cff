// Any program, or a shortcut the user edited, can start the saver with any
// arguments: reading them must never go wrong.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "app/CommandLine.h"
#include "fuzz/FuzzInput.h"

using namespace quorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const std::vector<std::u16string> args = input.RestAsTexts();
    const SwitchArgs read = ReadSwitch(args);
    // The handle text is refused when too long, never cut.
    if (read.valid && read.handleText.size() > kMaxHandleChars) std::abort();
    (void)HandleValue(read.handleText);
    (void)IsSwitch(read.switchText, u's');
    const PathParts parts = SplitPath(args[0]);
    (void)RoleFromExtension(parts.extension);
    return 0;
}
