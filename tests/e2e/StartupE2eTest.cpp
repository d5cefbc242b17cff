// Starting Quorvel in each role, as a user or Windows' screen-saver settings
// would, and the starts it refuses with a box.
#include <gtest/gtest.h>

#include <functional>

#include "tests/e2e/Driver.h"

using namespace quorvel::e2e;

namespace {

const wchar_t kCaption[] = L"Quorvel from Fenwold";
const wchar_t kNotValid[] = L"Sorry, but command line argument is not valid";
const wchar_t kPreviewHandle[] =
    L"Sorry, but the command line argument for preview (p) mode is missing a valid handle to a parent window";
const wchar_t kConfigureHandle[] =
    L"Sorry, command line argument for configuration (c) mode misses a valid handle to a parent window";

std::wstring UserFolder() { return JoinPath(RoamingAppData(), L"Fenwold Quorvel"); }

// Starts the program, expects one box with `caption` and `text`, answers
// OK and returns the exit code.
std::optional<DWORD> ExpectOneBox(const std::wstring& program, const std::wstring& args, const std::wstring& caption,
                                  const std::wstring& text) {
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

// Moves `path` aside for one case; false when it cannot.
bool MoveAside(const std::wstring& path) { return MoveFileW(path.c_str(), (path + L".away").c_str()) != FALSE; }
bool PutBack(const std::wstring& path) {
    return (!FolderExists(path) || DeleteTree(path)) && MoveFileW((path + L".away").c_str(), path.c_str()) != FALSE;
}

// A start that shows one box and ends: the box, and what the case changes
// in the prefix before the start and puts back after it, so that each case
// meets a machine as installed and a user who never started Quorvel.
struct RefusedStart {
    const char* name;
    std::wstring program;
    std::wstring args;
    std::wstring caption;
    std::wstring text;
    std::function<bool()> prepare = [] { return true; };
    std::function<bool()> restore = [] { return true; };
};

// Each role's start with a command line Windows or a user may give. How the
// arguments are read is the unit tests' (ReadSwitch, IsSwitch, HandleValue,
// RoleFromExtension); these are the boxes and the roles that follow.
void ExpectRefusedStarts() {
    const std::wstring scr = InstalledProgram(L"Quorvel.scr"), exe = InstalledProgram(L"Quorvel.exe");
    const std::wstring boards = InstalledProgram(L"QuorvelMattingBoards");
    const RefusedStart cases[] = {
        {"a switch no role has", scr, L"/x", kCaption, kNotValid},
        // Cut to 19 characters, the handle would name another window.
        {"a handle too long to read, refused not cut", scr, L"/p 12345678901234567890", kCaption, kNotValid},
        {"a preview without a handle", scr, L"/p", kCaption, kPreviewHandle},
        {"a configuration with a handle that is no window", scr, L"/c 123456", kCaption, kConfigureHandle},
        {"a copy named neither .exe nor .scr", JoinPath(InstalledDataFolder(), L"Quorvel.bin"), L"", kCaption,
         L"Application was found but failed to execute for some reason.",
         [exe] { return CopyFileW(exe.c_str(), JoinPath(InstalledDataFolder(), L"Quorvel.bin").c_str(), FALSE) != 0; },
         [] { return DeleteFileW(JoinPath(InstalledDataFolder(), L"Quorvel.bin").c_str()) != FALSE; }},
        {"Windows XP", exe, L"", kCaption, L"Current operating system not supported.",
         [] { return SetWineVersion(L"winxp"); },
         [] {
             return RegDeleteKeyTree(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\Quorvel.exe") &&
                    RegDeleteKeyTree(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\Quorvel.scr");
         }},
        {"the machine-wide data gone", exe, L"", kCaption,
         L"Unexpected or missing file or folder during first time initialization.Please run Quorvel repair from "
         L"Control Panel",
         [] { return MoveAside(InstalledDataFolder()); }, [] { return PutBack(InstalledDataFolder()); }},
        // The album step fails after the first-time copy: start-up's own
        // catcher shows it under the program's name.
        {"one default board installed", exe, L"", L"Quorvel", L"Missing matting board photo file",
         [boards] {
             return MoveAside(boards) && CreateDirectoryW(boards.c_str(), nullptr) &&
                    CopyFileW(JoinPath(boards + L".away", L"01.jpg").c_str(), JoinPath(boards, L"01.jpg").c_str(),
                              FALSE);
         },
         [boards] { return PutBack(boards) && (!FolderExists(UserFolder()) || DeleteTree(UserFolder())); }},
    };
    for (const RefusedStart& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.prepare());
        EXPECT_EQ(ExpectOneBox(c.program, c.args, c.caption, c.text), 0u);
        ASSERT_TRUE(c.restore());
    }
}

// "/p:<handle>", as Windows' settings start the preview: it appears inside
// the parent and lives as long as the parent.
void ExpectPreviewInsideItsParent() {
    HWND parent = MakeParentWindow();
    ASSERT_NE(parent, nullptr);
    Process p;
    StartOptions options;
    options.captureDebugOutput = true;
    const std::wstring args = L"/p:" + std::to_wstring(reinterpret_cast<INT_PTR>(parent));
    ASSERT_TRUE(p.Start(InstalledProgram(L"Quorvel.scr"), args, options));
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

// The program ignores the saver's switches: "Quorvel.exe /s" is the program
// with its captioned album window, not the full-screen saver.
void ExpectExeWithSaverSwitchRunsAsTheProgram() {
    Process p;
    StartOptions options;
    options.captureDebugOutput = true;
    ASSERT_TRUE(p.Start(InstalledProgram(L"Quorvel.exe"), L"/s", options));
    HWND window = WaitForWindow(p.Pid(), [](HWND w) { return ClassName(w) == L"Album1 Window" && IsVisible(w); });
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(GetWindowLongW(window, GWL_STYLE) & WS_CAPTION);
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(p.WaitExit(), 0u);
    const auto lines = p.DebugLines();
    EXPECT_TRUE(HasLine(lines, L"Quorvel as regular exe is launching"));
    EXPECT_FALSE(HasLine(lines, L"Screen saver mode of Quorvel"));
}

// A second program while one runs ends at once, without a window or a box.
void ExpectSecondProgramEndsAtOnce() {
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

}  // namespace

TEST(CommandLine, EachRoleStartsOrIsRefusedWithItsBox) {
    ASSERT_FALSE(FolderExists(UserFolder()));
    {
        SCOPED_TRACE("refused starts");
        ExpectRefusedStarts();
    }
    {
        SCOPED_TRACE("a preview inside its parent");
        ExpectPreviewInsideItsParent();
    }
    {
        SCOPED_TRACE("the program started with the saver's switch");
        ExpectExeWithSaverSwitchRunsAsTheProgram();
    }
    {
        SCOPED_TRACE("a second program");
        ExpectSecondProgramEndsAtOnce();
    }
}
