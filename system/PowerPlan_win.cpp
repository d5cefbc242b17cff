#include "system/PowerPlan_win.h"

#include <cwchar>
#include <string>

#include "base/ErrorReporter_win.h"
#include "base/Guards_win.h"
#include "storage/Settings_win.h"
#include "storage/Storage_win.h"
#include "base/Utilities_win.h"
#include "system/PowerPlan.h"
#include "res/resource.h"

namespace quorvel {

PowerPlanState gPowerPlan = {};

namespace {

const wchar_t kModule[] = L"ScreenSaver";
// Locations the error log has always named.
constexpr ErrorSite kCaptureBatchSite{kModule, 770};
constexpr ErrorSite kCaptureOutputSite{kModule, 778};
constexpr ErrorSite kSwitchBatchSite{kModule, 903};

// The path of a file in tempFolder. A cleanup (About's, or a /d run beside
// this one) may have removed the folder since the start, so it is made again.
Status TempFile(const wchar_t* name, wchar_t (&path)[kPathChars]) {
    if (Status s = PrepareTempFolder(); s != kOk) return s;
    if (JoinPath(gAppState->tempFolder, name, path)) return kOk;
    return Fail(QV_SITE(kModule), kErrInvalidArgument, name);
}

// Writes `line` as the batch file `name` of the temporary folder and runs
// it, its output going to `output` when given; a run that fails or ends in
// failure is located at `runSite`.
Status RunBatch(const wchar_t* name, const std::string& line, ErrorSite runSite, HANDLE output = nullptr) {
    wchar_t batch[kPathChars];
    if (Status s = TempFile(name, batch); s != kOk) return s;
    if (Status s = WriteBatchFile(batch, line); s != kOk) return s;
    if (Status s = RunAndWait(batch, RunStyle::Quiet, output); s != kOk) {
        SetErrorLocation(runSite, batch);
        return s;
    }
    return kOk;
}

Status RunSetActive(const wchar_t* id) {
    return RunBatch(L"SetActPlan.bat", SetActiveCommand(AsU16(id)), kSwitchBatchSite);
}

// The program and the saver may both switch at once, so each keeps the
// plan it must put back under its own key.
unsigned OriginalPlanKey() {
    return gMode.role == Role::kProgram ? IDS_KEY_ORIGINAL_PLAN_EXE : IDS_KEY_ORIGINAL_PLAN_SAVER;
}

// A run of this role that switched and then ended without its restore (a
// crash, a power cut) left the user's plan in the settings file. It goes
// back before the capture, which would otherwise take the video plan for
// the user's own. While another run of the role is alive the record is
// that run's, and it restores it itself. A plan Windows no longer has, or
// will not make active, cannot be put back: the refusal is logged once and
// the record let go.
Status RestoreLeftPlan() {
    if (gMode.sameRoleRunning) return kOk;
    wchar_t id[100];
    if (ReadSettingTextById(OriginalPlanKey(), id, sizeof id) != kOk || !IsGuidShaped(AsU16(id))) return kOk;
    if (Status s = RunSetActive(id); s != kOk) LogFailure(s);
    return WriteSettingTextById(OriginalPlanKey(), 0, nullptr);
}

bool SwitchNeeded() {
    return PlanSwitchNeeded(AsU16(gPowerPlan.startingPlanId), AsU16(gPowerPlan.chosenPlanId),
                            gUserSettings != nullptr && gUserSettings->useDefaultPowerPlan != 0);
}

}  // namespace

Status CapturePowerPlan(CapturedPlan* captured) {
    *captured = {};
    gPowerPlan.startingPlanName[0] = L'\0';
    gPowerPlan.startingPlanId[0] = L'\0';
    wchar_t output[kPathChars];
    if (Status s = TempFile(L"ActivePowerPlan.txt", output); s != kOk) return s;
    // The program opens the output file itself, so its name never passes
    // through cmd.
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    const FileHandle file(CreateFileW(output, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        SaveWindowsError();
        SetErrorLocation(kCaptureOutputSite, output);
        return kErrDiskWrite;
    }
    Sleep(3);
    if (Status s = RunBatch(L"GetPowPl.bat", CaptureCommand(), kCaptureBatchSite, file.get()); s != kOk) return s;
    // The active plan and then the list, a line for each plan.
    std::string buffer(16384, '\0');
    DWORD read = 0;
    SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN);
    ReadFile(file.get(), buffer.data(), DWORD(buffer.size()), &read, nullptr);
    // A console tool's output is in the OEM code page.
    std::wstring text(read, L'\0');
    const int chars = MultiByteToWideChar(CP_OEMCP, 0, buffer.data(), int(read), text.data(), int(text.size()));
    text.resize(chars > 0 ? chars : 0);

    // An answer without a plan id (POWERCFG refused, or said something
    // else) is a failed capture: the plan stays as the user has it.
    *captured = ParseActiveScheme(AsU16(text.c_str()));
    if (!captured->valid) return Fail(kCaptureOutputSite, kErrAppFailed, output);
    wcsncpy(gPowerPlan.startingPlanId, AsWide(captured->id.c_str()), 99);
    wcsncpy(gPowerPlan.startingPlanName, AsWide(captured->name.c_str()), 149);
    return kOk;
}

Status SetActivePowerPlan(bool restore) {
    const wchar_t* id = restore ? gPowerPlan.startingPlanId : gPowerPlan.chosenPlanId;
    if (id[0] == L'\0') return kOk;
    return RunSetActive(id);
}

namespace {

// Captures the user's plan and switches to the chosen one when that is
// needed. What Windows refuses costs only the switch: one row in the error
// log. A settings file that refuses the record of the user's plan stops the
// switch, since no moment may exist in which the video plan is active and
// the user's is known nowhere; that refusal is returned.
Status CaptureAndSwitch(const PlanChoice& choice) {
    CapturedPlan captured;
    if (Status s = CapturePowerPlan(&captured); s != kOk) {
        LogFailure(s);
        return kOk;
    }
    // A plan this Windows lacks (a Modern Standby laptop has only Balanced,
    // and the Windows 7 and 8 plans are not among the stock ones) cannot
    // be chosen in the Power panel; a run that would have switched to it
    // says why it did not.
    const bool wanted = SwitchNeeded();
    if (!PlanListed(captured, choice.id)) {
        gPowerPlan.chosenPlanId[0] = L'\0';
        if (wanted) {
            SetErrorLocation(QV_SITE(kModule), AsWide(choice.id.c_str()));
            LogFailure(kErrPowerSchemeUntested);
        }
        return kOk;
    }
    if (!wanted) return kOk;
    if (Status s = WriteSettingTextById(OriginalPlanKey(), 0, gPowerPlan.startingPlanId); s != kOk) return s;
    if (Status s = SetActivePowerPlan(false); s != kOk) {
        LogFailure(s);
        return WriteSettingTextById(OriginalPlanKey(), 0, nullptr);
    }
    gPowerPlan.planSwitched = true;
    return kOk;
}

}  // namespace

Status StartPowerPlan() {
    if (gAppState == nullptr) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    const PlanChoice choice = ChoosePlan(gAppState->windowsVersion);
    wcsncpy(gPowerPlan.chosenPlanId, AsWide(choice.id.c_str()), 99);
    wcsncpy(gPowerPlan.chosenPlanName, AsWide(choice.name.c_str()), 149);
    if (choice.id.empty()) return kOk;  // no plan of its own on this version
    // A system without POWERCFG (Wine has none) has no plans to switch.
    wchar_t powercfg[kPathChars];
    if (!JoinPath(gAppState->systemFolder, L"powercfg.exe", powercfg) || !PathExists(powercfg)) {
        gPowerPlan.chosenPlanId[0] = L'\0';
        return kOk;
    }
    // A record the file will not let go is told, and the capture still
    // runs: the Power panel names the plan it found.
    const Status forgotten = RestoreLeftPlan();
    if (Status s = CaptureAndSwitch(choice); s != kOk) return s;
    return forgotten;
}

Status RestorePowerPlan(bool* restored) {
    *restored = true;
    if (gAppState == nullptr || !gPowerPlan.planSwitched) return kOk;
    // A refused restore keeps the record, so the next start of this role
    // puts the plan back; the caller tells the user.
    if (SetActivePowerPlan(true) != kOk) {
        *restored = false;
        return kOk;
    }
    gPowerPlan.planSwitched = false;
    return WriteSettingTextById(OriginalPlanKey(), 0, nullptr);
}

}  // namespace quorvel
