#pragma once
// LIST (and DROPLIST): the control around a list view. It keeps the view
// sized to its cells less the frame (and less the scroll bar column when the
// bar is shown), hands it keys, typed characters, clicks and the wheel while
// it has the focus, and turns what the view raises (NewSelection, Accepted,
// the scroll events, Locate ...) into events for the control. Its format
// comes from the definition or PROP::Format; the column properties go to the
// view.
//
// A click on a column header raises EVENT::HeaderPressed; PROP::HeaderColumn
// then reads the column clicked (from 1, in format order). With the vscroll
// attribute the list shows a scroll bar when it has more rows than fit:
// clicks on it scroll, its thumb can be dragged (EVENT::ScrollDrag). The
// right edge of a resizable ("M") column's header can be dragged to change
// the column's width (EVENT::ColumnResize); a press there that does not move
// is a header click. A front end that draws its own scroll bars reports
// their use with WM_VSCROLL and WM_HSCROLL (ui/input.h).

#include <optional>

#include "runtime/queue.h"
#include "ui/control.h"
#include "ui/list_box/list_cells.h"
#include "ui/list_box/list_events.h"
#include "ui/list_box/list_scroll_bar.h"
#include "ui/list_box/list_view.h"

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

  // The vscroll and hscroll attributes.
  void setVerticalScrollBar(bool on) { verticalScrollBar_ = on; }
  bool verticalScrollBar() const { return verticalScrollBar_; }
  void setHorizontalScrollBar(bool on) { horizontalScrollBar_ = on; }
  bool horizontalScrollBar() const { return horizontalScrollBar_; }
  // The bar as shown now, in the column just inside the right frame edge,
  // its cell 0 on the control's cell row 1; none while all rows fit.
  std::optional<ListScrollBar> scrollBar() const;
  // The column of the last header click, 0 before any.
  int headerColumn() const { return headerColumn_; }

  bool takesFocus() const override { return true; }
  bool key(Window& window, uint32_t code, char character) override;
  void mouse(Window& window, MouseAction action, Cell cell, int wheel) override;
  // A front end's own scroll bars: the vertical one acts as the drawn bar
  // does (scroll events, ScrollDrag), the horizontal one moves the list
  // sideways.
  void scroll(Window& window, bool vertical, int action, int position) override;
  std::string property(int number, int index = 0) const override;
  void setProperty(int number, std::string value, int index = 0) override;

 private:
  // What a held button is dragging.
  struct Drag {
    enum class Kind { None, Thumb, Border } kind = Kind::None;
    int column = 0;      // Border: the column resized
    Cell start;          // the view cell pressed
    int startWidth = 0;  // Border: the column's width then, pixels
    int lastY = 0;       // Thumb: the bar cell last dragged to
    bool moved = false;
  };

  ListView& fitted() const;
  bool barShown(int innerHeight) const;
  void press(Cell cell);
  void drag(Cell cell);
  void release(Cell cell);
  // The resizable column whose right edge is at view x on a header line, 0
  // for none.
  int borderAt(int x) const;
  void listEvent(uint32_t event) override;
  void headerPressed(int column) override;
  // Input reaches the view with the window its events go to.
  template <class Action>
  void withWindow(Window& window, Action action);

  mutable ListView view_;
  Window* window_ = nullptr;  // set while the view handles input
  bool verticalScrollBar_ = false;
  bool horizontalScrollBar_ = false;
  int headerColumn_ = 0;
  Drag drag_;
};

}  // namespace zor::ui
