// Sets up the process records as start-up would, in a private temporary
// folder, so the Windows-side code runs against real files and registry.
#pragma once
#include <windows.h>

#include <string>

#include "core/AppState_win.h"
#include "core/Settings_win.h"
#include "display/DisplayState_win.h"

namespace quorvel::test {

// A fresh folder under %TEMP%, removed with its content afterwards.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

void RemoveTree(const std::wstring& path);
bool WriteBytes(const std::wstring& path, const std::string& bytes);
std::string ReadBytes(const std::wstring& path);
// Writes UTF-16 text (with BOM when asked) or ANSI text.
bool WriteUtf16File(const std::wstring& path, const std::wstring& text);

// AppState, DisplayState and UserSettings allocated, captions loaded from
// the string table linked into the test program, folders in a temp folder,
// running as Windows 10.
class ProcessRecords {
public:
    ProcessRecords();
    ~ProcessRecords();
    TempFolder root;
    std::wstring settingsFile() const;
};

}  // namespace quorvel::test
