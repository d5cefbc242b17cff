// Quorvel as Windows' screen saver and theme, against the real registry of
// the test prefix: what the user had comes back, a saver file that is not
// there is never named, and the running session hears of every change.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "base/ErrorReporter_win.h"
#include "storage/Folders_win.h"
#include "storage/Storage_win.h"
#include "system/SaverInstall_win.h"
#include "tests/win/TestState.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

const wchar_t kDesktop[] = L"Control Panel\\Desktop";
const wchar_t kThemes[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes";
const wchar_t kOtherSaver[] = L"C:\\windows\\system32\\Mystify.scr";

std::wstring Read(const wchar_t* key, const wchar_t* name) {
    wchar_t value[600] = L"";
    DWORD bytes = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, value, &bytes) != ERROR_SUCCESS)
        return L"(none)";
    return value;
}

// What the running session goes by, not only what the registry holds.
bool SaverActive() {
    BOOL active = FALSE;
    return SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &active, 0) && active;
}

void Write(const wchar_t* key, const wchar_t* name, const std::wstring& text) {
    ASSERT_EQ(
        RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_SZ, text.c_str(), DWORD((text.size() + 1) * sizeof(wchar_t))),
        ERROR_SUCCESS);
}

class SaverInstall : public ::testing::Test {
protected:
    void SetUp() override {
        wcscpy(gAppState->installFolder, records.root.Path().c_str());
        wcscpy(gAppState->systemFolder, L"C:\\windows\\system32");
        wcscpy(gAppState->themeFolder, (records.root / L"Zoë\\Themes\\Quorvel").c_str());
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Fenwold\\Quorvel");
        Write(kDesktop, L"SCRNSAVE.EXE", kOtherSaver);
        wallpaper = Read(kDesktop, L"Wallpaper");
        theme = Read(kThemes, L"CurrentTheme");
    }
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Fenwold\\Quorvel");
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktop, L"SCRNSAVE.EXE");
        if (wallpaper != L"(none)") Write(kDesktop, L"Wallpaper", wallpaper);
        if (theme != L"(none)") Write(kThemes, L"CurrentTheme", theme);
    }
    std::wstring Saver() const { return records.root / L"Quorvel.scr"; }
    ProcessRecords records;
    std::wstring wallpaper, theme;
};

std::wstring Profile(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
    wchar_t value[MAX_PATH] = L"";
    GetPrivateProfileStringW(section, key, L"(none)", value, MAX_PATH, file.c_str());
    return value;
}

}  // namespace

TEST_F(SaverInstall, NeverNamesASaverFileThatIsNotThere) {
    EXPECT_EQ(InstallScreenSaver(), kErrFileMissing);
    EXPECT_EQ(std::wstring(gErrorLocation.extraText), Saver());
    EXPECT_EQ(Read(kDesktop, L"SCRNSAVE.EXE"), kOtherSaver);
    EXPECT_EQ(InstallTheme(), kErrFileMissing);
    EXPECT_EQ(Read(kDesktop, L"SCRNSAVE.EXE"), kOtherSaver);
}

TEST_F(SaverInstall, UntickingGivesBackTheUsersSaverOrNone) {
    ASSERT_TRUE(WriteBytes(Saver(), "MZ"));
    // Another saver, with screen saving off.
    ASSERT_TRUE(SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, FALSE, nullptr, SPIF_UPDATEINIFILE));
    ASSERT_EQ(InstallScreenSaver(), kOk);
    EXPECT_EQ(Read(kDesktop, L"SCRNSAVE.EXE"), Saver());
    // Ticking again keeps what the user had, not Quorvel itself.
    ASSERT_EQ(InstallScreenSaver(), kOk);
    ASSERT_EQ(UninstallScreenSaver(), kOk);
    EXPECT_EQ(Read(kDesktop, L"SCRNSAVE.EXE"), kOtherSaver);
    EXPECT_FALSE(SaverActive());

    // "(None)": no value, and screen saving off.
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktop, L"SCRNSAVE.EXE");
    ASSERT_EQ(InstallScreenSaver(), kOk);
    EXPECT_TRUE(SaverActive());
    ASSERT_EQ(UninstallScreenSaver(), kOk);
    EXPECT_EQ(Read(kDesktop, L"SCRNSAVE.EXE"), L"(none)");
    EXPECT_FALSE(SaverActive());
}

TEST_F(SaverInstall, TheWaitAndTheLockReachTheRunningSession) {
    ASSERT_TRUE(WriteBytes(Saver(), "MZ"));
    Write(kDesktop, L"ScreenSaveActive", L"0");
    UINT seconds = 0;
    BOOL active = TRUE;
    // The session has read its values once and goes by what it read.
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETSCREENSAVETIMEOUT, 0, &seconds, 0));
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &active, 0));
    ASSERT_EQ(SetSaverWait(7), kOk);
    ASSERT_EQ(InstallScreenSaver(), kOk);
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETSCREENSAVETIMEOUT, 0, &seconds, 0));
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &active, 0));
    EXPECT_EQ(seconds, 420u);
    EXPECT_TRUE(active);
    EXPECT_EQ(Read(kDesktop, L"ScreenSaveTimeOut"), L"420");
    // A wait of 0 would read back as a minute.
    ASSERT_EQ(SetSaverWait(0), kOk);
    EXPECT_EQ(Read(kDesktop, L"ScreenSaveTimeOut"), L"60");
    // Wine has no action for the lock: the value written is what counts.
    EXPECT_EQ(SetLockOnResume(true), kOk);
    EXPECT_EQ(Read(kDesktop, L"ScreenSaverIsSecure"), L"1");
    EXPECT_EQ(SetLockOnResume(false), kOk);
    EXPECT_EQ(Read(kDesktop, L"ScreenSaverIsSecure"), L"0");
}

// The tick writes Quorvel's theme where Windows reads it, paths in any
// language whole; the shell of this prefix has no handler for themes, so it
// is reported and Windows' current theme stays the user's. With the user's
// theme file gone, the untick puts the user's picture back on the desktop.
TEST_F(SaverInstall, TheThemeNamesItsPictureAndTheSaverAndItsUntickGivesBackTheUsersPicture) {
    ASSERT_TRUE(WriteBytes(Saver(), "MZ"));
    const std::wstring common = records.root / L"common", gone = records.root / L"Custom.theme";
    const std::wstring lake = records.root / L"lake.bmp";
    {
        GdiplusSession gdiplus;
        ASSERT_TRUE(WriteImage(lake, 8, 8, 0x3366CC));
    }
    ASSERT_TRUE(CreateDirectoryW(common.c_str(), nullptr));
    ASSERT_TRUE(WriteBytes(common + L"\\QuorvelTheme.jpg", "JFIF"));
    wcscpy(gAppState->commonFolder, common.c_str());
    Write(kThemes, L"CurrentTheme", gone);
    Write(kDesktop, L"Wallpaper", lake);

    EXPECT_EQ(InstallTheme(), kErrWindowsApi);
    EXPECT_EQ(Read(kThemes, L"CurrentTheme"), gone);
    const std::wstring folder = gAppState->themeFolder, picture = folder + L"\\Quorvel.jpg";
    EXPECT_EQ(ReadBytes(picture), "JFIF");
    EXPECT_EQ(Profile(folder + L"\\Quorvel.theme", L"Control Panel\\Desktop", L"Wallpaper"), picture);
    EXPECT_EQ(Profile(folder + L"\\Quorvel.theme", L"Boot", L"SCRNSAVE.EXE"), Saver());

    // As Windows would have applied Quorvel's theme.
    Write(kDesktop, L"Wallpaper", picture);
    Write(kThemes, L"CurrentTheme", folder + L"\\Quorvel.theme");
    ASSERT_EQ(UninstallTheme(), kOk);
    EXPECT_EQ(Read(kDesktop, L"Wallpaper"), lake);
    EXPECT_EQ(Read(kThemes, L"CurrentTheme"), gone);
}
