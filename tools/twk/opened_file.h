#pragma once
// Opening a Tarnwick file for a twk command: read only, sharing with other
// users, with a clear message for a missing or damaged file. An internal
// failure while the command walks the file becomes a message and exit 1.

#include <functional>
#include <string>

#include "data/tarnwick/tarnwick_file.h"

namespace zor::twk {

// Opens `path` and runs `body` on it; answers body's exit code, or prints
// "twk: PATH: REASON" and answers kExitFailure.
int withOpenFile(const std::string& path, const std::function<int(tarnwick::TarnwickFile&)>& body);

// Runs `body` with the engine's fatal stop (a damaged page, an internal
// failure) turned into "twk: PATH: REASON" and kExitFailure instead of the
// end of the process.
int withFailuresReported(const std::string& path, const std::function<int()>& body);

}  // namespace zor::twk
