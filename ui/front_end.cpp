#include "ui/front_end.h"

#include <utility>

namespace zor::ui {
namespace {

thread_local FrontEnd* threadFrontEnd = nullptr;

}  // namespace

FrontEnd* frontEnd() {
  return threadFrontEnd;
}

FrontEnd* setFrontEnd(FrontEnd* frontEnd) {
  return std::exchange(threadFrontEnd, frontEnd);
}

}  // namespace zor::ui
