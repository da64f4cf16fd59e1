#include "ui/term/terminal.h"

#define NCURSES_NOMACROS
#include <curses.h>
#include <langinfo.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "ui/term/line_glyphs.h"

namespace zor::ui::term {
namespace {

// Button-event mouse tracking, so that a held button reports movement.
constexpr const char* kDragTrackingOn = "\033[?1002h";
constexpr const char* kDragTrackingOff = "\033[?1002l";
constexpr int kEscapeDelayMs = 25;

attr_t attributesOf(const CellLook& look) {
  attr_t attributes = A_NORMAL;
  if (look.attributes & LOOK::Bold) attributes |= A_BOLD;
  if (look.attributes & LOOK::Reverse) attributes |= A_REVERSE;
  if (look.attributes & LOOK::Underline) attributes |= A_UNDERLINE;
  if (look.attributes & LOOK::Dim) attributes |= A_DIM;
  return attributes;
}

void writeRaw(const char* sequence) {
  std::fputs(sequence, stdout);
  std::fflush(stdout);
}

}  // namespace

bool localeIsUtf8() {
  const char* codeset = nl_langinfo(CODESET);
  return codeset != nullptr &&
         (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
}

Terminal::Terminal() {
  lineDrawing_ = localeIsUtf8();
  // newterm, unlike initscr, answers a terminal it cannot drive instead of
  // ending the program.
  screen_ = newterm(nullptr, stdout, stdin);
  if (screen_ == nullptr) {
    const char* name = std::getenv("TERM");
    throw std::runtime_error(std::string("the terminal cannot be used (TERM=") +
                             (name ? name : "") + ")");
  }
  raw();
  noecho();
  nonl();
  keypad(stdscr, TRUE);
  // Backspace stays the byte the terminal sends, so DEL (Backspace) and BS
  // (Ctrl+H) remain different keys.
  keyok(KEY_BACKSPACE, FALSE);
  // A short wait tells Esc from the start of a key sequence; ESCDELAY in
  // the environment (the ncurses convention) sets it instead, for slow links.
  if (std::getenv("ESCDELAY") == nullptr) set_escdelay(kEscapeDelayMs);
  mouseinterval(0);
  mousemask(BUTTON1_PRESSED | BUTTON1_RELEASED | BUTTON4_PRESSED | BUTTON5_PRESSED |
                REPORT_MOUSE_POSITION,
            nullptr);
  writeRaw(kDragTrackingOn);
  theme_ = chooseTheme(has_colors() ? 8 : 0, std::getenv("NO_COLOR"));
  if (theme_.usesColour()) {
    start_color();
    use_default_colors();
    for (int style = 0; style < kStyleCount; ++style) {
      const CellLook& look = theme_.look(static_cast<CellStyle>(style));
      init_pair(static_cast<short>(ColourTheme::pairOf(static_cast<CellStyle>(style))),
                static_cast<short>(look.foreground), static_cast<short>(look.background));
    }
  }
  setTimeout(-1);
}

Terminal::~Terminal() {
  writeRaw(kDragTrackingOff);
  mousemask(0, nullptr);
  endwin();
  delscreen(static_cast<SCREEN*>(screen_));
}

int Terminal::width() const {
  return COLS;
}

int Terminal::height() const {
  return LINES;
}

bool Terminal::inputClosed() {
  pollfd input{STDIN_FILENO, POLLIN, 0};
  return poll(&input, 1, 0) > 0 && (input.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

void Terminal::refreshSize() {
  // ncurses has taken the new size with KEY_RESIZE; clear what the old
  // size left behind.
  clearok(stdscr, TRUE);
}

void Terminal::show(const Canvas& canvas, const ScreenLayers* layers) {
  int rows = std::min(canvas.height(), LINES);
  int columns = std::min(canvas.width(), COLS);
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < columns; ++x) {
      // The bottom-right cell is left alone: writing it scrolls some terminals.
      if (y == LINES - 1 && x == COLS - 1) continue;
      const CellStyle style = canvas.at(x, y).style;
      char32_t glyph = glyphAt(canvas, x, y, lineDrawing_, layers);
      if (!lineDrawing_ && glyph > 0x7E) glyph = '?';
      if (glyph < 0x20) glyph = ' ';
      wchar_t text[2] = {static_cast<wchar_t>(glyph), L'\0'};
      const CellLook& look = theme_.look(style);
      short pair = theme_.usesColour() ? static_cast<short>(ColourTheme::pairOf(style)) : 0;
      cchar_t cell;
      setcchar(&cell, text, attributesOf(look), pair, nullptr);
      mvadd_wch(y, x, &cell);
    }
  }
  if (canvas.hasCursor() && canvas.cursor().x < COLS && canvas.cursor().y < LINES) {
    curs_set(1);
    move(canvas.cursor().y, canvas.cursor().x);
  } else {
    curs_set(0);
  }
  refresh();
}

void Terminal::setTimeout(int timeoutMs) {
  if (timeoutMs == timeoutMs_) return;
  timeoutMs_ = timeoutMs;
  wtimeout(stdscr, timeoutMs);
}

TerminalInput Terminal::read(int timeoutMs) {
  setTimeout(timeoutMs);
  wint_t character = 0;
  int kind = wget_wch(stdscr, &character);
  if (kind == ERR) return NoInput{};
  bool alt = false;
  if (kind == OK && character == 0x1B) {
    // An ESC with another key right behind it is Alt plus that key.
    setTimeout(0);
    wint_t next = 0;
    int nextKind = wget_wch(stdscr, &next);
    if (nextKind == OK && next == 0x1B) {
      // Two ESCs typed quickly are two Escapes, not Alt+Escape.
      unget_wch(static_cast<wchar_t>(next));
    } else if (nextKind != ERR) {
      alt = true;
      kind = nextKind;
      character = next;
    }
  }
  if (kind == KEY_CODE_YES) {
    int key = static_cast<int>(character);
    if (key == KEY_RESIZE) return ResizeInput{};
    if (key == KEY_MOUSE) {
      MEVENT event;
      if (getmouse(&event) != OK) return IgnoredInput{};
      Cell cell{event.x, event.y};
      // Reports that come together may reach us merged into one event.
      mmask_t both = BUTTON1_PRESSED | BUTTON1_RELEASED;
      if ((event.bstate & both) == both || (event.bstate & BUTTON1_CLICKED)) {
        return MouseInput{MouseReport::Click, cell};
      }
      if (event.bstate & BUTTON1_PRESSED) return MouseInput{MouseReport::Press, cell};
      if (event.bstate & BUTTON1_RELEASED) return MouseInput{MouseReport::Release, cell};
      if (event.bstate & BUTTON4_PRESSED) return MouseInput{MouseReport::WheelUp, cell};
      if (event.bstate & BUTTON5_PRESSED) return MouseInput{MouseReport::WheelDown, cell};
      if (event.bstate & REPORT_MOUSE_POSITION) return MouseInput{MouseReport::Motion, cell};
      return IgnoredInput{};
    }
    const char* name = keyname(key);
    if (auto stroke = translateFunctionKey(key, name ? name : "", alt)) return *stroke;
    return IgnoredInput{};
  }
  if (auto stroke = translateCharacter(static_cast<uint32_t>(character), alt)) return *stroke;
  return IgnoredInput{};
}

}  // namespace zor::ui::term
