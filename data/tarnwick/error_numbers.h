#pragma once
// The error numbers the storage engine answers (0 = success); the same
// numbers as the driver interface's, so the driver passes them on unchanged.
// Errors of the file layer (platform/file.h) are passed through as they are.

namespace zor::tarnwick {

enum ErrorNumber : int {
  kOk = 0,
  kFileNotFound = 2,
  kAccessDenied = 5,   // a sharing violation, or a short write
  kItemNotFound = 35,  // no item with that key
  kInvalidDataFile = 36,
  kDuplicateItem = 40,  // an item with that key already exists
};

}  // namespace zor::tarnwick
