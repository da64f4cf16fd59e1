#pragma once
// LIST (and DROPLIST): the control around a list view. It keeps the view
// sized to its cells less the frame, hands it keys, typed characters, clicks
// and the wheel while it has the focus, and turns what the view raises
// (NewSelection, Accepted, the scroll events, Locate ...) into events for
// the control. Its format comes from the definition or PROP::Format; the
// column properties go to the view.

#include "runtime/queue.h"
#include "ui/control.h"
#include "ui/list_cells.h"
#include "ui/list_events.h"
#include "ui/list_view.h"

namespace zor::ui {

class ListControl : public Control, private ListEventSink {
 public:
  using Control::Control;

  ListView& view();
  const ListView& view() const;
  void setQueue(const Queue* queue) { view_.setQueue(queue); }
  // The highlighted row, from 1; 0 when none.
  size_t choice() const { return view().selection(); }
  // The header lines and visible rows, sized to the inside of the frame.
  void render(ListCells& out) const;

  bool takesFocus() const override { return true; }
  bool key(Window& window, uint32_t code, char character) override;
  void mouse(Window& window, MouseAction action, Cell cell, int wheel) override;
  std::string property(int number, int index = 0) const override;
  void setProperty(int number, std::string value, int index = 0) override;

 private:
  ListView& fitted() const;
  void listEvent(uint32_t event) override;
  void headerPressed(int) override {}
  // Input reaches the view with the window its events go to.
  template <class Action>
  void withWindow(Window& window, Action action);

  mutable ListView view_;
  Window* window_ = nullptr;  // set while the view handles input
};

}  // namespace zor::ui
