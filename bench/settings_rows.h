#pragma once
// The rows of the main window's settings list for the list benchmarks: its
// format and a queue of as many rows as asked, laid out as the settings
// queue's first six fields.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include "runtime/queue.h"
#include "runtime/type_codes.h"

namespace zor::bench {

inline constexpr const char* kSettingsFormat =
    "12L(2)|MJ~Status~@p p@120L(2)|M~Section Description~@s99@92L(2)|M~Default Value~@s49@"
    "196L(2)|M~Values~@s49@1020L(2)|M~Help Description~@s255@";

// The settings queue's first six fields, with shorter texts so that 10^6
// rows stay small: STATUS BYTE, STATUS_ICON LONG, SECTION CSTRING(24),
// DEFAULT CSTRING(16), VALUES CSTRING(16), HELP CSTRING(32).
constexpr size_t kRecordLength = 1 + 4 + 24 + 16 + 16 + 32;

inline zor::RecordLayout settingsLayout() {
  return {zor::makeField("SIN:STATUS", zor::kByte, 0, 1),
          zor::makeField("SIN:STATUS_ICON", zor::kLong, 1, 4),
          zor::makeField("SIN:SECTIONDESCRIPTION", zor::kCString, 5, 24),
          zor::makeField("SIN:DEFAULTVALUE", zor::kCString, 29, 16),
          zor::makeField("SIN:VALUES", zor::kCString, 45, 16),
          zor::makeField("SIN:HELPDESCRIPTION", zor::kCString, 61, 32)};
}

inline std::unique_ptr<zor::Queue> settingsQueue(size_t rows) {
  auto queue = std::make_unique<zor::Queue>(settingsLayout(), kRecordLength);
  uint8_t record[kRecordLength];
  for (size_t i = 0; i < rows; ++i) {
    std::memset(record, 0, sizeof record);
    record[0] = static_cast<uint8_t>(i % 3 == 0);
    int32_t icon = record[0] == 1 ? 1 : 2;
    std::memcpy(record + 1, &icon, 4);
    std::snprintf(reinterpret_cast<char*>(record + 5), 24, "Section %zu", i / 40);
    std::snprintf(reinterpret_cast<char*>(record + 29), 16, "%zu", i % 1000);
    std::snprintf(reinterpret_cast<char*>(record + 45), 16, "0..%zu", i % 97);
    std::snprintf(reinterpret_cast<char*>(record + 61), 32, "Help text of setting %zu", i);
    queue->add(record);
  }
  return queue;
}

}  // namespace zor::bench
