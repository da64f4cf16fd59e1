// Drawing a list into character cells: the group and column headers, then
// the rows from the first one shown, as many as fit. Only those rows (and,
// for tree boxes, the one after the last) are read from the queue.

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "ui/list_box/list_cell_look.h"
#include "ui/list_box/list_field_value.h"
#include "ui/list_box/list_view.h"

namespace zor::ui {
namespace {

struct CellAttributes {
  uint16_t marks = 0;
  int32_t foreground = kNoColour;
  int32_t background = kNoColour;
  int32_t style = 0;
};

// Writes into one line of the cells, within [clipLeft, clipRight).
class LinePainter {
 public:
  LinePainter(ListCells& cells, int y, int clipLeft)
      : cells_(cells), y_(y), clipLeft_(std::max(clipLeft, 0)) {}

  void put(int x, char ch, const CellAttributes& a, uint16_t extraMarks = 0, int32_t icon = 0) {
    if (x < clipLeft_) return;
    ListCell* cell = cells_.at(x, y_);
    if (cell == nullptr) return;
    cell->ch = ch;
    cell->marks = static_cast<uint16_t>(a.marks | extraMarks);
    cell->foreground = a.foreground;
    cell->background = a.background;
    cell->style = a.style;
    cell->icon = icon;
  }
  void fill(int from, int to, const CellAttributes& a) {
    for (int x = from; x < to; ++x) put(x, ' ', a);
  }
  // Places text in [from, to) by justification and indent (cells); what
  // does not fit is cut at the right.
  void text(int from, int to, std::string_view s, Justify justify, int indent,
            const CellAttributes& a, char decimalChar = 0, int places = 0) {
    if (to <= from) return;
    int length = static_cast<int>(std::min<size_t>(s.size(), 4096));
    int start = from + indent;
    switch (justify) {
      case Justify::Left:
        break;
      case Justify::Right:
        start = to - indent - length;
        break;
      case Justify::Center:
        start = from + (to - from - length) / 2;
        break;
      case Justify::Decimal: {
        size_t point = decimalChar != 0 ? s.find(decimalChar) : std::string_view::npos;
        int integerPart = point == std::string_view::npos ? length : static_cast<int>(point);
        int fraction = places > 0 ? places + 1 : 0;
        start = to - indent - fraction - integerPart;
        break;
      }
    }
    start = std::max(start, from);
    for (int i = 0; i < length && start + i < to; ++i) put(start + i, s[static_cast<size_t>(i)], a);
  }

 private:
  ListCells& cells_;
  int y_;
  int clipLeft_;
};

class ListPainter {
 public:
  ListPainter(const ListView& view, ListCells& out)
      : view_(view), format_(view.format()), out_(out) {
    charWidth_ = std::max(view.font().charWidth, 1);
    for (const ListColumn& c : format_.columns) {
      if (c.has(ColumnFlag::Fixed) && c.line == 0) {
        fixedEnd_ = std::max(fixedEnd_, cellOf(c.left + std::max(c.width, 0)));
      }
    }
  }

  void paint() {
    paintGroupHeaders();
    paintColumnHeaders();
    paintRows();
  }

 private:
  int cellOf(int pixels) const {
    return static_cast<int>(std::floor(static_cast<double>(pixels) / charWidth_));
  }
  int shiftOf(const ListAttributes& a) const {
    return a.has(ColumnFlag::Fixed) ? 0 : view_.horizontalOffset();
  }
  int clipOf(const ListAttributes& a) const { return a.has(ColumnFlag::Fixed) ? 0 : fixedEnd_; }

  void paintGroupHeaders() {
    for (const ListGroup& g : format_.groups) {
      const ListColumn* first = format_.column(g.firstColumn);
      if (first == nullptr || !g.hasHeader) continue;
      int left = first->left, right = first->left;
      for (int n = g.firstColumn; n <= g.lastColumn; ++n) {
        const ListColumn* c = format_.column(n);
        if (c != nullptr && c->line == 0) right = std::max(right, c->left + std::max(c->width, 0));
      }
      int shift = shiftOf(*first);
      int from = cellOf(left - shift), to = cellOf(right - shift);
      CellAttributes a{CellMark::GroupHeader};
      for (int line = 0; line < std::min(format_.groupHeaderLines, out_.height()); ++line) {
        LinePainter p(out_, line, clipOf(*first));
        int end = border(p, from, to, g, a);
        p.fill(from, end, a);
        p.text(from, end, listHeaderLine(g.header.view(), line), g.headerJustify(),
               cellOf(g.headerIndent), a);
      }
    }
  }

  void paintColumnHeaders() {
    for (const ListColumn& c : format_.columns) {
      if (c.line != 0) continue;
      int shift = shiftOf(c);
      int from = cellOf(c.left - shift), to = cellOf(c.left + std::max(c.width, 0) - shift);
      CellAttributes a{static_cast<uint16_t>(CellMark::Header |
                                             (c.has(ColumnFlag::Fixed) ? CellMark::Fixed : 0))};
      for (int line = 0; line < std::min(format_.headerLines, out_.height()); ++line) {
        LinePainter p(out_, format_.groupHeaderLines + line, clipOf(c));
        int end = border(p, from, to, c, a);
        p.fill(from, end, a);
        if (c.hasHeader) {
          p.text(from, end, listHeaderLine(c.header.view(), line), c.headerJustify(),
                 cellOf(c.headerIndent), a);
        }
      }
    }
  }

  // Draws the "|" line in the last cell; returns where the content ends.
  static int border(LinePainter& p, int from, int to, const ListAttributes& attrs,
                    const CellAttributes& a) {
    if (!attrs.has(ColumnFlag::RightBorder) || to <= from) return to;
    p.put(to - 1, '|', a, CellMark::Border);
    return to - 1;
  }

  void paintRows() {
    const Queue* queue = view_.queue();
    if (queue == nullptr) return;
    size_t top = view_.top();
    size_t selected = view_.selection();
    size_t count = queue->records();
    int rowLines = std::max(format_.rowLines, 1);
    int firstLine = view_.headerLines();
    for (int i = 0; i < view_.visibleRows(); ++i) {
      size_t position = top + static_cast<size_t>(i);
      if (position > count) break;
      ListRow row{&queue->layout(), queue->row(position), queue->recordLength()};
      ListRow next{&queue->layout(), position < count ? queue->row(position + 1) : nullptr,
                   queue->recordLength()};
      int y = firstLine + i * rowLines;
      for (int line = 0; line < rowLines; ++line) out_.setRowOfLine(y + line, position);
      for (const ListColumn& c : format_.columns)
        paintCell(c, row, next, y + c.line, position == selected);
    }
  }

  CellAttributes cellAttributes(const ListColumn& c, const ListRow& row, bool selected) const {
    ListCellColours colours = listCellColours(format_, c, row, selected);
    CellAttributes a;
    a.marks = static_cast<uint16_t>((selected ? CellMark::Selected : 0) |
                                    (c.has(ColumnFlag::Underline) ? CellMark::Underlined : 0) |
                                    (c.has(ColumnFlag::Fixed) ? CellMark::Fixed : 0));
    a.foreground = colours.foreground;
    a.background = colours.background;
    a.style = colours.style;
    return a;
  }

  void paintCell(const ListColumn& c, const ListRow& row, const ListRow& next, int y,
                 bool selected) {
    if (c.width <= 0) return;
    int shift = shiftOf(c);
    int from = cellOf(c.left - shift), to = cellOf(c.left + c.width - shift);
    if (to <= 0 || from >= out_.width()) return;
    CellAttributes a = cellAttributes(c, row, selected);
    LinePainter p(out_, y, clipOf(c));
    int end = border(p, from, to, c, a);
    p.fill(from, end, a);
    int cursor = from;
    int indent = cellOf(c.indent);
    if (c.justify() == Justify::Left) {
      cursor += indent;
      indent = 0;
    }
    if (c.treeField != 0) cursor = paintTree(p, c, row, next, cursor, a);
    if (c.iconField != 0) {
      int32_t icon = static_cast<int32_t>(listFieldNumber(row, c.iconField));
      p.put(cursor, icon != 0 ? '*' : ' ', a, CellMark::Icon, icon);
      cursor += 2;
    }
    p.text(cursor, end, listCellText(c, row), c.justify(), indent, a, c.decimalChar,
           c.compiled.places);
  }

  // Indents by the level and draws the box: "+" for a contracted level
  // (negative), "-" when the next row lies deeper.
  int paintTree(LinePainter& p, const ListColumn& c, const ListRow& row, const ListRow& next,
                int cursor, const CellAttributes& a) {
    ListTreeMark mark = listTreeMark(c, row, next);
    cursor += 2 * mark.depth;
    if (!mark.boxShown) return cursor;
    char box = mark.box == TreeBox::Expand ? '+' : mark.box == TreeBox::Contract ? '-' : ' ';
    p.put(cursor, box, a, CellMark::TreeBox);
    return cursor + 2;
  }

  const ListView& view_;
  const ListFormat& format_;
  ListCells& out_;
  int charWidth_ = 1;
  int fixedEnd_ = 0;
};

}  // namespace

void ListView::render(ListCells& out) const {
  out.reset(width_ / std::max(font_.charWidth, 1), height_ / std::max(font_.lineHeight, 1));
  clampPositions();
  ListPainter(*this, out).paint();
}

}  // namespace zor::ui
