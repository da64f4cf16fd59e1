#pragma once
// Errors of the expression evaluator (texts in the runtime's error table). A compile error keeps
// the position of the token where parsing stopped; its message then ends in " at pos N" (N the
// character offset) unless parsing stopped at the end of the text.

#include <cstddef>
#include <string>

namespace zor {

inline constexpr int kErrorInvalidExpression = 1010;
inline constexpr int kErrorNotBound = 1011;
inline constexpr int kErrorMismatchedPushBind = 1012;
inline constexpr int kErrorNoEvaluator = 1013;
inline constexpr int kErrorUnknownContext = 1014;
inline constexpr int kErrorOmittedParameter = 1015;

struct ExprError {
  static constexpr size_t kNoPosition = static_cast<size_t>(-1);

  int code = 0;
  size_t pos = kNoPosition;  // kNoPosition: at the end of the text, or not a parse error
  std::string detail;        // the unbound name for 1011
  // What stopped the parser, for a person ("" when the error text says it
  // all): a limit reached, an unknown function, a character no token starts
  // with. The error text itself is fixed.
  std::string hint;

  bool failed() const { return code != 0; }
  // "Invalid expression for EVALUATE at pos 4", "BIND has not been called for X at pos 0".
  std::string message() const;
};

}  // namespace zor
