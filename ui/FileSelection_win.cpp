#include "ui/FileSelection_win.h"

#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "base/ErrorReporter_win.h"
#include "base/Guards_win.h"
#include "base/Utilities_win.h"
#include "ui/Panel_win.h"

namespace quorvel {

namespace {

const wchar_t kModule[] = L"Quorvel";
// A folder and some hundreds of long names; the dialog says when not.
constexpr DWORD kSelectionBufferChars = 32768;

}  // namespace

// An explorer-style dialog calls the hook with its child dialog; the
// window to move is then the parent.
UINT_PTR CALLBACK CentreFileDialog(HWND hook, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITDIALOG) return 0;
    CenterPanel((GetWindowLongPtrW(hook, GWL_STYLE) & WS_CHILD) ? GetParent(hook) : hook);
    return 1;
}

std::wstring LoadFilterList(unsigned textId) {
    wchar_t text[kMessageChars];
    ShowError(LoadText(textId, text, sizeof text));
    std::wstring list = text;
    std::replace(list.begin(), list.end(), L'|', L'\0');
    return list + L'\0';
}

Status AskForFiles(HWND owner, unsigned titleId, unsigned filterId, FileSelection* selection, bool* chosen) {
    *chosen = false;
    *selection = {};
    // A fresh buffer each time: a shorter result must not end in the
    // names of the one before.
    std::vector<wchar_t> buffer(kSelectionBufferChars, L'\0');
    const std::wstring filter = LoadFilterList(filterId);
    wchar_t title[kMessageChars];
    if (Status s = LoadText(titleId, title, sizeof title); s != kOk) return s;
    PWSTR pictures = nullptr;
    SHGetKnownFolderPath(FOLDERID_Pictures, 0, nullptr, &pictures);
    const TaskMemory<PWSTR> ownedPictures(pictures);
    OPENFILENAMEW open = {};
    open.lStructSize = sizeof open;
    open.hwndOwner = owner;
    open.lpstrFilter = filter.c_str();
    open.nFilterIndex = 1;
    open.lpstrFile = buffer.data();
    open.nMaxFile = static_cast<DWORD>(buffer.size());
    open.lpstrTitle = title;
    open.lpstrInitialDir = pictures;
    open.lpfnHook = CentreFileDialog;
    // The program finds its default content and batch files from its
    // current folder, which the dialog would otherwise move to the photos'.
    open.Flags =
        OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_ENABLEHOOK | OFN_NOCHANGEDIR;
    const bool opened = GetOpenFileNameW(&open) != FALSE;
    const DWORD error = opened ? 0 : CommDlgExtendedError();
    if (opened)
        *selection = SplitFileSelection(std::u16string_view(AsU16(buffer.data()), buffer.size()), open.nFileOffset);
    switch (FileDialogOutcome(opened, error, *selection)) {
        case FileDialogEnd::Chosen: *chosen = true; return kOk;
        case FileDialogEnd::Cancelled: return kOk;
        case FileDialogEnd::Failed: break;
    }
    gErrorLocation.windowsError = error;
    SetErrorLocation(QV_SITE(kModule));
    return kErrWindowsApi;
}

}  // namespace quorvel
