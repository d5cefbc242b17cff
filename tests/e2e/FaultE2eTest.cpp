// Faults from outside the program, injected into an installed Quorvel:
// broken photos, a hostile settings file and folders the program cannot
// write. Each run must give the user at most one clear message box, or the
// sound default, and leave every file of the user's as it was.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/Driver.h"
#include "tests/e2e/Scenario.h"

using namespace quorvel::e2e;

namespace {

const wchar_t kAlbum1Picture[] = L"0V_0H_ZoomIn_2_256.png";

std::wstring UserPath(const std::wstring& relative) {
    return JoinPath(JoinPath(RoamingAppData(), L"Fenwold Quorvel"), relative);
}
std::wstring Albums() { return UserPath(L"QuorvelAlbums"); }

bool SetUserSetting(const wchar_t* key, const std::wstring& value) {
    return WritePrivateProfileStringW(L"Header", key, value.c_str(), UserPath(L"Quorvel.ini").c_str()) != FALSE;
}

// The first message box of a run, answered; nothing when the run showed
// its album windows or ended without one.
std::optional<MessageBoxInfo> RunAndReadBox(const std::wstring& args = L"") {
    Process p;
    EXPECT_TRUE(p.Start(InstalledProgram(L"Quorvel.exe"), args)) << p.StartError();
    std::optional<MessageBoxInfo> box;
    bool shown = false;
    WaitUntil([&] {
        if (p.WaitExit(0)) return true;
        for (HWND w : TopLevelWindows(p.Pid())) {
            if (ClassName(w) == L"#32770" && (box = ReadMessageBox(w))) return true;
            shown = shown || ClassName(w) == L"Album1 Window";
        }
        return shown;
    });
    if (box) {
        EXPECT_TRUE(Answer(*box, IDOK));
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box->hwnd) || !p.IsRunning(); }));
    }
    // A second box fails the test here.
    EXPECT_TRUE(Finish(p).has_value());
    return box;
}

// Rows of the error log that name `name`.
int LogRowsNaming(const std::wstring& name) {
    const std::wstring log = ReadTextFile(UserPath(L"Quorvel_ErrorsLog.csv")).value_or(L"");
    int rows = 0;
    for (std::size_t at = log.find(name); at != std::wstring::npos; at = log.find(name, at + 1)) ++rows;
    return rows;
}

}  // namespace

// Photos a sync tool, a download or another program broke cost only
// themselves: the program and the saver start with the album's good photo,
// the saver without a box, the program naming them once; each run logs one
// row for each. An album with no photo that shows gives way to the default
// album. The album's photos are read, never written, whatever state they are in.
TEST(FaultPhotos, BrokenPhotosAreLeftOutAndTheAlbumStarts) {
    ASSERT_FALSE(RunAndReadBox().has_value());
    const auto good = ReadFileBytes(JoinPath(Albums(), std::wstring(L"DefaultAlbum1\\") + kAlbum1Picture));
    ASSERT_TRUE(good.has_value());
    const auto jpeg = ReadFileBytes(InstalledProgram(L"QuorvelMattingBoards\\01.jpg"));
    ASSERT_TRUE(jpeg.has_value());
    const std::string text = "These are my notes, not a photo.\r\n";
    const std::wstring broken = JoinPath(Albums(), L"Broken");
    ASSERT_TRUE(CreateDirectoryW(broken.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(JoinPath(broken, L"good.jpg"), *jpeg));
    ASSERT_TRUE(WriteFileBytes(JoinPath(broken, L"cut.jpg"), {jpeg->begin(), jpeg->begin() + jpeg->size() / 3}));
    ASSERT_TRUE(WriteFileBytes(JoinPath(broken, L"empty.jpg"), {}));
    ASSERT_TRUE(WriteFileBytes(JoinPath(broken, L"notes.jpg"), {text.begin(), text.end()}));
    ASSERT_TRUE(SetUserSetting(L"CurrentAlbumFolderName1", L"Broken"));
    const Snapshot before = TakeSnapshot(broken);
    const wchar_t* const left[] = {L"cut.jpg", L"empty.jpg", L"notes.jpg"};

    Process saver;
    ASSERT_TRUE(saver.Start(InstalledProgram(L"Quorvel.scr"), L"/s"));
    ASSERT_NE(WaitForAlbumWindow(saver), nullptr);
    EXPECT_EQ(Finish(saver), 0u) << "no box waits for nobody";
    for (const wchar_t* name : left) EXPECT_EQ(LogRowsNaming(name), 1) << Narrow(name);
    EXPECT_EQ(LogRowsNaming(L"good.jpg"), 0);
    EXPECT_EQ(ListFolder(JoinPath(broken, L"BMP")), std::vector<std::wstring>{L"good.BMP"}) << "the good photo shows";

    const auto box = RunAndReadBox();
    ASSERT_TRUE(box.has_value());
    for (const wchar_t* name : left) {
        EXPECT_NE(box->text.find(std::wstring(L"Broken\\") + name), std::wstring::npos) << Narrow(name);
        EXPECT_EQ(LogRowsNaming(name), 2) << Narrow(name);
    }
    EXPECT_EQ(box->text.find(L"good.jpg"), std::wstring::npos);
    EXPECT_EQ(TakeSnapshot(broken), before);

    // 20000 x 20000 (1.2 GB of pixels), refused by its header's size before
    // any of it is decoded, beside a PNG cut short: nothing of the album shows.
    const auto huge = ReadFileBytes(JoinPath(TestProgramFolder(), L"fixtures\\huge.png"));
    ASSERT_TRUE(huge.has_value());
    const std::wstring none = JoinPath(Albums(), L"NoneShows");
    ASSERT_TRUE(CreateDirectoryW(none.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(JoinPath(none, L"huge.png"), *huge));
    ASSERT_TRUE(WriteFileBytes(JoinPath(none, L"cut.png"), {good->begin(), good->begin() + good->size() / 3}));
    ASSERT_TRUE(SetUserSetting(L"CurrentAlbumFolderName1", L"NoneShows"));
    const Snapshot noneBefore = TakeSnapshot(none);
    Process saverAgain;
    ASSERT_TRUE(saverAgain.Start(InstalledProgram(L"Quorvel.scr"), L"/s"));
    ASSERT_NE(WaitForAlbumWindow(saverAgain), nullptr) << "the default album shows";
    EXPECT_EQ(Finish(saverAgain), 0u);
    EXPECT_EQ(LogRowsNaming(L"huge.png"), 1);
    const auto named = RunAndReadBox();
    ASSERT_TRUE(named.has_value());
    EXPECT_NE(named->text.find(L"NoneShows\\huge.png"), std::wstring::npos);
    EXPECT_NE(named->text.find(L"NoneShows\\cut.png"), std::wstring::npos);
    EXPECT_EQ(TakeSnapshot(none), noneBefore);
}

// Quorvel.ini edited by hand or by another program: folder names that
// climb out of the albums root, a phrase of 2 MB and text that is not
// valid UTF-16. The run goes on with the defaults and nothing outside the
// program's folders is touched.
TEST(FaultSettings, HostileValuesFallBackToTheDefaults) {
    ASSERT_FALSE(RunAndReadBox().has_value());
    const std::wstring outside = L"C:\\Outside";
    ASSERT_TRUE(CreateDirectoryW(outside.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(JoinPath(outside, L"Photos").c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(JoinPath(Albums(), std::wstring(L"DefaultAlbum1\\") + kAlbum1Picture).c_str(),
                          JoinPath(outside, std::wstring(L"Photos\\") + kAlbum1Picture).c_str(), FALSE));
    const Snapshot before = TakeSnapshot(outside);
    const std::wstring climb = L"..\\..\\..\\..\\..\\..\\Outside\\Photos";
    ASSERT_TRUE(SetUserSetting(L"CurrentAlbumFolderName1", climb));
    ASSERT_TRUE(SetUserSetting(L"CurrentMatting1",
                               L"..\\..\\..\\..\\..\\..\\Outside\\Photos\\" + std::wstring(kAlbum1Picture)));
    ASSERT_TRUE(SetUserSetting(L"CurrentUserSaying1", std::wstring(1 << 20, L'x')));
    const std::wstring broken = {L'A', wchar_t(0xD800), L'B', wchar_t(0xDC00), wchar_t(0xDFFF), wchar_t(0xD83D)};
    ASSERT_TRUE(SetUserSetting(L"CurrentUserSaying2", broken));
    ASSERT_TRUE(SetUserSetting(L"FontName", broken));

    EXPECT_FALSE(RunAndReadBox().has_value());
    EXPECT_EQ(TakeSnapshot(outside), before);
    EXPECT_EQ(ListFolder(JoinPath(outside, L"Photos")), std::vector<std::wstring>{kAlbum1Picture});
}

// ---- folders the program cannot write (mounted by tools/wine-test.sh) ----

#define SKIP_UNLESS_MOUNTED() \
    if (!GetEnv(L"QV_MOUNTED")) GTEST_SKIP() << "mounting is not permitted here, so no read-only or full folder"

bool SetInstalledSetting(const wchar_t* key, const std::wstring& value) {
    return WritePrivateProfileStringW(L"Header", key, value.c_str(),
                                      JoinPath(InstalledDataFolder(), L"Quorvel.ini").c_str()) != FALSE;
}

// An albums root the program cannot write, each from a first start. On a
// read-only volume, both albums showing the user's folder there, the
// album's cache folder cannot be made: one box says so, and the user's
// photo is untouched. On a volume too small for the cache the default
// albums' photos fit, their cache copies do not: one box, and no cut-short
// cache file is left to be taken for a sound one.
TEST(FaultVolumes, AnAlbumsRootThatCannotBeWrittenGivesOneBox) {
    SKIP_UNLESS_MOUNTED();
    {
        SCOPED_TRACE("a read-only albums root");
        ASSERT_TRUE(SetInstalledSetting(L"AlbumsPath", L"C:\\ReadOnly\\Albums"));
        ASSERT_TRUE(SetInstalledSetting(L"CurrentAlbumFolderName1", L"Mine"));
        ASSERT_TRUE(SetInstalledSetting(L"CurrentAlbumFolderName2", L"Mine"));
        const Snapshot before = TakeSnapshot(L"C:\\ReadOnly\\Albums");
        ASSERT_EQ(before.size(), 1u);
        const auto box = RunAndReadBox();
        ASSERT_TRUE(box.has_value());
        EXPECT_EQ(Narrow(box->text), "Unable to create folder");
        EXPECT_EQ(TakeSnapshot(L"C:\\ReadOnly\\Albums"), before);
    }
    SCOPED_TRACE("a full albums volume");
    ASSERT_TRUE(DeleteTree(JoinPath(RoamingAppData(), L"Fenwold Quorvel")));
    for (const wchar_t* key : {L"CurrentAlbumFolderName1", L"CurrentAlbumFolderName2"})
        ASSERT_TRUE(WritePrivateProfileStringW(L"Header", key, nullptr,
                                               JoinPath(InstalledDataFolder(), L"Quorvel.ini").c_str()));
    ASSERT_TRUE(CreateDirectoryW(L"Q:\\Albums", nullptr));
    ASSERT_TRUE(SetInstalledSetting(L"AlbumsPath", L"Q:\\Albums"));
    const auto box = RunAndReadBox();
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(Narrow(box->text), "Disk error in writing ");
    const Snapshot left = TakeSnapshot(L"Q:\\Albums\\DefaultAlbum1\\BMP");
    EXPECT_EQ(left.size(), 0u);
}

// The per-user folder read-only from the start: the first-time copy cannot
// make its folders there.
TEST(FaultReadOnlyUserFolder, GivesOneBox) {
    SKIP_UNLESS_MOUNTED();
    const auto box = RunAndReadBox();
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(Narrow(box->text), "Unable to create folder");
}
