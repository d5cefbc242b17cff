// ShowError, RaiseFatal and the error log against real message boxes and files.
// ShowError shows its box modally on the calling thread, and the watcher
// records a box before it answers it, so every box a call shows is among
// the watcher's boxes by the time the call returns: nothing to wait for.
#include <gtest/gtest.h>

#include <regex>

#include "base/ErrorReporter_win.h"
#include "base/Utilities_win.h"
#include "tests/win/BoxWatcher.h"
#include "tests/win/TestState.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

std::string LogOf(const ProcessRecords& records) { return ReadBytes(records.root / L"Quorvel_ErrorsLog.csv"); }

int CountLines(const std::string& text) {
    int n = 0;
    for (char c : text) n += c == '\n';
    return n;
}

Status FailingSite(const std::wstring& folder) {
    SetErrorLocation(ErrorSite{L"settings", 787}, folder.c_str());
    return kErrCreateFolder;
}

// Each caller reports what it got and passes it up, as the program's layers do.
Status Caller(int depth, const std::wstring& folder) {
    const Status s = depth == 0 ? FailingSite(folder) : Caller(depth - 1, folder);
    ShowError(s);
    return s;
}

}  // namespace

TEST(ErrorReport, CodeZeroDoesNothing) {
    ProcessRecords records;
    BoxWatcher boxes;
    ShowError(kOk);
    RaiseFatal(kOk);  // no raise either
    EXPECT_TRUE(LogOf(records).empty());
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(ErrorReport, LogLineOfAFolderFailureOnWindows10) {
    ProcessRecords records;
    const std::wstring folder = records.root / L"NoSuchParent\\Album";
    {
        BoxWatcher boxes;
        EXPECT_EQ(Caller(0, folder), kErrCreateFolder);
    }
    const std::string log = LogOf(records);
    std::string folderAnsi(folder.begin(), folder.end());
    const std::string escaped = std::regex_replace(folderAnsi, std::regex(R"([\\^$.|?*+()\[\]{}])"), R"(\$&)");
    const std::regex line(
        "(Sun|Mon|Tue|Wed|Thu|Fri|Sat) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) "
        "\\d\\d \\d\\d:\\d\\d:\\d\\d \\d{4} , 1\\.0 , Win10-64bit , 10021-0 , "
        "Unable to create folder , settings , 787 , " +
        escaped + " , \r\n");
    EXPECT_TRUE(std::regex_match(log, line)) << log;
}

TEST(ErrorReport, OneFailurePassedUpThroughThreeCallersIsLoggedAndShownOnce) {
    ProcessRecords records;
    BoxWatcher boxes;
    EXPECT_EQ(Caller(3, L"C:\\x"), kErrCreateFolder);
    EXPECT_EQ(CountLines(LogOf(records)), 1);
    const auto seen = boxes.Boxes();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, L"Quorvel from Fenwold");
    EXPECT_EQ(seen[0].text, L"Unable to create folder");
}

TEST(ErrorReport, AFailureAfterAnEarlierReportedOneIsShownAndLoggedToo) {
    ProcessRecords records;
    BoxWatcher boxes;
    EXPECT_EQ(Caller(0, L"C:\\x"), kErrCreateFolder);
    const Status s = RunAndWait(L"C:\\no\\such\\program.exe");
    EXPECT_EQ(s, kErrAppNotFound);
    ShowError(s);
    EXPECT_EQ(CountLines(LogOf(records)), 2);
    EXPECT_EQ(boxes.Boxes().size(), 2u);
}

TEST(ErrorReport, MissingStringGivesProgrammingErrorInBoxAndLog) {
    ProcessRecords records;
    BoxWatcher boxes;
    SetErrorLocation(ErrorSite{L"utilities", 12});
    ShowError(static_cast<Status>(10019));
    EXPECT_NE(LogOf(records).find(" , 10019-0 , Programming error! String #: 10019 was not found. , utilities , 12 , "),
              std::string::npos)
        << LogOf(records);
    const auto seen = boxes.Boxes();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, L"Programming error! String #: 10019 was not found.");
}

TEST(ErrorReport, CleanupModeNeitherLogsNorShowsNorRaises) {
    ProcessRecords records;
    gMode.role = Role::kCleanup;
    BoxWatcher boxes;
    SetErrorLocation(ErrorSite{L"FileCleaner", 5});
    RaiseFatal(kErrDeleteFile);
    EXPECT_TRUE(LogOf(records).empty());
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(gAppState->reporting, 0u);
}

TEST(ErrorReport, FatalRaisesTheTextAndLaterFailuresAreStillReported) {
    ProcessRecords records;
    BoxWatcher boxes;
    SetErrorLocation(ErrorSite{L"Quorvel", 309});
    try {
        RaiseFatal(kErrAppFailed);
        ADD_FAILURE() << "no exception";
    } catch (const FatalError& e) {
        EXPECT_EQ(e.text, L"Application was found but failed to execute for some reason.");
    }
    EXPECT_TRUE(boxes.Boxes().empty());  // the catcher shows it, not RaiseFatal
    SetErrorLocation(ErrorSite{L"Quorvel", 310});
    ShowError(kErrMissingResource);
    EXPECT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(CountLines(LogOf(records)), 2);
}

// When AppState itself cannot be allocated there is no caption and no log
// folder yet: the failure is passed up without a box or an exception.
TEST(ErrorReport, BeforeAppStateExistsAFailureIsPassedUpQuietly) {
    ASSERT_EQ(gAppState, nullptr);
    BoxWatcher boxes;
    ShowError(kErrMemory);
    RaiseFatal(kErrMemory);  // no raise either
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(WriteErrorLog, UnwritableLogFolderGives10036) {
    ProcessRecords records;
    wcscpy(gAppState->errorLogFolder, (records.root / L"missing\\deeper").c_str());
    EXPECT_EQ(WriteErrorLog(kErrCopyFile, L"Error copying file"), kErrDiskWrite);
}

// Someone reading the log (an editor, a log viewer) holds it open; the line
// must still name the failure's own Windows error.
TEST(WriteErrorLog, AnOpenLogKeepsTheSavedWindowsError) {
    ProcessRecords records;
    const std::wstring log = records.root / L"Quorvel_ErrorsLog.csv";
    ASSERT_TRUE(WriteBytes(log, ""));
    HANDLE reader = CreateFileW(log.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    SetErrorLocation(ErrorSite{L"settings", 787});
    gErrorLocation.windowsError = ERROR_ACCESS_DENIED;
    EXPECT_EQ(WriteErrorLog(kErrCreateFolder, L"Unable to create folder"), kOk);
    CloseHandle(reader);
    EXPECT_NE(LogOf(records).find(" , 10021-5 , Unable to create folder , settings , 787 , "), std::string::npos)
        << LogOf(records);
}
