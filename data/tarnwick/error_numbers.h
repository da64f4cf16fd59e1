#pragma once
// The engine's names for the driver interface's error numbers it answers
// most (data/file_errors.h holds them all): the engine speaks the driver's
// numbers, so the driver passes them on unchanged. A failure of the file
// layer reaches the engine already mapped (block_file.h).

#include "data/file_errors.h"

namespace zor::tarnwick {

inline constexpr int kOk = data::kNoError;
inline constexpr int kFileNotFound = data::kErrFileNotFound;
inline constexpr int kAccessDenied = data::kErrAccessDenied;  // a sharing violation, a short write
inline constexpr int kItemNotFound = data::kErrRecordNotFound;  // no item with that key
inline constexpr int kInvalidDataFile = data::kErrInvalidDataFile;
inline constexpr int kDuplicateItem = data::kErrDuplicateKey;  // an item with that key exists

}  // namespace zor::tarnwick
