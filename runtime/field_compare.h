#pragma once
// Comparison of two values of one field, read straight from record bytes by
// the field's type: numbers by value, strings as text with trailing blanks
// ignored. Nothing is allocated, so sorting and searching can call it in
// their inner loops.

#include <cstddef>
#include <cstdint>

#include "runtime/field_descriptor.h"

namespace zor {

// The storage of one field: what the comparison needs of a descriptor.
struct FieldShape {
  uint8_t type = 0;
  uint32_t size = 0;
  uint32_t places = 0;
};

// True for the types compareFieldValues orders by value: the integers,
// SREAL, REAL, BFLOAT4, BFLOAT8, DATE, TIME, DECIMAL, PDECIMAL and the texts
// (STRING, CSTRING, PSTRING and GROUP, which reads as a STRING of its size).
bool isComparableType(uint8_t type);

// -1, 0 or 1 for the field values at a and b, both `shape.size` bytes.
// Texts lose their trailing blanks and then compare byte by byte (unsigned),
// a text that is the start of the other coming first; the floating types order NaN above every
// number (all NaNs equal) and treat -0 as 0, so the result is a total order fit for sorting. A type
// that is not comparable compares its bytes.
int compareFieldValues(const FieldShape& shape, const uint8_t* a, const uint8_t* b);

// The same for field `field` of two records laid out by its descriptor.
int compareFields(const FieldDescriptor& field, const uint8_t* recordA, const uint8_t* recordB);

// A number whose order agrees with compareFieldValues: prefix(a) < prefix(b)
// implies a < b, and equal values have equal prefixes. Exact for the
// integers, dates, times and floating types; the first eight bytes of a
// text; the first 18 digits of a packed decimal. Sorting compares these
// first and the values only where two prefixes tie.
uint64_t fieldOrderPrefix(const FieldShape& shape, const uint8_t* value);

// The text of a text field: its bytes up to the end of the text (STRING and
// GROUP: all n bytes; CSTRING: up to the first NUL; PSTRING: the length
// byte's count, never beyond the field).
struct TextSpan {
  const uint8_t* data;
  size_t length;
};
TextSpan fieldText(const FieldShape& shape, const uint8_t* value);

// Little-endian loads of record integers.
inline uint16_t loadU16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t loadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline uint64_t loadU64(const uint8_t* p) {
  return static_cast<uint64_t>(loadU32(p)) | (static_cast<uint64_t>(loadU32(p + 4)) << 32);
}

}  // namespace zor
