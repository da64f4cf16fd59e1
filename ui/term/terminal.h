#pragma once
// The ncurses terminal: started in raw mode with keypad and mouse reports,
// colours from the theme, the cursor shown where the canvas puts it. All
// ncurses calls of the front end live here; what they produce is turned into
// runtime keys and mouse messages by pure code (key_translation.h,
// mouse_translation.h).

#include <optional>
#include <variant>

#include "ui/canvas.h"
#include "ui/term/colour_theme.h"
#include "ui/term/key_translation.h"
#include "ui/term/line_glyphs.h"
#include "ui/term/mouse_translation.h"

namespace zor::ui::term {

struct MouseInput {
  MouseReport report;
  Cell cell;
};
struct ResizeInput {};
// Nothing arrived before the timeout.
struct NoInput {};
// Something arrived that means nothing here (an unknown key sequence).
struct IgnoredInput {};
using TerminalInput = std::variant<NoInput, KeyStroke, MouseInput, ResizeInput, IgnoredInput>;

class Terminal {
 public:
  // Takes over the terminal on stdin/stdout. The locale must be set first.
  // Throws std::runtime_error when the terminal type cannot be driven.
  Terminal();
  // Gives the terminal back as it was.
  ~Terminal();
  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;

  int width() const;
  int height() const;
  bool lineDrawing() const { return lineDrawing_; }
  const ColourTheme& theme() const { return theme_; }

  // Shows the canvas (cut to the screen) and its cursor; frames join within
  // the layers given.
  void show(const Canvas& canvas, const ScreenLayers* layers = nullptr);
  // The next input: waits up to `timeoutMs` (0: only what is there, -1: as
  // long as it takes). An ESC followed at once by another key is Alt+key.
  TerminalInput read(int timeoutMs);
  // Whether stdin reports a hang-up or an error (the terminal is gone).
  static bool inputClosed();
  // After a resize: the new size is taken from the terminal.
  void refreshSize();

 private:
  void setTimeout(int timeoutMs);

  void* screen_ = nullptr;  // the ncurses SCREEN
  ColourTheme theme_;
  bool lineDrawing_ = false;
  int timeoutMs_ = -2;
};

// Whether the locale's character set is UTF-8.
bool localeIsUtf8();

}  // namespace zor::ui::term
