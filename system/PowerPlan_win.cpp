#include "system/PowerPlan_win.h"

#include <cwchar>
#include <string>

#include "base/ErrorReporter_win.h"
#include "storage/Settings_win.h"
#include "base/Utilities_win.h"
#include "base/DisplayState_win.h"
#include "system/PowerPlan.h"
#include "res/resource.h"

namespace quorvel {

namespace {

const wchar_t kModule[] = L"ScreenSaver";
// Locations the error log has always named.
constexpr ErrorSite kCaptureBatchSite{kModule, 770};
constexpr ErrorSite kCaptureOutputSite{kModule, 778};
constexpr ErrorSite kSwitchBatchSite{kModule, 903};

const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
std::u16string U16(const wchar_t* s) { return reinterpret_cast<const char16_t*>(s); }

// The path of a file in tempFolder; false, with the location set, when it
// would not fit.
bool TempFile(const wchar_t* name, wchar_t (&path)[kPathChars]) {
    if (JoinPath(gAppState->tempFolder, name, path)) return true;
    SetErrorLocation(QV_SITE(kModule), name);
    return false;
}

// One line in the ANSI code page, no line break after it, replacing any
// older file.
bool WriteBatchLine(const wchar_t* path, const std::u16string& line) {
    const int bytes = WideCharToMultiByte(CP_ACP, 0, W(line), -1, nullptr, 0, nullptr, nullptr);
    std::string ansi(bytes > 0 ? bytes - 1 : 0, '\0');
    if (bytes > 1) WideCharToMultiByte(CP_ACP, 0, W(line), -1, ansi.data(), bytes, nullptr, nullptr);
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, ansi.data(), DWORD(ansi.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == ansi.size();
}

bool SwitchNeeded() {
    return PlanSwitchNeeded(U16(gDisplayState->startingPlanId), U16(gDisplayState->chosenPlanId),
                            gUserSettings != nullptr && gUserSettings->useDefaultPowerPlan != 0);
}

}  // namespace

Status CapturePowerPlan() {
    wchar_t batch[kPathChars], output[kPathChars];
    if (!TempFile(L"GetPowPl.bat", batch) || !TempFile(L"ActivePowerPlan.txt", output)) return kErrInvalidArgument;
    if (!WriteBatchLine(batch, CaptureCommand(U16(output)))) {
        SaveWindowsError();
        SetErrorLocation(QV_SITE(kModule), batch);
        return kErrDiskWrite;
    }
    Sleep(3);
    if (Status s = RunAndWait(batch); s != kOk) {
        SetErrorLocation(kCaptureBatchSite, batch);
        return s;
    }
    Sleep(3);
    HANDLE file = CreateFileW(output, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        SaveWindowsError();
        SetErrorLocation(kCaptureOutputSite, output);
        return kErrDiskWrite;
    }
    char buffer[4096];
    DWORD read = 0;
    ReadFile(file, buffer, sizeof buffer - 1, &read, nullptr);
    CloseHandle(file);
    // A console tool's redirected output is in the OEM code page.
    std::wstring text(read, L'\0');
    const int chars = MultiByteToWideChar(CP_OEMCP, 0, buffer, int(read), text.data(), int(text.size()));
    text.resize(chars > 0 ? chars : 0);

    gDisplayState->startingPlanName[0] = L'\0';
    gDisplayState->startingPlanId[0] = L'\0';
    const CapturedPlan plan = ParseActiveScheme(reinterpret_cast<const char16_t*>(text.c_str()));
    if (!plan.valid) return kOk;  // nothing usable: the plan stays as the user has it
    wcsncpy(gDisplayState->startingPlanId, W(plan.id), 99);
    wcsncpy(gDisplayState->startingPlanName, W(plan.name), 149);
    return kOk;
}

Status SetActivePowerPlan(bool restore) {
    const wchar_t* id = restore ? gDisplayState->startingPlanId : gDisplayState->chosenPlanId;
    if (id[0] == L'\0') return kOk;
    wchar_t batch[kPathChars];
    if (!TempFile(L"SetActPlan.bat", batch)) return kErrInvalidArgument;
    if (!WriteBatchLine(batch, SetActiveCommand(U16(id)))) {
        SaveWindowsError();
        SetErrorLocation(QV_SITE(kModule), batch);
        return kErrDiskWrite;
    }
    if (Status s = RunAndWait(batch); s != kOk) {
        SetErrorLocation(kSwitchBatchSite, batch);
        return s;
    }
    return kOk;
}

Status StartPowerPlan() {
    if (gAppState == nullptr || gDisplayState == nullptr) {
        SetErrorLocation(QV_SITE(kModule));
        return kErrInvalidArgument;
    }
    const PlanChoice choice = ChoosePlan(gAppState->windowsVersion);
    wcsncpy(gDisplayState->chosenPlanId, W(choice.id), 99);
    wcsncpy(gDisplayState->chosenPlanName, W(choice.name), 149);
    if (choice.id.empty()) return kOk;  // no plan of its own on this version
    if (Status s = CapturePowerPlan(); s != kOk) return s;
    if (!SwitchNeeded()) return kOk;
    return SetActivePowerPlan(false);
}

void RestorePowerPlan() {
    if (gAppState == nullptr || gDisplayState == nullptr || !SwitchNeeded()) return;
    if (SetActivePowerPlan(true) == kOk) return;
    wchar_t text[kMessageChars];
    (void)LoadText(IDS_RESTORE_PLAN_FAILED, text, sizeof text);
    MessageBoxW(nullptr, text, gAppState->programName, MB_OK);
}

}  // namespace quorvel
