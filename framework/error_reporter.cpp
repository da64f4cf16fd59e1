#include "framework/error_reporter.h"

namespace zor::fw {

void ErrorReporter::Init() {
  initialized_ = true;
}

void ErrorReporter::Kill() {
  initialized_ = false;
}

}  // namespace zor::fw
