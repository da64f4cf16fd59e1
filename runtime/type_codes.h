#pragma once
// The one-byte value type codes and their printable names.

#include <cstdint>

namespace zor {

enum TypeCode : uint8_t {
  kEnd = 0,
  kByte = 1,
  kShort = 2,
  kUShort = 3,
  kDate = 4,
  kTime = 5,
  kLong = 6,
  kULong = 7,
  kSReal = 8,
  kReal = 9,
  kDecimal = 10,
  kPDecimal = 11,
  kDum1 = 12,
  kBFloat4 = 13,
  kBFloat8 = 14,
  kAny = 15,
  kTempUfo = 16,
  kUntyped17 = 17,
  kString = 18,
  kCString = 19,
  kPString = 20,
  kMemo = 21,
  kGroup = 22,
  kClass = 23,
  kArray = 24,
  kField = 25,
  kQueue = 26,
  kBlob = 27,
  kStackStr = 28,
  kPicture = 29,
  kStdNum = 30,
};

// "BYTE", "SHORT", ...; "UNKNOWN" for a code outside the table.
const char* typeName(uint8_t code);

bool isStringType(uint8_t code);   // STRING, CSTRING, PSTRING, GROUP
bool isNumericType(uint8_t code);  // BYTE .. PDECIMAL, BFLOAT4, BFLOAT8

// Bytes a field of a fixed-size type takes in a record (BYTE 1, SHORT 2,
// LONG 4, REAL 8, ANY 4, ...); 0 for types whose size is declared (strings,
// decimals, GROUP) or that take no record bytes.
uint32_t fixedTypeSize(uint8_t code);

}  // namespace zor
