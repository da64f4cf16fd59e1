#include "ui/list_box/list_format_parser.h"

#include <cstdint>
#include <limits>

#include "platform/ascii_case.h"
#include "ui/list_box/list_layout.h"

namespace zor::ui {
namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

int hexValue(char c) {
  if (isDigit(c)) return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool justifyOf(char c, Justify& out) {
  switch (c) {
    case 'L':
      out = Justify::Left;
      return true;
    case 'R':
      out = Justify::Right;
      return true;
    case 'C':
      out = Justify::Center;
      return true;
    case 'D':
      out = Justify::Decimal;
      return true;
    default:
      return false;
  }
}

class FormatReader {
 public:
  FormatReader(std::string_view text, ListReading reading)
      : text_(text), strict_(reading == ListReading::Strict) {}

  // Reads every item; returns the 1-based stop position or 0.
  size_t read(ListFormat& format) {
    while (!atEnd()) {
      bool read = peek() == '[' ? readGroup(format) : readColumnItem(format);
      if (!read) return stop_ + 1;
    }
    return 0;
  }

 private:
  bool atEnd() const { return pos_ >= text_.size(); }
  char peek() const { return atEnd() ? '\0' : text_[pos_]; }
  bool failAt(size_t position) {
    stop_ = position;
    return false;
  }

  // An unsigned decimal number that fits an int.
  bool readNumber(int& value) {
    if (!isDigit(peek())) return failAt(pos_);
    int64_t n = 0;
    size_t start = pos_;
    while (isDigit(peek())) {
      n = n * 10 + (text_[pos_] - '0');
      if (n > std::numeric_limits<int32_t>::max()) return failAt(start);
      ++pos_;
    }
    value = static_cast<int>(n);
    return true;
  }

  bool expect(char c) {
    if (peek() != c) return failAt(pos_);
    ++pos_;
    return true;
  }

  // "(" number ")"
  bool readParenNumber(int& value) { return expect('(') && readNumber(value) && expect(')'); }

  bool readColumnItem(ListFormat& format) {
    if (!isDigit(peek())) return failAt(pos_);
    ListColumn column;
    bool read = readColumn(column);
    format.columns.push_back(std::move(column));
    if (format.columns.back().has(ColumnFlag::Locator)) {
      setLocatorColumn(format, static_cast<int>(format.columns.size()));
    }
    return read;
  }

  bool readColumn(ListColumn& column) {
    if (!readNumber(column.widthUnits)) return false;
    if (atEnd()) return failAt(pos_);
    Justify justify = Justify::Left;
    if (!justifyOf(peek(), justify) && strict_) return failAt(pos_);
    ++pos_;
    column.setJustify(justify);
    column.setHeaderJustify(justify);
    if (peek() == '(') {
      if (!readParenNumber(column.indentUnits)) return false;
      column.headerIndentUnits = column.indentUnits;
    }
    bool read = readModifiers(column, &column);
    if (column.picture.empty()) compilePicture("", column.compiled);
    return read;
  }

  // The group record is kept even when reading stops inside it, so that
  // every column read so far points at a group that exists.
  bool readGroup(ListFormat& format) {
    size_t open = pos_++;
    ListGroup group;
    group.firstColumn = static_cast<int>(format.columns.size()) + 1;
    int number = static_cast<int>(format.groups.size()) + 1;
    bool read = readGroupBody(format, group, open, number);
    group.lastColumn = static_cast<int>(format.columns.size());
    if (group.lastColumn >= group.firstColumn) format.groups.push_back(std::move(group));
    return read;
  }

  bool readGroupBody(ListFormat& format, ListGroup& group, size_t open, int number) {
    while (peek() != ']') {
      if (atEnd()) return failAt(open);
      size_t before = format.columns.size();
      bool read = readColumnItem(format);
      if (format.columns.size() > before) format.columns.back().group = number;
      if (!read) return false;
    }
    if (static_cast<int>(format.columns.size()) < group.firstColumn) return failAt(pos_);
    ++pos_;
    if (peek() == '(') {
      if (!readParenNumber(group.widthUnits)) return false;
      group.widthGiven = true;
    }
    return readModifiers(group, nullptr);
  }

  // Modifiers until a character that is none; column-only modifiers end a
  // group's attributes.
  bool readModifiers(ListAttributes& attrs, ListColumn* column) {
    bool pictureSeen = false;
    while (!atEnd()) {
      size_t at = pos_;
      char c = platform::asciiUpper(peek());
      switch (c) {
        case 'E':
          if (attrs.coloursGiven) return failAt(at);
          ++pos_;
          if (!readColours(attrs.colours)) return false;
          attrs.coloursGiven = true;
          break;
        case 'Z':
          if (attrs.styleGiven) return failAt(at);
          ++pos_;
          if (!readParenNumber(attrs.style)) return false;
          attrs.styleGiven = true;
          break;
        case 'Q':
          if (attrs.hasOption(ColumnOption::DefaultTip)) return failAt(at);
          ++pos_;
          if (!readQuoted(attrs)) return false;
          attrs.options |= ColumnOption::DefaultTip;
          break;
        case 'S':
          ++pos_;
          if (!readParenNumber(attrs.scrollUnits)) return false;
          attrs.flags |= ColumnFlag::Scroll;
          break;
        case 'H':
          ++pos_;
          if (!readParenNumber(attrs.heightUnits)) return false;
          attrs.options |= ColumnOption::Height;
          break;
        case 'T':
          ++pos_;
          if (!readTreeOptions(attrs)) return false;
          attrs.flags |= ColumnFlag::Tree;
          break;
        case '~':
          if (!readHeader(attrs)) return false;
          break;
        case '/':
          attrs.flags |= ColumnFlag::LastOnLine | ColumnFlag::LineBreak;
          ++pos_;
          break;
        case '*':
          attrs.options |= ColumnOption::RowColours;
          ++pos_;
          break;
        case 'I':
          attrs.flags |= ColumnFlag::Icon;
          ++pos_;
          break;
        case 'J':
          attrs.flags |= ColumnFlag::Icon;
          attrs.options |= ColumnOption::TransparentIcon;
          ++pos_;
          break;
        case 'Y':
          attrs.options |= ColumnOption::RowStyle;
          ++pos_;
          break;
        case 'P':
          attrs.options |= ColumnOption::RowTip;
          ++pos_;
          break;
        case '|':
          attrs.flags |= ColumnFlag::RightBorder;
          ++pos_;
          break;
        case '_':
          attrs.flags |= ColumnFlag::Underline;
          ++pos_;
          break;
        case 'F':
          attrs.flags |= ColumnFlag::Fixed;
          ++pos_;
          break;
        case 'M':
          attrs.flags |= ColumnFlag::Resizable;
          ++pos_;
          break;
        case '?':
          if (column == nullptr) return true;
          attrs.flags |= ColumnFlag::Locator;
          ++pos_;
          break;
        case '@':
          if (column == nullptr) return true;
          if (!readPicture(*column, pictureSeen)) return false;
          pictureSeen = true;
          break;
        case '#':
          if (column == nullptr) return true;
          if (!readFieldNumber(*column)) return false;
          break;
        default:
          return true;
      }
    }
    return true;
  }

  bool readColours(Colours& colours) {
    if (!expect('(')) return false;
    for (size_t slot = 0;; ++slot) {
      if (slot == colours.size()) return failAt(pos_ - 1);
      if (!readColour(colours[slot])) return false;
      if (peek() == ')') {
        ++pos_;
        return true;
      }
      if (!expect(',')) return false;
    }
  }

  // A decimal number or hexadecimal digits ending in "H", optionally led by
  // "-"; nothing at all leaves the colour not given.
  bool readColour(int32_t& colour) {
    size_t start = pos_;
    bool negative = peek() == '-';
    if (negative) ++pos_;
    size_t digitsStart = pos_;
    while (hexValue(peek()) >= 0) ++pos_;
    size_t digitsEnd = pos_;
    if (digitsStart == digitsEnd) {
      if (negative) return failAt(pos_);
      colour = kNoColour;
      return true;
    }
    bool hex = platform::asciiUpper(peek()) == 'H';
    int base = hex ? 16 : 10;
    uint64_t value = 0;
    for (size_t i = digitsStart; i < digitsEnd; ++i) {
      int digit = hexValue(text_[i]);
      if (digit >= base) return failAt(i);
      value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
      if (value > 0xFFFFFFFFull) return failAt(start);
    }
    if (hex) ++pos_;
    uint32_t bits = static_cast<uint32_t>(value);
    if (negative) bits = 0u - bits;
    colour = static_cast<int32_t>(bits);
    return true;
  }

  // 'text' or "text"; a doubled quote stands for one.
  bool readQuoted(ListAttributes& attrs) {
    size_t q = pos_ - 1;
    char quote = peek();
    if (quote != '\'' && quote != '"') return failAt(pos_);
    ++pos_;
    std::string tip;
    for (;;) {
      if (atEnd()) return failAt(q);
      char c = text_[pos_++];
      if (c == quote) {
        if (peek() != quote) break;
        ++pos_;
      }
      tip.push_back(c);
    }
    attrs.tip = std::move(tip);
    attrs.tipQuote = quote;
    return true;
  }

  bool readTreeOptions(ListAttributes& attrs) {
    if (peek() != '(') return true;
    ++pos_;
    while (peek() != ')') {
      switch (peek()) {
        case 'L':
          attrs.options |= ColumnOption::TreeNoLines;
          break;
        case '1':
          attrs.options |= ColumnOption::TreeOffset;
          break;
        case 'R':
          attrs.options |= ColumnOption::TreeNoRoot;
          break;
        case 'B':
          attrs.options |= ColumnOption::TreeNoBoxes;
          break;
        case 'I':
          attrs.options |= ColumnOption::TreeInterline;
          break;
        default:
          return failAt(pos_);
      }
      ++pos_;
    }
    ++pos_;
    return true;
  }

  bool readHeader(ListAttributes& attrs) {
    size_t open = pos_;
    size_t close = text_.find('~', open + 1);
    if (close == std::string_view::npos) return failAt(open);
    setHeaderText(attrs, text_.substr(open + 1, close - open - 1));
    pos_ = close + 1;
    Justify justify = Justify::Left;
    if (justifyOf(peek(), justify)) {
      attrs.setHeaderJustify(justify);
      ++pos_;
    }
    if (peek() == '(') return readParenNumber(attrs.headerIndentUnits);
    return true;
  }

  // Only the first picture of a column counts; later ones are read over.
  bool readPicture(ListColumn& column, bool pictureSeen) {
    size_t open = pos_;
    size_t close = text_.find('@', open + 1);
    if (close == std::string_view::npos) {
      if (strict_) return failAt(open);
      close = text_.size();
    }
    if (!pictureSeen) setColumnPicture(column, text_.substr(open, close - open));
    pos_ = close < text_.size() ? close + 1 : close;
    return true;
  }

  bool readFieldNumber(ListColumn& column) {
    ++pos_;
    size_t start = pos_;
    int number = 0;
    if (!readNumber(number)) return false;
    if (number == 0 || number > kMostQueueField) return failAt(start);
    if (!expect('#')) return false;
    column.field = number;
    column.fieldGiven = true;
    return true;
  }

  std::string_view text_;
  bool strict_;
  size_t pos_ = 0;
  size_t stop_ = 0;
};

}  // namespace

ListParseResult parseListFormat(std::string_view text, const ListFont& font, ListReading reading) {
  ListParseResult result;
  result.stop = FormatReader(text, reading).read(result.format);
  assignQueueFields(result.format);
  layoutListFormat(result.format, font);
  return result;
}

size_t validateListFormat(std::string_view text) {
  ListFormat format;
  return FormatReader(text, ListReading::Strict).read(format);
}

}  // namespace zor::ui
