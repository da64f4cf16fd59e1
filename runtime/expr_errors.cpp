#include "runtime/expr_errors.h"

#include "runtime/error_state.h"

namespace zor {

std::string ExprError::message() const {
  std::string message = errorTextOf(code);
  if (!detail.empty()) message += " " + detail;
  if (pos != kNoPosition) message += " at pos " + std::to_string(pos);
  return message;
}

}  // namespace zor
