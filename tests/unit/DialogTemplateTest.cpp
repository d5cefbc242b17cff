#include "ui/DialogTemplate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

using quorvel::ChooseTemplate;
using quorvel::FontRewrite;
using quorvel::PanelMonitor;
using quorvel::PanelMonitorFor;
using quorvel::PlacePanel;
using quorvel::RewriteTemplateFont;
using quorvel::ScreenRect;

namespace {

struct DpiCase {
    int monitorDpi;
    int systemDpi;
    bool large;
    int pointSize;
};

TEST(ChooseTemplate, PicksTheTemplateAndPointSizeByDpi) {
    const DpiCase cases[] = {
        {96, 96, true, 12},                           // 11.52 rounds up
        {100, 96, true, 12},                          // still an ordinary display
        {100, 100, true, 12},  {101, 96, false, 9},   // 9.09
        {120, 96, false, 11},                         // 10.8
        {120, 120, false, 11}, {96, 120, false, 9},   // system above the monitor: small at 8.64
        {144, 144, false, 13},                        // 12.96
        {192, 192, false, 17},                        // 17.28
        {72, 72, true, 12},                           // below 96 counts as 96
        {0, 96, true, 12},     {150, 96, false, 14},  // 13.5: a half goes away from zero
    };
    for (const DpiCase& c : cases) {
        const auto choice = ChooseTemplate(c.monitorDpi, c.systemDpi);
        EXPECT_EQ(choice.large, c.large) << c.monitorDpi << "/" << c.systemDpi;
        EXPECT_EQ(choice.pointSize, c.pointSize) << c.monitorDpi << "/" << c.systemDpi;
    }
    EXPECT_FLOAT_EQ(ChooseTemplate(144, 96).scale, 1.44f);
    EXPECT_FLOAT_EQ(ChooseTemplate(50, 96).scale, 0.96f);
}

// A 1920 x 1080 primary monitor at 100 % with its taskbar below, and a
// 2560 x 1440 one at 150 % to its right.
const PanelMonitor kMonitors[] = {
    {{0, 0, 1920, 1080}, {0, 0, 1920, 1040}},
    {{1920, 0, 4480, 1440}, {1920, 0, 4480, 1400}},
};

struct Opened {
    int monitor;
    bool large;
    int points;
    ScreenRect placed;
};

struct OpeningCase {
    const char* name;
    ScreenRect aim;  // the primary's work area, the panel's place, or the place Windows suggests
    int dpi;         // the DPI Windows gave, or the monitor's
    int systemDpi;
    int width, height;  // the panel as opened from the template chosen
    Opened expected;
};

TEST(PanelOpening, GoesToTheMonitorItIsOnWithThatDpisTemplateAndPlace) {
    const OpeningCase cases[] = {
        {"first opening", {0, 0, 1920, 1040}, 96, 96, 800, 600, {0, true, 12, {560, 220, 1360, 820}}},
        // Where Windows suggests on the 150 % monitor; mostly on it; back.
        {"onto 150 %", {2200, 100, 3400, 1000}, 144, 96, 1000, 700, {1, false, 13, {2300, 200, 3300, 900}}},
        {"across the edge", {1700, 200, 2500, 800}, 144, 96, 1000, 700, {1, false, 13, {1920, 150, 2920, 850}}},
        {"back to 100 %", {300, 400, 1100, 1000}, 96, 96, 800, 600, {0, true, 12, {300, 400, 1100, 1000}}},
        // A system DPI above the monitor's keeps the small template.
        {"system 150 %", {2000, 100, 2800, 700}, 96, 144, 800, 600, {1, false, 9, {2000, 100, 2800, 700}}},
        {"over the taskbar", {2000, 1300, 2800, 1700}, 144, 96, 800, 600, {1, false, 13, {2000, 800, 2800, 1400}}},
        {"off every monitor", {5000, 100, 5400, 400}, 192, 96, 1200, 900, {1, false, 17, {3280, 0, 4480, 900}}},
        {"too large", {0, 0, 1920, 1040}, 96, 96, 3000, 2000, {0, true, 12, {0, 0, 1920, 1040}}},
    };
    for (const OpeningCase& c : cases) {
        SCOPED_TRACE(c.name);
        const int monitor = PanelMonitorFor(kMonitors, c.aim);
        ASSERT_EQ(monitor, c.expected.monitor);
        const auto choice = ChooseTemplate(c.dpi, c.systemDpi);
        EXPECT_EQ(choice.large, c.expected.large);
        EXPECT_EQ(choice.pointSize, c.expected.points);
        const ScreenRect p = PlacePanel(c.width, c.height, c.aim, kMonitors[monitor].work), &e = c.expected.placed;
        EXPECT_EQ(std::vector<int>({p.left, p.top, p.right, p.bottom}),
                  std::vector<int>({e.left, e.top, e.right, e.bottom}));
    }
    EXPECT_EQ(PanelMonitorFor({}, {0, 0, 10, 10}), -1);
}

void PutWord(std::vector<std::uint8_t>& b, std::uint16_t w) {
    b.push_back(w & 0xFF);
    b.push_back(w >> 8);
}
void PutDword(std::vector<std::uint8_t>& b, std::uint32_t d) {
    PutWord(b, d & 0xFFFF);
    PutWord(b, d >> 16);
}
void PutText(std::vector<std::uint8_t>& b, const std::u16string& s) {
    for (char16_t c : s) PutWord(b, c);
    PutWord(b, 0);
}
void Align(std::vector<std::uint8_t>& b) {
    while (b.size() % 4 != 0) b.push_back(0);
}

// One item: a button with id 1009, as windres lays out DLGITEMTEMPLATEEX.
void PutItem(std::vector<std::uint8_t>& b) {
    Align(b);
    PutDword(b, 0);           // help id
    PutDword(b, 0);           // extended style
    PutDword(b, 0x5001000B);  // style
    PutWord(b, 10);
    PutWord(b, 20);
    PutWord(b, 80);
    PutWord(b, 24);
    PutDword(b, 1009);
    PutWord(b, 0xFFFF);
    PutWord(b, 0x0080);  // button class
    PutText(b, u"Lock");
    PutWord(b, 0);  // no creation data
}

struct Built {
    std::vector<std::uint8_t> bytes;
    std::size_t pointSizeAt = 0;
    std::size_t faceAt = 0;
    std::size_t firstItemAt = 0;
};

// An extended template with a string menu name, a string class and a title,
// so that every skipping rule is used.
Built Extended(const std::u16string& face, std::uint32_t style = 0x80C800C0, bool withItem = true) {
    Built t;
    auto& b = t.bytes;
    PutWord(b, 1);
    PutWord(b, 0xFFFF);
    PutDword(b, 0);
    PutDword(b, 0);
    PutDword(b, style);
    PutWord(b, withItem ? 1 : 0);
    PutWord(b, 0);
    PutWord(b, 0);
    PutWord(b, 584);
    PutWord(b, 274);
    PutWord(b, 0xFFFF);
    PutWord(b, 7);  // menu by ordinal
    PutText(b, u"PanelClass");
    PutText(b, u"Home - Quorvel");
    t.pointSizeAt = b.size();
    PutWord(b, 8);
    PutWord(b, 400);
    b.push_back(0);
    b.push_back(1);
    t.faceAt = b.size();
    PutText(b, face);
    if (withItem) {
        Align(b);
        t.firstItemAt = b.size();
        PutItem(b);
    }
    return t;
}

std::u16string FaceAt(const std::vector<std::uint8_t>& b, std::size_t at) {
    std::u16string s;
    for (; b[at] | b[at + 1]; at += 2) s.push_back(static_cast<char16_t>(b[at] | (b[at + 1] << 8)));
    return s;
}

TEST(RewriteTemplateFont, ReplacesTheTypefaceAndPointSizeAndKeepsTheRest) {
    const Built t = Extended(u"MS Shell Dlg");  // 12 characters
    std::vector<std::uint8_t> out;
    ASSERT_EQ(RewriteTemplateFont(t.bytes.data(), t.bytes.size(), 13, out), FontRewrite::Rewritten);
    EXPECT_EQ(out.size(), t.bytes.size() + (8 - 12) * 2);
    EXPECT_EQ(FaceAt(out, t.faceAt), u"Segoe UI");
    EXPECT_EQ(out[t.pointSizeAt] | (out[t.pointSizeAt + 1] << 8), 13);
    // Everything before the point size is untouched, weight and charset too.
    EXPECT_TRUE(std::equal(t.bytes.begin(), t.bytes.begin() + t.pointSizeAt, out.begin()));
    EXPECT_TRUE(
        std::equal(t.bytes.begin() + t.pointSizeAt + 2, t.bytes.begin() + t.faceAt, out.begin() + t.pointSizeAt + 2));
    // The item follows at the same 4-byte alignment, byte for byte.
    const std::size_t shifted = t.firstItemAt - 8;
    EXPECT_EQ(shifted % 4, 0u);
    EXPECT_TRUE(std::equal(t.bytes.begin() + t.firstItemAt, t.bytes.end(), out.begin() + shifted));
}

TEST(RewriteTemplateFont, PointSizeZeroKeepsTheTemplatesSize) {
    const Built t = Extended(u"Segoe UI");
    std::vector<std::uint8_t> out;
    ASSERT_EQ(RewriteTemplateFont(t.bytes.data(), t.bytes.size(), 0, out), FontRewrite::Rewritten);
    EXPECT_EQ(out, t.bytes);
}

TEST(RewriteTemplateFont, AnOddLengthTypefaceKeepsTheItemsAligned) {
    const Built t = Extended(u"Arial");  // 5 characters: 6 bytes less padding
    std::vector<std::uint8_t> out;
    ASSERT_EQ(RewriteTemplateFont(t.bytes.data(), t.bytes.size(), 12, out), FontRewrite::Rewritten);
    EXPECT_EQ(FaceAt(out, t.faceAt), u"Segoe UI");
    const std::size_t itemAt = (t.faceAt + 18 + 3) & ~std::size_t{3};
    ASSERT_EQ(out.size(), itemAt + (t.bytes.size() - t.firstItemAt));
    EXPECT_TRUE(std::equal(t.bytes.begin() + t.firstItemAt, t.bytes.end(), out.begin() + itemAt));
}

TEST(RewriteTemplateFont, LeavesTemplatesWithoutAFontBlockAlone) {
    std::vector<std::uint8_t> out{1, 2, 3};
    // Classic DLGTEMPLATE: the style comes first.
    std::vector<std::uint8_t> classic;
    PutDword(classic, 0x80C800C0);
    PutDword(classic, 0);
    PutWord(classic, 0);
    for (int i = 0; i < 4; ++i) PutWord(classic, 10);
    PutWord(classic, 0);
    PutWord(classic, 0);
    PutText(classic, u"Old");
    PutWord(classic, 8);
    PutText(classic, u"MS Sans Serif");
    EXPECT_EQ(RewriteTemplateFont(classic.data(), classic.size(), 12, out), FontRewrite::Unchanged);
    EXPECT_TRUE(out.empty());
    // Extended without DS_SETFONT, and with DS_FIXEDSYS alone: no font block.
    for (std::uint32_t style : {0x80C80000u, 0x80C80008u}) {
        Built t = Extended(u"Tahoma", style);
        EXPECT_EQ(RewriteTemplateFont(t.bytes.data(), t.bytes.size(), 12, out), FontRewrite::Unchanged) << style;
    }
}

TEST(RewriteTemplateFont, RefusesTruncatedTemplates) {
    const Built t = Extended(u"Segoe UI", 0x80C800C0, false);
    std::vector<std::uint8_t> out;
    ASSERT_EQ(RewriteTemplateFont(t.bytes.data(), t.bytes.size(), 12, out), FontRewrite::Rewritten);
    // Cut inside the typeface, the title and the class name.
    for (std::size_t cut : {t.bytes.size() - 2, t.faceAt + 2, t.pointSizeAt - 4, std::size_t{34}}) {
        EXPECT_EQ(RewriteTemplateFont(t.bytes.data(), cut, 12, out), FontRewrite::Refused) << cut;
        EXPECT_TRUE(out.empty());
    }
}

}  // namespace

TEST(PointSizeToFit, ShrinksByTheLargerOverflowDownToTheSmallestReadableSize) {
    using quorvel::PointSizeToFit;
    EXPECT_EQ(PointSizeToFit(12, 1366, 768, 1366, 768, 8), 0);  // fits exactly
    // Home at 96 DPI under Wine was 1466 x 676 on a 1366 x 768 laptop.
    EXPECT_EQ(PointSizeToFit(12, 1466, 676, 1366, 768, 8), 11);
    // Twice too tall: half the points.
    EXPECT_EQ(PointSizeToFit(17, 1000, 2000, 3840, 1000, 4), 8);
    // Barely over: still one point less, since the frame does not shrink.
    EXPECT_EQ(PointSizeToFit(13, 1001, 500, 1000, 800, 8), 12);
    EXPECT_EQ(PointSizeToFit(9, 5000, 5000, 800, 600, 8), 8);
    EXPECT_EQ(PointSizeToFit(8, 5000, 5000, 800, 600, 8), 0);
    // Ten pixels high is the least that reads: 8 points at 96 DPI, 4 at 192.
    EXPECT_EQ(quorvel::SmallestReadablePoints(96), 8);
    EXPECT_EQ(quorvel::SmallestReadablePoints(192), 4);
}
