// Every failure is a numbered Status, which no caller can drop unseen. The
// site where it arises records where (Fail or SetErrorLocation, plus
// extraText and windowsError where it has them) and returns the code; callers
// pass the first non-zero code up unchanged, and a function either returns a
// code or raises, never both. The boundary decides, and this reporter is the
// one place below ui/ that shows a box: a window or dialog procedure, or a
// start-up step the program goes on from, logs and shows it once
// (ShowError); the start-up sequence raises it as FatalError (RaiseFatal),
// and the frame that catches it shows it (ShowFatal) and ends the process or
// the display. A failure that costs only what failed is one log row
// (LogFailure).
#pragma once
#include <string>

#include "base/AppState_win.h"

namespace quorvel {

// The text of a fatal failure, raised by RaiseFatal and caught by the
// start-up frames, which show it and end the process.
struct FatalError {
    std::wstring text;
};

// Where a failure arises: the module name the error log shows and a line.
// Every site is written QV_SITE(module), which takes the line it stands on;
// a location that the log has always shown is a named ErrorSite constant.
struct ErrorSite {
    const wchar_t* module;
    int line;
};
#define QV_SITE(module) (::quorvel::ErrorSite{(module), __LINE__})

void SetErrorLocation(ErrorSite site);
// Sets the location together with the extra text (a path or value name).
void SetErrorLocation(ErrorSite site, const wchar_t* extra);
void SetErrorExtra(const wchar_t* extra);
// Records the site (and the extra text) and returns the code, so that a
// failing check reads as one line: if (...) return Fail(QV_SITE(kModule), code);
[[nodiscard]] inline Status Fail(ErrorSite site, Status code) {
    SetErrorLocation(site);
    return code;
}
[[nodiscard]] inline Status Fail(ErrorSite site, Status code, const wchar_t* extra) {
    SetErrorLocation(site, extra);
    return code;
}
// Saves GetLastError() as the windows error of the current failure.
void SaveWindowsError();

// A failure that the user is told of and the program goes on from: one
// error-log row and one box. kOk shows nothing.
void ShowError(Status code);
// A failure that ends the start: one error-log row, then FatalError for the
// start-up frames, which show it and end the process. kOk does nothing.
void RaiseFatal(Status code);
// The box of a failure that ends the process or the display, shown by the
// frame that caught it: FatalError's text, or "Other exception" for an
// exception the program did not raise itself.
void ShowFatal(const FatalError& failure, const wchar_t* caption);
void ShowUnexpectedFailure(const wchar_t* caption);
[[nodiscard]] Status WriteErrorLog(Status code, const wchar_t* text);
// A failure that costs only what failed (a photo left out, a power-plan
// switch not made): one row in the error log at its location, no box, and
// the location cleared for the next.
void LogFailure(Status code);

// Debugger output: formats like swprintf and sends it to OutputDebugStringW.
void DebugLine(const wchar_t* format, ...);

}  // namespace quorvel
