#include "ui/qt/control_view.h"

#include <QWidget>
#include <algorithm>

#include "ui/control.h"
#include "ui/definition/definition_kinds.h"
#include "ui/qt/button_views.h"
#include "ui/qt/edit_views.h"
#include "ui/qt/list_box_view.h"
#include "ui/qt/sheet_view.h"
#include "ui/qt/static_views.h"

namespace zor::ui::qt {

QPoint mapBetween(const QWidget* from, const QWidget* to, QPoint pos) {
  if (from == to) return pos;
  return to->mapFromGlobal(from->mapToGlobal(pos));
}

Cell cellAtPoint(const Control& control, const QWidget& widget, QPoint pos) {
  Rect cells = unitsToCells(control.rect);
  int width = std::max(widget.width(), 1);
  int height = std::max(widget.height(), 1);
  int x = static_cast<int>(static_cast<int64_t>(std::clamp(pos.x(), 0, width - 1)) * cells.width /
                           width);
  int y = static_cast<int>(static_cast<int64_t>(std::clamp(pos.y(), 0, height - 1)) * cells.height /
                           height);
  return {std::clamp(x, 0, std::max(cells.width - 1, 0)),
          std::clamp(y, 0, std::max(cells.height - 1, 0))};
}

MouseRoute ControlView::route(const Control& control, const ViewContext&, const MouseAt& mouse) {
  QWidget* shown = widget();
  if (!shown) return MouseRoute::drop();
  return MouseRoute::at(cellAtPoint(control, *shown, mapBetween(mouse.target, shown, mouse.pos)));
}

std::unique_ptr<ControlView> makeControlView(const Control& control, QWidget* client,
                                             PostInput post) {
  switch (control.kind()) {
    case ControlKind::Entry:
    case ControlKind::Combo:
    case ControlKind::Spin:
      return makeEntryView(client);
    case ControlKind::Text:
      return makeTextBoxView(client);
    case ControlKind::Button:
      return makePushButtonView(client);
    case ControlKind::Check:
    case ControlKind::Radio:
      return makeToggleView(control, client);
    case ControlKind::Prompt:
    case ControlKind::String:
      return makeLabelView(client);
    case ControlKind::Option:
    case ControlKind::Group:
      return makeGroupBoxView(client);
    case ControlKind::Sheet:
      return makeSheetView(client);
    case ControlKind::List:
    case ControlKind::DropList:
      return makeListBoxView(client, std::move(post));
    case ControlKind::Image:
      return makeImageView(client);
    case ControlKind::Box:
    case ControlKind::Panel:
    case ControlKind::Ellipse:
    case ControlKind::Line:
      return makeShapeView(control, client);
    default:
      // Tabs (their sheet shows them), regions and kinds without a look.
      return makeHiddenView();
  }
}

}  // namespace zor::ui::qt
