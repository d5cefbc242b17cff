// The installed package as a user meets it: the program started from the
// Start-menu shortcut's folder or from anywhere else finds the content the
// package put beside it, a newer package replaces it and an older one is
// refused, and uninstalling takes the program away but not the user's
// albums.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <windows.h>
// After windows.h, whose types they use.
#include <msi.h>
#include <msiquery.h>

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

// The same program packaged one version higher, which the build writes
// beside this test program.
std::wstring NewerPackagePath() { return JoinPath(TestProgramFolder(), L"Quorvel-upgrade.msi"); }

// The product version a package installs, read from its Property table.
std::wstring PackageVersion(const std::wstring& package) {
    std::wstring version;
    MSIHANDLE database = 0, view = 0, record = 0;
    if (MsiOpenDatabaseW(package.c_str(), MSIDBOPEN_READONLY, &database) == ERROR_SUCCESS &&
        MsiDatabaseOpenViewW(database, L"SELECT `Value` FROM `Property` WHERE `Property` = 'ProductVersion'", &view) ==
            ERROR_SUCCESS &&
        MsiViewExecute(view, 0) == ERROR_SUCCESS && MsiViewFetch(view, &record) == ERROR_SUCCESS) {
        wchar_t text[64] = L"";
        DWORD length = 64;
        if (MsiRecordGetStringW(record, 1, text, &length) == ERROR_SUCCESS) version = text;
    }
    for (MSIHANDLE h : {record, view, database})
        if (h) MsiCloseHandle(h);
    return version;
}

// Runs Windows Installer's msiexec with `args` to its end: its exit code.
std::optional<DWORD> Msiexec(const std::wstring& args) {
    Process msiexec;
    if (!msiexec.Start(JoinPath(SystemFolder(), L"msiexec.exe"), args)) {
        ADD_FAILURE() << "msiexec did not start: " << msiexec.StartError();
        return std::nullopt;
    }
    return msiexec.WaitExit(180000);
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

// The package's entries in the installed-programs list (Settings > Apps),
// found by the name they show, in the 64-bit view an x64 package writes to.
std::vector<std::wstring> UninstallEntries() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return {};
    std::vector<std::wstring> found;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        const std::wstring entry = std::wstring(kUninstallKey) + L"\\" + name;
        if (RegReadString(HKEY_LOCAL_MACHINE, entry, L"DisplayName") == L"Fenwold Quorvel") found.push_back(entry);
    }
    RegCloseKey(key);
    return found;
}

// The versions the installed-programs list shows for the package, one per
// entry.
std::vector<std::wstring> ListedVersions() {
    std::vector<std::wstring> versions;
    for (const auto& entry : UninstallEntries())
        versions.push_back(RegReadString(HKEY_LOCAL_MACHINE, entry, L"DisplayVersion").value_or(L"(none)"));
    return versions;
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
// away but leaves the user's albums, settings and record, and gives back the
// screen saver the user had before choosing Quorvel. While installed, the
// package's entry in the installed-programs list is complete.
TEST(Installer, ProgramFindsItsContentAndUninstallKeepsTheUsersAlbums) {
    EXPECT_EQ(RunFrom(JoinPath(InstallFolder(), L"Quorvel.exe"), L"", InstallFolder()), 0u);
    ExpectDefaultContentCopied();

    if (!InstalledByPackage()) GTEST_SKIP() << "the program was copied into this prefix, not installed by a package";
    const std::wstring package = PackagePath();
    ASSERT_TRUE(FileExists(package)) << Narrow(package);
    const auto entries = UninstallEntries();
    ASSERT_EQ(entries.size(), 1u);
    ExpectCompleteUninstallEntry(entries[0]);
    const std::wstring trip = UserPath(L"QuorvelAlbums\\Trip");
    ASSERT_TRUE(CreateDirectoryW(trip.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(JoinPath(InstallFolder(), L"QuorvelMattingBoards\\05.jpg").c_str(),
                          JoinPath(trip, L"a.jpg").c_str(), FALSE));
    const auto settings = ReadFileBytes(UserPath(L"Quorvel.ini"));
    ASSERT_TRUE(settings.has_value());
    // Quorvel ticked as the screen saver over the user's own, which the
    // tick kept in the record.
    const std::wstring desktop = L"Control Panel\\Desktop", usersSaver = L"C:\\windows\\system32\\scrnsave.scr";
    ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, L"Software\\Fenwold\\Quorvel", L"PreviousScreenSaver", usersSaver));
    ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, L"Software\\Fenwold\\Quorvel", L"PreviousScreenSaverActive", L"1"));
    ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, desktop, L"SCRNSAVE.EXE", InstalledProgram(L"Quorvel.scr")));

    ASSERT_EQ(Msiexec(L"/x " + QuoteArg(package) + L" /qn"), 0u);

    EXPECT_FALSE(FileExists(JoinPath(InstallFolder(), L"Quorvel.exe")));
    EXPECT_FALSE(FileExists(JoinPath(InstallFolder(), L"Quorvel.scr")));
    EXPECT_FALSE(FolderExists(JoinPath(InstallFolder(), L"res")));
    EXPECT_FALSE(FolderExists(JoinPath(InstallFolder(), L"QuorvelMattingBoards")));
    EXPECT_FALSE(FolderExists(InstallFolder()));
    EXPECT_FALSE(FolderExists(InstalledDataFolder()));
    EXPECT_FALSE(InstalledByPackage());
    EXPECT_TRUE(UninstallEntries().empty());

    // The user's data stays: albums, settings and the registry record.
    EXPECT_TRUE(FileExists(JoinPath(trip, L"a.jpg")));
    EXPECT_TRUE(FileExists(UserPath(std::wstring(L"QuorvelAlbums\\DefaultAlbum1\\") + kAlbum1Picture)));
    EXPECT_EQ(ReadFileBytes(UserPath(L"Quorvel.ini")), settings);
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, L"Software\\Fenwold\\Quorvel", L"Path"), UserFolder());
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, desktop, L"SCRNSAVE.EXE"), usersSaver);
}

TEST(Installer, SaverStartedFromTheSystemFolderFindsTheContentBesideItself) {
    // Windows starts a screen saver with the system folder as its current
    // folder, where there is no "res" and no boards folder.
    ASSERT_FALSE(FolderExists(JoinPath(SystemFolder(), L"res")));
    EXPECT_EQ(RunFrom(JoinPath(InstallFolder(), L"Quorvel.scr"), L"/s", SystemFolder()), 0u);
    ExpectDefaultContentCopied();
}

// A user who has used Quorvel and chosen it as the screen saver installs a
// newer package while the saver shows the albums: the upgrade completes (on
// Windows a file in use is replaced at the next start, and msiexec says so
// with 3010) and the glide goes on. The package replaces the installed one,
// so the installed-programs list shows one entry at the new version, and
// leaves every file of the user's and the screen-saver choice as they were.
// The older package is then refused with the package's message and changes
// nothing.
TEST(Installer, ANewerPackageUpgradesInPlaceAndAnOlderOneIsRefused) {
    if (!InstalledByPackage()) GTEST_SKIP() << "the program was copied into this prefix, not installed by a package";
    const std::wstring older = PackagePath(), newer = NewerPackagePath();
    ASSERT_TRUE(FileExists(older)) << Narrow(older);
    ASSERT_TRUE(FileExists(newer)) << Narrow(newer);
    const std::wstring newVersion = PackageVersion(newer);
    ASSERT_FALSE(newVersion.empty());

    ASSERT_EQ(RunToEnd(InstalledProgram(L"Quorvel.exe")), 0u);
    const std::string note = "mine\r\n", logLine = "2026-01-01 10:00:00;10048;a line of the user's record\r\n";
    ASSERT_TRUE(WriteFileBytes(UserPath(L"QuorvelAlbums\\DefaultAlbum1\\notes.txt"), {note.begin(), note.end()}));
    ASSERT_TRUE(WriteFileBytes(UserPath(L"Quorvel_ErrorsLog.csv"), {logLine.begin(), logLine.end()}));
    const std::wstring saver = InstalledProgram(L"Quorvel.scr");
    ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"SCRNSAVE.EXE", saver));
    const Snapshot users = TakeSnapshot(UserFolder());
    ASSERT_GE(users.size(), 25u);  // the settings, the log, the note, two albums' photos and the boards
    ASSERT_EQ(UninstallEntries().size(), 1u);
    // Windows tells the older version's removal that an upgrade runs it
    // (UPGRADINGPRODUCTCODE), so the choice stays; Wine's removes it as a
    // plain removal, which gives back the user's saver: none here.
    const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    const auto chosenSaver = wine ? std::nullopt : std::optional<std::wstring>(saver);

    // The user's files, the screen-saver choice and the installed program,
    // after each step.
    const auto expectUntouched = [&](const char* step) {
        SCOPED_TRACE(step);
        EXPECT_TRUE(TakeSnapshot(UserFolder()) == users);
        EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, L"Software\\Fenwold\\Quorvel", L"Path"), UserFolder());
        EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"SCRNSAVE.EXE"), chosenSaver);
        EXPECT_TRUE(FileExists(saver));
        EXPECT_TRUE(FileExists(InstalledProgram(L"Quorvel.exe")));
        EXPECT_EQ(ListFolder(JoinPath(InstallFolder(), L"QuorvelMattingBoards")).size(), 19u);
        EXPECT_TRUE(InstalledByPackage());
    };

    Process running;
    ASSERT_TRUE(running.Start(saver, L"/s")) << running.StartError();
    const HWND album = WaitForAlbumWindow(running);
    ASSERT_NE(album, nullptr);
    const auto upgradedCode = Msiexec(L"/i " + QuoteArg(newer) + L" /qn");
    EXPECT_TRUE(upgradedCode == DWORD{ERROR_SUCCESS} || upgradedCode == DWORD{ERROR_SUCCESS_REBOOT_REQUIRED})
        << upgradedCode.value_or(0);
    EXPECT_EQ(ListedVersions(), std::vector<std::wstring>{newVersion});
    EXPECT_TRUE(GlideGoesOn(running, album));
    EXPECT_EQ(Finish(running), 0u);
    expectUntouched("upgrade");
    const auto upgraded = UninstallEntries();

    // Started as a user starts it, with its basic interface, the older
    // package tells why it stops, and Windows Installer ends the refused
    // install with 1603.
    Process downgrade;
    ASSERT_TRUE(downgrade.Start(JoinPath(SystemFolder(), L"msiexec.exe"), L"/i " + QuoteArg(older) + L" /qb"))
        << downgrade.StartError();
    const auto refusal = WaitForMessageBox(downgrade.Pid(), 60000);
    ASSERT_TRUE(refusal.has_value());
    EXPECT_EQ(refusal->text, L"A newer version of Quorvel is already installed.");
    EXPECT_TRUE(Answer(*refusal, IDOK));
    EXPECT_EQ(downgrade.WaitExit(60000), DWORD{ERROR_INSTALL_FAILURE});
    EXPECT_EQ(UninstallEntries(), upgraded);
    EXPECT_EQ(ListedVersions(), std::vector<std::wstring>{newVersion});
    expectUntouched("downgrade");

    EXPECT_EQ(RunToEnd(InstalledProgram(L"Quorvel.exe")), 0u);
}

namespace {

// The copy of a package Windows Installer keeps for an installed product.
std::wstring CachedPackage(const std::wstring& productCode) {
    wchar_t path[MAX_PATH] = L"";
    DWORD length = MAX_PATH;
    if (MsiGetProductInfoW(productCode.c_str(), INSTALLPROPERTY_LOCALPACKAGE, path, &length) != ERROR_SUCCESS)
        return L"";
    return path;
}

// Windows strips the embedded cabinet from the copy it caches; Wine caches
// the whole package. This makes Wine's copy what Windows keeps.
bool StripCabinet(const std::wstring& package) {
    MSIHANDLE database = 0, view = 0;
    bool stripped = MsiOpenDatabaseW(package.c_str(), MSIDBOPEN_TRANSACT, &database) == ERROR_SUCCESS &&
                    MsiDatabaseOpenViewW(database, L"DELETE FROM `_Streams` WHERE `Name` = 'quorvel.cab'", &view) ==
                        ERROR_SUCCESS &&
                    MsiViewExecute(view, 0) == ERROR_SUCCESS;
    if (view) MsiCloseHandle(view);
    stripped = stripped && MsiDatabaseCommit(database) == ERROR_SUCCESS;
    if (database) MsiCloseHandle(database);
    return stripped;
}

// Repair as Settings > Apps starts it: the missing files and the registry
// values again. Wine's msiexec leaves /f with a product code undone, so the
// test asks msi.dll itself, as msiexec does on Windows.
UINT Repair(const std::wstring& productCode) {
    MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
    return MsiReinstallProductW(productCode.c_str(), REINSTALLMODE_FILEMISSING | REINSTALLMODE_FILEOLDERVERSION |
                                                         REINSTALLMODE_USERDATA | REINSTALLMODE_MACHINEDATA |
                                                         REINSTALLMODE_SHORTCUT);
}

}  // namespace

// A user deletes the screen saver and a shared board from the install
// folder and repairs Quorvel from Settings > Apps. The copy Windows kept
// holds no files, so without the package they installed from the repair
// fails (1612 on Windows; Wine, which reads only its own copy, says 1603)
// and changes nothing. With the package's files at hand, the repair brings
// both back and leaves everything of the user's as it was.
TEST(Installer, RepairNeedsTheOriginalPackageAndThenPutsBackTheInstalledFiles) {
    if (!InstalledByPackage()) GTEST_SKIP() << "the program was copied into this prefix, not installed by a package";
    ASSERT_EQ(RunToEnd(InstalledProgram(L"Quorvel.exe")), 0u);
    const auto entries = UninstallEntries();
    ASSERT_EQ(entries.size(), 1u);
    const std::wstring product = entries[0].substr(entries[0].rfind(L'\\') + 1);
    const std::wstring cached = CachedPackage(product);
    const auto whole = ReadFileBytes(cached);
    ASSERT_TRUE(whole.has_value()) << Narrow(cached);
    ASSERT_TRUE(StripCabinet(cached));

    const std::wstring saver = InstalledProgram(L"Quorvel.scr");
    const std::wstring board = JoinPath(InstallFolder(), L"QuorvelMattingBoards\\05.jpg");
    const auto boardBytes = ReadFileBytes(board), saverBytes = ReadFileBytes(saver);
    ASSERT_TRUE(boardBytes && saverBytes);
    ASSERT_TRUE(DeleteFileW(saver.c_str()) && DeleteFileW(board.c_str()));
    const Snapshot users = TakeSnapshot(UserFolder());
    const Snapshot installed = TakeSnapshot(InstallFolder());

    const UINT refused = Repair(product);
    EXPECT_TRUE(refused == ERROR_INSTALL_SOURCE_ABSENT || refused == ERROR_INSTALL_FAILURE) << refused;
    EXPECT_TRUE(TakeSnapshot(InstallFolder()) == installed);
    EXPECT_EQ(RunToEnd(InstalledProgram(L"Quorvel.exe")), 0u);

    ASSERT_TRUE(WriteFileBytes(cached, *whole));
    EXPECT_EQ(Repair(product), UINT{ERROR_SUCCESS});
    EXPECT_EQ(ReadFileBytes(saver), saverBytes);
    EXPECT_EQ(ReadFileBytes(board), boardBytes);
    EXPECT_TRUE(TakeSnapshot(UserFolder()) == users);
}
