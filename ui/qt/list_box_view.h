#pragma once
// A list as a desktop list box: the header sections of its format (a
// click on one is a header click, a drag of a resizable column's edge
// resizes it), the rows the list shows, drawn from its queue, and scroll
// bars for the vscroll and hscroll attributes, whose use reaches the list
// as WM_VSCROLL and WM_HSCROLL. Rows are as tall as it takes for the rows
// the list shows to fill the box, so that what the list pages by is what
// the user sees.

#include <memory>

#include "ui/qt/control_view.h"

namespace zor::ui::qt {

std::unique_ptr<ControlView> makeListBoxView(QWidget* client, PostInput post);

}  // namespace zor::ui::qt
