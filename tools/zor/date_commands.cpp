// zor date, zor time, zor age: the date and time conversions of the runtime.

#include <cstdio>
#include <iostream>
#include <limits>

#include "runtime/date_time.h"
#include "tools/zor/command.h"

namespace zor::tool {

namespace {

constexpr int64_t kIntMin = std::numeric_limits<int32_t>::min();
constexpr int64_t kIntMax = std::numeric_limits<int32_t>::max();

int runDate(const Arguments& arguments) {
  if (arguments.size() == 1) {
    int64_t number = 0;
    if (!parseInteger(arguments[0], kIntMin, kIntMax, number)) {
      return usageError("date", "not a day number: \"" + arguments[0] + "\"");
    }
    int year = 0, month = 0, day = 0;
    if (!standardDateToYmd(static_cast<int32_t>(number), year, month, day)) {
      std::cout << "invalid\n";
    } else {
      char text[16];
      std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
      std::cout << text << '\n';
    }
    return kExitOk;
  }
  if (arguments.size() == 3) {
    int64_t parts[3] = {};
    const char* names[3] = {"year", "month", "day"};
    for (int i = 0; i < 3; ++i) {
      if (!parseInteger(arguments[i], kIntMin, kIntMax, parts[i])) {
        return usageError("date", std::string("not a ") + names[i] + ": \"" + arguments[i] + "\"");
      }
    }
    std::cout << dateFromMonthDayYear(static_cast<int>(parts[1]), static_cast<int>(parts[2]),
                                      static_cast<int>(parts[0]))
              << '\n';
    return kExitOk;
  }
  return usageError("date", "expected a day number, or a year, month and day");
}

int runTime(const Arguments& arguments) {
  if (arguments.size() != 1) return usageError("time", "expected one standard time");
  int64_t number = 0;
  if (!parseInteger(arguments[0], kIntMin, kIntMax, number)) {
    return usageError("time", "not a standard time: \"" + arguments[0] + "\"");
  }
  PackedTime time;
  if (!standardToPackedTime(static_cast<int32_t>(number), time)) {
    std::cout << "invalid\n";
  } else {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%02d", time.hours, time.minutes, time.seconds,
                  time.hundredths);
    std::cout << text << '\n';
  }
  return kExitOk;
}

int runAge(const Arguments& arguments) {
  if (arguments.empty() || arguments.size() > 2) {
    return usageError("age", "expected a start date and an optional base date");
  }
  int64_t dates[2] = {};
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (!parseInteger(arguments[i], kIntMin, kIntMax, dates[i])) {
      return usageError("age", "not a day number: \"" + arguments[i] + "\"");
    }
  }
  std::cout << (arguments.size() == 2
                    ? ageText(static_cast<int32_t>(dates[0]), static_cast<int32_t>(dates[1]))
                    : ageText(static_cast<int32_t>(dates[0])))
            << '\n';
  return kExitOk;
}

CommandRegistrar dateCommand{
    "date", "N | Y M D", "a day number as a date, or a date as its day number", runDate,
    "With one argument, the standard date N (days since 28 December 1800) as\n"
    "YYYY-MM-DD; with three, the day number of year Y, month M, day D. A month\n"
    "or day beyond its range carries into the next year or month, as DATE()\n"
    "does.\n"};
CommandRegistrar timeCommand{
    "time", "N", "a standard time as HH:MM:SS.hh", runTime,
    "N counts hundredths of a second since midnight, plus one. A value that is\n"
    "no time of day prints \"invalid\".\n"};
CommandRegistrar ageCommand{"age", "START [BASE]",
                            "the age from day number START to BASE (default: today)", runAge};

}  // namespace

}  // namespace zor::tool
