#include "ui/row_control.h"

#include <algorithm>

#include "ui/event_engine.h"
#include "ui/key_codes.h"
#include "ui/list_properties.h"
#include "ui/window.h"
#include "ui/window_input.h"

namespace zor::ui {

// The view measures in cells: the control's cells less the frame. The
// control's rectangle may change through its properties at any time, so the
// view is fitted whenever it is used.
ListView& ListControl::fitted() const {
  Rect cells = controlCells(*this);
  int width = std::max(1, cells.width - 2);
  int height = std::max(1, cells.height - 2);
  if (view_.width() != width || view_.height() != height) view_.setSize(width, height);
  return view_;
}

ListView& ListControl::view() {
  return fitted();
}

const ListView& ListControl::view() const {
  return fitted();
}

void ListControl::render(ListCells& out) const {
  view().render(out);
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

bool ListControl::key(Window& window, uint32_t code, char character) {
  bool used = false;
  withWindow(window, [&] {
    used = view_.key(static_cast<int>(code));
    if (!used && character >= 0x20 && (KEY::modifiers(code) & (KEY::Ctrl | KEY::Alt)) == 0) {
      used = view_.typeCharacter(character);
    }
  });
  return used;
}

void ListControl::mouse(Window& window, MouseAction action, Cell cell, int wheel) {
  withWindow(window, [&] {
    // Cell 0 of either axis is the frame.
    switch (action) {
      case MouseAction::Press:
        view_.click(cell.x - 1, cell.y - 1, false);
        break;
      case MouseAction::DoubleClick:
        view_.click(cell.x - 1, cell.y - 1, true);
        break;
      case MouseAction::Wheel:
        view_.wheel(wheel);
        break;
      case MouseAction::Release:
        break;
    }
  });
}

std::string ListControl::property(int number, int index) const {
  if (number == PROP::Choice || number == PROP::Selected) return std::to_string(choice());
  if (number == PROP::Format) return view_.formatText();
  if (isListProperty(number)) return listProperty(view(), number, index).value_or(std::string());
  return Control::property(number, index);
}

void ListControl::setProperty(int number, std::string value, int index) {
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
