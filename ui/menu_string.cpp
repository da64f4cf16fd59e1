#include "ui/menu_string.h"

namespace zor::ui {
namespace {

class MenuParser {
 public:
  explicit MenuParser(std::string_view menu) : menu_(menu) {}

  std::vector<MenuItem> parse() {
    std::vector<MenuItem> top;
    std::vector<std::vector<MenuItem>*> levels{&top};
    size_t i = 0;
    while (i <= menu_.size()) {
      bool fresh = true;  // nothing of the item read yet
      MenuItem item;
      // The prefixes.
      for (;;) {
        if (i < menu_.size() && menu_[i] == '~') {
          item.disabled = true;
        } else if (i < menu_.size() && menu_[i] == '+') {
          item.checked = true;
        } else if (i < menu_.size() && menu_[i] == '[') {
          size_t close = menu_.find(']', i);
          if (close == std::string_view::npos) close = menu_.size();
          item.icon = std::string(menu_.substr(i + 1, close - i - 1));
          i = close;
        } else {
          break;
        }
        fresh = false;
        ++i;
      }
      // "{" opening the item: a submenu of the item before.
      if (fresh && i < menu_.size() && menu_[i] == '{' && !levels.back()->empty()) {
        levels.push_back(&levels.back()->back().children);
        ++i;
        continue;
      }
      while (i < menu_.size() && menu_[i] != '|' && menu_[i] != '{' && menu_[i] != '}') {
        item.text += menu_[i++];
      }
      bool last = i >= menu_.size();
      if (!last || !item.text.empty() || !fresh || needItem_) add(*levels.back(), std::move(item));
      needItem_ = false;
      if (last) break;
      char stop = menu_[i++];
      if (stop == '{') {
        levels.push_back(&levels.back()->back().children);
        needItem_ = true;
      } else if (stop == '}') {
        if (levels.size() > 1) levels.pop_back();
        // "}}": the submenus around it end here too.
        for (; i < menu_.size() && menu_[i] == '}'; ++i) {
          if (levels.size() > 1) levels.pop_back();
        }
        // "}|next": the bar after the brace separates, it does not make an item.
        if (i < menu_.size() && menu_[i] == '|') ++i;
        if (i >= menu_.size()) break;
      }
    }
    return top;
  }

 private:
  void add(std::vector<MenuItem>& level, MenuItem item) {
    item.separator = item.text == "-";
    item.position = ++position_;
    level.push_back(std::move(item));
  }

  std::string_view menu_;
  int position_ = 0;
  bool needItem_ = false;
};

}  // namespace

std::vector<MenuItem> parseMenu(std::string_view menu) {
  if (menu.empty()) return {};
  return MenuParser(menu).parse();
}

}  // namespace zor::ui
