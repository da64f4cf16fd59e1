#include "ui/list_box/list_format.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace zor::ui {

ListColumn* ListFormat::column(int number) {
  if (number < 1 || static_cast<size_t>(number) > columns.size()) return nullptr;
  return &columns[static_cast<size_t>(number) - 1];
}

const ListColumn* ListFormat::column(int number) const {
  return const_cast<ListFormat*>(this)->column(number);
}

ListGroup* ListFormat::groupOfColumn(int number) {
  const ListColumn* c = column(number);
  if (c == nullptr || c->group < 1 || static_cast<size_t>(c->group) > groups.size()) return nullptr;
  return &groups[static_cast<size_t>(c->group) - 1];
}

const ListGroup* ListFormat::groupOfColumn(int number) const {
  return const_cast<ListFormat*>(this)->groupOfColumn(number);
}

void assignQueueFields(ListFormat& format) {
  // Counted in 64 bits: a field number set through a property may be as
  // large as int goes, and the numbers after it must not wrap round.
  int64_t running = 1;
  format.hasTips = false;
  auto narrow = [](int64_t value) {
    return static_cast<int>(std::min<int64_t>(value, std::numeric_limits<int>::max()));
  };
  for (ListColumn& c : format.columns) {
    c.field = c.fieldGiven ? c.field : narrow(running);
    int64_t next = int64_t{c.field} + 1;
    auto take = [&next, &narrow](bool present, int count) {
      if (!present) return 0;
      const int64_t first = next;
      next += count;
      return narrow(first);
    };
    c.colourField = take(c.hasOption(ColumnOption::RowColours), 4);
    c.iconField = take(c.has(ColumnFlag::Icon), 1);
    c.treeField = take(c.has(ColumnFlag::Tree), 1);
    c.styleField = take(c.hasOption(ColumnOption::RowStyle), 1);
    c.tipField = take(c.hasOption(ColumnOption::RowTip), 1);
    running = next;
    if (c.hasOption(ColumnOption::RowTip) || c.hasOption(ColumnOption::DefaultTip)) {
      format.hasTips = true;
    }
  }
}

void setColumnPicture(ListColumn& column, std::string_view picture) {
  column.picture = ListStringStore::global().store(picture);
  compilePicture(picture, column.compiled);
  column.decimalChar = column.compiled.decimalChar;
}

void setHeaderText(ListAttributes& attributes, std::string_view text) {
  attributes.header = ListStringStore::global().store(text);
  attributes.hasHeader = true;
  attributes.headerLines = 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

void setLocatorColumn(ListFormat& format, int column) {
  for (ListColumn& c : format.columns) c.flags &= ~ColumnFlag::Locator;
  ListColumn* chosen = format.column(column);
  if (chosen != nullptr) chosen->flags |= ColumnFlag::Locator;
  format.locatorColumn = chosen != nullptr ? column : 0;
}

}  // namespace zor::ui
