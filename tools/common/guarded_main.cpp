#include "tools/common/guarded_main.h"

#include <exception>
#include <iostream>

namespace zor::tool {

int runReportingExceptions(const char* tool, const std::function<int()>& body) {
  try {
    return body();
  } catch (const std::exception& error) {
    std::cerr << tool << ": " << error.what() << '\n';
  } catch (...) {
    std::cerr << tool << ": an unexpected failure\n";
  }
  return 1;
}

}  // namespace zor::tool
