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

namespace {

bool Blank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\f' || c == u'\v'; }

std::vector<std::u16string_view> Words(std::u16string_view line) {
    std::vector<std::u16string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && Blank(line[i])) ++i;
        const std::size_t start = i;
        while (i < line.size() && !Blank(line[i])) ++i;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

}  // namespace

CapturedPlan ParseActiveScheme(std::u16string_view output) {
    CapturedPlan plan;
    bool first = true;
    for (std::size_t start = 0; start < output.size();) {
        std::size_t end = output.find_first_of(u"\r\n", start);
        if (end == std::u16string_view::npos) end = output.size();
        const std::vector<std::u16string_view> words = Words(output.substr(start, end - start));
        start = end + 1;
        if (words.empty()) continue;
        std::size_t w = 0;
        while (w < words.size() && !IsGuidShaped(words[w])) ++w;
        if (first) {
            first = false;
            if (w == words.size()) return plan;
            plan.valid = true;
            plan.id = std::u16string(words[w]);
            for (++w; w < words.size(); ++w) {
                plan.name += words[w];
                plan.name += u' ';
            }
        } else if (w < words.size()) {
            plan.listed.emplace_back(words[w]);
        }
    }
    return plan;
}

bool PlanListed(const CapturedPlan& plan, std::u16string_view id) {
    for (const std::u16string& listed : plan.listed)
        if (EqualsNoCaseAscii(listed, id)) return true;
    return false;
}

bool PlanSwitchNeeded(const std::u16string& startingId, const std::u16string& chosenId, bool useDefaultPlan) {
    if (useDefaultPlan || chosenId.empty() || startingId.empty()) return false;
    return !EqualsNoCaseAscii(startingId, chosenId);
}

std::string CaptureCommand() { return "@POWERCFG -GETACTIVESCHEME && POWERCFG -LIST"; }

std::string SetActiveCommand(std::u16string_view planId) {
    return IsGuidShaped(planId) ? "POWERCFG -SETACTIVE " + ToAscii(planId) : std::string();
}

}  // namespace quorvel
