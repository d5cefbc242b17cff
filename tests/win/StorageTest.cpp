// The album step on real folders and real pictures: default albums and
// boards, the album folders' checks, decoding of the photos and boards, the
// temporary folder, the theme value.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <map>
#include <set>
#include <vector>

#include "app/AlbumStep_win.h"
#include "base/ErrorReporter_win.h"
#include "storage/Storage_win.h"
#include "base/Utilities_win.h"
#include "imaging/Decode_win.h"
#include "strip/Strip_win.h"
#include "tests/win/BoxWatcher.h"
#include "tests/win/TestState.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

// Photos keep their smaller side above 300 pixels and boards above 100, as
// the program's size rules ask; each picture has its own colour so that the
// decoded pixels tell which file they came from.
constexpr std::uint32_t kZoomInColour = 0x2060C0;
constexpr std::uint32_t kZoomOutColour = 0xC06020;
constexpr int kBoardSide = 128;

std::uint32_t BoardColour(int i) { return 0x302010u * std::uint32_t(i) + 0x0F4080u; }

// What an installation puts beside the program, made in a temporary folder
// that is the current directory while the test runs. GDI+ runs as long as
// the content lives, as start-up keeps it for the album step.
class DefaultContent {
public:
    explicit DefaultContent(int boards = 3) {
        EXPECT_TRUE(gdiplus.Started());
        GetCurrentDirectoryW(MAX_PATH, previous_);
        CreateDirectoryW((folder / L"res").c_str(), nullptr);
        CreateDirectoryW((folder / L"QuorvelMattingBoards").c_str(), nullptr);
        EXPECT_TRUE(WriteImage(zoomIn(), 320, 240, kZoomInColour));
        EXPECT_TRUE(WriteImage(zoomOut(), 304, 304, kZoomOutColour));
        for (int i = 1; i <= boards; ++i) AddBoard(L"0" + std::to_wstring(i) + L".jpg", BoardColour(i));
        SetCurrentDirectoryW(folder.Path().c_str());
    }
    ~DefaultContent() { SetCurrentDirectoryW(previous_); }
    void AddBoard(const std::wstring& name, std::uint32_t rgb) {
        EXPECT_TRUE(WriteImage(folder / (L"QuorvelMattingBoards\\" + name), kBoardSide, kBoardSide, rgb));
        boardColours[name] = rgb;
    }
    // A file among the boards that is no picture at all.
    void AddOther(const std::wstring& name) { WriteBytes(folder / (L"QuorvelMattingBoards\\" + name), "cache"); }
    std::wstring zoomIn() const { return folder / L"res\\0V_0H_ZoomIn_2_256.png"; }
    std::wstring zoomOut() const { return folder / L"res\\0V_0H_ZoomOut_2_256.png"; }

    GdiplusSession gdiplus;
    TempFolder folder;
    std::map<std::wstring, std::uint32_t> boardColours;

private:
    wchar_t previous_[MAX_PATH] = L"";
};

std::wstring UserPath(const ProcessRecords& records, const std::wstring& relative) { return records.root / relative; }

// An album folder of `photos` copies of one real photo; files of any other
// extension are plain text.
void MakeAlbum(const std::wstring& folder, int photos, const wchar_t* extension = L".jpg", int width = 320,
               int height = 304, std::uint32_t rgb = 0x808040) {
    CreateDirectoryW(folder.c_str(), nullptr);
    if (photos == 0) return;
    const std::wstring first = folder + L"\\p1000" + extension;
    if (!WriteImage(first, width, height, rgb)) WriteBytes(first, "x");
    for (int i = 1; i < photos; ++i)
        CopyFileW(first.c_str(), (folder + L"\\p" + std::to_wstring(1000 + i) + extension).c_str(), FALSE);
}

// An albums root holding one album `name` of `photos` files, chosen as
// album `album` in the settings.
void ChooseNewAlbum(const ProcessRecords& records, int album, const wchar_t* name, int photos,
                    const wchar_t* extension = L".jpg") {
    MakeAlbum(UserPath(records, L"QuorvelAlbums"), 0);
    MakeAlbum(UserPath(records, std::wstring(L"QuorvelAlbums\\") + name), photos, extension);
    wcscpy(gUserSettings->albumFolderName[album], name);
}

// The pixel's colour as 0xRRGGBB from a BGR block.
std::uint32_t ColourAt(const PixelBlock& block, int x, int y) {
    const std::uint8_t* p = block.Row(y) + x * 3;
    return (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
}

// Every channel within `tolerance` (JPEG may shift a flat colour a little).
bool Near(std::uint32_t a, std::uint32_t b, int tolerance) {
    for (int shift = 0; shift <= 16; shift += 8)
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance) return false;
    return true;
}

// The album's board was decoded into its 100-pixel tile: centre and corner
// show the board's colour.
void ExpectTileOf(int album, std::uint32_t rgb) {
    const PixelBlock& tile = gDisplayState->albums[album].mattingThumbnail;
    ASSERT_EQ(tile.width, 100);
    ASSERT_EQ(tile.height, 100);
    EXPECT_TRUE(Near(ColourAt(tile, 50, 50), rgb, 6)) << std::hex << ColourAt(tile, 50, 50) << " " << rgb;
    EXPECT_TRUE(Near(ColourAt(tile, 0, 99), rgb, 6)) << std::hex << ColourAt(tile, 0, 99) << " " << rgb;
}

std::set<std::wstring> Mattings() { return {gUserSettings->mattingFile[0], gUserSettings->mattingFile[1]}; }

}  // namespace

TEST(PrepareAlbums, FirstRunMakesDefaultAlbumsBoardsAndTheSaverTempFolder) {
    ProcessRecords records;
    DefaultContent content;
    // Album 2 shown by an earlier start (a restart after the mapping
    // changed): no monitor shows it now, so it lets its pixels go.
    gDisplayState->albums[1].strip = PixelBlock::Make(64, 64);
    gDisplayState->albums[1].photos[0].block = PixelBlock::Make(64, 64);
    ASSERT_EQ(PrepareAlbums(), kOk);
    EXPECT_EQ(std::wstring(gUserSettings->albumsPath), UserPath(records, L"QuorvelAlbums"));
    EXPECT_EQ(std::wstring(gUserSettings->mattingsPath), UserPath(records, L"QuorvelMattingBoards"));
    const std::string zoomIn = ReadBytes(content.zoomIn()), zoomOut = ReadBytes(content.zoomOut());
    ASSERT_FALSE(zoomIn.empty());
    EXPECT_EQ(ReadBytes(UserPath(records, L"QuorvelAlbums\\DefaultAlbum1\\0V_0H_ZoomIn_2_256.png")), zoomIn);
    EXPECT_EQ(ReadBytes(UserPath(records, L"QuorvelAlbums\\DefaultAlbum2\\0V_0H_ZoomOut_2_256.png")), zoomOut);
    // Album 1 is decoded: its one photo's size in memory and its cache copy
    // beside it, which the join reads at the photo's colour. Album 2, which no monitor
    // shows, is only counted: no pixels, no cache copy yet.
    const struct {
        const wchar_t* folder;
        const wchar_t* cache;
        int width, height;
        std::uint32_t rgb;
    } expected[] = {{L"DefaultAlbum1", L"0V_0H_ZoomIn_2_256.BMP", 320, 240, kZoomInColour},
                    {L"DefaultAlbum2", L"0V_0H_ZoomOut_2_256.BMP", 304, 304, kZoomOutColour}};
    for (int a = 0; a < 2; ++a) {
        SCOPED_TRACE(a);
        const AlbumSlot& slot = gDisplayState->albums[a];
        EXPECT_EQ(std::wstring(slot.folderName), expected[a].folder);
        EXPECT_EQ(slot.photoCount, 1);
        EXPECT_EQ(slot.photoType, 4);  // png
        ExpectTileOf(a, content.boardColours.at(gUserSettings->mattingFile[a]));
        if (a == 1) {
            EXPECT_TRUE(slot.photos[0].block.Empty());
            EXPECT_TRUE(slot.strip.Empty());
            EXPECT_FALSE(PathExists(UserPath(records, L"QuorvelAlbums\\DefaultAlbum2\\BMP").c_str()));
            continue;
        }
        const PhotoRecord& photo = slot.photos[0];
        EXPECT_EQ(photo.fileName, reinterpret_cast<const char16_t*>(expected[a].cache));
        ASSERT_EQ(photo.block.width, expected[a].width);
        ASSERT_EQ(photo.block.height, expected[a].height);
        // Only the photo's size is held; the join reads its cache copy
        // straight into the strip.
        EXPECT_TRUE(photo.block.pixels.empty());
        ASSERT_EQ(JoinPhotos(gDisplayState->albums[0], 0), kOk);
        EXPECT_EQ(ColourAt(slot.strip, expected[a].width - 1, expected[a].height - 1), expected[a].rgb);
        EXPECT_TRUE(PathExists(
            UserPath(records, std::wstring(L"QuorvelAlbums\\") + expected[a].folder + L"\\BMP\\" + expected[a].cache)
                .c_str()));
    }
    EXPECT_TRUE(PathExists(UserPath(records, L"QuorvelMattingBoards\\03.jpg").c_str()));
    EXPECT_EQ(Mattings().size(), 2u);
    EXPECT_EQ(std::wstring(gAppState->tempFolder), UserPath(records, L"TempSaver"));
    EXPECT_TRUE(PathExists(gAppState->tempFolder));
    EXPECT_EQ(gUserSettings->fontSize, -72);
    EXPECT_EQ(std::wstring(gUserSettings->fontName), L"Milano LET");
    EXPECT_EQ(gUserSettings->fontColour[0], 0xFF0000u);
    EXPECT_EQ(gUserSettings->fontColour[1], 0x00FF00u);
}

TEST(PrepareAlbums, TheRegularProgramUsesTempExe) {
    ProcessRecords records;
    DefaultContent content;
    gMode.role = Role::kProgram;
    ASSERT_EQ(PrepareAlbums(), kOk);
    EXPECT_EQ(std::wstring(gAppState->tempFolder), UserPath(records, L"TempExe"));
    EXPECT_FALSE(PathExists(UserPath(records, L"TempSaver").c_str()));
}

TEST(PrepareAlbums, EmptyOrMissingPathsMeanTheDefaultFolders) {
    ProcessRecords records;
    DefaultContent content;
    MakeAlbum(UserPath(records, L"QuorvelAlbums"), 0);
    MakeAlbum(UserPath(records, L"QuorvelAlbums\\Alps"), 2);
    CreateDirectoryW(UserPath(records, L"QuorvelMattingBoards").c_str(), nullptr);
    ASSERT_TRUE(WriteImage(UserPath(records, L"QuorvelMattingBoards\\mine.jpg"), 150, 120, 0x40A0E0));
    wcscpy(gUserSettings->albumsPath, UserPath(records, L"Gone").c_str());
    wcscpy(gUserSettings->albumFolderName[0], L"Alps");
    wcscpy(gUserSettings->albumFolderName[1], L"Alps");
    wcscpy(gUserSettings->mattingFile[0], L"mine.jpg");
    wcscpy(gUserSettings->mattingFile[1], L"mine.jpg");
    {
        BoxWatcher watcher;
        ASSERT_EQ(PrepareAlbums(), kOk);
        EXPECT_TRUE(watcher.Boxes().empty());
    }
    // The fall-back is silent: no box, no log, and the folder the settings
    // named is not made.
    EXPECT_FALSE(PathExists(UserPath(records, L"Quorvel_ErrorsLog.csv").c_str()));
    EXPECT_FALSE(PathExists(UserPath(records, L"Gone").c_str()));
    EXPECT_EQ(std::wstring(gUserSettings->albumsPath), UserPath(records, L"QuorvelAlbums"));
    EXPECT_EQ(std::wstring(gUserSettings->mattingsPath), UserPath(records, L"QuorvelMattingBoards"));
    for (int a = 0; a < 2; ++a) {
        SCOPED_TRACE(a);
        const AlbumSlot& slot = gDisplayState->albums[a];
        EXPECT_EQ(slot.photoCount, 2);
        ExpectTileOf(a, 0x40A0E0);
        if (a == 1) continue;  // not shown, so not decoded
        EXPECT_EQ(slot.photos[1].block.width, 320);
        EXPECT_EQ(slot.photos[1].block.height, 304);
        EXPECT_TRUE(slot.photos[2].block.Empty());
    }
    // The root existed, so no default album was made, and the boards found
    // there stand.
    EXPECT_FALSE(PathExists(UserPath(records, L"QuorvelAlbums\\DefaultAlbum1").c_str()));
    EXPECT_FALSE(PathExists(UserPath(records, L"QuorvelMattingBoards\\01.jpg").c_str()));
    EXPECT_EQ(std::wstring(gUserSettings->mattingFile[0]), L"mine.jpg");
}

// A photo removed after the album's folder was counted and before it is
// decoded (another program, the user in Explorer): the album is the photos
// that are left, with no box.
TEST(PrepareAlbums, APhotoGoneBetweenTheCountAndTheDecodeIsLeftOut) {
    ProcessRecords records;
    DefaultContent content;
    ChooseNewAlbum(records, 0, L"Hills", 3);
    ASSERT_EQ(SettleAlbumsRoot(), kOk);
    ASSERT_EQ(PrepareAlbumSlot(0), kOk);
    ASSERT_EQ(gDisplayState->albums[0].photoCount, 3);
    ASSERT_TRUE(DeleteFileW(UserPath(records, L"QuorvelAlbums\\Hills\\p1001.jpg").c_str()));
    EXPECT_EQ(DecodeAlbum(gDisplayState->albums[0], ReadPhotoOrder(0)), kOk);
    EXPECT_EQ(gDisplayState->albums[0].photoCount, 2);
}

// Seventy photos is the limit itself: no warning. One more is warned
// about; the album shows the first seventy and the user's file stays.
TEST(PrepareAlbums, SeventyOnePhotosWarnAndKeepSeventy) {
    ProcessRecords records;
    DefaultContent content;
    ChooseNewAlbum(records, 0, L"Big", 70);
    {
        BoxWatcher watcher;
        ASSERT_EQ(SettleAlbumsRoot(), kOk);
        ASSERT_EQ(PrepareAlbumSlot(0), kOk);
        EXPECT_TRUE(watcher.Boxes().empty());
    }
    EXPECT_EQ(gDisplayState->albums[0].photoCount, 70);
    const std::wstring big = UserPath(records, L"QuorvelAlbums\\Big");
    ASSERT_TRUE(CopyFileW((big + L"\\p1000.jpg").c_str(), (big + L"\\p1070.jpg").c_str(), FALSE));
    std::vector<SeenBox> boxes;
    {
        BoxWatcher watcher;
        ASSERT_EQ(PrepareAlbums(), kOk);
        boxes = watcher.Boxes();
    }
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"Big contains 71 pictures. Maximum allowed is: 70");
    EXPECT_EQ(boxes[0].caption, std::wstring(gAppState->caption));
    const AlbumSlot& slot = gDisplayState->albums[0];
    EXPECT_EQ(slot.photoCount, 70);
    EXPECT_EQ(slot.photos[69].block.width, 320);
    int cached = 0;
    ASSERT_EQ(CountFiles(UserPath(records, L"QuorvelAlbums\\Big\\BMP").c_str(), L"*.BMP", &cached), kOk);
    EXPECT_EQ(cached, 70);
    int photos = 0;
    ASSERT_EQ(CountFiles(big.c_str(), L"*.jpg", &photos), kOk);
    EXPECT_EQ(photos, 71);
}

TEST(PrepareAlbums, AnAlbumOfTextFilesIsReplacedByTheDefaultAlbum) {
    ProcessRecords records;
    DefaultContent content;
    ChooseNewAlbum(records, 1, L"Notes", 3, L".txt");
    ASSERT_EQ(PrepareAlbums(), kOk);
    EXPECT_EQ(std::wstring(gDisplayState->albums[1].folderName), L"DefaultAlbum2");
    // The choice is replaced for this run only: start-up writes no settings,
    // and the user's folder is left as it was.
    EXPECT_EQ(std::wstring(gUserSettings->albumFolderName[1]), L"DefaultAlbum2");
    EXPECT_FALSE(PathExists(records.settingsFile().c_str()));
    EXPECT_EQ(Listing(UserPath(records, L"QuorvelAlbums\\Notes")), (Names{L"p1000.txt", L"p1001.txt", L"p1002.txt"}));
    EXPECT_EQ(gDisplayState->albums[1].photoCount, 1);
    ASSERT_EQ(DecodeAlbum(gDisplayState->albums[1], ReadPhotoOrder(1)), kOk);
    EXPECT_EQ(ColourAt(gDisplayState->albums[1].photos[0].block, 0, 0), kZoomOutColour);
}

TEST(PrepareAlbums, UnsafeNamesFromTheSettingsFileCountAsMissing) {
    ProcessRecords records;
    DefaultContent content;
    MakeAlbum(UserPath(records, L"QuorvelAlbums"), 0);
    MakeAlbum(UserPath(records, L"Outside"), 2);
    ASSERT_TRUE(WriteImage(UserPath(records, L"Outside\\board.jpg"), kBoardSide, kBoardSide, 0xFFFFFF));
    CreateDirectoryW(UserPath(records, L"QuorvelMattingBoards").c_str(), nullptr);
    ASSERT_TRUE(WriteImage(UserPath(records, L"QuorvelMattingBoards\\mine.jpg"), kBoardSide, kBoardSide, 0x000000));
    wcscpy(gUserSettings->albumFolderName[0], L"..\\Outside");
    wcscpy(gUserSettings->albumFolderName[1], UserPath(records, L"Outside").c_str());
    wcscpy(gUserSettings->mattingFile[0], L"..\\Outside\\board.jpg");
    wcscpy(gUserSettings->mattingFile[1], L"mine.jpg");
    ASSERT_EQ(PrepareAlbums(), kOk);
    EXPECT_EQ(std::wstring(gDisplayState->albums[0].folderName), L"DefaultAlbum1");
    EXPECT_EQ(std::wstring(gDisplayState->albums[1].folderName), L"DefaultAlbum2");
    // The unsafe board name brought the default boards back, and both
    // albums' boards are now two of them.
    EXPECT_TRUE(PathExists(UserPath(records, L"QuorvelMattingBoards\\01.jpg").c_str()));
    const std::set<std::wstring> defaults = {L"01.jpg", L"02.jpg", L"03.jpg"};
    for (int a = 0; a < 2; ++a) {
        EXPECT_EQ(defaults.count(gUserSettings->mattingFile[a]), 1u);
        ExpectTileOf(a, content.boardColours.at(gUserSettings->mattingFile[a]));
    }
    EXPECT_EQ(Mattings().size(), 2u);
}

TEST(PrepareAlbums, TheSettingsStitchModeOutlastsAMismatchFoundInDecoding) {
    ProcessRecords records;
    DefaultContent content;
    const std::wstring mixed = UserPath(records, L"QuorvelAlbums\\Mixed");
    MakeAlbum(UserPath(records, L"QuorvelAlbums"), 0);
    MakeAlbum(mixed, 1, L".png", 400, 304);
    ASSERT_TRUE(WriteImage(mixed + L"\\p2000.png", 304, 400, 0x204020));
    wcscpy(gUserSettings->albumFolderName[0], L"Mixed");
    gUserSettings->stitchMode[0] = 1;
    ASSERT_EQ(PrepareAlbums(), kOk);
    const AlbumSlot& slot = gDisplayState->albums[0];
    EXPECT_EQ(slot.photoCount, 2);
    // Decoding found the mismatch; start-up then takes the mode from the
    // settings, which the user chose knowing the album.
    EXPECT_EQ(slot.sizeMismatch, 1);
    EXPECT_EQ(slot.stitchMode, 1);
}

TEST(PrepareAlbums, ABoardTooSmallEndsTheStep) {
    ProcessRecords records;
    DefaultContent content;
    MakeAlbum(UserPath(records, L"QuorvelAlbums"), 0);
    MakeAlbum(UserPath(records, L"QuorvelAlbums\\Small"), 2);
    CreateDirectoryW(UserPath(records, L"QuorvelMattingBoards").c_str(), nullptr);
    ASSERT_TRUE(WriteImage(UserPath(records, L"QuorvelMattingBoards\\mine.jpg"), 150, 90, 0x808080));
    wcscpy(gUserSettings->albumFolderName[0], L"Small");
    for (int a = 0; a < 2; ++a) wcscpy(gUserSettings->mattingFile[a], L"mine.jpg");
    EXPECT_EQ(PrepareAlbums(), kErrMattingTooSmall);
    // Nothing after the failing step ran.
    EXPECT_FALSE(PathExists(UserPath(records, L"TempSaver").c_str()));
    EXPECT_EQ(gAppState->tempFolder[0], L'\0');
}

// The saver's preview, whose photos are too small to show: the album gives
// way to the default album, and no box comes up inside the settings of
// Windows (the program and the saver are proved end to end).
TEST(PrepareAlbums, APreviewAlbumWithoutAPhotoThatShowsGivesWayToTheDefaultAlbum) {
    ProcessRecords records;
    DefaultContent content;
    gMode.role = Role::kPreview;
    ChooseNewAlbum(records, 0, L"Small", 0);
    MakeAlbum(UserPath(records, L"QuorvelAlbums\\Small"), 2, L".jpg", 320, 16);
    BoxWatcher watcher;
    ASSERT_EQ(PrepareAlbums(), kOk);
    EXPECT_TRUE(watcher.Boxes().empty());
    EXPECT_EQ(std::wstring(gDisplayState->albums[0].folderName), L"DefaultAlbum1");
    EXPECT_EQ(gDisplayState->albums[0].photoCount, 1);
}

// A boards folder the user chose may hold a picture of their own under a
// default board's name: the albums take default boards, copied now or
// before, not the user's picture.
TEST(CopyDefaultMattings, TheAlbumsTakeDefaultBoardsNotTheUsersOfTheSameName) {
    ProcessRecords records;
    DefaultContent content(3);
    const std::wstring boards = UserPath(records, L"Boards");
    CreateDirectoryW(boards.c_str(), nullptr);
    ASSERT_TRUE(WriteBytes(boards + L"\\01.jpg", "the user's own picture"));
    wcscpy(gUserSettings->mattingsPath, boards.c_str());
    for (int run = 0; run < 2; ++run) {
        ASSERT_EQ(CopyDefaultMattings(), kOk);
        EXPECT_EQ(Mattings(), (std::set<std::wstring>{L"02.jpg", L"03.jpg"})) << "run " << run;
    }
}

// Explorer's thumbnail cache beside the one board is no second board, and
// is not copied (which names are such caches is IsThumbnailCacheName's).
TEST(CopyDefaultMattings, OneBoardGives10052) {
    ProcessRecords records;
    DefaultContent content(1);
    content.AddOther(L"thumbs.db");
    CreateDirectoryW(UserPath(records, L"Boards").c_str(), nullptr);
    wcscpy(gUserSettings->mattingsPath, UserPath(records, L"Boards").c_str());
    EXPECT_EQ(CopyDefaultMattings(), kErrMissingMatting);
    EXPECT_EQ(Listing(UserPath(records, L"Boards")), Names{L"01.jpg"});
}

// While both chosen boards are there the boards folder stays as the user
// made it. A chosen board that has gone brings back the default boards the
// folder lacks; a file already there, a default board the user changed or
// a picture of their own, is never replaced.
TEST(PrepareMattings, AChosenBoardGoneBringsBackOnlyTheMissingDefaultBoards) {
    ProcessRecords records;
    DefaultContent content(3);
    const std::wstring boards = UserPath(records, L"QuorvelMattingBoards");
    CreateDirectoryW(boards.c_str(), nullptr);
    ASSERT_TRUE(WriteImage(boards + L"\\01.jpg", kBoardSide, kBoardSide, 0x102030));
    ASSERT_TRUE(WriteImage(boards + L"\\mine.jpg", kBoardSide, kBoardSide, 0x302010));
    const std::string changed = ReadBytes(boards + L"\\01.jpg");
    wcscpy(gUserSettings->mattingFile[0], L"01.jpg");
    wcscpy(gUserSettings->mattingFile[1], L"mine.jpg");
    ASSERT_EQ(PrepareMattings(), kOk);
    EXPECT_EQ(Listing(boards), (Names{L"01.jpg", L"mine.jpg"}));

    wcscpy(gUserSettings->mattingFile[1], L"gone.jpg");
    ASSERT_EQ(PrepareMattings(), kOk);
    EXPECT_EQ(Listing(boards), (Names{L"01.jpg", L"02.jpg", L"03.jpg", L"mine.jpg"}));
    EXPECT_EQ(ReadBytes(boards + L"\\01.jpg"), changed);
    EXPECT_EQ(ReadBytes(boards + L"\\02.jpg"), ReadBytes(content.folder / L"QuorvelMattingBoards\\02.jpg"));
}

TEST(CopyDefaultMattings, EmptyPathMeansTheDefaultFolder) {
    ProcessRecords records;
    DefaultContent content(2);
    CreateDirectoryW(UserPath(records, L"QuorvelMattingBoards").c_str(), nullptr);
    ASSERT_EQ(CopyDefaultMattings(), kOk);
    EXPECT_TRUE(PathExists(UserPath(records, L"QuorvelMattingBoards\\02.jpg").c_str()));
}

TEST(DefaultContentPath, FallsBackToTheProgramsOwnFolder) {
    ProcessRecords records;
    TempFolder elsewhere;
    wchar_t previous[MAX_PATH], program[MAX_PATH], path[kPathChars];
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(elsewhere.Path().c_str());
    DefaultContentPath(L"res\\0V_0H_ZoomIn_2_256.png", path);
    SetCurrentDirectoryW(previous);
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring folder = program;
    folder.resize(folder.rfind(L'\\'));
    EXPECT_EQ(std::wstring(path), folder + L"\\res\\0V_0H_ZoomIn_2_256.png");
}

TEST(CreateDefaultAlbum, AMissingPictureGives10033WithTheSource) {
    ProcessRecords records;
    TempFolder elsewhere;
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(elsewhere.Path().c_str());
    MakeAlbum(UserPath(records, L"QuorvelAlbums"), 0);
    const Status status = CreateDefaultAlbum(0);
    SetCurrentDirectoryW(previous);
    EXPECT_EQ(status, kErrCopyFile);
    EXPECT_NE(std::wstring(gErrorLocation.extraText).find(L"0V_0H_ZoomIn_2_256.png"), std::wstring::npos);
    EXPECT_EQ(CreateDefaultAlbum(2), kOk);
}

TEST(RemoveTempFiles, DeletesTheFiveBatchFilesAndTheFolder) {
    ProcessRecords records;
    const std::wstring temp = UserPath(records, L"TempExe");
    CreateDirectoryW(temp.c_str(), nullptr);
    for (const wchar_t* name :
         {L"FenwoldLok.bat", L"FenwoldNoLok.bat", L"ActivePowerPlan.txt", L"GetPowPl.bat", L"SetActPlan.bat"})
        WriteBytes(temp + L"\\" + name, "x");
    wcscpy(gAppState->tempFolder, temp.c_str());
    EXPECT_EQ(RemoveTempFiles(), kOk);
    EXPECT_FALSE(PathExists(temp.c_str()));
}

TEST(RemoveTempFiles, AnyOtherFileKeepsTheFolderAndGives10078) {
    ProcessRecords records;
    const std::wstring temp = UserPath(records, L"TempSaver");
    CreateDirectoryW(temp.c_str(), nullptr);
    WriteBytes(temp + L"\\GetPowPl.bat", "x");
    WriteBytes(temp + L"\\other.txt", "x");
    wcscpy(gAppState->tempFolder, temp.c_str());
    EXPECT_EQ(RemoveTempFiles(), kErrDeleteFolder);
    EXPECT_FALSE(PathExists((temp + L"\\GetPowPl.bat").c_str()));
    EXPECT_TRUE(PathExists((temp + L"\\other.txt").c_str()));
}

TEST(RemoveTempFiles, NothingToDoWithoutATempFolder) {
    ProcessRecords records;
    EXPECT_EQ(RemoveTempFiles(), kOk);
    wcscpy(gAppState->tempFolder, UserPath(records, L"Never").c_str());
    EXPECT_EQ(RemoveTempFiles(), kOk);
}

TEST(CurrentTheme, WritesReadsAndClearsTheValue) {
    ProcessRecords records;
    const wchar_t key[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes";
    HKEY themes = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &themes, nullptr),
              ERROR_SUCCESS);
    wchar_t saved[kThemeChars] = L"";
    const bool hadValue = GetCurrentTheme(saved) == kOk;
    wcscpy(gAppState->themeFolder, L"C:\\users\\ann\\Themes\\Quorvel");
    wchar_t theme[kThemeChars] = L"";
    ASSERT_EQ(SetCurrentTheme(1), kOk);
    ASSERT_EQ(GetCurrentTheme(theme), kOk);
    EXPECT_EQ(std::wstring(theme), L"C:\\users\\ann\\Themes\\Quorvel\\Quorvel.theme");
    ASSERT_EQ(SetCurrentTheme(0), kOk);
    ASSERT_EQ(GetCurrentTheme(theme), kOk);
    EXPECT_EQ(std::wstring(theme), L"");
    RegDeleteValueW(themes, L"CurrentTheme");
    EXPECT_EQ(GetCurrentTheme(theme), kErrRegistryMissing);
    EXPECT_EQ(std::wstring(gErrorLocation.extraText), L"CurrentTheme");
    EXPECT_EQ(GetCurrentTheme(nullptr), kErrInvalidArgument);
    if (hadValue)
        RegSetValueExW(themes, L"CurrentTheme", 0, REG_SZ, reinterpret_cast<const BYTE*>(saved),
                       DWORD((wcslen(saved) + 1) * sizeof(wchar_t)));
    RegCloseKey(themes);
}
