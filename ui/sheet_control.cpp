#include "ui/sheet_control.h"

#include <algorithm>

#include "ui/base/event_numbers.h"
#include "ui/event_engine.h"
#include "ui/window.h"
#include "ui/window_input.h"

namespace zor::ui {
namespace {

// Whether `control` lies inside `ancestor`.
bool inside(const Window& window, const Control& control, const Control& ancestor) {
  for (const Control* at = &control; at && at->parent > 0 && at->parent < at->field();
       at = window.control(at->parent)) {
    if (at->parent == ancestor.field()) return true;
  }
  return false;
}

}  // namespace

Rect tabBody(const Rect& sheet) {
  return {sheet.x, sheet.y + kUnitsPerCellY, sheet.width,
          std::max(0, sheet.height - kUnitsPerCellY)};
}

Control* SheetControl::selectedTab() const {
  return selected_ >= 1 && selected_ <= static_cast<int>(tabs_.size()) ? tabs_[selected_ - 1]
                                                                       : nullptr;
}

std::vector<SheetControl::Header> SheetControl::headers() const {
  std::vector<Header> result;
  int x = 1;
  for (const Control* tab : tabs_) {
    if (tab->hidden) continue;
    int width = static_cast<int>(tab->shownCaption().size()) + 2;
    result.push_back({tab, x, width});
    x += width;
  }
  return result;
}

void SheetControl::select(int index) {
  if (index < 1 || index > static_cast<int>(tabs_.size())) return;
  selected_ = index;
  contents = std::to_string(index);
}

void SheetControl::choose(Window& window, int index) {
  if (index == selected_ || index < 1 || index > static_cast<int>(tabs_.size())) return;
  post(window, EVENT::TabChanging, field());
  select(index);
  writeVariable(contents);
  post(window, EVENT::NewSelection, field());
  Control* focused = window.control(window.focus);
  if (focused && canFocus(window, *focused)) return;
  Control* tab = selectedTab();
  for (const auto& control : window.controls()) {
    if (inside(window, *control, *tab) && canFocus(window, *control)) {
      setFocus(window, control->field());
      return;
    }
  }
  if (int first = firstFocusable(window)) setFocus(window, first);
}

void SheetControl::step(Window& window, int delta) {
  int count = static_cast<int>(tabs_.size());
  int at = selected_;
  for (int tried = 0; tried < count; ++tried) {
    at = (at - 1 + delta + count) % count + 1;
    const Control* tab = tabs_[at - 1];
    if (!tab->hidden && tab->enabled) {
      choose(window, at);
      return;
    }
  }
}

bool SheetControl::stepTab(Window& window, int delta) {
  step(window, delta);
  return true;
}

void SheetControl::display() {
  Control::display();
  if (bound()) select(static_cast<int>(numberValue(contents)));
  contents = std::to_string(selected_);
}

void SheetControl::update() {
  contents = std::to_string(selected_);
  Control::update();
}

void SheetControl::childAdded(Control& child) {
  if (child.kind() != ControlKind::Tab) return;
  tabs_.push_back(&child);
  if (selected_ == 0) select(1);
}

bool SheetControl::childShown(const Control& child) const {
  return &child == selectedTab();
}

void SheetControl::mouse(Window& window, MouseAction action, Cell cell, int wheel) {
  if (action == MouseAction::Wheel) {
    step(window, wheel > 0 ? -1 : 1);
    return;
  }
  if (action != MouseAction::Press || cell.y != 0) return;
  for (const Header& header : headers()) {
    if (cell.x < header.x || cell.x >= header.x + header.width || !header.tab->enabled) continue;
    for (size_t i = 0; i < tabs_.size(); ++i) {
      if (tabs_[i] == header.tab) choose(window, static_cast<int>(i) + 1);
    }
  }
}

std::string SheetControl::property(int number, int index) const {
  if (number == PROP::Selected) return std::to_string(selected_);
  return Control::property(number, index);
}

void SheetControl::setProperty(int number, std::string value, int index) {
  if (number == PROP::Selected) {
    select(static_cast<int>(numberValue(value)));
    return;
  }
  Control::setProperty(number, std::move(value), index);
  if (rectProperty(rect, number)) {
    for (Control* tab : tabs_) tab->rect = tabBody(rect);
  }
}

void TabControl::activate(Window& window) {
  auto* sheet = dynamic_cast<SheetControl*>(window.control(parent));
  if (!sheet) return;
  const auto& tabs = sheet->tabs();
  for (size_t i = 0; i < tabs.size(); ++i) {
    if (tabs[i] == this) sheet->choose(window, static_cast<int>(i) + 1);
  }
}

}  // namespace zor::ui
