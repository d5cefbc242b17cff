#include "storage/StorageRules.h"

#include <gtest/gtest.h>

using namespace quorvel;

TEST(IsSafeChildName, AcceptsPlainNames) {
    for (auto name :
         {u"DefaultAlbum1", u"Alps 2019", u"01.jpg", u"smiley.JPG", u"\u039a\u03b1\u03bb\u03ac", u".hidden", u"a.b.c"})
        EXPECT_TRUE(IsSafeChildName(name));
}

TEST(IsSafeChildName, RejectsNamesThatLeaveTheFolder) {
    for (auto name : {u"", u".", u"..", u"...", u"..\\x", u"../x", u"a\\b", u"a/b", u"C:", u"C:\\Windows",
                      u"\\\\server\\share", u"photos:stream", u"\\x"})
        EXPECT_FALSE(IsSafeChildName(name));
}

TEST(IsSafeChildName, RejectsCharactersWindowsRefuses) {
    for (auto name : {u"a*b", u"a?b", u"a\"b", u"a<b", u"a>b", u"a|b", u"a\tb", u"trailing.", u"trailing "})
        EXPECT_FALSE(IsSafeChildName(name));
    EXPECT_FALSE(IsSafeChildName(std::u16string(256, u'a')));
    EXPECT_TRUE(IsSafeChildName(std::u16string(255, u'a')));
}

TEST(IsSafeChildName, RejectsDeviceNames) {
    for (auto name : {u"CON", u"nul", u"Aux.jpg", u"com1", u"LPT9.png", u"prn .txt"})
        EXPECT_FALSE(IsSafeChildName(name));
    for (auto name : {u"console", u"com10", u"nullify.jpg", u"lpt"}) EXPECT_TRUE(IsSafeChildName(name));
}

TEST(IsThumbnailCacheName, SkipsEveryLeadingPartInAnyCase) {
    for (auto name : {u"thumbs.db", u"THUMBS.DB", u"Thumbs.Db", u"THUMBS", u"Thu", u"t", u"thumbs."})
        EXPECT_TRUE(IsThumbnailCacheName(name));
    for (auto name : {u"thumbs.dbx", u"thumbs.db.jpg", u"01.jpg", u"thumb1", u"humbs.db", u"xthumbs.db"})
        EXPECT_FALSE(IsThumbnailCacheName(name));
}

TEST(KeptAlbums, OnlyTheTwoDefaultAlbumsInAnyCase) {
    EXPECT_EQ(DefaultAlbumIndex(u"DefaultAlbum1"), 0);
    EXPECT_EQ(DefaultAlbumIndex(u"defaultalbum2"), 1);
    EXPECT_EQ(DefaultAlbumIndex(u"DefaultAlbum3"), -1);
    EXPECT_TRUE(IsKeptAlbumFolder(u"DEFAULTALBUM1"));
    EXPECT_FALSE(IsKeptAlbumFolder(u"Alps"));
    EXPECT_FALSE(IsKeptAlbumFolder(u"DefaultAlbum1 "));
}

TEST(KeptAlbums, EachDefaultAlbumKeepsItsInstalledPicture) {
    EXPECT_TRUE(IsKeptDefaultAlbumPhoto(0, u"0V_0H_ZoomIn_2_256.png"));
    EXPECT_TRUE(IsKeptDefaultAlbumPhoto(0, u"0v_0h_zoomin_2_256.PNG"));
    EXPECT_FALSE(IsKeptDefaultAlbumPhoto(0, u"0V_0H_ZoomOut_2_256.png"));
    EXPECT_FALSE(IsKeptDefaultAlbumPhoto(0, u"Orchid_Pink.jpg"));
    EXPECT_TRUE(IsKeptDefaultAlbumPhoto(1, u"0V_0H_ZoomOut_2_256.png"));
    EXPECT_TRUE(IsKeptDefaultAlbumPhoto(1, u"ORCHID_PINK.JPG"));
    EXPECT_FALSE(IsKeptDefaultAlbumPhoto(1, u"0V_0H_ZoomIn_2_256.png"));
    EXPECT_FALSE(IsKeptDefaultAlbumPhoto(2, u"0V_0H_ZoomOut_2_256.png"));
}

TEST(KeptBoards, NumberedOneToSixteenWithTwoDigitsAndThreeNamed) {
    EXPECT_TRUE(IsKeptBoard(u"01.jpg"));
    EXPECT_TRUE(IsKeptBoard(u"09.JPG"));
    EXPECT_TRUE(IsKeptBoard(u"16.jpg"));
    EXPECT_TRUE(IsKeptBoard(u"SMILEY.JPG"));
    EXPECT_TRUE(IsKeptBoard(u"smilies.jpg"));
    EXPECT_TRUE(IsKeptBoard(u"Sox.jpg"));
    for (auto name : {u"00.jpg", u"17.jpg", u"1.jpg", u"001.jpg", u"01.png", u"0a.jpg", u"01.jpeg", u"smiley.png"})
        EXPECT_FALSE(IsKeptBoard(name));
}

TEST(KeptUserFolder, SettingsHelpFilesAndTheTwoDataFolders) {
    for (auto name :
         {u"Quorvel.ini", u"QUORVEL.INI", u"QuorvelHelp.bat", u"QuorvelHelpAbout.bat", u"QuorvelHelpImportAlbums.bat",
          u"QuorvelHelpMattingBoards.bat", u"QuorvelHelpMonitorMapping.bat", u"QuorvelHelpOverlayPhrases.bat",
          u"QuorvelHelpPhotoPanel.bat", u"QuorvelHelpPowerScreenSaver.bat", u"quorvelterms.bat"})
        EXPECT_TRUE(IsKeptUserFile(name));
    for (auto name : {u"Quorvel_ErrorsLog.csv", u"QuorvelHelp.txt", u"FenwoldLok.bat", u"Quorvel.ini.new"})
        EXPECT_FALSE(IsKeptUserFile(name));
    EXPECT_TRUE(IsKeptUserFolder(u"QuorvelAlbums"));
    EXPECT_TRUE(IsKeptUserFolder(u"quorvelmattingboards"));
    EXPECT_FALSE(IsKeptUserFolder(u"TempExe"));
}

TEST(IsInsideFolder, OnlyWhatLiesBelowTheFolder) {
    const std::u16string user = u"C:\\Users\\ann\\AppData\\Roaming\\Fenwold Quorvel";
    EXPECT_TRUE(IsInsideFolder(user + u"\\QuorvelAlbums", user));
    EXPECT_TRUE(IsInsideFolder(u"c:/users/ANN/appdata/roaming/fenwold quorvel/x/", user));
    // The folder itself, however it is spelled, is not below it.
    EXPECT_FALSE(IsInsideFolder(user, user + u"\\"));
    EXPECT_FALSE(IsInsideFolder(user + u"\\.", user));
    EXPECT_FALSE(IsInsideFolder(user + u"\\. \\", user));
    EXPECT_FALSE(IsInsideFolder(user + u"\\QuorvelAlbums\\..", user));
    EXPECT_FALSE(IsInsideFolder(u"C:\\MyAlbums", user));
    EXPECT_FALSE(IsInsideFolder(user + u" Other\\Albums", user));  // a sibling sharing the prefix
    EXPECT_FALSE(IsInsideFolder(user + u"\\..\\Elsewhere", user));
    // A name that merely starts with two dots is an ordinary entry.
    EXPECT_TRUE(IsInsideFolder(user + u"\\..Albums", user));
    EXPECT_TRUE(IsInsideFolder(user + u"\\x\\..\u7a7a", user));
    EXPECT_FALSE(IsInsideFolder(u"", user));
    EXPECT_FALSE(IsInsideFolder(user, u""));
}

TEST(IsCleanableRoot, NoLinkFromTheRootUpToTheUserFolder) {
    const std::u16string user = u"C:\\Users\\ann\\AppData\\Roaming\\Fenwold Quorvel";
    const std::u16string linked = user + u"\\QuorvelAlbums";
    // The per-user folder is a link too here (a redirected profile): that one
    // is not the cleanup's concern.
    auto isLink = [&](std::u16string_view folder) { return folder == linked || folder == user; };
    EXPECT_TRUE(IsCleanableRoot(user + u"\\QuorvelMattingBoards", user, isLink));
    EXPECT_TRUE(IsCleanableRoot(user + u"\\Mine\\Boards\\", user, isLink));
    EXPECT_FALSE(IsCleanableRoot(linked, user, isLink));
    EXPECT_FALSE(IsCleanableRoot(linked + u"\\Below", user, isLink));
    EXPECT_FALSE(IsCleanableRoot(user, user, isLink));
    EXPECT_FALSE(IsCleanableRoot(u"D:\\Albums", user, isLink));
}

TEST(CheckAlbumFolder, TakesAFolderDirectlyBelowTheRootInAnyCase) {
    EXPECT_EQ(CheckAlbumFolder(u"C:\\Albums\\Lakes", u"c:\\albums"), AlbumFolderVerdict::Usable);
    EXPECT_EQ(CheckAlbumFolder(u"C:\\Albums", u"C:\\Albums"), AlbumFolderVerdict::NotOneLevelBelow);
    EXPECT_EQ(CheckAlbumFolder(u"C:\\Albums\\Lakes\\Winter", u"C:\\Albums"), AlbumFolderVerdict::NotOneLevelBelow);
    EXPECT_EQ(CheckAlbumFolder(u"C:\\Other\\Lakes", u"C:\\Albums"), AlbumFolderVerdict::NotOneLevelBelow);
}

TEST(CheckAlbumFolder, ComparesRootsWithoutTrailingSeparators) {
    EXPECT_EQ(CheckAlbumFolder(u"D:\\Lakes", u"D:\\"), AlbumFolderVerdict::Usable);
    EXPECT_EQ(CheckAlbumFolder(u"C:\\Albums\\Lakes\\", u"C:\\Albums\\"), AlbumFolderVerdict::Usable);
}

TEST(CheckAlbumFolder, RefusesNamesTheAlbumSlotCannotKeepAndPathsTooLong) {
    const std::u16string longest(kLongestAlbumFolderName, u'n');
    EXPECT_EQ(CheckAlbumFolder(u"C:\\A\\" + longest, u"C:\\A"), AlbumFolderVerdict::Usable);
    EXPECT_EQ(CheckAlbumFolder(u"C:\\A\\" + longest + u"n", u"C:\\A"), AlbumFolderVerdict::NameTooLong);
    const std::u16string deepRoot = u"C:\\" + std::u16string(200, u'r');
    EXPECT_EQ(CheckAlbumFolder(deepRoot + u"\\" + std::u16string(60, u'n'), deepRoot), AlbumFolderVerdict::PathTooLong);
    EXPECT_FALSE(AlbumPathFits(deepRoot, std::u16string(60, u'n')));
}
