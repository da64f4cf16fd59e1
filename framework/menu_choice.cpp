#include "framework/menu_choice.h"

#include "ui/statements.h"

namespace zor::fw {
namespace {

constexpr const char* kSeparator = "-";

// The menu string has no escapes: "|" would end the item and braces open
// or close a submenu, so they are replaced; "~", "+" and "[" at the start
// would mark the item.
std::string shownText(const std::string& text) {
  std::string shown;
  for (char c : text) {
    if (c == '|') {
      shown += '/';
    } else if (c == '{') {
      shown += '(';
    } else if (c == '}') {
      shown += ')';
    } else if (c != '\r' && c != '\n') {
      shown += c;
    }
  }
  shown.erase(0, shown.find_first_not_of("~+["));
  // A text that is only "-" would be a separator.
  return shown.empty() || shown == kSeparator ? " " + shown : shown;
}

}  // namespace

std::string menuString(const std::vector<MenuChoice>& items, std::vector<size_t>& shown) {
  shown.clear();
  std::string menu;
  auto lastIsSeparator = [&] { return shown.empty() || items[shown.back()].Text == kSeparator; };
  for (size_t i = 0; i < items.size(); ++i) {
    const bool separator = items[i].Text == kSeparator;
    if (separator && lastIsSeparator()) continue;
    if (!menu.empty() || !shown.empty()) menu += '|';
    menu += separator ? kSeparator : (items[i].Disabled ? "~" : "") + shownText(items[i].Text);
    shown.push_back(i);
  }
  while (!shown.empty() && items[shown.back()].Text == kSeparator) {
    shown.pop_back();
    const size_t bar = menu.rfind('|');
    menu.erase(bar == std::string::npos ? 0 : bar);
  }
  return menu;
}

std::string chooseFromMenu(const std::vector<MenuChoice>& items) {
  std::vector<size_t> shown;
  const std::string menu = menuString(items, shown);
  if (shown.empty()) return {};
  const int position = ui::popup(menu);
  if (position < 1 || static_cast<size_t>(position) > shown.size()) return {};
  const MenuChoice& chosen = items[shown[static_cast<size_t>(position) - 1]];
  return chosen.Text == kSeparator || chosen.Disabled ? std::string() : chosen.Name;
}

}  // namespace zor::fw
