// Where the program keeps its files: the machine-wide and per-user data
// folders, the first-time copy between them, and the per-user registry
// record that names them.
#pragma once
#include "base/AppState_win.h"

namespace quorvel {

[[nodiscard]] Status ComputeFolders();
[[nodiscard]] Status CopyCommonToUser();
[[nodiscard]] Status WriteRegistryRecord();

}  // namespace quorvel
