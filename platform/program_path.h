#pragma once
// The full path of the running program file.

#include <string>

namespace zor::platform {

// The program file's absolute path, or "" when the system does not tell.
std::string programPath();

}  // namespace zor::platform
