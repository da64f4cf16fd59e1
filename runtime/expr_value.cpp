#include "runtime/expr_value.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "runtime/string_functions.h"

namespace zor {

Value Value::ofReal(double v) {
  return {ValueKind::kReal, 0, std::isfinite(v) ? v : 0.0, {}};
}

Value numberFromText(std::string_view text) {
  size_t at = 0;
  while (at < text.size() && text[at] == ' ') ++at;
  size_t start = at;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
  size_t digits = 0;
  bool point = false;
  while (at < text.size()) {
    char c = text[at];
    if (c >= '0' && c <= '9') {
      ++digits;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
    ++at;
  }
  if (digits == 0) return Value::ofInt(0);
  std::string_view number = text.substr(start, at - start);
  if (number.front() == '+') number.remove_prefix(1);
  if (!point) {
    int64_t value = 0;
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc() && end == number.data() + number.size()) return Value::ofInt(value);
  }
  double real = 0;
  std::from_chars(number.data(), number.data() + number.size(), real);
  return Value::ofReal(real);
}

Value toNumber(const Value& value) {
  switch (value.kind) {
    case ValueKind::kInt:
    case ValueKind::kReal:
      return value;
    case ValueKind::kString:
      return numberFromText(value.text);
    case ValueKind::kNone:
      break;
  }
  return Value::ofInt(0);
}

double toReal(const Value& value) {
  Value number = toNumber(value);
  return number.kind == ValueKind::kInt ? static_cast<double>(number.integer) : number.real;
}

int64_t toInt(const Value& value) {
  Value number = toNumber(value);
  if (number.kind == ValueKind::kInt) return number.integer;
  double real = std::trunc(number.real);
  if (!(real > -9.2e18)) return real < 0 ? std::numeric_limits<int64_t>::min() : 0;  // NaN -> 0
  if (real > 9.2e18) return std::numeric_limits<int64_t>::max();
  return static_cast<int64_t>(real);
}

double roundToSignificant(double value) {
  if (value == 0 || !std::isfinite(value)) return value;
  char text[40];
  auto [end, error] =
      std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, 14);
  if (error != std::errc()) return value;
  double rounded = value;
  std::from_chars(text, end, rounded);
  return rounded;
}

std::string_view toText(const Value& value, NumberText& scratch) {
  char* first = scratch.data();
  char* last = first + scratch.size();
  switch (value.kind) {
    case ValueKind::kString:
      return value.text;
    case ValueKind::kNone:
      return {};
    case ValueKind::kInt: {
      auto result = std::to_chars(first, last, value.integer);
      return {first, static_cast<size_t>(result.ptr - first)};
    }
    case ValueKind::kReal:
      break;
  }
  double real = value.real;
  if (std::abs(real) < 1e15 && real == std::trunc(real)) {
    auto result = std::to_chars(first, last, static_cast<int64_t>(real));
    return {first, static_cast<size_t>(result.ptr - first)};
  }
  auto result = std::to_chars(first, last, real, std::chars_format::general, 15);
  return {first, static_cast<size_t>(result.ptr - first)};
}

int compareValues(const Value& a, const Value& b) {
  auto textual = [](const Value& v) {
    return v.kind == ValueKind::kString || v.kind == ValueKind::kNone;
  };
  if (textual(a) && textual(b)) return compareText(a.text, b.text);
  if (a.kind == ValueKind::kInt && b.kind == ValueKind::kInt) {
    return a.integer < b.integer ? -1 : a.integer > b.integer ? 1 : 0;
  }
  Value x = toNumber(a);
  Value y = toNumber(b);
  if (x.kind == ValueKind::kInt && y.kind == ValueKind::kInt) {
    return x.integer < y.integer ? -1 : x.integer > y.integer ? 1 : 0;
  }
  double p = x.kind == ValueKind::kInt ? static_cast<double>(x.integer) : x.real;
  double q = y.kind == ValueKind::kInt ? static_cast<double>(y.integer) : y.real;
  if (p == q) return 0;
  double scale = std::max(std::abs(p), std::abs(q));
  if (std::abs(p - q) <= scale * 1e-13) return 0;
  return p < q ? -1 : 1;
}

}  // namespace zor
