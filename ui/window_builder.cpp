#include "ui/window_builder.h"

#include <algorithm>

#include "runtime/fatal_error.h"
#include "ui/button_control.h"
#include "ui/control_factory.h"
#include "ui/definition/definition_kinds.h"
#include "ui/definition/definition_lookup.h"
#include "ui/edit_control.h"
#include "ui/row_control.h"
#include "ui/sheet_control.h"
#include "ui/system_commands.h"

namespace zor::ui {
namespace {

constexpr int kDefaultWindowWidth = 200;
constexpr int kDefaultWindowHeight = 100;
constexpr int kCellWidth = kUnitsPerCellX;
constexpr int kLineHeight = kUnitsPerCellY;

bool given(int32_t value) {
  return value != DefaultPosition;
}

// The width a control takes when its definition leaves it to the runtime:
// enough for its caption and decoration.
int defaultWidth(const ControlDefinition& definition, const Control& control) {
  int caption = static_cast<int>(control.shownCaption().size());
  switch (definition.kind) {
    case ControlKind::Button:
      return (caption + 4) * kCellWidth;
    case ControlKind::Check:
    case ControlKind::Radio:
      return (caption + 4) * kCellWidth;
    case ControlKind::Prompt:
    case ControlKind::String:
      return std::max(1, caption) * kCellWidth;
    case ControlKind::Entry:
      if (auto* edit = dynamic_cast<const EditControl*>(&control);
          edit && !edit->picture().empty()) {
        return static_cast<int>(std::min<size_t>(edit->lengthLimit(), 60) + 2) * kCellWidth;
      }
      return 20 * kCellWidth;
    default:
      return 40 * kCellWidth;
  }
}

Rect controlRect(const ControlDefinition& definition, const Control& control) {
  const DefinitionRect& r = definition.rect;
  return {given(r.x) ? r.x : 0, given(r.y) ? r.y : 0,
          given(r.width) ? r.width : defaultWidth(definition, control),
          given(r.height) ? r.height : kLineHeight};
}

void applyFont(const std::optional<FontDefinition>& font, auto& target) {
  if (!font) return;
  target.setProperty(PROP::FontName, font->typeface);
  target.setProperty(PROP::FontSize, std::to_string(font->pointSize));
  target.setProperty(PROP::FontColor, std::to_string(font->colour));
  target.setProperty(PROP::FontStyle, std::to_string(font->weight));
}

void addControls(Window& window, const std::vector<ControlDefinition>& definitions,
                 const Control* parent, const std::string& windowLabel) {
  for (const ControlDefinition& definition : definitions) {
    int expected = static_cast<int>(window.controls().size()) + 1;
    if (definition.equate != 0 && static_cast<int>(definition.equate) != expected) {
      fatalRuntimeError(529, windowLabel + ": control " + definition.use + " is numbered " +
                                 std::to_string(definition.equate) + " in place of " +
                                 std::to_string(expected));
    }
    if (const char* problem = nestingProblem(parent ? parent->kind() : 0, definition.kind)) {
      fatalRuntimeError(529, windowLabel + ": control " + definition.use + ": " + problem);
    }
    auto control = makeControl(definition.kind, definition.use);
    control->parent = parent ? parent->field() : 0;
    Control& made = window.add(std::move(control));
    made.text = definition.text;
    made.tip = definition.tip;
    made.variable = definition.variable;
    made.isDefault = definition.has(ControlAttr::Default);
    made.hidden = definition.has(ControlAttr::Hidden);
    made.enabled = !definition.has(ControlAttr::Disabled);
    made.readOnly = definition.has(ControlAttr::ReadOnly);
    made.skip = definition.has(ControlAttr::Skip);
    if (auto* edit = dynamic_cast<EditControl*>(&made)) edit->setPicture(definition.picture);
    if (auto* button = dynamic_cast<ButtonControl*>(&made)) button->value = definition.value;
    auto* list = dynamic_cast<ListControl*>(&made);
    if (list) {
      list->setVerticalScrollBar(definition.has(ControlAttr::VScroll));
      list->setHorizontalScrollBar(definition.has(ControlAttr::HScroll));
    }
    if (list && !definition.format.empty()) {
      if (size_t stop = list->view().setFormat(definition.format)) {
        fatalRuntimeError(529, windowLabel + ": list " + definition.use +
                                   ": the format does not read at character " +
                                   std::to_string(stop));
      }
    }
    if (!definition.icon.empty()) made.setProperty(PROP::Icon, definition.icon);
    if (!definition.cursor.empty()) made.setProperty(PROP::Cursor, definition.cursor);
    applyFont(definition.font, made);
    if (definition.kind == ControlKind::Tab && parent) {
      made.rect = tabBody(parent->rect);
    } else {
      made.rect = controlRect(definition, made);
    }
    addControls(window, definition.children, &made, windowLabel);
  }
}

// A position left to the runtime centres the window on the desktop.
Rect windowRect(const DefinitionRect& r) {
  Rect desktop = desktopArea();
  Rect placed{0, 0, given(r.width) ? r.width : kDefaultWindowWidth,
              given(r.height) ? r.height : kDefaultWindowHeight};
  placed.x = given(r.x) ? r.x : desktop.x + std::max(0, (desktop.width - placed.width) / 2);
  placed.y = given(r.y) ? r.y : desktop.y + std::max(0, (desktop.height - placed.height) / 2);
  return placed;
}

}  // namespace

std::unique_ptr<Window> buildWindow(const WindowDefinition& definition) {
  auto window = std::make_unique<Window>(definition.title);
  window->rect = windowRect(definition.rect);
  window->restoreRect = window->rect;
  window->designed = window->rect;
  window->modal = (definition.attributes & WindowAttr::Modal) != 0;
  window->resizable = (definition.attributes & WindowAttr::Resize) != 0;
  window->icon = definition.icon;
  applyFont(definition.font, *window);
  addControls(*window, definition.controls, nullptr, definition.label);
  return window;
}

std::unique_ptr<Window> openWindow(const WindowDefinition& definition) {
  auto window = buildWindow(definition);
  window->open();
  return window;
}

std::unique_ptr<Window> openWindow(const std::string& owningName, const std::string& label) {
  auto found = findWindowDefinition(owningName, label);
  if (!found.ok()) fatalRuntimeError(529, label + ": " + found.error);
  if (!found.value) fatalRuntimeError(529, label);
  return openWindow(found.value->window);
}

}  // namespace zor::ui
