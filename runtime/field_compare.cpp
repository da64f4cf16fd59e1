#include "runtime/field_compare.h"

#include <bit>
#include <cmath>
#include <cstring>

#include "runtime/decimal.h"
#include "runtime/type_codes.h"
#include "runtime/ufo_numeric.h"

namespace zor {

namespace {

template <typename T>
int threeWay(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

// Floating values in a total order: NaN above everything, -0 equal to 0.
int compareReals(double a, double b) {
  bool aNaN = std::isnan(a);
  bool bNaN = std::isnan(b);
  if (aNaN || bNaN) return threeWay(aNaN, bNaN);
  return threeWay(a, b);
}

// Texts without their trailing blanks, then byte by byte; a text that is
// the start of the other comes first.
TextSpan withoutTrailingBlanks(TextSpan text) {
  while (text.length > 0 && text.data[text.length - 1] == ' ') --text.length;
  return text;
}

int compareTexts(TextSpan a, TextSpan b) {
  a = withoutTrailingBlanks(a);
  b = withoutTrailingBlanks(b);
  size_t common = a.length < b.length ? a.length : b.length;
  if (common > 0) {
    int c = std::memcmp(a.data, b.data, common);
    if (c != 0) return c < 0 ? -1 : 1;
  }
  return threeWay(a.length, b.length);
}

int compareBytes(const uint8_t* a, const uint8_t* b, size_t size) {
  if (size == 0) return 0;
  int c = std::memcmp(a, b, size);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int compareDecimals(const FieldShape& shape, const uint8_t* a, const uint8_t* b) {
  if (shape.size == 0) return 0;
  DecimalAccumulator left;
  DecimalAccumulator right;
  if (shape.type == kDecimal) {
    unpackDecimal(a, shape.size, shape.places, left);
    unpackDecimal(b, shape.size, shape.places, right);
  } else {
    unpackPDecimal(a, shape.size, shape.places, left);
    unpackPDecimal(b, shape.size, shape.places, right);
  }
  return compareDecimal(left, right);
}

// The packed digits as the accumulator reads them: a damaged nibble counts
// as 9. Digit 0 is the most significant of the 2n - 1.
uint8_t packedDigit(const uint8_t* bytes, size_t index, bool trailingSign) {
  size_t nibble = trailingSign ? index : index + 1;
  uint8_t byte = bytes[nibble / 2];
  uint8_t digit =
      (nibble % 2 == 0) ? static_cast<uint8_t>(byte >> 4) : static_cast<uint8_t>(byte & 0x0F);
  return digit > 9 ? 9 : digit;
}

// The first 18 digits of a packed decimal with its sign, shifted to an
// unsigned order; 0 when the accumulator would drop digits of the field
// (more than 31 places or 32 integer digits), where only the full
// comparison is exact.
uint64_t packedPrefix(const FieldShape& shape, const uint8_t* bytes) {
  if (shape.size == 0) return 0;
  size_t digits = 2 * size_t{shape.size} - 1;
  if (shape.places > 31 || digits > 32 + size_t{shape.places}) return 0;
  bool trailingSign = shape.type == kPDecimal;
  int64_t magnitude = 0;
  for (size_t i = 0; i < digits && i < 18; ++i)
    magnitude = magnitude * 10 + packedDigit(bytes, i, trailingSign);
  bool negative = trailingSign ? (bytes[shape.size - 1] & 0x0F) == 0x0D : (bytes[0] >> 4) != 0;
  int64_t value = negative ? -magnitude : magnitude;
  return static_cast<uint64_t>(value) ^ (uint64_t{1} << 63);
}

// BFLOAT4/8 decoded by their field classes, made on the stack.
double bfloatValue(uint8_t type, const uint8_t* p) {
  uint8_t* bytes = const_cast<uint8_t*>(p);  // only read
  if (type == kBFloat4) return UfoBFloat4(bytes).toReal();
  return UfoBFloat8(bytes).toReal();
}

// Packed date as one number: year, then month, then day.
uint32_t dateOrder(const uint8_t* p) {
  return (static_cast<uint32_t>(loadU16(p + 2)) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[0];
}

// Packed time as one number: hours, minutes, seconds, hundredths.
uint32_t timeOrder(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

}  // namespace

bool isComparableType(uint8_t type) {
  switch (type) {
    case kByte:
    case kShort:
    case kUShort:
    case kDate:
    case kTime:
    case kLong:
    case kULong:
    case kSReal:
    case kReal:
    case kBFloat4:
    case kBFloat8:
    case kDecimal:
    case kPDecimal:
    case kString:
    case kCString:
    case kPString:
    case kGroup:
      return true;
    default:
      return false;
  }
}

TextSpan fieldText(const FieldShape& shape, const uint8_t* value) {
  switch (shape.type) {
    case kCString: {
      const void* nul = shape.size == 0 ? nullptr : std::memchr(value, 0, shape.size);
      size_t length =
          nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - value) : shape.size;
      return {value, length};
    }
    case kPString: {
      if (shape.size == 0) return {value, 0};
      size_t length = value[0];
      if (length > shape.size - 1) length = shape.size - 1;
      return {value + 1, length};
    }
    default:
      return {value, shape.size};
  }
}

int compareFieldValues(const FieldShape& shape, const uint8_t* a, const uint8_t* b) {
  uint32_t needed = fixedTypeSize(shape.type);
  if (needed > shape.size) return compareBytes(a, b, shape.size);  // damaged descriptor
  switch (shape.type) {
    case kByte:
      return threeWay(a[0], b[0]);
    case kShort:
      return threeWay(static_cast<int16_t>(loadU16(a)), static_cast<int16_t>(loadU16(b)));
    case kUShort:
      return threeWay(loadU16(a), loadU16(b));
    case kLong:
      return threeWay(static_cast<int32_t>(loadU32(a)), static_cast<int32_t>(loadU32(b)));
    case kULong:
      return threeWay(loadU32(a), loadU32(b));
    case kDate:
      return threeWay(dateOrder(a), dateOrder(b));
    case kTime:
      return threeWay(timeOrder(a), timeOrder(b));
    case kSReal:
      return compareReals(std::bit_cast<float>(loadU32(a)), std::bit_cast<float>(loadU32(b)));
    case kReal:
      return compareReals(std::bit_cast<double>(loadU64(a)), std::bit_cast<double>(loadU64(b)));
    case kBFloat4:
    case kBFloat8:
      return compareReals(bfloatValue(shape.type, a), bfloatValue(shape.type, b));
    case kDecimal:
    case kPDecimal:
      return compareDecimals(shape, a, b);
    case kString:
    case kCString:
    case kPString:
    case kGroup:
      return compareTexts(fieldText(shape, a), fieldText(shape, b));
    default:
      return compareBytes(a, b, shape.size);
  }
}

namespace {

// Doubles mapped onto unsigned integers of the same order (NaN last).
uint64_t realPrefix(double value) {
  if (std::isnan(value)) return UINT64_MAX;
  if (value == 0) value = 0;  // -0 and 0 share a prefix
  uint64_t bits = std::bit_cast<uint64_t>(value);
  return (bits >> 63) ? ~bits : bits | (uint64_t{1} << 63);
}

// The first eight bytes, zero after the end of the text: a text that is the
// start of another gets the smaller or the same prefix.
uint64_t textPrefix(TextSpan text) {
  text = withoutTrailingBlanks(text);
  uint64_t prefix = 0;
  for (size_t i = 0; i < 8; ++i) prefix = (prefix << 8) | (i < text.length ? text.data[i] : 0u);
  return prefix;
}

constexpr uint64_t kSignFlip = uint64_t{1} << 31;

}  // namespace

uint64_t fieldOrderPrefix(const FieldShape& shape, const uint8_t* value) {
  if (fixedTypeSize(shape.type) > shape.size) return 0;
  switch (shape.type) {
    case kByte:
      return value[0];
    case kShort:
      return static_cast<uint64_t>(static_cast<int16_t>(loadU16(value)) + 32768);
    case kUShort:
      return loadU16(value);
    case kLong:
      return static_cast<uint64_t>(static_cast<int64_t>(static_cast<int32_t>(loadU32(value))) +
                                   static_cast<int64_t>(kSignFlip));
    case kULong:
      return loadU32(value);
    case kDate:
      return dateOrder(value);
    case kTime:
      return timeOrder(value);
    case kSReal:
      return realPrefix(std::bit_cast<float>(loadU32(value)));
    case kReal:
      return realPrefix(std::bit_cast<double>(loadU64(value)));
    case kBFloat4:
    case kBFloat8:
      return realPrefix(bfloatValue(shape.type, value));
    case kDecimal:
    case kPDecimal:
      return packedPrefix(shape, value);
    case kString:
    case kCString:
    case kPString:
    case kGroup:
      return textPrefix(fieldText(shape, value));
    default:
      return 0;
  }
}

int compareFields(const FieldDescriptor& field, const uint8_t* recordA, const uint8_t* recordB) {
  FieldShape shape{field.type, field.size, field.places};
  return compareFieldValues(shape, recordA + field.offset, recordB + field.offset);
}

}  // namespace zor
