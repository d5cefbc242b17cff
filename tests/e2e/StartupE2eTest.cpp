// Starting Quorvel in each role and with faulty command lines, as a user or
// Windows' screen-saver settings would, and what it leaves behind.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/e2e/Driver.h"

using namespace quorvel::e2e;

namespace {

const wchar_t kCaption[] = L"Quorvel from Fenwold";
const wchar_t kNotValid[] = L"Sorry, but command line argument is not valid";
const wchar_t kPreviewHandle[] =
    L"Sorry, but the command line argument for preview (p) mode is missing a valid handle to a parent window";
const wchar_t kConfigureHandle[] =
    L"Sorry, command line argument for configuration (c) mode misses a valid handle to a parent window";

std::wstring ErrorLog() { return JoinPath(JoinPath(RoamingAppData(), L"Fenwold Quorvel"), L"Quorvel_ErrorsLog.csv"); }

// Starts the program, expects one box with `text`, answers OK and returns
// the exit code.
std::optional<DWORD> ExpectOneBox(const std::wstring& program, const std::wstring& args, const std::wstring& text,
                                  const std::wstring& caption = kCaption) {
    Process p;
    EXPECT_TRUE(p.Start(program, args)) << p.StartError();
    const auto box = WaitForMessageBox(p.Pid());
    EXPECT_TRUE(box.has_value()) << "no message box";
    if (!box) return std::nullopt;
    EXPECT_EQ(box->caption, caption);
    EXPECT_EQ(box->text, text);
    EXPECT_EQ(box->buttons, std::vector<std::wstring>{L"OK"});
    EXPECT_TRUE(Answer(*box, IDOK));
    return p.WaitExit();
}

// A plain window of the test's own, standing in for the settings dialog
// that passes its handle to a preview.
HWND MakeParentWindow() {
    return CreateWindowExW(0, L"STATIC", L"Screen Saver Settings", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400, 300,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

bool HasLine(const std::vector<std::wstring>& lines, const std::wstring& text) {
    for (const auto& l : lines)
        if (l.find(text) != std::wstring::npos) return true;
    return false;
}

}  // namespace

TEST(CommandLine, UnknownSwitchIsRefused) {
    EXPECT_EQ(ExpectOneBox(InstalledProgram(L"Quorvel.scr"), L"/x", kNotValid), 0u);
}

TEST(CommandLine, ThreeLettersWithoutColonAreRefused) {
    EXPECT_EQ(ExpectOneBox(InstalledProgram(L"Quorvel.scr"), L"abc", kNotValid), 0u);
}

TEST(CommandLine, PreviewWithoutHandleIsRefused) {
    EXPECT_EQ(ExpectOneBox(InstalledProgram(L"Quorvel.scr"), L"/p", kPreviewHandle), 0u);
}

TEST(CommandLine, PreviewWithHandleZeroIsRefused) {
    EXPECT_EQ(ExpectOneBox(InstalledProgram(L"Quorvel.scr"), L"/p 0", kPreviewHandle), 0u);
}

TEST(CommandLine, TooLongHandleIsRefusedNotCut) {
    EXPECT_EQ(ExpectOneBox(InstalledProgram(L"Quorvel.scr"), L"/p 12345678901234567890", kNotValid), 0u);
}

TEST(CommandLine, ConfigureWithABadHandleIsRefused) {
    EXPECT_EQ(ExpectOneBox(InstalledProgram(L"Quorvel.scr"), L"/c 123456", kConfigureHandle), 0u);
}

TEST(CommandLine, PreviewAcceptsAWindowHandleInColonForm) {
    HWND parent = MakeParentWindow();
    ASSERT_NE(parent, nullptr);
    Process p;
    StartOptions options;
    options.captureDebugOutput = true;
    const std::wstring args = L"/p:" + std::to_wstring(reinterpret_cast<INT_PTR>(parent));
    ASSERT_TRUE(p.Start(InstalledProgram(L"Quorvel.scr"), args, options));
    // The preview appears inside the parent and lives as long as the parent.
    auto pump = [] {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    };
    ASSERT_TRUE(WaitUntil([&] {
        pump();
        return FindWindowExW(parent, nullptr, nullptr, nullptr) != nullptr;
    }));
    DestroyWindow(parent);
    std::optional<DWORD> code;
    ASSERT_TRUE(WaitUntil([&] {
        pump();
        code = p.WaitExit(0);
        return code.has_value();
    }));
    EXPECT_EQ(*code, 0u);
    const auto lines = p.DebugLines();
    EXPECT_TRUE(HasLine(lines, L"Screen saver mode of Quorvel"));
    EXPECT_TRUE(HasLine(lines, L"Quorvel: owner window from command line"));
    EXPECT_TRUE(HasLine(lines, L"Small Quorvel preview: Created Window"));
    EXPECT_TRUE(HasLine(lines, L"Quorvel: quitting properly"));
    EXPECT_FALSE(HasLine(lines, kPreviewHandle));
}

TEST(Roles, AnyOtherExtensionEndsWith10014) {
    const std::wstring copy = JoinPath(InstalledDataFolder(), L"Quorvel.bin");
    ASSERT_TRUE(CopyFileW(InstalledProgram(L"Quorvel.exe").c_str(), copy.c_str(), FALSE));
    EXPECT_EQ(ExpectOneBox(copy, L"", L"Application was found but failed to execute for some reason."), 0u);
}

TEST(Roles, WindowsXpIsRefused) {
    ASSERT_TRUE(SetWineVersion(L"winxp"));
    EXPECT_EQ(ExpectOneBox(InstalledProgram(L"Quorvel.exe"), L"", L"Current operating system not supported."), 0u);
}

TEST(Roles, SecondRegularProgramEndsAtOnceWithoutAWindow) {
    // The first instance holds the named mutex for as long as it runs.
    HANDLE first = CreateMutexW(nullptr, TRUE, L"Quorvel_RegExe");
    ASSERT_NE(first, nullptr);
    Process p;
    StartOptions options;
    options.captureDebugOutput = true;
    ASSERT_TRUE(p.Start(InstalledProgram(L"Quorvel.exe"), L"", options));
    EXPECT_EQ(p.WaitExit(), 0u);
    EXPECT_TRUE(HasLine(p.DebugLines(), L"Another instance of Quorvel already running"));
    EXPECT_TRUE(TopLevelWindows(p.Pid()).empty());
    CloseHandle(first);
}

TEST(Roles, CleanupRunEndsWithoutWritingTheErrorLog) {
    Process p;
    StartOptions options;
    options.captureDebugOutput = true;
    ASSERT_TRUE(p.Start(InstalledProgram(L"Quorvel.exe"), L"-d", options));
    EXPECT_EQ(p.WaitExit(), 0u);
    EXPECT_TRUE(HasLine(p.DebugLines(), L"Quorvel: File Cleanup mode detected"));
    EXPECT_FALSE(FileExists(ErrorLog()));
}

TEST(Roles, ExeIgnoresSaverSwitchesAndRunsAsTheProgram) {
    Process p;
    StartOptions options;
    options.captureDebugOutput = true;
    ASSERT_TRUE(p.Start(InstalledProgram(L"Quorvel.exe"), L"/s", options));
    // The program's album window, not the saver's full-screen one.
    HWND window = WaitForWindow(p.Pid(), [](HWND w) { return ClassName(w) == L"Album1 Window" && IsVisible(w); });
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(GetWindowLongW(window, GWL_STYLE) & WS_CAPTION);
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(p.WaitExit(), 0u);
    const auto lines = p.DebugLines();
    EXPECT_TRUE(HasLine(lines, L"Quorvel as regular exe is launching"));
    EXPECT_FALSE(HasLine(lines, L"Screen saver mode of Quorvel"));
}

TEST(FirstRun, CopiesTheSharedDataAndWritesTheRegistryRecord) {
    const std::wstring user = JoinPath(RoamingAppData(), L"Fenwold Quorvel");
    ASSERT_FALSE(FolderExists(user));
    Process p;
    ASSERT_TRUE(p.Start(InstalledProgram(L"Quorvel.scr"), L"/s"));
    HWND window = WaitForWindow(p.Pid(), [](HWND w) { return ClassName(w) == L"Album1 Window" && IsVisible(w); });
    ASSERT_NE(window, nullptr);
    PressKey(window, VK_SPACE);
    EXPECT_EQ(p.WaitExit(), 0u);
    EXPECT_TRUE(FolderExists(user));
    const std::vector<std::wstring> copied = ListFolder(user);
    // The theme package is opened where it is installed; every other file
    // of the machine-wide folder is the user's own copy.
    for (const std::wstring& name : ListFolder(InstalledDataFolder()))
        if (!name.ends_with(L".themepack"))
            EXPECT_NE(std::find(copied.begin(), copied.end(), name), copied.end()) << std::string(name.begin(), name.end());
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, L"Software\\Fenwold\\Quorvel", L"Path"), user);
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, L"Software\\Fenwold\\Quorvel", L"ThemePath"),
              JoinPath(LocalAppData(), L"Microsoft\\Windows\\Themes\\Quorvel"));
    EXPECT_EQ(RegReadDword(HKEY_CURRENT_USER, L"Software\\Fenwold\\Quorvel", L"installed"), 1u);
    EXPECT_FALSE(FileExists(ErrorLog()));
}

TEST(FirstRun, MissingSharedDataEndsWith10083) {
    const std::wstring data = InstalledDataFolder();
    const std::wstring moved = data + L".away";
    ASSERT_TRUE(MoveFileW(data.c_str(), moved.c_str()));
    EXPECT_EQ(ExpectOneBox(InstalledProgram(L"Quorvel.exe"), L"",
                           L"Unexpected or missing file or folder during first time initialization.Please run Quorvel "
                           L"repair from Control Panel"),
              0u);
    MoveFileW(moved.c_str(), data.c_str());
}
