#pragma once
// Opening a Tarnwick file for a twk command: read only, sharing with other
// users, with a clear message for a missing or damaged file. An internal
// failure while the command walks the file becomes a message and exit 1.

#include <functional>
#include <string>

#include "data/tarnwick/tarnwick_file.h"

namespace zor::twk {

// Why `path` could not be opened as a Tarnwick file: "not a Tarnwick file
// (...)", "is a folder, not a file", "does not exist" or the error's text.
std::string openProblem(const std::string& path, int error);

// What info, verify and pack say of a 0-byte file, which the driver takes
// for a new, empty one.
inline constexpr const char* kEmptyFileNote =
    "empty file: no Tarnwick header yet (a program opening it takes it for a new, empty file)";

// For a 0-byte file: prints kEmptyFileNote and answers true.
bool saidEmpty(tarnwick::TarnwickFile& file);

// Opens `path` and runs `body` on it; answers body's exit code, or prints
// "twk: PATH: REASON" and answers kExitFailure. A change a stopped writer
// left pending is settled as a program's open would: with `settleOnDisk` in
// the file when it may be written, otherwise in memory.
int withOpenFile(const std::string& path, const std::function<int(tarnwick::TarnwickFile&)>& body,
                 bool settleOnDisk = false);

// Runs `body` with the engine's fatal stop (a damaged page, an internal
// failure) turned into "twk: PATH: REASON" and kExitFailure instead of the
// end of the process.
int withFailuresReported(const std::string& path, const std::function<int()>& body);

}  // namespace zor::twk
