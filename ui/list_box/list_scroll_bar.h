#pragma once
// The vertical scroll bar of a list, one cell wide: an arrow cell at each
// end and the track between them holding the thumb. The list control draws
// it inside the right edge of its frame when the list has the vscroll
// attribute and more rows than fit; clicks on it become the list view's
// scroll-bar actions and a drag of the thumb a thumb position (0..100).

#include <cstddef>

#include "ui/list_box/list_view.h"

namespace zor::ui {

struct ListScrollBar {
  int length = 0;  // cells, arrows included
  int thumb = -1;  // cell of the thumb, -1 when the bar has no track

  // Cells 1..length-2 lie between the arrows.
  int track() const { return length > 2 ? length - 2 : 0; }
};

// The bar of `length` cells for a list showing `visible` of `rows` rows
// from row `top` (from 1).
ListScrollBar listScrollBar(int length, size_t top, size_t rows, int visible);
// What a click on cell `y` of the bar does: the arrows scroll by a line, the
// track above or below the thumb by a page, the thumb itself is dragged.
ScrollBarAction scrollBarActionAt(const ListScrollBar& bar, int y);
// The thumb position (0..100) of the thumb dragged to cell `y`.
int thumbPositionAt(const ListScrollBar& bar, int y);

}  // namespace zor::ui
