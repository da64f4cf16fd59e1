#include "runtime/picture_number.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace zor::picture_detail {

namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// Lays out a run of significant digits of which the first `point` stand
// before the decimal point (point may be negative or exceed the count).
void clear(NumberDigits& number) {  // the digit buffer itself needs no clearing
  number.integerCount = 0;
  number.fractionCount = 0;
  number.negative = false;
  number.tooLarge = false;
}

void assignDigits(const char* mantissa, int count, int point, bool negative, NumberDigits& number) {
  clear(number);
  int first = 0;
  while (first < count && mantissa[first] == '0') ++first;
  if (first == count) return;  // zero
  mantissa += first;
  count -= first;
  point -= first;
  if (point > NumberDigits::kMaxIntegerDigits) {
    number.tooLarge = true;
    number.negative = negative;
    return;
  }
  char* out = number.digits;
  if (point > 0) {
    for (int i = 0; i < point; ++i) *out++ = i < count ? mantissa[i] : '0';
    number.integerCount = point;
    mantissa += point < count ? point : count;
    count = point < count ? count - point : 0;
    point = 0;
  }
  int fraction = 0;
  for (int i = point; i < 0 && fraction < NumberDigits::kMaxFractionDigits; ++i, ++fraction) {
    *out++ = '0';
  }
  for (int i = 0; i < count && fraction < NumberDigits::kMaxFractionDigits; ++i, ++fraction) {
    *out++ = mantissa[i];
  }
  number.fractionCount = fraction;
  number.negative = negative;
}

// The leading numeric part of a text: blanks, sign, digits, ".", digits and
// an exponent. Anything else ends it; no digits at all reads as zero.
void numberFromText(std::string_view text, NumberDigits& number) {
  constexpr int kCapacity = NumberDigits::kMaxIntegerDigits + NumberDigits::kMaxFractionDigits;
  char mantissa[kCapacity];
  int count = 0;
  int point = -1;
  int beforePoint = 0;
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (isDigit(c)) {
      if (count == 0 && c == '0' && point < 0) continue;  // leading zeros
      if (point < 0) ++beforePoint;
      if (count < kCapacity) mantissa[count++] = c;
    } else if (c == '.' && point < 0) {
      point = beforePoint;
    } else {
      break;
    }
  }
  if (point < 0) point = beforePoint;
  if (i + 1 < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    size_t j = i + 1;
    bool expNegative = false;
    if (text[j] == '-' || text[j] == '+') expNegative = text[j++] == '-';
    int exponent = 0;
    for (; j < text.size() && isDigit(text[j]); ++j) {
      if (exponent < 100000) exponent = exponent * 10 + (text[j] - '0');
    }
    point += expNegative ? -exponent : exponent;
  }
  assignDigits(mantissa, count, point, negative, number);
}

// The fifteen significant digits of a positive value by scaling with an
// exact power of ten, when the scaled value is far enough from a rounding
// tie that the result is certainly what "%.14e" gives; false otherwise.
bool fastRealDigits(double value, char* mantissa, int& point) {
  static constexpr double kPowers[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                         1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  if (!(value >= 1e-7 && value < 1e15)) return false;
  int exponent = 14;  // value < 10^(exponent + 1)
  while (exponent > -7 && value < (exponent >= 0 ? kPowers[exponent] : 1 / kPowers[-exponent])) {
    --exponent;
  }
  double scaled = value * kPowers[14 - exponent];
  if (!(scaled >= 1e14 && scaled < 1e15 - 1)) return false;
  double whole = std::floor(scaled);
  double fraction = scaled - whole;
  if (fraction > 0.25 && fraction < 0.75) return false;
  uint64_t digits = static_cast<uint64_t>(whole) + (fraction >= 0.75 ? 1 : 0);
  for (int i = 14; i >= 0; --i) {
    mantissa[i] = static_cast<char>('0' + digits % 10);
    digits /= 10;
  }
  point = exponent + 1;
  return digits == 0;
}

void numberFromReal(double value, NumberDigits& number) {
  if (!std::isfinite(value)) {
    clear(number);
    number.tooLarge = true;
    return;
  }
  // Fifteen significant digits, the precision a REAL carries.
  char mantissa[16];
  int point = 0;
  if (value == 0 || fastRealDigits(std::fabs(value), mantissa, point)) {
    assignDigits(mantissa, value == 0 ? 0 : 15, point, value < 0, number);
    return;
  }
  char text[40];
  int n = std::snprintf(text, sizeof text, "%.14e", std::fabs(value));
  int count = 0;
  int at = 0;
  for (; at < n && text[at] != 'e'; ++at) {
    if (isDigit(text[at]) && count < 16) mantissa[count++] = text[at];
  }
  int exponent = at + 1 < n ? std::atoi(text + at + 1) : 0;
  assignDigits(mantissa, count, exponent + 1, value < 0, number);
}

void numberFromDecimal(const DecimalAccumulator& acc, NumberDigits& number) {
  char mantissa[DecimalAccumulator::kPositions];
  for (int p = DecimalAccumulator::kPositions; p >= 1; --p) {
    uint8_t d = acc.digits[p];
    mantissa[DecimalAccumulator::kPositions - p] = static_cast<char>('0' + (d <= 9 ? d : 0));
  }
  int point = DecimalAccumulator::kPositions - DecimalAccumulator::kUnits + 1;
  assignDigits(mantissa, DecimalAccumulator::kPositions, point, acc.sign < 0, number);
}

void numberFromInteger(int64_t value, NumberDigits& number) {
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  char text[24];
  auto result = std::to_chars(text, text + sizeof text, magnitude);
  int count = static_cast<int>(result.ptr - text);
  assignDigits(text, count, count, value < 0, number);
}

}  // namespace

bool NumberDigits::isZero() const {
  if (tooLarge) return false;
  for (int i = 0; i < integerCount + fractionCount; ++i) {
    if (digits[i] != '0') return false;
  }
  return true;
}

void numberFromValue(const PictureValue& value, NumberDigits& number) {
  switch (value.kind) {
    case PictureValue::Kind::Text:
      numberFromText(value.text, number);
      break;
    case PictureValue::Kind::Decimal:
      if (value.decimal) {
        numberFromDecimal(*value.decimal, number);
      } else {
        clear(number);
      }
      break;
    case PictureValue::Kind::Real:
      numberFromReal(value.real, number);
      break;
    case PictureValue::Kind::Integer:
    case PictureValue::Kind::Date:
    case PictureValue::Kind::Time:
      numberFromInteger(value.integer, number);
      break;
  }
  if (number.isZero()) number.negative = false;
}

void roundToPlaces(NumberDigits& number, int places) {
  if (number.tooLarge) return;
  char* d = number.digits;
  if (number.fractionCount > places) {
    bool up = d[number.integerCount + places] >= '5';
    number.fractionCount = places;
    int i = number.integerCount + places;
    while (up && i > 0) {
      --i;
      if (d[i] == '9') {
        d[i] = '0';
      } else {
        ++d[i];
        up = false;
      }
    }
    if (up) {  // the carry ran off the top: one more integer digit
      if (number.integerCount >= NumberDigits::kMaxIntegerDigits) {
        number.tooLarge = true;
        return;
      }
      std::memmove(d + 1, d, static_cast<size_t>(number.integerCount + places));
      d[0] = '1';
      ++number.integerCount;
    }
  }
  while (number.fractionCount < places) d[number.integerCount + number.fractionCount++] = '0';
  if (number.isZero()) number.negative = false;
}

int64_t integerFromValue(const PictureValue& value) {
  switch (value.kind) {
    case PictureValue::Kind::Integer:
    case PictureValue::Kind::Date:
    case PictureValue::Kind::Time:
      return value.integer;
    case PictureValue::Kind::Decimal:
      return value.decimal ? decimalToInt(*value.decimal) : 0;
    case PictureValue::Kind::Real:
      if (!(std::fabs(value.real) < 9.0e18)) return 0;
      return static_cast<int64_t>(value.real);
    case PictureValue::Kind::Text: {
      std::string_view text = value.text;
      size_t i = 0;
      while (i < text.size() && text[i] == ' ') ++i;
      bool negative = i < text.size() && text[i] == '-';
      if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
      int64_t result = 0;
      for (; i < text.size() && isDigit(text[i]); ++i) {
        if (result < 100000000000000LL) result = result * 10 + (text[i] - '0');
      }
      return negative ? -result : result;
    }
  }
  return 0;
}

size_t numberToText(const NumberDigits& number, char* out) {
  size_t n = 0;
  if (number.negative && !number.isZero()) out[n++] = '-';
  if (number.integerCount == 0) out[n++] = '0';
  std::memcpy(out + n, number.digits, static_cast<size_t>(number.integerCount));
  n += static_cast<size_t>(number.integerCount);
  int fraction = number.fractionCount;
  while (fraction > 0 && number.fraction()[fraction - 1] == '0') --fraction;
  if (fraction > 0) {
    out[n++] = '.';
    std::memcpy(out + n, number.fraction(), static_cast<size_t>(fraction));
    n += static_cast<size_t>(fraction);
  }
  return n;
}

}  // namespace zor::picture_detail
