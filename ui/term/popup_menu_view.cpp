#include "ui/term/popup_menu_view.h"

#include <algorithm>
#include <cctype>

#include "ui/hot_key_text.h"
#include "ui/key_codes.h"

namespace zor::ui::term {
namespace {

bool reachable(const MenuItem& item) {
  return !item.separator && !item.disabled;
}

// Items are drawn as " * Text   > ": a check column, the text, and an
// arrow column for submenus.
int innerWidth(const std::vector<MenuItem>& items) {
  int width = 0;
  for (const MenuItem& item : items) {
    width = std::max(width, static_cast<int>(withoutHotKeyMarks(item.text).size()));
  }
  return width + 6;
}

}  // namespace

PopupMenuView::PopupMenuView(std::vector<MenuItem> items, Cell anchor, int screenWidth,
                             int screenHeight)
    : items_(std::move(items)), screenWidth_(screenWidth), screenHeight_(screenHeight) {
  open(items_, anchor, nullptr);
}

Rect PopupMenuView::placeBox(const std::vector<MenuItem>& items, Cell at,
                             const Rect* beside) const {
  int width = std::min(innerWidth(items) + 2, std::max(screenWidth_, 1));
  int height = std::min(static_cast<int>(items.size()) + 2, std::max(screenHeight_, 1));
  int x = at.x;
  if (beside && x + width > screenWidth_) x = beside->x - width;  // to the left instead
  x = std::clamp(x, 0, std::max(0, screenWidth_ - width));
  int y = std::clamp(at.y, 0, std::max(0, screenHeight_ - height));
  return {x, y, width, height};
}

void PopupMenuView::open(const std::vector<MenuItem>& items, Cell at, const Rect* beside) {
  Level level{&items, -1, placeBox(items, at, beside)};
  levels_.push_back(level);
  move(1);
}

const MenuItem* PopupMenuView::highlighted() const {
  const Level& level = levels_.back();
  return level.highlight < 0 ? nullptr : &(*level.items)[static_cast<size_t>(level.highlight)];
}

void PopupMenuView::move(int step) {
  Level& level = levels_.back();
  int count = static_cast<int>(level.items->size());
  int at = level.highlight;
  for (int tries = 0; tries < count; ++tries) {
    at = at < 0 ? (step > 0 ? 0 : count - 1) : (at + step + count) % count;
    if (reachable((*level.items)[static_cast<size_t>(at)])) {
      level.highlight = at;
      return;
    }
  }
}

std::optional<int> PopupMenuView::enter() {
  const MenuItem* item = highlighted();
  if (!item) return std::nullopt;
  if (item->opensSubmenu()) {
    const Level& level = levels_.back();
    Rect parent = level.box;
    open(item->children, {parent.x + parent.width, parent.y + 1 + level.highlight}, &parent);
    return std::nullopt;
  }
  return item->choosable() ? std::optional<int>(item->position) : std::nullopt;
}

std::optional<int> PopupMenuView::key(const KeyStroke& key) {
  uint32_t base = KEY::base(key.code);
  switch (base) {
    case KEY::Up:
      move(-1);
      return std::nullopt;
    case KEY::Down:
      move(1);
      return std::nullopt;
    case KEY::Home:
      levels_.back().highlight = -1;
      move(1);
      return std::nullopt;
    case KEY::End:
      levels_.back().highlight = -1;
      move(-1);
      return std::nullopt;
    case KEY::Enter:
    case KEY::Space:
      return enter();
    case KEY::Right:
      if (const MenuItem* item = highlighted(); item && item->opensSubmenu()) return enter();
      return std::nullopt;
    case KEY::Left:
      if (levels_.size() > 1) levels_.pop_back();
      return std::nullopt;
    case KEY::Escape:
      if (levels_.size() == 1) return 0;
      levels_.pop_back();
      return std::nullopt;
    default:
      break;
  }
  if ((KEY::modifiers(key.code) & KEY::Ctrl) || base >= 0x80 ||
      !std::isalnum(static_cast<int>(base))) {
    return std::nullopt;
  }
  Level& level = levels_.back();
  for (size_t i = 0; i < level.items->size(); ++i) {
    const MenuItem& item = (*level.items)[i];
    if (reachable(item) && hotKeyOf(item.text) == static_cast<char>(base)) {
      level.highlight = static_cast<int>(i);
      return enter();
    }
  }
  return std::nullopt;
}

std::optional<int> PopupMenuView::click(Cell cell) {
  for (size_t depth = levels_.size(); depth-- > 0;) {
    Rect box = levels_[depth].box;
    if (!box.contains(cell.x, cell.y)) continue;
    int row = cell.y - box.y - 1;
    if (row < 0 || row >= static_cast<int>(levels_[depth].items->size())) return std::nullopt;
    if (!reachable((*levels_[depth].items)[static_cast<size_t>(row)])) return std::nullopt;
    levels_.resize(depth + 1);
    levels_.back().highlight = row;
    return enter();
  }
  return 0;
}

void PopupMenuView::paint(Canvas& canvas) const {
  canvas.resetClip();
  for (const Level& level : levels_) {
    const Rect& box = level.box;
    canvas.fill(box, ' ');
    canvas.frame(box);
    canvas.setClip({box.x + 1, box.y + 1, box.width - 2, box.height - 2});
    for (size_t i = 0; i < level.items->size(); ++i) {
      const MenuItem& item = (*level.items)[i];
      int y = box.y + 1 + static_cast<int>(i);
      if (item.separator) {
        canvas.resetClip();
        canvas.put(box.x, y, '+', CellStyle::Frame);
        canvas.fill({box.x + 1, y, box.width - 2, 1}, '-', CellStyle::Frame);
        canvas.put(box.x + box.width - 1, y, '+', CellStyle::Frame);
        canvas.setClip({box.x + 1, box.y + 1, box.width - 2, box.height - 2});
        continue;
      }
      bool lit = static_cast<int>(i) == level.highlight;
      CellStyle style = item.disabled ? CellStyle::Disabled
                        : lit         ? CellStyle::Selected
                                      : CellStyle::Normal;
      canvas.fill({box.x + 1, y, box.width - 2, 1}, ' ', style);
      if (item.checked) canvas.put(box.x + 2, y, '*', style);
      if (lit) {
        canvas.write(box.x + 4, y, withoutHotKeyMarks(item.text), style, box.width - 7);
      } else {
        writeWithHotKey(canvas, box.x + 4, y, item.text, style, box.width - 7);
      }
      if (item.opensSubmenu()) canvas.put(box.x + box.width - 3, y, '>', style);
      if (lit) canvas.setCursor({box.x + 1, y});
    }
    canvas.resetClip();
  }
}

}  // namespace zor::ui::term
