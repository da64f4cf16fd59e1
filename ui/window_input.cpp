#include "ui/window_input.h"

#include <cctype>

#include "ui/base/event_numbers.h"
#include "ui/control.h"
#include "ui/event_engine.h"
#include "ui/key_codes.h"
#include "ui/thread_state.h"
#include "ui/window.h"

namespace zor::ui {
namespace {

// The control a mouse press went to, so that only a release over the same
// control counts as a click.
struct PressedControl {
  WindowHandle window = 0;
  int field = 0;
};
thread_local PressedControl pressed;

// The enclosing control, or null. Parents always come before their
// children, which also keeps a malformed tree from looping.
const Control* parentOf(const Window& window, const Control& control) {
  if (control.parent <= 0 || control.parent >= control.field()) return nullptr;
  return window.control(control.parent);
}

// Steps the tabs of the sheet around the focused control, else of the
// window's first shown sheet. False when there is none.
bool stepCurrentSheet(Window& window, int delta) {
  for (const Control* at = window.control(window.focus); at; at = parentOf(window, *at)) {
    if (at->kind() == ControlKind::Sheet) {
      return window.control(at->field())->stepTab(window, delta);
    }
  }
  for (const auto& control : window.controls()) {
    if (isShowing(window, *control) && control->stepTab(window, delta)) return true;
  }
  return false;
}

Control* defaultButton(const Window& window) {
  for (const auto& control : window.controls()) {
    if (control->isDefault && isShowing(window, *control) && isUsable(window, *control)) {
      return control.get();
    }
  }
  return nullptr;
}

// The focused control completes its entry; false when it refuses.
bool completeFocused(Window& window) {
  Control* focused = window.control(window.focus);
  if (!focused || !focused->modified()) return true;
  if (!focused->completeEntry()) {
    post(window, EVENT::Rejected, focused->field());
    return false;
  }
  post(window, EVENT::Accepted, focused->field());
  return true;
}

// Hot keys: the first shown, usable control whose "&" letter it is.
bool hotKey(Window& window, char letter) {
  for (const auto& control : window.controls()) {
    if (control->hotKey() != letter) continue;
    if (!isShowing(window, *control) && control->kind() != ControlKind::Tab) continue;
    if (!isUsable(window, *control)) continue;
    activateControl(window, *control);
    return true;
  }
  return false;
}

bool handleKey(Window& window, uint32_t code, char character) {
  Control* focused = window.control(window.focus);
  if (!focused) {
    window.focus = firstFocusable(window);
    focused = window.control(window.focus);
  }
  // A focused control that was hidden or disabled meanwhile takes no keys,
  // but Tab still goes on from its place.
  if (focused && !(isShowing(window, *focused) && isUsable(window, *focused))) focused = nullptr;
  if ((focused && focused->alerts(code)) || window.alerts(code)) {
    post(window, EVENT::AlertKey, focused ? focused->field() : 0);
    return true;
  }
  uint32_t key = KEY::base(code);
  uint32_t mods = KEY::modifiers(code);
  if (key == KEY::Tab && (mods & KEY::Ctrl) == 0) {
    int next = nextFocusable(window, window.focus, (mods & KEY::Shift) != 0);
    if (next != 0) setFocus(window, next);
    return true;
  }
  if ((mods & KEY::Alt) != 0 && std::isalnum(static_cast<int>(key)) && key < 0x80) {
    return hotKey(window, static_cast<char>(key));
  }
  if (focused && focused->key(window, code, character)) return true;
  bool switchTab =
      (mods & KEY::Ctrl) != 0 && (key == KEY::Tab || key == KEY::PageUp || key == KEY::PageDown);
  if (switchTab) {
    bool backward = key == KEY::PageUp || (mods & KEY::Shift) != 0;
    return stepCurrentSheet(window, backward ? -1 : 1);
  }
  if (code == KEY::Enter) {
    if (!completeFocused(window)) return true;
    if (Control* button = defaultButton(window)) button->activate(window);
    return true;
  }
  if (code == KEY::Escape) {
    post(window, EVENT::CloseWindow);
    return true;
  }
  return false;
}

// Movement with the button held goes to the control the button was pressed
// on, so a drag may leave it (a column border dragged past the list's edge).
void dragPressed(Window& window, uintptr_t buttons, Cell cell) {
  if ((buttons & MK_LBUTTON) == 0 || pressed.window != window.handle()) return;
  Control* target = window.control(pressed.field);
  if (!target || !isUsable(window, *target)) return;
  Rect cells = controlCells(*target);
  target->mouse(window, MouseAction::Drag, {cell.x - cells.x, cell.y - cells.y}, 0);
}

void handleMouse(Window& window, const Message& message) {
  Cell cell = unpackCell(message.lParam);
  window.pointerX = cell.x;
  window.pointerY = cell.y;
  if (message.message == WM_MOUSEMOVE) {
    dragPressed(window, message.wParam, cell);
    return;
  }
  int field = controlAt(window, cell);
  Control* target = window.control(field);
  if (message.message == WM_LBUTTONUP) {
    bool sameControl = pressed.window == window.handle() && pressed.field == field;
    pressed = {};
    if (!target || !sameControl || !isUsable(window, *target)) return;
  }
  if (!target || !isUsable(window, *target)) return;
  Rect cells = controlCells(*target);
  Cell inside{cell.x - cells.x, cell.y - cells.y};
  switch (message.message) {
    case WM_LBUTTONDOWN:
      pressed = {};
      if (target->kind() == ControlKind::Prompt) {
        if (int next = nextFocusable(window, field, false)) setFocus(window, next);
        return;
      }
      // A press the focused control refuses to let go of is no click at all.
      if (canFocus(window, *target) && !setFocus(window, field)) return;
      pressed = {window.handle(), field};
      target->mouse(window, MouseAction::Press, inside, 0);
      return;
    case WM_LBUTTONUP:
      target->mouse(window, MouseAction::Release, inside, 0);
      return;
    case WM_LBUTTONDBLCLK:
      target->mouse(window, MouseAction::DoubleClick, inside, 0);
      return;
    case WM_MOUSEWHEEL:
      target->mouse(window, MouseAction::Wheel, inside,
                    static_cast<int>(static_cast<intptr_t>(message.wParam)));
      return;
    default:
      return;
  }
}

}  // namespace

bool isShowing(const Window& window, const Control& control) {
  if (control.hidden) return false;
  const Control* child = &control;
  for (const Control* parent = parentOf(window, control); parent;
       child = parent, parent = parentOf(window, *parent)) {
    if (parent->hidden || !parent->childShown(*child)) return false;
  }
  return true;
}

bool isUsable(const Window& window, const Control& control) {
  for (const Control* at = &control; at; at = parentOf(window, *at)) {
    if (!at->enabled) return false;
  }
  return true;
}

bool canFocus(const Window& window, const Control& control) {
  return control.takesFocus() && !control.skip && isShowing(window, control) &&
         isUsable(window, control);
}

int firstFocusable(const Window& window) {
  for (const auto& control : window.controls()) {
    if (canFocus(window, *control)) return control->field();
  }
  return 0;
}

int nextFocusable(const Window& window, int field, bool backward) {
  int count = static_cast<int>(window.controls().size());
  if (count == 0) return 0;
  int at = field >= 1 && field <= count ? field : (backward ? 1 : count);
  for (int step = 0; step < count; ++step) {
    at = backward ? (at == 1 ? count : at - 1) : (at == count ? 1 : at + 1);
    if (canFocus(window, *window.control(at))) return at;
  }
  return 0;
}

bool setFocus(Window& window, int field) {
  Control* target = window.control(field);
  if (!target) return false;
  if (field == window.focus) return true;
  if (!completeFocused(window)) return false;
  if (Control* losing = window.control(window.focus)) losing->focusLost(window);
  window.focus = field;
  target->focusGained(window);
  post(window, EVENT::Selected, field);
  return true;
}

void activateControl(Window& window, Control& control) {
  if (control.kind() == ControlKind::Prompt) {
    if (int next = nextFocusable(window, control.field(), false)) setFocus(window, next);
    return;
  }
  if (control.kind() == ControlKind::Radio) {
    // A radio takes the focus once it is chosen: the group's stop is its
    // chosen radio.
    if (!completeFocused(window)) return;
    control.activate(window);
    if (canFocus(window, control)) setFocus(window, control.field());
    return;
  }
  if (canFocus(window, control) && !setFocus(window, control.field())) return;
  if (!canFocus(window, control) && !completeFocused(window)) return;
  control.activate(window);
}

Rect controlCells(const Control& control) {
  return unitsToCells(control.rect);
}

int controlAt(const Window& window, Cell cell) {
  int found = 0;
  for (const auto& control : window.controls()) {
    if (!isShowing(window, *control)) continue;
    if (controlCells(*control).contains(cell.x, cell.y)) found = control->field();
  }
  return found;
}

intptr_t handleInput(Window& window, const Message& message) {
  if (!window.enabled) return 0;
  if (message.message == WM_KEYDOWN) {
    auto code = static_cast<uint32_t>(message.wParam);
    auto character = static_cast<char>(message.lParam);
    setLastKeystroke(
        {code, static_cast<uint8_t>(KEY::modifiers(code) >> 8), static_cast<uint8_t>(character)});
    return handleKey(window, code, character) ? 1 : 0;
  }
  if (isScrollMessage(message.message)) {
    Control* target = window.control(static_cast<int>(message.lParam));
    if (target && isShowing(window, *target) && isUsable(window, *target)) {
      target->scroll(window, message.message == WM_VSCROLL,
                     static_cast<int>(message.wParam & 0xFFFF),
                     static_cast<int>((message.wParam >> 16) & 0xFFFF));
    }
    return 0;
  }
  handleMouse(window, message);
  return 0;
}

}  // namespace zor::ui
