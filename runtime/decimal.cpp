#include "runtime/decimal.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace zor {

namespace {

using Acc = DecimalAccumulator;

// The most decimals the accumulator holds (positions 31 .. 1).
constexpr unsigned kMaxPlaces = Acc::kUnits - 1;

// Position of the least significant of the 2n - 1 stored digits.
int lowestStoredPosition(unsigned places) {
  return Acc::kUnits - static_cast<int>(places);
}

bool isPosition(int position) {
  return position >= 1 && position <= Acc::kPositions;
}

// Digit i (0 = most significant) of the 2n - 1 digits of a packed field.
// DECIMAL starts in the low nibble of byte 0; PDECIMAL in the high nibble.
uint8_t storedDigit(const uint8_t* bytes, size_t index, bool trailingSign) {
  size_t nibble = trailingSign ? index : index + 1;
  uint8_t byte = bytes[nibble / 2];
  uint8_t digit =
      (nibble % 2 == 0) ? static_cast<uint8_t>(byte >> 4) : static_cast<uint8_t>(byte & 0x0F);
  return digit > 9 ? 9 : digit;  // a damaged nibble reads as the largest digit, never out of range
}

void setStoredDigit(uint8_t* bytes, size_t index, bool trailingSign, uint8_t digit) {
  size_t nibble = trailingSign ? index : index + 1;
  uint8_t& byte = bytes[nibble / 2];
  if (nibble % 2 == 0) {
    byte = static_cast<uint8_t>((byte & 0x0F) | (digit << 4));
  } else {
    byte = static_cast<uint8_t>((byte & 0xF0) | digit);
  }
}

void unpack(const uint8_t* bytes, size_t size, unsigned places, bool trailingSign, Acc& acc) {
  acc.clear();
  if (size == 0) return;
  places = std::min(places, kMaxPlaces);
  size_t count = 2 * size - 1;
  int position = lowestStoredPosition(places) + static_cast<int>(count) - 1;
  for (size_t i = 0; i < count; ++i, --position) {
    if (isPosition(position)) acc.digits[position] = storedDigit(bytes, i, trailingSign);
  }
  bool negative = trailingSign ? (bytes[size - 1] & 0x0F) == 0x0D : (bytes[0] >> 4) != 0;
  acc.sign = negative ? -1 : 1;
  acc.normalise();
}

void pack(const Acc& source, uint8_t* bytes, size_t size, unsigned places, bool trailingSign) {
  std::fill(bytes, bytes + size, uint8_t{0});
  if (size == 0) return;
  Acc acc = source;
  places = std::min(places, 32u);
  roundDecimal(acc, places);
  if (acc.isZero()) return;
  size_t count = 2 * size - 1;
  int position = lowestStoredPosition(places) + static_cast<int>(count) - 1;
  bool anyDigit = false;
  for (size_t i = 0; i < count; ++i, --position) {
    uint8_t digit = isPosition(position) ? acc.digits[position] : 0;
    setStoredDigit(bytes, i, trailingSign, digit);
    anyDigit = anyDigit || digit != 0;
  }
  // A value whose every kept digit was cut off is stored as a plain zero.
  if (!anyDigit) return;
  if (trailingSign) {
    bytes[size - 1] = static_cast<uint8_t>((bytes[size - 1] & 0xF0) | (acc.sign < 0 ? 0x0D : 0x0F));
  } else if (acc.sign < 0) {
    bytes[0] = static_cast<uint8_t>(bytes[0] | 0xF0);
  }
}

// Sets the digits from a run of decimal digits whose units digit is at
// `unitsIndex` (the index just before the decimal point). Digits beyond the
// accumulator's decimals are rounded half away from zero; integer digits that
// do not fit make the result fail.
bool setDigits(const std::string& digits, size_t unitsIndex, int sign, Acc& acc) {
  acc.clear();
  bool roundUp = false;
  for (size_t i = 0; i < digits.size(); ++i) {
    int position = Acc::kUnits + static_cast<int>(unitsIndex) - static_cast<int>(i);
    uint8_t digit = static_cast<uint8_t>(digits[i] - '0');
    if (position > Acc::kPositions) {
      if (digit != 0) return false;
    } else if (position >= 1) {
      acc.digits[position] = digit;
    } else if (position == 0) {
      roundUp = digit >= 5;
    }
  }
  acc.sign = static_cast<int8_t>(sign);
  acc.normalise();
  if (roundUp) {
    int position = 1;
    while (position <= Acc::kPositions && acc.digits[position] == 9) acc.digits[position++] = 0;
    if (position > Acc::kPositions) return false;
    ++acc.digits[position];
    acc.normalise();
  }
  return true;
}

}  // namespace

void DecimalAccumulator::clear() {
  *this = DecimalAccumulator{};
}

void DecimalAccumulator::normalise() {
  low = high = 0;
  for (int position = 1; position <= kPositions; ++position) {
    if (digits[position] != 0) {
      if (low == 0) low = static_cast<uint8_t>(position);
      high = static_cast<uint8_t>(position);
    }
  }
  flag = high != 0 ? 0x80 : 0;
  if (flag == 0) sign = 1;
}

void unpackDecimal(const uint8_t* bytes, size_t size, unsigned places, DecimalAccumulator& acc) {
  unpack(bytes, size, places, false, acc);
}

void unpackPDecimal(const uint8_t* bytes, size_t size, unsigned places, DecimalAccumulator& acc) {
  unpack(bytes, size, places, true, acc);
}

void roundDecimal(DecimalAccumulator& acc, unsigned places) {
  if (places >= kMaxPlaces) return;  // nothing below the kept places
  int kept = lowestStoredPosition(places);
  int dropped = kept - 1;
  if (acc.digits[dropped] >= 5) {
    int position = kept;
    while (position <= Acc::kPositions && acc.digits[position] == 9) acc.digits[position++] = 0;
    if (position <= Acc::kPositions) ++acc.digits[position];  // a carry beyond the top is lost
  }
  std::fill(acc.digits + 1, acc.digits + kept, uint8_t{0});
  acc.normalise();
}

void packDecimal(const DecimalAccumulator& acc, uint8_t* bytes, size_t size, unsigned places) {
  pack(acc, bytes, size, places, false);
}

void packPDecimal(const DecimalAccumulator& acc, uint8_t* bytes, size_t size, unsigned places) {
  pack(acc, bytes, size, places, true);
}

bool decimalFromText(const std::string& text, DecimalAccumulator& acc) {
  acc.clear();
  size_t i = 0;
  int sign = 1;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    sign = text[i] == '-' ? -1 : 1;
    ++i;
  }
  std::string digits;
  size_t unitsIndex = std::string::npos;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c >= '0' && c <= '9') {
      digits.push_back(c);
    } else if (c == '.' && unitsIndex == std::string::npos) {
      unitsIndex = digits.size();
    } else {
      return false;
    }
  }
  if (digits.empty()) return false;
  if (unitsIndex == std::string::npos) unitsIndex = digits.size();
  if (unitsIndex == 0) {  // ".5": no integer digits
    digits.insert(digits.begin(), '0');
    unitsIndex = 1;
  }
  if (!setDigits(digits, unitsIndex - 1, sign, acc)) {
    acc.clear();
    return false;
  }
  return true;
}

std::string decimalToText(const DecimalAccumulator& acc) {
  if (acc.isZero()) return "0";
  std::string text = acc.sign < 0 ? "-" : "";
  int top = std::max<int>(acc.high, Acc::kUnits);
  for (int position = top; position >= Acc::kUnits; --position) {
    text.push_back(static_cast<char>('0' + acc.digits[position]));
  }
  if (acc.low < Acc::kUnits) {
    text.push_back('.');
    for (int position = Acc::kUnits - 1; position >= acc.low; --position) {
      text.push_back(static_cast<char>('0' + acc.digits[position]));
    }
  }
  return text;
}

std::string decimalToFixedText(const DecimalAccumulator& source, unsigned places) {
  places = std::min(places, kMaxPlaces);
  DecimalAccumulator acc = source;
  roundDecimal(acc, places);
  std::string text = acc.isZero() ? "" : (acc.sign < 0 ? "-" : "");
  int top = std::max<int>(acc.high, Acc::kUnits);
  for (int position = top; position >= Acc::kUnits; --position) {
    text.push_back(static_cast<char>('0' + acc.digits[position]));
  }
  if (places > 0) {
    text.push_back('.');
    for (unsigned k = 1; k <= places; ++k) {
      text.push_back(static_cast<char>('0' + acc.digits[Acc::kUnits - k]));
    }
  }
  return text;
}

void decimalFromInt(int64_t value, DecimalAccumulator& acc) {
  acc.clear();
  // Magnitude in unsigned arithmetic, so that the most negative value works.
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  for (int position = Acc::kUnits; magnitude != 0; ++position) {
    acc.digits[position] = static_cast<uint8_t>(magnitude % 10);
    magnitude /= 10;
  }
  acc.sign = value < 0 ? -1 : 1;
  acc.normalise();
}

void decimalFromReal(double value, DecimalAccumulator& acc, int significantDigits) {
  acc.clear();
  if (!std::isfinite(value) || value == 0) return;
  // With 15 significant digits every such decimal survives the round trip
  // through a double, so 0.1 reads back as 0.1.
  significantDigits = std::clamp(significantDigits, 1, 17);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*e", significantDigits - 1, std::fabs(value));
  // buffer: d.dddddddddddddde[+-]xx
  std::string digits;
  const char* p = buffer;
  for (; *p != 'e'; ++p) {
    if (*p >= '0' && *p <= '9') digits.push_back(*p);
  }
  int exponent = std::atoi(p + 1);
  if (exponent >= Acc::kPositions - Acc::kUnits + 1) {  // too large: the largest value
    std::fill(acc.digits + 1, acc.digits + Acc::kPositions + 1, uint8_t{9});
    acc.sign = value < 0 ? -1 : 1;
    acc.normalise();
    return;
  }
  for (size_t i = 0; i < digits.size(); ++i) {
    int position = Acc::kUnits + exponent - static_cast<int>(i);
    if (position >= 1) acc.digits[position] = static_cast<uint8_t>(digits[i] - '0');
  }
  acc.sign = value < 0 ? -1 : 1;
  acc.normalise();
}

bool decimalFromNumberText(const std::string& text, DecimalAccumulator& acc) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) {
    acc.clear();
    return false;
  }
  std::string trimmed = text.substr(first, text.find_last_not_of(' ') - first + 1);
  if (decimalFromText(trimmed, acc)) return true;
  char* end = nullptr;
  double value = std::strtod(trimmed.c_str(), &end);
  if (end == trimmed.c_str() || *end != '\0' || !std::isfinite(value)) {
    acc.clear();
    return false;
  }
  decimalFromReal(value, acc);
  return true;
}

double decimalToReal(const DecimalAccumulator& acc) {
  return std::strtod(decimalToText(acc).c_str(), nullptr);
}

int64_t decimalToInt(const DecimalAccumulator& acc) {
  uint64_t magnitude = 0;
  constexpr uint64_t kLimit = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
  for (int position = Acc::kPositions; position >= Acc::kUnits; --position) {
    if (magnitude > (kLimit - acc.digits[position]) / 10) {
      return acc.sign < 0 ? std::numeric_limits<int64_t>::min()
                          : std::numeric_limits<int64_t>::max();
    }
    magnitude = magnitude * 10 + acc.digits[position];
  }
  int64_t value = static_cast<int64_t>(magnitude);
  return acc.sign < 0 ? -value : value;
}

int compareDecimal(const DecimalAccumulator& a, const DecimalAccumulator& b) {
  int signA = a.isZero() ? 0 : a.sign;
  int signB = b.isZero() ? 0 : b.sign;
  if (signA != signB) return signA < signB ? -1 : 1;
  if (signA == 0) return 0;
  for (int position = Acc::kPositions; position >= 1; --position) {
    if (a.digits[position] != b.digits[position]) {
      bool aLarger = a.digits[position] > b.digits[position];
      return (aLarger == (signA > 0)) ? 1 : -1;
    }
  }
  return 0;
}

}  // namespace zor
