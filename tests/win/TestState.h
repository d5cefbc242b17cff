// Sets up the process records as start-up would, in a private temporary
// folder, so the Windows-side code runs against real files and registry.
#pragma once
#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "base/AppState_win.h"
#include "storage/Settings_win.h"
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
// A file's last-write time as one number (zero when it cannot be read), and
// setting it.
std::uint64_t WriteTimeOf(const std::wstring& path);
bool SetWriteTime(const std::wstring& path, std::uint64_t time);
// Makes folders (names ending in "\\") and one-byte files under root.
void MakeTree(const std::wstring& root, std::initializer_list<const wchar_t*> paths);
// The names in `folder` but "." and "..", sorted; empty when it cannot be listed.
using Names = std::vector<std::wstring>;
Names Listing(const std::wstring& folder);
// A file of tests/win/fixtures, copied beside the test program by the build.
std::wstring FixturePath(const std::wstring& name);
// Writes UTF-16 text (with BOM when asked) or ANSI text.
bool WriteUtf16File(const std::wstring& path, const std::wstring& text);

// GDI+ running for the life of the object, as start-up keeps it for the
// program: the album step decodes photos and boards through it.
class GdiplusSession {
public:
    GdiplusSession();
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    bool Started() const { return started_; }

private:
    ULONG_PTR token_ = 0;
    bool started_ = false;
};

// Writes a real picture, width x height of one colour (0xRRGGBB), encoded
// by GDI+ as the path's extension asks: ".png", ".jpg"/".jpeg" or ".bmp".
// Needs a GdiplusSession. False for any other extension or a failed save.
bool WriteImage(const std::wstring& path, int width, int height, std::uint32_t rgb);

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
