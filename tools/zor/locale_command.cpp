// zor locale: the month names, abbreviations, designators and the pictures
// the locale built (dates 17 and 18, times 7 and 8), on one line.

#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <system_error>

#include "runtime/locale.h"
#include "runtime/locale_detail.h"
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

// Applies ENVFILE's settings one line at a time, naming on stderr each line
// the locale does not take. False, with the reason said, when the file cannot
// be read or holds no setting at all (then nothing changed and there is
// nothing to show).
bool applyEnvironmentFile(const std::string& path) {
  std::string text;
  std::string problem;
  if (!readInputFile(path, text, problem)) {
    std::cerr << "zor: " << path << ": " << problem << '\n';
    return false;
  }
  constexpr int kLinesNamed = 5;
  int applied = 0;
  int refused = 0;
  size_t lineNumber = 0;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + start, end - start);
    start = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.find_first_not_of(" \t") == std::string_view::npos) continue;
    std::string key;
    std::string_view value;
    if (locale_detail::splitEnvironmentLine(line, key, value) && applyLocaleSetting(key, value)) {
      ++applied;
    } else if (++refused <= kLinesNamed) {
      std::cerr << "zor: " << path << ", line " << lineNumber << ": no locale setting, ignored\n";
    }
  }
  if (refused > kLinesNamed) {
    std::cerr << "zor: " << path << ": " << refused - kLinesNamed << " more lines ignored\n";
  }
  if (applied == 0) {
    std::cerr << "zor: " << path << ": holds no locale setting (KEY=value lines such as "
              << "ZORMONTH=...); nothing to show\n";
    return false;
  }
  return true;
}

int runLocale(const Arguments& arguments) {
  if (arguments.size() > 1) return usageError("locale", "expected at most an environment file");
  if (arguments.size() == 1) {
    if (!applyEnvironmentFile(arguments[0])) return kExitFailure;
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

CommandRegistrar localeCommand{
    "locale", "[ENVFILE]", "month names, designators and locale-built pictures", runLocale,
    "Without ENVFILE the locale is the one the console itself starts with (the\n"
    "environment file beside the program, if any). ENVFILE is read line by line\n"
    "as KEY=value settings (ZORMONTH=..., ZORAMPM=..., ...); a line that is no\n"
    "setting is named on stderr, and a file without any setting is refused.\n"};

}  // namespace

}  // namespace zor::tool
