#pragma once
// Scripted choices for popup menus: each menu shown takes the next position
// from the queue of choices, or is cancelled (0) once the queue is empty,
// and the menu strings shown are kept.

#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace zor::ui::headless {

class PopupMenuScript {
 public:
  // The position chosen from the next menu not yet shown; 0 cancels it.
  void choose(int position);
  // Called for a menu shown: answers the next choice.
  int show(std::string_view menu);
  // Every menu shown so far, oldest first.
  std::vector<std::string> shown() const;
  // Choices still waiting for a menu.
  size_t pending() const;

 private:
  mutable std::mutex mutex_;
  std::deque<int> choices_;
  std::vector<std::string> shown_;
};

}  // namespace zor::ui::headless
