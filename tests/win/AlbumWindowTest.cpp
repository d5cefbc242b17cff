#include "display/AlbumWindow_win.h"

#include <gtest/gtest.h>

#include <cwchar>

#include "base/DisplayState_win.h"
#include "display/Frame_win.h"
#include "tests/win/BoxWatcher.h"
#include "tests/win/TestState.h"

namespace quorvel {
namespace {

using test::BoxWatcher;
using test::ProcessRecords;

AlbumView& View(int album) { return *gDisplayState->albums[album].view; }

// Both albums with a strip, a matting board and a view, and their windows
// made over a hidden owner as the program makes them; no timers run.
class TwoAlbumWindows {
public:
    TwoAlbumWindows() {
        gMode.regularProgram = true;
        wcscpy(gUserSettings->fontName, L"Tahoma");
        gUserSettings->fontSize = 28;
        owner_ = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        made = owner_ != nullptr;
        for (int album = 0; album < kAlbumCount && made; ++album) {
            AlbumSlot& slot = gDisplayState->albums[album];
            slot.strip = PixelBlock::Make(1200, 600);
            slot.mattingThumbnail = PixelBlock::Make(100, 100);
            made = PrepareAlbumView(album) == kOk && CreateAlbumWindow(album, owner_, 0, 0, 800, 500) == kOk;
        }
    }
    ~TwoAlbumWindows() {
        for (AlbumSlot& slot : gDisplayState->albums) {
            if (slot.view != nullptr) CloseAlbumView(static_cast<int>(&slot - gDisplayState->albums));
            FreeAlbumView(slot.view);
        }
        if (gDisplayState->phraseFont != nullptr) DeleteObject(gDisplayState->phraseFont);
        gDisplayState->phraseFont = nullptr;
        DestroyWindow(owner_);
        gMode = {};
    }
    bool made = false;

private:
    HWND owner_ = nullptr;
};

bool NeedsPaint(HWND window) { return GetUpdateRect(window, nullptr, FALSE) != FALSE; }

// Album 1's paint fails and shows its box; while the box is up both windows
// are asked to paint again. Album 2 paints its own album at once; album 1's
// second paint is skipped, since its first is still under way.
TEST(AlbumWindows, EachWindowGuardsOnlyItsOwnPaint) {
    ProcessRecords records;
    TwoAlbumWindows windows;
    ASSERT_TRUE(windows.made);
    const HWND first = View(0).window, second = View(1).window;
    View(0).viewportHeader.biHeight = 1;  // no longer the block's: the frame is refused
    // Album 2 paints only when asked below, so each of its renders is counted.
    ValidateRect(second, nullptr);
    const std::int32_t firstX = View(0).pan.centreX, secondX = View(1).pan.centreX;
    {
        BoxWatcher boxes(IDOK, [&] {
            InvalidateRect(first, nullptr, FALSE);
            InvalidateRect(second, nullptr, FALSE);
            for (int i = 0; i < 200 && (NeedsPaint(first) || NeedsPaint(second)); ++i) Sleep(10);
        });
        UpdateWindow(first);
        EXPECT_EQ(boxes.Boxes().size(), 1u);
    }
    EXPECT_FALSE(NeedsPaint(second));
    EXPECT_EQ(View(1).pan.centreX, secondX + 1) << "album 2 painted while album 1's box was up";
    EXPECT_EQ(View(0).pan.centreX, firstX + 1) << "album 1 rendered once";
}

}  // namespace
}  // namespace quorvel
