#pragma once
// Clock and sleep. Tests may fix the local date and time that TODAY() and
// CLOCK() see.

#include <cstdint>
#include <optional>

namespace zor::platform {

struct LocalDateTime {
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0, hundredths = 0;
};

// Milliseconds from an arbitrary start, monotonic.
uint64_t tickCount();
void sleepMs(uint32_t milliseconds);
LocalDateTime localNow();
// Fixes (or, with nullopt, releases) the value localNow() answers.
void setFixedLocalNow(std::optional<LocalDateTime> fixed);

}  // namespace zor::platform
