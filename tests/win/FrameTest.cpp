#include "display/Frame_win.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/ErrorReporter_win.h"
#include "strip/Strip.h"
#include "strip/Strip_win.h"
#include "display/AlbumWindow_win.h"
#include "strip/Pan.h"
#include "tests/win/TestState.h"

namespace quorvel {
namespace {

using test::ProcessRecords;

// A matting thumbnail whose every pixel differs from its neighbours, so a
// tile drawn at a wrong offset or cut from the wrong rows is seen.
PixelBlock ThumbnailPattern(std::int32_t side) {
    PixelBlock block = PixelBlock::Make(side, side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            std::uint8_t* p = block.Row(y) + x * 3;
            p[0] = static_cast<std::uint8_t>(40 + x);     // blue
            p[1] = static_cast<std::uint8_t>(30 + y);     // green
            p[2] = static_cast<std::uint8_t>(x * 2 + y);  // red
        }
    return block;
}

// A 32-bit top-down DIB section selected into a memory context, so the test
// can read back exactly what GDI drew.
class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height) {
        dc_ = CreateCompatibleDC(nullptr);
        std::uint8_t* pixels = nullptr;
        bitmap_ = CreateTopDownBitmap(dc_, width, height, &pixels);
        bits_ = reinterpret_cast<std::uint32_t*>(pixels);
        old_ = SelectObject(dc_, bitmap_);
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC Dc() const { return dc_; }
    // Blue, green, red of one pixel.
    std::uint32_t Bgr(int x, int y) const {
        GdiFlush();
        return bits_[static_cast<std::size_t>(y) * width_ + x] & 0xFFFFFFu;
    }
    void Fill(std::uint32_t bgr) {
        GdiFlush();
        std::fill(bits_, bits_ + static_cast<std::size_t>(width_) * height_, bgr);
    }
    std::vector<std::uint32_t> Rows(int from, int to) const {
        GdiFlush();
        std::vector<std::uint32_t> rows;
        for (int y = from; y < to; ++y)
            for (int x = 0; x < width_; ++x) rows.push_back(Bgr(x, y));
        return rows;
    }
    bool Valid() const { return dc_ != nullptr && bitmap_ != nullptr && bits_ != nullptr; }
    // The pixels from (x, y) on, as a pan step writes them.
    FramePixels At(int x, int y, int width, int height) const {
        GdiFlush();
        return {reinterpret_cast<std::uint8_t*>(bits_ + static_cast<std::size_t>(y) * width_ + x), width, height,
                width_ * 4};
    }

private:
    int width_, height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    std::uint32_t* bits_ = nullptr;
};

std::uint32_t BgrOf(const PixelBlock& block, int x, int y) {
    const std::uint8_t* p = block.Row(y) + x * 3;
    return p[0] | (p[1] << 8) | (p[2] << 16);
}

// The process records, album 0 with a view, a matting tile and a viewport of
// l x o drawn into a canvas that stands in for the view's memory bitmap.
class FrameFixture {
public:
    FrameFixture(int l, int o, std::int32_t thumbnailSide = 100, bool preview = false)
        : l_(l), o_(o), band_(EnterMode(preview)), canvas_(l + 2 * band_, o + 2 * band_) {
        wcscpy(gUserSettings->fontName, L"Tahoma");
        gUserSettings->fontSize = 28;
        gUserSettings->fontBold = 1;
        gUserSettings->fontColour[0] = RGB(255, 255, 0);
        gDisplayState->albums[0].mattingThumbnail = ThumbnailPattern(thumbnailSide);
        prepared = PrepareAlbumView(0);
        AlbumView* view = View();
        if (view == nullptr) return;
        view->viewportWidth = l;
        view->viewportHeight = o;
        view->viewportHeader = {};
        view->viewportHeader.biSize = sizeof(BITMAPINFOHEADER);
        view->viewportHeader.biWidth = l;
        view->viewportHeader.biHeight = -o;
        view->viewportHeader.biPlanes = 1;
        view->viewportHeader.biBitCount = 24;
        view->viewportHeader.biCompression = BI_RGB;
        view->viewportHeader.biSizeImage = l * 3 * o;
        view->viewport = canvas_.At(band_, band_, l, o);
        PaintViewport();
        // The canvas stays the test's: the view only borrows its context.
        view->memoryDc.reset(canvas_.Dc());
    }
    ~FrameFixture() {
        if (AlbumView* view = View()) view->memoryDc.release();
        FreeAlbumView(gDisplayState->albums[0].view);
        if (gDisplayState->phraseFont != nullptr) DeleteObject(gDisplayState->phraseFont);
        gDisplayState->phraseFont = nullptr;
        gMode = {};
    }
    AlbumView* View() const { return gDisplayState->albums[0].view; }
    // What a pan step leaves in the viewport, in place of a strip.
    static std::uint32_t ViewportPattern(int x, int y) { return (200 - y % 50) | ((x % 256) << 8) | (7 << 16); }
    void PaintViewport() {
        const FramePixels& viewport = View()->viewport;
        for (int y = 0; y < o_; ++y)
            for (int x = 0; x < l_; ++x) {
                const std::uint32_t bgr = ViewportPattern(x, y);
                std::memcpy(viewport.Row(y) + x * 4, &bgr, 4);
            }
    }
    const MattingTile& Tile() const { return gDisplayState->albums[0].mattingTile; }
    Canvas& Bitmap() { return canvas_; }

    // Whether every band pixel shows the tile pixel its placement gives, and
    // returns the first mismatch's position in `where`.
    bool BandsShowTiles(int fromRow, std::string* where) const {
        const PixelBlock& tile = Tile().block;
        for (int y = fromRow; y < o_ + 2 * band_; ++y)
            for (int x = 0; x < l_ + 2 * band_; ++x) {
                const bool inViewport = x >= band_ && x < band_ + l_ && y >= band_ && y < band_ + o_;
                if (inViewport) continue;
                int tx, ty;
                if (y < band_ || y >= o_ + band_) {
                    tx = x % band_;
                    ty = y < band_ ? y : y - o_ - band_;
                } else {
                    tx = x < band_ ? x : x - l_ - band_;
                    ty = (y - band_) % band_;
                }
                if (canvas_.Bgr(x, y) != BgrOf(tile, tx, ty)) {
                    *where = "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
                    return false;
                }
            }
        return true;
    }
    bool ViewportShown(const Canvas& canvas) const {
        for (int y = 0; y < o_; ++y)
            for (int x = 0; x < l_; ++x)
                if (canvas.Bgr(band_ + x, band_ + y) != ViewportPattern(x, y)) return false;
        return true;
    }

private:
    // Runs after the process records reset the mode; gives the band width.
    static int EnterMode(bool preview) {
        gMode.role = preview ? Role::kPreview : Role::kNone;
        return preview ? 20 : 100;
    }

    ProcessRecords records_;
    int l_, o_, band_;
    Canvas canvas_;

public:
    Status prepared = kOk;
};

TEST(FrameTile, TilesFillAllFourBandsWithAndWithoutACutTile) {
    for (const int o : {800, 850}) {
        FrameFixture frame(1000, o);
        ASSERT_EQ(frame.prepared, kOk);
        ASSERT_TRUE(frame.Bitmap().Valid());
        ASSERT_EQ(BuildMattingTile(0), kOk);
        EXPECT_EQ(frame.Tile().stepX, 100);
        EXPECT_EQ(frame.Tile().header.biHeight, -100);
        frame.Bitmap().Fill(0);
        ASSERT_EQ(DrawMattingTiles(0), kOk);
        std::string where;
        EXPECT_TRUE(frame.BandsShowTiles(0, &where)) << "viewport height " << o << ", first wrong pixel " << where;
        // The viewport area is left alone.
        EXPECT_EQ(frame.Bitmap().Bgr(100, 100), 0u);
        EXPECT_EQ(frame.Bitmap().Bgr(1099, 99 + o), 0u);
    }
}

TEST(FrameTile, CutFromTheThumbnailCornerAndRefusedWhenTooSmall) {
    {
        FrameFixture frame(200, 200, 150);
        ASSERT_EQ(BuildMattingTile(0), kOk);
        const PixelBlock& tile = frame.Tile().block;
        ASSERT_EQ(tile.width, 100);
        ASSERT_EQ(tile.height, 100);
        const PixelBlock& thumbnail = gDisplayState->albums[0].mattingThumbnail;
        for (int y = 0; y < 100; ++y) EXPECT_EQ(0, std::memcmp(tile.Row(y), thumbnail.Row(y), 300)) << y;
    }
    {
        // Above 19 pixels but smaller than the 100-pixel tile: copying would
        // read past the thumbnail.
        FrameFixture frame(200, 200, 50);
        EXPECT_EQ(BuildMattingTile(0), kErrInvalidArgument);
        EXPECT_TRUE(frame.Tile().block.Empty());
    }
    {
        FrameFixture frame(200, 200, 100);
        gDisplayState->albums[0].mattingThumbnail = ThumbnailPattern(19);
        EXPECT_EQ(BuildMattingTile(0), kErrInvalidArgument);
        gDisplayState->albums[0].mattingThumbnail = ThumbnailPattern(100);
        FreeAlbumView(gDisplayState->albums[0].view);
        EXPECT_EQ(BuildMattingTile(0), kErrInvalidArgument) << "no view";
    }
}

TEST(FrameTile, PreviewUsesTwentyPixelBands) {
    FrameFixture frame(40, 30, 20, true);
    ASSERT_EQ(BuildMattingTile(0), kOk);
    EXPECT_EQ(frame.Tile().stepX, 20);
    ASSERT_EQ(DrawMattingTiles(0), kOk);
    std::string where;
    EXPECT_TRUE(frame.BandsShowTiles(0, &where)) << where;
}

TEST(FrameDraw, RepaintDrawsBandsViewportAndPhraseAndCopiesTheBitmap) {
    FrameFixture frame(1000, 800);
    ASSERT_EQ(BuildMattingTile(0), kOk);
    SetAlbumPhrase(0, L"Lake at dawn", 12);

    Canvas window(1200, 1000);
    window.Fill(0x123456);
    ASSERT_EQ(DrawAlbumFrame(0, 1, window.Dc()), kOk);

    EXPECT_TRUE(frame.ViewportShown(frame.Bitmap())) << "viewport at (B, B)";
    EXPECT_TRUE(frame.ViewportShown(window)) << "the memory bitmap reaches the target";
    EXPECT_EQ(window.Rows(0, 1000), frame.Bitmap().Rows(0, 1000));
    std::string where;
    // The phrase is written in the top band only.
    EXPECT_TRUE(frame.BandsShowTiles(100, &where)) << where;
    int phrasePixels = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 1200; ++x)
            if (frame.Bitmap().Bgr(x, y) == 0xFFFF00u) ++phrasePixels;  // the yellow text colour
    EXPECT_GT(phrasePixels, 50);
}

TEST(FrameDraw, TimerTickCopiesTheStripAsGdiWouldAndBlitsTheViewportAlone) {
    FrameFixture frame(400, 300);
    ASSERT_EQ(BuildMattingTile(0), kOk);
    SetAlbumPhrase(0, L"Fjord", 5);
    Canvas window(600, 500);
    ASSERT_EQ(DrawAlbumFrame(0, 1, window.Dc()), kOk);
    const std::vector<std::uint32_t> shownBands = window.Rows(0, 100);

    // A strip of every colour the pixels' bytes can make; the pan step
    // writes its window into the memory bitmap.
    AlbumSlot& slot = gDisplayState->albums[0];
    slot.strip = PixelBlock::Make(800, 480);
    for (std::size_t i = 0; i < slot.strip.pixels.size(); ++i)
        slot.strip.pixels[i] = static_cast<std::uint8_t>(i * 7 + i / 2400);
    frame.View()->pan = StartPan(800, 480);
    frame.Bitmap().Fill(0x0000FF);
    ASSERT_EQ(PanStep(0), kOk);
    ASSERT_EQ(DrawAlbumFrame(0, 0, window.Dc()), kOk);
    EXPECT_EQ(frame.Bitmap().Bgr(0, 0), 0x0000FFu) << "bands stay as they were between repaints";
    EXPECT_EQ(window.Rows(0, 100), shownBands) << "only the viewport reaches the window";

    // The same window copied out as 24-bit rows and drawn by GDI, as the
    // frame was drawn before the pan step wrote it itself.
    PixelBlock rows = PixelBlock::Make(400, 300);
    for (int y = 0; y < 300; ++y) std::memcpy(rows.Row(y), slot.strip.Row(90 + y) + 200 * 3, 400 * 3);
    Canvas expected(400, 300);
    BITMAPINFOHEADER header = {sizeof(BITMAPINFOHEADER), 400, -300, 1, 24, BI_RGB, 400 * 3 * 300, 0, 0, 0, 0};
    ASSERT_EQ(SetDIBitsToDevice(expected.Dc(), 0, 0, 400, 300, 0, 0, 0, 300, rows.pixels.data(),
                                reinterpret_cast<const BITMAPINFO*>(&header), DIB_RGB_COLORS),
              300);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x) ASSERT_EQ(window.Bgr(100 + x, 100 + y), expected.Bgr(x, y)) << x << ", " << y;
    frame.PaintViewport();

    // A view whose memory bitmap was never made (a display of the wrong
    // depth) fails the frame instead of drawing nowhere.
    frame.View()->memoryDc.release();
    EXPECT_EQ(DrawAlbumFrame(0, 0, window.Dc()), kErrBitmapDisplay);
    EXPECT_EQ(DrawAlbumFrame(0, 1, window.Dc()), kErrBitmapDisplay);
    // Without a window and without a target there is nowhere to copy to.
    frame.View()->memoryDc.reset(frame.Bitmap().Dc());
    EXPECT_EQ(DrawAlbumFrame(0, 0, nullptr), kErrInvalidArgument);
    // Nothing to draw before the viewport exists.
    frame.View()->viewport = {};
    EXPECT_EQ(DrawAlbumFrame(0, 1, window.Dc()), kOk);
}

TEST(FrameDraw, ViewportHeaderMustMatchTheBlock) {
    FrameFixture frame(400, 300);
    ASSERT_EQ(BuildMattingTile(0), kOk);
    Canvas window(600, 500);
    frame.View()->viewportHeader.biHeight = -400;  // would read 100 rows past the block
    EXPECT_EQ(DrawAlbumFrame(0, 0, window.Dc()), kErrInvalidArgument);
}

// The top band as drawn with the given saver flag, saver phrase and album
// phrase.
std::vector<std::uint32_t> TopBand(FrameFixture& frame, bool saver, const wchar_t* saverPhrase,
                                   const wchar_t* albumPhrase) {
    gMode.role = saver ? Role::kSaver : Role::kNone;
    wcscpy(gUserSettings->screenSaverPhrase, saverPhrase);
    SetAlbumPhrase(0, albumPhrase, static_cast<int>(wcslen(albumPhrase)));
    Canvas window(600, 500);
    EXPECT_EQ(DrawAlbumFrame(0, 1, window.Dc()), kOk);
    gMode.role = Role::kNone;
    return frame.Bitmap().Rows(0, 100);
}

TEST(FrameDraw, SaverPhraseReplacesTheAlbumPhraseOnlyWhenSet) {
    FrameFixture frame(400, 300);
    ASSERT_EQ(BuildMattingTile(0), kOk);
    const auto plain = TopBand(frame, false, L"", L"");
    const auto album = TopBand(frame, false, L"Out to lunch", L"Glacier");
    const auto saverEmpty = TopBand(frame, true, L"", L"Glacier");
    const auto saverSet = TopBand(frame, true, L"Out to lunch", L"Glacier");
    const auto albumSaverText = TopBand(frame, false, L"", L"Out to lunch");
    EXPECT_NE(album, plain);
    EXPECT_EQ(saverEmpty, album) << "an empty saver phrase leaves the album's own";
    EXPECT_EQ(saverSet, albumSaverText);
    EXPECT_NE(saverSet, album);
}

TEST(FrameDraw, PreviewDrawsNoPhrase) {
    FrameFixture frame(40, 30, 20, true);
    ASSERT_EQ(BuildMattingTile(0), kOk);
    SetAlbumPhrase(0, L"WWWWWWWW", 8);
    Canvas window(80, 70);
    ASSERT_EQ(DrawAlbumFrame(0, 1, window.Dc()), kOk);
    std::string where;
    EXPECT_TRUE(frame.BandsShowTiles(0, &where)) << where;
    EXPECT_TRUE(frame.ViewportShown(window));
}

TEST(FramePhrase, CopiesAtMostTheGivenLengthAndClears) {
    FrameFixture frame(40, 30);
    SetAlbumPhrase(0, L"Northern lights", 8);
    EXPECT_STREQ(frame.View()->phrase, L"Northern");
    const std::wstring longText(300, L'x');
    SetAlbumPhrase(0, longText.c_str(), 300);
    EXPECT_EQ(std::wstring(frame.View()->phrase), std::wstring(199, L'x'));
    SetAlbumPhrase(0, L"Dunes", 0);
    EXPECT_STREQ(frame.View()->phrase, L"");
    SetAlbumPhrase(0, L"Dunes", 5);
    SetAlbumPhrase(0, nullptr, 5);
    EXPECT_STREQ(frame.View()->phrase, L"");
    // Album 2 has no view here: its phrase goes nowhere, not into album 1.
    SetAlbumPhrase(0, L"Dunes", 5);
    SetAlbumPhrase(1, L"no view", 7);
    EXPECT_STREQ(frame.View()->phrase, L"Dunes");
    EXPECT_EQ(gDisplayState->albums[1].view, nullptr);
}

TEST(FrameView, PrepareTakesColourPhraseAndFontFromTheSettings) {
    ProcessRecords records;
    wcscpy(gUserSettings->fontName, L"Tahoma");
    gUserSettings->fontSize = 72;
    gUserSettings->fontItalic = 1;
    gUserSettings->fontBold = 0;
    gUserSettings->fontColour[0] = RGB(1, 2, 3);
    gUserSettings->fontColour[1] = RGB(4, 5, 6);
    wcscpy(gUserSettings->phrase[0], L"Sea cliffs");
    wcscpy(gUserSettings->phrase[1], L"Pines");

    ASSERT_EQ(PrepareAlbumView(0), kOk);
    ASSERT_NE(gDisplayState->albums[0].view, nullptr);
    EXPECT_EQ(gDisplayState->albums[0].view->textColour, RGB(1, 2, 3));
    EXPECT_STREQ(gDisplayState->albums[0].view->phrase, L"Sea cliffs");
    const LOGFONTW& font = gDisplayState->phraseLogFont;
    EXPECT_EQ(font.lfHeight, -96);
    EXPECT_EQ(font.lfItalic, TRUE);
    EXPECT_EQ(font.lfWeight, FW_NORMAL);
    EXPECT_STREQ(font.lfFaceName, L"Tahoma");
    EXPECT_EQ(font.lfOutPrecision, OUT_STROKE_PRECIS);
    EXPECT_EQ(font.lfQuality, DRAFT_QUALITY);
    ASSERT_NE(gDisplayState->phraseFont, nullptr);
    const HFONT firstFont = gDisplayState->phraseFont;

    // Album 2 gets its own view and leaves the shared font alone.
    ASSERT_EQ(PrepareAlbumView(1), kOk);
    EXPECT_EQ(gDisplayState->albums[1].view->textColour, RGB(4, 5, 6));
    EXPECT_STREQ(gDisplayState->albums[1].view->phrase, L"Pines");
    EXPECT_EQ(gDisplayState->phraseFont, firstFont);

    // Preparing again replaces the view.
    gDisplayState->albums[0].view->viewportWidth = 8;
    ASSERT_EQ(PrepareAlbumView(0), kOk);
    EXPECT_EQ(gDisplayState->albums[0].view->viewportWidth, 0);

    for (AlbumSlot& slot : gDisplayState->albums) FreeAlbumView(slot.view);
    DeleteObject(gDisplayState->phraseFont);
    gDisplayState->phraseFont = nullptr;
}

TEST(FrameView, EmptyFaceNameGivesTheDefaultFontAndMissingRecordsRefuse) {
    {
        ProcessRecords records;
        gDisplayState->phraseLogFont = {};
        gDisplayState->phraseLogFont.lfHeight = -20;
        ASSERT_EQ(CreatePhraseFont(), kOk);
        const LOGFONTW& font = gDisplayState->phraseLogFont;
        EXPECT_STREQ(font.lfFaceName, L"Highlight LET");
        EXPECT_EQ(font.lfHeight, -120);
        EXPECT_EQ(font.lfWeight, FW_BOLD);
        EXPECT_EQ(font.lfClipPrecision, CLIP_STROKE_PRECIS);
        EXPECT_EQ(font.lfPitchAndFamily, VARIABLE_PITCH);
        EXPECT_NE(gDisplayState->phraseFont, nullptr);
        DeleteObject(gDisplayState->phraseFont);
        gDisplayState->phraseFont = nullptr;

        UserSettings* settings = gUserSettings;
        gUserSettings = nullptr;
        EXPECT_EQ(PrepareAlbumView(0), kErrInvalidArgument);
        gUserSettings = settings;
        EXPECT_EQ(gDisplayState->albums[0].view, nullptr);
    }
    EXPECT_EQ(CreatePhraseFont(), kErrInvalidArgument) << "no DisplayState";
}

TEST(FrameJoin, AlbumPhotosJoinIntoTheSlotStripAndAreLetGo) {
    ProcessRecords records;
    AlbumSlot& slot = gDisplayState->albums[1];
    slot.photoCount = 2;
    slot.stitchMode = kStitchCollage;
    slot.photos[0].block = ThumbnailPattern(40);
    slot.photos[1].block = PixelBlock::Make(20, 30);
    ASSERT_EQ(JoinPhotos(gDisplayState->albums[1], 0), kOk);
    EXPECT_EQ(slot.strip.width, 90);
    EXPECT_EQ(slot.strip.height, 40);
    EXPECT_EQ(0, std::memcmp(slot.strip.Row(39), ThumbnailPattern(40).Row(39), 120));
    EXPECT_TRUE(slot.photos[0].block.Empty());
    EXPECT_TRUE(slot.photos[1].block.Empty());

    // A second join has no pixels left to join: the failure comes back
    // with its detail.
    EXPECT_NE(JoinPhotos(gDisplayState->albums[1], 0), kOk);
    EXPECT_EQ(std::wstring(gErrorLocation.extraText).rfind(L"JoinBitmaps Exception raised:", 0), 0u)
        << gErrorLocation.extraText;
    slot.photoCount = 0;
    EXPECT_EQ(JoinPhotos(gDisplayState->albums[1], 0), kErrInvalidArgument);
}

}  // namespace
}  // namespace quorvel
