#include "ui/qt/list_painter.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QStyleOptionHeader>
#include <QWidget>
#include <algorithm>

#include "ui/list_box/list_cell_look.h"
#include "ui/list_box/list_view.h"
#include "ui/qt/qt_text.h"

namespace zor::ui::qt {
namespace {

constexpr int kHeaderPadding = 6;  // pixels a header line band adds to its text
constexpr int kBorderGrip = 3;     // pixels either side of a column edge that resize it

int bandHeight(int lines, const ListFont& metrics) {
  return lines > 0 ? lines * metrics.lineHeight + kHeaderPadding : 0;
}

int shiftOf(const ListAttributes& attributes, const ListPicture& picture) {
  return attributes.has(ColumnFlag::Fixed) ? 0 : picture.offset;
}

// Where the fixed columns of the first line end: the others scroll beneath.
int fixedEnd(const ListFormat& layout) {
  int end = 0;
  for (const ListColumn& c : layout.columns) {
    if (c.has(ColumnFlag::Fixed) && c.line == 0) end = std::max(end, c.left + std::max(c.width, 0));
  }
  return end;
}

Qt::Alignment alignmentOf(Justify justify) {
  switch (justify) {
    case Justify::Right:
    case Justify::Decimal:
      return Qt::AlignRight | Qt::AlignVCenter;
    case Justify::Center:
      return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
      return Qt::AlignLeft | Qt::AlignVCenter;
  }
}

QString headerText(const ListAttributes& attributes) {
  QString text;
  for (int line = 0; line < attributes.headerLines; ++line) {
    if (line > 0) text += QLatin1Char('\n');
    text += toQt(listHeaderLine(attributes.header.view(), line));
  }
  return text;
}

void paintSection(QPainter& painter, const QWidget& widget, const QRect& rect,
                  const ListAttributes* attributes) {
  QStyleOptionHeader option;
  option.initFrom(&widget);
  option.rect = rect;
  option.orientation = Qt::Horizontal;
  option.position = QStyleOptionHeader::Middle;
  option.state |= QStyle::State_Raised | QStyle::State_Horizontal;
  widget.style()->drawControl(QStyle::CE_HeaderSection, &option, &painter, &widget);
  if (!attributes || !attributes->hasHeader) return;
  int indent = attributes->headerIndent;
  option.rect = rect.adjusted(
      kHeaderPadding / 2 + (attributes->headerJustify() == Justify::Left ? indent : 0), 0,
      -kHeaderPadding / 2 - (attributes->headerJustify() == Justify::Left ? 0 : indent), 0);
  option.text = headerText(*attributes);
  option.textAlignment = alignmentOf(attributes->headerJustify());
  widget.style()->drawControl(QStyle::CE_HeaderLabel, &option, &painter, &widget);
}

struct RowBand {
  QRect rect;
  int lineHeight = 1;
  bool selected = false;
};

class RowPainter {
 public:
  RowPainter(QPainter& painter, const QPalette& palette, const QRect& area,
             const ListPicture& picture)
      : painter_(painter),
        palette_(palette),
        area_(area),
        picture_(picture),
        layout_(*picture.layout),
        metrics_(painter.font()),
        fixedEnd_(fixedEnd(*picture.layout)) {
    for (const ListColumn& c : layout_.columns) tree_ = tree_ || c.treeField != 0;
  }

  void paint() {
    painter_.fillRect(area_, palette_.brush(QPalette::Base));
    const ListView& view = *picture_.view;
    const Queue* queue = view.queue();
    if (!queue) return;
    size_t top = view.top();
    size_t selected = view.selection();
    size_t count = queue->records();
    int rowLines = std::max(layout_.rowLines, 1);
    for (int i = 0; i < picture_.rows; ++i) {
      size_t position = top + static_cast<size_t>(i);
      if (position > count) break;
      RowBand band{QRect(area_.left(), area_.top() + i * picture_.rowHeight, area_.width(),
                         picture_.rowHeight),
                   std::max(picture_.rowHeight / rowLines, 1), position == selected};
      ListRow row{&queue->layout(), queue->row(position), queue->recordLength()};
      ListRow next{&queue->layout(), tree_ && position < count ? queue->row(position + 1) : nullptr,
                   queue->recordLength()};
      paintRow(band, row, next);
    }
  }

 private:
  QPalette::ColorGroup group() const {
    return picture_.focused ? QPalette::Active : QPalette::Inactive;
  }

  void paintRow(const RowBand& band, const ListRow& row, const ListRow& next) {
    if (band.selected) painter_.fillRect(band.rect, palette_.brush(group(), QPalette::Highlight));
    // The columns that scroll first, then the fixed ones over them.
    for (int pass = 0; pass < 2; ++pass) {
      for (const ListColumn& c : layout_.columns) {
        if (c.has(ColumnFlag::Fixed) == (pass == 1)) paintCell(band, c, row, next);
      }
    }
    if (band.selected && picture_.focused) {
      QStyleOptionFocusRect focus;
      focus.rect = band.rect;
      focus.palette = palette_;
      focus.state = QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange;
      focus.backgroundColor = palette_.color(group(), QPalette::Highlight);
      QApplication::style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter_);
    }
  }

  void paintCell(const RowBand& band, const ListColumn& c, const ListRow& row,
                 const ListRow& next) {
    if (c.width <= 0) return;
    QRect cell(area_.left() + c.left - shiftOf(c, picture_),
               band.rect.top() + c.line * band.lineHeight, c.width, band.lineHeight);
    QRect visible = cell.intersected(area_);
    if (!c.has(ColumnFlag::Fixed))
      visible.setLeft(std::max(visible.left(), area_.left() + fixedEnd_));
    if (visible.isEmpty()) return;
    painter_.save();
    painter_.setClipRect(visible);
    ListCellColours colours = listCellColours(layout_, c, row, band.selected);
    QColor back = listColour(colours.background);
    if (back.isValid()) {
      painter_.fillRect(cell, back);
    } else if (c.has(ColumnFlag::Fixed)) {
      painter_.fillRect(cell, band.selected ? palette_.brush(group(), QPalette::Highlight)
                                            : palette_.brush(QPalette::Base));
    }
    QColor text = listColour(colours.foreground);
    if (!text.isValid()) {
      text = palette_.color(group(), band.selected ? QPalette::HighlightedText : QPalette::Text);
    }
    QRect content = cell.adjusted(2, 0, c.has(ColumnFlag::RightBorder) ? -3 : -2, 0);
    int cursor = content.left();
    int indent = c.indent;
    if (c.justify() == Justify::Left) {
      cursor += indent;
      indent = 0;
    }
    if (c.treeField != 0) cursor = paintTree(c, row, next, cell, cursor, text);
    if (c.iconField != 0) cursor = paintIcon(c, row, cell, cursor);
    painter_.setPen(text);
    paintText(c, toQt(listCellText(c, row)),
              QRect(cursor, cell.top(), content.right() - cursor + 1, cell.height()), indent);
    QColor line = palette_.color(group(), QPalette::Mid);
    painter_.setPen(line);
    if (c.has(ColumnFlag::Underline))
      painter_.drawLine(cell.left(), cell.bottom(), cell.right(), cell.bottom());
    if (c.has(ColumnFlag::RightBorder))
      painter_.drawLine(cell.right(), cell.top(), cell.right(), cell.bottom());
    painter_.restore();
  }

  int paintTree(const ListColumn& c, const ListRow& row, const ListRow& next, const QRect& cell,
                int cursor, const QColor& colour) {
    ListTreeMark mark = listTreeMark(c, row, next);
    int step = 2 * picture_.metrics.charWidth;
    cursor += mark.depth * step;
    if (!mark.boxShown) return cursor;
    if (mark.box != TreeBox::None) {
      int size = std::min(9, cell.height() - 2);
      QRect box(cursor, cell.center().y() - size / 2, size - 1, size - 1);
      painter_.setPen(colour);
      painter_.drawRect(box);
      int middle = box.center().y();
      painter_.drawLine(box.left() + 2, middle, box.right() - 2, middle);
      if (mark.box == TreeBox::Expand) {
        painter_.drawLine(box.center().x(), box.top() + 2, box.center().x(), box.bottom() - 2);
      }
    }
    return cursor + step;
  }

  int paintIcon(const ListColumn& c, const ListRow& row, const QRect& cell, int cursor) {
    int size = std::min(16, cell.height() - 2);
    int32_t number = static_cast<int32_t>(listFieldNumber(row, c.iconField));
    if (number != 0 && picture_.icon) {
      QIcon icon = picture_.icon(number);
      if (!icon.isNull()) {
        icon.paint(&painter_, QRect(cursor, cell.center().y() - size / 2, size, size));
      }
    }
    return cursor + size + 3;
  }

  void paintText(const ListColumn& c, const QString& text, const QRect& room, int indent) {
    if (text.isEmpty() || room.width() <= 0) return;
    if (c.justify() != Justify::Decimal) {
      painter_.drawText(room.adjusted(0, 0, -indent, 0),
                        alignmentOf(c.justify()) | Qt::TextSingleLine, text);
      return;
    }
    // The decimal points of the rows stand under each other.
    qsizetype point = c.decimalChar ? text.indexOf(QLatin1Char(c.decimalChar)) : -1;
    int integerWidth = metrics_.horizontalAdvance(point < 0 ? text : text.left(point));
    int fraction = c.compiled.places > 0
                       ? metrics_.horizontalAdvance(QLatin1Char('0')) * (c.compiled.places + 1)
                       : 0;
    int x = std::max(room.left(), room.right() + 1 - indent - fraction - integerWidth);
    painter_.drawText(QRect(x, room.top(), room.right() + 1 - x, room.height()),
                      Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
  }

  QPainter& painter_;
  const QPalette& palette_;
  QRect area_;
  const ListPicture& picture_;
  const ListFormat& layout_;
  QFontMetrics metrics_;
  int fixedEnd_;
  bool tree_ = false;
};

}  // namespace

QColor listColour(int32_t colour) {
  // Negative numbers are none, or colours of the desktop's scheme: the
  // palette's own colours stand for those.
  if (colour < 0) return {};
  return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

int listHeaderHeight(const ListFormat& layout, const ListFont& metrics) {
  return bandHeight(layout.groupHeaderLines, metrics) + bandHeight(layout.headerLines, metrics);
}

void paintListHeader(QPainter& painter, const QWidget& widget, const QRect& area,
                     const ListPicture& picture) {
  const ListFormat& layout = *picture.layout;
  int groupBand = bandHeight(layout.groupHeaderLines, picture.metrics);
  int columnBand = bandHeight(layout.headerLines, picture.metrics);
  int fixed = fixedEnd(layout);
  painter.fillRect(area, widget.palette().brush(QPalette::Button));
  // The strip's own sections behind the columns, so the header runs on to
  // the list's edge.
  if (groupBand > 0)
    paintSection(painter, widget, QRect(area.left(), area.top(), area.width(), groupBand), nullptr);
  if (columnBand > 0) {
    paintSection(painter, widget,
                 QRect(area.left(), area.top() + groupBand, area.width(), columnBand), nullptr);
  }
  for (const ListGroup& g : layout.groups) {
    const ListColumn* first = layout.column(g.firstColumn);
    if (!first || groupBand == 0) continue;
    int right = first->left;
    for (int n = g.firstColumn; n <= g.lastColumn; ++n) {
      const ListColumn* c = layout.column(n);
      if (c && c->line == 0) right = std::max(right, c->left + std::max(c->width, 0));
    }
    int shift = shiftOf(*first, picture);
    paintSection(
        painter, widget,
        QRect(area.left() + first->left - shift, area.top(), right - first->left, groupBand), &g);
  }
  if (columnBand == 0) return;
  for (int pass = 0; pass < 2; ++pass) {
    for (const ListColumn& c : layout.columns) {
      if (c.line != 0 || c.width <= 0 || c.has(ColumnFlag::Fixed) != (pass == 1)) continue;
      QRect section(area.left() + c.left - shiftOf(c, picture), area.top() + groupBand, c.width,
                    columnBand);
      painter.save();
      QRect clip = area;
      if (!c.has(ColumnFlag::Fixed)) clip.setLeft(area.left() + fixed);
      painter.setClipRect(clip);
      paintSection(painter, widget, section, &c);
      painter.restore();
    }
  }
}

void paintListRows(QPainter& painter, const QPalette& palette, const QRect& area,
                   const ListPicture& picture) {
  if (!picture.view || !picture.layout) return;
  RowPainter(painter, palette, area, picture).paint();
}

int listHeaderColumnAt(const ListPicture& picture, int x, bool* border) {
  const ListFormat& layout = *picture.layout;
  int fixed = fixedEnd(layout);
  if (border) *border = false;
  auto at = [&](const ListColumn& c) { return c.has(ColumnFlag::Fixed) ? x : x + picture.offset; };
  for (size_t i = 0; i < layout.columns.size(); ++i) {
    const ListColumn& c = layout.columns[i];
    if (c.line != 0 || c.width <= 0 || !c.has(ColumnFlag::Resizable)) continue;
    if (!c.has(ColumnFlag::Fixed) && x < fixed) continue;
    if (std::abs(at(c) - (c.left + c.width)) <= kBorderGrip) {
      if (border) *border = true;
      return static_cast<int>(i) + 1;
    }
  }
  for (size_t i = 0; i < layout.columns.size(); ++i) {
    const ListColumn& c = layout.columns[i];
    if (c.line != 0 || c.width <= 0) continue;
    if (!c.has(ColumnFlag::Fixed) && x < fixed) continue;
    if (at(c) >= c.left && at(c) < c.left + c.width) return static_cast<int>(i) + 1;
  }
  return 0;
}

}  // namespace zor::ui::qt
