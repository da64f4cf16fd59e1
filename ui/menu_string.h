#pragma once
// Popup menus from a menu string: items joined by "|"; an item "-" is a
// separator; before an item's text "~" disables it, "+" checks it and
// "[...]" names its icon, in any order; "{" after an item's text (or at the
// start of the next item) opens a submenu of that item, "}" closes it:
//
//   "&Insert|&Change|~&Delete|-|+&Query|&More{&One|&Two}|[(~ICON)]&Help"
//
// Every entry, separators and submenu headers included, has a position
// counted from 1 in the order of the string; choosing an item answers its
// position, cancelling answers 0.

#include <string>
#include <string_view>
#include <vector>

namespace zor::ui {

struct MenuItem {
  std::string text;  // with "&" before the hot key
  std::string icon;  // what stood between "[" and "]"
  int position = 0;
  bool separator = false;
  bool disabled = false;
  bool checked = false;
  std::vector<MenuItem> children;  // a submenu when not empty
  bool opensSubmenu() const { return !children.empty(); }
  // Whether choosing the item answers its position.
  bool choosable() const { return !separator && !disabled && !opensSubmenu(); }
};

// The top-level items. Unbalanced braces are forgiven: a "}" too many is
// ignored, submenus left open end with the string.
std::vector<MenuItem> parseMenu(std::string_view menu);

}  // namespace zor::ui
