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

class Lock : public ::testing::Test {
protected:
    void SetUp() override {
        wcscpy(gAppState->tempFolder, records.root.Path().c_str());
        // No saver there: the batch file's start fails harmlessly.
        wcscpy(gAppState->installFolder, (records.root / L"Install Here").c_str());
    }
    void TearDown() override { SetSecure(nullptr); }
    std::string Expected() const {
        std::string folder(gAppState->installFolder, gAppState->installFolder + wcslen(gAppState->installFolder));
        return "echo off\r\nstart /wait \"" + folder +
               "\\Quorvel.scr\" /s & rundll32 user32.dll,LockWorkStation\r\n";
    }
    ProcessRecords records;
};

TEST_F(Lock, WritesTheLockBatchWhenTheSaverAsksForTheLogon) {
    SetSecure(L"1");
    EXPECT_EQ(LockWithSaver(), kOk);
    EXPECT_EQ(ReadBytes(records.root / L"FenwoldLok.bat"), Expected());
    EXPECT_EQ(GetFileAttributesW((records.root / L"FenwoldNoLok.bat").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Lock, WritesTheOtherBatchWithoutTheLogonOrWithoutTheValue) {
    for (const wchar_t* value : {L"0", static_cast<const wchar_t*>(nullptr)}) {
        SetSecure(value);
        DeleteFileW((records.root / L"FenwoldNoLok.bat").c_str());
        EXPECT_EQ(LockWithSaver(), kOk);
        EXPECT_EQ(ReadBytes(records.root / L"FenwoldNoLok.bat"), Expected());
        EXPECT_EQ(GetFileAttributesW((records.root / L"FenwoldLok.bat").c_str()), INVALID_FILE_ATTRIBUTES);
    }
}

TEST_F(Lock, AnUnwritableFolderGives10036) {
    wcscpy(gAppState->tempFolder, (records.root / L"missing\\deeper").c_str());
    EXPECT_EQ(LockWithSaver(), kErrDiskWrite);
}

}  // namespace
