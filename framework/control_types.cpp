#include "framework/control_types.h"

#include "ui/control.h"
#include "ui/definition/definition_kinds.h"

namespace zor::fw {

int32_t controlTypeOf(uint8_t kind) {
  namespace K = ui::ControlKind;
  switch (kind) {
    case K::Group:
      return ControlType::Group;
    case K::String:
      return ControlType::String;
    case K::Combo:
      return ControlType::Combo;
    case K::DropList:
      return ControlType::List;
    case K::Spin:
      return ControlType::Spin;
    case K::Region:
      return ControlType::Region;
    case K::Image:
      return ControlType::Image;
    case K::Box:
      return ControlType::Box;
    case K::Line:
      return ControlType::Line;
    case K::Panel:
      return ControlType::Panel;
    case K::Ellipse:
      return ControlType::Ellipse;
    default:
      // ENTRY, BUTTON, PROMPT, OPTION, CHECK, LIST, TEXT, RADIO, the window,
      // SHEET and TAB carry their type code as their kind code.
      return kind;
  }
}

bool dropsDown(const ui::Control& control) {
  return control.kind() == ui::ControlKind::DropList;
}

}  // namespace zor::fw
