// The Lock batch file, chosen by the desktop's
// "ScreenSaverIsSecure" value.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "system/Session_win.h"
#include "tests/win/TestState.h"

using namespace quorvel;
using namespace quorvel::test;

namespace {

const wchar_t kDesktop[] = L"Control Panel\\Desktop";

void SetSecure(const wchar_t* value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kDesktop, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    if (value == nullptr)
        RegDeleteValueW(key, L"ScreenSaverIsSecure");
    else
        RegSetValueExW(key, L"ScreenSaverIsSecure", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                       static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

// The saver in the install folder is a stand-in that records how it was
// started, so the tests see what the batch file really runs.
class Lock : public ::testing::Test {
protected:
    void SetUp() override { UseFolders(records.root.Path(), records.root / L"Install Here"); }
    void UseFolders(const std::wstring& temp, const std::wstring& install) {
        CreateDirectoryW(temp.c_str(), nullptr);
        wcscpy(gAppState->tempFolder, temp.c_str());
        CreateDirectoryW(install.c_str(), nullptr);
        wcscpy(gAppState->installFolder, install.c_str());
        this->install = install;
        wchar_t self[MAX_PATH];
        std::wstring recorder(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
        recorder = recorder.substr(0, recorder.find_last_of(L'\\') + 1) + L"arg_recorder.exe";
        ASSERT_TRUE(CopyFileW(recorder.c_str(), (install + L"\\Quorvel.scr").c_str(), FALSE));
    }
    void TearDown() override { SetSecure(nullptr); }
    // The command lines the stand-in saw, one a line.
    std::wstring SaverRuns() const {
        const std::string bytes = ReadBytes(install + L"\\args.txt");
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    }
    ProcessRecords records;
    std::wstring install;
};

TEST_F(Lock, RunsTheSaverFullScreenThenLocksWhenTheSaverAsksForTheLogon) {
    SetSecure(L"1");
    EXPECT_EQ(LockWithSaver(), kOk);
    const std::wstring runs = SaverRuns();
    EXPECT_NE(runs.find(L"/s"), std::wstring::npos) << runs;
    EXPECT_EQ(runs.find(L'\n'), runs.size() - 1) << "started once: " << runs;
    EXPECT_NE(ReadBytes(records.root / L"FenwoldLok.bat").find("LockWorkStation"), std::string::npos);
    EXPECT_EQ(GetFileAttributesW((records.root / L"FenwoldNoLok.bat").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Lock, WritesTheOtherBatchWithoutTheLogonOrWithoutTheValue) {
    for (const wchar_t* value : {L"0", static_cast<const wchar_t*>(nullptr)}) {
        SetSecure(value);
        DeleteFileW((records.root / L"FenwoldNoLok.bat").c_str());
        EXPECT_EQ(LockWithSaver(), kOk);
        EXPECT_NE(ReadBytes(records.root / L"FenwoldNoLok.bat").size(), 0u);
        EXPECT_EQ(GetFileAttributesW((records.root / L"FenwoldLok.bat").c_str()), INVALID_FILE_ATTRIBUTES);
    }
}

// Folders whose names the console's code page reads otherwise, that the
// ANSI code page cannot write, or that hold what cmd reads as commands:
// the batch file holds none of it, and the saver still starts from it.
// (Wine's cmd reads a % in an expanded name again, Windows' does not, so
// only the profile's name holds one here.)
TEST_F(Lock, RunsTheSaverWhateverTheFoldersAreNamed) {
    const std::wstring name = L"& (x) ^M\x00fcller \x0424\x043e\x0442\x043e \x5199\x771f";
    UseFolders(records.root / (L"Temp 50% " + name), records.root / (L"Install " + name));
    SetSecure(L"1");
    EXPECT_EQ(LockWithSaver(), kOk);
    const std::wstring runs = SaverRuns();
    EXPECT_NE(runs.find(L"/s"), std::wstring::npos) << runs;
    const std::string batch = ReadBytes(records.root / (L"Temp 50% " + name + L"\\FenwoldLok.bat"));
    ASSERT_FALSE(batch.empty());
    for (const char c : batch) EXPECT_LT(static_cast<unsigned char>(c), 0x80u) << batch;
}

TEST_F(Lock, AnUnwritableFolderGives10036) {
    wcscpy(gAppState->tempFolder, (records.root / L"missing\\deeper").c_str());
    EXPECT_EQ(LockWithSaver(), kErrDiskWrite);
}

}  // namespace
