#pragma once
// What a list tells its owner. Field events carry the numbers of
// ui/base/event_numbers.h: EVENT::NewSelection when the highlight moves,
// EVENT::Accepted on Enter or a double click, EVENT::ScrollUp/ScrollDown,
// PageUp/PageDown, ScrollTop/ScrollBottom from keys, the wheel and the scroll
// bar, EVENT::ScrollDrag when the thumb is dragged (thumbPosition() then
// tells where), EVENT::Locate when locator text is typed and
// EVENT::ColumnResize when the user resizes a column. A click on a column
// header has no event number of its own and comes as headerPressed.

#include <cstdint>

namespace zor::ui {

class ListEventSink {
 public:
  virtual ~ListEventSink() = default;
  virtual void listEvent(uint32_t event) = 0;
  // `column` from 1, in format order.
  virtual void headerPressed(int column) = 0;
};

}  // namespace zor::ui
