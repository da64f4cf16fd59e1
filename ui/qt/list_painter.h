#pragma once
// Draws a list on the desktop: its header sections the way the desktop
// draws list headers, and the rows shown, read straight from the queue,
// only those that fit: a list of a million rows costs what one of a
// hundred does. Column measures come from the list's format laid out in
// pixels of the window's font; the highlight, the first row shown and the
// sideways offset from the list's own state.

#include <QPalette>
#include <QRect>
#include <functional>

#include <QIcon>

#include "ui/list_box/list_font.h"
#include "ui/list_box/list_format.h"

class QPainter;
class QWidget;

namespace zor::ui {
class ListView;
}

namespace zor::ui::qt {

struct ListPicture {
  const ListView* view = nullptr;      // rows, highlight, first row, offset
  const ListFormat* layout = nullptr;  // the view's format in pixels of `metrics`
  ListFont metrics;
  int rowHeight = 1;                   // pixels a row takes (all its lines)
  int offset = 0;                      // sideways offset, pixels
  int rows = 0;                        // rows that fit
  bool focused = false;                // the list has the focus
  std::function<QIcon(int32_t)> icon;  // the icon of an icon number
};

// The header lines' height in pixels; 0 for a list without headers.
int listHeaderHeight(const ListFormat& layout, const ListFont& metrics);
// Paints group and column headers into `area` with `widget`'s style.
void paintListHeader(QPainter& painter, const QWidget& widget, const QRect& area,
                     const ListPicture& picture);
// Paints the rows shown from the list's first row into `area`.
void paintListRows(QPainter& painter, const QPalette& palette, const QRect& area,
                   const ListPicture& picture);

// The column (from 1) whose header holds x; 0 for none. `border` is set
// when x lies on the right edge of a resizable column.
int listHeaderColumnAt(const ListPicture& picture, int x, bool* border);

// A list colour (0x00BBGGRR, kNoColour for none) as a Qt colour; invalid
// for none.
QColor listColour(int32_t colour);

}  // namespace zor::ui::qt
