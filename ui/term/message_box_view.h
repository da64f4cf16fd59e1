#pragma once
// The standard message box as the terminal shows it: a framed box in the
// middle of the screen with the caption on its frame, an icon mark, the
// text (a "|" or a line feed breaks the line, long lines wrap at blanks)
// and a row of buttons, one of them focused. Left, Right, Tab and Shift+Tab
// move the focus; Enter and Space press the focused button; a button's hot
// letter (with or without Alt) presses it; Esc presses Cancel, or Ok when
// the box has nothing else. A click on a button presses it. Pure logic: the
// terminal paints it on its canvas and feeds it keys.

#include <string>
#include <vector>

#include "ui/canvas.h"
#include "ui/geometry.h"
#include "ui/input.h"
#include "ui/term/key_translation.h"

namespace zor::ui::term {

struct MessageBoxContent {
  std::string text;
  std::string caption;
  unsigned iconFlags = 0;         // the platform's MB_ICON bits
  std::vector<unsigned> buttons;  // ui::BUTTON codes (and kHelpButton), in order
  unsigned defaultButton = 0;     // 0: the first
};

class MessageBoxView {
 public:
  MessageBoxView(MessageBoxContent content, int screenWidth, int screenHeight);

  // Places the box again for a screen of another size.
  void layout(int screenWidth, int screenHeight);
  Rect area() const { return area_; }
  const std::vector<std::string>& lines() const { return lines_; }
  unsigned focusedButton() const { return content_.buttons[focused_]; }

  void paint(Canvas& canvas) const;
  // The button the key presses, 0 when the box stays open.
  unsigned key(const KeyStroke& key);
  // The button under a pressed screen cell, 0 for none.
  unsigned click(Cell cell) const;

 private:
  struct Placed {
    unsigned button;
    Rect cells;
  };
  std::vector<Placed> placedButtons() const;
  int buttonRowWidth() const;
  std::string iconMark() const;

  MessageBoxContent content_;
  size_t focused_ = 0;
  std::vector<std::string> lines_;
  Rect area_;
};

// Splits on "|" and line feeds, then wraps each line at blanks (or hard,
// when a word is longer) to at most `width` characters.
std::vector<std::string> wrapText(const std::string& text, int width);

}  // namespace zor::ui::term
