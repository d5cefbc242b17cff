// Steps shared by the end-to-end scenarios, on top of the driver: running
// the program to its end as a user would, and text for failure messages.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

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

// True once `window` has drawn `frames` more frames of its glide; false as
// soon as the process ends. The glide is driven by timer messages, which a
// thread takes only after every posted and input message and after a quit
// it posted itself: a program that has read a key or a mouse move that
// ends it draws no further frame.
bool GlideGoesOn(const Process& p, HWND window, int frames = 3);

// Shows a stand-in for the Windows taskbar, which Wine lacks: a topmost
// green bar, 40 pixels high, along the foot of `monitor` (screen
// coordinates), that never takes the activation. Returns where it is.
RECT ShowStandInTaskbar(const RECT& monitor);

// Every monitor of the display, in screen coordinates.
std::vector<RECT> MonitorRects();

// The points of `area`, a grid `step` pixels apart with its last row and
// column on the area's edges, where the window on top is not one of `pid`:
// what the process leaves of the screen for others to show.
std::vector<POINT> PointsNotCoveredBy(DWORD pid, const RECT& area, int step = 40);

// The pixels the screen shows in `area` (screen coordinates) outside every
// rectangle of `kept` that are not black; nothing when the screen cannot
// be read.
std::optional<std::size_t> LitPixelsAround(const RECT& area, const std::vector<RECT>& kept);

// Writes `name` into the user folder as a batch file that appends a line
// to `record` each time it runs: the help and terms files are batch files.
void WriteRecordingBatch(const std::wstring& name, const std::wstring& record);
// How many times such a batch file has run.
int Runs(const std::wstring& record);

// Starts `program` (in `workingFolder` when given) and finishes the run.
std::optional<DWORD> RunToEnd(const std::wstring& program, const std::wstring& args = L"",
                              const std::wstring& workingFolder = L"");

// Every file below `folder` with its bytes, to compare a user's folder
// before and after a step. The bitmap cache ("BMP") is the program's own.
using Snapshot = std::vector<std::pair<std::wstring, std::vector<std::uint8_t>>>;
Snapshot TakeSnapshot(const std::wstring& folder);

// A one-colour 240 x 160 picture written as a BMP file.
bool WritePicture(const std::wstring& path, COLORREF colour);

// POWERCFG, which Wine lacks, as a test double that answers with
// `activeLine`, knows the plans of `plans` ("<id> <name>" a line) and
// records what it is asked in kPowercfgDoubleFolder.
inline constexpr wchar_t kPowercfgDoubleFolder[] = L"C:\\powercfg-double";
inline constexpr wchar_t kBalancedPlan[] = L"381b4222-f694-41f0-9685-ff5bb260df2e";
inline constexpr wchar_t kHighPerformancePlan[] = L"8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c";
// The plans a desktop Windows 10 comes with.
inline constexpr wchar_t kDesktopPlans[] =
    L"381b4222-f694-41f0-9685-ff5bb260df2e (Balanced)\n"
    L"8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c (High performance)\n"
    L"a1841308-3541-4fab-bc81-f71556f20b4a (Power saver)\n";
void InstallPowercfgDouble(const std::wstring& activeLine, const std::wstring& plans = kDesktopPlans);
// One of the double's records, without carriage returns.
std::wstring DoubleLog(const wchar_t* name);
// The plan ids POWERCFG was asked to make active, one per line.
std::wstring SetActiveLog();

}  // namespace quorvel::e2e
