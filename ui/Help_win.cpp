#include "ui/Help_win.h"
#include "ui/Notices_win.h"

#include <cwchar>

#include "base/ErrorReporter_win.h"
#include "base/Utilities_win.h"

namespace quorvel {

namespace {

const wchar_t kModule[] = L"Quorvel";

}  // namespace

Status RunHelp(const wchar_t* file, HelpFile flag, UINT questionStyle) {
    if (gAppState == nullptr || file == nullptr) return Fail(QV_SITE(kModule), kErrInvalidArgument);
    if (gAppState->helpOpened[flag]) {
        wchar_t question[kMessageChars];
        if (Status s = LoadText(kAskHelpClosed, question, sizeof question); s != kOk) return s;
        if (AskOwner(question, questionStyle) == IDNO) return kOk;
    }
    wchar_t path[kPathChars];
    if (!JoinPath(gAppState->userFolder, file, path)) return Fail(QV_SITE(kModule), kErrInvalidArgument, file);
    const Status status = RunAndWait(path);
    if (status == kOk) gAppState->helpOpened[flag] = 1;
    return status;
}

}  // namespace quorvel
