#pragma once
// The model of a list control: the rows of its QUEUE shown through its
// format, the highlighted row, the first row shown, the sideways offset, and
// the keys, clicks, wheel and scroll-bar actions that move them. The control
// ("ZorList") owns one, hands it input and asks it to render(); the owner
// hears what happened through a ListEventSink.
//
// Two ways of moving. By default the list moves the highlight itself and
// raises NewSelection; a move blocked at the first or last row raises the
// scroll event of that direction instead, so an owner that holds only a page
// of rows can read more. In immediate mode (a browse paging through a view)
// the list moves nothing: every movement key, wheel notch and scroll-bar
// action only raises its event, and the owner sets the highlight with
// select().
//
// Measures are pixels of the list's font (list_font.h); on the character
// canvas a pixel is a cell.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/queue.h"
#include "ui/list_box/list_cells.h"
#include "ui/list_box/list_events.h"
#include "ui/list_box/list_font.h"
#include "ui/list_box/list_format.h"

namespace zor::ui {

// Key codes the list handles: virtual key codes plus modifier bits.
namespace ListKey {
inline constexpr int Back = 0x08;
inline constexpr int Enter = 0x0D;
inline constexpr int PageUp = 0x21;
inline constexpr int PageDown = 0x22;
inline constexpr int End = 0x23;
inline constexpr int Home = 0x24;
inline constexpr int Left = 0x25;
inline constexpr int Up = 0x26;
inline constexpr int Right = 0x27;
inline constexpr int Down = 0x28;
inline constexpr int Shift = 0x100;
inline constexpr int Ctrl = 0x200;
inline constexpr int Alt = 0x400;
}  // namespace ListKey

enum class ScrollBarAction { LineUp, LineDown, PageUp, PageDown, Top, Bottom, Thumb };

class ListView {
 public:
  static constexpr int kWheelRows = 3;

  explicit ListView(ListFont font = {});

  // Reads a new format (lenient reading). On a format that does not read to
  // its end the list keeps its old format and the stop position (1-based)
  // is returned; 0 on success.
  size_t setFormat(std::string_view text);
  std::string formatText() const;
  const ListFormat& format() const { return format_; }
  // For column property changes; call relayout() after changing measures.
  ListFormat& mutableFormat() { return format_; }
  void relayout();
  const ListFont& font() const { return font_; }
  void setFont(ListFont font);

  void setQueue(const Queue* queue);
  const Queue* queue() const { return queue_; }
  size_t rowCount() const { return queue_ == nullptr ? 0 : queue_->records(); }

  // The control's size in pixels, scroll bar and border excluded.
  void setSize(int width, int height);
  int width() const { return width_; }
  int height() const { return height_; }
  // Text lines above the rows: group headers, then column headers.
  int headerLines() const;
  // Rows that fit (at least 1).
  int visibleRows() const;

  void setEventSink(ListEventSink* sink) { sink_ = sink; }
  void setImmediate(bool immediate) { immediate_ = immediate; }
  bool immediate() const { return immediate_; }

  // The highlighted queue position (0: none) and the first position shown.
  size_t selection() const;
  size_t top() const;
  // Highlights a row and scrolls it into view, without an event.
  void select(size_t row);
  void setTop(size_t row);
  int horizontalOffset() const { return offset_; }
  void setHorizontalOffset(int pixels);
  // The thumb position of the last drag, 0..100.
  int thumbPosition() const { return thumb_; }

  // Input. key() answers whether the list used the key.
  bool key(int code);
  bool typeCharacter(char c);
  void wheel(int notches);  // positive: away from the user (up)
  void scrollBar(ScrollBarAction action, int thumbPosition = 0);
  // A click at (x, y) relative to the list, pixels.
  void click(int x, int y, bool doubleClick = false);

  // The typed locator text; movement other than typing clears it.
  const std::string& locatorText() const { return locator_; }

  // The column (from 1) whose cell holds x on the first row line, taking
  // sideways scrolling into account; 0 for none.
  int columnAt(int x) const;
  // Sets a resizable ("M") column's width; false for others. The user's
  // resizing raises ColumnResize.
  bool resizeColumn(int column, int widthPixels);

  // The tip for a cell: the row's tip field ("P"), else the column's default
  // tip ("Q"), else empty.
  std::string tipAt(size_t row, int column) const;

  // Renders the header lines and the visible rows into `out`, sized to the
  // list in cells. Reads only the rows shown.
  void render(ListCells& out) const;

 private:
  void raise(uint32_t event);
  void clampPositions() const;
  void scrollIntoView(size_t row);
  // Moves the highlight to `target` (clamped); raises NewSelection, or
  // `blocked` when the highlight could not move.
  void moveTo(int64_t target, uint32_t blocked);
  void scrollBy(int64_t rows, uint32_t blocked);
  bool locate();
  int lineOfY(int y) const;

  ListFont font_;
  ListFormat format_;
  const Queue* queue_ = nullptr;
  ListEventSink* sink_ = nullptr;
  bool immediate_ = false;
  int width_ = 0;
  int height_ = 0;
  // Kept within the queue's rows as they come and go.
  mutable size_t selection_ = 0;
  mutable size_t top_ = 1;
  int offset_ = 0;
  int thumb_ = 0;
  std::string locator_;
};

}  // namespace zor::ui
