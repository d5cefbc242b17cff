// The Lock batch file, chosen by the desktop's
// "ScreenSaverIsSecure" value; Sleep as each kind of PC has it.
#include <gtest/gtest.h>

#include <windows.h>

#include <powrprof.h>
#include <delayimp.h>

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "base/Utilities_win.h"
#include "res/resource.h"
#include "system/Session_win.h"
#include "tests/win/BoxWatcher.h"
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

// What Windows answers Sleep, as the test sets it: Wine's SetSuspendState
// always succeeds and its capabilities never change.
struct PowerAnswers {
    SYSTEM_POWER_CAPABILITIES capabilities{};
    DWORD capabilitiesError = 0;  // GetPwrCapabilities refused with it
    DWORD suspendError = 0;       // SetSuspendState refused with it
    int suspends = 0;
    bool hibernate = false;
};
PowerAnswers gPower;

BOOLEAN WINAPI AnswerCapabilities(PSYSTEM_POWER_CAPABILITIES out) {
    if (gPower.capabilitiesError != 0) return SetLastError(gPower.capabilitiesError), FALSE;
    *out = gPower.capabilities;
    return TRUE;
}

BOOLEAN WINAPI AnswerSuspend(BOOLEAN hibernate, BOOLEAN, BOOLEAN) {
    ++gPower.suspends;
    gPower.hibernate = hibernate != FALSE;
    if (gPower.suspendError != 0) return SetLastError(gPower.suspendError), FALSE;
    return TRUE;
}

// powrprof is delay-loaded: the loader's helper asks this hook before it
// binds each of its functions, so the program's calls reach the answers.
FARPROC WINAPI BindPowerAnswers(unsigned note, PDelayLoadInfo info) {
    if (note != dliNotePreGetProcAddress || !info->dlp.fImportByName || _stricmp(info->szDll, "powrprof.dll") != 0)
        return nullptr;
    if (std::strcmp(info->dlp.szProcName, "GetPwrCapabilities") == 0)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&AnswerCapabilities));
    if (std::strcmp(info->dlp.szProcName, "SetSuspendState") == 0)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&AnswerSuspend));
    return nullptr;
}

// Turning the displays off is a system command to the window; the window
// here records it instead of passing it to Windows.
WNDPROC gStaticProcedure = nullptr;
LPARAM gMonitorPower = 0;
LRESULT CALLBACK RecordMonitorPower(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_MONITORPOWER) return gMonitorPower = lParam, 0;
    return CallWindowProcW(gStaticProcedure, window, message, wParam, lParam);
}

class SleepCommand : public ::testing::Test {
protected:
    void SetUp() override {
        previousHook = __pfnDliNotifyHook2;
        __pfnDliNotifyHook2 = BindPowerAnswers;
        owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        gStaticProcedure = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(owner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordMonitorPower)));
    }
    void TearDown() override {
        DestroyWindow(owner);
        __pfnDliNotifyHook2 = previousHook;
    }
    ProcessRecords records;
    PfnDliHook previousHook = nullptr;
    HWND owner = nullptr;
};

// Modern Standby has no S1-S3: SetSuspendState hibernates there, or does
// nothing, and a PC without sleep is told so (Home shows the notice). A
// call Windows refuses comes back to be reported.
TEST_F(SleepCommand, EachKindOfPcGetsTheSleepItHasAndARefusalIsReported) {
    const struct {
        const char* name;
        bool s3, modernStandby;
        DWORD capabilitiesError, suspendError;
        Status status;
        int suspends;
        LPARAM monitorPower;
        unsigned notice;
    } cases[] = {
        {"S3", true, false, 0, 0, kOk, 1, 0, 0},
        {"Modern Standby, hibernation on", false, true, 0, 0, kOk, 0, 2, 0},
        {"no sleep state, hibernation on", false, false, 0, 0, kOk, 0, 0, IDS_NO_SLEEP},
        {"suspend refused", true, false, 0, ERROR_ACCESS_DENIED, kErrSuspendRefused, 1, 0, 0},
        {"capabilities refused", true, false, ERROR_GEN_FAILURE, 0, kErrWindowsFunction, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        gPower = {.capabilitiesError = c.capabilitiesError, .suspendError = c.suspendError};
        gPower.capabilities.SystemS3 = c.s3;
        gPower.capabilities.SystemS4 = gPower.capabilities.HiberFilePresent = TRUE;
        // Windows' winnt.h names the byte at 0x14 AoAc.
        reinterpret_cast<BYTE*>(&gPower.capabilities)[0x14] = c.modernStandby;
        gMonitorPower = 0;
        gErrorLocation = {};
        BoxWatcher watcher;
        unsigned notice = 1;
        EXPECT_EQ(SleepNow(owner, &notice), c.status);
        EXPECT_EQ(notice, c.notice);
        EXPECT_EQ(gErrorLocation.windowsError, c.capabilitiesError | c.suspendError);
        EXPECT_EQ(gPower.suspends, c.suspends);
        EXPECT_FALSE(gPower.hibernate);
        EXPECT_EQ(gMonitorPower, c.monitorPower);
        EXPECT_TRUE(watcher.Boxes().empty()) << "the caller tells the user";
    }
}

}  // namespace
