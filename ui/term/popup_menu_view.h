#pragma once
// A popup menu open on the terminal: the top-level box at the anchor cell
// (moved to stay on the screen), and a box per open submenu beside the item
// that opened it. Up and Down move the highlight over the items that can be
// chosen or opened, Home and End go to the first and last, Enter, Space and
// Right open a submenu or choose, Left and Esc close the innermost submenu,
// Esc on the top level cancels, a hot letter chooses (or opens) its item. A
// click chooses an item, a click outside every box cancels. Pure logic.

#include <optional>
#include <vector>

#include "ui/canvas.h"
#include "ui/geometry.h"
#include "ui/input.h"
#include "ui/menu_string.h"
#include "ui/term/key_translation.h"

namespace zor::ui::term {

class PopupMenuView {
 public:
  PopupMenuView(std::vector<MenuItem> items, Cell anchor, int screenWidth, int screenHeight);

  void paint(Canvas& canvas) const;
  // The answer once the menu is done: the chosen position, 0 when
  // cancelled; none while it stays open.
  std::optional<int> key(const KeyStroke& key);
  std::optional<int> click(Cell cell);

  // The open boxes, outermost first, and the highlighted item of each.
  size_t depth() const { return levels_.size(); }
  Rect box(size_t level) const { return levels_[level].box; }
  const MenuItem* highlighted() const;

 private:
  struct Level {
    const std::vector<MenuItem>* items;
    int highlight;  // index, -1 when none
    Rect box;
  };

  Rect placeBox(const std::vector<MenuItem>& items, Cell at, const Rect* beside) const;
  void open(const std::vector<MenuItem>& items, Cell at, const Rect* beside);
  void move(int step);
  // Opens the highlighted item's submenu or chooses it.
  std::optional<int> enter();

  std::vector<MenuItem> items_;
  std::vector<Level> levels_;
  int screenWidth_;
  int screenHeight_;
};

}  // namespace zor::ui::term
