#pragma once
// Turns the entries typed for one queryable column into filter terms in the
// expression language. A value is always matched literally: texts become
// quoted literals (every quote doubled, query_entry.h for what the user may
// type before them), and a number is written as a number only when it is
// one; anything else typed for a numeric column is compared with the
// column's text.
//
// The column side:
//   - date and time pictures: a typed value that reads as a date or time
//     through the picture is compared with the field as a standard date or
//     time, so that "<" and ranges follow the calendar; Contains, Begins
//     and values that do not read as one compare the formatted text,
//     FORMAT(field,@picture);
//   - "E" pictures: the formatted text, with the typed value shown through
//     the same picture;
//   - ignoring case ("~", or a name written "UPPER(...)"): UPPER(field)
//     against the upper-cased value.
// Terms: "(field op value)", "INSTRING(value,field,1,1) <> 0" for Contains
// and "SUB(field,1,n) = value" for Begins (n the value's length;
// SUB(LEFT(field),1,n) for a numeric column).

#include <string>

namespace zor::fw {

// What the terms need to know of a column.
struct QueryColumn {
  std::string Name;     // as expressions name it ("SIN:NAME", "UPPER(SIN:NAME)")
  std::string Picture;  // its display picture, "" for none
  bool Numeric = false;
  // The entries hold values as the picture reads them back (no operators).
  bool EditedWithPicture = false;
};

// A quoted literal of the value is at most this long; longer values are cut
// (between characters, so that the literal stays whole).
inline constexpr size_t kQueryLiteralLength = 1000;

// The terms of a column's entries joined by " AND ", "" when all are empty.
// With a High value, Low and High bound a range: a Low without operator
// means ">=", a High without one "<=". Middle is a further condition of
// its own ("=" unless it says otherwise).
std::string queryColumnText(const QueryColumn& column, const std::string& low,
                            const std::string& middle, const std::string& high);

// Whether a text is a plain decimal number: a sign, digits, one point.
bool isPlainNumber(const std::string& text);

}  // namespace zor::fw
