// Proves the e2e harness itself on fixture_app, a helper with known
// behaviour: if these fail, the harness or Wine is at fault, not the program.
#include <gtest/gtest.h>

#include "tests/e2e/Driver.h"

#include <algorithm>

using namespace quorvel::e2e;

namespace {

std::wstring Fixture() { return JoinPath(TestProgramFolder(), L"fixture_app.exe"); }

bool HasLine(const Process& p, const std::wstring& line) {
    auto lines = p.DebugLines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

StartOptions WithDebugOutput() {
    StartOptions options;
    options.captureDebugOutput = true;
    return options;
}

}  // namespace

TEST(Harness, InstallsTheProgramWhereTheDriverLooks) {
    EXPECT_TRUE(GetEnv(L"QUORVEL_PREFIX").has_value());
    std::wstring exe = InstalledProgram(L"Quorvel.exe");
    EXPECT_EQ(exe, L"C:\\Program Files (x86)\\Fenwold Quorvel\\Quorvel.exe");
    EXPECT_TRUE(FileExists(exe));
    EXPECT_TRUE(FileExists(InstalledProgram(L"Quorvel.scr")));
    EXPECT_TRUE(FolderExists(InstalledDataFolder()));
    EXPECT_FALSE(FileExists(InstalledProgram(L"Missing.exe")));

    Process missing;
    EXPECT_FALSE(missing.Start(InstalledProgram(L"Missing.exe")));
    EXPECT_EQ(missing.StartError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(missing.WaitExit(0));
}

// Started under a .scr name, as Windows starts a screen saver.
TEST(Harness, ReadsAndAnswersAMessageBoxAndGetsTheExitCode) {
    std::wstring scr = JoinPath(RoamingAppData(), L"fixture_app.scr");
    ASSERT_TRUE(CopyFileW(Fixture().c_str(), scr.c_str(), FALSE));

    Process app;
    ASSERT_TRUE(app.Start(scr, L"/msgbox \"Fixture Caption\" \"Fixture text, line one\" /exit 3", WithDebugOutput()))
        << app.StartError();
    auto box = WaitForMessageBox(app.Pid());
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, L"Fixture Caption");
    EXPECT_EQ(box->text, L"Fixture text, line one");
    EXPECT_EQ(box->buttons, std::vector<std::wstring>{L"OK"});
    ASSERT_TRUE(Answer(*box, L"OK"));
    EXPECT_EQ(app.WaitExit(), 3u);
    EXPECT_TRUE(HasLine(app, L"msgbox result 1"));
}

TEST(Harness, AnswersAMessageBoxByButtonId) {
    Process app;
    ASSERT_TRUE(app.Start(Fixture(), L"/yesno Question \"Go on?\"", WithDebugOutput()));
    auto box = WaitForMessageBox(app.Pid());
    ASSERT_TRUE(box);
    EXPECT_EQ(box->buttons, (std::vector<std::wstring>{L"Yes", L"No"}));
    ASSERT_TRUE(Answer(*box, IDNO));
    EXPECT_EQ(app.WaitExit(), 0u);
    EXPECT_TRUE(HasLine(app, L"msgbox result " + std::to_wstring(IDNO)));
}

TEST(Harness, CapturesDebugOutput) {
    Process app;
    ASSERT_TRUE(app.Start(Fixture(), L"/debug \"wide \u00FC line\" /debuga \"ansi line\" /debug \"first\nsecond\"",
                          WithDebugOutput()));
    EXPECT_EQ(app.WaitExit(), 0u);
    auto lines = app.DebugLines();
    EXPECT_EQ(lines, (std::vector<std::wstring>{L"wide \u00FC line", L"ansi line", L"first", L"second"}));
}

TEST(Harness, ReadsWindowsControlsAndPixelsAndSendsInput) {
    Process app;
    ASSERT_TRUE(app.Start(Fixture(), L"/window 2080C0 /exit 5", WithDebugOutput()));
    HWND window = WaitForWindow(app.Pid(), L"Fixture Window");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsVisible(window));
    EXPECT_EQ(ClassName(window), L"QuorvelFixtureWindow");
    EXPECT_EQ(FindWindowByTitle(app.Pid(), L"Fixture Window"), window);
    RECT client = ClientRect(window);
    EXPECT_EQ(client.right - client.left, 320);
    EXPECT_EQ(client.bottom - client.top, 240);

    HWND option = FindControl(window, 101);
    ASSERT_NE(option, nullptr);
    EXPECT_EQ(FindControl(window, L"option"), option);
    EXPECT_EQ(ControlText(option), L"&Option");
    EXPECT_TRUE(IsControlVisible(option));
    EXPECT_TRUE(IsChecked(option));
    EXPECT_TRUE(IsEnabled(option));
    HWND disabled = FindControl(window, L"Disabled");
    ASSERT_NE(disabled, nullptr);
    EXPECT_FALSE(IsEnabled(disabled));
    EXPECT_FALSE(IsChecked(disabled));
    EXPECT_EQ(Children(window).size(), 2u);

    ASSERT_TRUE(app.WaitForDebugLine(L"window shown"));
    std::optional<Capture> shot;
    ASSERT_TRUE(WaitUntil([&] {
        shot = CaptureWindow(window);
        return shot && shot->At(50, 50) == RGB(0x20, 0x80, 0xC0);
    })) << "pixel is "
        << std::hex << (shot ? shot->At(50, 50) : 0);
    EXPECT_EQ(shot->width, 320);
    EXPECT_EQ(shot->height, 240);
    EXPECT_GT(FractionOfColour(*shot, RGB(0x20, 0x80, 0xC0)), 0.7);
    auto again = CaptureWindow(window);
    ASSERT_TRUE(again);
    EXPECT_EQ(CountDifferentPixels(*shot, *again), 0u);
    EXPECT_TRUE(SaveBmp(*shot, JoinPath(RoamingAppData(), L"fixture.bmp")));

    ASSERT_TRUE(SendKey(window, 'A'));
    EXPECT_TRUE(app.WaitForDebugLine(L"key 65"));
    ASSERT_TRUE(PressKey(window, 'B'));
    EXPECT_TRUE(app.WaitForDebugLine(L"key 66"));
    ASSERT_TRUE(Click(client.left + 60, client.top + 70));
    EXPECT_TRUE(app.WaitForDebugLine(L"click 60 70"));
    ASSERT_TRUE(MoveMouse(client.left + 90, client.top + 20));
    EXPECT_TRUE(app.WaitForDebugLine(L"mouse 90 20"));

    ASSERT_TRUE(SendKey(window, VK_ESCAPE));
    EXPECT_EQ(app.WaitExit(), 5u);
}

TEST(Harness, ReadsFilesAndRegistryAfterTheRun) {
    Process app;
    ASSERT_TRUE(app.Start(Fixture(), L"/write"));
    ASSERT_EQ(app.WaitExit(), 0u);

    std::wstring folder = JoinPath(RoamingAppData(), L"QuorvelFixture");
    EXPECT_EQ(ListFolder(folder), (std::vector<std::wstring>{L"ansi.txt", L"utf16.txt"}));
    EXPECT_EQ(ReadTextFile(JoinPath(folder, L"utf16.txt")), L"h\u00E9llo w\u00F6rld\r\n");
    EXPECT_EQ(ReadTextFile(JoinPath(folder, L"ansi.txt")), L"plain ansi\r\n");
    auto bytes = ReadFileBytes(JoinPath(folder, L"ansi.txt"));
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->size(), 12u);
    EXPECT_FALSE(ReadTextFile(JoinPath(folder, L"missing.txt")));

    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, L"Software\\QuorvelFixture", L"Name"), L"fixture \u00FC");
    EXPECT_EQ(RegReadDword(HKEY_CURRENT_USER, L"Software\\QuorvelFixture", L"Count"), 42u);
    EXPECT_FALSE(RegReadDword(HKEY_CURRENT_USER, L"Software\\QuorvelFixture", L"Missing"));
    EXPECT_FALSE(RegReadString(HKEY_CURRENT_USER, L"Software\\QuorvelFixture", L"Count"));
    EXPECT_TRUE(RegDeleteKeyTree(HKEY_CURRENT_USER, L"Software\\QuorvelFixture"));
    EXPECT_FALSE(RegReadString(HKEY_CURRENT_USER, L"Software\\QuorvelFixture", L"Name"));
}

TEST(Harness, MakesWineReportWindowsXp) {
    ASSERT_TRUE(SetWineVersion(L"winxp", {L"fixture_app.exe"}));
    Process app;
    ASSERT_TRUE(app.Start(Fixture(), L"/version", WithDebugOutput()));
    EXPECT_EQ(app.WaitExit(), 0u);
    EXPECT_EQ(app.DebugLines(), std::vector<std::wstring>{L"version 5.1"});
}
