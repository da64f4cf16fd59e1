#include "framework/popup.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "framework/window_resizer.h"
#include "platform/threads.h"
#include "runtime/queue.h"
#include "runtime/record_builder.h"
#include "runtime/type_codes.h"
#include "ui/base/event_numbers.h"
#include "ui/event_engine.h"
#include "ui/hot_key_text.h"
#include "ui/properties.h"
#include "ui/row_control.h"
#include "ui/statements.h"
#include "ui/thread_state.h"
#include "ui/window.h"
#include "ui/window_builder.h"

namespace zor::fw {
namespace {

constexpr const char* kSeparator = "-";
constexpr uint32_t kToolboxTextSize = 80;

bool isSeparator(const PopupItem& item) {
  return item.Text == kSeparator;
}

// The menu string has no escapes: characters that would end the item or
// open a submenu are replaced, line breaks and prefix characters at its
// start dropped; a text that would read as a separator gets a space.
std::string menuText(const std::string& text) {
  std::string shown;
  for (char c : text) {
    if (c == '|') {
      shown += '/';
    } else if (c == '{' || c == '}') {
      shown += c == '{' ? '(' : ')';
    } else if (c != '\r' && c != '\n') {
      shown += c;
    }
  }
  shown.erase(0, shown.find_first_not_of("~+["));
  return shown == kSeparator ? " " + shown : shown;
}

// "[(~name),]" for an icon among the program's resources, "[(name)]" else.
std::string iconPrefix(const std::string& icon) {
  if (icon.empty()) return {};
  std::string name;
  for (char c : icon) {
    if (c != ']' && c != '|' && c != ')') name += c;
  }
  return icon.front() == '~' ? "[(" + name + "),]" : "[(" + name + ")]";
}

// A name made of the text's letters and digits: "&Insert" gives "Insert".
std::string nameFromText(const std::string& text) {
  std::string name;
  for (char c : ui::withoutHotKeyMarks(text)) {
    if (std::isalnum(static_cast<unsigned char>(c))) name += c;
  }
  return name.empty() ? "Item" : name;
}

// The toolbox's rows: one text field, as its list's format shows it.
struct ToolboxRows {
  BuiltRecord record;
  std::unique_ptr<Queue> queue;

  bool build(const std::vector<std::string>& texts) {
    FieldDeclaration field;
    field.label = "TEXT";
    field.type = kString;
    field.size = kToolboxTextSize;
    field.picture = "@s80";
    RecordBuildError error;
    if (!RecordBuilder::build({field}, record, error)) return false;
    queue = std::make_unique<Queue>(record.layout(), record.size());
    std::vector<uint8_t> bytes(record.size(), ' ');
    for (const std::string& text : texts) {
      std::fill(bytes.begin(), bytes.end(), static_cast<uint8_t>(' '));
      std::memcpy(bytes.data(), text.data(), std::min<size_t>(text.size(), bytes.size()));
      queue->add(bytes.data());
    }
    return true;
  }
};

}  // namespace

Popup::Popup() = default;
Popup::~Popup() = default;

void Popup::Bind(void* translator, INIManager* iniManager) {
  Translator = translator;
  IniMgr = iniManager;
  PopupItems = std::make_unique<std::vector<PopupItem>>();
  LastSelection.clear();
  LastNumberSelection = 0;
  MyThread = platform::threadNumber();
  ParentWindow = ui::activeWindow();
  parentHandle_ = ParentWindow != nullptr ? ParentWindow->handle() : 0;
  separators_ = 0;
}

void Popup::Release() {
  PopupItems.reset();
  ParentWindow = nullptr;
  ThisWindow = nullptr;
  parentHandle_ = 0;
}

ui::Window* Popup::parent() {
  if (parentHandle_ == 0) {
    // Bound before the window opened: the window active now.
    ParentWindow = ui::activeWindow();
    parentHandle_ = ParentWindow != nullptr ? ParentWindow->handle() : 0;
    return ParentWindow;
  }
  return ui::ownWindow(parentHandle_);
}

std::string Popup::uniqueName(const std::string& wanted) const {
  auto used = [this](const std::string& name) {
    return std::any_of(PopupItems->begin(), PopupItems->end(),
                       [&](const PopupItem& item) { return item.Name == name; });
  };
  if (!used(wanted)) return wanted;
  for (int number = 2;; ++number) {
    std::string name = wanted + std::to_string(number);
    if (!used(name)) return name;
  }
}

std::string Popup::AppendItem(const std::string& text, const std::string& name) {
  if (text == kSeparator) return AppendSeparator(name);
  if (!PopupItems) PopupItems = std::make_unique<std::vector<PopupItem>>();
  PopupItem item;
  item.Text = text;
  item.Name = uniqueName(name.empty() ? nameFromText(text) : name);
  PopupItems->push_back(std::move(item));
  return PopupItems->back().Name;
}

std::string Popup::AddButtonItem(const std::string& name, const std::string& text,
                                 int32_t control) {
  std::string added = AppendItem(text, name);
  PopupItem& item = *Item(added);
  item.ControlID = control;
  item.MimicMode = 1;
  item.OnToolbox = 1;
  return added;
}

std::string Popup::AppendSeparator(const std::string& name) {
  if (!PopupItems) PopupItems = std::make_unique<std::vector<PopupItem>>();
  PopupItem item;
  item.Text = kSeparator;
  item.Name = uniqueName(name.empty() ? "Separator" + std::to_string(++separators_) : name);
  PopupItems->push_back(std::move(item));
  return PopupItems->back().Name;
}

PopupItem* Popup::Item(const std::string& name) {
  if (!PopupItems) return nullptr;
  for (PopupItem& item : *PopupItems) {
    if (item.Name == name) return &item;
  }
  return nullptr;
}

void Popup::EnableItem(const std::string& name, bool enabled) {
  if (PopupItem* item = Item(name)) item->Disabled = enabled ? 0 : 1;
}

void Popup::CheckItem(const std::string& name, bool checked) {
  if (PopupItem* item = Item(name)) item->Check = checked ? 1 : 0;
}

void Popup::SetItemText(const std::string& name, const std::string& text) {
  if (PopupItem* item = Item(name)) item->Text = text;
}

void Popup::refreshMimics() {
  ui::Window* window = parent();
  if (window == nullptr || !PopupItems) return;
  for (PopupItem& item : *PopupItems) {
    if (item.MimicMode == 0 || item.ControlID == 0) continue;
    if (const ui::Control* button = window->control(item.ControlID)) {
      item.Text = button->text;
      item.Disabled = button->enabled ? 0 : 1;
    }
  }
}

Popup::Menu Popup::BuildMenu() {
  Menu menu;
  if (!PopupItems) return menu;
  refreshMimics();
  const ui::Window* window = parent();
  int32_t level = -1;  // the previous entry's submenu level
  size_t lastPieceStart = 0;
  for (size_t index = 0; index < PopupItems->size(); ++index) {
    const PopupItem& item = (*PopupItems)[index];
    // A mirroring item whose button is hidden (or gone) is left out.
    if (item.MimicMode != 0 && item.ControlID != 0) {
      const ui::Control* button = window ? window->control(item.ControlID) : nullptr;
      if (button == nullptr || button->hidden) continue;
    }
    // A submenu opens one level at a time, under the entry before it.
    const int32_t depth = std::clamp(item.Depth, 0, level + 1);
    // Separators only ever stand between items of the top level: never
    // first, never two together (nor one left last, below).
    const bool afterSeparator =
        !menu.entries.empty() && isSeparator((*PopupItems)[menu.entries.back().item]);
    if (isSeparator(item) && depth == 0 && (menu.entries.empty() || afterSeparator)) continue;
    std::string piece;
    if (level >= 0) {
      piece = depth > level ? std::string("{") : std::string(level - depth, '}') + "|";
    }
    if (isSeparator(item)) {
      piece += kSeparator;
    } else {
      if (item.Disabled) piece += '~';
      if (item.Check) piece += '+';
      piece += iconPrefix(item.Icon);
      std::string text = menuText(item.Text);
      piece += text.empty() ? menuText(item.Name) : text;
    }
    // What stays open is closed at the end: leave room for it.
    if (menu.text.size() + piece.size() + static_cast<size_t>(depth) >= kMenuCapacity) break;
    lastPieceStart = menu.text.size();
    menu.text += piece;
    menu.entries.push_back({index, depth});
    level = depth;
  }
  if (!menu.entries.empty() && menu.entries.back().depth == 0 &&
      isSeparator((*PopupItems)[menu.entries.back().item])) {
    menu.text.erase(lastPieceStart);
    menu.entries.pop_back();
    level = menu.entries.empty() ? -1 : menu.entries.back().depth;
  }
  if (level > 0) menu.text += std::string(level, '}');
  return menu;
}

bool Popup::choose(const Menu& menu, int position) {
  if (position < 1 || static_cast<size_t>(position) > menu.entries.size()) return false;
  const MenuEntry& entry = menu.entries[static_cast<size_t>(position) - 1];
  const PopupItem& item = (*PopupItems)[entry.item];
  const bool header = static_cast<size_t>(position) < menu.entries.size() &&
                      menu.entries[static_cast<size_t>(position)].depth > entry.depth;
  if (isSeparator(item) || item.Disabled != 0 || header) return false;
  LastSelection = item.Name;
  LastNumberSelection = position;
  if (ui::Window* window = parent(); window != nullptr && window->isOpen()) {
    if (item.MimicMode != 0 && item.ControlID != 0) {
      ui::post(*window, ui::EVENT::Accepted, item.ControlID);
    }
    if (item.Event != 0) ui::post(*window, static_cast<uint32_t>(item.Event), item.ControlID);
  }
  return true;
}

std::string Popup::ShowMenu() {
  const Menu menu = BuildMenu();
  const int position = menu.entries.empty() ? 0 : ui::popup(menu.text);
  if (!choose(menu, position)) {
    LastSelection.clear();
    LastNumberSelection = 0;
  }
  return LastSelection;
}

std::string Popup::ShowToolbox(const std::string& title) {
  if (InToolbox != 0) return {};
  const Menu menu = BuildMenu();
  std::vector<std::string> texts;
  std::vector<int> positions;
  for (size_t at = 0; at < menu.entries.size(); ++at) {
    const PopupItem& item = (*PopupItems)[menu.entries[at].item];
    const bool header =
        at + 1 < menu.entries.size() && menu.entries[at + 1].depth > menu.entries[at].depth;
    if (item.OnToolbox == 0 || isSeparator(item) || item.Disabled != 0 || header) continue;
    texts.push_back(ui::withoutHotKeyMarks(item.Text));
    positions.push_back(static_cast<int>(at) + 1);
  }
  ToolboxRows rows;
  if (texts.empty() || !rows.build(texts)) return {};

  // The toolbox runs its own loop over the window that opened it; the
  // choice acts once it has closed, on that window.
  std::unique_ptr<ui::Window> toolbox = ui::openWindow(kToolboxOwner, kToolboxLabel);
  toolbox->title = title;
  auto* list = dynamic_cast<ui::ListControl*>(toolbox->find("?LIST"));
  if (list != nullptr) {
    list->setQueue(rows.queue.get());
    list->setProperty(ui::PROP::Choice, "1");
  }
  InToolbox = 1;
  ThisWindow = toolbox.get();
  WindowResizer resizer;
  resizer.Bind(AppStrategy::Grow);
  int chosen = 0;
  while (ui::accept()) {
    resizer.TakeEvent();
    if (list == nullptr || ui::event() != ui::EVENT::Accepted || ui::field() != list->field()) {
      continue;
    }
    const size_t row = list->choice();
    if (row >= 1 && row <= positions.size()) {
      chosen = positions[row - 1];
      ui::post(ui::EVENT::CloseWindow);
    }
  }
  resizer.Release();
  if (toolbox->isOpen()) toolbox->close();
  ThisWindow = nullptr;
  InToolbox = 0;
  if (!choose(menu, chosen)) {
    LastSelection.clear();
    LastNumberSelection = 0;
  }
  return LastSelection;
}

}  // namespace zor::fw
