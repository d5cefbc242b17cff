#include "base/Utilities_win.h"

#include <cwchar>
#include <ctime>
#include <string>

#include "base/ErrorReporter_win.h"
#include "base/FolderListing_win.h"
#include "base/Guards_win.h"
#include "base/PhotoTypes.h"
#include "base/Text.h"

namespace quorvel {

namespace {

const wchar_t kModule[] = L"utilities";

// Locations the error log has always named.
constexpr ErrorSite kMissingTextSite{L"utilities", 50};
constexpr ErrorSite kCountFilesSite{L"utilities", 464};
constexpr ErrorSite kNoAlbumImagesSite{L"utilities", 417};
constexpr ErrorSite kAlbumSearchSite{L"utilities", 425};

// The files a search yields. Given a photo type, only the names the decoder
// takes count: a search for "*.tif" also yields "x.tiff" by its short name,
// and an album counted by such names would have no photo to decode.
int CountFound(const wchar_t* search, int photoType) {
    int count = 0;
    ForEachFile(search, [&](const WIN32_FIND_DATAW& found) {
        if (photoType == 0 || NameHasPhotoType(AsU16(found.cFileName), photoType)) ++count;
        return true;
    });
    return count;
}

}  // namespace

Status LoadText(unsigned id, wchar_t* buffer, int bufferBytes) {
    if (buffer == nullptr || bufferBytes < 2) return Fail(kMissingTextSite, kErrInvalidArgument);
    const int chars = bufferBytes / 2;
    HINSTANCE instance = gAppState ? gAppState->instance : GetModuleHandleW(nullptr);
    if (LoadStringW(instance, id, buffer, chars) > 0) return kOk;
    wcsncpy(buffer, L"XXXX", chars - 1);
    buffer[chars - 1] = L'\0';
    return Fail(kMissingTextSite, kErrResourceString);
}

Status LoadWideFormat(unsigned id, std::wstring* format) {
    wchar_t text[kMessageChars];
    const Status s = LoadText(id, text, sizeof text);
    const std::u16string wide = WideTextFormat(AsU16(text));
    format->assign(wide.begin(), wide.end());
    return s;
}

bool JoinPath(const wchar_t* folder, const wchar_t* name, wchar_t (&out)[kPathChars]) {
    const int n = swprintf(out, kPathChars, L"%ls\\%ls", folder, name);
    if (n > 0 && n < kPathChars) return true;
    out[0] = L'\0';
    return false;
}

bool PathExists(const wchar_t* path) {
    if (path == nullptr || path[0] == L'\0') return false;
    wchar_t copy[kPathChars];
    wcsncpy(copy, path, kPathChars - 1);
    copy[kPathChars - 1] = L'\0';
    return GetFileAttributesW(copy) != INVALID_FILE_ATTRIBUTES;
}

bool FileExists(const wchar_t* path, Status* code) {
    if (path == nullptr || path[0] == L'\0') {
        if (code) *code = kErrInvalidArgument;
        return false;
    }
    if (FileHandle(CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)))
        return true;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND) {
        gErrorLocation.windowsError = error;
        if (code) *code = kErrDiskWrite;
    }
    return false;
}

Status RunAndWait(const wchar_t* path, RunStyle style, HANDLE output) {
    if (path == nullptr || path[0] == L'\0') return Fail(QV_SITE(kModule), kErrInvalidArgument);
    const std::size_t length = wcslen(path);
    const bool batch = length > 4 && _wcsicmp(path + length - 4, L".bat") == 0;
    // /s takes exactly the outer pair of quotes; /d and /v:off keep the
    // user's AutoRun command and delayed expansion out of the run.
    wchar_t batchLine[] = L"cmd.exe /d /v:off /s /c \"\"%QuorvelBatch%\"\"";
    wchar_t system[kPathChars], shell[kPathChars];
    if (batch) {
        const UINT n = GetSystemDirectoryW(system, kPathChars);
        if (n == 0 || n >= kPathChars || !JoinPath(system, L"cmd.exe", shell) ||
            !SetEnvironmentVariableW(L"QuorvelBatch", path)) {
            SaveWindowsError();
            return Fail(QV_SITE(kModule), kErrAppNotFound, path);
        }
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (output != nullptr) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = output;
    }
    PROCESS_INFORMATION process = {};
    const DWORD flags = style == RunStyle::Quiet ? CREATE_NO_WINDOW : 0;
    if (!CreateProcessW(batch ? shell : path, batch ? batchLine : nullptr, nullptr, nullptr, output != nullptr, flags,
                        nullptr, nullptr, &startup, &process)) {
        SaveWindowsError();
        SetErrorLocation(QV_SITE(kModule));
        return kErrAppNotFound;
    }
    const KernelHandle thread(process.hThread), running(process.hProcess);
    WaitForSingleObject(running.get(), INFINITE);
    DWORD exitCode = 0;
    const bool known = GetExitCodeProcess(running.get(), &exitCode) != FALSE;
    if (style == RunStyle::Shown || (known && exitCode == 0)) return kOk;
    wchar_t code[16];
    swprintf(code, 16, L"%lu", known ? exitCode : 0ul);
    SetErrorLocation(QV_SITE(kModule), code);
    return kErrAppFailed;
}

Status WriteBatchFile(const wchar_t* path, std::string_view text) {
    if (path == nullptr || text.empty()) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return Fail(QV_SITE(kModule), kErrInvalidArgument, path);
    const FileHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file && WriteFile(file.get(), text.data(), DWORD(text.size()), &written, nullptr) && written == text.size())
        return kOk;
    SaveWindowsError();
    return Fail(QV_SITE(kModule), kErrDiskWrite, path);
}

Status RunDisplaySettings() {
    const wchar_t command[] = L"rundll32.exe shell32.dll,Control_RunDLL desk.cpl";
    char ansi[128];
    WideCharToMultiByte(CP_ACP, 0, command, -1, ansi, sizeof ansi, nullptr, nullptr);
    const UINT result = WinExec(ansi, SW_SHOWNORMAL);
    if (result == ERROR_FILE_NOT_FOUND || result == ERROR_PATH_NOT_FOUND)
        return Fail(QV_SITE(kModule), kErrAppNotFound);
    if (result > 31) return kOk;
    SaveWindowsError();
    SetErrorLocation(QV_SITE(kModule));
    return kErrAppFailed;
}

Status CountFiles(const wchar_t* folder, const wchar_t* pattern, int* count) {
    wchar_t search[kPathChars];
    if (folder == nullptr || pattern == nullptr || count == nullptr || !JoinPath(folder, pattern, search))
        return Fail(kCountFilesSite, kErrInvalidArgument);
    *count = CountFound(search, 0);
    return kOk;
}

Status FindAlbumImages(const wchar_t* folder, int* count, int* type) {
    if (count == nullptr || type == nullptr) return Fail(kCountFilesSite, kErrInvalidArgument);
    *count = 0;
    *type = 0;
    for (int t = 1; t <= kPhotoTypeCount; ++t) {
        const std::u16string pattern = PhotoTypePattern(t);
        wchar_t search[kPathChars];
        if (folder == nullptr || !JoinPath(folder, AsWide(pattern.c_str()), search))
            return Fail(kCountFilesSite, kErrInvalidArgument);
        if (const int n = CountFound(search, t); n > 0) {
            *count = n;
            *type = t;
            return kOk;
        }
    }
    return kOk;
}

std::int64_t LocalFileTime(const FILETIME& written) {
    // Local broken-down time, then back to seconds by the C runtime's mktime,
    // which applies the system's summer-time rule for that day.
    FILETIME local;
    SYSTEMTIME st;
    if (!FileTimeToLocalFileTime(&written, &local) || !FileTimeToSystemTime(&local, &st)) return 0;
    std::tm t = {};
    t.tm_year = st.wYear - 1900;
    t.tm_mon = st.wMonth - 1;
    t.tm_mday = st.wDay;
    t.tm_hour = st.wHour;
    t.tm_min = st.wMinute;
    t.tm_sec = st.wSecond;
    t.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&t));
}

}  // namespace quorvel
