#pragma once
// Tokens of the expression language. Two adjacent relational characters
// form one relational operator ("<>", "~=", "<=", "=<", "~>", ">=", "=>",
// "~<"); the keywords AND, OR, XOR and NOT are operators as well.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace zor {

enum class TokenKind : uint8_t {
  kName,       // letters, "_" or "?" first; "PRE:LABEL" and "GROUP.FIELD" read as one name
  kNumber,     // digit or "." first; "0FFh", "1010b" and "17o" are hex, binary, octal
  kString,     // '...' with '' for a quote inside
  kPicture,    // "@" and the picture; "@P...P" and "@K...K" to their closing letter
  kOperator,   // op holds the operator code
  kSeparator,  // "," (20) and ":" (21)
  kOpen,       // "("
  kClose,      // ")"
  kOpenBracket,
  kCloseBracket,
  kPercent,  // "%": the evaluator's hook turns it into the remainder operator
  kEnd,
  kError,
};

// Operator codes.
namespace op {
inline constexpr uint8_t kPower = 2;
inline constexpr uint8_t kMultiply = 3;
inline constexpr uint8_t kDivide = 4;
inline constexpr uint8_t kRemainder = 5;
inline constexpr uint8_t kAdd = 7;
inline constexpr uint8_t kSubtract = 8;
inline constexpr uint8_t kConcat = 9;
inline constexpr uint8_t kEqual = 10;
inline constexpr uint8_t kNotEqual = 11;
inline constexpr uint8_t kLess = 12;
inline constexpr uint8_t kGreater = 13;
inline constexpr uint8_t kLessEqual = 14;
inline constexpr uint8_t kGreaterEqual = 15;
inline constexpr uint8_t kNot = 16;
inline constexpr uint8_t kAnd = 17;
inline constexpr uint8_t kOr = 18;
inline constexpr uint8_t kXor = 19;
inline constexpr uint8_t kComma = 20;
inline constexpr uint8_t kColon = 21;
}  // namespace op

inline bool isRelational(uint8_t code) {
  return code >= op::kEqual && code <= op::kGreaterEqual;
}

struct Token {
  TokenKind kind = TokenKind::kEnd;
  uint8_t op = 0;
  size_t pos = 0;         // character offset in the expression text
  std::string_view text;  // the token's characters as written
};

// Splits the whole text. The last token is kEnd, or kError at the first
// character that starts no token (then nothing after it is read).
void tokenize(std::string_view text, std::vector<Token>& tokens);

}  // namespace zor
