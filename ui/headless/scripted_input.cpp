#include "ui/headless/scripted_input.h"

#include "ui/key_codes.h"
#include "ui/message_layer.h"
#include "ui/sheet_control.h"
#include "ui/window.h"
#include "ui/window_input.h"

namespace zor::ui::headless {
namespace {

// The client cell a click on the control aims at: the middle of the
// control, or for a tab the middle of its header.
bool aimAt(const Window& window, const Control& control, Cell& cell) {
  if (control.kind() == ControlKind::Tab) {
    auto* sheet = dynamic_cast<const SheetControl*>(window.control(control.parent));
    if (!sheet || !isShowing(window, *sheet)) return false;
    Rect cells = controlCells(*sheet);
    for (const SheetControl::Header& header : sheet->headers()) {
      if (header.tab != &control) continue;
      cell = {cells.x + header.x + header.width / 2, cells.y};
      return true;
    }
    return false;
  }
  if (!isShowing(window, control)) return false;
  Rect cells = controlCells(control);
  cell = {cells.x + (cells.width - 1) / 2, cells.y + (cells.height - 1) / 2};
  return true;
}

Message mouseMessage(const Window& window, uint32_t number, Cell cell, uintptr_t wParam = 0) {
  Message message;
  message.window = window.handle();
  message.message = number;
  message.wParam = wParam;
  message.lParam = packCell(cell);
  return message;
}

// A cell of the window's canvas as a cell of its client area.
Cell clientCell(Cell canvasCell) {
  return {canvasCell.x - 1, canvasCell.y - 1};
}

}  // namespace

std::vector<KeyInput> keysFor(std::string_view text) {
  std::vector<KeyInput> keys;
  for (char c : text) keys.push_back({KEY::keyCodeOf(c), c == '\n' || c == '\t' ? '\0' : c});
  return keys;
}

InputMessages messagesFor(const Window& window, const Input& input) {
  InputMessages result;
  if (const auto* key = std::get_if<KeyInput>(&input)) {
    Message message;
    message.window = window.handle();
    message.message = WM_KEYDOWN;
    message.wParam = key->code;
    message.lParam = static_cast<unsigned char>(key->character);
    result.messages.push_back(message);
    return result;
  }
  if (const auto* wheel = std::get_if<WheelInput>(&input)) {
    result.messages.push_back(mouseMessage(window, WM_MOUSEWHEEL, clientCell(wheel->cell),
                                           static_cast<uintptr_t>(intptr_t{wheel->notches})));
    return result;
  }
  if (const auto* command = std::get_if<CommandInput>(&input)) {
    Message message;
    message.window = window.handle();
    message.message = WM_SYSCOMMAND;
    message.wParam = command->command;
    Rect target = command->target;
    if (command->keepPlace) {
      target.x = window.rect.x;
      target.y = window.rect.y;
    }
    message.payload = std::make_shared<Rect>(target);
    result.messages.push_back(message);
    return result;
  }
  if (const auto* drag = std::get_if<DragInput>(&input)) {
    Cell from = clientCell(drag->from), to = clientCell(drag->to);
    result.messages.push_back(mouseMessage(window, WM_LBUTTONDOWN, from, MK_LBUTTON));
    result.messages.push_back(mouseMessage(window, WM_MOUSEMOVE, to, MK_LBUTTON));
    result.messages.push_back(mouseMessage(window, WM_LBUTTONUP, to));
    return result;
  }
  const auto& click = std::get<ClickInput>(input);
  Cell cell = clientCell(click.cell);
  if (!click.useLabel.empty()) {
    const Control* control = window.find(click.useLabel);
    if (!control || !aimAt(window, *control, cell)) {
      result.error = "no control " + click.useLabel + " is shown to click";
      return result;
    }
  }
  result.messages.push_back(mouseMessage(window, WM_LBUTTONDOWN, cell));
  result.messages.push_back(mouseMessage(window, WM_LBUTTONUP, cell));
  if (click.twice) {
    result.messages.push_back(mouseMessage(window, WM_LBUTTONDBLCLK, cell));
    result.messages.push_back(mouseMessage(window, WM_LBUTTONUP, cell));
  }
  return result;
}

std::string deliverInput(Window& window, const Input& input) {
  InputMessages made = messagesFor(window, input);
  for (const Message& message : made.messages) window.onMessage(message);
  return made.error;
}

std::string postInput(const Window& window, const Input& input) {
  InputMessages made = messagesFor(window, input);
  for (const Message& message : made.messages) {
    postMessage(window.handle(), message.message, message.wParam, message.lParam, message.payload);
  }
  return made.error;
}

}  // namespace zor::ui::headless
