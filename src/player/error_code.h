// The engine's error codes, 0 … 71, each with a fixed text. Failures travel
// as these integers; a code outside the table reads as kErrorInvalidError.
#pragma once

#include <cstdint>

namespace tnx::player {

enum Error : int32_t {
    kErrorNone = 0,
    kErrorUnknown = 1,
    kErrorInvalidParam = 2,
    kErrorLoadLibFailed = 3,
    kErrorFindFuncFailed = 4,
    kErrorNoFiles = 5,
    kErrorNoPrefs = 6,
    kErrorBufferTooSmall = 7,
    kErrorOutOfMemory = 8,
    kErrorFileNoAccess = 9,
    kErrorFileExists = 10,
    kErrorFileInvalidArg = 11,
    kErrorFileNotFound = 12,
    kErrorFileNoHandles = 13,
    kErrorNoMoreLibDirs = 14,
    kErrorNullValueInvalid = 15,
    kErrorInvalidError = 16,
    kErrorPluginNotInitialized = 17,
    kErrorGotDefaultMethod = 18,
    kErrorInputUnsuccessful = 19,
    kErrorSeekNotSupported = 20,
    kErrorOutputUnsuccessful = 21,
    kErrorInitFailed = 22,
    kErrorInitFailedSafely = 23,
    kErrorNoDataAvail = 24,
    kErrorSeekFailed = 25,
    kErrorCreateThreadFailed = 26,
    kErrorBufferingUp = 27,
    kErrorInterrupt = 28,
    kErrorEventPending = 29,
    kErrorYouScrewedUp = 30,
    kErrorNoPrefValue = 31,
    kErrorSyntaxError = 32,
    kErrorEndOfStream = 33,
    kErrorConnectFailed = 34,
    kErrorCantCreateSocket = 35,
    kErrorCannotSetSocketOpts = 36,
    kErrorCannotBindSocket = 37,
    kErrorDbNotStored = 38,
    kErrorParseError = 39,
    kErrorNotFound = 40,
    kErrorNoMoreFormats = 41,
    kErrorFormatNotSupported = 42,
    kErrorNoMoreDevices = 43,
    kErrorDeviceNotFound = 44,
    kErrorFeatureNotSupported = 45,
    kErrorUserCancel = 46,
    kErrorLoadBitmapFailed = 47,
    kErrorProtocolNotSupported = 48,
    kErrorInvalidUrl = 49,
    kErrorCantFindHost = 50,
    kErrorIo = 51,
    kErrorUnknownServerError = 52,
    kErrorBadHttpRequest = 53,
    kErrorAccessNotAuthorized = 54,
    kErrorAccessForbidden = 55,
    kErrorRangeNotExceptable = 56,
    kErrorWriteFile = 57,
    kErrorReadFile = 58,
    kErrorInvalidVersion = 59,
    kErrorAlreadyUpdating = 60,
    kErrorDeleteFailed = 61,
    kErrorCopyFailed = 62,
    kErrorNoItemsUpdated = 63,
    kErrorDatabaseNotWorking = 64,
    kErrorDuplicateItem = 65,
    kErrorItemNotFound = 66,
    kErrorFileNotFoundGeneric = 67,
    kErrorCdInitFailed = 68,
    kErrorCdPlayFailed = 69,
    kErrorDownloadDenied = 70,
    kErrorLastError = 71,
};

constexpr int32_t kErrorCount = 72;

// The fixed text of a code.
const char* errorText(int32_t code);

}  // namespace tnx::player
