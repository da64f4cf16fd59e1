// Compiling picture texts into their display positions. Every read checks
// the end of the text first: a malformed picture compiles to width 0.

#include <cstring>

#include "runtime/locale.h"
#include "runtime/picture.h"

namespace zor {

namespace {

using Kind = PositionKind;

// Reads a picture text from left to right; never past its end.
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}
  bool atEnd() const { return pos_ >= text_.size(); }
  char peek(size_t ahead = 0) const {
    return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
  }
  bool take(char c) {
    if (atEnd() || text_[pos_] != c) return false;
    ++pos_;
    return true;
  }
  void skip() { ++pos_; }
  // Reads decimal digits; false when there are none or the number exceeds `max`.
  bool number(int max, int& value) {
    if (!isDigit(peek())) return false;
    value = 0;
    bool tooLarge = false;
    while (isDigit(peek())) {
      value = value * 10 + (text_[pos_++] - '0');
      if (value > max) {
        tooLarge = true;
        value = max;
      }
    }
    return !tooLarge;
  }
  // "~text~" after the opening "~" was seen; false when the closing one is missing.
  bool quoted(std::string_view& out) {
    size_t close = text_.find('~', pos_ + 1);
    if (close == std::string_view::npos) return false;
    out = text_.substr(pos_ + 1, close - pos_ - 1);
    pos_ = close + 1;
    return true;
  }

  static bool isDigit(char c) { return c >= '0' && c <= '9'; }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

bool isSeparatorChar(char c) {
  return c == '_' || c == '`' || c == '.' || c == '-';
}
bool isImpliedChar(char c) {
  return c == 'v' || c == 'V';
}
// "_" stands for a space and "`" for a comma.
char shownSeparator(char c) {
  return c == '_' ? ' ' : c == '`' ? ',' : c;
}

void setPosition(CompiledPicture& picture, size_t index, Kind kind, char fill) {
  picture.positions[index].kind = kind;
  picture.positions[index].fill = fill;
}

// The leading "$" or "~text~" of a numeric picture.
bool readCurrency(Reader& reader, std::string_view& currency) {
  if (reader.peek() == '$') {
    currency = "$";
    reader.skip();
    return true;
  }
  if (reader.peek() == '~') return reader.quoted(currency);
  return true;
}

bool compileNumeric(std::string_view text, CompiledPicture& picture) {
  Reader reader(text);
  std::string_view leadCurrency, trailCurrency;
  if (!readCurrency(reader, leadCurrency)) return false;
  char leadSign = 0;
  if (reader.peek() == '-' || reader.peek() == '(') {
    leadSign = reader.peek();
    reader.skip();
  }
  char fill = 0;
  if (reader.peek() == '0' || reader.peek() == '_' || reader.peek() == '*') {
    fill = reader.peek();
    reader.skip();
  }
  int width = 0;
  if (!reader.number(255, width) || width < 1) return false;

  // Grouping character: a separator followed by another separator, "v", or
  // the end ("-" at the end is the trailing sign instead).
  char grouping = 0;
  char c = reader.peek();
  if (isSeparatorChar(c)) {
    char next = reader.peek(1);
    bool last = next == '\0';
    if ((last && c != '-') || isSeparatorChar(next) || isImpliedChar(next)) {
      grouping = c;
      reader.skip();
    }
  }
  char decimal = 0;
  bool implied = false;
  int places = 0;
  c = reader.peek();
  if (isImpliedChar(c) || (isSeparatorChar(c) && (c != '-' || Reader::isDigit(reader.peek(1))))) {
    implied = isImpliedChar(c);
    decimal = c;
    reader.skip();
    if (Reader::isDigit(reader.peek()) && !reader.number(255, places)) return false;
  }
  char trailSign = 0;
  if (reader.peek() == '-' || reader.peek() == ')') {
    trailSign = reader.peek();
    reader.skip();
    if (trailSign == '-' && leadSign != 0) return false;
    if (trailSign == ')' && leadSign != '(') return false;
  }
  if (leadSign == '(' && trailSign != ')') return false;
  if (!readCurrency(reader, trailCurrency)) return false;
  if (!leadCurrency.empty() && !trailCurrency.empty()) return false;
  if (!reader.atEnd()) return false;

  size_t fixed = leadCurrency.size() + trailCurrency.size() + (leadSign ? 1 : 0) +
                 (trailSign ? 1 : 0) + (decimal && !implied ? 1 : 0) + places;
  if (fixed > static_cast<size_t>(width)) return false;

  picture.pictureClass = PictureClass::Numeric;
  picture.valueKind = PictureValueKind::Numeric;
  picture.width = static_cast<uint8_t>(width);
  picture.places = static_cast<uint8_t>(places);
  if (decimal && !implied) picture.decimalChar = shownSeparator(decimal);
  if (grouping) {
    picture.groupingChar = shownSeparator(grouping);
  } else if (fill == 0 || fill == '*') {
    picture.groupingChar = decimal == '`' ? '.' : ',';
  }

  size_t left = 0;
  for (char ch : leadCurrency) setPosition(picture, left++, Kind::Currency, ch);
  if (leadSign) setPosition(picture, left++, Kind::Sign, leadSign);
  size_t right = static_cast<size_t>(width);  // one past the last free position
  for (size_t i = trailCurrency.size(); i-- > 0;) {
    setPosition(picture, --right, Kind::Currency, trailCurrency[i]);
  }
  if (trailSign) setPosition(picture, --right, Kind::Sign, trailSign);
  for (int i = 0; i < places; ++i) setPosition(picture, --right, Kind::Digit, '0');
  if (decimal && !implied) setPosition(picture, --right, Kind::DecimalPoint, picture.decimalChar);

  // Integer positions from the units digit leftwards; every fourth one is a
  // grouping separator, except in the leftmost position.
  Kind digitKind = (fill == '0' || fill == '*') ? Kind::Digit : Kind::BlankLeadDigit;
  char digitFill = (fill == '0' || fill == '*') ? fill : ' ';
  int integerDigits = 0;
  for (size_t count = 1; right > left; ++count) {
    --right;
    if (count == 1) {
      setPosition(picture, right, implied ? Kind::ImpliedPoint : Kind::Digit, '0');
    } else if (count % 4 == 0 && picture.groupingChar && right != left) {
      setPosition(picture, right, Kind::Grouping, picture.groupingChar);
      continue;
    } else {
      setPosition(picture, right, digitKind, digitFill);
      if (digitKind == Kind::BlankLeadDigit) picture.floating = true;
    }
    ++integerDigits;
  }
  picture.integerDigits = static_cast<uint8_t>(integerDigits);
  return true;
}

bool compileScientific(std::string_view text, CompiledPicture& picture) {
  Reader reader(text);
  int width = 0;
  if (!reader.number(255, width) || width < 7) return false;
  char grouping = 0;
  if (isSeparatorChar(reader.peek()) && isSeparatorChar(reader.peek(1))) {
    grouping = reader.peek();
    reader.skip();
  }
  char decimal = '.';
  int integerDigits = 0;
  if (isSeparatorChar(reader.peek())) {
    decimal = reader.peek();
    reader.skip();
    if (Reader::isDigit(reader.peek()) && !reader.number(255, integerDigits)) return false;
  }
  if (!reader.atEnd()) return false;
  int separators = integerDigits > 0 ? (integerDigits - 1) / 3 : 0;
  if (width < integerDigits + separators + 7) return false;

  picture.pictureClass = PictureClass::Scientific;
  picture.valueKind = PictureValueKind::Scientific;
  picture.width = static_cast<uint8_t>(width);
  picture.integerDigits = static_cast<uint8_t>(integerDigits);
  picture.places = static_cast<uint8_t>(width - integerDigits - separators - 7);
  picture.decimalChar = shownSeparator(decimal);
  picture.groupingChar = grouping ? shownSeparator(grouping) : (decimal == '`' ? '.' : ',');

  size_t at = 0;
  setPosition(picture, at++, Kind::Sign, '-');
  for (int i = integerDigits; i > 0; --i) {
    setPosition(picture, at++, Kind::Digit, '0');
    if (i > 1 && (i - 1) % 3 == 0) setPosition(picture, at++, Kind::Grouping, picture.groupingChar);
  }
  setPosition(picture, at++, Kind::DecimalPoint, picture.decimalChar);
  for (int i = 0; i < picture.places; ++i) setPosition(picture, at++, Kind::Digit, '0');
  setPosition(picture, at++, Kind::Literal, 'E');
  setPosition(picture, at++, Kind::ExponentSign, '+');
  for (int i = 0; i < 3; ++i) setPosition(picture, at++, Kind::Digit, '0');
  return true;
}

// Layout letters of the built-in date and time pictures. Lower case: the
// digit is shown blank while zero; "X" is the AM/PM letter.
constexpr const char* kDateLayouts[17] = {
    nullptr,      "mM/DD/YY",   "mM/DD/YYYY", "NNN dD,YYYY", "NNNNNNNNNNNN dD, YYYY",
    "dD/MM/YY",   "dD/MM/YYYY", "dD NNN YY",  "dD NNN YYYY", "YY/MM/DD",
    "YYYY/MM/DD", "YYMMDD",     "YYYYMMDD",   "MM/YY",       "MM/YYYY",
    "YY/MM",      "YYYY/MM"};
constexpr const char* kTimeLayouts[7] = {nullptr,    "hH:MM",  "hHMM",      "hH:MMXM",
                                         "hH:MM:SS", "hHMMSS", "hH:MM:SSXM"};

void applyLayout(const char* layout, bool time, CompiledPicture& picture) {
  size_t n = std::strlen(layout);
  for (size_t i = 0; i < n; ++i) {
    char c = layout[i];
    PicturePosition& p = picture.positions[i];
    bool lower = c >= 'a' && c <= 'z';
    p.fill = lower ? ' ' : '0';
    switch (c) {
      case 'm':
      case 'M':
        p.kind = time ? Kind::MinuteDigit : Kind::MonthDigit;
        break;
      case 'd':
      case 'D':
        p.kind = Kind::DayDigit;
        break;
      case 'Y':
        p.kind = Kind::YearDigit;
        break;
      case 'N':
        p.kind = Kind::MonthName;
        p.fill = ' ';
        break;
      case 'h':
      case 'H':
        p.kind = Kind::HourDigit;
        break;
      case 'S':
        p.kind = Kind::SecondDigit;
        break;
      case 'X':
        p.kind = Kind::AmPm;
        p.fill = ' ';
        break;
      case '/':
      case ',':
      case ':':
        p.kind = Kind::DateTimeSeparator;
        p.fill = c;
        break;
      default:
        p.kind = Kind::Literal;
        p.fill = c;
        break;
    }
  }
  // In time layouts the "M" after the AM/PM letter is a literal, not a minute digit.
  for (size_t i = 0; i + 1 < n; ++i) {
    if (layout[i] == 'X') setPosition(picture, i + 1, Kind::Literal, 'M');
  }
  picture.width = static_cast<uint8_t>(n);
}

bool isFillChar(char c) {
  return c == '0' || c == '_' || c == '*';
}

// Applies a picture's own fill and separator characters to date or time positions.
void applyFillAndSeparator(CompiledPicture& picture, char fill, char separator, bool time) {
  for (size_t i = 0; i < picture.width; ++i) {
    PicturePosition& p = picture.positions[i];
    if (separator && p.kind == Kind::DateTimeSeparator) p.fill = shownSeparator(separator);
    bool filled = time ? (p.kind >= Kind::HourDigit && p.kind <= Kind::SecondDigit)
                       : (p.kind >= Kind::MonthDigit && p.kind <= Kind::MonthName);
    if (fill && filled) p.fill = shownSeparator(fill);
  }
}

bool copyLocaleLayout(const LocalePicture& layout, CompiledPicture& picture) {
  if (layout.width == 0 || layout.width > kMaxLocalePictureWidth) return false;
  std::memcpy(picture.positions, layout.positions, layout.width * sizeof(PicturePosition));
  picture.width = layout.width;
  return true;
}

// @D and @T: optional fill, the picture number, for dates an optional
// century window, an optional separator, nothing else.
bool compileDateOrTime(std::string_view text, bool time, CompiledPicture& picture) {
  Reader reader(text);
  char fill = isFillChar(reader.peek()) ? reader.peek() : 0;
  if (fill) reader.skip();
  int number = 0;
  if (!reader.number(time ? 8 : 18, number) || number < 1) return false;
  int window = 80;
  if (!time && (reader.peek() == '<' || reader.peek() == '>')) {
    bool before = reader.peek() == '<';
    reader.skip();
    int n = 0;
    if (Reader::isDigit(reader.peek()) && !reader.number(99, n)) return false;
    if (n == 0) n = 80;
    window = before ? n : 99 - n;
  }
  char separator = 0;
  if (isSeparatorChar(reader.peek())) {
    separator = reader.peek();
    reader.skip();
  }
  if (!reader.atEnd()) return false;

  int builtIn = time ? 6 : 16;  // above: built by the locale
  if (number <= builtIn) {
    applyLayout(time ? kTimeLayouts[number] : kDateLayouts[number], time, picture);
  } else if (!copyLocaleLayout(time ? localeTimePicture(number) : localeDatePicture(number),
                               picture)) {
    return false;
  }
  picture.pictureClass = time ? PictureClass::Time : PictureClass::Date;
  picture.valueKind = PictureValueKind::DateTime;
  picture.number = static_cast<uint8_t>(number);
  if (!time) picture.centuryWindow = static_cast<uint8_t>(window);
  applyFillAndSeparator(picture, fill, separator, time);
  return true;
}

// @P...P and @K...K: the body between the letter and its closing twin.
bool compileTemplate(std::string_view text, char letter, CompiledPicture& picture) {
  if (text.size() < 2) return false;
  char last = text.back();
  if (last != letter && last != letter - 'A' + 'a') return false;
  std::string_view body = text.substr(0, text.size() - 1);
  bool keyIn = letter == 'K';
  size_t width = 0;
  int digits = 0;
  for (size_t i = 0; i < body.size(); ++i) {
    if (width == kMaxPictureWidth) return false;
    char c = body[i];
    Kind kind = Kind::Literal;
    char fill = c;
    if (c == '#') {
      kind = Kind::Digit;
      fill = '0';
    } else if (c == '<') {
      kind = Kind::BlankLeadDigit;
      fill = ' ';
    } else if (keyIn) {
      switch (c) {
        case '@':
          kind = Kind::KeyAt;
          break;
        case '^':
          kind = Kind::KeyCaret;
          break;
        case '_':
          kind = Kind::KeyUnderscore;
          break;
        case '?':
          kind = Kind::KeyQuestion;
          break;
        case '|':
          kind = Kind::KeyBar;
          break;
        case '\\':
          if (i + 1 < body.size()) fill = body[++i];
          break;
        default:
          break;
      }
      if (kind != Kind::Literal) fill = ' ';
    }
    if (kind == Kind::Digit || kind == Kind::BlankLeadDigit) ++digits;
    setPosition(picture, width++, kind, fill);
  }
  if (width == 0) return false;
  picture.pictureClass = keyIn ? PictureClass::KeyIn : PictureClass::Pattern;
  picture.valueKind = keyIn ? PictureValueKind::Text : PictureValueKind::Numeric;
  picture.width = static_cast<uint8_t>(width);
  picture.integerDigits = static_cast<uint8_t>(digits);
  return true;
}

bool compileString(std::string_view text, CompiledPicture& picture) {
  Reader reader(text);
  int width = 0;
  if (!reader.number(255, width) || width < 1 || !reader.atEnd()) return false;
  picture.pictureClass = PictureClass::String;
  picture.valueKind = PictureValueKind::Text;
  picture.width = static_cast<uint8_t>(width);
  return true;
}

bool compileBody(std::string_view text, CompiledPicture& picture) {
  char letter = text[0];
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  std::string_view rest = text.substr(1);
  switch (letter) {
    case 'S':
      return compileString(rest, picture);
    case 'D':
      return compileDateOrTime(rest, false, picture);
    case 'T':
      return compileDateOrTime(rest, true, picture);
    case 'N':
      return compileNumeric(rest, picture);
    case 'E':
      return compileScientific(rest, picture);
    case 'P':
      return compileTemplate(rest, 'P', picture);
    case 'K':
      return compileTemplate(rest, 'K', picture);
    default:
      return false;
  }
}

}  // namespace

void compilePicture(std::string_view text, CompiledPicture& out) {
  out = CompiledPicture{};
  if (text.empty()) {  // no picture: a string as wide as the widest picture
    out.pictureClass = PictureClass::String;
    out.width = static_cast<uint8_t>(kMaxPictureWidth);
    return;
  }
  if (text[0] == '@') text.remove_prefix(1);
  if (text.empty() || text.size() > kMaxPictureTextLength) return;
  bool blankWhenZero = false;
  if (text.size() >= 3 && (text.back() == 'B' || text.back() == 'b')) {
    blankWhenZero = true;
    text.remove_suffix(1);
  }
  if (!compileBody(text, out)) {
    out = CompiledPicture{};
    return;
  }
  out.blankWhenZero = blankWhenZero;
}

CompiledPicture compilePicture(std::string_view text) {
  CompiledPicture picture;
  compilePicture(text, picture);
  return picture;
}

}  // namespace zor
