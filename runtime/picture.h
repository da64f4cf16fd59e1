#pragma once
// Pictures: how a value is shown and read back (@N9.2, @D6, @T1, @S49,
// @P###-##P, @K...K, @E12.1). A picture text is compiled once into a
// fixed-size CompiledPicture (no heap); formatting and deformatting then walk
// its display positions and write into the caller's buffer without
// allocating, so entry controls, list boxes and FORMAT/DEFORMAT can keep one
// compiled picture and use it for every value.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/decimal.h"

namespace zor {

enum class PictureClass : uint8_t {
  Numeric = 0,     // @N
  Scientific = 1,  // @E
  Date = 2,        // @D
  Time = 3,        // @T
  Pattern = 4,     // @P...P
  String = 5,      // @S
  KeyIn = 6,       // @K...K
};

// Which field object carries the value shown through a picture.
enum class PictureValueKind : uint8_t {
  Text = 0,        // @S, @K
  DateTime = 1,    // @D, @T
  Scientific = 2,  // @E
  Numeric = 3,     // @N, @P
};

// What a display position shows. The numbers are part of the compiled form.
enum class PositionKind : uint8_t {
  Literal = 0,         // always shown
  Grouping = 1,        // thousands separator, shown once a digit was shown
  DecimalPoint = 2,    // decimal separator
  Digit = 3,           // digit; a leading zero shows the fill ("0" or "*")
  BlankLeadDigit = 4,  // digit shown blank while it is a leading zero
  Sign = 5,            // "-", "(" or ")", shown for negative values
  Currency = 6,        // currency character
  MonthDigit = 7,
  DayDigit = 8,
  YearDigit = 9,
  MonthName = 10,  // a letter of the month name
  HourDigit = 11,
  MinuteDigit = 12,
  SecondDigit = 13,
  KeyAt = 14,              // key-in "@"
  KeyCaret = 15,           // key-in "^"
  KeyUnderscore = 16,      // key-in "_"
  KeyQuestion = 17,        // key-in "?"
  DateTimeSeparator = 19,  // "/", "," or ":" of dates and times; takes the picture's separator
  AmPm = 20,               // first letter of the AM/PM designator
  ExponentSign = 21,       // "+" or "-" of a scientific exponent
  ImpliedPoint = 22,       // units digit followed by an implied decimal point ("v")
  KeyBar = 23,             // key-in "|"
};

struct PicturePosition {
  char fill = 0;  // the character shown when the position has nothing to show, or the literal
  PositionKind kind = PositionKind::Literal;
};

inline constexpr size_t kMaxPictureWidth = 255;
// A picture text (without the "@") longer than this is invalid.
inline constexpr size_t kMaxPictureTextLength = 255;
// Output buffer size that any deformatted value text fits in.
inline constexpr size_t kDeformatCapacity = 2 * kMaxPictureWidth + 8;

// The compiled form of a picture. An invalid picture compiles to all zero:
// class numeric, width 0; it formats and deformats to an empty text.
struct CompiledPicture {
  PictureClass pictureClass = PictureClass::Numeric;
  PictureValueKind valueKind = PictureValueKind::Text;
  bool blankWhenZero = false;  // trailing "B": a zero value shows blank
  uint8_t width = 0;           // number of display positions
  uint8_t centuryWindow = 0;   // date pictures: the two-digit year window
  uint8_t number = 0;          // the picture number after D or T
  // Numeric, scientific and pattern pictures, derived while compiling:
  uint8_t places = 0;         // decimal places (scientific: fraction digits)
  uint8_t integerDigits = 0;  // digit positions before the decimal point
  bool floating = false;      // has blank-lead digits: lead currency and sign float
  char decimalChar = 0;       // decimal separator as shown (0: none)
  char groupingChar = 0;      // grouping separator as shown (0: none)
  PicturePosition positions[kMaxPictureWidth];  // zero-initialised by PicturePosition

  bool valid() const { return width != 0; }
};

// A value to format. Dates and times are standard dates and standard times.
// The text and decimal are referenced, not copied: keep them alive for the call.
struct PictureValue {
  enum class Kind : uint8_t { Text, Decimal, Integer, Real, Date, Time };

  Kind kind = Kind::Text;
  std::string_view text;
  const DecimalAccumulator* decimal = nullptr;
  int64_t integer = 0;  // Integer, Date and Time
  double real = 0;

  static PictureValue ofText(std::string_view value) {
    PictureValue v;
    v.text = value;
    return v;
  }
  static PictureValue ofDecimal(const DecimalAccumulator& value) {
    PictureValue v;
    v.kind = Kind::Decimal;
    v.decimal = &value;
    return v;
  }
  static PictureValue ofInteger(int64_t value) { return ofNumber(Kind::Integer, value); }
  static PictureValue ofDate(int32_t standardDate) { return ofNumber(Kind::Date, standardDate); }
  static PictureValue ofTime(int32_t standardTime) { return ofNumber(Kind::Time, standardTime); }
  static PictureValue ofReal(double value) {
    PictureValue v;
    v.kind = Kind::Real;
    v.real = value;
    return v;
  }

 private:
  static PictureValue ofNumber(Kind k, int64_t value) {
    PictureValue v;
    v.kind = k;
    v.integer = value;
    return v;
  }
};

// Compiles a picture text, with or without the leading "@". An empty text
// (no picture) gives a string picture of width 255.
CompiledPicture compilePicture(std::string_view text);
void compilePicture(std::string_view text, CompiledPicture& out);

// Writes exactly picture.width characters to `out` (which must hold that
// many; kMaxPictureWidth always suffices) and returns picture.width.
size_t formatPicture(const CompiledPicture& picture, const PictureValue& value, char* out);
std::string formatPicture(const CompiledPicture& picture, const PictureValue& value);
std::string formatPicture(std::string_view picture, const PictureValue& value);

// Reads typed text back through the picture and writes the value as text:
// the standard date or time in decimal for date and time pictures (0 when
// unreadable, -1 for an impossible time), else the digits with an optional
// leading "-", a "." and for scientific pictures "e" with the exponent's
// sign. `out` must hold kDeformatCapacity characters; returns the length.
size_t deformatPicture(const CompiledPicture& picture, std::string_view text, char* out);
std::string deformatPicture(const CompiledPicture& picture, std::string_view text);
std::string deformatPicture(std::string_view picture, std::string_view text);

}  // namespace zor
