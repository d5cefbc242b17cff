// The album display as a user sees it: the screen saver, the program's album
// windows and the small preview in the screen-saver settings.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "res/resource.h"
#include "tests/e2e/Driver.h"
#include "tests/e2e/Scenario.h"

using namespace quorvel::e2e;

namespace {

constexpr int kBand = 100;  // matting band width outside the preview

// Pixels of a rectangle of a capture, for comparing areas.
std::vector<COLORREF> Area(const Capture& c, int x0, int y0, int w, int h) {
    std::vector<COLORREF> out;
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x) out.push_back(c.At(x, y));
    return out;
}

// Share of the pixels of the area that repeat `period` pixels to the right
// (dx) or below (dy): a band tiled from one square repeats exactly.
double Repeats(const Capture& c, int x0, int y0, int w, int h, int dx, int dy) {
    int same = 0, all = 0;
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x) {
            ++all;
            same += c.At(x, y) == c.At(x + dx, y + dy);
        }
    return all ? double(same) / all : 0;
}

int CountNear(const Capture& c, int x0, int y0, int w, int h, COLORREF colour, int tolerance) {
    int n = 0;
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x) n += ColoursClose(c.At(x, y), colour, tolerance);
    return n;
}

// How far the picture in the viewport moved between two captures: the shift
// s (content moved left by s when the view glides right) that matches best.
int BestHorizontalShift(const Capture& a, const Capture& b, int x0, int y0, int w, int h) {
    int best = 0;
    double bestScore = -1;
    for (int s = -40; s <= 40; ++s) {
        int same = 0;
        for (int y = y0; y < y0 + h; y += 3)
            for (int x = x0 + 40; x < x0 + w - 40; x += 2) same += a.At(x + s, y) == b.At(x, y);
        if (same > bestScore) {
            bestScore = same;
            best = s;
        }
    }
    return best;
}

// Moves the pointer as a mouse would and makes sure it lands on the pixel.
bool MoveTo(int x, int y) {
    MoveMouse(x, y);
    POINT p;
    if (GetCursorPos(&p) && (p.x != x || p.y != y)) SetCursorPos(x, y);
    return GetCursorPos(&p) && p.x == x && p.y == y;
}

std::wstring UserFolder() { return JoinPath(RoamingAppData(), L"Fenwold Quorvel"); }

}  // namespace

// The saver covers the whole screen, above the taskbar: on a 4K screen,
// higher than the album's strip, album 1's window is centred, framed in
// tiled bands with its phrase, and black shows round it. It glides, and
// mouse moves of up to ten pixels in all from where the pointer rested do
// not end it, even over the black; eleven do.
TEST(Saver, CoversTheScreenGlidesAndEndsOnlyWhenTheMouseMovesElevenPixelsOnA4kScreen) {
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    ASSERT_EQ(screen.bottom, 2160);
    const RECT taskbar = ShowStandInTaskbar(screen);
    // The pointer rests over the black above the saver's album window.
    ASSERT_TRUE(MoveTo(400, 300));
    Process p;
    ASSERT_TRUE(p.Start(InstalledProgram(L"Quorvel.scr"), L"/s"));
    HWND window = WaitForAlbumWindow(p);
    ASSERT_NE(window, nullptr);
    // The strip's 3200 x 1200, centred in the screen less its last row.
    const RECT r = Rect(window);
    EXPECT_EQ(r.left, 320);
    EXPECT_EQ(r.top, 479);
    EXPECT_EQ(r.right - r.left, 3200);
    EXPECT_EQ(r.bottom - r.top, 1200);
    // The first mouse message the saver reads records where the pointer
    // rests: one it must answer, before the pointer moves.
    DWORD_PTR answer = 0;
    ASSERT_TRUE(
        SendMessageTimeoutW(window, WM_MOUSEMOVE, 0, MAKELPARAM(400, 300), SMTO_NORMAL, kDefaultTimeoutMs, &answer));

    // The phrase: the saver's own phrase, in album 1's colour (blue), in the
    // top band once the first frame is drawn, and nowhere in the bottom band.
    std::optional<Capture> first;
    ASSERT_TRUE(WaitUntil([&] {
        first = CaptureWindow(window);
        return first && CountNear(*first, 0, 0, first->width, kBand, RGB(0, 0, 255), 60) > 300;
    })) << "no phrase in album 1's colour in the top band";
    const int w = first->width, h = first->height;
    EXPECT_LT(CountNear(*first, 0, h - kBand, w, kBand, RGB(0, 0, 255), 60), 30);
    // Tiles: the bottom band repeats every band width across, the side bands
    // repeat every band width down.
    EXPECT_GT(Repeats(*first, 0, h - kBand + 5, w - 2 * kBand - 10, 60, kBand, 0), 0.98);
    EXPECT_GT(Repeats(*first, 5, kBand, 80, h - 3 * kBand - 10, 0, kBand), 0.98);
    EXPECT_GT(Repeats(*first, w - kBand + 5, kBand, 80, h - 3 * kBand - 10, 0, kBand), 0.98);
    // The viewport moves, and its first moves are to the right.
    const auto before = Area(*first, kBand, kBand, w - 2 * kBand, h - 2 * kBand);
    std::optional<Capture> second;
    ASSERT_TRUE(WaitUntil([&] {
        second = CaptureWindow(window);
        return second && second->width == w && second->height == h &&
               Area(*second, kBand, kBand, w - 2 * kBand, h - 2 * kBand) != before;
    })) << "the viewport does not move";
    EXPECT_GT(BestHorizontalShift(*first, *second, kBand, kBand + 50, w - 2 * kBand, 200), 0);

    // Every pixel of the screen is the saver's, the taskbar's too, and all
    // round the album is black.
    EXPECT_EQ(PointsNotCoveredBy(p.Pid(), screen).size(), 0u);
    EXPECT_EQ(PointsNotCoveredBy(p.Pid(), taskbar).size(), 0u) << "the taskbar shows over the saver";
    EXPECT_TRUE(WaitUntil([&] { return LitPixelsAround(screen, {r}) == std::optional<std::size_t>(0); }))
        << "the saver is not black round the album";

    // 5 right and 5 down, in two moves: the saver reads them before its
    // next frames and goes on.
    ASSERT_TRUE(MoveTo(403, 301));
    ASSERT_TRUE(MoveTo(405, 305));
    EXPECT_TRUE(GlideGoesOn(p, window)) << "5 right and 5 down ended the saver";
    ASSERT_TRUE(MoveTo(406, 305));
    EXPECT_EQ(p.WaitExit(), 0u);
    EXPECT_FALSE(FolderExists(JoinPath(UserFolder(), L"TempSaver")));
}

// The program's album window: its title, the items of its window menu, F1
// and F2, minimising and restoring it; a second program ends at once while
// it runs, and closing the window ends the program.
TEST(ProgramMode, AlbumWindowOpensHomeAboutAndHelpAndClosingItEndsTheProgram) {
    Process p;
    StartOptions options;
    options.captureDebugOutput = true;
    ASSERT_TRUE(p.Start(InstalledProgram(L"Quorvel.exe"), L"", options));
    HWND window = WaitForAlbumWindow(p);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WindowText(window), L"DefaultAlbum1 - Quorvel from Fenwold. Click on window menu(<-) for home dialog");
    EXPECT_TRUE(FolderExists(JoinPath(UserFolder(), L"TempExe")));

    Process second;
    ASSERT_TRUE(second.Start(InstalledProgram(L"Quorvel.exe")));
    EXPECT_EQ(second.WaitExit(), 0u);
    EXPECT_TRUE(TopLevelWindows(second.Pid(), true).empty());
    EXPECT_TRUE(p.IsRunning());

    // The three items of the window menu: Home and About open their dialogs
    // over the album window, Help runs the Home help batch file. (Wine does
    // not let another process read a window's menu, so the items are proven
    // by what they do.)
    for (const auto& [command, title] : {std::pair<UINT, const wchar_t*>{IDM_ALBUM_HOME, L"Home - Quorvel"},
                                         std::pair<UINT, const wchar_t*>{IDM_PANEL_ABOUT, L"About - Quorvel"}}) {
        PostMessageW(window, WM_SYSCOMMAND, command, 0);
        HWND dialog = WaitForWindow(p.Pid(), title);
        ASSERT_NE(dialog, nullptr) << command;
        PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    }
    const std::wstring record = JoinPath(UserFolder(), L"help-runs.txt");
    WriteRecordingBatch(L"QuorvelHelp.bat", record);
    PostMessageW(window, WM_SYSCOMMAND, IDM_PANEL_HELP, 0);
    EXPECT_TRUE(WaitUntil([&] { return Runs(record) == 1; }));
    // F1 runs the same help: it asks first, as it was opened before.
    SendKey(window, VK_F1);
    const auto question = WaitForMessageBox(p.Pid());
    ASSERT_TRUE(question);
    EXPECT_EQ(question->text, L"You have previously opened this help screen.\nAre you sure you closed it?");
    ASSERT_TRUE(Answer(*question, L"Yes"));
    EXPECT_TRUE(WaitUntil([&] { return Runs(record) == 2; }));

    // F2 opens Home. One monitor shows only album 1: album 2's label and
    // edit are hidden. Unchanged phrases are only noticed.
    SendKey(window, VK_F2);
    HWND home = WaitForWindow(p.Pid(), L"Home - Quorvel");
    ASSERT_NE(home, nullptr);
    EXPECT_EQ(ControlText(FindControl(home, IDC_ALBUM1_LABEL)), L"DefaultAlbum1");
    EXPECT_EQ(ControlText(FindControl(home, IDC_ALBUM1_PHRASE)), L"ALL IS WELL!");
    EXPECT_TRUE(IsControlVisible(FindControl(home, IDC_ALBUM1_PHRASE)));
    EXPECT_FALSE(IsControlVisible(FindControl(home, IDC_ALBUM2_PHRASE)));
    EXPECT_FALSE(IsControlVisible(FindControl(home, IDC_ALBUM2_LABEL)));
    const std::wstring ini = JoinPath(UserFolder(), L"Quorvel.ini");
    const auto before = ReadFileBytes(ini);
    for (const wchar_t* text : {L"ALL IS WELL!", L"all is well!"}) {
        SendMessageW(FindControl(home, IDC_ALBUM1_PHRASE), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
        ASSERT_TRUE(ClickButton(FindControl(home, IDC_UPDATE_PHRASE)));
        const auto box = WaitForMessageBox(p.Pid());
        ASSERT_TRUE(box);
        EXPECT_EQ(box->text, L"Phrases have not changed");
        ASSERT_TRUE(Answer(*box, IDOK));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box->hwnd); }));
    }
    // Closing Home returns to the album window; it closes after the
    // updates' handlers are over, so the file is as they left it.
    PostMessageW(home, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(home); }));
    EXPECT_EQ(ReadFileBytes(ini), before);
    EXPECT_TRUE(p.IsRunning());

    // Minimise and restore: the viewport is sized again from the restored
    // client area and the glide starts over.
    ShowWindowAsync(window, SW_MINIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(window) != FALSE; }));
    const std::size_t linesBefore = p.DebugLines().size();
    ShowWindowAsync(window, SW_RESTORE);
    ASSERT_TRUE(WaitUntil([&] {
        const auto lines = p.DebugLines();
        for (std::size_t i = linesBefore; i < lines.size(); ++i)
            if (lines[i].find(L"Quorvel: Album0: WM_SIZE ResizingType:0") != std::wstring::npos) return true;
        return false;
    }));

    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(p.WaitExit(), 0u);
    EXPECT_FALSE(FolderExists(JoinPath(UserFolder(), L"TempExe")));
}

TEST(Preview, DrawsInsideTheParentAndEndsWithIt) {
    HWND parent = CreateWindowExW(0, L"STATIC", L"Screen Saver Settings", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 400,
                                  300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    RECT client;
    GetClientRect(parent, &client);
    Process p;
    ASSERT_TRUE(p.Start(InstalledProgram(L"Quorvel.scr"), L"/p " + std::to_wstring(reinterpret_cast<INT_PTR>(parent))));
    HWND preview = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        preview = FindWindowExW(parent, nullptr, L"Album1 Window", nullptr);
        return preview != nullptr;
    }));
    RECT r;
    GetWindowRect(preview, &r);
    // As wide and high as the parent's client area (the strip is larger).
    EXPECT_EQ(r.right - r.left, std::min<LONG>(client.right + 1, 3200));
    EXPECT_GE(r.bottom - r.top, client.bottom);
    EXPECT_TRUE(p.IsRunning());
    DestroyWindow(parent);
    std::optional<DWORD> code;
    ASSERT_TRUE(WaitUntil([&] {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        return (code = p.WaitExit(0)).has_value();
    }));
    EXPECT_EQ(*code, 0u);
}
