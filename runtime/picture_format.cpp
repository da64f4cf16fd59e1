// Formatting values through compiled pictures: exactly width characters,
// written into the caller's buffer.

#include <cstring>

#include "runtime/date_time.h"
#include "runtime/locale.h"
#include "runtime/picture.h"
#include "runtime/picture_number.h"

namespace zor {

namespace {

using Kind = PositionKind;
using picture_detail::NumberDigits;

size_t runLength(const CompiledPicture& picture, size_t start) {
  size_t end = start;
  while (end < picture.width && picture.positions[end].kind == picture.positions[start].kind) ++end;
  return end - start;
}

// Writes `value` into a run of digit positions, most significant digit
// first; zeros before the first significant digit show the position's fill.
void writeDigitRun(const CompiledPicture& picture, size_t start, size_t length, unsigned value,
                   char* out) {
  char digits[12];
  for (size_t i = length; i-- > 0;) {
    digits[i < sizeof digits ? i : 0] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  bool leading = true;
  for (size_t i = 0; i < length && i < sizeof digits; ++i) {
    leading = leading && digits[i] == '0';
    out[start + i] = leading ? picture.positions[start + i].fill : digits[i];
  }
}

// Lead currency and sign characters float to just before the first digit
// shown, when the picture has digits that are blank while leading zeros.
void floatLeadCharacters(const CompiledPicture& picture, char* out) {
  char floating[kMaxPictureWidth];
  size_t count = 0;
  size_t at = 0;
  for (; at < picture.width; ++at) {
    Kind kind = picture.positions[at].kind;
    if (kind != Kind::Sign && kind != Kind::Currency) break;
    if (kind == Kind::Currency || out[at] != ' ') floating[count++] = out[at];
    out[at] = ' ';
  }
  size_t first = at;
  while (first < picture.width && out[first] == ' ') ++first;
  if (first < count) first = count;  // cannot happen: the lead positions were left of it
  std::memcpy(out + first - count, floating, count);
}

void formatNumber(const CompiledPicture& picture, const PictureValue& value, char* out) {
  NumberDigits number;
  picture_detail::numberFromValue(value, number);
  picture_detail::roundToPlaces(number, picture.places);
  if (picture.blankWhenZero && number.isZero()) return;
  bool overflow = number.tooLarge || number.integerCount > picture.integerDigits;
  if (overflow && picture.pictureClass == PictureClass::Pattern && picture.integerDigits == 0)
    return;

  int integerLeft = picture.integerDigits;  // integer digit positions not yet passed
  int fractionAt = 0;
  bool inFraction = false;
  bool digitShown = false;
  char leadFill = ' ';
  for (size_t i = 0; i < picture.width; ++i) {
    const PicturePosition& p = picture.positions[i];
    char& c = out[i];
    switch (p.kind) {
      case Kind::Digit:
      case Kind::BlankLeadDigit:
      case Kind::ImpliedPoint:
        if (overflow) {
          c = '#';
          digitShown = true;
        } else if (inFraction) {
          c = number.fraction()[fractionAt++];
        } else {
          int index = number.integerCount - integerLeft;
          if (index >= 0) {
            c = number.digits[index];
            digitShown = true;
          } else if (p.kind == Kind::BlankLeadDigit) {
            c = ' ';
          } else {
            c = p.fill;
            digitShown = digitShown || p.fill != '*';
            leadFill = p.fill;
          }
        }
        if (!inFraction) --integerLeft;
        if (p.kind == Kind::ImpliedPoint) inFraction = true;
        break;
      case Kind::Grouping:
        c = digitShown ? p.fill : (leadFill == '*' ? '*' : ' ');
        break;
      case Kind::DecimalPoint:
        c = p.fill;
        inFraction = true;
        break;
      case Kind::Sign:
        c = number.negative ? p.fill : ' ';
        break;
      default:
        c = p.fill;
        break;
    }
  }
  if (picture.floating) floatLeadCharacters(picture, out);
}

void formatScientific(const CompiledPicture& picture, const PictureValue& value, char* out) {
  NumberDigits number;
  picture_detail::numberFromValue(value, number);
  if (picture.blankWhenZero && number.isZero()) return;

  // The significant digits and the exponent of the first one (0.d1d2... x 10^e).
  const char* digits = number.digits;
  int count = number.integerCount + number.fractionCount;
  int first = 0;
  while (first < count && digits[first] == '0') ++first;
  int exponent = number.integerCount - first;
  int wanted = picture.integerDigits + picture.places;
  char mantissa[2 * kMaxPictureWidth + 2];
  bool zero = first == count;
  for (int i = 0; i < wanted; ++i) {
    mantissa[i] = (!zero && first + i < count) ? digits[first + i] : '0';
  }
  if (!zero && first + wanted < count && digits[first + wanted] >= '5') {
    int i = wanted;
    bool carry = true;
    while (carry && i > 0) {
      --i;
      if (mantissa[i] == '9') {
        mantissa[i] = '0';
      } else {
        ++mantissa[i];
        carry = false;
      }
    }
    if (carry) {  // 9.99 became 10.0: one more place of exponent
      if (wanted > 0) mantissa[0] = '1';
      ++exponent;
    }
  }
  if (zero) exponent = picture.integerDigits;
  int shownExponent = exponent - picture.integerDigits;
  bool overflow = number.tooLarge || shownExponent > 999 || shownExponent < -999;
  unsigned magnitude = static_cast<unsigned>(shownExponent < 0 ? -shownExponent : shownExponent);

  int mantissaAt = 0;
  bool inExponent = false;
  int exponentDigit = 0;
  const int powers[3] = {100, 10, 1};
  for (size_t i = 0; i < picture.width; ++i) {
    const PicturePosition& p = picture.positions[i];
    char& c = out[i];
    switch (p.kind) {
      case Kind::Sign:
        c = number.negative ? '-' : ' ';
        break;
      case Kind::Digit:
        if (overflow) {
          c = '#';
        } else if (inExponent) {
          c = static_cast<char>('0' +
                                (magnitude / powers[exponentDigit < 3 ? exponentDigit : 2]) % 10);
          ++exponentDigit;
        } else {
          c = mantissa[mantissaAt++];
        }
        break;
      case Kind::ExponentSign:
        c = shownExponent < 0 ? '-' : '+';
        inExponent = true;
        break;
      default:
        c = p.fill;
        break;
    }
  }
}

// Month names: pictures 4 and 18 show the name as stored, the others its
// first three letters in upper case. Returns how many positions stay unused.
size_t writeMonthName(const CompiledPicture& picture, size_t start, size_t length, int month,
                      char* out) {
  std::string_view name = monthName(month);
  bool fullName = picture.number == 4 || picture.number == 18;
  if (!fullName && name.size() > 3) name = name.substr(0, 3);
  size_t n = name.size() < length ? name.size() : length;
  for (size_t i = 0; i < n; ++i) out[start + i] = fullName ? name[i] : toUpperLocale(name[i]);
  return length - n;
}

void formatDate(const CompiledPicture& picture, const PictureValue& value, char* out) {
  int64_t date = picture_detail::integerFromValue(value);
  if (picture.blankWhenZero && date == 0) return;
  int year = 0, month = 0, day = 0;
  bool valid = date >= kFirstStandardDate && date <= kLastStandardDate &&
               standardDateToYmd(static_cast<int32_t>(date), year, month, day);
  size_t nameEnd = 0, nameUnused = 0;
  for (size_t i = 0; i < picture.width;) {
    const PicturePosition& p = picture.positions[i];
    size_t length = runLength(picture, i);
    if (p.kind == Kind::MonthDigit || p.kind == Kind::DayDigit || p.kind == Kind::YearDigit) {
      if (valid) {
        unsigned number = static_cast<unsigned>(p.kind == Kind::MonthDigit ? month
                                                : p.kind == Kind::DayDigit ? day
                                                                           : year);
        if (p.kind == Kind::YearDigit && length < 4) number %= 100;
        writeDigitRun(picture, i, length, number, out);
      }
    } else if (p.kind == Kind::MonthName) {
      if (valid) {
        nameUnused = writeMonthName(picture, i, length, month, out);
        nameEnd = i + length;
      }
    } else {
      for (size_t j = 0; j < length; ++j) out[i + j] = picture.positions[i + j].fill;
    }
    i += length;
  }
  // The long pictures close up the blanks after a short month name.
  if (nameUnused > 0 && (picture.number == 4 || picture.number == 18)) {
    std::memmove(out + nameEnd - nameUnused, out + nameEnd, picture.width - nameEnd);
    std::memset(out + picture.width - nameUnused, ' ', nameUnused);
  }
}

void formatTime(const CompiledPicture& picture, const PictureValue& value, char* out) {
  int64_t time = picture_detail::integerFromValue(value);
  if (picture.blankWhenZero && time == 0) return;
  bool valid = time >= 1 && time <= kLastStandardTime;
  int64_t t = valid ? time - 1 : 0;
  int hours = static_cast<int>(t / 360000);
  int minutes = static_cast<int>(t / 6000 % 60);
  int seconds = static_cast<int>(t / 100 % 60);
  bool twelveHour = false;
  for (size_t i = 0; i < picture.width; ++i) {
    twelveHour = twelveHour || picture.positions[i].kind == Kind::AmPm;
  }
  bool afternoon = hours >= 12;
  if (twelveHour) {
    if (hours > 12) hours -= 12;
    if (hours == 0) hours = 12;
  }
  bool builtIn = picture.number <= 6;
  std::string_view designator =
      afternoon ? (builtIn ? "PM" : pmDesignator()) : (builtIn ? "AM" : amDesignator());
  for (size_t i = 0; i < picture.width;) {
    const PicturePosition& p = picture.positions[i];
    size_t length = runLength(picture, i);
    if (p.kind == Kind::HourDigit || p.kind == Kind::MinuteDigit || p.kind == Kind::SecondDigit) {
      if (valid) {
        int number = p.kind == Kind::HourDigit     ? hours
                     : p.kind == Kind::MinuteDigit ? minutes
                                                   : seconds;
        writeDigitRun(picture, i, length, static_cast<unsigned>(number), out);
      }
      i += length;
      continue;
    }
    if (p.kind == Kind::AmPm) {
      if (valid) {
        out[i] = designator.empty() ? ' ' : designator[0];
        // The position after the AM/PM letter shows the designator's second letter.
        if (i + 1 < picture.width && picture.positions[i + 1].kind == Kind::Literal) {
          out[i + 1] = designator.size() > 1 ? designator[1] : ' ';
          ++i;
        }
      } else if (i + 1 < picture.width && picture.positions[i + 1].kind == Kind::Literal) {
        ++i;  // no time: the designator stays blank
      }
      ++i;
      continue;
    }
    out[i] = p.fill;
    ++i;
  }
}

// Key-in pictures: the value's characters fill the entry positions in order.
void formatKeyIn(const CompiledPicture& picture, std::string_view text, char* out) {
  size_t next = 0;
  for (size_t i = 0; i < picture.width; ++i) {
    const PicturePosition& p = picture.positions[i];
    if (p.kind == Kind::Literal) {
      out[i] = p.fill;
    } else if (next < text.size()) {
      out[i] = text[next++];
    }
  }
}

void formatString(const CompiledPicture& picture, const PictureValue& value, char* out) {
  std::string_view text = value.text;
  char buffer[picture_detail::kTextCapacity];
  if (value.kind != PictureValue::Kind::Text) {
    NumberDigits number;
    picture_detail::numberFromValue(value, number);
    if (number.tooLarge) return;
    text = std::string_view(buffer, picture_detail::numberToText(number, buffer));
  }
  size_t n = text.size() < picture.width ? text.size() : picture.width;
  if (n > 0) std::memcpy(out, text.data(), n);
}

}  // namespace

size_t formatPicture(const CompiledPicture& picture, const PictureValue& value, char* out) {
  std::memset(out, ' ', picture.width);
  switch (picture.pictureClass) {
    case PictureClass::String:
      formatString(picture, value, out);
      break;
    case PictureClass::Numeric:
    case PictureClass::Pattern:
      formatNumber(picture, value, out);
      break;
    case PictureClass::Scientific:
      formatScientific(picture, value, out);
      break;
    case PictureClass::Date:
      formatDate(picture, value, out);
      break;
    case PictureClass::Time:
      formatTime(picture, value, out);
      break;
    case PictureClass::KeyIn:
      if (value.kind == PictureValue::Kind::Text) {
        formatKeyIn(picture, value.text, out);
      } else {
        char buffer[picture_detail::kTextCapacity];
        NumberDigits number;
        picture_detail::numberFromValue(value, number);
        formatKeyIn(picture, std::string_view(buffer, picture_detail::numberToText(number, buffer)),
                    out);
      }
      break;
  }
  return picture.width;
}

std::string formatPicture(const CompiledPicture& picture, const PictureValue& value) {
  char buffer[kMaxPictureWidth];
  return std::string(buffer, formatPicture(picture, value, buffer));
}

std::string formatPicture(std::string_view picture, const PictureValue& value) {
  return formatPicture(compilePicture(picture), value);
}

}  // namespace zor
