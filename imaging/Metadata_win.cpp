#include "imaging/Metadata_win.h"

#include <string>

#include "base/AppState_win.h"
#include "base/ErrorReporter_win.h"
#include "base/Utilities_win.h"

namespace quorvel {

namespace {

const wchar_t kModule[] = L"metadata";

}  // namespace

Status LoadPropertyTexts(PropertyTexts& texts) {
    HINSTANCE module =
        gAppState != nullptr && gAppState->instance != nullptr ? gAppState->instance : GetModuleHandleW(nullptr);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const wchar_t* text = nullptr;
        // With no buffer LoadStringW hands out the table's own text, which
        // is not terminated; its length comes back instead.
        const int length = LoadStringW(module, kPropertyTextIds[i], reinterpret_cast<LPWSTR>(&text), 0);
        if (length <= 0 || text == nullptr)
            return Fail(QV_SITE(kModule), kErrResourceString, std::to_wstring(kPropertyTextIds[i]).c_str());
        texts[i].assign(AsU16(text), static_cast<std::size_t>(length));
    }
    return kOk;
}

}  // namespace quorvel
