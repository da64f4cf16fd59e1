#pragma once
// A popup menu of named items shown through the thread's front end (the
// runtime's POPUP), answering the name of the item chosen. It serves the
// query popup and the browse's popup of actions until those are built on
// the popup class, whose items carry the same names and texts.
//
//   chooseFromMenu({{"tsQBEEmpty", "Empty"}, {"tsQBESeparator1", "-"},
//                   {"tsQBEClear", "C&lear"}})   // "tsQBEClear", or ""

#include <string>
#include <vector>

namespace zor::fw {

struct MenuChoice {
  std::string Name;
  std::string Text;  // "&" before the hot key; "-" for a separator
  bool Disabled = false;
};

// The menu string: texts joined by "|", with the characters that would end
// an item or open a submenu replaced and leading marks dropped; separators
// at either end or after another are left out. `shown` gets the index of
// the item at each position of the menu.
std::string menuString(const std::vector<MenuChoice>& items, std::vector<size_t>& shown);

// The chosen item's name, "" when the menu was cancelled (or there is no
// front end, or nothing to choose).
std::string chooseFromMenu(const std::vector<MenuChoice>& items);

}  // namespace zor::fw
