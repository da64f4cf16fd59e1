#include "ui/control_factory.h"

#include "runtime/fatal_error.h"
#include "ui/button_control.h"
#include "ui/definition/definition_kinds.h"
#include "ui/edit_control.h"
#include "ui/option_control.h"
#include "ui/row_control.h"
#include "ui/sheet_control.h"
#include "ui/thread_state.h"
#include "ui/window.h"

namespace zor::ui {

std::unique_ptr<Control> makeControl(uint8_t kind, std::string useLabel) {
  switch (kind) {
    case ControlKind::Entry:
    case ControlKind::Text:
    case ControlKind::Combo:
    case ControlKind::Spin:
      return std::make_unique<EditControl>(kind, std::move(useLabel));
    case ControlKind::Button:
    case ControlKind::Check:
    case ControlKind::Radio:
      return std::make_unique<ButtonControl>(kind, std::move(useLabel));
    case ControlKind::Option:
      return std::make_unique<OptionControl>(kind, std::move(useLabel));
    case ControlKind::Sheet:
      return std::make_unique<SheetControl>(kind, std::move(useLabel));
    case ControlKind::Tab:
      return std::make_unique<TabControl>(kind, std::move(useLabel));
    case ControlKind::List:
    case ControlKind::DropList:
      return std::make_unique<ListControl>(kind, std::move(useLabel));
    default:
      return std::make_unique<Control>(kind, std::move(useLabel));
  }
}

Control& createControl(Window& window, uint8_t kind, std::string useLabel, int parent) {
  Window* active = activeWindow();
  if (active && active != &window && active->modal) fatalRuntimeError(541, useLabel);
  auto made = makeControl(kind, std::move(useLabel));
  made->parent = window.control(parent) ? parent : 0;
  return window.add(std::move(made));
}

}  // namespace zor::ui
