#include "runtime/type_codes.h"

#include <array>

namespace zor {

namespace {

constexpr std::array<const char*, 31> kTypeNames = {
    "END",     "BYTE",  "SHORT",   "USHORT",   "DATE",     "TIME",    "LONG",    "ULONG",
    "SREAL",   "REAL",  "DECIMAL", "PDECIMAL", "DUM1",     "BFLOAT4", "BFLOAT8", "ANY",
    "TEMPUFO", "(17)",  "STRING",  "CSTRING",  "PSTRING",  "MEMO",    "GROUP",   "CLASS",
    "ARRAY",   "FIELD", "QUEUE",   "BLOB",     "STACKSTR", "PICTURE", "STDNUM",
};

}  // namespace

const char* typeName(uint8_t code) {
  return code < kTypeNames.size() ? kTypeNames[code] : "UNKNOWN";
}

bool isStringType(uint8_t code) {
  return code == kString || code == kCString || code == kPString || code == kGroup;
}

bool isNumericType(uint8_t code) {
  return (code >= kByte && code <= kPDecimal) || code == kBFloat4 || code == kBFloat8;
}

uint32_t fixedTypeSize(uint8_t code) {
  switch (code) {
    case kByte:
      return 1;
    case kShort:
    case kUShort:
      return 2;
    case kDate:
    case kTime:
    case kLong:
    case kULong:
    case kSReal:
    case kBFloat4:
    case kAny:
      return 4;
    case kReal:
    case kBFloat8:
      return 8;
    default:
      return 0;
  }
}

}  // namespace zor
