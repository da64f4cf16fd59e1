#include "framework/query_filter.h"

#include <cstdlib>

#include "framework/query_entry.h"
#include "framework/view_manager.h"
#include "platform/ascii_case.h"
#include "runtime/picture.h"
#include "runtime/string_functions.h"

namespace zor::fw {
namespace {

// Characters that would end a picture inside an expression before its end.
constexpr std::string_view kPictureBreakers = " \t,]&+=^'%()";

// The picture without its "@", when it compiles and stays one token.
std::string usablePicture(const std::string& picture, CompiledPicture& compiled) {
  std::string text = picture;
  if (!text.empty() && text.front() == '@') text.erase(0, 1);
  if (text.empty() || text.find_first_of(kPictureBreakers) != std::string::npos) return {};
  compilePicture(text, compiled);
  return compiled.valid() ? text : std::string();
}

// The longest start of the value whose quoted literal fits its length.
std::string cutForLiteral(const std::string& value) {
  size_t length = 2;  // the enclosing quotes
  size_t keep = 0;
  for (; keep < value.size(); ++keep) {
    const size_t added = value[keep] == '\'' ? 2 : 1;
    if (length + added > kQueryLiteralLength) break;
    length += added;
  }
  return value.substr(0, keep);
}

std::string quoted(const std::string& value) {
  return literalFor(FieldRef{}, value, "");
}

std::string upperCased(const std::string& value) {
  std::string upper;
  upperText(value, upper);
  return upper;
}

std::string trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool isDateOrTime(const CompiledPicture& picture) {
  return picture.pictureClass == PictureClass::Date || picture.pictureClass == PictureClass::Time;
}

// A standard date or time read from a value, "" when it reads as none.
std::string dateOrTimeNumber(const QueryColumn& column, const CompiledPicture& picture,
                             const std::string& value) {
  const std::string number =
      column.EditedWithPicture ? trimmed(value) : deformatPicture(picture, value);
  if (!isPlainNumber(number) || number == "0" || number.front() == '-') return {};
  return number;
}

// A scientific value shown as the picture shows it, as FORMAT would.
std::string shownScientific(const CompiledPicture& picture, const std::string& value) {
  const std::string number = deformatPicture(picture, value);
  if (number.empty()) return value;
  return formatPicture(picture, PictureValue::ofReal(std::strtod(number.c_str(), nullptr)));
}

std::string term(const QueryColumn& column, const QueryCondition& condition) {
  const std::string& op = condition.Operator;
  const bool contains = op == QueryOperator::Contains;
  const bool begins = op == QueryOperator::Begins;
  if ((contains || begins) && condition.Value.empty()) return {};
  const bool nameIsUpper = platform::startsWithIgnoringCase(column.Name, "UPPER(");
  const bool caseless = condition.NoCase || nameIsUpper;

  std::string field = column.Name;
  std::string value = condition.Value;
  bool numeric = column.Numeric;
  CompiledPicture picture;
  const std::string pictureText = usablePicture(column.Picture, picture);
  if (!pictureText.empty() && isDateOrTime(picture)) {
    if (!contains && !begins) {
      const std::string number = dateOrTimeNumber(column, picture, value);
      if (!number.empty()) return "(" + field + " " + op + " " + number + ")";
    }
    field = "FORMAT(" + field + ",@" + pictureText + ")";
    numeric = false;
  } else if (!pictureText.empty() && picture.pictureClass == PictureClass::Scientific) {
    field = "FORMAT(" + field + ",@" + pictureText + ")";
    if (!contains && !begins) value = shownScientific(picture, value);
    numeric = false;
  }

  if (numeric && !contains && !begins) {
    if (value.empty()) return "(" + field + " " + op + " 0)";
    if (isPlainNumber(value)) return "(" + field + " " + op + " " + value + ")";
    // Not a number: compared with the column's text, so it still means what was typed.
    field = "LEFT(" + field + ")";
  }
  if (caseless) {
    value = upperCased(value);
    if (!(nameIsUpper && field == column.Name)) field = "UPPER(" + field + ")";
  }
  value = cutForLiteral(value);
  const std::string literal = quoted(value);
  if (contains) return "INSTRING(" + literal + "," + field + ",1,1) <> 0";
  if (begins) {
    const std::string side = numeric ? "LEFT(" + field + ")" : field;
    return "SUB(" + side + ",1," + std::to_string(value.size()) + ") = " + literal;
  }
  return "(" + field + " " + op + " " + literal + ")";
}

}  // namespace

bool isPlainNumber(const std::string& text) {
  size_t at = 0;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
  bool digits = false;
  bool point = false;
  for (; at < text.size(); ++at) {
    if (text[at] >= '0' && text[at] <= '9') {
      digits = true;
    } else if (text[at] == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digits;
}

std::string queryColumnText(const QueryColumn& column, const std::string& low,
                            const std::string& middle, const std::string& high) {
  const bool range = !queryEntryEmpty(high);
  auto condition = [&column](const std::string& entry, const char* otherwise) {
    QueryCondition read;
    if (column.EditedWithPicture) {
      read.Value = trimmed(entry);
    } else {
      read = readQueryEntry(entry);
    }
    if (!read.Typed) read.Operator = otherwise;
    return read;
  };
  std::string text;
  auto add = [&](const std::string& entry, const char* otherwise) {
    if (queryEntryEmpty(entry)) return;
    const std::string made = term(column, condition(entry, otherwise));
    if (made.empty()) return;
    if (!text.empty()) text += " AND ";
    text += made;
  };
  add(low, range ? ">=" : "=");
  add(middle, "=");
  add(high, "<=");
  return text;
}

}  // namespace zor::fw
