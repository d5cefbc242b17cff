#include "base/ErrorReporter_win.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <cwchar>
#include <string>

#include "base/ErrorLogFormat.h"
#include "base/Text.h"
#include "base/Utilities_win.h"
#include "res/resource.h"

namespace quorvel {

namespace {

const wchar_t kMissingStringFormat[] = L"Programming error! String #: %u was not found.";

// The log names the operating system's width, not the process's: a 32-bit
// build sees 64-bit Windows through WOW64, this 64-bit build runs only there.
bool Windows64() { return gAppState->wow64 != 0 || sizeof(void*) == 8; }

// The text of string `id`, or the note that it is missing.
void LoadReportText(unsigned id, wchar_t (&text)[kMessageChars]) {
    if (LoadStringW(gAppState->instance, id, text, kMessageChars) <= 0)
        swprintf(text, kMessageChars, kMissingStringFormat, id);
}

void ClearLocation() {
    gErrorLocation.sourceName[0] = L'\0';
    gErrorLocation.extraText[0] = L'\0';
    gErrorLocation.line = 0;
    gErrorLocation.windowsError = 0;
}

}  // namespace

void SetErrorLocation(ErrorSite site) {
    wcsncpy(gErrorLocation.sourceName, site.module ? site.module : L"", kPathChars - 1);
    gErrorLocation.sourceName[kPathChars - 1] = L'\0';
    gErrorLocation.line = site.line;
    gErrorLocation.shown = false;
    gErrorLocation.logged = false;
}

void SetErrorLocation(ErrorSite site, const wchar_t* extra) {
    SetErrorLocation(site);
    SetErrorExtra(extra);
}

void SetErrorExtra(const wchar_t* extra) {
    wcsncpy(gErrorLocation.extraText, extra ? extra : L"", kPathChars - 1);
    gErrorLocation.extraText[kPathChars - 1] = L'\0';
}

void SaveWindowsError() { gErrorLocation.windowsError = GetLastError(); }

void DebugLine(const wchar_t* format, ...) {
    wchar_t line[kTextBufferChars];
    va_list args;
    va_start(args, format);
    vswprintf(line, kTextBufferChars, format, args);
    va_end(args);
    OutputDebugStringW(line);
}

namespace {

// Logs the failure once and leaves its text in gAppState->errorText. False
// when there is nothing to show: no AppState yet, kOk, a report already
// under way, or the cleanup run, whose screen reports by itself.
bool BeginReport(Status code) {
    if (gAppState == nullptr || gAppState->reporting || code == kOk) return false;
    gAppState->reporting = 1;

    LoadReportText(code, gAppState->errorText);

    OutputDebugStringW(gAppState->errorText);
    OutputDebugStringW(L"\n");
    if (gErrorLocation.sourceName[0] != L'\0' && gErrorLocation.line != 0) {
        swprintf(gAppState->textBuffer, kTextBufferChars, L"Quorvel:Error occured at file %ls line %d\n",
                 gErrorLocation.sourceName, gErrorLocation.line);
        OutputDebugStringW(gAppState->textBuffer);
    }

    // A log that cannot be written has no one to tell but the box that follows.
    if (!gErrorLocation.logged && gMode.role != Role::kCleanup) (void)WriteErrorLog(code, gAppState->errorText);
    gErrorLocation.logged = true;
    ClearLocation();
    gAppState->reporting = 0;
    return gMode.role != Role::kCleanup;
}

}  // namespace

void ShowError(Status code) {
    if (!BeginReport(code)) return;
    if (!gErrorLocation.shown) {
        gAppState->reporting = 1;
        MessageBoxW(nullptr, gAppState->errorText, gAppState->caption, MB_TASKMODAL | MB_ICONERROR);
        gErrorLocation.shown = true;
        gAppState->reporting = 0;
    }
}

void RaiseFatal(Status code) {
    // The start-up frames end the process, but the Home dialog shows the
    // text and carries on, so no report is left under way when raising.
    if (BeginReport(code)) throw FatalError{gAppState->errorText};
}

void ShowFatal(const FatalError& failure, const wchar_t* caption) {
    MessageBoxW(nullptr, failure.text.c_str(), caption, MB_OK);
}

void ShowUnexpectedFailure(const wchar_t* caption) {
    wchar_t text[kMessageChars];
    LoadReportText(IDS_OTHER_EXCEPTION, text);
    ShowFatal(FatalError{text}, caption);
}

void LogFailure(Status code) {
    if (gAppState == nullptr || code == kOk) return;
    wchar_t text[kMessageChars];
    LoadReportText(code, text);
    // A failure that shows no box has nowhere else to go when the log
    // cannot be written.
    (void)WriteErrorLog(code, text);
    gErrorLocation = {};
}

Status WriteErrorLog(Status code, const wchar_t* text) {
    if (code == kOk) return kOk;
    // Before the folders are known there is nowhere to keep a log; the box
    // still shows the failure.
    if (gAppState->errorLogFolder[0] == L'\0') return kErrDiskWrite;
    wchar_t path[kPathChars];
    if (!JoinPath(gAppState->errorLogFolder, L"Quorvel_ErrorsLog.csv", path)) return kErrDiskWrite;

    ErrorLogEntry entry;
    const std::time_t now = std::time(nullptr);
    std::tm local = {};
    const bool timeOk = localtime_s(&local, &now) == 0;
    if (timeOk)
        entry.time = CtimeText(local.tm_year + 1900, local.tm_mon, local.tm_mday, local.tm_wday, local.tm_hour,
                               local.tm_min, local.tm_sec);
    entry.osName = OsLogName(gAppState->windowsVersion, Windows64());
    entry.code = code;
    entry.windowsError = gErrorLocation.windowsError;
    entry.message = AsU16(text ? text : L"");
    entry.module = AsU16(gErrorLocation.sourceName);
    entry.line = gErrorLocation.line;
    entry.extra = AsU16(gErrorLocation.extraText);
    const std::u16string line = FormatErrorLogLine(entry);

    FILE* file = _wfopen(path, L"at");
    if (file == nullptr) return kErrDiskWrite;
    // The log is in the ANSI code page, as every other program reads a .csv.
    const wchar_t* wide = AsWide(line.c_str());
    const int bytes = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string ansi(bytes > 0 ? bytes : 1, '\0');
    if (bytes > 0) WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi.data(), bytes, nullptr, nullptr);
    fputs(ansi.c_str(), file);

    gErrorLocation.sourceName[0] = L'\0';
    gErrorLocation.line = 0;
    gErrorLocation.extraText[0] = L'\0';
    fclose(file);
    return timeOk ? kOk : kErrInvalidArgument;
}

}  // namespace quorvel
