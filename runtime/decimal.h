#pragma once
// The unpacked decimal accumulator and the packed DECIMAL / PDECIMAL forms.
// Digits sit at positions 1..63: position 32 is the units digit, positions
// above it the integer digits, 31 and below the decimals.

#include <cstddef>
#include <cstdint>
#include <string>

namespace zor {

struct DecimalAccumulator {
  static constexpr int kUnits = 32;
  static constexpr int kPositions = 63;

  uint8_t flag = 0;         // 0x80 when the value is non-zero
  uint8_t digits[64] = {};  // digits[1..63]; digits[0] unused
  int8_t sign = 1;          // +1 or -1
  uint8_t low = 0;          // lowest position with a significant digit
  uint8_t high = 0;         // highest position with a significant digit

  bool isZero() const { return flag == 0; }
  void clear();
  // Recomputes flag, low and high from the digits.
  void normalise();
};

// Byte size of DECIMAL(d, p) and PDECIMAL(d, p): floor(d/2) + 1.
inline size_t decimalByteSize(unsigned digits) {
  return digits / 2 + 1;
}

void unpackDecimal(const uint8_t* bytes, size_t size, unsigned places, DecimalAccumulator& acc);
void unpackPDecimal(const uint8_t* bytes, size_t size, unsigned places, DecimalAccumulator& acc);
// Rounds half away from zero to `places` decimals.
void roundDecimal(DecimalAccumulator& acc, unsigned places);
void packDecimal(const DecimalAccumulator& acc, uint8_t* bytes, size_t size, unsigned places);
void packPDecimal(const DecimalAccumulator& acc, uint8_t* bytes, size_t size, unsigned places);

// Conversions of the accumulator. Text accepts an optional sign, digits and
// one "."; returns false for anything else.
bool decimalFromText(const std::string& text, DecimalAccumulator& acc);
std::string decimalToText(const DecimalAccumulator& acc);  // e.g. "-12.35", "0"
// Exactly `places` decimals (rounded half away from zero): "12.50", "-0.30".
std::string decimalToFixedText(const DecimalAccumulator& acc, unsigned places);
void decimalFromInt(int64_t value, DecimalAccumulator& acc);
// Keeps 15 significant digits (what a double holds exactly); pass 7 for a
// single-precision source. Beyond 32 integer digits: the largest value.
void decimalFromReal(double value, DecimalAccumulator& acc, int significantDigits = 15);
// Lenient reading of a number typed or stored as text: surrounding blanks
// are ignored and exponent forms ("1.5e3") are accepted. False when the text
// is no number (acc is then zero).
bool decimalFromNumberText(const std::string& text, DecimalAccumulator& acc);
double decimalToReal(const DecimalAccumulator& acc);
int64_t decimalToInt(const DecimalAccumulator& acc);  // truncates toward zero
int compareDecimal(const DecimalAccumulator& a, const DecimalAccumulator& b);  // -1, 0, 1

}  // namespace zor
