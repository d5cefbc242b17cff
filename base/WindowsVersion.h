// The Windows version the program runs on, detected once at start-up and
// kept in AppState. Platform-neutral so that the conversions are unit-tested
// natively.
#pragma once

namespace quorvel {

// Other comes first: AppState is zero-filled, so the version is unknown
// until start-up has detected it.
enum class WindowsVersion { Other, Win10, Win81, Win8, Win7, Vista, WinXP64, WinXP, Win2K, WinNT4 };

// The first version, newest first, whose major.minor the system reaches.
WindowsVersion VersionFromNumbers(unsigned major, unsigned minor);

// True for the versions the program runs on (Vista to 10).
bool IsSupportedVersion(WindowsVersion v);

// The debugger line sent when the version is known ("Win10\n", "Win8.1\n"...).
const char16_t* OsDebugName(WindowsVersion v);

}  // namespace quorvel
