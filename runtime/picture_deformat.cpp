// Reading typed text back through compiled pictures. The input index moves
// on its own, so text typed without the picture's literals or with shorter
// parts ("1/2/26" under mm/dd/yy) still reads.

#include <charconv>
#include <cstring>

#include "runtime/date_time.h"
#include "runtime/locale.h"
#include "runtime/picture.h"

namespace zor {

namespace {

using Kind = PositionKind;

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// Collects the value text into the caller's buffer, never past its capacity.
class Output {
 public:
  explicit Output(char* out) : out_(out) {}
  void put(char c) {
    if (size_ < kDeformatCapacity) out_[size_++] = c;
  }
  size_t size() const { return size_; }
  char* data() { return out_; }

 private:
  char* out_;
  size_t size_ = 0;
};

// String pictures keep only what can form a number.
size_t deformatString(const CompiledPicture& picture, std::string_view text, Output& out) {
  if (text.size() > picture.width) text = text.substr(0, picture.width);
  bool point = false, exponent = false;
  char previous = 0;
  for (char c : text) {
    bool keep = isDigit(c) || (c == '.' && !point && !exponent) ||
                ((c == 'e' || c == 'E') && !exponent) ||
                ((c == '-' || c == '+') && (out.size() == 0 || previous == 'e' || previous == 'E'));
    if (!keep) continue;
    point = point || c == '.';
    exponent = exponent || c == 'e' || c == 'E';
    out.put(c);
    previous = c;
  }
  return out.size();
}

// Writes "[-]int[.fraction]" without leading zeros ("0" when no digit was typed).
void putNumber(bool negative, std::string_view integer, std::string_view fraction, bool point,
               Output& out) {
  while (!integer.empty() && integer[0] == '0') integer.remove_prefix(1);
  bool zero = integer.find_first_not_of('0') == std::string_view::npos &&
              fraction.find_first_not_of('0') == std::string_view::npos;
  if (negative && !zero) out.put('-');
  if (integer.empty()) out.put('0');
  for (char c : integer) out.put(c);
  if (point) {
    out.put('.');
    for (char c : fraction) out.put(c);
  }
}

// Numeric pictures: digits, the picture's decimal character, and a "-" or
// "(" anywhere for a negative value; grouping and currency are skipped, so
// the text needs no alignment to the positions.
size_t deformatNumeric(const CompiledPicture& picture, std::string_view text, Output& out) {
  char integer[kMaxPictureWidth], fraction[kMaxPictureWidth];
  size_t integerCount = 0, fractionCount = 0;
  bool negative = false, point = false;
  char decimal = picture.decimalChar;
  bool implied = false;
  for (size_t i = 0; i < picture.width; ++i) {
    implied = implied || picture.positions[i].kind == Kind::ImpliedPoint;
  }
  for (char c : text) {
    if (isDigit(c)) {
      if (!point && integerCount < kMaxPictureWidth) integer[integerCount++] = c;
      if (point && fractionCount < kMaxPictureWidth) fraction[fractionCount++] = c;
    } else if (decimal && c == decimal && !point) {
      point = true;
    } else if ((c == '.' && !decimal && !point && c != picture.groupingChar)) {
      point = true;  // a point typed into a picture without decimals
    } else if (c == picture.groupingChar) {
      continue;
    } else if (c == '-' || c == '(') {
      negative = true;
    } else if (c == '+') {
      negative = false;
    }
  }
  if (implied && !point) {  // the last `places` digits are the decimals
    size_t places = picture.places;
    char digits[kMaxPictureWidth * 2];
    size_t count = 0;
    for (size_t i = integerCount; i < places; ++i) digits[count++] = '0';
    std::memcpy(digits + count, integer, integerCount);
    count += integerCount;
    putNumber(negative, std::string_view(digits, count - places),
              std::string_view(digits + count - places, places), places > 0, out);
    return out.size();
  }
  putNumber(negative, std::string_view(integer, integerCount),
            std::string_view(fraction, fractionCount), point, out);
  return out.size();
}

size_t deformatScientific(const CompiledPicture& picture, std::string_view text, Output& out) {
  char integer[kMaxPictureWidth], fraction[kMaxPictureWidth], exponent[8];
  size_t integerCount = 0, fractionCount = 0, exponentCount = 0;
  bool negative = false, point = false, inExponent = false, exponentNegative = false;
  for (char c : text) {
    if (inExponent) {
      if (isDigit(c) && exponentCount < sizeof exponent) exponent[exponentCount++] = c;
      if (c == '-' && exponentCount == 0) exponentNegative = true;
    } else if (isDigit(c)) {
      if (!point && integerCount < kMaxPictureWidth) integer[integerCount++] = c;
      if (point && fractionCount < kMaxPictureWidth) fraction[fractionCount++] = c;
    } else if (c == picture.decimalChar && !point) {
      point = true;
    } else if (c == 'e' || c == 'E') {
      inExponent = true;
    } else if (c == '-' || c == '(') {
      negative = true;
    }
  }
  putNumber(negative, std::string_view(integer, integerCount),
            std::string_view(fraction, fractionCount), point, out);
  if (inExponent) {
    out.put('e');
    out.put(exponentNegative ? '-' : '+');
    if (exponentCount == 0) out.put('0');
    for (size_t i = 0; i < exponentCount; ++i) out.put(exponent[i]);
  }
  return out.size();
}

// Pattern and key-in pictures: digits and typed characters in position
// order; a literal is skipped in the text only where it was typed.
size_t deformatTemplate(const CompiledPicture& picture, std::string_view text, Output& out) {
  char collected[kMaxPictureWidth];
  size_t count = 0;
  bool negative = false;
  size_t at = 0;
  for (size_t i = 0; i < picture.width; ++i) {
    const PicturePosition& p = picture.positions[i];
    if (p.kind == Kind::Literal) {
      if (at < text.size() && text[at] == p.fill) ++at;
      continue;
    }
    if (p.kind == Kind::Digit || p.kind == Kind::BlankLeadDigit) {
      while (at < text.size() && (text[at] == '-' || text[at] == '(' || text[at] == '+')) {
        negative = text[at++] != '+';
      }
      if (at >= text.size()) break;
      char c = text[at++];
      if (isDigit(c))
        collected[count++] = c;
      else if (c == ' ')
        collected[count++] = '0';
      continue;
    }
    if (at < text.size()) collected[count++] = text[at++];  // key-in positions
  }
  if (negative && picture.pictureClass == PictureClass::Pattern) out.put('-');
  for (size_t i = 0; i < count; ++i) out.put(collected[i]);
  return out.size();
}

size_t putInteger(int64_t value, Output& out) {
  char text[24];
  auto result = std::to_chars(text, text + sizeof text, value);
  for (char* c = text; c < result.ptr; ++c) out.put(*c);
  return out.size();
}

bool sameLetter(char a, char b) {
  return toUpperLocale(a) == toUpperLocale(b);
}

// Three typed letters against the month names; returns 1..12 or 0.
int matchMonthName(std::string_view typed) {
  for (int month = 1; month <= 12; ++month) {
    std::string_view name = monthName(month);
    size_t n = name.size() < 3 ? name.size() : 3;
    if (n == 0 || typed.size() < n) continue;
    bool same = true;
    for (size_t i = 0; i < n && same; ++i) same = sameLetter(typed[i], name[i]);
    if (same) return month;
  }
  return 0;
}

struct DateTimeParts {
  int value[4] = {};  // month or hours, day or minutes, year or seconds, unused
  bool read = false;
};

int partIndex(Kind kind) {
  switch (kind) {
    case Kind::MonthDigit:
    case Kind::HourDigit:
      return 0;
    case Kind::DayDigit:
    case Kind::MinuteDigit:
      return 1;
    case Kind::YearDigit:
    case Kind::SecondDigit:
      return 2;
    default:
      return 3;
  }
}

size_t deformatDateTime(const CompiledPicture& picture, std::string_view text, Output& out) {
  DateTimeParts parts;
  bool morning = false, afternoon = false;
  bool builtIn = picture.number <= 6;
  std::string_view am = builtIn ? "AM" : amDesignator();
  std::string_view pm = builtIn ? "PM" : pmDesignator();
  size_t at = 0;
  auto skipBlanks = [&] {
    while (at < text.size() && text[at] == ' ') ++at;
  };
  for (size_t i = 0; i < picture.width;) {
    const PicturePosition& p = picture.positions[i];
    size_t length = 1;
    while (i + length < picture.width && picture.positions[i + length].kind == p.kind) ++length;
    int part = partIndex(p.kind);
    if (part < 3) {
      int value = 0, digits = 0;
      for (size_t k = 0; k < length && at < text.size(); ++k) {
        char c = text[at];
        if (isDigit(c)) {
          value = value * 10 + (c - '0');
          ++digits;
          ++at;
        } else if (digits == 0 && (c == ' ' || c == p.fill)) {
          ++at;
        } else {
          break;  // a separator typed early ends the part
        }
      }
      if (digits > 0) {
        parts.value[part] = value;
        parts.read = true;
      }
    } else if (p.kind == Kind::MonthName) {
      skipBlanks();
      size_t start = at;
      if (at < text.size() && isDigit(text[at])) {  // a month number typed instead of a name
        int value = 0;
        while (at < text.size() && isDigit(text[at]) && at - start < 2)
          value = value * 10 + (text[at++] - '0');
        parts.value[0] = value;
        parts.read = true;
      } else {
        while (at < text.size() && isAlphaLocale(text[at])) ++at;
        int month = matchMonthName(text.substr(start, at - start));
        if (month) {
          parts.value[0] = month;
          parts.read = true;
        }
      }
    } else if (p.kind == Kind::AmPm) {
      skipBlanks();
      if (at < text.size()) {
        if (!pm.empty() && sameLetter(text[at], pm[0])) {
          afternoon = true;
          ++at;
        } else if (!am.empty() && sameLetter(text[at], am[0])) {
          morning = true;
          ++at;
        }
        // The designator's second letter stands in the literal position after it.
        std::string_view designator = afternoon ? pm : am;
        if ((afternoon || morning) && designator.size() > 1 && at < text.size() &&
            sameLetter(text[at], designator[1])) {
          ++at;
          if (i + 1 < picture.width && picture.positions[i + 1].kind == Kind::Literal) ++length;
        }
      }
    } else if (p.kind == Kind::DateTimeSeparator) {
      if (at < text.size() && !isDigit(text[at]) && !isAlphaLocale(text[at])) ++at;
    } else {  // literals, one at a time
      length = 1;
      if (at < text.size() && sameLetter(text[at], p.fill)) ++at;
    }
    i += length;
  }

  if (picture.pictureClass == PictureClass::Time) {
    int& hours = parts.value[0];
    if (afternoon && hours != 12) hours += 12;
    if (morning && hours == 12) hours = 0;
    if (hours >= 24 || parts.value[1] >= 60 || parts.value[2] >= 60) return putInteger(-1, out);
    if (!parts.read) return putInteger(0, out);
    return putInteger(int64_t{hours} * 360000 + parts.value[1] * 6000 + parts.value[2] * 100 + 1,
                      out);
  }
  if (!parts.read) return putInteger(0, out);
  int month = parts.value[0], day = parts.value[1], year = parts.value[2];
  if (picture.number >= 13 && picture.number <= 16) day = 1;
  year = expandTwoDigitYear(year, picture.centuryWindow);
  int32_t date = dateFromMonthDayYear(month, day, year);
  return putInteger(date > 0 ? date : 0, out);
}

}  // namespace

size_t deformatPicture(const CompiledPicture& picture, std::string_view text, char* out) {
  Output output(out);
  if (picture.width == 0) return 0;
  switch (picture.pictureClass) {
    case PictureClass::String:
      return deformatString(picture, text, output);
    case PictureClass::Numeric:
      return deformatNumeric(picture, text, output);
    case PictureClass::Scientific:
      return deformatScientific(picture, text, output);
    case PictureClass::Pattern:
    case PictureClass::KeyIn:
      return deformatTemplate(picture, text, output);
    case PictureClass::Date:
    case PictureClass::Time:
      return deformatDateTime(picture, text, output);
  }
  return 0;
}

std::string deformatPicture(const CompiledPicture& picture, std::string_view text) {
  char buffer[kDeformatCapacity];
  return std::string(buffer, deformatPicture(picture, text, buffer));
}

std::string deformatPicture(std::string_view picture, std::string_view text) {
  // An empty picture gives an empty text (a missing one, compiled, would
  // keep the number in any text).
  if (picture.empty()) return {};
  return deformatPicture(compilePicture(picture), text);
}

}  // namespace zor
