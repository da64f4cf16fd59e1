#pragma once
// Places the columns of a parsed format within a row, in pixels of the
// window's font: the running left edge starts at 0 and moves by each width;
// a column of width 0 has right = left - 1 and takes no space; "/" moves the
// following columns down one row line and restarts the left edge (at the
// group's left when the next column is in the same group). Also converts
// every measure from dialog units and counts the row and header lines.

#include "ui/list_box/list_font.h"
#include "ui/list_box/list_format.h"

namespace zor::ui {

void layoutListFormat(ListFormat& format, const ListFont& font);

}  // namespace zor::ui
