#pragma once
// The body of a tool's main(): no input may end a tool on an exception, so
// anything thrown becomes "TOOL: WHAT" on stderr and exit code 1.

#include <functional>

namespace zor::tool {

int runReportingExceptions(const char* tool, const std::function<int()>& body);

}  // namespace zor::tool
