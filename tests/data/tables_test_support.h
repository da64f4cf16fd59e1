#pragma once
// Shared pieces of the table tests: a table with a field of every key type,
// declared through the C++ FILE declaration, and value writers.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "data/file_control_block.h"
#include "data/file_declaration.h"
#include "data/tarnwick/tarnwick_driver.h"
#include "runtime/decimal.h"
#include "runtime/field_descriptor.h"
#include "runtime/type_codes.h"
#include "tests/data/tarnwick_test_support.h"

namespace zor::tarnwick::testing {

// The fields of the test table: one of each type a key can hold.
enum TestField : uint16_t {
  kFByte = 1,
  kFShort,
  kFUShort,
  kFLong,
  kFULong,
  kFSReal,
  kFReal,
  kFDecimal,
  kFDate,
  kFTime,
  kFString,
  kFCString,
  kFPString,
  kFieldCount = kFPString
};

inline constexpr uint32_t kTestRecordSize = 55;
inline constexpr uint32_t kTextSize = 6;

inline RecordLayout testLayout() {
  return {makeField("T:B", kByte, 0, 1),
          makeField("T:S", kShort, 1, 2),
          makeField("T:US", kUShort, 3, 2),
          makeField("T:L", kLong, 5, 4),
          makeField("T:UL", kULong, 9, 4),
          makeField("T:SR", kSReal, 13, 4),
          makeField("T:R", kReal, 17, 8),
          makeField("T:D", kDecimal, 25, 4, 2),
          makeField("T:DT", kDate, 29, 4),
          makeField("T:TM", kTime, 33, 4),
          makeField("T:STR", kString, 37, kTextSize),
          makeField("T:CS", kCString, 43, kTextSize),
          makeField("T:PS", kPString, 49, kTextSize)};
}

inline data::FileDeclaration testDeclaration(const std::string& name,
                                             std::vector<data::KeyDeclaration> keys) {
  data::FileDeclaration declaration;
  declaration.label = "Test";
  declaration.prefix = "T";
  declaration.driver = "TARNWICK";
  declaration.name = name;
  declaration.recordSize = kTestRecordSize;
  declaration.fields = testLayout();
  declaration.keys = std::move(keys);
  return declaration;
}

// Writers of field values into a record image.
template <class T>
void putNumber(std::vector<uint8_t>& record, uint32_t offset, T value) {
  std::memcpy(record.data() + offset, &value, sizeof value);
}

inline void putDecimal(std::vector<uint8_t>& record, uint32_t offset, int64_t hundredths) {
  DecimalAccumulator acc;
  decimalFromInt(hundredths, acc);
  // decimalFromInt makes units; shift by two places to make hundredths.
  DecimalAccumulator scaled;
  scaled.sign = acc.sign;
  for (int p = 3; p <= DecimalAccumulator::kPositions; ++p) scaled.digits[p - 2] = acc.digits[p];
  scaled.normalise();
  packDecimal(scaled, record.data() + offset, 4, 2);
}

inline void putText(std::vector<uint8_t>& record, const FieldDescriptor& field,
                    const std::string& text) {
  uint8_t* at = record.data() + field.offset;
  std::memset(at, field.type == kString ? ' ' : 0, field.size);
  if (field.type == kPString) {
    at[0] = static_cast<uint8_t>(text.size());
    std::memcpy(at + 1, text.data(), text.size());
  } else {
    std::memcpy(at, text.data(), text.size());
  }
}

class TarnwickDriverTest : public ::testing::Test {
 protected:
  void SetUp() override { registerTarnwickDriver(); }
  FatalHookGuard fatalGuard_;
};

}  // namespace zor::tarnwick::testing
