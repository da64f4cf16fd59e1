#pragma once
// The working value of the expression evaluator: an integer, a real, a text
// or nothing. Texts are views: into the expression's constants, into a bound
// field's bytes, or into the result buffer of the node that built them; they
// stay valid until the expression is evaluated again.
//
// Mixed operands: arithmetic turns texts into numbers (leading blanks, sign,
// digits and one "." are read; the rest is ignored; no number reads as 0).
// Integers stay integers while the result fits; otherwise the result is real.
// A comparison of two texts compares text (trailing blanks never matter);
// any other comparison compares numbers, two reals being equal when they
// differ by less than one part in 10^13 (so 0.1 + 0.2 = 0.3, as a decimal
// reader expects). Nothing reads as the empty text and 0.

#include <array>
#include <cmath>
#include <cstdint>
#include <string_view>

namespace zor {

enum class ValueKind : uint8_t { kNone, kInt, kReal, kString };

struct Value {
  ValueKind kind = ValueKind::kNone;
  int64_t integer = 0;
  double real = 0;
  std::string_view text;

  static Value ofInt(int64_t v) { return {ValueKind::kInt, v, 0, {}}; }
  static Value ofReal(double v);  // non-finite reals become 0
  static Value ofText(std::string_view v) { return {ValueKind::kString, 0, 0, v}; }
  bool isNumber() const { return kind == ValueKind::kInt || kind == ValueKind::kReal; }

  // The evaluator sets results in place: building a temporary and copying
  // it costs more than the whole comparison it carries.
  void setInt(int64_t v) {
    kind = ValueKind::kInt;
    integer = v;
  }
  void setReal(double v) {
    kind = ValueKind::kReal;
    real = std::isfinite(v) ? v : 0.0;
  }
  void setText(std::string_view v) {
    kind = ValueKind::kString;
    text = v;
  }
  void setNone() { kind = ValueKind::kNone; }
};

// Room for the text of any number.
using NumberText = std::array<char, 40>;

Value numberFromText(std::string_view text);
// The number a value stands for (texts read as described above).
Value toNumber(const Value& value);
double toReal(const Value& value);
int64_t toInt(const Value& value);  // truncates toward zero, saturates at the int64 limits
// The text of a value; numbers are written into `scratch`. Reals show up to
// 15 significant digits, whole reals without a decimal point.
std::string_view toText(const Value& value, NumberText& scratch);
// Numbers: not zero; texts: not blank.
inline bool isTrue(const Value& value) {
  switch (value.kind) {
    case ValueKind::kInt:
      return value.integer != 0;
    case ValueKind::kReal:
      return value.real != 0;
    case ValueKind::kString:
      return value.text.find_first_not_of(' ') != std::string_view::npos;
    case ValueKind::kNone:
      break;
  }
  return false;
}
// -1, 0 or 1 under the rules above.
int compareValues(const Value& a, const Value& b);
// Rounds a real to 15 significant digits, removing binary noise such as
// 0.1 + 0.2 = 0.30000000000000004.
double roundToSignificant(double value);

}  // namespace zor
