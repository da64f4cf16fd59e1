#pragma once
// Dates and times: packed forms as stored in records, standard forms
// (day numbers and hundredths plus one) in which the runtime computes.
//   standard date: day 4 = 1 January 1801 ... 2,994,626 = 31 December 9999, 0 = none
//   standard time: hours*360000 + minutes*6000 + seconds*100 + hundredths + 1, 0 = none

#include <cstdint>
#include <string>

namespace zor {

inline constexpr int32_t kFirstStandardDate = 4;
inline constexpr int32_t kLastStandardDate = 2994626;
inline constexpr int32_t kLastStandardTime = 8640000;

struct PackedDate {  // 4 bytes in a record: day, month, year (u16 little-endian)
  uint8_t day = 0;
  uint8_t month = 0;
  uint16_t year = 0;
};

struct PackedTime {  // 4 bytes in a record
  uint8_t hours = 0;
  uint8_t minutes = 0;
  uint8_t seconds = 0;
  uint8_t hundredths = 0;
};

bool isLeapYear(int year);
int daysInMonth(int year, int month);

// Places a year below 100 in the window of 100 years around the current
// year (`window` 80: from current-80 to current+19). Other years unchanged.
int expandTwoDigitYear(int year, int window = 80);
int expandTwoDigitYear(int year, int window, int currentYear);

// Packed date <-> standard date. Invalid packed date -> 0.
int32_t packedToStandardDate(const PackedDate& date);
// Invalid standard date -> all-zero packed date and false.
bool standardToPackedDate(int32_t standardDate, PackedDate& date);
// (month, day, year) with roll-over of months and days; -1 when out of range.
int32_t dateFromMonthDayYear(int month, int day, int year);
// false (and zeros) for an invalid standard date.
bool standardDateToYmd(int32_t standardDate, int& year, int& month, int& day);
int dayOf(int32_t standardDate);
int monthOf(int32_t standardDate);
int yearOf(int32_t standardDate);
int32_t today();

// Packed time <-> standard time. Invalid packed time -> -1, all zero -> 0.
int32_t packedToStandardTime(const PackedTime& time);
bool standardToPackedTime(int32_t standardTime, PackedTime& time);
int32_t clockNow();

// Record-buffer forms (4 bytes each).
PackedDate readPackedDate(const uint8_t* bytes);
void writePackedDate(uint8_t* bytes, const PackedDate& date);
PackedTime readPackedTime(const uint8_t* bytes);
void writePackedTime(uint8_t* bytes, const PackedTime& time);

// The age text of START relative to BASE (both standard dates): "n DAYS",
// "n MOS", "n YRS", or asterisks.
std::string ageText(int32_t start, int32_t base);
std::string ageText(int32_t start);  // base = today

}  // namespace zor
