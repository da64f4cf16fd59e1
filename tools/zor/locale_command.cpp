// zor locale: the month names, abbreviations, designators and the pictures
// the locale built (dates 17 and 18, times 7 and 8), on one line.

#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>

#include "data/file_errors.h"
#include "runtime/locale.h"
#include "tools/common/input_file.h"
#include "tools/zor/command.h"

namespace zor::tool {

namespace {

// The picture's positions in the notation of the date and time tables:
// a lower-case letter is a digit shown blank while zero, "N" a month-name
// letter, "X" the AM/PM letter; separators and literals as they show.
std::string describeLayout(const LocalePicture& picture, bool time) {
  std::string text;
  for (size_t i = 0; i < picture.width; ++i) {
    const PicturePosition& p = picture.positions[i];
    bool blank = p.fill == ' ';
    switch (p.kind) {
      case PositionKind::MonthDigit:
        text += blank ? 'm' : 'M';
        break;
      case PositionKind::DayDigit:
        text += blank ? 'd' : 'D';
        break;
      case PositionKind::YearDigit:
        text += 'Y';
        break;
      case PositionKind::MonthName:
        text += 'N';
        break;
      case PositionKind::HourDigit:
        text += blank ? 'h' : 'H';
        break;
      case PositionKind::MinuteDigit:
        text += time ? 'M' : '?';
        break;
      case PositionKind::SecondDigit:
        text += 'S';
        break;
      case PositionKind::AmPm:
        text += 'X';
        break;
      default:
        text += p.fill;
        break;
    }
  }
  return text;
}

std::string joined(std::string_view (*item)(int)) {
  std::string text;
  for (int month = 1; month <= 12; ++month)
    text += (month > 1 ? "," : "") + std::string(item(month));
  return text;
}

int runLocale(const Arguments& arguments) {
  if (arguments.size() > 1) return usageError("locale", "expected at most an environment file");
  if (arguments.size() == 1) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(arguments[0], error)) {
      return usageError("locale", "cannot read the environment file \"" + arguments[0] +
                                      "\": " + fileProblem(arguments[0], data::kErrFileNotFound));
    }
    setEnvironmentFilePath(arguments[0]);
  } else {
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) setProgramPath(self.string());
  }
  std::cout << "months=" << joined(monthName) << "; abbreviations=" << joined(monthAbbreviation)
            << "; am=" << amDesignator() << "; pm=" << pmDesignator()
            << "; @D17=" << describeLayout(localeDatePicture(17), false)
            << "; @D18=" << describeLayout(localeDatePicture(18), false)
            << "; @T7=" << describeLayout(localeTimePicture(7), true)
            << "; @T8=" << describeLayout(localeTimePicture(8), true) << '\n';
  return kExitOk;
}

CommandRegistrar localeCommand{"locale", "[ENVFILE]", runLocale};

}  // namespace

}  // namespace zor::tool
