#include "ui/list_box/list_format_writer.h"

#include <cinttypes>
#include <cstdio>

namespace zor::ui {
namespace {

char justifyLetter(Justify j) {
  static constexpr char kLetters[] = {'L', 'R', 'C', 'D'};
  return kLetters[static_cast<size_t>(j) & 3];
}

void writeNumber(std::string& out, int value) {
  out += std::to_string(value);
}

void writeParenNumber(std::string& out, int value) {
  out += '(';
  writeNumber(out, value);
  out += ')';
}

void writeQuoted(std::string& out, const std::string& text, char quote) {
  out += quote;
  for (char c : text) {
    out += c;
    if (c == quote) out += c;
  }
  out += quote;
}

void writeColours(std::string& out, const Colours& colours) {
  out += "E(";
  for (size_t i = 0; i < colours.size(); ++i) {
    if (i > 0) out += ',';
    if (colours[i] == kNoColour) continue;
    char hex[16];
    std::snprintf(hex, sizeof hex, "0%" PRIX32 "H", static_cast<uint32_t>(colours[i]));
    out += hex;
  }
  out += ')';
}

// The letters, header and measures that columns and groups share, up to
// H(n); `indentUnits` and `justify` are what the header is compared with.
void writeLetters(std::string& out, const ListAttributes& a) {
  if (a.has(ColumnFlag::RightBorder)) out += '|';
  if (a.has(ColumnFlag::Underline)) out += '_';
  if (a.has(ColumnFlag::Fixed)) out += 'F';
  if (a.has(ColumnFlag::Resizable)) out += 'M';
  if (a.hasOption(ColumnOption::RowColours)) out += '*';
  if (a.has(ColumnFlag::Icon)) out += a.hasOption(ColumnOption::TransparentIcon) ? 'J' : 'I';
  if (a.hasOption(ColumnOption::RowStyle)) out += 'Y';
  if (a.hasOption(ColumnOption::RowTip)) out += 'P';
  if (a.has(ColumnFlag::Tree)) {
    out += 'T';
    if ((a.options & ColumnOption::TreeMask) != 0) {
      out += '(';
      if (a.hasOption(ColumnOption::TreeNoLines)) out += 'L';
      if (a.hasOption(ColumnOption::TreeOffset)) out += '1';
      if (a.hasOption(ColumnOption::TreeNoRoot)) out += 'R';
      if (a.hasOption(ColumnOption::TreeNoBoxes)) out += 'B';
      if (a.hasOption(ColumnOption::TreeInterline)) out += 'I';
      out += ')';
    }
  }
  if (a.hasHeader) {
    out += '~';
    out += a.header.view();
    out += '~';
    if (a.headerJustify() != a.justify() || a.headerIndentUnits != a.indentUnits) {
      out += justifyLetter(a.headerJustify());
      writeParenNumber(out, a.headerIndentUnits);
    }
  }
  if (a.has(ColumnFlag::Scroll)) {
    out += 'S';
    writeParenNumber(out, a.scrollUnits);
  }
  if (a.hasOption(ColumnOption::Height)) {
    out += 'H';
    writeParenNumber(out, a.heightUnits);
  }
}

// What follows the picture: Z(n), Q'tip', E(...), "/".
void writeTail(std::string& out, const ListAttributes& a) {
  if (a.styleGiven) {
    out += 'Z';
    writeParenNumber(out, a.style);
  }
  if (a.hasOption(ColumnOption::DefaultTip)) {
    out += 'Q';
    writeQuoted(out, a.tip, a.tipQuote);
  }
  if (a.coloursGiven) writeColours(out, a.colours);
  if (a.has(ColumnFlag::LastOnLine)) out += '/';
}

void writeColumn(std::string& out, const ListColumn& c) {
  writeNumber(out, c.widthUnits);
  out += justifyLetter(c.justify());
  if (c.indentUnits != 0) writeParenNumber(out, c.indentUnits);
  writeLetters(out, c);
  if (!c.picture.empty()) {
    out += c.picture.view();
    out += '@';
  }
  writeTail(out, c);
  if (c.has(ColumnFlag::Locator)) out += '?';
  if (c.fieldGiven) {
    out += '#';
    writeNumber(out, c.field);
    out += '#';
  }
}

void writeGroupEnd(std::string& out, const ListGroup& g) {
  out += ']';
  if (g.widthGiven) writeParenNumber(out, g.widthUnits);
  writeLetters(out, g);
  writeTail(out, g);
}

}  // namespace

std::string writeListFormat(const ListFormat& format) {
  std::string out;
  for (size_t i = 0; i < format.columns.size(); ++i) {
    int number = static_cast<int>(i) + 1;
    const ListGroup* group = format.groupOfColumn(number);
    if (group != nullptr && group->firstColumn == number) out += '[';
    writeColumn(out, format.columns[i]);
    if (group != nullptr && group->lastColumn == number) writeGroupEnd(out, *group);
  }
  return out;
}

}  // namespace zor::ui
