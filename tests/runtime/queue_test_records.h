#pragma once
// A small record for the queue tests: LONG id, STRING(8) name, REAL amount,
// CSTRING(6) note and a MEMO that keys must refuse.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/field_descriptor.h"
#include "runtime/type_codes.h"

namespace zor::testing {

inline constexpr size_t kRecordLength = 30;

inline RecordLayout testLayout() {
  return {makeField("Q:ID", kLong, 0, 4), makeField("Q:NAME", kString, 4, 8),
          makeField("Q:AMOUNT", kReal, 12, 8), makeField("Q:NOTE", kCString, 20, 6),
          makeField("Q:MEMO", kMemo, 26, 4)};
}

struct Row {
  int32_t id = 0;
  std::string name;
  double amount = 0;

  std::vector<uint8_t> bytes() const {
    std::vector<uint8_t> out(kRecordLength, 0);
    std::memcpy(out.data(), &id, 4);
    std::memset(out.data() + 4, ' ', 8);
    std::memcpy(out.data() + 4, name.data(), std::min<size_t>(name.size(), 8));
    std::memcpy(out.data() + 12, &amount, 8);
    return out;
  }

  static Row from(const uint8_t* record) {
    Row row;
    std::memcpy(&row.id, record, 4);
    row.name.assign(reinterpret_cast<const char*>(record + 4), 8);
    row.name.erase(row.name.find_last_not_of(' ') + 1);
    std::memcpy(&row.amount, record + 12, 8);
    return row;
  }
};

}  // namespace zor::testing
