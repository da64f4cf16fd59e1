#include "runtime/date_time.h"

#include <gtest/gtest.h>

#include <chrono>

#include "platform/clock.h"

namespace zor {
namespace {

using namespace std::chrono;

// Day 4 is 1 January 1801, so day n is sys_days(1800-12-28) + n.
constexpr sys_days kDayZero = sys_days{year{1800} / December / 28};

class FixedClock : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::LocalDateTime now;
    now.year = 2026;
    now.month = 12;
    now.day = 7;
    now.hour = 13;
    now.minute = 45;
    now.second = 30;
    now.hundredths = 25;
    platform::setFixedLocalNow(now);
  }
  void TearDown() override { platform::setFixedLocalNow(std::nullopt); }
};

TEST(StandardDate, AgreesWithAnIndependentCalendarOverTheWholeRange) {
  // Every valid day both ways, and the packed form in between.
  for (int32_t n = kFirstStandardDate; n <= kLastStandardDate; ++n) {
    year_month_day expected{kDayZero + days{n}};
    int y = 0, m = 0, d = 0;
    ASSERT_TRUE(standardDateToYmd(n, y, m, d)) << n;
    ASSERT_EQ(y, static_cast<int>(expected.year())) << n;
    ASSERT_EQ(m, static_cast<int>(static_cast<unsigned>(expected.month()))) << n;
    ASSERT_EQ(d, static_cast<int>(static_cast<unsigned>(expected.day()))) << n;
    PackedDate packed{static_cast<uint8_t>(d), static_cast<uint8_t>(m), static_cast<uint16_t>(y)};
    ASSERT_EQ(packedToStandardDate(packed), n);
  }
}

TEST(StandardDate, RangeEnds) {
  PackedDate date;
  EXPECT_TRUE(standardToPackedDate(4, date));
  EXPECT_EQ(date.day, 1);
  EXPECT_EQ(date.month, 1);
  EXPECT_EQ(date.year, 1801);
  EXPECT_TRUE(standardToPackedDate(2994626, date));
  EXPECT_EQ(date.day, 31);
  EXPECT_EQ(date.month, 12);
  EXPECT_EQ(date.year, 9999);
  for (int32_t invalid : {3, 2994627, 0, -1, INT32_MIN, INT32_MAX}) {
    date = PackedDate{1, 1, 2000};
    EXPECT_FALSE(standardToPackedDate(invalid, date)) << invalid;
    EXPECT_EQ(date.day + date.month + date.year, 0) << invalid;
    EXPECT_EQ(yearOf(invalid), 0);
  }
  EXPECT_EQ(dayOf(2994626), 31);
  EXPECT_EQ(monthOf(2994626), 12);
  EXPECT_EQ(yearOf(2994626), 9999);
}

TEST(PackedDate, InvalidDatesGiveZeroAndLargeYearsClamp) {
  EXPECT_EQ(packedToStandardDate({0, 0, 0}), 0);
  EXPECT_EQ(packedToStandardDate({29, 2, 1900}), 0);  // 1900 is no leap year
  EXPECT_NE(packedToStandardDate({29, 2, 2000}), 0);  // 2000 is
  EXPECT_EQ(packedToStandardDate({31, 4, 2001}), 0);
  EXPECT_EQ(packedToStandardDate({1, 13, 2001}), 0);
  EXPECT_EQ(packedToStandardDate({0, 1, 2001}), 0);
  EXPECT_EQ(packedToStandardDate({31, 12, 1800}), 0);
  EXPECT_EQ(packedToStandardDate({1, 1, 10000}), kLastStandardDate);
  EXPECT_EQ(packedToStandardDate({9, 9, 65535}), kLastStandardDate);
}

TEST(PackedDate, RecordBytesAreDayMonthYearLittleEndian) {
  uint8_t bytes[4];
  writePackedDate(bytes, {7, 12, 2026});
  EXPECT_EQ(bytes[0], 7);
  EXPECT_EQ(bytes[1], 12);
  EXPECT_EQ(bytes[2], 2026 & 0xFF);
  EXPECT_EQ(bytes[3], 2026 >> 8);
  PackedDate back = readPackedDate(bytes);
  EXPECT_EQ(back.year, 2026);
  uint8_t timeBytes[4];
  writePackedTime(timeBytes, {23, 59, 58, 97});
  PackedTime time = readPackedTime(timeBytes);
  EXPECT_EQ(time.hours + time.minutes + time.seconds + time.hundredths, 23 + 59 + 58 + 97);
}

TEST(MonthDayYear, RollsMonthsAndDaysOver) {
  auto ymd = [](int32_t n) {
    int y = 0, m = 0, d = 0;
    standardDateToYmd(n, y, m, d);
    return y * 10000 + m * 100 + d;
  };
  EXPECT_EQ(ymd(dateFromMonthDayYear(13, 1, 2000)), 20010101);
  EXPECT_EQ(ymd(dateFromMonthDayYear(2, 30, 2001)), 20010302);
  EXPECT_EQ(ymd(dateFromMonthDayYear(3, 0, 2000)), 20000229);
  EXPECT_EQ(ymd(dateFromMonthDayYear(25, 1, 2000)), 20020101);
  EXPECT_EQ(ymd(dateFromMonthDayYear(0, 1, 2000)), 19991201);
  EXPECT_EQ(ymd(dateFromMonthDayYear(1, -30, 2000)), 19991201);
  EXPECT_EQ(ymd(dateFromMonthDayYear(12, 35, 1800)), 18010104);  // rolls into range
  EXPECT_EQ(dateFromMonthDayYear(1, 1, 1801), 4);
  EXPECT_EQ(dateFromMonthDayYear(12, 31, 1800), -1);
  EXPECT_EQ(dateFromMonthDayYear(1, 1, 10000), -1);
  EXPECT_EQ(dateFromMonthDayYear(INT32_MAX, INT32_MAX, INT32_MAX), -1);
  EXPECT_EQ(dateFromMonthDayYear(INT32_MIN, INT32_MIN, INT32_MIN), -1);
}

TEST(TwoDigitYears, WindowAroundTheCurrentYear) {
  EXPECT_EQ(expandTwoDigitYear(45, 80, 2026), 2045);
  EXPECT_EQ(expandTwoDigitYear(46, 80, 2026), 1946);
  EXPECT_EQ(expandTwoDigitYear(99, 80, 2026), 1999);
  EXPECT_EQ(expandTwoDigitYear(0, 80, 2026), 2000);
  EXPECT_EQ(expandTwoDigitYear(0, 80, 2099), 2100);  // window 2019..2118
  EXPECT_EQ(expandTwoDigitYear(18, 80, 2099), 2118);
  EXPECT_EQ(expandTwoDigitYear(19, 80, 2099), 2019);
  EXPECT_EQ(expandTwoDigitYear(100, 80, 2026), 100);  // not two digits
  // Every window value keeps the result within 100 years.
  for (int window = 0; window <= 100; window += 10) {
    for (int yy = 0; yy < 100; ++yy) {
      int year = expandTwoDigitYear(yy, window, 2026);
      EXPECT_EQ(year % 100, yy);
      EXPECT_GE(year, 2026 - window);
      EXPECT_LT(year, 2026 - window + 100);
    }
  }
}

TEST_F(FixedClock, TwoDigitYearsAndTodayUseTheLocalClock) {
  EXPECT_EQ(expandTwoDigitYear(46), 1946);
  EXPECT_EQ(packedToStandardDate({1, 1, 45}), dateFromMonthDayYear(1, 1, 2045));
  EXPECT_EQ(dateFromMonthDayYear(13, 1, 99), dateFromMonthDayYear(1, 1, 2000));
  EXPECT_EQ(today(), dateFromMonthDayYear(12, 7, 2026));
  EXPECT_EQ(clockNow(), 13 * 360000 + 45 * 6000 + 30 * 100 + 25 + 1);
}

TEST(StandardTime, BothDirections) {
  PackedTime time;
  ASSERT_TRUE(standardToPackedTime(1, time));
  EXPECT_EQ(time.hours + time.minutes + time.seconds + time.hundredths, 0);
  ASSERT_TRUE(standardToPackedTime(8640000, time));
  EXPECT_EQ(time.hours, 23);
  EXPECT_EQ(time.minutes, 59);
  EXPECT_EQ(time.seconds, 59);
  EXPECT_EQ(time.hundredths, 99);
  EXPECT_FALSE(standardToPackedTime(8640001, time));
  EXPECT_FALSE(standardToPackedTime(0, time));
  EXPECT_EQ(time.hours, 0);
  EXPECT_EQ(packedToStandardTime({0, 0, 0, 0}), 0);
  EXPECT_EQ(packedToStandardTime({24, 0, 0, 0}), -1);
  EXPECT_EQ(packedToStandardTime({0, 60, 0, 0}), -1);
  EXPECT_EQ(packedToStandardTime({0, 0, 60, 0}), -1);
  EXPECT_EQ(packedToStandardTime({0, 0, 0, 100}), -1);
  for (int32_t n = 1; n <= kLastStandardTime; n += 997) {
    ASSERT_TRUE(standardToPackedTime(n, time));
    ASSERT_EQ(packedToStandardTime(time), n == 1 ? 0 : n);  // midnight packs as all zero
  }
}

TEST(AgeText, DaysMonthsYears) {
  auto date = dateFromMonthDayYear;
  int32_t base = date(12, 15, 2020);
  EXPECT_EQ(ageText(base, base), "0 DAYS");
  EXPECT_EQ(ageText(base - 60, base), "60 DAYS");
  EXPECT_EQ(ageText(base - 61, base), "2 MOS");
  EXPECT_EQ(ageText(date(9, 15, 2020), base), "3 MOS");
  EXPECT_EQ(ageText(date(9, 16, 2020), base), "2 MOS");  // the base's day is before the start's
  EXPECT_EQ(ageText(date(12, 14, 2018), base), "24 MOS");
  EXPECT_EQ(ageText(date(12, 16, 2018), base), "23 MOS");
  EXPECT_EQ(ageText(date(11, 15, 2018), base), "2 YRS");
  EXPECT_EQ(ageText(date(12, 16, 1990), base), "29 YRS");
  EXPECT_EQ(ageText(date(12, 15, 1990), base), "30 YRS");
  EXPECT_EQ(ageText(date(1, 1, 1991), base), "29 YRS");
}

TEST(AgeText, FutureStartsMoveBackACentury) {
  auto date = dateFromMonthDayYear;
  int32_t base = date(12, 15, 2020);
  EXPECT_EQ(ageText(date(12, 15, 2050), base), "70 YRS");
  EXPECT_EQ(ageText(date(6, 15, 2150), base), "***");              // still after the base
  EXPECT_EQ(ageText(date(2, 29, 2000), date(1, 1, 1999)), "***");  // 1900 has no 29 February
  EXPECT_EQ(ageText(date(1, 1, 1850), date(1, 1, 1820)), "***");   // before the calendar
  EXPECT_EQ(ageText(0, base), "***");
  EXPECT_EQ(ageText(base, -5), "***");
}

TEST_F(FixedClock, AgeTextDefaultsToToday) {
  EXPECT_EQ(ageText(dateFromMonthDayYear(12, 1, 2026)), "6 DAYS");
}

}  // namespace
}  // namespace zor
