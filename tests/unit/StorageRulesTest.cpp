#include "storage/StorageRules.h"

#include <gtest/gtest.h>

using namespace quorvel;

// A name read from a folder or the settings is joined to a folder only when
// it names an entry of that folder and nothing else.
TEST(IsSafeChildName, OnlyAPlainNameOfAnEntryInTheFolder) {
    const struct {
        std::u16string name;
        bool safe;
    } cases[] = {
        // Plain names.
        {u"DefaultAlbum1", true},
        {u"Alps 2019", true},
        {u"01.jpg", true},
        {u"smiley.JPG", true},
        {u"\u039a\u03b1\u03bb\u03ac", true},
        {u".hidden", true},
        {u"a.b.c", true},
        {std::u16string(255, u'a'), true},
        // Names that leave the folder.
        {u"", false},
        {u".", false},
        {u"..", false},
        {u"...", false},
        {u"..\\x", false},
        {u"../x", false},
        {u"a\\b", false},
        {u"a/b", false},
        {u"C:", false},
        {u"C:\\Windows", false},
        {u"\\\\server\\share", false},
        {u"photos:stream", false},
        {u"\\x", false},
        // Characters and lengths Windows refuses.
        {u"a*b", false},
        {u"a?b", false},
        {u"a\"b", false},
        {u"a<b", false},
        {u"a>b", false},
        {u"a|b", false},
        {u"a\tb", false},
        {u"trailing.", false},
        {u"trailing ", false},
        {std::u16string(256, u'a'), false},
        // Device names, with or without an extension, but not longer words.
        {u"CON", false},
        {u"nul", false},
        {u"Aux.jpg", false},
        {u"com1", false},
        {u"LPT9.png", false},
        {u"prn .txt", false},
        {u"console", true},
        {u"com10", true},
        {u"nullify.jpg", true},
        {u"lpt", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.name));
        EXPECT_EQ(IsSafeChildName(c.name), c.safe);
    }
}

TEST(IsThumbnailCacheName, SkipsEveryLeadingPartInAnyCase) {
    const struct {
        const char16_t* name;
        bool skipped;
    } cases[] = {
        {u"thumbs.db", true},   {u"THUMBS.DB", true},   {u"Thumbs.Db", true},
        {u"THUMBS", true},      {u"Thu", true},         {u"t", true},
        {u"thumbs.", true},     {u"thumbs.dbx", false}, {u"thumbs.db.jpg", false},
        {u"01.jpg", false},     {u"thumb1", false},     {u"humbs.db", false},
        {u"xthumbs.db", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.name));
        EXPECT_EQ(IsThumbnailCacheName(c.name), c.skipped);
    }
}

TEST(KeptAlbums, OnlyTheTwoDefaultAlbumsInAnyCase) {
    const struct {
        const char16_t* folder;
        int defaultAlbum;  // -1 for none
    } cases[] = {
        {u"DefaultAlbum1", 0},  {u"defaultalbum2", 1}, {u"DEFAULTALBUM1", 0},
        {u"DefaultAlbum3", -1}, {u"Alps", -1},         {u"DefaultAlbum1 ", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.folder));
        EXPECT_EQ(DefaultAlbumIndex(c.folder), c.defaultAlbum);
        EXPECT_EQ(IsKeptAlbumFolder(c.folder), c.defaultAlbum >= 0);
    }
}

TEST(KeptAlbums, EachDefaultAlbumKeepsItsInstalledPicture) {
    const struct {
        int album;
        const char16_t* photo;
        bool kept;
    } cases[] = {
        {0, u"0V_0H_ZoomIn_2_256.png", true},   {0, u"0v_0h_zoomin_2_256.PNG", true},
        {0, u"0V_0H_ZoomOut_2_256.png", false}, {0, u"Orchid_Pink.jpg", false},
        {1, u"0V_0H_ZoomOut_2_256.png", true},  {1, u"ORCHID_PINK.JPG", true},
        {1, u"0V_0H_ZoomIn_2_256.png", false},  {2, u"0V_0H_ZoomOut_2_256.png", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "album " << c.album << " " << testing::PrintToString(c.photo));
        EXPECT_EQ(IsKeptDefaultAlbumPhoto(c.album, c.photo), c.kept);
    }
}

TEST(KeptBoards, NumberedOneToSixteenWithTwoDigitsAndThreeNamed) {
    const struct {
        const char16_t* board;
        bool kept;
    } cases[] = {
        {u"01.jpg", true},  {u"09.JPG", true},  {u"16.jpg", true},   {u"SMILEY.JPG", true},  {u"smilies.jpg", true},
        {u"Sox.jpg", true}, {u"00.jpg", false}, {u"17.jpg", false},  {u"1.jpg", false},      {u"001.jpg", false},
        {u"01.png", false}, {u"0a.jpg", false}, {u"01.jpeg", false}, {u"smiley.png", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.board));
        EXPECT_EQ(IsKeptBoard(c.board), c.kept);
    }
}

TEST(KeptUserFolder, SettingsHelpFilesAndTheTwoDataFolders) {
    const struct {
        const char16_t* name;
        bool folder;
        bool kept;
    } cases[] = {
        {u"Quorvel.ini", false, true},
        {u"QUORVEL.INI", false, true},
        {u"QuorvelHelp.bat", false, true},
        {u"QuorvelHelpAbout.bat", false, true},
        {u"QuorvelHelpImportAlbums.bat", false, true},
        {u"QuorvelHelpMattingBoards.bat", false, true},
        {u"QuorvelHelpMonitorMapping.bat", false, true},
        {u"QuorvelHelpOverlayPhrases.bat", false, true},
        {u"QuorvelHelpPhotoPanel.bat", false, true},
        {u"QuorvelHelpPowerScreenSaver.bat", false, true},
        {u"quorvelterms.bat", false, true},
        {u"Quorvel_ErrorsLog.csv", false, false},
        {u"QuorvelHelp.txt", false, false},
        {u"FenwoldLok.bat", false, false},
        {u"Quorvel.ini.new", false, false},
        {u"QuorvelAlbums", true, true},
        {u"quorvelmattingboards", true, true},
        {u"TempExe", true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.name));
        EXPECT_EQ(c.folder ? IsKeptUserFolder(c.name) : IsKeptUserFile(c.name), c.kept);
    }
}

TEST(IsInsideFolder, OnlyWhatLiesBelowTheFolder) {
    const std::u16string user = u"C:\\Users\\ann\\AppData\\Roaming\\Fenwold Quorvel";
    const struct {
        const char* what;
        std::u16string path, folder;
        bool inside;
    } cases[] = {
        {"a folder below", user + u"\\QuorvelAlbums", user, true},
        {"another case and forward slashes", u"c:/users/ANN/appdata/roaming/fenwold quorvel/x/", user, true},
        // The folder itself, however it is spelled, is not below it.
        {"the folder with a separator", user, user + u"\\", false},
        {"the folder and a dot", user + u"\\.", user, false},
        {"the folder, a dot and a blank", user + u"\\. \\", user, false},
        {"a folder below and up again", user + u"\\QuorvelAlbums\\..", user, false},
        {"another folder", u"C:\\MyAlbums", user, false},
        {"a sibling sharing the prefix", user + u" Other\\Albums", user, false},
        {"up and elsewhere", user + u"\\..\\Elsewhere", user, false},
        // A name that merely starts with two dots is an ordinary entry.
        {"an entry starting with two dots", user + u"\\..Albums", user, true},
        {"two dots and more below", user + u"\\x\\..\u7a7a", user, true},
        {"no path", u"", user, false},
        {"no folder", user, u"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(IsInsideFolder(c.path, c.folder), c.inside);
    }
}

TEST(IsCleanableRoot, NoLinkFromTheRootUpToTheUserFolder) {
    const std::u16string user = u"C:\\Users\\ann\\AppData\\Roaming\\Fenwold Quorvel";
    const std::u16string linked = user + u"\\QuorvelAlbums";
    // The per-user folder is a link too here (a redirected profile): that one
    // is not the cleanup's concern.
    auto isLink = [&](std::u16string_view folder) { return folder == linked || folder == user; };
    const struct {
        const char* what;
        std::u16string root;
        bool cleanable;
    } cases[] = {
        {"a folder below the user folder", user + u"\\QuorvelMattingBoards", true},
        {"deeper, with a trailing separator", user + u"\\Mine\\Boards\\", true},
        {"a link", linked, false},
        {"below a link", linked + u"\\Below", false},
        {"the user folder itself", user, false},
        {"outside the user folder", u"D:\\Albums", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(IsCleanableRoot(c.root, user, isLink), c.cleanable);
    }
}

// An album folder is taken only directly below the albums root (compared
// in any case and without trailing separators), with a name the album slot
// can keep and a path Windows can reach.
TEST(CheckAlbumFolder, OneLevelBelowTheRootWithANameAndPathThatFit) {
    const std::u16string longest(kLongestAlbumFolderName, u'n');
    const std::u16string deepRoot = u"C:\\" + std::u16string(200, u'r');
    const struct {
        const char* what;
        std::u16string folder, root;
        AlbumFolderVerdict verdict;
    } cases[] = {
        {"below the root in another case", u"C:\\Albums\\Lakes", u"c:\\albums", AlbumFolderVerdict::Usable},
        {"below a drive's root", u"D:\\Lakes", u"D:\\", AlbumFolderVerdict::Usable},
        {"trailing separators", u"C:\\Albums\\Lakes\\", u"C:\\Albums\\", AlbumFolderVerdict::Usable},
        {"the root itself", u"C:\\Albums", u"C:\\Albums", AlbumFolderVerdict::NotOneLevelBelow},
        {"two levels below", u"C:\\Albums\\Lakes\\Winter", u"C:\\Albums", AlbumFolderVerdict::NotOneLevelBelow},
        {"below another folder", u"C:\\Other\\Lakes", u"C:\\Albums", AlbumFolderVerdict::NotOneLevelBelow},
        {"the longest name", u"C:\\A\\" + longest, u"C:\\A", AlbumFolderVerdict::Usable},
        {"one character longer", u"C:\\A\\" + longest + u"n", u"C:\\A", AlbumFolderVerdict::NameTooLong},
        {"a path too long", deepRoot + u"\\" + std::u16string(60, u'n'), deepRoot, AlbumFolderVerdict::PathTooLong},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CheckAlbumFolder(c.folder, c.root), c.verdict);
    }
    EXPECT_FALSE(AlbumPathFits(deepRoot, std::u16string(60, u'n')));
}
