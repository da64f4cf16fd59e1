#include "runtime/date_time.h"

#include <cstdlib>

#include "platform/clock.h"

namespace zor {

namespace {

constexpr int kMonthLengths[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

constexpr int64_t floorDiv(int64_t value, int64_t divisor) {
  int64_t quotient = value / divisor;
  if ((value % divisor != 0) && ((value < 0) != (divisor < 0))) --quotient;
  return quotient;
}

// Day counts of the proleptic Gregorian calendar, in eras of 400 years
// (146,097 days) whose years start on 1 March, so that the leap day is the
// last day of a year. Constant time, no tables, any year.
constexpr int64_t daysFromCivil(int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  int64_t era = floorDiv(year, 400);
  int64_t yearOfEra = year - era * 400;  // 0..399
  int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra;
}

void civilFromDays(int64_t days, int& year, int& month, int& day) {
  int64_t era = floorDiv(days, 146097);
  int64_t dayOfEra = days - era * 146097;  // 0..146096
  int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;  // 0 = March
  day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
  month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
  year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

// Day 4 is 1 January 1801.
constexpr int64_t kStandardDateBase = daysFromCivil(1801, 1, 1) - kFirstStandardDate;

bool isValidStandardDate(int32_t standardDate) {
  return standardDate >= kFirstStandardDate && standardDate <= kLastStandardDate;
}

}  // namespace

bool isLeapYear(int year) {
  return year % 4 == 0 && (year % 400 == 0 || year % 100 != 0);
}

int daysInMonth(int year, int month) {
  if (month < 1 || month > 12) return 0;
  return month == 2 && isLeapYear(year) ? 29 : kMonthLengths[month];
}

int expandTwoDigitYear(int year, int window) {
  if (year < 0 || year >= 100) return year;
  return expandTwoDigitYear(year, window, platform::localNow().year);
}

int expandTwoDigitYear(int year, int window, int currentYear) {
  if (year < 0 || year >= 100) return year;
  int k = currentYear % 100 - year;
  int result = currentYear - k;
  if (k <= window - 100) {
    result -= 100;
  } else if (k > window) {
    result += 100;
  }
  return result;
}

int32_t packedToStandardDate(const PackedDate& date) {
  if (date.day == 0 && date.month == 0 && date.year == 0) return 0;
  if (date.year > 9999) return kLastStandardDate;
  int year = date.year < 100 ? expandTwoDigitYear(date.year) : date.year;
  if (year < 1801 || year > 9999) return 0;
  if (date.month < 1 || date.month > 12) return 0;
  if (date.day < 1 || date.day > daysInMonth(year, date.month)) return 0;
  return static_cast<int32_t>(daysFromCivil(year, date.month, date.day) - kStandardDateBase);
}

bool standardDateToYmd(int32_t standardDate, int& year, int& month, int& day) {
  year = month = day = 0;
  if (!isValidStandardDate(standardDate)) return false;
  civilFromDays(standardDate + kStandardDateBase, year, month, day);
  return true;
}

bool standardToPackedDate(int32_t standardDate, PackedDate& date) {
  date = PackedDate{};
  int year = 0, month = 0, day = 0;
  if (!standardDateToYmd(standardDate, year, month, day)) return false;
  date.day = static_cast<uint8_t>(day);
  date.month = static_cast<uint8_t>(month);
  date.year = static_cast<uint16_t>(year);
  return true;
}

int32_t dateFromMonthDayYear(int month, int day, int year) {
  int64_t y = expandTwoDigitYear(year);
  // Months beyond December roll into the following years, months before
  // January into the preceding ones.
  int64_t m = static_cast<int64_t>(month) - 1;
  y += floorDiv(m, 12);
  m -= floorDiv(m, 12) * 12;
  // Far outside the calendar: no need to compute, and no risk of overflow.
  if (y < -1000000 || y > 1000000) return -1;
  int64_t result = daysFromCivil(y, static_cast<int>(m) + 1, 1) + static_cast<int64_t>(day) - 1 -
                   kStandardDateBase;
  if (result < kFirstStandardDate || result > kLastStandardDate) return -1;
  return static_cast<int32_t>(result);
}

int dayOf(int32_t standardDate) {
  int year = 0, month = 0, day = 0;
  standardDateToYmd(standardDate, year, month, day);
  return day;
}

int monthOf(int32_t standardDate) {
  int year = 0, month = 0, day = 0;
  standardDateToYmd(standardDate, year, month, day);
  return month;
}

int yearOf(int32_t standardDate) {
  int year = 0, month = 0, day = 0;
  standardDateToYmd(standardDate, year, month, day);
  return year;
}

int32_t today() {
  platform::LocalDateTime now = platform::localNow();
  return dateFromMonthDayYear(now.month, now.day, now.year);
}

int32_t packedToStandardTime(const PackedTime& time) {
  if (time.hours == 0 && time.minutes == 0 && time.seconds == 0 && time.hundredths == 0) return 0;
  if (time.hours > 23 || time.minutes > 59 || time.seconds > 59 || time.hundredths > 99) return -1;
  return time.hours * 360000 + time.minutes * 6000 + time.seconds * 100 + time.hundredths + 1;
}

bool standardToPackedTime(int32_t standardTime, PackedTime& time) {
  time = PackedTime{};
  if (standardTime < 1 || standardTime > kLastStandardTime) return false;
  int32_t rest = standardTime - 1;
  time.hours = static_cast<uint8_t>(rest / 360000);
  rest %= 360000;
  time.minutes = static_cast<uint8_t>(rest / 6000);
  rest %= 6000;
  time.seconds = static_cast<uint8_t>(rest / 100);
  time.hundredths = static_cast<uint8_t>(rest % 100);
  return true;
}

int32_t clockNow() {
  platform::LocalDateTime now = platform::localNow();
  PackedTime time;
  time.hours = static_cast<uint8_t>(now.hour);
  time.minutes = static_cast<uint8_t>(now.minute);
  time.seconds = static_cast<uint8_t>(now.second);
  time.hundredths = static_cast<uint8_t>(now.hundredths);
  int32_t standard = packedToStandardTime(time);
  return standard == 0 ? 1 : standard;  // midnight is 1, not "no time"
}

PackedDate readPackedDate(const uint8_t* bytes) {
  PackedDate date;
  date.day = bytes[0];
  date.month = bytes[1];
  date.year = static_cast<uint16_t>(bytes[2] | (bytes[3] << 8));
  return date;
}

void writePackedDate(uint8_t* bytes, const PackedDate& date) {
  bytes[0] = date.day;
  bytes[1] = date.month;
  bytes[2] = static_cast<uint8_t>(date.year & 0xFF);
  bytes[3] = static_cast<uint8_t>(date.year >> 8);
}

PackedTime readPackedTime(const uint8_t* bytes) {
  PackedTime time;
  time.hours = bytes[0];
  time.minutes = bytes[1];
  time.seconds = bytes[2];
  time.hundredths = bytes[3];
  return time;
}

void writePackedTime(uint8_t* bytes, const PackedTime& time) {
  bytes[0] = time.hours;
  bytes[1] = time.minutes;
  bytes[2] = time.seconds;
  bytes[3] = time.hundredths;
}

}  // namespace zor
