#include "system/PowerPlan.h"

#include <vector>

#include "base/Text.h"

namespace quorvel {

PlanChoice ChoosePlan(WindowsVersion version) {
    switch (version) {
        case WindowsVersion::Win7: return {u"2206ad87-69c6-44d5-bc1b-ef50f97bfa60", u"(Video Playback)"};
        case WindowsVersion::Win8:
        case WindowsVersion::Win81: return {u"5c3a99f7-8ab5-48cf-a43f-1ab0065503d5", u"(Video Player)"};
        case WindowsVersion::Win10: return {u"8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c", u"(High performance)"};
        default: return {};
    }
}

bool IsGuidShaped(std::u16string_view w) {
    if (w.size() != 36) return false;
    for (std::size_t i = 0; i < w.size(); ++i) {
        const char16_t c = w[i];
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (c != u'-') return false;
        } else if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'))) {
            return false;
        }
    }
    return true;
}

CapturedPlan ParseActiveScheme(std::u16string_view output) {
    std::vector<std::u16string_view> words;
    std::size_t i = 0;
    auto blank = [](char16_t c) {
        return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f' || c == u'\v';
    };
    while (i < output.size()) {
        while (i < output.size() && blank(output[i])) ++i;
        const std::size_t start = i;
        while (i < output.size() && !blank(output[i])) ++i;
        if (i > start) words.push_back(output.substr(start, i - start));
    }
    CapturedPlan plan;
    for (std::size_t w = 0; w < words.size(); ++w) {
        if (!IsGuidShaped(words[w])) continue;
        plan.valid = true;
        plan.id = std::u16string(words[w]);
        for (std::size_t n = w + 1; n < words.size(); ++n) {
            plan.name += words[n];
            plan.name += u' ';
        }
        break;
    }
    return plan;
}

bool PlanSwitchNeeded(const std::u16string& startingId, const std::u16string& chosenId, bool useDefaultPlan) {
    if (useDefaultPlan || chosenId.empty() || startingId.empty()) return false;
    return !EqualsNoCaseAscii(startingId, chosenId);
}

std::u16string CaptureCommand(const std::u16string& outputPath) {
    return u"POWERCFG -GETACTIVESCHEME > \"" + outputPath + u"\"";
}

std::u16string SetActiveCommand(const std::u16string& planId) { return u"POWERCFG -SETACTIVE " + planId; }

}  // namespace quorvel
