// The one loop over what a folder holds. Each lister keeps its own rules:
// which entries it passes over, where it stops, what it reports.
#pragma once
#include <windows.h>

#include "base/Guards_win.h"

namespace quorvel {

// Calls `visit(found)` for each entry that `search` ("<folder>\<pattern>")
// yields, in the order Windows lists them, until `visit` returns false.
// False when the search cannot start; GetLastError() then says why
// (ERROR_FILE_NOT_FOUND: nothing matches).
template <typename Visit>
bool ForEachFound(const wchar_t* search, Visit visit) {
    WIN32_FIND_DATAW found;
    const FindHandle find(FindFirstFileW(search, &found));
    if (!find) return false;
    do {
        if (!visit(found)) break;
    } while (FindNextFileW(find.get(), &found));
    return true;
}

// The same over the files alone: folders are passed over.
template <typename Visit>
bool ForEachFile(const wchar_t* search, Visit visit) {
    return ForEachFound(search, [&visit](const WIN32_FIND_DATAW& found) {
        return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || visit(found);
    });
}

}  // namespace quorvel
