// Steps shared by the end-to-end scenarios, on top of the driver: running
// the program to its end as a user would, and text for failure messages.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "tests/e2e/Driver.h"

namespace quorvel::e2e {

std::string Narrow(const std::wstring& text);

// Waits for the end of a run. Start-up alone ends by itself; once album
// windows show, the run is ended as a user would: a key for the saver,
// closing the window for the program. A message box nobody expected fails
// the test with its text.
std::optional<DWORD> Finish(Process& p);

// The first album window of a started program, once it shows.
HWND WaitForAlbumWindow(const Process& p);

// Starts `program` (in `workingFolder` when given) and finishes the run.
std::optional<DWORD> RunToEnd(const std::wstring& program, const std::wstring& args = L"",
                              const std::wstring& workingFolder = L"");

// A one-colour 240 x 160 picture written as a BMP file.
bool WritePicture(const std::wstring& path, COLORREF colour);

// Types `names` into the name box of the open dialog titled `title` and
// presses Open; true once the dialog has taken them and closed.
bool ChooseInFileDialog(const Process& p, const std::wstring& title, const std::wstring& names);

}  // namespace quorvel::e2e
