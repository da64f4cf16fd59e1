#include <string>

#include "runtime/date_time.h"

namespace zor {

namespace {

constexpr const char* kNoAge = "***";

struct Ymd {
  int year = 0, month = 0, day = 0;
};

bool split(int32_t standardDate, Ymd& ymd) {
  return standardDateToYmd(standardDate, ymd.year, ymd.month, ymd.day);
}

}  // namespace

std::string ageText(int32_t start, int32_t base) {
  Ymd from, to;
  if (!split(start, from) || !split(base, to)) return kNoAge;
  if (start > base) {
    // A start date in the future is taken as a two-digit year of the last
    // century, once.
    if (from.day > daysInMonth(from.year - 100, from.month)) return kNoAge;  // 29 February
    start = dateFromMonthDayYear(from.month, from.day, from.year - 100);
    if (start < 0 || start > base || !split(start, from)) return kNoAge;
  }
  int32_t days = base - start;
  if (days < 61) return std::to_string(days) + " DAYS";
  if (to.year - from.year <= 2) {
    int months = 12 * (to.year - from.year) + (to.month - from.month) - (to.day < from.day ? 1 : 0);
    if (months <= 24) return std::to_string(months) + " MOS";
  }
  bool beforeAnniversary = to.month < from.month || (to.month == from.month && to.day < from.day);
  return std::to_string(to.year - from.year - (beforeAnniversary ? 1 : 0)) + " YRS";
}

std::string ageText(int32_t start) {
  return ageText(start, today());
}

}  // namespace zor
