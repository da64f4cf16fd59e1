#pragma once
// The character-cell canvas both front ends draw on: a grid of characters,
// each with an attribute saying how it is shown (the terminal maps
// attributes onto colours; the headless front end reads the characters as
// text). Drawing is clipped to the canvas and to the current clip rectangle.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ui/geometry.h"
#include "ui/input.h"

namespace zor::ui {

enum class CellStyle : uint8_t {
  Normal,
  Frame,     // window and box frames
  Title,     // window caption
  Field,     // entry and text box interiors
  Focused,   // the control with the focus
  Selected,  // the selected row of a list, the chosen tab
  Default,   // the default button
  Disabled,
  HotKey,  // the letter marked with "&"
};

struct CanvasCell {
  char character = ' ';
  CellStyle style = CellStyle::Normal;
};

class Canvas {
 public:
  Canvas(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  const CanvasCell& at(int x, int y) const;

  // Drawing is limited to this rectangle (within the canvas).
  void setClip(const Rect& clip);
  void resetClip();
  const Rect& clip() const { return clip_; }

  void put(int x, int y, char character, CellStyle style = CellStyle::Normal);
  // Text from (x, y) on one row, at most `maxWidth` cells (-1: to the clip's edge).
  void write(int x, int y, std::string_view text, CellStyle style = CellStyle::Normal,
             int maxWidth = -1);
  void fill(const Rect& area, char character, CellStyle style = CellStyle::Normal);
  // A frame of "+", "-" and "|" along the rectangle's edge.
  void frame(const Rect& area, CellStyle style = CellStyle::Frame);

  // Where the front end shows the text cursor; none by default.
  void setCursor(Cell cell) {
    cursor_ = cell;
    hasCursor_ = true;
  }
  bool hasCursor() const { return hasCursor_; }
  Cell cursor() const { return cursor_; }

  // Row `y` as text, blanks at its end removed.
  std::string row(int y) const;
  // Every row, each ended by "\n", blank rows at the bottom removed.
  std::string text() const;

 private:
  bool visible(int x, int y) const;

  int width_;
  int height_;
  Rect clip_;
  std::vector<CanvasCell> cells_;
  Cell cursor_;
  bool hasCursor_ = false;
};

}  // namespace zor::ui
