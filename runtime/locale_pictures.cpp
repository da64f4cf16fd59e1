// The pictures the locale builds from the system's date and time formats.

#include "runtime/locale_detail.h"

namespace zor::locale_detail {

namespace {

using Kind = PositionKind;

class PictureBuilder {
 public:
  void add(Kind kind, char fill) {
    if (picture_.width >= kMaxLocalePictureWidth) return;
    picture_.positions[picture_.width].kind = kind;
    picture_.positions[picture_.width].fill = fill;
    ++picture_.width;
  }
  void addDigits(Kind kind, int count, bool zeroFilled) {
    for (int i = 0; i < count; ++i) add(kind, (i == 0 && !zeroFilled) ? ' ' : '0');
  }
  // Punctuation takes the picture's separator; blanks are plain literals.
  void addText(std::string_view text) {
    for (char c : text) add(c == ' ' ? Kind::Literal : Kind::DateTimeSeparator, c);
  }
  const LocalePicture& picture() const { return picture_; }

 private:
  LocalePicture picture_;
};

// The run of one format letter at `from`: its length.
size_t runAt(std::string_view format, size_t from) {
  size_t end = from;
  while (end < format.size() && format[end] == format[from]) ++end;
  return end - from;
}

// The first run of `letter` (outside quotes) of at most `maxLength`
// letters, or npos. Day runs of three or more letters name the weekday.
size_t findRun(std::string_view format, char letter, size_t maxLength, size_t& length) {
  bool quoted = false;
  for (size_t i = 0; i < format.size();) {
    if (format[i] == '\'') {
      quoted = !quoted;
      ++i;
      continue;
    }
    if (quoted || format[i] != letter) {
      ++i;
      continue;
    }
    size_t n = runAt(format, i);
    if (n <= maxLength) {
      length = n;
      return i;
    }
    i += n;
  }
  return std::string_view::npos;
}

// The literal text of a format between two of its parts: quoted text as
// written, other non-letters as they stand; format letters are dropped.
std::string literalBetween(std::string_view format, size_t from, size_t to) {
  std::string text;
  bool quoted = false;
  for (size_t i = from; i < to && i < format.size(); ++i) {
    char c = format[i];
    if (c == '\'') {
      quoted = !quoted;
    } else if (quoted || !((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) {
      text += c;
    }
  }
  if (text.size() > 4) text.resize(4);
  return text.empty() ? " " : text;
}

}  // namespace

LocalePicture buildTimePicture(bool withSeconds, bool twelveHour, bool leadingZero,
                               char separator) {
  PictureBuilder b;
  b.add(Kind::HourDigit, leadingZero ? '0' : ' ');
  b.add(Kind::HourDigit, '0');
  b.add(Kind::DateTimeSeparator, separator);
  b.addDigits(Kind::MinuteDigit, 2, true);
  if (withSeconds) {
    b.add(Kind::DateTimeSeparator, separator);
    b.addDigits(Kind::SecondDigit, 2, true);
  }
  if (twelveHour) {
    b.add(Kind::Literal, ' ');
    b.add(Kind::AmPm, ' ');
    b.add(Kind::Literal, 'M');
  }
  return b.picture();
}

LocalePicture buildShortDatePicture(std::string_view format) {
  char first = format.empty() ? 'M' : format[0];
  bool dayZero = format.find("dd") != std::string_view::npos;
  bool monthZero = format.find("MM") != std::string_view::npos;
  int yearDigits = format.find("yyyy") != std::string_view::npos ? 4 : 2;
  char separator = '/';
  size_t month = format.find('M');
  if (month != std::string_view::npos) {
    size_t after = month + runAt(format, month);
    if (after < format.size() && format[after] == '\'') ++after;
    char c = after < format.size() ? format[after] : '\0';
    if (c != '\0' && c != '\'' && !((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
      separator = c;
  }
  Kind order[3] = {Kind::MonthDigit, Kind::DayDigit, Kind::YearDigit};
  if (first == 'd') {
    order[0] = Kind::DayDigit;
    order[1] = Kind::MonthDigit;
  } else if (first == 'y') {
    order[0] = Kind::YearDigit;
    order[1] = Kind::MonthDigit;
    order[2] = Kind::DayDigit;
  }
  PictureBuilder b;
  for (int i = 0; i < 3; ++i) {
    if (i > 0) b.add(Kind::DateTimeSeparator, separator);
    if (order[i] == Kind::YearDigit) b.addDigits(Kind::YearDigit, yearDigits, true);
    if (order[i] == Kind::MonthDigit) b.addDigits(Kind::MonthDigit, 2, monthZero);
    if (order[i] == Kind::DayDigit) b.addDigits(Kind::DayDigit, 2, dayZero);
  }
  return b.picture();
}

LocalePicture buildLongDatePicture(std::string_view format) {
  struct Part {
    Kind kind;
    size_t at;
    size_t length;
  };
  size_t dayLength = 0, monthLength = 0, yearLength = 0;
  size_t day = findRun(format, 'd', 2, dayLength);
  size_t month = findRun(format, 'M', 99, monthLength);
  size_t year = findRun(format, 'y', 99, yearLength);
  constexpr size_t npos = std::string_view::npos;
  // Parts missing from the format follow in the order month, day, year.
  Part parts[3] = {{Kind::MonthName, month == npos ? format.size() + 1 : month, monthLength},
                   {Kind::DayDigit, day == npos ? format.size() + 2 : day, dayLength},
                   {Kind::YearDigit, year == npos ? format.size() + 3 : year, yearLength}};
  for (int i = 0; i < 3; ++i) {
    for (int j = i + 1; j < 3; ++j) {
      if (parts[j].at < parts[i].at) std::swap(parts[i], parts[j]);
    }
  }
  PictureBuilder b;
  for (int i = 0; i < 3; ++i) {
    if (i > 0) {
      const Part& previous = parts[i - 1];
      b.addText(previous.at + previous.length <= format.size() && parts[i].at <= format.size()
                    ? literalBetween(format, previous.at + previous.length, parts[i].at)
                    : " ");
    }
    switch (parts[i].kind) {
      case Kind::MonthName:
        for (int k = 0; k < 12; ++k) b.add(Kind::MonthName, ' ');
        break;
      case Kind::DayDigit:
        b.addDigits(Kind::DayDigit, 2, parts[i].length == 2);
        break;
      default:
        b.addDigits(Kind::YearDigit, parts[i].length == 2 ? 2 : 4, true);
        break;
    }
  }
  return b.picture();
}

}  // namespace zor::locale_detail
