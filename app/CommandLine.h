// Reading the command line: the switch and the window-handle text of the
// first arguments, the role chosen by the program's own extension, and the
// parts of the program path. Platform-neutral; text is UTF-16.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace quorvel {

// Room kept for the handle text; a longer one is refused, never cut.
constexpr std::size_t kMaxHandleChars = 19;

struct SwitchArgs {
    bool valid = true;
    std::u16string switchText;  // "/s", "s", "-p", ... (at most two characters)
    std::u16string handleText;  // window handle as decimal text, may be empty
};

// The arguments with the program's own path first: `modulePath`, as the
// loader has it, in place of what the starter wrote there. Windows may start
// an idle-time saver by its short (8.3) path, or by a long one left unquoted,
// which splits at its spaces into several arguments that are not switches.
// An empty modulePath leaves the arguments as they are.
std::vector<std::u16string> ProgramArguments(const std::vector<std::u16string>& args, const std::u16string& modulePath);

// args[0] is the program path; args[1] and args[2] are read.
SwitchArgs ReadSwitch(const std::vector<std::u16string>& args);

enum class ExtensionRole { RegularOrCleanup, ScreenSaver, Unknown };
// ".exe" and ".tmp" run the regular program (or the cleanup), ".scr" the
// screen saver; compared without regard to case.
ExtensionRole RoleFromExtension(const std::u16string& extension);

// True when text equals one of "/x", "-x" or "x" for the letter x (either case).
bool IsSwitch(const std::u16string& text, char16_t letter);

// The handle text as an integer; 0 when empty or not a number.
std::int64_t HandleValue(const std::u16string& text);

struct PathParts {
    std::u16string drive;      // "C:"
    std::u16string folder;     // "\Program Files\Fenwold Quorvel" (no trailing backslash)
    std::u16string fileName;   // "Quorvel"
    std::u16string extension;  // ".scr"
};
PathParts SplitPath(const std::u16string& path);

}  // namespace quorvel
