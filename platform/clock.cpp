#include "platform/clock.h"

#include <chrono>
#include <ctime>
#include <mutex>
#include <thread>

namespace zor::platform {
namespace {

std::mutex& fixedMutex() {
  static std::mutex instance;
  return instance;
}

std::optional<LocalDateTime>& fixedNow() {
  static std::optional<LocalDateTime> instance;
  return instance;
}

}  // namespace

uint64_t tickCount() {
  using namespace std::chrono;
  return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void sleepMs(uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

LocalDateTime localNow() {
  {
    std::lock_guard guard(fixedMutex());
    if (fixedNow()) return *fixedNow();
  }
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t seconds = system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&seconds, &local);
  const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
  LocalDateTime result;
  result.year = local.tm_year + 1900;
  result.month = local.tm_mon + 1;
  result.day = local.tm_mday;
  result.hour = local.tm_hour;
  result.minute = local.tm_min;
  result.second = local.tm_sec;
  result.hundredths = int(millis / 10);
  return result;
}

void setFixedLocalNow(std::optional<LocalDateTime> fixed) {
  std::lock_guard guard(fixedMutex());
  fixedNow() = fixed;
}

}  // namespace zor::platform
