// Failure codes and question ids. Every code is also the id of its text in
// the string table (res/strings.rc), so a code can be shown and logged as is.
#pragma once
#include <cstdint>

namespace quorvel {

// [[nodiscard]] on the type: a call whose status is dropped does not compile
// (-Werror=unused-result), so a failure is either passed up, reported, or
// dropped with a (void) and a comment saying why that is sound.
// clang-format 14 reads the attribute as an initialiser and joins the brace.
// clang-format off
enum [[nodiscard]] Status : std::uint32_t {
    // clang-format on
    kOk = 0,
    kErrThread = 10000,
    kErrInvalidArgument = 10001,
    kErrClassRegistration = 10003,
    kErrCreateWindow = 10004,
    kErrCreateDialog = 10005,
    kErrCreateFont = 10006,
    kErrPointer = 10007,
    kErrOutOfRange = 10008,
    kErrHandle = 10009,
    kErrString = 10010,
    kErrPointerNotNull = 10011,
    kErrNotPositive = 10012,
    kErrAppNotFound = 10013,
    kErrAppFailed = 10014,
    kErrFindFirstFile = 10015,
    kErrRichEdit = 10016,
    kErrResourceString = 10017,
    kErrIniEntry = 10018,
    kErrIniFile = 10020,
    kErrCreateFolder = 10021,
    kErrCreateFile = 10022,
    kErrMissingPhotos = 10023,
    kErrPreviewWindow = 10024,
    kErrMonitorOrientation = 10025,
    kErrAlbum1Orientation = 10026,
    kErrAlbum1Orientation2 = 10027,
    kErrAlbum1Resolution = 10028,
    kErrAlbum2Resolution = 10029,
    kErrAlbum2Orientation = 10030,
    kErrDeviceContext = 10031,
    kErrRename = 10032,
    kErrCopyFile = 10033,
    kErrMemory = 10034,
    kErrLoadBitmap = 10035,
    kErrDiskWrite = 10036,
    kErrMissingResource = 10037,
    kErrFileMissing = 10038,
    kErrOpenFile = 10039,
    kErrGdiplus = 10040,
    kErrCreateBitmap = 10041,
    kErrOpenRegistry = 10042,
    kErrWriteRegistry = 10043,
    kErrLastPhoto = 10044,
    kErrDeleteFile = 10045,
    kErrListView = 10046,
    kErrMemoryAccess = 10047,
    kErrReadRegistry = 10048,
    kErrMattingTooSmall = 10049,
    kErrPhotoTooSmall = 10050,
    kErrBitmapDisplay = 10051,
    kErrMissingMatting = 10052,
    kErrImageDimension = 10053,
    kErrTopLeft = 10054,
    kErrNoMonitorsMapped = 10055,
    kErrGeneral = 10056,
    kErrWindowsApi = 10057,
    kErrWidthNotMultipleOf4 = 10058,
    kErrPowerSchemeUntested = 10059,
    kErrColourTable = 10060,
    kErrIniWrite = 10061,
    kErrLoadIcon = 10062,
    kErrPhotoMismatch = 10063,
    kErrUpdateBitmap = 10064,
    kErrWindowsFunction = 10065,
    kErrRegistryBuffer = 10074,
    kErrRegistryMissing = 10075,
    kErrLayeredWindow = 10076,
    kErrUnsupportedOs = 10077,
    kErrDeleteFolder = 10078,
    kErrLoadShcore = 10079,
    kErrProcAddress = 10080,
    kErrNoMonitors = 10081,
    kErrBitsPerPixel = 10082,
    kErrFirstTimeInit = 10083,
    kErrRegistryKeys = 10084,
    kErrSuspendRefused = 10086,
};

enum : unsigned {
    kAskImportMore = 20000,
    kAskHelpClosed = 20002,
    kAskHalveResolution = 20005,
    kAskNotCurrentSaver = 20006,
    kAskCleanup = 20007,
    kAskRepairFirst = 20008,
};

}  // namespace quorvel
