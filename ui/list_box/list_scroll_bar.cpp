#include "ui/list_box/list_scroll_bar.h"

#include <algorithm>

namespace zor::ui {

ListScrollBar listScrollBar(int length, size_t top, size_t rows, int visible) {
  ListScrollBar bar;
  bar.length = std::max(length, 0);
  int track = bar.track();
  if (track == 0) return bar;
  size_t shown = static_cast<size_t>(std::max(visible, 1));
  size_t lastTop = rows > shown ? rows - shown + 1 : 1;
  size_t at = std::clamp<size_t>(top, 1, lastTop);
  // The thumb's cell is the share of the way from the first top row to the
  // last, rounded to the nearest cell.
  size_t span = lastTop - 1;
  size_t cell = span == 0 ? 0 : ((at - 1) * static_cast<size_t>(track - 1) + span / 2) / span;
  bar.thumb = 1 + static_cast<int>(cell);
  return bar;
}

ScrollBarAction scrollBarActionAt(const ListScrollBar& bar, int y) {
  if (y <= 0) return ScrollBarAction::LineUp;
  if (y >= bar.length - 1) return ScrollBarAction::LineDown;
  if (y < bar.thumb) return ScrollBarAction::PageUp;
  if (y > bar.thumb) return ScrollBarAction::PageDown;
  return ScrollBarAction::Thumb;
}

int thumbPositionAt(const ListScrollBar& bar, int y) {
  int track = bar.track();
  if (track <= 1) return 0;
  int cell = std::clamp(y - 1, 0, track - 1);
  return (cell * 100 + (track - 1) / 2) / (track - 1);
}

}  // namespace zor::ui
