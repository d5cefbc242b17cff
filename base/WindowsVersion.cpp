#include "base/WindowsVersion.h"

namespace quorvel {

WindowsVersion VersionFromNumbers(unsigned major, unsigned minor) {
    struct Step {
        unsigned major, minor;
        WindowsVersion version;
    };
    static const Step kSteps[] = {
        {10, 0, WindowsVersion::Win10}, {6, 3, WindowsVersion::Win81}, {6, 2, WindowsVersion::Win8},
        {6, 1, WindowsVersion::Win7},   {6, 0, WindowsVersion::Vista}, {5, 2, WindowsVersion::WinXP64},
        {5, 1, WindowsVersion::WinXP},  {5, 0, WindowsVersion::Win2K}, {4, 0, WindowsVersion::WinNT4},
    };
    for (const Step& s : kSteps)
        if (major > s.major || (major == s.major && minor >= s.minor)) return s.version;
    return WindowsVersion::Other;
}

bool IsSupportedVersion(WindowsVersion v) {
    return v == WindowsVersion::Win10 || v == WindowsVersion::Win81 || v == WindowsVersion::Win8 ||
           v == WindowsVersion::Win7 || v == WindowsVersion::Vista;
}

const char16_t* OsDebugName(WindowsVersion v) {
    switch (v) {
        case WindowsVersion::Win10: return u"Win10\n";
        case WindowsVersion::Win81: return u"Win8.1\n";
        case WindowsVersion::Win8: return u"Win8.0\n";
        case WindowsVersion::Win7: return u"Win7\n";
        case WindowsVersion::Vista: return u"WinVista\n";
        case WindowsVersion::WinXP64: return u"WinXP64\n";
        case WindowsVersion::WinXP: return u"WinXP\n";
        case WindowsVersion::Win2K: return u"Win2K\n";
        case WindowsVersion::WinNT4: return u"WinNT\n";
        case WindowsVersion::Other: return u"";
    }
    return u"";
}

}  // namespace quorvel
