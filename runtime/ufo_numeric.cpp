#include "runtime/ufo_numeric.h"

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <type_traits>

#include "runtime/date_time.h"

namespace zor {

static_assert(std::endian::native == std::endian::little,
              "SREAL and REAL fields are copied as little-endian IEEE values");

namespace {

uint64_t loadLittle(const uint8_t* bytes, size_t size) {
  uint64_t value = 0;
  for (size_t i = 0; i < size; ++i) value |= static_cast<uint64_t>(bytes[i]) << (8 * i);
  return value;
}

void storeLittle(uint8_t* bytes, size_t size, uint64_t value) {
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

// Truncates toward zero; out-of-range values stick to the limits, NaN is 0.
int64_t truncateToInt(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 9223372036854775807.0) return std::numeric_limits<int64_t>::max();
  if (value <= -9223372036854775808.0) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(value);
}

int32_t toInt32(int64_t value) {
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()) {
    return -1;  // no valid date or time
  }
  return static_cast<int32_t>(value);
}

}  // namespace

// --- common numeric behaviour ----------------------------------------------

std::string UfoNumeric::text() const {
  DecimalAccumulator acc;
  toDecimal(acc);
  return decimalToText(acc);
}

void UfoNumeric::assignText(const std::string& value) {
  DecimalAccumulator acc;
  decimalFromNumberText(value, acc);  // not a number: zero
  assignDecimal(acc);
}

// --- integers ----------------------------------------------------------------

template <typename Int, uint8_t Code>
int64_t UfoInteger<Int, Code>::toInt() const {
  using Unsigned = std::make_unsigned_t<Int>;
  return static_cast<Int>(static_cast<Unsigned>(loadLittle(address_, sizeof(Int))));
}

template <typename Int, uint8_t Code>
void UfoInteger<Int, Code>::toDecimal(DecimalAccumulator& acc) const {
  decimalFromInt(toInt(), acc);
}

template <typename Int, uint8_t Code>
void UfoInteger<Int, Code>::assignInt(int64_t value) {
  storeLittle(address_, sizeof(Int), static_cast<uint64_t>(value));
}

template <typename Int, uint8_t Code>
void UfoInteger<Int, Code>::assignReal(double value) {
  assignInt(truncateToInt(value));
}

template <typename Int, uint8_t Code>
void UfoInteger<Int, Code>::assignDecimal(const DecimalAccumulator& acc) {
  assignInt(decimalToInt(acc));
}

template class UfoInteger<uint8_t, kByte>;
template class UfoInteger<int16_t, kShort>;
template class UfoInteger<uint16_t, kUShort>;
template class UfoInteger<int32_t, kLong>;
template class UfoInteger<uint32_t, kULong>;

// --- DATE and TIME -------------------------------------------------------------

int64_t UfoDate::toInt() const {
  return packedToStandardDate(readPackedDate(address_));
}

void UfoDate::toDecimal(DecimalAccumulator& acc) const {
  decimalFromInt(toInt(), acc);
}

void UfoDate::assignInt(int64_t value) {
  PackedDate date;
  standardToPackedDate(toInt32(value), date);  // an invalid date stores as no date
  writePackedDate(address_, date);
}

void UfoDate::assignReal(double value) {
  assignInt(truncateToInt(value));
}

void UfoDate::assignDecimal(const DecimalAccumulator& acc) {
  assignInt(decimalToInt(acc));
}

int64_t UfoTime::toInt() const {
  return packedToStandardTime(readPackedTime(address_));
}

void UfoTime::toDecimal(DecimalAccumulator& acc) const {
  decimalFromInt(toInt(), acc);
}

void UfoTime::assignInt(int64_t value) {
  PackedTime time;
  standardToPackedTime(toInt32(value), time);
  writePackedTime(address_, time);
}

void UfoTime::assignReal(double value) {
  assignInt(truncateToInt(value));
}

void UfoTime::assignDecimal(const DecimalAccumulator& acc) {
  assignInt(decimalToInt(acc));
}

// --- floating forms --------------------------------------------------------------

int64_t UfoFloating::toInt() const {
  return truncateToInt(toReal());
}

void UfoFloating::toDecimal(DecimalAccumulator& acc) const {
  decimalFromReal(toReal(), acc, precision());
}

void UfoFloating::assignText(const std::string& value) {
  // Read directly as a double so that exponents and the full range survive.
  char* end = nullptr;
  double number = std::strtod(value.c_str(), &end);
  while (end != nullptr && *end == ' ') ++end;
  assignReal(end != value.c_str() && end != nullptr && *end == '\0' ? number : 0.0);
}

void UfoFloating::assignDecimal(const DecimalAccumulator& acc) {
  assignReal(decimalToReal(acc));
}

double UfoSReal::toReal() const {
  float value;
  std::memcpy(&value, address_, sizeof value);
  return value;
}

void UfoSReal::assignReal(double value) {
  // A double beyond the float range has no float value; keep the largest.
  if (value > FLT_MAX && !std::isinf(value)) value = FLT_MAX;
  if (value < -FLT_MAX && !std::isinf(value)) value = -FLT_MAX;
  float single = static_cast<float>(value);
  std::memcpy(address_, &single, sizeof single);
}

double UfoReal::toReal() const {
  double value;
  std::memcpy(&value, address_, sizeof value);
  return value;
}

void UfoReal::assignReal(double value) {
  std::memcpy(address_, &value, sizeof value);
}

double UfoBFloat4::toReal() const {
  return bfloatToReal(address_, 4);
}
void UfoBFloat4::assignReal(double value) {
  realToBFloat(value, address_, 4);
}
double UfoBFloat8::toReal() const {
  return bfloatToReal(address_, 8);
}
void UfoBFloat8::assignReal(double value) {
  realToBFloat(value, address_, 8);
}

namespace {

constexpr int kBFloatBias = 129;

int bfloatMantissaBits(size_t size) {
  return size == 4 ? 23 : 55;
}

}  // namespace

double bfloatToReal(const uint8_t* bytes, size_t size) {
  int bits = bfloatMantissaBits(size);
  int exponent = bytes[size - 1];
  if (exponent == 0) return 0.0;
  uint64_t raw = loadLittle(bytes, size - 1);
  bool negative = ((raw >> bits) & 1) != 0;
  uint64_t mantissa = (raw & ((uint64_t{1} << bits) - 1)) | (uint64_t{1} << bits);
  double magnitude = std::ldexp(static_cast<double>(mantissa), exponent - kBFloatBias - bits);
  return negative ? -magnitude : magnitude;
}

void realToBFloat(double value, uint8_t* bytes, size_t size) {
  int bits = bfloatMantissaBits(size);
  std::memset(bytes, 0, size);
  if (value == 0 || std::isnan(value)) return;
  uint64_t mantissa = 0;
  int exponent = 255;
  uint64_t full = uint64_t{1} << bits;
  if (std::isinf(value)) {
    mantissa = full - 1;  // the largest magnitude
  } else {
    int binaryExponent = 0;
    double fraction = std::frexp(std::fabs(value), &binaryExponent);  // [0.5, 1)
    exponent = binaryExponent + kBFloatBias - 1;
    double scaled = std::ldexp(fraction * 2 - 1, bits);
    mantissa = static_cast<uint64_t>(std::llround(scaled));
    if (mantissa >= full) {  // rounded up to the next power of two
      mantissa = 0;
      ++exponent;
    }
    if (exponent <= 0) return;  // too small: zero
    if (exponent > 255) {
      exponent = 255;
      mantissa = full - 1;
    }
  }
  if (value < 0) mantissa |= full;  // the sign takes the implied one's place
  storeLittle(bytes, size - 1, mantissa);
  bytes[size - 1] = static_cast<uint8_t>(exponent);
}

// --- DECIMAL and PDECIMAL -------------------------------------------------------

int64_t UfoPacked::toInt() const {
  DecimalAccumulator acc;
  toDecimal(acc);
  return decimalToInt(acc);
}

double UfoPacked::toReal() const {
  DecimalAccumulator acc;
  toDecimal(acc);
  return decimalToReal(acc);
}

void UfoPacked::assignInt(int64_t value) {
  DecimalAccumulator acc;
  decimalFromInt(value, acc);
  assignDecimal(acc);
}

void UfoPacked::assignReal(double value) {
  DecimalAccumulator acc;
  decimalFromReal(value, acc);
  assignDecimal(acc);
}

void UfoDecimal::toDecimal(DecimalAccumulator& acc) const {
  unpackDecimal(address_, size_, places_, acc);
}

void UfoDecimal::assignDecimal(const DecimalAccumulator& acc) {
  packDecimal(acc, address_, size_, places_);
}

void UfoPDecimal::toDecimal(DecimalAccumulator& acc) const {
  unpackPDecimal(address_, size_, places_, acc);
}

void UfoPDecimal::assignDecimal(const DecimalAccumulator& acc) {
  packPDecimal(acc, address_, size_, places_);
}

}  // namespace zor
