// The properties list's English texts as the string table holds them, for
// the unit tests and the fuzzers; the Windows tests check the table itself.
#pragma once
#include <iterator>

#include "imaging/Metadata.h"

namespace quorvel {

inline PropertyTexts EnglishTexts() {
    PropertyTexts t;
    const char16_t* labels[] = {u"Dimensions:", u"Date taken:", u"Date modified:", u"Model:",         u"Make:",
                                u"Title:",      u"F-Stop:",     u"Exposure time:", u"ISO:",           u"White balance:",
                                u"Saturation:", u"Sharpness:",  u"Contrast:",      u"Focal length:",  u"Aperture:",
                                u"Metering:",   u"Software:",   u"Author:",        u"Exposure bias:", u"Comment:",
                                u"Copyright:",  u"File name:",  u"File size:"};
    for (std::size_t i = 0; i < std::size(labels); ++i) t[i] = labels[i];
    t[kTextColumnName] = u"Name";
    t[kTextColumnValue] = u"Value";
    t[kTextDefault] = u"default";
    t[kTextMeteringAverage] = u"Average";
    t[kTextMeteringCenter] = u"Center Weighted Average";
    t[kTextMeteringSpot] = u"Spot";
    t[kTextMeteringMultiSpot] = u"MultiSpot";
    t[kTextMeteringPattern] = u"Pattern";
    t[kTextMeteringPartial] = u"Partial ";
    t[kTextUnknown] = u"?";
    t[kTextFormatDimensions] = u"%lu X %lu";
    t[kTextFormatFStop] = u"f/%.1f";
    t[kTextFormatExposure] = u"1/%ld sec.";
    t[kTextFormatSeconds] = u"%.1f sec.";
    t[kTextFormatIso] = u"ISO-%d";
    t[kTextFormatNumber] = u"%d";
    t[kTextFormatMillimetres] = u"%.1f mm";
    t[kTextFormatWholeMillimetres] = u"%ld mm";
    t[kTextFormatAperture] = u"%.1f";
    t[kTextFormatStep] = u"%.1f step";
    t[kTextFormatWholeStep] = u"%ld step";
    t[kTextFormatFileSize] = u"%.1lf KB (%.2lf MB)";
    return t;
}

}  // namespace quorvel
