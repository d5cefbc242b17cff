// The installed package as a user meets it: the program started from the
// Start-menu shortcut's folder or from anywhere else finds the content the
// package put beside it, and uninstalling takes the program away but not
// the user's albums.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/e2e/Driver.h"
#include "tests/e2e/Scenario.h"

using namespace quorvel::e2e;

namespace {

const wchar_t kAlbum1Picture[] = L"0V_0H_ZoomIn_2_256.png";
const wchar_t kAlbum2Picture[] = L"0V_0H_ZoomOut_2_256.png";

std::wstring InstallFolder() { return JoinPath(ProgramFilesX86(), L"Fenwold Quorvel"); }
std::wstring UserFolder() { return JoinPath(RoamingAppData(), L"Fenwold Quorvel"); }
std::wstring UserPath(const std::wstring& relative) { return JoinPath(UserFolder(), relative); }

bool SameFile(const std::wstring& a, const std::wstring& b) {
    const auto x = ReadFileBytes(a), y = ReadFileBytes(b);
    return x && y && *x == *y;
}

std::wstring SystemFolder() {
    wchar_t path[MAX_PATH] = L"";
    GetSystemDirectoryW(path, MAX_PATH);
    return path;
}

std::optional<DWORD> RunFrom(const std::wstring& program, const std::wstring& args, const std::wstring& workingFolder) {
    return RunToEnd(program, args, workingFolder);
}

void ExpectDefaultContentCopied() {
    EXPECT_TRUE(SameFile(UserPath(std::wstring(L"QuorvelAlbums\\DefaultAlbum1\\") + kAlbum1Picture),
                         JoinPath(InstallFolder(), std::wstring(L"res\\") + kAlbum1Picture)));
    EXPECT_TRUE(SameFile(UserPath(std::wstring(L"QuorvelAlbums\\DefaultAlbum2\\") + kAlbum2Picture),
                         JoinPath(InstallFolder(), std::wstring(L"res\\") + kAlbum2Picture)));
    const std::wstring installed = JoinPath(InstallFolder(), L"QuorvelMattingBoards");
    const std::vector<std::wstring> boards = ListFolder(installed);
    EXPECT_EQ(boards.size(), 19u);
    // Beside the boards, their "BMP" folder of kept thumbnails.
    std::vector<std::wstring> expected = boards;
    expected.push_back(L"BMP");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ListFolder(UserPath(L"QuorvelMattingBoards")), expected);
    for (const auto& name : boards)
        EXPECT_TRUE(SameFile(UserPath(L"QuorvelMattingBoards\\" + name), JoinPath(installed, name))) << Narrow(name);
    EXPECT_FALSE(FileExists(UserPath(L"Quorvel_ErrorsLog.csv")));
}

// A Unix path from the harness's environment as Wine sees it, through Z:.
std::wstring WindowsPath(std::wstring path) {
    if (!path.empty() && path[0] == L'/') {
        for (auto& c : path)
            if (c == L'/') c = L'\\';
        path = L"Z:" + path;
    }
    wchar_t full[MAX_PATH] = L"";
    const DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    return n > 0 && n < MAX_PATH ? std::wstring(full) : path;
}

// The package the harness installed: QV_MSI when exported, else
// Quorvel.msi in the Windows build folder, which holds this test program
// in tests\e2e.
std::wstring PackagePath() {
    if (auto msi = GetEnv(L"QV_MSI")) return WindowsPath(*msi);
    if (auto build = GetEnv(L"QV_BUILD_WIN")) return WindowsPath(*build + L"/Quorvel.msi");
    return WindowsPath(JoinPath(TestProgramFolder(), L"..\\..\\Quorvel.msi"));
}

// The package's shortcut component keeps this value; a prefix into which
// the harness only copied the files has none.
bool InstalledByPackage() {
    return RegReadDword(HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node\\Fenwold\\Quorvel", L"StartMenuShortcut") ||
           RegReadString(HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node\\Fenwold\\Quorvel", L"StartMenuShortcut") ||
           RegReadDword(HKEY_LOCAL_MACHINE, L"Software\\Fenwold\\Quorvel", L"StartMenuShortcut") ||
           RegReadString(HKEY_LOCAL_MACHINE, L"Software\\Fenwold\\Quorvel", L"StartMenuShortcut");
}

const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The package's entry in the installed-programs list (Settings > Apps),
// found by the name it shows, in the 64-bit view an x64 package writes to.
std::optional<std::wstring> UninstallEntry() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return std::nullopt;
    std::optional<std::wstring> found;
    wchar_t name[256];
    for (DWORD i = 0; !found; ++i) {
        DWORD length = 256;
        if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        const std::wstring entry = std::wstring(kUninstallKey) + L"\\" + name;
        if (RegReadString(HKEY_LOCAL_MACHINE, entry, L"DisplayName") == L"Fenwold Quorvel") found = entry;
    }
    RegCloseKey(key);
    return found;
}

// The icon Windows Installer published for an installed product, asked of
// msi.dll as the installed-programs list asks it.
std::wstring ProductIcon(const std::wstring& productCode) {
    using GetProductInfo = UINT(WINAPI*)(LPCWSTR, LPCWSTR, LPWSTR, LPDWORD);
    HMODULE msi = LoadLibraryW(L"msi.dll");
    const auto get =
        msi ? reinterpret_cast<GetProductInfo>(reinterpret_cast<void*>(GetProcAddress(msi, "MsiGetProductInfoW")))
            : nullptr;
    wchar_t path[MAX_PATH] = L"";
    DWORD length = MAX_PATH;
    if (!get || get(productCode.c_str(), L"ProductIcon", path, &length) != ERROR_SUCCESS) path[0] = L'\0';
    if (msi) FreeLibrary(msi);
    return path;
}

// The entry shows the program's icon, its publisher, version and a contact
// for help, and offers no "Modify" (the package has nothing to choose) but
// keeps "Repair".
void ExpectCompleteUninstallEntry(const std::wstring& entry) {
    // The icon file Windows Installer keeps for the entry, with an optional
    // ",index" after its path: the entry's DisplayIcon where it writes one,
    // else the product's published icon, which the list shows for a
    // package's entry (Wine writes only the latter).
    std::wstring icon = RegReadString(HKEY_LOCAL_MACHINE, entry, L"DisplayIcon").value_or(L"");
    if (icon.empty()) icon = ProductIcon(entry.substr(entry.rfind(L'\\') + 1));
    EXPECT_TRUE(!icon.empty() && FileExists(icon.substr(0, icon.find(L',')))) << Narrow(icon);
    EXPECT_EQ(RegReadString(HKEY_LOCAL_MACHINE, entry, L"Publisher"), L"Fenwold");
    const auto version = RegReadString(HKEY_LOCAL_MACHINE, entry, L"DisplayVersion");
    EXPECT_TRUE(version && std::count(version->begin(), version->end(), L'.') == 2) << Narrow(version.value_or(L""));
    EXPECT_EQ(RegReadDword(HKEY_LOCAL_MACHINE, entry, L"NoModify"), 1u);
    EXPECT_NE(RegReadDword(HKEY_LOCAL_MACHINE, entry, L"NoRepair"), 1u);
    const auto contact = RegReadString(HKEY_LOCAL_MACHINE, entry, L"Contact").value_or(L"") +
                         RegReadString(HKEY_LOCAL_MACHINE, entry, L"HelpLink").value_or(L"");
    EXPECT_FALSE(contact.empty());
}

}  // namespace

// Started from the Start menu, in its own folder, the program finds the
// content the package put beside it; uninstalling then takes the program
// away but leaves the user's albums, settings and record. While installed,
// the package's entry in the installed-programs list is complete.
TEST(Installer, ProgramFindsItsContentAndUninstallKeepsTheUsersAlbums) {
    EXPECT_EQ(RunFrom(JoinPath(InstallFolder(), L"Quorvel.exe"), L"", InstallFolder()), 0u);
    ExpectDefaultContentCopied();

    if (!InstalledByPackage()) GTEST_SKIP() << "the program was copied into this prefix, not installed by a package";
    const std::wstring package = PackagePath();
    ASSERT_TRUE(FileExists(package)) << Narrow(package);
    const auto entry = UninstallEntry();
    ASSERT_TRUE(entry.has_value());
    ExpectCompleteUninstallEntry(*entry);
    const std::wstring trip = UserPath(L"QuorvelAlbums\\Trip");
    ASSERT_TRUE(CreateDirectoryW(trip.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(JoinPath(InstallFolder(), L"QuorvelMattingBoards\\05.jpg").c_str(),
                          JoinPath(trip, L"a.jpg").c_str(), FALSE));
    const auto settings = ReadFileBytes(UserPath(L"Quorvel.ini"));
    ASSERT_TRUE(settings.has_value());

    Process msiexec;
    ASSERT_TRUE(msiexec.Start(JoinPath(SystemFolder(), L"msiexec.exe"), L"/x " + QuoteArg(package) + L" /qn"))
        << msiexec.StartError();
    ASSERT_EQ(msiexec.WaitExit(180000), 0u);

    EXPECT_FALSE(FileExists(JoinPath(InstallFolder(), L"Quorvel.exe")));
    EXPECT_FALSE(FileExists(JoinPath(InstallFolder(), L"Quorvel.scr")));
    EXPECT_FALSE(FolderExists(JoinPath(InstallFolder(), L"res")));
    EXPECT_FALSE(FolderExists(JoinPath(InstallFolder(), L"QuorvelMattingBoards")));
    EXPECT_FALSE(FolderExists(InstallFolder()));
    EXPECT_FALSE(FolderExists(InstalledDataFolder()));
    EXPECT_FALSE(InstalledByPackage());
    EXPECT_FALSE(UninstallEntry().has_value());

    // The user's data stays: albums, settings and the registry record.
    EXPECT_TRUE(FileExists(JoinPath(trip, L"a.jpg")));
    EXPECT_TRUE(FileExists(UserPath(std::wstring(L"QuorvelAlbums\\DefaultAlbum1\\") + kAlbum1Picture)));
    EXPECT_EQ(ReadFileBytes(UserPath(L"Quorvel.ini")), settings);
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, L"Software\\Fenwold\\Quorvel", L"Path"), UserFolder());
}

TEST(Installer, SaverStartedFromTheSystemFolderFindsTheContentBesideItself) {
    // Windows starts a screen saver with the system folder as its current
    // folder, where there is no "res" and no boards folder.
    ASSERT_FALSE(FolderExists(JoinPath(SystemFolder(), L"res")));
    EXPECT_EQ(RunFrom(JoinPath(InstallFolder(), L"Quorvel.scr"), L"/s", SystemFolder()), 0u);
    ExpectDefaultContentCopied();
}
