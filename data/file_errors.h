#pragma once
// The error numbers a driver answers (0 = success). Their texts are ERROR()'s
// (fileErrorTextOf in runtime/error_state.h); an operating-system error n is
// reported as kSystemErrorBase + n (data/system_error.h).

#include "runtime/error_state.h"

namespace zor::data {

enum FileErrorNumber : int {
  kNoError = 0,
  kErrFileNotFound = 2,
  kErrPathNotFound = 3,
  kErrTooManyOpenFiles = 4,
  kErrAccessDenied = 5,
  kErrMemoryCorrupted = 7,
  kErrInsufficientMemory = 8,
  kErrBadDrive = 15,
  kErrEntryNotFound = 30,
  kErrFileAlreadyLocked = 32,
  kErrRecordNotAvailable = 33,
  kErrRecordNotFound = 35,
  kErrInvalidDataFile = 36,
  kErrFileNotOpen = 37,
  kErrInvalidKeyFile = 38,
  kErrDuplicateKey = 40,
  kErrRecordHeld = 43,
  kErrInvalidFilename = 45,
  kErrKeyFileMustBeRebuilt = 46,
  kErrInvalidRecordDeclaration = 47,
  kErrUnableToLogTransaction = 48,
  kErrFileAlreadyOpen = 52,
  kErrInvalidFile = 53,
  kErrNoCreateAttribute = 54,
  kErrFileMustBeShared = 55,
  kErrLogoutAlreadyActive = 56,
  kErrInvalidMemoFile = 57,
  kErrExclusiveAccessRequired = 63,
  kErrSharingViolation = 64,
  kErrUnableToRollback = 65,
  kErrMemoFileMissing = 73,
  kErrInvalidFieldType = 75,
  kErrInvalidIndexString = 76,
  kErrUnableToAccessIndex = 77,
  kErrInvalidParameterCount = 78,
  kErrUnsupportedDataType = 79,
  kErrUnsupportedFunction = 80,
  kErrUnknownErrorPosted = 81,
  kErrInvalidKeyLength = 88,
  kErrRecordChanged = 89,
  kErrFileSystemError = 90,
  kErrLogoutNotActive = 91,
  kErrBuildInProgress = 92,
  kErrBuildCancelled = 93,
  kErrServerNotFound = 95,
  kErrRemoteObjectNotFound = 96,
  kErrStreamError = 97,
};

using zor::kSystemErrorBase;

}  // namespace zor::data
