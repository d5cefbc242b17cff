// The rules behind the Phrases and Matting boards panels' choices: what the
// font dialog's weight and colour are stored as, and how an import's file
// list is read.
#include <gtest/gtest.h>

#include <string>

#include "storage/SettingsFormat.h"
#include "ui/FileSelection.h"

using namespace quorvel;

TEST(PhraseFontChoice, RegularStaysRegularAndBlackStaysVisible) {
    EXPECT_FALSE(FontWeightIsBold(400));
    EXPECT_FALSE(FontWeightIsBold(500));
    EXPECT_TRUE(FontWeightIsBold(600));
    EXPECT_TRUE(FontWeightIsBold(700));
    EXPECT_EQ(StoredPhraseColour(0), 0x010101u);
    EXPECT_EQ(StoredPhraseColour(0x0000FF), 0x0000FFu);
}

TEST(ImportFileList, SeveralNamesEndAtTheFirstEmptyOneAndIgnoreStaleText) {
    const std::u16string buffer(u"C:\\Pics\0a.jpg\0b b.png\0\0old.jpg\0\0", 33);
    const FileSelection got = SplitFileSelection(buffer, 8);
    EXPECT_EQ(got.folder, u"C:\\Pics");
    EXPECT_EQ(got.names, (std::vector<std::u16string>{u"a.jpg", u"b b.png"}));
}

TEST(ImportFileList, OneNameIsSplitAtItsOffset) {
    const std::u16string buffer(u"C:\\Pics\\one.jpg\0stale.jpg\0\0", 28);
    FileSelection got = SplitFileSelection(buffer, 8);
    EXPECT_EQ(got.folder, u"C:\\Pics");
    EXPECT_EQ(got.names, (std::vector<std::u16string>{u"one.jpg"}));
    got = SplitFileSelection(std::u16string(u"D:\\x.png\0", 9), 3);
    EXPECT_EQ(got.folder, u"D:");
    EXPECT_EQ(got.names, (std::vector<std::u16string>{u"x.png"}));
    EXPECT_TRUE(SplitFileSelection(std::u16string(u"\0\0", 2), 0).names.empty());
    // An offset past the path's end splits nothing: the folder would hold
    // the stale text up to it.
    got = SplitFileSelection(std::u16string(u"C:\\a\0stale\\x.jpg\0", 17), 11);
    EXPECT_TRUE(got.names.empty());
    EXPECT_TRUE(got.folder.empty());
}

TEST(ImportFileList, ADialogThatFailsIsNotTakenForCancel) {
    const FileSelection none, one{u"C:\\Pics", {u"a.jpg"}};
    EXPECT_EQ(FileDialogOutcome(false, 0x3003, none), FileDialogEnd::Failed);  // the names outgrew the buffer
    EXPECT_EQ(FileDialogOutcome(false, 0, none), FileDialogEnd::Cancelled);
    EXPECT_EQ(FileDialogOutcome(true, 0, one), FileDialogEnd::Chosen);
    EXPECT_EQ(FileDialogOutcome(true, 0, none), FileDialogEnd::Cancelled);
}
