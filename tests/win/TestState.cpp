#include "tests/win/TestState.h"

// GDI+ needs the COM property types that a lean windows.h leaves out.
#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <vector>

#include "base/Utilities_win.h"
#include "res/resource.h"
#include "system/PowerPlan_win.h"

namespace quorvel::test {

TempFolder::TempFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static int counter = 0;
    path_ = std::wstring(temp) + L"qv" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++counter);
    RemoveTree(path_);
    CreateDirectoryW(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() { RemoveTree(path_); }

void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = path + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    RemoveDirectoryW(path.c_str());
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

std::string ReadBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    ReadFile(file, bytes.data(), DWORD(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

std::uint64_t WriteTimeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return std::uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime;
}

bool SetWriteTime(const std::wstring& path, std::uint64_t time) {
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    FILETIME written{DWORD(time), DWORD(time >> 32)};
    const BOOL ok = SetFileTime(file, nullptr, nullptr, &written);
    CloseHandle(file);
    return ok != FALSE;
}

void MakeTree(const std::wstring& root, std::initializer_list<const wchar_t*> paths) {
    for (const wchar_t* p : paths) {
        const std::wstring full = root + L"\\" + p;
        if (full.back() == L'\\')
            CreateDirectoryW(full.substr(0, full.size() - 1).c_str(), nullptr);
        else if (full.ends_with(L".ini"))
            WriteBytes(full, "\xFF\xFE");  // a settings file as the package installs it: UTF-16LE, marked
        else
            WriteBytes(full, "x");
    }
}

Names Listing(const std::wstring& folder) {
    Names names;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (wcscmp(found.cFileName, L".") != 0 && wcscmp(found.cFileName, L"..") != 0) names.push_back(found.cFileName);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

std::wstring FixturePath(const std::wstring& name) {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring folder = exe;
    folder.resize(folder.rfind(L'\\'));
    return folder + L"\\fixtures\\" + name;
}

bool WriteUtf16File(const std::wstring& path, const std::wstring& text) {
    std::string bytes = "\xFF\xFE";
    bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    return WriteBytes(path, bytes);
}

GdiplusSession::GdiplusSession() {
    Gdiplus::GdiplusStartupInput input;
    started_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
}

GdiplusSession::~GdiplusSession() {
    if (started_) Gdiplus::GdiplusShutdown(token_);
}

namespace {

bool EncoderFor(const wchar_t* mimeType, CLSID* clsid) {
    UINT count = 0, bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0) return false;
    std::vector<std::uint8_t> block(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(block.data());
    if (Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok) return false;
    for (UINT i = 0; i < count; ++i)
        if (wcscmp(codecs[i].MimeType, mimeType) == 0) {
            *clsid = codecs[i].Clsid;
            return true;
        }
    return false;
}

const wchar_t* MimeTypeOf(const std::wstring& path) {
    const std::size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos) return nullptr;
    std::wstring ext = path.substr(dot + 1);
    for (wchar_t& c : ext) c = wchar_t(std::towlower(c));
    if (ext == L"png") return L"image/png";
    if (ext == L"jpg" || ext == L"jpeg") return L"image/jpeg";
    if (ext == L"bmp") return L"image/bmp";
    return nullptr;
}

}  // namespace

bool WriteImage(const std::wstring& path, int width, int height, std::uint32_t rgb) {
    const wchar_t* mimeType = MimeTypeOf(path);
    CLSID encoder;
    if (mimeType == nullptr || width <= 0 || height <= 0 || !EncoderFor(mimeType, &encoder)) return false;
    Gdiplus::Bitmap bitmap(width, height, PixelFormat24bppRGB);
    if (bitmap.GetLastStatus() != Gdiplus::Ok) return false;
    {
        Gdiplus::Graphics graphics(&bitmap);
        const Gdiplus::Color colour(255, BYTE(rgb >> 16), BYTE(rgb >> 8), BYTE(rgb));
        if (graphics.Clear(colour) != Gdiplus::Ok) return false;
    }
    return bitmap.Save(path.c_str(), &encoder, nullptr) == Gdiplus::Ok;
}

ProcessRecords::ProcessRecords() {
    AllocateAppState();
    gAppState->instance = GetModuleHandleW(nullptr);
    (void)LoadText(IDS_CAPTION, gAppState->caption, sizeof gAppState->caption);
    (void)LoadText(IDS_PROGRAM_NAME, gAppState->programName, sizeof gAppState->programName);
    gAppState->windowsVersion = WindowsVersion::Win10;
    wcscpy(gAppState->userFolder, root.Path().c_str());
    wcscpy(gAppState->errorLogFolder, root.Path().c_str());
    AllocateDisplayState();
    gUserSettings = static_cast<UserSettings*>(AllocateLockedBlock(sizeof(UserSettings)));
    gErrorLocation = {};
    gMode = {};
    gPowerPlan = {};
}

ProcessRecords::~ProcessRecords() {
    FreeDisplayState();
    FreeLockedBlock(gUserSettings);
    gUserSettings = nullptr;
    FreeAppState();
}

std::wstring ProcessRecords::settingsFile() const { return root / L"Quorvel.ini"; }

}  // namespace quorvel::test
