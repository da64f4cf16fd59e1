#include "ui/row_control.h"

#include <algorithm>

#include "ui/base/event_numbers.h"
#include "ui/event_engine.h"
#include "ui/icon_glyphs.h"
#include "ui/key_codes.h"
#include "ui/list_box/list_properties.h"
#include "ui/window.h"
#include "ui/window_input.h"

namespace zor::ui {

// The view measures in cells: the control's cells less the frame, and less
// the scroll bar's column when the bar is shown. The control's rectangle
// may change through its properties and its queue may grow or shrink at any
// time, so the view is fitted whenever it is used. Whether the bar shows
// depends on the rows that fit, which depend on the height only.
ListView& ListControl::fitted() const {
  Rect cells = controlCells(*this);
  int height = std::max(1, cells.height - 2);
  if (view_.height() != height) view_.setSize(view_.width(), height);
  int width = std::max(1, cells.width - 2 - (barShown(height) ? 1 : 0));
  if (view_.width() != width) view_.setSize(width, height);
  return view_;
}

bool ListControl::barShown(int innerHeight) const {
  return verticalScrollBar_ && innerHeight >= 1 &&
         view_.rowCount() > static_cast<size_t>(view_.visibleRows());
}

std::optional<ListScrollBar> ListControl::scrollBar() const {
  const ListView& list = view();
  if (!barShown(list.height())) return std::nullopt;
  return listScrollBar(list.height(), list.top(), list.rowCount(), list.visibleRows());
}

ListView& ListControl::view() {
  return fitted();
}

const ListView& ListControl::view() const {
  return fitted();
}

void ListControl::render(ListCells& out) const {
  view().render(out);
  // Icons show as the character of the icon the list's icon list names.
  for (int y = 0; y < out.height(); ++y) {
    for (int x = 0; x < out.width(); ++x) {
      ListCell* cell = out.at(x, y);
      if ((cell->marks & CellMark::Icon) == 0 || cell->icon == 0) continue;
      const std::string name = property(PROP::IconList, cell->icon);
      if (!name.empty()) cell->ch = iconGlyph(name);
    }
  }
}

template <class Action>
void ListControl::withWindow(Window& window, Action action) {
  view().setEventSink(this);
  window_ = &window;
  action();
  window_ = nullptr;
}

void ListControl::listEvent(uint32_t event) {
  if (window_) post(*window_, event, field());
}

void ListControl::headerPressed(int column) {
  headerColumn_ = column;
  listEvent(EVENT::HeaderPressed);
}

bool ListControl::key(Window& window, uint32_t code, char character) {
  bool used = false;
  withWindow(window, [&] {
    used = view_.key(static_cast<int>(code));
    if (!used && static_cast<unsigned char>(character) >= 0x20 &&
        (KEY::modifiers(code) & (KEY::Ctrl | KEY::Alt)) == 0) {
      used = view_.typeCharacter(character);
    }
  });
  return used;
}

// Cell 0 of either axis is the frame; the view's cells start at 1, 1.
void ListControl::mouse(Window& window, MouseAction action, Cell cell, int wheel) {
  withWindow(window, [&] {
    switch (action) {
      case MouseAction::Press:
        press(cell);
        break;
      case MouseAction::DoubleClick:
        // On the bar the second click scrolls again; on a row it accepts.
        if (scrollBar() && cell.x - 1 == view().width()) {
          press(cell);
        } else {
          drag_ = {};
          view_.click(cell.x - 1, cell.y - 1, true);
        }
        break;
      case MouseAction::Wheel:
        // Both count notches away from the user (up) as positive.
        view_.wheel(wheel);
        break;
      case MouseAction::Drag:
        drag(cell);
        break;
      case MouseAction::Release:
        release(cell);
        break;
    }
  });
}

void ListControl::scroll(Window& window, bool vertical, int action, int position) {
  withWindow(window, [&] {
    ListView& list = view();
    if (!vertical) {
      int step = std::max(list.font().charWidth, 1);
      int widest = std::max(list.format().totalWidth - list.width(), 0);
      int offset = list.horizontalOffset();
      switch (action) {
        case SB::LineUp:
          offset -= step;
          break;
        case SB::LineDown:
          offset += step;
          break;
        case SB::PageUp:
          offset -= list.width();
          break;
        case SB::PageDown:
          offset += list.width();
          break;
        case SB::Top:
          offset = 0;
          break;
        case SB::Bottom:
          offset = widest;
          break;
        case SB::ThumbTrack:
          offset = position * step;
          break;
        default:
          return;
      }
      list.setHorizontalOffset(offset);
      return;
    }
    switch (action) {
      case SB::LineUp:
        list.scrollBar(ScrollBarAction::LineUp);
        break;
      case SB::LineDown:
        list.scrollBar(ScrollBarAction::LineDown);
        break;
      case SB::PageUp:
        list.scrollBar(ScrollBarAction::PageUp);
        break;
      case SB::PageDown:
        list.scrollBar(ScrollBarAction::PageDown);
        break;
      case SB::Top:
        list.scrollBar(ScrollBarAction::Top);
        break;
      case SB::Bottom:
        list.scrollBar(ScrollBarAction::Bottom);
        break;
      case SB::ThumbTrack:
        list.scrollBar(ScrollBarAction::Thumb, position);
        break;
      default:
        break;
    }
  });
}

void ListControl::press(Cell cell) {
  drag_ = {};
  Cell at{cell.x - 1, cell.y - 1};
  if (std::optional<ListScrollBar> bar = scrollBar(); bar && at.x == view().width()) {
    if (at.y < 0 || at.y >= bar->length) return;
    ScrollBarAction action = scrollBarActionAt(*bar, at.y);
    if (action == ScrollBarAction::Thumb) {
      drag_ = {Drag::Kind::Thumb, 0, at, 0, at.y, false};
      return;
    }
    view_.scrollBar(action);
    return;
  }
  if (at.y >= 0 && at.y < view().headerLines()) {
    if (int column = borderAt(at.x)) {
      // A header click or a resize: the next movement tells.
      drag_ = {Drag::Kind::Border, column, at, view_.format().column(column)->width, 0, false};
      return;
    }
  }
  view_.click(at.x, at.y, false);
}

void ListControl::drag(Cell cell) {
  Cell at{cell.x - 1, cell.y - 1};
  switch (drag_.kind) {
    case Drag::Kind::None:
      return;
    case Drag::Kind::Thumb: {
      std::optional<ListScrollBar> bar = scrollBar();
      if (!bar || at.y == drag_.lastY) return;
      drag_.lastY = at.y;
      drag_.moved = true;
      view_.scrollBar(ScrollBarAction::Thumb, thumbPositionAt(*bar, at.y));
      return;
    }
    case Drag::Kind::Border: {
      if (at.x == drag_.start.x && !drag_.moved) return;
      drag_.moved = true;
      int width = std::max(1, drag_.startWidth + at.x - drag_.start.x);
      const ListColumn* column = view_.format().column(drag_.column);
      if (column != nullptr && column->width != width) view_.resizeColumn(drag_.column, width);
      return;
    }
  }
}

void ListControl::release(Cell) {
  Drag done = drag_;
  drag_ = {};
  if (done.kind == Drag::Kind::Border && !done.moved) view_.click(done.start.x, done.start.y);
}

int ListControl::borderAt(int x) const {
  const ListView& list = view();
  int number = list.columnAt(x);
  const ListColumn* column = list.format().column(number);
  if (column == nullptr || !column->has(ColumnFlag::Resizable)) return 0;
  int at = column->has(ColumnFlag::Fixed) ? x : x + list.horizontalOffset();
  return at == column->left + column->width - 1 ? number : 0;
}

std::string ListControl::property(int number, int index) const {
  if (number == PROP::Choice || number == PROP::Selected) return std::to_string(choice());
  if (number == PROP::Format) return view_.formatText();
  if (number == PROP::HeaderColumn) return std::to_string(headerColumn_);
  if (isListProperty(number)) return listProperty(view(), number, index).value_or(std::string());
  return Control::property(number, index);
}

void ListControl::setProperty(int number, std::string value, int index) {
  if (number == PROP::HeaderColumn) return;  // only the user's clicks set it
  if (number == PROP::Choice || number == PROP::Selected) {
    view().select(static_cast<size_t>(std::max<int64_t>(0, numberValue(value))));
    return;
  }
  if (number == PROP::Format) {
    // A format that does not read keeps the old one, so nothing shown is lost.
    view_.setFormat(value);
    return;
  }
  if (isListProperty(number)) {
    setListProperty(view(), number, index, value);
    return;
  }
  Control::setProperty(number, std::move(value), index);
}

}  // namespace zor::ui
