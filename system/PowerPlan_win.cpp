#include "system/PowerPlan_win.h"

#include <cwchar>
#include <string>

#include "base/ErrorReporter_win.h"
#include "base/Guards_win.h"
#include "storage/Settings_win.h"
#include "storage/Storage_win.h"
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
// would not fit. A cleanup (About's, or a /d run beside this one) may have
// removed the folder since the start, so it is made again.
bool TempFile(const wchar_t* name, wchar_t (&path)[kPathChars]) {
    if (PrepareTempFolder() != kOk) return false;
    if (JoinPath(gAppState->tempFolder, name, path)) return true;
    SetErrorLocation(QV_SITE(kModule), name);
    return false;
}

// Text in the ANSI code page, refusing any character it has no byte for: a
// '?' in its place would name another file.
bool ToAnsi(const std::u16string& text, std::string* ansi) {
    // UTF-8 writes every character and takes neither the flag nor the
    // question.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL lossy = FALSE;
    const int bytes = WideCharToMultiByte(CP_ACP, flags, W(text), -1, nullptr, 0, nullptr, utf8 ? nullptr : &lossy);
    if (bytes <= 0 || lossy) return false;
    ansi->assign(bytes - 1, '\0');
    WideCharToMultiByte(CP_ACP, flags, W(text), -1, ansi->data(), bytes, nullptr, nullptr);
    return true;
}

// A path a batch file can carry: as it is when the ANSI code page writes
// it, else in its short (8.3) form, which is plain ASCII.
std::u16string BatchPath(const wchar_t* path) {
    std::string ansi;
    if (ToAnsi(U16(path), &ansi)) return U16(path);
    wchar_t shortPath[kPathChars];
    const DWORD n = GetShortPathNameW(path, shortPath, kPathChars);
    return n > 0 && n < kPathChars ? U16(shortPath) : U16(path);
}

// One line in the ANSI code page, no line break after it, replacing any
// older file.
bool WriteBatchLine(const wchar_t* path, const std::u16string& line) {
    std::string ansi;
    if (!ToAnsi(line, &ansi)) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return false;
    }
    const FileHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), ansi.data(), DWORD(ansi.size()), &written, nullptr) && written == ansi.size();
}

// Writes "SetActPlan.bat" for `id` and runs it.
Status RunSetActive(const wchar_t* id) {
    wchar_t batch[kPathChars];
    if (!TempFile(L"SetActPlan.bat", batch)) return kErrInvalidArgument;
    if (!WriteBatchLine(batch, SetActiveCommand(U16(id)))) {
        SaveWindowsError();
        SetErrorLocation(QV_SITE(kModule), batch);
        return kErrDiskWrite;
    }
    if (Status s = RunAndWait(batch, RunStyle::Quiet); s != kOk) {
        SetErrorLocation(kSwitchBatchSite, batch);
        return s;
    }
    return kOk;
}

// The program and the saver may both switch at once, so each keeps the
// plan it must put back under its own key.
unsigned OriginalPlanKey() { return gMode.regularProgram ? IDS_KEY_ORIGINAL_PLAN_EXE : IDS_KEY_ORIGINAL_PLAN_SAVER; }

// A run of this role that switched and then ended without its restore (a
// crash, a power cut) left the user's plan in the settings file. It goes
// back before the capture, which would otherwise take the video plan for
// the user's own. While another run of the role is alive the record is
// that run's, and it restores it itself.
Status RestoreLeftPlan() {
    if (gMode.sameRoleRunning) return kOk;
    wchar_t id[100];
    if (ReadSettingTextById(OriginalPlanKey(), id, sizeof id) != kOk || !IsGuidShaped(U16(id))) return kOk;
    if (Status s = RunSetActive(id); s != kOk) return s;
    return WriteSettingTextById(OriginalPlanKey(), 0, nullptr);
}

bool SwitchNeeded() {
    return PlanSwitchNeeded(U16(gDisplayState->startingPlanId), U16(gDisplayState->chosenPlanId),
                            gUserSettings != nullptr && gUserSettings->useDefaultPowerPlan != 0);
}

}  // namespace

Status CapturePowerPlan() {
    wchar_t batch[kPathChars], output[kPathChars];
    if (!TempFile(L"GetPowPl.bat", batch) || !TempFile(L"ActivePowerPlan.txt", output)) return kErrInvalidArgument;
    gDisplayState->startingPlanName[0] = L'\0';
    gDisplayState->startingPlanId[0] = L'\0';
    if (!WriteBatchLine(batch, CaptureCommand(BatchPath(gAppState->tempFolder) + u"\\ActivePowerPlan.txt"))) {
        SaveWindowsError();
        SetErrorLocation(QV_SITE(kModule), batch);
        return kErrDiskWrite;
    }
    Sleep(3);
    if (Status s = RunAndWait(batch, RunStyle::Quiet); s != kOk) {
        // The batch ended in failure (POWERCFG refused, or is missing):
        // nothing was captured, so nothing is switched and the user's plan
        // stays as it is.
        if (s == kErrAppFailed) return kOk;
        SetErrorLocation(kCaptureBatchSite, batch);
        return s;
    }
    Sleep(3);
    const FileHandle file(
        CreateFileW(output, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        SaveWindowsError();
        SetErrorLocation(kCaptureOutputSite, output);
        return kErrDiskWrite;
    }
    char buffer[4096];
    DWORD read = 0;
    ReadFile(file.get(), buffer, sizeof buffer - 1, &read, nullptr);
    // A console tool's redirected output is in the OEM code page.
    std::wstring text(read, L'\0');
    const int chars = MultiByteToWideChar(CP_OEMCP, 0, buffer, int(read), text.data(), int(text.size()));
    text.resize(chars > 0 ? chars : 0);

    const CapturedPlan plan = ParseActiveScheme(reinterpret_cast<const char16_t*>(text.c_str()));
    if (!plan.valid) return kOk;  // nothing usable: the plan stays as the user has it
    wcsncpy(gDisplayState->startingPlanId, W(plan.id), 99);
    wcsncpy(gDisplayState->startingPlanName, W(plan.name), 149);
    return kOk;
}

Status SetActivePowerPlan(bool restore) {
    const wchar_t* id = restore ? gDisplayState->startingPlanId : gDisplayState->chosenPlanId;
    if (id[0] == L'\0') return kOk;
    return RunSetActive(id);
}

Status StartPowerPlan() {
    if (gAppState == nullptr || gDisplayState == nullptr) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    const PlanChoice choice = ChoosePlan(gAppState->windowsVersion);
    wcsncpy(gDisplayState->chosenPlanId, W(choice.id), 99);
    wcsncpy(gDisplayState->chosenPlanName, W(choice.name), 149);
    if (choice.id.empty()) return kOk;  // no plan of its own on this version
    if (Status s = RestoreLeftPlan(); s != kOk) return s;
    if (Status s = CapturePowerPlan(); s != kOk) return s;
    if (!SwitchNeeded()) return kOk;
    // Recorded before the switch, so that no moment exists in which the
    // video plan is active and the user's plan is known nowhere. Without
    // the record (the settings write has shown why) the plan is left alone.
    if (WriteSettingTextById(OriginalPlanKey(), 0, gDisplayState->startingPlanId) != kOk) return kOk;
    if (Status s = SetActivePowerPlan(false); s != kOk) return s;
    gDisplayState->planSwitched = 1;
    return kOk;
}

void RestorePowerPlan() {
    if (gAppState == nullptr || gDisplayState == nullptr || gDisplayState->planSwitched == 0) return;
    if (SetActivePowerPlan(true) == kOk) {
        gDisplayState->planSwitched = 0;
        (void)WriteSettingTextById(OriginalPlanKey(), 0, nullptr);
        return;
    }
    // The record stays, so the next start of this role puts the plan back.
    wchar_t text[kMessageChars];
    (void)LoadText(IDS_RESTORE_PLAN_FAILED, text, sizeof text);
    MessageBoxW(nullptr, text, gAppState->programName, MB_OK);
}

}  // namespace quorvel
